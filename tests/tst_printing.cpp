// Printing the summary against a fake printer and print server, from the page
// loop and its failures to the print commands as the user meets them.

#include "app/commands.h"
#include "fakeprinter.h"
#include "printing/module1.h"
#include "printing/spool.h"
#include "printing/summaryprinting.h"
#include "testsupport.h"
#include "ui/form1.h"
#include "ui/summarybox.h"

#include <atomic>
#include <csignal>
#include <map>
#include <optional>
#include <QAction>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace tallaby::printing;
using namespace tallaby::printing::testing;
using namespace tallaby;
using Paper = FakePrinter::Paper;
using Op = FakePrinter::Op;

Q_DECLARE_METATYPE(tallaby::printing::PrintError)
Q_DECLARE_METATYPE(tallaby::printing::testing::FakePrinter::Paper)
Q_DECLARE_METATYPE(tallaby::printing::testing::FakePrinter::Op)
Q_DECLARE_METATYPE(std::optional<tallaby::printing::PrintError>)

namespace {

constexpr qint32 kInch = kTwipsPerInch;

QString noteLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("Note %1: set aside 25.50 for the gas bill").arg(i));
    return lines.join(u'\r');
}

QString summaryWith(const QString &notes) {
    return "CASHFLOW SUMMARY\r\rDATE: 06/12/2026\r\rYour Income          : 1200\r"
           "Free Cash              : 300\r\rNOTES:\r\r" +
           notes;
}

void lay(SummaryLayout &layout, const QString &text) {
    layout.setFont("Arial", 10);
    layout.setText(text);
}

