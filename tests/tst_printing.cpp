// Printing the summary against a fake printer: the print rectangle, the page
// loop, failures, and the print commands' waits for the print server.

#include "fakeprinter.h"
#include "pagetext.h"
#include "printing/module1.h"
#include "printing/summaryprinting.h"

#include <cmath>
#include <future>
#include <limits>
#include <optional>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace tallaby::printing;
using namespace tallaby::printing::testing;
using Paper = FakePrinter::Paper;
using State = FakePrinter::DocumentState;

Q_DECLARE_METATYPE(tallaby::printing::PrintError)
Q_DECLARE_METATYPE(tallaby::printing::TwipsRect)
Q_DECLARE_METATYPE(tallaby::printing::testing::FakePrinter::Paper)

namespace {

constexpr qint32 kInch = 1440;
constexpr qint32 kMin = std::numeric_limits<qint32>::min();
const Paper kLetter{12240, 15840, {300, 300}, 1200};

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

void lay(SummaryLayout &layout, const QString &text, int points = 10) {
    layout.setFont("Arial", points);
    layout.setText(text);
}

// A print server that answers once `answer` is ready (or gives up after 20 s, so
// that a fault cannot hang the run).
PrinterAccess heldServer(std::shared_future<void> answer, std::chrono::milliseconds wait) {
    return {[answer]() -> PrinterOpening {
                if (answer.wait_for(20s) != std::future_status::ready)
                    return printFailure(PrintError::ServerNotAnswering);
                return std::unique_ptr<PrinterService>(std::make_unique<FakePrinter>());
            },
            wait};
}

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
        QTest::addColumn<TwipsRect>("rect");
        QTest::addColumn<qint32>("lineWidth");

