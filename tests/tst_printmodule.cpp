#include "fakeprinter.h"
#include "pagetext.h"
#include "printing/module1.h"
#include "printing/summarylayout.h"

#include <limits>
#include <QTest>

using namespace tallaby::printing;
using namespace tallaby::printing::testing;

Q_DECLARE_METATYPE(tallaby::printing::PrintError)
Q_DECLARE_METATYPE(tallaby::printing::TwipsRect)
Q_DECLARE_METATYPE(tallaby::printing::testing::FakePrinter::Paper)

namespace {

constexpr qint32 kInch = 1440;
constexpr qint32 kMin = std::numeric_limits<qint32>::min();
constexpr qint32 kMax = std::numeric_limits<qint32>::max();

QString noteLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("Note %1: set aside 25.50 for the gas bill").arg(i));
    return lines.join(u'\r');
}

QString summaryWith(const QString &notes) {
    return QStringLiteral("CASHFLOW SUMMARY\r\rDATE: 06/12/2026\r\rYour Income          : 1200\r"
                          "Free Cash              : 300\r\rNOTES:\r\r") +
           notes;
}

struct Layout {
    SummaryLayout layout;
    explicit Layout(const QString &text, int points = 10) {
        layout.setFont("Arial", points);
        layout.setText(text);
    }
};

FakePrinter::Paper paper(qint32 width, qint32 height, QPoint offset, int resolution) {
    return {width, height, offset, resolution};
}

// The device-unit rectangle that text was confined to on a page, or null.
QRectF clipOf(const RecordingDevice &page) {
    return page.texts().empty() ? QRectF() : page.texts().front().clip;
}

} // namespace

class PrintModuleTest : public QObject {
    Q_OBJECT

private slots:
    void marginsGiveThePrintRectangle_data();
    void marginsGiveThePrintRectangle();
    void offsetsRoundHalfToEven_data();
    void offsetsRoundHalfToEven();
    void pagesFollowOnWherePassesStopped_data();
    void pagesFollowOnWherePassesStopped();
    void setupLeavesNothingOpenOrPrinted();
    void failuresDropTheDocument_data();
    void failuresDropTheDocument();
    void aPassThatRendersNothingStops_data();
    void aPassThatRendersNothingStops();
    void lengthsBeyond32BitsFail_data();
    void lengthsBeyond32BitsFail();
};

void PrintModuleTest::marginsGiveThePrintRectangle_data() {
    QTest::addColumn<FakePrinter::Paper>("paper");
    QTest::addColumn<TwipsRect>("rect");
    QTest::addColumn<qint32>("lineWidth");

    // 8.5 x 11 in with quarter-inch offsets: (0.75, 0.75, 7.25, 9.75) in.
    QTest::newRow("Letter with quarter-inch offsets")
        << paper(12240, 15840, {300, 300}, 1200) << TwipsRect{1080, 1080, 10440, 14040} << 9360;
    QTest::newRow("Letter without offsets")
        << paper(12240, 15840, {0, 0}, 1200) << TwipsRect{1440, 1440, 10800, 14400} << 9360;
    QTest::newRow("A4 at 600 dpi with unequal offsets")
        << paper(11906, 16838, {100, 50}, 600) << TwipsRect{1200, 1320, 10226, 15278} << 9026;
}

void PrintModuleTest::marginsGiveThePrintRectangle() {
    QFETCH(FakePrinter::Paper, paper);
    QFETCH(TwipsRect, rect);
    QFETCH(qint32, lineWidth);

    Layout summary(summaryWith(noteLines(3)));
    FakePrinter printer(paper);
    auto width = Module1::SetupSummaryPrintLayout(summary.layout, printer, kInch, kInch);
    QVERIFY(width);
    QCOMPARE(*width, lineWidth);
    QCOMPARE(summary.layout.lineWidth(), lineWidth);
    QCOMPARE(summary.layout.targetDevice()->resolution(), paper.resolution);

    QVERIFY(Module1::PrintSummaryPages(summary.layout, printer, kInch, kInch, kInch, kInch));
    const auto &pages = printer.documents().back()->pages;
    QCOMPARE(pages.size(), std::size_t(1));
    const double unitsPerTwip = paper.resolution / 1440.0;
    const QRectF expected(rect.left * unitsPerTwip, rect.top * unitsPerTwip,
                          (rect.right - rect.left) * unitsPerTwip - 1,
                          (rect.bottom - rect.top) * unitsPerTwip - 1);
    QCOMPARE(clipOf(*pages[0]), expected);
    QCOMPARE(pages[0]->texts().front().position.x(), expected.left());
}

