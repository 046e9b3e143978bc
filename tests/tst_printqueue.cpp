// Printing from the window through a real print queue: a private print server
// (the printqueue_start fixture, see printing/printqueue.sh) whose PDF queue
// writes each job to a file, read back with pdftotext.

#include "app/commands.h"
#include "printing/cupsjob.h"
#include "testsupport.h"
#include "ui/form1.h"
#include "ui/summarybox.h"

#include <csignal>
#include <optional>
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>

using namespace std::chrono_literals;
using namespace tallaby;

namespace {

// What the program wrote, or nothing if it failed.
std::optional<QString> run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The lines without their blanks, empty ones left out: text extraction guesses
// blanks from the gaps between letters.
QStringList bareLines(const QString &text) {
    static const QRegularExpression blanks("[^\\S\r\n\f]+"), lineBreak("[\r\n\f]");
    return QString(text).remove(blanks).split(lineBreak, Qt::SkipEmptyParts);
}

struct Pdf {
    QSizeF paper;      // points
    QString text;      // pages separated by form feeds
    double bottom = 0; // of the first page's text, from the paper's top, in points
};

// The window as the program makes it, on the real printer, with a fixed date,
// no message boxes and its own timer.
struct Window : TestWindow {
    Window()
        : TestWindow({{}, [] { return QDate(2026, 12, 6); }, false, true}) {}
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

    QString m_state;
    QTemporaryDir m_home;

    bool queueCommand(const QString &command, const QString &queue) {
        return run("bash",
                   {qEnvironmentVariable("TALLABY_PRINT_QUEUE_SCRIPT"), m_state, command, queue})
            .has_value();
    }