        QTest::newRow("8.5 x 11 in with quarter-inch offsets prints in (0.75, 0.75, 7.25, 9.75) in")
            << kLetter << TwipsRect{1080, 1080, 10440, 14040} << 9360;
        QTest::newRow("A4 at 600 dpi with unequal offsets keeps across and down apart")
            << Paper{11906, 16838, {100, 50}, 600} << TwipsRect{1200, 1320, 10226, 15278} << 9026;
        QTest::newRow("an offset of 177.6 twips counts as 178")
            << Paper{12240, 15840, {148, 148}, 1200} << TwipsRect{1262, 1262, 10622, 14222} << 9360;
        QTest::newRow("an offset of 4.5 twips counts as 4, the even neighbour")
            << Paper{12240, 15840, {1, 1}, 320} << TwipsRect{1436, 1436, 10796, 14396} << 9360;
    }

    void marginsLessOffsetsGiveThePrintRectangle() {
        QFETCH(Paper, paper);
        QFETCH(TwipsRect, rect);
        QFETCH(qint32, lineWidth);
        SummaryLayout layout;
        lay(layout, summaryWith(noteLines(3)));
        FakePrinter printer(paper);

        // The offset cancels out of the line width; set-up prints nothing.
        auto width = Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch);
        QVERIFY(width);
        QCOMPARE(*width, lineWidth);
        QCOMPARE(layout.lineWidth(), lineWidth);
        QCOMPARE(layout.targetDevice()->resolution(), paper.resolution);
        QVERIFY(!printer.hasOpenDocument());
        QCOMPARE(printer.documentCount(State::Ended), 0);

        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));
        const auto &pages = printer.documents().back()->pages;
        QCOMPARE(pages.size(), std::size_t(1));
        const double units = paper.resolution / 1440.0; // per twip
        const QRectF expected(rect.left * units, rect.top * units,
                              (rect.right - rect.left) * units - 1,
                              (rect.bottom - rect.top) * units - 1);
        QCOMPARE(pages[0]->texts().front().clip, expected);
        QVERIFY(std::abs(pages[0]->texts().front().position.x() - expected.left()) <= 1.0 / 64);
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
        lay(layout, text);
        FakePrinter printer;
        QVERIFY(Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch));
        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));

        // One pass a page, each page but the first a new page, none of them blank;
        // every line once and in order, none past the print rectangle.
        QCOMPARE(printer.documentCount(State::Ended), 1);
        const auto &pages = printer.documents().back()->pages;
        QCOMPARE(pages.size() == 1, onePage);
        QStringList printed;
        for (const auto &page : pages) {
            for (const DrawnText &piece : page->texts())
                QVERIFY2(piece.clip.contains(piece.position),
                         "text drawn past the print rectangle");
            const QStringList lines = drawnLines(*page);
            QCOMPARE(lines.isEmpty(), text.isEmpty());
            printed += lines;
        }
        QCOMPARE(locateLines(text, printed), visibleLineStarts(layout));
    }

    void aFailureDropsTheDocument_data() {
        QTest::addColumn<bool>("setup");
        QTest::addColumn<Paper>("paper");
        QTest::addColumn<TwipsRect>("margins");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("failing"); // the operation made to fail, and when
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<PrintError>("error");
        QTest::addColumn<int>("dropped"); // documents opened, to read the offsets, and aborted

        const TwipsRect inch{kInch, kInch, kInch, kInch};
        const Paper widest{std::numeric_limits<qint32>::max(), 15840, {0, 0}, 1200};
        const PrintError overflow = PrintError::Overflow, refused = PrintError::JobRefused;
        QTest::newRow("set-up without a printer fails at its first step")
            << true << kLetter << inch << 10 << "printText" << 1 << PrintError::NoPrinter << 0;
        QTest::newRow("set-up that cannot measure the printer keeps the screen layout")
            << true << kLetter << inch << 10 << "createTargetDevice" << 1
            << PrintError::PrinterFailed << 1;
        QTest::newRow("printing without a printer fails at its first step")
            << false << kLetter << inch << 10 << "printText" << 1 << PrintError::NoPrinter << 0;
        QTest::newRow("a failure starting page 3 drops the document")
            << false << kLetter << inch << 10 << "newPage" << 2 << PrintError::PrinterFailed << 1;
        QTest::newRow("a refused document is dropped, not left open")
            << false << kLetter << inch << 10 << "endDocument" << 1 << refused << 1;
        QTest::newRow("margins that leave less than a line stop the print at once")
            << false << kLetter << TwipsRect{kInch, kInch, kInch, 15840 - kInch - kInch / 20} << 10
            << "" << 0 << PrintError::NoProgress << 1;
        QTest::newRow("a font taller than the page stops the print at once")
            << false << kLetter << inch << 900 << "" << 0 << PrintError::NoProgress << 1;
        QTest::newRow("set-up with a left margin below 32 bits less the offset")
            << true << kLetter << TwipsRect{kMin, kInch, kInch, kInch} << 10 << "" << 0 << overflow
            << 1;
        QTest::newRow("set-up with a line width beyond 32 bits")
            << true << widest << TwipsRect{-2'000'000'000, kInch, 0, kInch} << 10 << "" << 0
            << overflow << 1;
        QTest::newRow("printing with an offset of more than 2^31 twips")
            << false << Paper{12240, 15840, {2'000'000, 0}, 1} << inch << 10 << "" << 0 << overflow
            << 1;
        QTest::newRow("printing with a bottom margin below 32 bits")
            << false << kLetter << TwipsRect{kInch, kInch, kInch, kMin} << 10 << "" << 0 << overflow
            << 1;
    }

    void aFailureDropsTheDocument() {
        QFETCH(bool, setup);
        QFETCH(Paper, paper);
        QFETCH(TwipsRect, margins);
        QFETCH(int, points);
        QFETCH(QString, failing);
        QFETCH(int, occurrence);
        QFETCH(PrintError, error);
        QFETCH(int, dropped);
        SummaryLayout layout;
        lay(layout, summaryWith(noteLines(200)), points);
        FakePrinter printer(paper);
        printer.failOn(failing, occurrence, error);

        const auto &[left, top, right, bottom] = margins;
        if (setup) {
            const auto width = Module1::SetupSummaryPrintLayout(layout, printer, left, right);
            QVERIFY(!width);
            QCOMPARE(width.failure().error, error);
            QVERIFY(!layout.hasTargetDevice()); // the screen layout stays as it was
        } else {
            const auto done = Module1::PrintSummaryPages(layout, printer, left, top, right, bottom);
            QVERIFY(!done);
            QCOMPARE(done.failure().error, error);
        }
        QVERIFY(!printer.hasOpenDocument());
        QCOMPARE(printer.documentCount(State::Ended), 0);
        QCOMPARE(printer.documentCount(State::Aborted), dropped);
        if (error == PrintError::NoProgress) // stopped, not a new page
            QCOMPARE(printer.documents().back()->pages.size(), std::size_t(1));
    }

    void theScreenBreaksLinesWhereThePaperDoes() {
        SummaryLayout layout;
        lay(layout, summaryWith(paragraph(900)));
        FakePrinter printer;
        QVERIFY(Module1::SetupSummaryPrintLayout(layout, printer, kInch, kInch));
        QVERIFY(Module1::PrintSummaryPages(layout, printer, kInch, kInch, kInch, kInch));
        QStringList printed;
        for (const auto &page : printer.documents().back()->pages)
            printed += drawnLines(*page);

        RecordingDevice screen(QSize(2000, 20000), 96);
        {
            QPainter painter(&screen);
            layout.paint(painter, layout.scaleFor(screen));
        }
        const QList<qint32> onScreen = locateLines(layout.text(), drawnLines(screen));
        QVERIFY(onScreen.size() > 50);
        QCOMPARE(onScreen, visibleLineStarts(layout));
        QCOMPARE(locateLines(layout.text(), printed), onScreen);
    }

    void withoutAPrinterTheUserIsToldSo() {
        SummaryLayout layout;
        const PrintStatus printed = printSummary(layout);
        QVERIFY(!printed);
        QCOMPARE(printed.failure().error, PrintError::NoPrinter);
        QVERIFY2(printed.failure().message().startsWith("No printer is installed"),
                 qPrintable(printed.failure().message()));
    }

    void startUpDoesNotWaitForThePrintServer() {
        std::promise<void> server;
        SummaryLayout layout;
        std::optional<PrintResult<qint32>> setUp;
        startSummaryPrintLayout(
            layout, [&](const PrintResult<qint32> &r) { setUp.emplace(r); },
            heldServer(server.get_future().share(), kPrintServerWait));
        QTest::qWait(50);
        QVERIFY(!setUp && !layout.hasTargetDevice());

        server.set_value();
        QTRY_VERIFY(setUp.has_value());
        QCOMPARE(setUp->value(), 9360);
        QCOMPARE(layout.lineWidth(), 9360);
    }

    void printingGivesUpOnASilentPrintServer() {
        std::promise<void> server;
        SummaryLayout layout;
        const PrintStatus printed =
            printSummary(layout, heldServer(server.get_future().share(), 100ms));
        server.set_value();
        QVERIFY(!printed);
        QCOMPARE(printed.failure().error, PrintError::ServerNotAnswering);
        QVERIFY(printed.failure().message().contains("not answering"));
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
