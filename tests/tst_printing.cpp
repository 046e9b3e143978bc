// Printing the summary against a fake printer: the print rectangle, the page
// loop, failures, the spool, the print commands as the user meets them, and
// the work that waits on the print server.

#include "app/commands.h"
#include "fakeprinter.h"
#include "printing/module1.h"
#include "printing/spool.h"
#include "printing/summaryprinting.h"
#include "ui/form1.h"
#include "ui/summarybox.h"

#include <atomic>
#include <cmath>
#include <csignal>
#include <future>
#include <map>
#include <optional>
#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace tallaby::printing;
using namespace tallaby::printing::testing;
using namespace tallaby;
using Paper = FakePrinter::Paper;

Q_DECLARE_METATYPE(tallaby::printing::PrintError)
Q_DECLARE_METATYPE(tallaby::printing::testing::FakePrinter::Paper)
Q_DECLARE_METATYPE(std::optional<tallaby::printing::PrintError>)

namespace {

constexpr qint32 kInch = 1440;

QString noteLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("Note %1: set aside 25.50 for the gas bill").arg(i));
    return lines.join(u'\r');
}

// One paragraph of words of many lengths, as a user might type notes.
QString paragraph(int words) {
    static const QStringList vocabulary = {
        "rent",  "increases",          "in", "March;", "the", "boiler", "(quarterly)",
        "1,250", "telecommunications", "a"};
    QStringList picked;
    for (int i = 0; i < words; ++i)
        picked.append(vocabulary[(i * 7 + i / 5) % vocabulary.size()]);
    return picked.join(u' ');
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

// Lines less trailing blanks, those with nothing to see left out.
QStringList visible(const QStringList &lines) {
    static const QRegularExpression trailing("\\s+$");
    QStringList kept;
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty())
            kept.append(QString(line).remove(trailing));
    return kept;
}

// The lines drawn on a device, top to bottom: the pieces drawn at one height,
// joined left to right.
QStringList drawnLines(const RecordingDevice &device) {
    std::map<qint64, std::map<qreal, QString>> rows;
    for (const DrawnText &text : device.texts())
        rows[qRound64(text.position.y() * 16)][text.position.x()] += text.text;
    QStringList lines;
    for (const auto &[y, pieces] : rows) {
        lines.append(QString());
        for (const auto &[x, piece] : pieces)
            lines.back() += piece;
    }
    return visible(lines);
}

// The layout's lines, each from its start to the next one's.
QStringList layoutLines(const SummaryLayout &layout) {
    QList<qint32> starts = layout.lineStarts();
    starts.append(layout.length());
    QStringList lines;
    for (qsizetype i = 0; i + 1 < starts.size(); ++i)
        lines.append(layout.text().mid(starts[i], starts[i + 1] - starts[i]));
    return visible(lines);
}

// A print server with a fake printer behind it, counting what reaches it.
struct FakeServer {
    std::optional<PrintError> lookupSays; // instead of a printer
    std::optional<PrintError> queueSays;  // to a document, else it is taken
    bool lookupHangs = false;             // each until released or stopped
    bool sendHangs = false;
    struct Shared {
        std::atomic<int> sent = 0, held = 0, ended = 0;
        std::promise<void> release;
    };
    std::shared_ptr<Shared> count = std::make_shared<Shared>();
    std::shared_future<void> released = count->release.get_future().share();

    // Holds a worker as a print server that does not answer would, for at most
    // 10 s so that a fault cannot hang the run. True when stopped: it then
    // answers during shutdown.
    bool hang(const std::stop_token &stop) const {
        ++count->held;
        for (int i = 0; i < 1000 && !stop.stop_requested(); ++i)
            if (released.wait_for(10ms) == std::future_status::ready)
                return false;
        if (!stop.stop_requested())
            return false;
        std::this_thread::sleep_for(20ms);
        ++count->ended;
        return true;
    }

    PrinterAccess access() const {
        return {[server = *this](std::stop_token stop) -> PrinterOpening {
                    if (server.lookupHangs)
                        server.hang(stop);
                    if (server.lookupSays)
                        return printFailure(*server.lookupSays);
                    auto printer = std::make_unique<FakePrinter>();
                    printer->deliverBy([server](std::stop_token stop) {
                        if (server.sendHangs && server.hang(stop))
                            return PrintStatus(printFailure(PrintError::JobUnconfirmed));
                        ++server.count->sent;
                        return server.queueSays ? PrintStatus(printFailure(*server.queueSays))
                                                : printOk();
                    });
                    return std::unique_ptr<PrinterService>(std::move(printer));
                },
                lookupHangs ? 100ms : kPrintServerWait};
    }
};