void PrintModuleTest::offsetsRoundHalfToEven_data() {
    QTest::addColumn<int>("resolution");
    QTest::addColumn<int>("offsetUnits");
    QTest::addColumn<qint32>("offsetTwips");

    QTest::newRow("177.6 twips count as 178") << 1200 << 148 << 178;
    QTest::newRow("4.5 twips count as 4") << 320 << 1 << 4;
    QTest::newRow("5.5 twips count as 6") << 2880 << 11 << 6;
    QTest::newRow("13.2 twips count as 13") << 1200 << 11 << 13;
}

void PrintModuleTest::offsetsRoundHalfToEven() {
    QFETCH(int, resolution);
    QFETCH(int, offsetUnits);
    QFETCH(qint32, offsetTwips);

    Layout summary(summaryWith(QString()));
    FakePrinter printer(paper(12240, 15840, {offsetUnits, offsetUnits}, resolution));
    auto width = Module1::SetupSummaryPrintLayout(summary.layout, printer, kInch, kInch);
    QVERIFY(width);
    QCOMPARE(*width, 9360); // the offset cancels out

    QVERIFY(Module1::PrintSummaryPages(summary.layout, printer, kInch, kInch, kInch, kInch));
    const double unitsPerTwip = resolution / 1440.0;
    const QRectF clip = clipOf(*printer.documents().back()->pages.at(0));
    QCOMPARE(clip.left(), (kInch - offsetTwips) * unitsPerTwip);
    QCOMPARE(clip.top(), (kInch - offsetTwips) * unitsPerTwip);
}

void PrintModuleTest::pagesFollowOnWherePassesStopped_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("onePage");

    QTest::newRow("an empty text prints one blank page") << QString() << true;
    QTest::newRow("a short summary fits on one page") << summaryWith(noteLines(3)) << true;
    QTest::newRow("120 note lines take several pages") << summaryWith(noteLines(120)) << false;
    QTest::newRow("a 2,000-word paragraph wraps across pages")
        << summaryWith(QStringLiteral("budget notes ").repeated(1000)) << false;
}

void PrintModuleTest::pagesFollowOnWherePassesStopped() {
    QFETCH(QString, text);
    QFETCH(bool, onePage);

    Layout summary(text);
    FakePrinter printer;
    QVERIFY(Module1::SetupSummaryPrintLayout(summary.layout, printer, kInch, kInch));
    QVERIFY(Module1::PrintSummaryPages(summary.layout, printer, kInch, kInch, kInch, kInch));

    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Ended), 1);
    const auto &pages = printer.documents().back()->pages;
    QCOMPARE(pages.size() == 1, onePage);
    QCOMPARE(printer.count("newPage"), int(pages.size()) - 1);

    // Every line shows once, in order, and each page starts where the one before
    // it stopped: nothing is skipped or printed twice at a page break.
    QStringList printed;
    for (const auto &page : pages) {
        for (const DrawnText &piece : page->texts())
            QVERIFY2(piece.clip.contains(piece.position), "text drawn past the print rectangle");
        const QStringList lines = drawnLines(*page);
        if (!text.isEmpty())
            QVERIFY2(!lines.isEmpty(), "a page of a non-empty summary came out blank");
        printed += lines;
    }
    QCOMPARE(locateLines(text, printed), visibleLineStarts(summary.layout));
    if (text.isEmpty())
        QVERIFY(printed.isEmpty());
}

void PrintModuleTest::setupLeavesNothingOpenOrPrinted() {
    Layout summary(summaryWith(noteLines(3)));
    FakePrinter printer;
    QVERIFY(Module1::SetupSummaryPrintLayout(summary.layout, printer, kInch, kInch));

    QVERIFY(!printer.hasOpenDocument());
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Ended), 0);
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Aborted), 1);
}

void PrintModuleTest::failuresDropTheDocument_data() {
    QTest::addColumn<bool>("setup");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<PrintError>("error");
    QTest::addColumn<bool>("opened");

    QTest::newRow("set-up without a printer fails at its first step")
        << true << "printText" << 1 << PrintError::NoPrinter << false;
    QTest::newRow("set-up fails when the target device cannot be made")
        << true << "createTargetDevice" << 1 << PrintError::PrinterFailed << true;
    QTest::newRow("print without a printer fails at its first step")
        << false << "printText" << 1 << PrintError::NoPrinter << false;
    QTest::newRow("print fails starting page 3")
        << false << "newPage" << 2 << PrintError::PrinterFailed << true;
    QTest::newRow("print fails writing on page 2")
        << false << "printText" << 2 << PrintError::PrinterFailed << true;
    QTest::newRow("print fails reading page 3")
        << false << "deviceContext" << 8 << PrintError::PrinterFailed << true;
    QTest::newRow("print fails sending the document")
        << false << "endDocument" << 1 << PrintError::JobRefused << true;
}