// The lines drawn on a device, top to bottom: the pieces drawn at one height,
// joined left to right; lines with nothing to see left out.
QStringList drawnLines(const RecordingDevice &device) {
    std::map<qint64, std::map<qreal, QString>> rows;
    for (const DrawnText &text : device.texts())
        rows[qRound64(text.position.y() * 16)][text.position.x()] += text.text;
    QStringList lines;
    for (const auto &[y, pieces] : rows) {
        QString line;
        for (const auto &[x, piece] : pieces)
            line += piece;
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

// A print server with a fake printer behind it, counting what reaches it.
struct FakeServer {
    // NoPrinter: none is found; ServerNotAnswering: the lookup hangs;
    // else what a document is told, once taken.
    std::optional<PrintError> trouble;
    bool sendHangs = false, setUpHangs = false; // the latter deaf to stop requests
    Paper paper;
    // Documents taken, and hanging workers that ended.
    std::shared_ptr<std::atomic<int>> sent = std::make_shared<std::atomic<int>>(0),
                                      ended = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<QStringList> printed = std::make_shared<QStringList>(); // the last document

    // Holds a worker as a print server that does not answer would until it is
    // stopped, for at most 10 s so that a fault cannot hang the run; it then
    // answers during shutdown.
    void hang(const std::stop_token &stop) const {
        for (int i = 0; i < 1000 && !(setUpHangs ? release->load() : stop.stop_requested()); ++i)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(20ms);
        ++*ended;
    }

    PrinterAccess access() const {
        const bool silent = trouble == PrintError::ServerNotAnswering;
        return {[server = *this, silent](std::stop_token stop) -> PrinterOpening {
                    if (silent || server.setUpHangs)
                        server.hang(stop);
                    if (server.trouble == PrintError::NoPrinter ||
                        server.trouble == PrintError::PrinterFailed)
                        return printFailure(*server.trouble,
                                            "Office-" + QString("LaserColour").repeated(20) +
                                                "-Floor3 cannot be used");
                    auto printer = std::make_unique<FakePrinter>(server.paper);
                    printer->deliverBy([server, pages = &printer->pages](std::stop_token stop) {
                        server.printed->clear();
                        for (const auto &page : *pages)
                            *server.printed += drawnLines(*page);
                        if (server.sendHangs)
                            server.hang(stop);
                        ++*server.sent;
                        return server.trouble ? PrintStatus(printFailure(*server.trouble))
                                              : printOk();
                    });
                    return std::unique_ptr<PrinterService>(std::move(printer));
                },
                silent ? 100ms : kPrintServerWait};
    }
};

// The window as the program makes it, printing through `server`, ticked by hand.
struct Window : TestWindow {
    explicit Window(const FakeServer &server)
        : TestWindow({server.access(), [] { return QDate::currentDate(); }, true}) {
        form.Timer1_Timer();
    }

    // What the user was told since the last call, each box closed.
    QStringList told() {
        QStringList messages;
        for (QMessageBox *box : form.findChildren<QMessageBox *>()) {
            box->show();
            auto *label = box->findChild<QLabel *>("qt_msgbox_label");
            if (box->textFormat() != Qt::PlainText ||
                label->width() < label->minimumSizeHint().width())
                messages << "not plain text, or cut off";
            messages << box->text().remove(QChar(0x200B));
            delete box;
        }
        return messages;
    }
};

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    // First, while this process has no spool: the child starts from the default actions.
    void aSignalTakesTheSpoolWithIt_data() {
        QTest::addColumn<int>("signal");
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            QTest::addRow("%s", sigabbrev_np(signal)) << signal;
    }
    void aSignalTakesTheSpoolWithIt() {
        QFETCH(int, signal);
        QTemporaryDir spools;
        qputenv("TMPDIR", QFile::encodeName(spools.path()));
        const pid_t child = ::fork();
        if (child == 0) { // holds a spooled file until the signal comes
            for (int s : {SIGTERM, SIGINT, SIGHUP})
                std::signal(s, SIG_DFL);
            auto spool = SpoolDir::create("summary.pdf");
            if (QFile file((*spool)->filePath()); file.open(QIODevice::WriteOnly))
                ::sleep(30);
            ::_exit(0);
        }
        qunsetenv("TMPDIR");
        QTRY_VERIFY(
            QDirIterator(spools.path(), QDir::Files, QDirIterator::Subdirectories).hasNext());
        ::kill(child, signal);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == signal, "the signal was not re-raised");
        QCOMPARE(QDir(spools.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), {});
    }

    void marginsLessOffsetsGiveThePrintRectangle() {
        // A4 at 600 dpi with unequal offsets: across and down kept apart.
        const Paper paper{11906, 16838, {100, 50}, 600};
        const QRectF rect(1200, 1320, 9026, 13958); // twips from the printable area's corner
        SummaryLayout layout;
        lay(layout, summaryWith(noteLines(3)));
        FakePrinter printer(paper);

        // The offset cancels out of the line width; set-up prints nothing.
        auto width = Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch);
        QVERIFY(width);
        QCOMPARE(*width, qint32(rect.width()));
        QCOMPARE(layout.lineWidth(), *width);
        QCOMPARE(printer.aborted, 1);

        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));
        const double units = paper.resolution / double(kTwipsPerInch); // per twip
        const QRectF expected(rect.topLeft() * units, rect.size() * units - QSizeF(1, 1));
        QCOMPARE(printer.pages[0]->texts().front().clip, expected);
    }

    void eachPageStartsWhereTheLastStopped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onePage");

        QTest::newRow("an empty text prints one blank page") << QString() << true;
        QTest::newRow("120 note lines take several pages") << summaryWith(noteLines(120)) << false;
        QTest::newRow("one long paragraph wraps across pages")
            << summaryWith(noteLines(300).replace(u'\r', u' ')) << false;
    }

    void eachPageStartsWhereTheLastStopped() {
        QFETCH(QString, text);
        QFETCH(bool, onePage);
        SummaryLayout layout;
        // Laid out first with other figures, as the tick before a keystroke left it.
        lay(layout, QString(text).replace(": 300\r", ": 12,345.67 after the boiler\r"));
        FakePrinter printer(Paper{12240, 15840, {0, 0}, 300}); // not the common 1200 dpi
        QVERIFY(Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch));
        layout.setText(text);
        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));

        // Each page but the first a new page, none of them blank, nothing past the
        // print rectangle.
        QCOMPARE(printer.pages.size() == 1, onePage);
        QStringList printed;
        for (const auto &page : printer.pages) {
            for (const DrawnText &piece : page->texts())
                QVERIFY2(piece.clip.contains(piece.position),
                         "text drawn past the print rectangle");
            const QStringList lines = drawnLines(*page);
            QCOMPARE(lines.isEmpty(), text.isEmpty());
            printed += lines;
        }

        // Every line once and in order, broken where the screen breaks it.
        RecordingDevice screen(QSize(2000, 20000), 96);
        {
            QPainter painter(&screen);
            layout.paint(painter, layout.scaleFor(screen));
        }
        QCOMPARE(drawnLines(screen), printed);
    }

    void aFailureDropsTheDocument_data() {
        QTest::addColumn<bool>("atStart"); // the start-up set-up, else a print
        QTest::addColumn<Paper>("paper");
        QTest::addColumn<Op>("failing"); // the operation made to fail, and when
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<PrintError>("error");

        QTest::newRow("set-up that cannot measure the printer keeps the screen layout")
            << true << Paper{} << Op::CreateTargetDevice << 1 << PrintError::PrinterFailed;
        QTest::newRow("set-up on label paper keeps the screen's lines, not two characters each")
            << true << Paper{3240, 3168, {0, 0}, 1200} << Op::None << 0 << PrintError::NoProgress;
        QTest::newRow("printing without a printer fails at its first step")
            << false << Paper{} << Op::PrintText << 1 << PrintError::NoPrinter;
        QTest::newRow("a failure starting page 3 drops the document")
            << false << Paper{} << Op::NewPage << 2 << PrintError::PrinterFailed;
        QTest::newRow("a refused document is dropped, not left open")
            << false << Paper{} << Op::EndDocument << 1 << PrintError::JobRefused;
        QTest::newRow("paper with less than a line between the margins stops the print at once")
            << false << Paper{12240, 2 * kInch + kInch / 20, {0, 0}, 1200} << Op::None << 0
            << PrintError::NoProgress;
        QTest::newRow("label paper of 2.25 x 2.2 in, two characters a line, is refused at once")
            << false << Paper{3240, 3168, {0, 0}, 1200} << Op::None << 0 << PrintError::NoProgress;
        QTest::newRow("paper narrower than both margins prints nothing, not blank pages")
            << false << Paper{2000, 15840, {0, 0}, 1200} << Op::None << 0 << PrintError::NoProgress;
    }

    void aFailureDropsTheDocument() {
        QFETCH(bool, atStart);
        QFETCH(Paper, paper);
        QFETCH(Op, failing);
        QFETCH(int, occurrence);
        QFETCH(PrintError, error);
        SummaryLayout layout;
        lay(layout, summaryWith(noteLines(200)));
        FakePrinter printer(paper);
        printer.failOn(failing, occurrence, error);

        const auto failed = [](const auto &result) {
            return result ? std::nullopt : std::optional(result.failure().error);
        };
        QCOMPARE(atStart ? failed(Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch))
                         : failed(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch,
                                                             kInch)),
                 std::optional(error));
        QCOMPARE(layout.hasTargetDevice(), false); // the screen layout stays as it was
        QCOMPARE(printer.ended, 0);
        // Opened, to read the offsets, and dropped; without a printer none opens.
        QCOMPARE(printer.aborted, error == PrintError::NoPrinter ? 0 : 1);
        if (error == PrintError::NoProgress) // stopped, not a new page
            QCOMPARE(printer.pages.size(), std::size_t(1));
    }

    void aSpoolCutShortIsNotSentAndTheSpoolGoes() {
        // With a temporary directory that is not there: /tmp, not the root.
        qputenv("TMPDIR", "/nonexistent");
        auto spool = SpoolDir::create("summary.pdf");
        qunsetenv("TMPDIR");
        const QString dir = (*spool)->path(), path = (*spool)->filePath();
        QVERIFY2(dir.startsWith("/tmp/tallaby-"), qPrintable(dir));
        QFile cut(path); // a PDF whose end was lost
        QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write("%PDF-1.4\n%%EO") > 0);
        cut.close();
        const PrintStatus whole = checkSpooledPdf(path);
        QVERIFY(!whole && whole.failure().message().contains("no room for the temporary file "
                                                             "of the printout (/tmp)"));
        spool.value().reset();
        QVERIFY(!QFileInfo::exists(dir));
    }

    void aPrintCommandPrintsOrSaysWhy_data() {
        QTest::addColumn<bool>("menu"); // else the button
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<std::optional<PrintError>>("trouble"); // at the print server
        QTest::addColumn<QString>("told");

        const std::optional<PrintError> none;
        QTest::newRow("the menu prints") << true << QStringList() << none << "";
        QTest::newRow("without a printer the button says so")
            << false << QStringList() << std::optional(PrintError::NoPrinter)
            << "No printer is installed";
        QTest::newRow("a printer that cannot be used is named whole, however long its name")
            << false << QStringList() << std::optional(PrintError::PrinterFailed)
            << "LaserColour-Floor3 cannot be used";
        QTest::newRow("an amount typed just before printing is on the page")
            << false << QStringList{"inc1", "1001"} << none << "";
        QTest::newRow("a silent print server is given up on at the time limit")
            << true << QStringList() << std::optional(PrintError::ServerNotAnswering)
            << "not running or not answering";
        QTest::newRow("a paused queue takes the job and says it waits")
            << true << QStringList() << std::optional(PrintError::QueuePaused) << "queue is paused";
        QTest::newRow(
            "a bad income typed just before printing is named, nothing prints until fixed")
            << false << QStringList{"inc2", "12x"} << none << "Partners Income is not a number";
        QTest::newRow("a bad expense too")
            << true << QStringList{"c28", "4..5"} << none << "Expense 28 amount is not a number";
        QTest::newRow("an amount beyond the range is too large, not 'not a number'")
            << false << QStringList{"c3", "1e309"} << none << "Expense 3 amount is too large";
        QTest::newRow("a total beyond the range is named")
            << true << QStringList{"inc1", "250", "inc2", "1e308", "inc3", "1e308"} << none
            << "Total Income is too large to show";
    }

    void aPrintCommandPrintsOrSaysWhy() {
        QFETCH(bool, menu);
        QFETCH(QStringList, amounts);
        QFETCH(std::optional<PrintError>, trouble);
        QFETCH(QString, told);
        FakeServer server;
        server.trouble = trouble;
        Window window(server);
        for (int i = 0; i + 1 < amounts.size(); i += 2)
            window.form.findChild<QLineEdit *>(amounts[i])->setText(amounts[i + 1]);
        bool started = false;
        const auto print = [&] { // no tick between the typing and the print
            if (menu)
                window.form.controls().print->trigger();
            else
                QTest::mouseClick(window.form.controls().printSummary, Qt::LeftButton);
            started = window.form.summaryPrinter().isPrinting(); // a refusal comes at once
            return QTest::qWaitFor([&] { return !window.form.summaryPrinter().isPrinting(); });
        };

        QVERIFY(print());
        QCOMPARE(window.form.cursor().shape(), Qt::ArrowCursor);
        const QString messages = window.told().join(u'|'); // one, or none
        QVERIFY2(told.isEmpty() ? messages.isEmpty()
                                : messages.contains(told) && !messages.contains(u'|'),
                 qPrintable(messages));
        const bool refused = !amounts.isEmpty() && !told.isEmpty();
        QCOMPARE(started, !refused);
        QCOMPARE(*server.sent, refused || (trouble && trouble != PrintError::QueuePaused) ? 0 : 1);
        if (!amounts.isEmpty() && !refused)
            QVERIFY(server.printed->contains("Your Income          : " + amounts[1]));
        if (!refused)
            return;
        // Printed once corrected (the marking's own table checks the fields).
        for (int i = 0; i < amounts.size(); i += 2)
            window.form.findChild<QLineEdit *>(amounts[i])->setText("1");
        QVERIFY(print());
        QCOMPARE(window.told(), QStringList());
        QCOMPARE(*server.sent, 1);
    }

    void aHangingSendKeepsTheWindowTicking() {
        FakeServer server;
        server.sendHangs = true;
        auto window = std::make_unique<Window>(server);
        window->form.controls().timer->start(); // the real timer

        QTest::mouseClick(window->form.controls().printSummary, Qt::LeftButton);
        QCOMPARE(window->form.cursor().shape(), Qt::BusyCursor);
        window->form.controls().print->trigger(); // one job at a time, told apart
        QVERIFY(window->told().join("").contains("still looking for the printer"));
        QTRY_VERIFY((window->form.controls().print->trigger(),
                     window->told().join("").contains("on its way")));
        QCOMPARE(window->form.cursor().shape(), Qt::BusyCursor);
        auto *inc3 = window->form.findChild<QLineEdit *>("inc3");
        inc3->clear(); // only a tick puts "0" back
        QTRY_COMPARE_WITH_TIMEOUT(inc3->text(), QStringLiteral("0"), 3000);
        window->form.sheet().notes->setPlainText("Boiler"); // notes edited after a tick
        QTRY_VERIFY(window->form.sheet().summary->text().endsWith("\rBoiler"));

        // Closed while it still sends: the work ends with the window, which
        // closes at once.
        QElapsedTimer shutdown;
        shutdown.start();
        window.reset();
        QVERIFY(shutdown.elapsed() < 2000);
        QCOMPARE(*server.ended, 1);
    }

    void aLongPrintIsAskedAboutKeepsItsFiguresAndCanBeStopped() {
        FakeServer server;
        server.paper.heightTwips = 2 * kInch + 4000; // about 13 lines a page
        Window window(server);
        QPlainTextEdit *notes = window.form.sheet().notes;
        auto *inc1 = window.form.findChild<QLineEdit *>("inc1");
        // Typed while the printer is looked for: on the page. Then asked, then
        // drawn a slice at a time between events: what shows that a slice went
        // by is the progress, found while the print goes on.
        const auto print = [&](bool goOn) -> QProgressDialog * {
            window.told();
            notes->setPlainText(noteLines(2500).replace('\r', '\n'));
            inc1->setText("0");
            QTest::mouseClick(window.form.controls().printSummary, Qt::LeftButton);
            inc1->setText("1001");
            QMessageBox *asked = nullptr;
            (void)QTest::qWaitFor([&] { return (asked = window.form.findChild<QMessageBox *>()); });
            if (!asked || !asked->text().contains(QRegularExpression("take \\d{3} pages")))
                return nullptr;
            for (QAbstractButton *button : asked->buttons()) {
                if ((asked->buttonRole(button) == QMessageBox::AcceptRole) == goOn)
                    button->click();
            }
            QProgressDialog *progress = nullptr;
            while (window.form.summaryPrinter().isPrinting() &&
                   !(progress = window.form.findChild<QProgressDialog *>()))
                QCoreApplication::processEvents();
            return progress;
        };
        QCOMPARE(print(false), nullptr);
        QVERIFY(!window.form.summaryPrinter().isPrinting());

        // Typed and ticked in the middle of the drawing: not on these pages.
        QVERIFY(print(true));
        inc1->setText("777");
        notes->clear();
        window.form.Timer1_Timer();
        QTRY_VERIFY(!window.form.summaryPrinter().isPrinting());
        QVERIFY(server.printed->contains("Your Income          : 1001"));
        QCOMPARE(server.printed->filter("Note ").size(), 2500);

        // Cancelled while drawing: nothing goes.
        QProgressDialog *progress = print(true);
        QVERIFY(progress && progress->value() > 0);
        progress->findChild<QPushButton *>()->click();
        QVERIFY(!window.form.summaryPrinter().isPrinting());
        QCOMPARE(*server.sent, 1);
        QTest::qWait(1); // the question box goes
        QCOMPARE(window.told(), QStringList());
    }

    void aPrinterSetUpThatNeverReturnsDoesNotHoldUpTheExit() {
        FakeServer server;
        server.setUpHangs = true;
        auto window = std::make_unique<Window>(server);
        QTest::mouseClick(window->form.controls().printSummary, Qt::LeftButton);

        QElapsedTimer shutdown;
        shutdown.start();
        window->commands.mnuexit_Click();
        window.reset();
        QVERIFY(shutdown.elapsed() < 2000);
        QVERIFY(WorkerThreads::abandoned() > 0);
        *server.release = true; // the server lets go at last: nothing is told of it
        QTRY_COMPARE(WorkerThreads::abandoned(), 0);
    }

    void startUpAsksASilentServerAgainAfterAPause() {
        SummaryLayout layout;
        auto asked = std::make_shared<std::atomic<int>>(0);
        SummaryPrinter printer(layout, {[asked](std::stop_token) -> PrinterOpening {
                                   if (++*asked == 1)
                                       return printFailure(PrintError::ServerNotAnswering);
                                   return std::unique_ptr<PrinterService>(new FakePrinter);
                               }});
        printer.startLayout();
        QTest::qWait(1000);
        QVERIFY(*asked < 2); // a server still starting is given time
        QTRY_VERIFY_WITH_TIMEOUT(layout.hasTargetDevice(), 10'000);
    }

    void aFieldTurnedBadWhileThePrinterIsFoundIsNamed() {
        FakeServer server;
        Window window(server);
        window.form.controls().print->trigger();
        // Before the printer's answer is handled: typed, and ticked.
        window.form.findChild<QLineEdit *>("c9")->setText("9..1");
        window.form.Timer1_Timer();
        QTRY_VERIFY(!window.form.summaryPrinter().isPrinting());
        const QStringList told = window.told();
        QVERIFY(told.size() == 1 && told[0].contains("Expense 9 amount is not a number"));
        QCOMPARE(*server.sent, 0);
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