    // Prints with the window's own command and reads the job the queue wrote.
    std::optional<Pdf> print(Window &window, const QString &queue) {
        const QDir out(m_state + "/out/" + queue);
        const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
        window.commands.Command2_Click();
        // A job's file is complete once the queue has nothing left to do.
        QStringList files;
        const auto written = [&] {
            files = out.entryList({"*.pdf"}, QDir::Files);
            return !files.isEmpty() && run("lpstat", {"-o", queue}) == QString();
        };
        if (!QTest::qWaitFor([&] { return !window.form.summaryPrinter().isPrinting(); }, 60'000) ||
            !window.failures.isEmpty() || !QTest::qWaitFor(written, 120'000) || files.size() != 1)
            return std::nullopt;
        const QString file = out.filePath(files.front());
        const QString words = run("pdftotext", {"-bbox", file, "-"}).value_or(QString());
        static const QRegularExpression page("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""),
            yMax("yMax=\"([\\d.]+)\"");
        const auto paper = page.match(words);
        Pdf pdf{QSizeF(paper.captured(1).toDouble(), paper.captured(2).toDouble()),
                run("pdftotext", {"-layout", file, "-"}).value_or(QString())};
        for (auto word = yMax.globalMatch(words.section("</page>", 0, 0)); word.hasNext();)
            pdf.bottom = std::max(pdf.bottom, word.next().captured(1).toDouble());
        return pdf;
    }

private slots:
    void initTestCase() {
        m_state = qEnvironmentVariable("TALLABY_PRINT_QUEUE");
        QFile server(m_state + "/server");
        QVERIFY2(server.open(QIODevice::ReadOnly),
                 "run through ctest, whose printqueue_start fixture starts the print server");
        // Only the private server, and no per-user default printer.
        qputenv("CUPS_SERVER", server.readAll().trimmed());
        qputenv("HOME", m_home.path().toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
    }

    // 2,000 note lines fill Letter pages between the margins.
    void everySummaryLinePrintsOnceOnTheQueuesPaper() {
        const QString queue = "TallabyLetter"; // the default; Qt's own paper is A4
        Window window;
        QStringList lines;
        for (int i = 1; i <= 2000; ++i)
            lines.append(
                QStringLiteral("Note %1: 12.50 to the savings jar").arg(i, 4, 10, QChar(u'0')));
        QVERIFY(window.write(lines));
        const auto pdf = print(window, queue);
        QVERIFY2(pdf, qPrintable(window.failures.join(u'\n')));
        QCOMPARE(pdf->paper, QSizeF(612, 792));
        QCOMPARE(bareLines(pdf->text), bareLines(window.layout().text()));
        // A full page's text ends within a line of the one-inch bottom margin.
        const double toBottom = 792 - 72 - pdf->bottom;
        QVERIFY2(pdf->text.count(u'\f') > 1 && toBottom >= 0 && toBottom < 14,
                 qPrintable(QString::number(toBottom)));
    }

    // What the print server, the disk or the environment does -> what the user is
    // told; nothing reaches the queue but a paused queue's job, and no spool is left.
    void aFailureIsSaidAndNothingIsLeft_data() {
        QTest::addColumn<QString>("trouble"); // a print queue command, else what is done here
        QTest::addColumn<QString>("told");    // the whole message, a pattern; %1 the spool's folder
        QTest::newRow("a queue that refuses the job")
            << "reject"
            << "The printer did not accept the summary\\. The print system said: .+\\. Nothing "
               "was printed\\.";
        QTest::newRow("a server stopped dead is given up on at the time limit")
            << "pause"
            << "The print server is not running or not answering, so the summary was not "
               "printed\\. Try again in a few minutes\\.";
        QTest::newRow("a paused queue keeps the job, which prints once resumed")
            << "disable"
            << "The printer's queue is paused: the summary waits in it and prints once the "
               "queue is resumed\\.";
        QTest::newRow("a folder too deep for the document's file is no lack of room")
            << "deep folder"
            << "The printer could not print the summary\\. The print system said: could not "
               "start a print document\\. Nothing was printed\\.";
        QTest::newRow("printers, but none the default")
            << "no default"
            << "No printer is set as the default, so the summary was not printed\\. Make one of "
               "your printers the default, then print again\\.";
        QTest::newRow("a disk too full for the whole document")
            << "full disk"
            << "There is no room for the temporary file of the printout \\(%1\\), so the "
               "summary was not printed\\. Free some disk space, then print again\\.";
    }
    void aFailureIsSaidAndNothingIsLeft() {
        QFETCH(QString, trouble);
        QFETCH(QString, told);
        const QString queue = "TallabyLetter";
        QTemporaryDir spools;
        // For one row too deep: the name of a file in it runs past the limit.
        QString tmp = spools.path();
        while (trouble == "deep folder" && tmp.size() < 4070)
            tmp += '/' + QString(std::min<qsizetype>(200, 4070 - tmp.size()), u'd');
        Window window;
        QVERIFY(window.write({"Gas 25.50"}) && QDir().mkpath(tmp));
        const auto jobs = [&] { // that reached the queue
            return run("lpstat", {"-W", "completed", "-o", queue}).value_or("").count(queue);
        };
        const qsizetype before = jobs();

        const rlimit full{1000, RLIM_INFINITY}, room{RLIM_INFINITY, RLIM_INFINITY}; // as root
        if (trouble == "no default")
            qputenv("PRINTER", "NoSuchQueue");
        else if (trouble == "full disk")
            QVERIFY(std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR &&
                    ::setrlimit(RLIMIT_FSIZE, &full) == 0);
        else if (trouble != "deep folder")
            QVERIFY(queueCommand(trouble, queue));
        qputenv("TMPDIR", QFile::encodeName(tmp));
        window.commands.Command2_Click();
        const bool done =
            QTest::qWaitFor([&] { return !window.form.summaryPrinter().isPrinting(); }, 10'000);
        qunsetenv("PRINTER");
        ::setrlimit(RLIMIT_FSIZE, &room);
        // A server stopped while a document is sent: each exchange gives up at its own wait.
        // To no queue, so that the server drops it when it goes on.
        const auto sent =
            trouble == "pause"
                ? printing::submitPdfJob("NoSuchQueue", m_state + "/server", "", {}, 300ms, {})
                : printing::printFailure(printing::PrintError::JobUnconfirmed);
        QVERIFY(queueCommand(trouble == "reject"    ? "accept"
                             : trouble == "disable" ? "enable"
                                                    : "resume",
                             queue));
        qunsetenv("TMPDIR");
        QVERIFY(done && !sent && sent.failure().error == printing::PrintError::JobUnconfirmed);
        QCOMPARE(window.failures.size(), 1);
        const QRegularExpression said(QRegularExpression::anchoredPattern(
            QString(told).replace("%1", QRegularExpression::escape(tmp))));
        QVERIFY2(said.match(window.failures[0]).hasMatch(), qPrintable(window.failures[0]));
        QTRY_COMPARE(QDir(tmp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(run("lpstat", {"-o", queue}) == QString(), 60'000);
        QCOMPARE(jobs(), before + (trouble == "disable" ? 1 : 0));
    }
};

QTEST_MAIN(PrintQueueTest)
#include "tst_printqueue.moc"