void PrintModuleTest::failuresDropTheDocument() {
    QFETCH(bool, setup);
    QFETCH(QString, operation);
    QFETCH(int, occurrence);
    QFETCH(PrintError, error);
    QFETCH(bool, opened);

    Layout summary(summaryWith(noteLines(200)));
    FakePrinter printer;
    printer.failOn(operation, occurrence, error);
    if (setup) {
        auto width = Module1::SetupSummaryPrintLayout(summary.layout, printer, kInch, kInch);
        QVERIFY(!width);
        QCOMPARE(width.failure().error, error);
        // The screen layout stays as it was, bound to no printer.
        QVERIFY(!summary.layout.hasTargetDevice());
    } else {
        auto printed =
            Module1::PrintSummaryPages(summary.layout, printer, kInch, kInch, kInch, kInch);
        QVERIFY(!printed);
        QCOMPARE(printed.failure().error, error);
    }
    QVERIFY(!printer.hasOpenDocument());
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Ended), 0);
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Aborted), opened ? 1 : 0);
}

void PrintModuleTest::aPassThatRendersNothingStops_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<qint32>("bottomMargin");

    QTest::newRow("margins that leave less than a line")
        << 10 << qint32(15840 - kInch - kInch / 20);
    QTest::newRow("a font taller than the page") << 900 << kInch;
}

void PrintModuleTest::aPassThatRendersNothingStops() {
    QFETCH(int, points);
    QFETCH(qint32, bottomMargin);

    Layout summary(summaryWith(noteLines(3)), points);
    FakePrinter printer;
    auto printed =
        Module1::PrintSummaryPages(summary.layout, printer, kInch, kInch, kInch, bottomMargin);
    QVERIFY(!printed);
    QCOMPARE(printed.failure().error, PrintError::NoProgress);
    QCOMPARE(printer.count("newPage"), 0);
    QVERIFY(!printer.hasOpenDocument());
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Aborted), 1);
}

void PrintModuleTest::lengthsBeyond32BitsFail_data() {
    QTest::addColumn<bool>("setup");
    QTest::addColumn<FakePrinter::Paper>("paper");
    QTest::addColumn<qint32>("left");
    QTest::addColumn<qint32>("right");
    QTest::addColumn<qint32>("bottom");

    const auto letter = paper(12240, 15840, {300, 300}, 1200);
    const auto widest = paper(kMax, 15840, {0, 0}, 1200);
    const auto farOffset = paper(12240, 15840, {2'000'000, 0}, 1);
    for (bool setup : {true, false}) {
        const char *routine = setup ? "set-up" : "print";
        QTest::addRow("%s: a left margin below the range less the offset", routine)
            << setup << letter << kMin << kInch << kInch;
        QTest::addRow("%s: a right margin below zero on the widest paper", routine)
            << setup << widest << kInch << -kInch << kInch;
        QTest::addRow("%s: an offset of more than 2^31 twips", routine)
            << setup << farOffset << kInch << kInch << kInch;
    }
    QTest::newRow("set-up: a line width beyond the range")
        << true << widest << -2'000'000'000 << 0 << kInch;
    QTest::newRow("print: a bottom margin below the range")
        << false << letter << kInch << kInch << kMin;
}

void PrintModuleTest::lengthsBeyond32BitsFail() {
    QFETCH(bool, setup);
    QFETCH(FakePrinter::Paper, paper);
    QFETCH(qint32, left);
    QFETCH(qint32, right);
    QFETCH(qint32, bottom);

    Layout summary(summaryWith(noteLines(3)));
    FakePrinter printer(paper);
    if (setup) {
        auto width = Module1::SetupSummaryPrintLayout(summary.layout, printer, left, right);
        QVERIFY(!width);
        QCOMPARE(width.failure().error, PrintError::Overflow);
    } else {
        auto printed =
            Module1::PrintSummaryPages(summary.layout, printer, left, kInch, right, bottom);
        QVERIFY(!printed);
        QCOMPARE(printed.failure().error, PrintError::Overflow);
    }
    QVERIFY(!printer.hasOpenDocument());
    QCOMPARE(printer.documentCount(FakePrinter::DocumentState::Ended), 0);
}

QTEST_MAIN(PrintModuleTest)
#include "tst_printmodule.moc"