// The window as the program makes it, printing through `server`, ticked by hand.
struct Window {
    explicit Window(const FakeServer &server)
        : form({worksheet::NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom))},
               server.access()) {
        form.controls().timer->stop();
        form.Timer1_Timer();
    }
    ui::Form1 form;
    app::Form1Commands commands{form, {}};

    // What the user was told since the last call, each box closed.
    QStringList told() {
        QStringList messages;
        for (QMessageBox *box : form.findChildren<QMessageBox *>()) {
            if (box->textFormat() != Qt::PlainText)
                messages << "not plain text";
            messages << box->text();
            delete box;
        }
        return messages;
    }
    bool printed() {
        return QTest::qWaitFor([&] { return !form.summaryPrinter().isPrinting(); });
    }
};

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;

private slots:
    void initTestCase() {
        // A print server address where none listens: this machine has no printer.
        QVERIFY(m_home.isValid());
        qputenv("CUPS_SERVER", m_home.filePath("no-server.sock").toLocal8Bit());
        qputenv("HOME", m_home.path().toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
    }

    void marginsLessOffsetsGiveThePrintRectangle_data() {
        QTest::addColumn<Paper>("paper");
        QTest::addColumn<QRectF>("rect"); // twips from the printable area's corner

        QTest::newRow("A4 at 600 dpi with unequal offsets keeps across and down apart")
            << Paper{11906, 16838, {100, 50}, 600} << QRectF(1200, 1320, 9026, 13958);
        QTest::newRow("an offset of 177.6 twips counts as 178")
            << Paper{12240, 15840, {148, 148}, 1200} << QRectF(1262, 1262, 9360, 12960);
        QTest::newRow("an offset of 4.5 twips counts as 4, the even neighbour")
            << Paper{12240, 15840, {1, 1}, 320} << QRectF(1436, 1436, 9360, 12960);
    }

    void marginsLessOffsetsGiveThePrintRectangle() {
        QFETCH(Paper, paper);
        QFETCH(QRectF, rect);
        SummaryLayout layout;
        lay(layout, summaryWith(noteLines(3)));
        FakePrinter printer(paper);

        // The offset cancels out of the line width; set-up prints nothing.
        auto width = Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch);
        QVERIFY(width);
        QCOMPARE(*width, qint32(rect.width()));
        QCOMPARE(layout.lineWidth(), *width);
        QCOMPARE(layout.targetDevice()->resolution(), paper.resolution);
        QCOMPARE(printer.aborted, 1);

        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));
        QCOMPARE(printer.pages.size(), std::size_t(1));
        const double units = paper.resolution / 1440.0; // per twip
        const QRectF expected(rect.topLeft() * units, rect.size() * units - QSizeF(1, 1));
        QCOMPARE(printer.pages[0]->texts().front().clip, expected);
        QVERIFY(std::abs(printer.pages[0]->texts().front().position.x() - expected.left()) <=
                1.0 / 64);
    }

    void eachPageStartsWhereTheLastStopped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("onePage");

        QTest::newRow("an empty text prints one blank page") << QString() << true;
        QTest::newRow("120 note lines take several pages") << summaryWith(noteLines(120)) << false;
        QTest::newRow("a 2,000-word paragraph wraps across pages")
            << summaryWith(paragraph(2000)) << false;
    }

    void eachPageStartsWhereTheLastStopped() {
        QFETCH(QString, text);
        QFETCH(bool, onePage);
        SummaryLayout layout;
        // Laid out first with other figures, as the tick before a keystroke left it.
        lay(layout, QString(text).replace(": 300\r", ": 12,345.67 after the boiler\r"));
        FakePrinter printer(Paper{12240, 15840, {0, 0}, 300}); // not the reference's 1200 dpi
        QVERIFY(Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch));
        layout.setText(text);
        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));

        // One pass a page, each page but the first a new page, none of them blank;
        // every line once and in order, none past the print rectangle.
        QCOMPARE(printer.ended, 1);
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
        QCOMPARE(printed, layoutLines(layout));

        // The screen breaks lines where the paper does.
        RecordingDevice screen(QSize(2000, 20000), 96);
        {
            QPainter painter(&screen);
            layout.paint(painter, layout.scaleFor(screen));
        }
        QCOMPARE(drawnLines(screen), printed);
    }

    void aFailureDropsTheDocument_data() {
        QTest::addColumn<bool>("setup");
        QTest::addColumn<Paper>("paper");
        QTest::addColumn<qint32>("bottom");   // margin
        QTest::addColumn<QString>("failing"); // the operation made to fail, and when
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<PrintError>("error");
        QTest::addColumn<int>("dropped"); // documents opened, to read the offsets, and aborted

        QTest::newRow("set-up that cannot measure the printer keeps the screen layout")
            << true << Paper{} << kInch << "createTargetDevice" << 1 << PrintError::PrinterFailed
            << 1;
        QTest::newRow("printing without a printer fails at its first step")
            << false << Paper{} << kInch << "printText" << 1 << PrintError::NoPrinter << 0;
        QTest::newRow("a failure starting page 3 drops the document")
            << false << Paper{} << kInch << "newPage" << 2 << PrintError::PrinterFailed << 1;
        QTest::newRow("a refused document is dropped, not left open")
            << false << Paper{} << kInch << "endDocument" << 1 << PrintError::JobRefused << 1;
        QTest::newRow("margins that leave less than a line stop the print at once")
            << false << Paper{} << 15840 - kInch - kInch / 20 << "" << 0 << PrintError::NoProgress
            << 1;
        QTest::newRow("paper narrower than both margins prints nothing, not blank pages")
            << false << Paper{2000, 15840, {0, 0}, 1200} << kInch << "" << 0
            << PrintError::NoProgress << 1;
        QTest::newRow("printing with an offset of more than 2^31 twips")
            << false << Paper{12240, 15840, {2'000'000, 0}, 1} << kInch << "" << 0
            << PrintError::Overflow << 1;
    }

    void aFailureDropsTheDocument() {
        QFETCH(bool, setup);
        QFETCH(Paper, paper);
        QFETCH(qint32, bottom);
        QFETCH(QString, failing);
        QFETCH(int, occurrence);
        QFETCH(PrintError, error);
        QFETCH(int, dropped);
        SummaryLayout layout;
        lay(layout, summaryWith(noteLines(200)));
        FakePrinter printer(paper);
        printer.failOn(failing, occurrence, error);

        const auto failed = [](const auto &result) {
            return result ? std::nullopt : std::optional(result.failure().error);
        };
        QCOMPARE(setup ? failed(Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch))
                       : failed(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch,
                                                           bottom)),
                 std::optional(error));
        QCOMPARE(layout.hasTargetDevice(), false); // the screen layout stays as it was
        QCOMPARE(printer.ended, 0);
        QCOMPARE(printer.aborted, dropped);
        if (error == PrintError::NoProgress) // stopped, not a new page
            QCOMPARE(printer.pages.size(), std::size_t(1));
    }

    void theQueuesPaperIsUsed() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        preparePrinter(printer, QPageSize(QPageSize::Letter)); // Qt starts on A4
        QCOMPARE(printer.paperRect(QPrinter::Point).size(), QSizeF(612, 792));
    }

    void anAbsentPrintServerIsNamed() {
        const PrinterOpening opened = openDefaultPrinter(kPrintServerWait, {});
        QVERIFY(!opened);
        QCOMPARE(opened.failure().error, PrintError::ServerNotAnswering);
    }

    void aSpoolCutShortIsNotSent() {
        const QString path = m_home.filePath("spooled.pdf");
        {
            QPdfWriter pdf(path);
            QPainter(&pdf).drawText(100, 100, noteLines(200));
        }
        QVERIFY(checkSpooledPdf(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.resize(file.size() - 3)); // the last bytes lost
        file.close();
        const PrintStatus whole = checkSpooledPdf(path);
        QVERIFY(!whole && whole.failure().message().contains("no room"));
    }

    void theSpoolGoesOnEveryPath() {
        // A process ended by SIGTERM while its document waits, with a temporary
        // directory that is not there: /tmp, not the root, and nothing left.
        int pipe[2];
        QCOMPARE(::pipe(pipe), 0);
        if (::fork() == 0) {
            ::signal(SIGTERM, SIG_DFL); // not the test runner's: the spool's comes first
            qputenv("TMPDIR", m_home.filePath("missing").toLocal8Bit());
            auto held = SpoolDir::create("summary.pdf");
            QFile((*held)->filePath()).open(QIODevice::WriteOnly);
            const QByteArray path = QFile::encodeName((*held)->path());
            (void)!::write(pipe[1], path.constData(), std::min<qsizetype>(path.size(), 128));
            ::raise(SIGTERM);
            ::_exit(0);
        }
        char path[129] = {};
        (void)!::read(pipe[0], path, 128);
        int status = 0;
        ::wait(&status);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
        QVERIFY2(QByteArray(path).startsWith("/tmp/tallaby-"), path);
        QVERIFY(!QFileInfo::exists(QFile::decodeName(path)));

        auto spool = SpoolDir::create("summary.pdf");
        const QString dir = (*spool)->path();
        QFile((*spool)->filePath()).open(QIODevice::WriteOnly);
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
        QTest::newRow("a silent print server is given up on at the time limit")
            << true << QStringList() << std::optional(PrintError::ServerNotAnswering)
            << "not running or not answering";
        QTest::newRow("a paused queue takes the job and says it waits")
            << true << QStringList() << std::optional(PrintError::QueuePaused) << "queue is paused";
        QTest::newRow("a bad income is named, nothing prints until it is fixed")
            << false << QStringList{"inc2", "12x"} << none << "Partners Income is not a number";
        QTest::newRow("a bad expense too")
            << true << QStringList{"c28", "4..5"} << none << "Expense 28 amount is not a number";
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
        server.lookupHangs = trouble == PrintError::ServerNotAnswering;
        server.lookupSays = trouble == PrintError::NoPrinter ? trouble : std::nullopt;
        server.queueSays = trouble == PrintError::QueuePaused ? trouble : std::nullopt;
        Window window(server);
        for (int i = 0; i + 1 < amounts.size(); i += 2)
            window.form.findChild<QLineEdit *>(amounts[i])->setText(amounts[i + 1]);
        const auto print = [&] {
            window.form.Timer1_Timer();
            if (menu)
                window.form.controls().print->trigger();
            else
                QTest::mouseClick(window.form.controls().printSummary, Qt::LeftButton);
            return window.printed();
        };

        QVERIFY(print());
        const QString messages = window.told().join(u'|'); // one, or none
        QVERIFY2(told.isEmpty() ? messages.isEmpty()
                                : messages.contains(told) && !messages.contains(u'|'),
                 qPrintable(messages));
        const bool refused = !amounts.isEmpty();
        QCOMPARE(server.count->sent, refused || server.lookupHangs || server.lookupSays ? 0 : 1);
        if (!refused)
            return;
        // Marked where the user looks, and printed once corrected.
        const QString field = told.section(" is ", 0, 0) == "Total Income" ? "tottake" : amounts[0];
        auto *marked = window.form.findChild<QLineEdit *>(field);
        QVERIFY(marked->palette().color(QPalette::Base) !=
                QApplication::palette().color(QPalette::Base));
        QVERIFY(marked->accessibleDescription().contains(told.section(" is ", 1).section(' ', 0, 1),
                                                         Qt::CaseInsensitive));
        for (int i = 0; i < amounts.size(); i += 2)
            window.form.findChild<QLineEdit *>(amounts[i])->setText("1");
        QVERIFY(print());
        QCOMPARE(window.told(), QStringList());
        QCOMPARE(server.count->sent, 1);
        QVERIFY(marked->toolTip().isEmpty() && marked->accessibleDescription().isEmpty());
    }

    void aHangingSendKeepsTheWindowTicking() {
        FakeServer server;
        server.sendHangs = true;
        Window window(server);
        window.form.controls().timer->start(); // the real timer

        QTest::mouseClick(window.form.controls().printSummary, Qt::LeftButton);
        QTRY_VERIFY(window.form.cursor().shape() == Qt::BusyCursor);
        window.form.controls().print->trigger(); // one job at a time
        QVERIFY(window.told().join("").contains("on its way"));
        QCOMPARE(window.form.cursor().shape(), Qt::BusyCursor);
        auto *inc3 = window.form.findChild<QLineEdit *>("inc3");
        inc3->clear(); // only a tick puts "0" back
        QTRY_COMPARE_WITH_TIMEOUT(inc3->text(), QStringLiteral("0"), 3000);
        window.form.sheet().notes->setPlainText("Boiler"); // notes edited after a tick
        QTRY_VERIFY(window.form.sheet().summary->text().endsWith("\rBoiler"));

        server.count->release.set_value();
        QVERIFY(window.printed());
        QCOMPARE(server.count->sent, 1);
        QCOMPARE(window.form.cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(window.told(), QStringList());
    }

    void noWorkerOutlivesItsPrinter_data() {
        QTest::addColumn<bool>("atStartUp");
        QTest::addColumn<bool>("whileSending");
        QTest::newRow("a printer lookup at start-up answering during shutdown") << true << false;
        QTest::newRow("a print's lookup answering during shutdown") << false << false;
        QTest::newRow("a print still being sent") << false << true;
    }

    void noWorkerOutlivesItsPrinter() {
        QFETCH(bool, atStartUp);
        QFETCH(bool, whileSending);
        FakeServer server;
        server.lookupHangs = !whileSending;
        server.sendHangs = whileSending;
        SummaryLayout layout;
        auto printer = std::make_unique<SummaryPrinter>(layout, server.access());
        bool answered = false;
        if (atStartUp)
            printer->startLayout([&](const PrintResult<qint32> &) { answered = true; });
        else
            printer->print([&](const PrintStatus &) { answered = true; });
        QTRY_COMPARE(server.count->held, 1);

        QElapsedTimer shutdown;
        shutdown.start();
        printer.reset();
        QVERIFY(shutdown.elapsed() < 2000);
        QCOMPARE(server.count->ended, 1); // ended, not left running
        QCoreApplication::processEvents();
        QVERIFY(!answered);
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
