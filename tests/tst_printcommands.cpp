#include "fakeprinter.h"
#include "printing/summaryprinting.h"

#include <future>
#include <optional>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace tallaby::printing;
using namespace tallaby::printing::testing;

namespace {

// A print server that answers only when the test says so (or gives up after a
// while, so that a fault cannot hang the run).
class HeldServer {
public:
    PrinterAccess access(std::chrono::milliseconds wait = kPrintServerWait) const {
        auto released = m_released;
        return {[released]() -> PrinterOpening {
                    if (released.wait_for(20s) != std::future_status::ready)
                        return printFailure(PrintError::ServerNotAnswering);
                    return std::unique_ptr<PrinterService>(std::make_unique<FakePrinter>());
                },
                wait};
    }
    void answer() { m_release.set_value(); }

private:
    std::promise<void> m_release;
    std::shared_future<void> m_released = m_release.get_future().share();
};

PrinterAccess lending(PrinterService &printer) {
    return {[&printer]() -> PrinterOpening {
                return std::unique_ptr<PrinterService>(std::make_unique<BorrowedPrinter>(printer));
            },
            kPrintServerWait};
}

struct SetupReport {
    std::optional<PrintResult<qint32>> result;
    auto callback() {
        return [this](const PrintResult<qint32> &r) {
            result.emplace(r);
        };
    }
};

} // namespace

class PrintCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void withoutAPrinterNothingIsPrintedAndTheUserIsTold();
    void startUpDoesNotWaitForThePrintServer();
    void printGivesUpOnASilentPrintServer();
    void aLateAnswerAfterTheLayoutIsGoneIsDropped();
    void printUsesOneInchMarginsAndReportsFailures();

private:
    QTemporaryDir m_home;
};

void PrintCommandsTest::initTestCase() {
    // A print server address where none listens: this machine has no printer.
    QVERIFY(m_home.isValid());
    qputenv("CUPS_SERVER", m_home.filePath("no-server.sock").toLocal8Bit());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
}

void PrintCommandsTest::withoutAPrinterNothingIsPrintedAndTheUserIsTold() {
    QCOMPARE(openDefaultPrinter().failure().error, PrintError::NoPrinter);

    SummaryLayout layout;
    layout.setText("CASHFLOW SUMMARY\r\rNOTES:\r\r");
    SetupReport setup;
    startSummaryPrintLayout(layout, setup.callback());
    QCOMPARE(layout.font().family(), QStringLiteral("Arial"));
    QCOMPARE(layout.font().pointSize(), 10);
    QTRY_VERIFY(setup.result.has_value());
    QCOMPARE(setup.result->failure().error, PrintError::NoPrinter);
    QVERIFY(!layout.hasTargetDevice());

    const PrintStatus printed = printSummary(layout);
    QVERIFY(!printed);
    QCOMPARE(printed.failure().error, PrintError::NoPrinter);
    QVERIFY(printed.failure().message().startsWith("No printer is installed"));
}

void PrintCommandsTest::startUpDoesNotWaitForThePrintServer() {
    HeldServer server;
    SummaryLayout layout;
    layout.setText("CASHFLOW SUMMARY");
    SetupReport setup;

    startSummaryPrintLayout(layout, setup.callback(), server.access());
    QTest::qWait(50);
    QVERIFY(!setup.result);
    QVERIFY(!layout.hasTargetDevice());

    server.answer();
    QTRY_VERIFY(setup.result.has_value());
    QCOMPARE(setup.result->value(), 9360);
    QVERIFY(layout.hasTargetDevice());
    QCOMPARE(layout.lineWidth(), 9360);
}

void PrintCommandsTest::printGivesUpOnASilentPrintServer() {
    HeldServer server;
    SummaryLayout layout;
    layout.setText("CASHFLOW SUMMARY");

    const PrintStatus printed = printSummary(layout, server.access(100ms));
    QVERIFY(!printed);
    QCOMPARE(printed.failure().error, PrintError::ServerNotAnswering);
    QVERIFY(printed.failure().message().contains("not answering"));
    server.answer();
}

void PrintCommandsTest::aLateAnswerAfterTheLayoutIsGoneIsDropped() {
    HeldServer server;
    SetupReport setup;
    {
        SummaryLayout layout;
        startSummaryPrintLayout(layout, setup.callback(), server.access());
    }
    server.answer();
    QTest::qWait(200);
    QVERIFY(!setup.result);
}

void PrintCommandsTest::printUsesOneInchMarginsAndReportsFailures() {
    SummaryLayout layout;
    layout.setFont("Arial", 10);
    layout.setText("CASHFLOW SUMMARY\r\rNOTES:\r\rPay the rent");
    FakePrinter printer(FakePrinter::Paper{12240, 15840, {0, 0}, 1200});

    QVERIFY(printSummary(layout, lending(printer)));
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Ended), 1);
    const DrawnText &first = printer.documents().back()->pages.at(0)->texts().at(0);
    QCOMPARE(first.clip, QRectF(1200, 1200, 7800 - 1, 10800 - 1));

    printer.failOn("endDocument", 2, PrintError::JobRefused);
    const PrintStatus refused = printSummary(layout, lending(printer));
    QVERIFY(!refused);
    QVERIFY(refused.failure().message().contains("endDocument failed as scripted"));
    QVERIFY(!printer.hasOpenDocument());
}

QTEST_MAIN(PrintCommandsTest)
#include "tst_printcommands.moc"
