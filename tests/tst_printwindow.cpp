// Printing from the window under load: notes of 2,000 lines go through the
// window's own print command to a real print queue (the printqueue_start
// fixture's private server, see printing/printqueue.sh), come out on the right
// number of pages, and the window's tick runs again once the command returns.

#include "app/commands.h"
#include "ui/amountedit.h"
#include "ui/form1.h"
#include "ui/summarybox.h"

#include <cmath>
#include <optional>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

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

struct PrintedPdf {
    int pages = 0;
    double pageHeight = 0; // points
    QString text;
};

std::optional<PrintedPdf> readPdf(const QString &path) {
    int exitCode = -1;
    const QString info = run("pdfinfo", {path}, &exitCode);
    if (exitCode != 0)
        return std::nullopt;
    PrintedPdf pdf;
    pdf.pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
    pdf.pageHeight = QRegularExpression("Page size:\\s+[\\d.]+ x ([\\d.]+) pts")
                         .match(info)
                         .captured(1)
                         .toDouble();
    pdf.text = run("pdftotext", {"-layout", path, "-"});
    return pdf;
}

// The height of one summary line as a printer of this resolution sets it.
double lineHeight(const QFont &font, int dotsPerInch) {
    QImage metrics(1, 1, QImage::Format_ARGB32);
    metrics.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    metrics.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    QTextLayout probe("Note", font, &metrics);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLeadingIncluded(true);
    probe.endLayout();
    return line.height();
}

} // namespace

class PrintWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void twoThousandNoteLinesPrintFromTheWindowAndTheTickGoesOn();

private:
    QStringList outputFiles() const {
        return QDir(m_state + "/out/" + kLetter).entryList({"*.pdf"}, QDir::Files, QDir::Name);
    }
    std::optional<PrintedPdf> waitForNewPdf(const QStringList &before);

    QString m_state;
    QTemporaryDir m_home;
};

void PrintWindowTest::initTestCase() {
    m_state = qEnvironmentVariable("TALLABY_PRINT_QUEUE");
    const QString script = qEnvironmentVariable("TALLABY_PRINT_QUEUE_SCRIPT");
    QVERIFY2(!m_state.isEmpty() && !script.isEmpty(),
             "run through ctest, whose printqueue_start fixture starts the print server");
    QFile server(m_state + "/server");
    QVERIFY2(server.open(QIODevice::ReadOnly), "the private print server is not running");
    for (const char *tool : {"pdfinfo", "pdftotext", "lpstat"})
        QVERIFY2(!QStandardPaths::findExecutable(tool).isEmpty(), tool);

    // Only the private server, and no per-user default printer.
    qputenv("CUPS_SERVER", server.readAll().trimmed());
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    int exitCode = -1;
    run("bash", {script, m_state, "default", kLetter}, &exitCode);
    QCOMPARE(exitCode, 0);
}

std::optional<PrintedPdf> PrintWindowTest::waitForNewPdf(const QStringList &before) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 120'000) {
        QStringList added = outputFiles();
        for (const QString &old : before)
            added.removeAll(old);
        if (added.size() > 1)
            return std::nullopt;
        // A job's file is complete once the queue has nothing left to do.
        if (added.size() == 1 && run("lpstat", {"-o", kLetter}).trimmed().isEmpty())
            return readPdf(m_state + "/out/" + kLetter + "/" + added.front());
        QTest::qWait(100);
    }
    return std::nullopt;
}

void PrintWindowTest::twoThousandNoteLinesPrintFromTheWindowAndTheTickGoesOn() {
    // The window as the program makes it: the default printer, its own timer.
    ui::Form1 form({worksheet::NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom))});
    QStringList failures;
    app::Form1Commands commands(
        form, {}, [&](const QString &, const QString &message) { failures.append(message); });
    form.show();
    printing::SummaryLayout &layout = form.sheet().summary->layout();
    QTRY_VERIFY_WITH_TIMEOUT(layout.hasTargetDevice(), 60'000); // the printer answered

    QStringList notes;
    for (int i = 1; i <= 2000; ++i)
        notes.append(
            QStringLiteral("Note %1: 12.50 to the savings jar").arg(i, 4, 10, QChar(u'0')));
    form.sheet().notes->setPlainText(notes.join(u'\n'));
    QTRY_VERIFY_WITH_TIMEOUT(layout.text().endsWith(notes.last()), 5'000);
    const QString summary = layout.text();

    // Pages: the summary's lines, none wrapped, at the printer's line height,
    // between one-inch margins on the queue's paper.
    const int lines = static_cast<int>(summary.count(u'\r')) + 1;
    QCOMPARE(layout.lineStarts().size(), lines);
    const int resolution = layout.targetDevice()->resolution();
    const double height = lineHeight(QFont("Arial", 10), resolution);

    const QStringList before = outputFiles();
    QElapsedTimer clock;
    clock.start();
    commands.Command2_Click();
    const qint64 returnedAt = clock.nsecsElapsed();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));

    // An amount left empty: only a tick puts "0" back, so seeing it shows that
    // the window's own timer ran again.
    ui::AmountEdit *inc3 = form.sheet().incomes[2];
    inc3->clear();
    std::optional<qint64> tickedAt;
    connect(form.controls().timer, &QTimer::timeout, this, [&] {
        if (!tickedAt)
            tickedAt = clock.nsecsElapsed();
    });
    QTRY_VERIFY_WITH_TIMEOUT(tickedAt.has_value(), 5'000);
    QCOMPARE(inc3->text(), QStringLiteral("0"));
    qInfo("the print command took %.0f ms; the next tick came %.1f ms after it returned",
          returnedAt / 1e6, (*tickedAt - returnedAt) / 1e6);

    const auto pdf = waitForNewPdf(before);
    QVERIFY(pdf);
    const int linesPerPage =
        static_cast<int>(std::floor((pdf->pageHeight / 72 - 2) * resolution / height));
    QVERIFY(linesPerPage > 0);
    QCOMPARE(pdf->pages, (lines + linesPerPage - 1) / linesPerPage);
    QCOMPARE(bareLines(pdf->text), bareLines(summary));
    QVERIFY(pdf->text.trimmed().endsWith(notes.last()));
}

QTEST_MAIN(PrintWindowTest)
#include "tst_printwindow.moc"
