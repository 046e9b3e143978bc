// Printing from the window through real print queues: a private print server
// (the printqueue_start fixture, see printing/printqueue.sh) whose PDF queues
// write each job to a file, read back with pdfinfo and pdftotext.

#include "app/commands.h"
#include "ui/form1.h"
#include "ui/summarybox.h"

#include <cmath>
#include <optional>
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

using namespace tallaby;

namespace {

const QString kLetter = QStringLiteral("TallabyLetter");

QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120'000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The lines without their blanks, empty ones left out: text extraction guesses
// blanks from the gaps between letters.
QStringList bareLines(const QString &text) {
    static const QRegularExpression blanks("\\s+"), lineBreak("[\r\n\f]");
    QStringList lines;
    for (QString line : text.split(lineBreak))
        if (!line.remove(blanks).isEmpty())
            lines.append(line);
    return lines;
}

struct Pdf {
    int pages = 0;
    QSizeF paper; // points
    QString text; // pages separated by form feeds
};

// The window as the program makes it, with a fixed date and no message boxes.
struct Window {
    ui::Form1 form{{worksheet::NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom)), [] {
                        return QDate(2026, 12, 6);
                    }}};
    QStringList failures;
    app::Form1Commands commands{form, {}, [this](const QString &, const QString &message) {
                                    failures.append(message);
                                }};
    printing::SummaryLayout &layout() { return form.sheet().summary->layout(); }

    // Types the notes and waits for the printer's layout to show them.
    bool write(const QStringList &notes) {
        form.sheet().notes->setPlainText(notes.join(u'\n'));
        return QTest::qWaitFor(
            [&] { return layout().hasTargetDevice() && layout().text().endsWith(notes.last()); },
            60'000);
    }
};

} // namespace

class PrintQueueTest : public QObject {
    Q_OBJECT

    bool queueCommand(const QString &command, const QString &queue) {
        int exitCode = -1;
        run("bash", {qEnvironmentVariable("TALLABY_PRINT_QUEUE_SCRIPT"), m_state, command, queue},
            &exitCode);
        return exitCode == 0;
    }
    bool setDefault(const QString &queue) { return queueCommand("default", queue); }

    QString m_state;
    QTemporaryDir m_home;

    // Prints with the window's own command and reads the job the queue wrote.
    std::optional<Pdf> print(Window &window, const QString &queue = kLetter) {
        const QDir out(m_state + "/out/" + queue);
        const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
        window.commands.Command2_Click();
        if (!QTest::qWaitFor([&] { return !window.form.summaryPrinter().isPrinting(); }, 60'000) ||
            !window.failures.isEmpty())
            return std::nullopt;
        QStringList added;
        // A job's file is complete once the queue has nothing left to do.
        const bool written = QTest::qWaitFor(
            [&] {
                added = out.entryList({"*.pdf"}, QDir::Files);
                for (const QString &old : before)
                    added.removeAll(old);
                return !added.isEmpty() && run("lpstat", {"-o", queue}).trimmed().isEmpty();
            },
            120'000);
        int exitCode = -1;
        const QString info = written && added.size() == 1
                                 ? run("pdfinfo", {out.filePath(added.front())}, &exitCode)
                                 : QString();
        if (exitCode != 0)
            return std::nullopt;
        const auto size = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts").match(info);
        return Pdf{QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt(),
                   QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble()),
                   run("pdftotext", {"-layout", out.filePath(added.front()), "-"})};
    }

private slots:
    void init() { QVERIFY(setDefault(kLetter)); } // a test may pick another

    void initTestCase() {
        m_state = qEnvironmentVariable("TALLABY_PRINT_QUEUE");
        QFile server(m_state + "/server");
        QVERIFY2(server.open(QIODevice::ReadOnly),
                 "run through ctest, whose printqueue_start fixture starts the print server");
        // Only the private server, and no per-user default printer.
        qputenv("CUPS_SERVER", server.readAll().trimmed());
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
    }

    void everySummaryLinePrintsOnceOnTheQueuesPaper_data() {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QSizeF>("paper");

        QTest::newRow("a Letter queue prints on Letter") << kLetter << QSizeF(612, 792);
        QTest::newRow("an A4 queue prints on A4")
            << QStringLiteral("TallabyA4") << QSizeF(595, 842);
    }

    void everySummaryLinePrintsOnceOnTheQueuesPaper() {
        QFETCH(QString, queue);
        QFETCH(QSizeF, paper);
        QVERIFY(setDefault(queue));
        Window window;
        QVERIFY(window.write({"Rent rises in March", "Boiler service due"}));

        const auto pdf = print(window, queue);
        QVERIFY2(pdf, qPrintable(window.failures.join(u'\n')));
        QCOMPARE(pdf->pages, 1);
        QCOMPARE(pdf->paper, paper);
        QCOMPARE(bareLines(pdf->text), bareLines(window.layout().text()));
    }

    void aPausedQueueKeepsTheJobAndSaysSo() {
        Window window;
        QVERIFY(window.write({"Paused"}));
        QVERIFY(queueCommand("disable", kLetter));
        const auto pdf = print(window);
        QVERIFY(queueCommand("enable", kLetter));
        QVERIFY(!pdf);
        QCOMPARE(window.failures.size(), 1);
        QVERIFY2(window.failures.front().contains("paused"), qPrintable(window.failures.front()));
        // Resumed, the job comes out.
        QTRY_VERIFY_WITH_TIMEOUT(run("lpstat", {"-o", kLetter}).trimmed().isEmpty(), 60'000);
    }

    void twoThousandNoteLinesFillTheirPages() {
        Window window;
        QStringList notes;
        for (int i = 1; i <= 2000; ++i)
            notes.append(
                QStringLiteral("Note %1: 12.50 to the savings jar").arg(i, 4, 10, QChar(u'0')));
        QVERIFY(window.write(notes));

        // Pages: the summary's lines, none wrapped, at the printer's line height,
        // between one-inch margins on Letter paper.
        const QString summary = window.layout().text();
        const int lines = int(summary.count(u'\r')) + 1;
        QCOMPARE(window.layout().lineStarts().size(), lines);
        const int dpi = window.layout().targetDevice()->resolution();
        QImage printerMetrics(1, 1, QImage::Format_ARGB32);
        printerMetrics.setDotsPerMeterX(qRound(dpi / 0.0254));
        printerMetrics.setDotsPerMeterY(qRound(dpi / 0.0254));
        QTextLayout probe("Note", QFont("Arial", 10), &printerMetrics);
        probe.beginLayout();
        QTextLine line = probe.createLine();
        line.setLeadingIncluded(true);
        probe.endLayout();
        const int linesPerPage = int(std::floor((11 - 2) * dpi / line.height()));

        const auto pdf = print(window);
        QVERIFY2(pdf, qPrintable(window.failures.join(u'\n')));
        QCOMPARE(pdf->pages, (lines + linesPerPage - 1) / linesPerPage);
        QCOMPARE(bareLines(pdf->text), bareLines(summary));
    }
};

QTEST_MAIN(PrintQueueTest)
#include "tst_printqueue.moc"
