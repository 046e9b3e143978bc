#include "fakeprinter.h"
#include "pagetext.h"
#include "printing/module1.h"
#include "printing/summarylayout.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace tallaby::printing;
using namespace tallaby::printing::testing;

namespace {

// A long paragraph of notes, as a user might type it: words of every length.
QString longNotes(int words) {
    static const QStringList vocabulary = {"rent",        "increases",
                                           "in",          "March",
                                           "so",          "the",
                                           "boiler",      "service",
                                           "and",         "car",
                                           "insurance",   "renewal",
                                           "should",      "be",
                                           "paid",        "from",
                                           "the",         "holiday",
                                           "fund;",       "remember",
                                           "a",           "1,250",
                                           "deposit,",    "electricity",
                                           "(quarterly)", "telecommunications"};
    QStringList picked;
    for (int i = 0; i < words; ++i)
        picked.append(vocabulary[(i * 7 + i / 5) % vocabulary.size()]);
    return picked.join(u' ');
}

QString summaryWith(const QString &notes) {
    return QStringLiteral("CASHFLOW SUMMARY - Please support us by visiting "
                          "https://www.veltrane.example/\r\rDATE: 06/12/2026\r\r"
                          "Your Income          : 1,850.50\rPartners Income    : 920\r"
                          "Other Income        : 0\rTotal Income         : 2770.5\r"
                          "Total Expendature : 750.25\r\rFree Cash              : 2020.25\r\r"
                          "NOTES:\r\r") +
           notes;
}

} // namespace

class PrintLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void positionsAreIndicesIntoTheText_data();
    void positionsAreIndicesIntoTheText();
    void linesBreakAtTheLineWidth_data();
    void linesBreakAtTheLineWidth();
    void screenShowsThePrintedLines_data();
    void screenShowsThePrintedLines();
    void renderFillsTheRectangleWithWholeLines();
    void screenLineWidthAppliesUntilATargetIsSet();
};

void PrintLayoutTest::positionsAreIndicesIntoTheText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<qint32>>("starts");

    QTest::newRow("an empty text is one empty line") << QString() << QList<qint32>{0};
    QTest::newRow("a lone carriage return ends a line") << "ab\rcd" << QList<qint32>{0, 3};
    QTest::newRow("two carriage returns leave an empty line")
        << "ab\r\rcd" << QList<qint32>{0, 3, 4};
    QTest::newRow("a break at the end leaves an empty last line") << "ab\r" << QList<qint32>{0, 3};
    QTest::newRow("CR LF is one break of two characters") << "ab\r\ncd" << QList<qint32>{0, 4};
    QTest::newRow("a lone line feed ends a line too") << "ab\ncd\n" << QList<qint32>{0, 3, 6};
    QTest::newRow("blanks before a break stay on their line")
        << "NOTES:  \r\rx" << QList<qint32>{0, 9, 10};
}

void PrintLayoutTest::positionsAreIndicesIntoTheText() {
    QFETCH(QString, text);
    QFETCH(QList<qint32>, starts);

    SummaryLayout layout;
    layout.setFont("Arial", 10);
    layout.setText(text);

    QCOMPARE(layout.lineStarts(), starts);
    QCOMPARE(layout.length(), text.size());
}

void PrintLayoutTest::linesBreakAtTheLineWidth_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("lineWidth");

    QTest::newRow("notes wrap between words at 6.5 inches") << longNotes(300) << 9360;
    QTest::newRow("notes wrap between words at 2 inches") << longNotes(120) << 2880;
    QTest::newRow("a word longer than the line is broken inside")
        << QString(400, u'x') + " end" << 2880;
}

void PrintLayoutTest::linesBreakAtTheLineWidth() {
    QFETCH(QString, text);
    QFETCH(qint32, lineWidth);

    SummaryLayout layout;
    layout.setFont("Arial", 10);
    layout.setText(text);
    layout.setTargetDevice(TargetDevice(1200), lineWidth);

    const QList<qint32> starts = layout.lineStarts();
    QVERIFY2(starts.size() > 2, "the text should need several lines");
    const bool longWord = !text.contains(u' ') || text.startsWith(u'x');
    for (qsizetype i = 1; i < starts.size(); ++i) {
        QVERIFY(starts[i] > starts[i - 1]);
        if (!longWord)
            QCOMPARE(text.at(starts[i] - 1), u' ');
    }
    // Nothing sticks out past the line width.
    QCOMPARE(layout.size().width(), lineWidth * 1200.0 / 1440);
}

void PrintLayoutTest::screenShowsThePrintedLines_data() {
    QTest::addColumn<int>("words");
    QTest::addColumn<qint32>("paperWidth");
    QTest::addColumn<int>("screenDpi");

    QTest::newRow("a long paragraph on Letter, shown at 96 dpi") << 900 << 12240 << 96;
    QTest::newRow("a long paragraph on A4, shown at 144 dpi") << 900 << 11906 << 144;
    QTest::newRow("a short summary on Letter, shown at 120 dpi") << 5 << 12240 << 120;
}

void PrintLayoutTest::screenShowsThePrintedLines() {
    QFETCH(int, words);
    QFETCH(qint32, paperWidth);
    QFETCH(int, screenDpi);

    SummaryLayout layout;
    layout.setFont("Arial", 10);
    layout.setText(summaryWith(longNotes(words)));
    FakePrinter::Paper paper;
    paper.widthTwips = paperWidth;
    FakePrinter printer(paper);
    QVERIFY(Module1::SetupSummaryPrintLayout(layout, printer, 1440, 1440));
    QVERIFY(Module1::PrintSummaryPages(layout, printer, 1440, 1440, 1440, 1440));

    // What the screen shows: the same layout, scaled.
    const QList<qint32> expected = visibleLineStarts(layout);
    RecordingDevice screen(QSize(2000, 20000), screenDpi);
    {
        QPainter painter(&screen);
        layout.paint(painter, layout.scaleFor(screen));
    }
    QCOMPARE(locateLines(layout.text(), drawnLines(screen)), expected);

    // What the paper shows, page after page.
    QStringList printed;
    for (const auto &page : printer.documents().back()->pages)
        printed += drawnLines(*page);
    QCOMPARE(locateLines(layout.text(), printed), expected);
}

void PrintLayoutTest::renderFillsTheRectangleWithWholeLines() {
    SummaryLayout layout;
    layout.setFont("Arial", 10);
    layout.setText(summaryWith(longNotes(400)));
    layout.setTargetDevice(TargetDevice(1200), 9360);
    const QList<qint32> starts = layout.lineStarts();
    const qreal lineHeight = layout.size().height() / starts.size();

    RecordingDevice page(QSize(10200, 13200), 1200);
    QPainter painter(&page);
    RenderRange range;
    range.painter = &painter;
    range.page = {0, 0, 12240, 15840};
    // Room for exactly five lines, in twips.
    const qint32 fiveLines = qCeil(5 * lineHeight * 1440 / 1200);
    range.rect = {1440, 1440, 1440 + 9360, 1440 + fiveLines};

    range.first = starts[3];
    auto next = layout.render(range);
    QVERIFY(next);
    QCOMPARE(*next, starts[8]);

    // The clip stops one device pixel short of the rectangle, so the sixth line,
    // which starts on its bottom edge, cannot show.
    const QRectF rect(1200, 1200, 7800, fiveLines * 1200.0 / 1440);
    for (const DrawnText &text : page.texts())
        QCOMPARE(text.clip, rect.adjusted(0, 0, -1, -1));

    range.last = starts[5];
    next = layout.render(range);
    QVERIFY(next);
    QCOMPARE(*next, starts[5]);

    range.last = -1;
    range.first = layout.length();
    next = layout.render(range);
    QVERIFY(next);
    QCOMPARE(*next, layout.length());

    range.first = starts[3];
    range.rect.bottom = range.rect.top + fiveLines / 10;
    next = layout.render(range);
    QVERIFY(next);
    QCOMPARE(*next, starts[3]);
}

void PrintLayoutTest::screenLineWidthAppliesUntilATargetIsSet() {
    SummaryLayout layout;
    layout.setFont("Arial", 10);
    layout.setText(longNotes(200));
    QSignalSpy changed(&layout, &SummaryLayout::layoutChanged);

    QVERIFY(!layout.hasTargetDevice());
    QCOMPARE(layout.resolution(), SummaryLayout::kReferenceResolution);
    const qsizetype defaultLines = layout.lineStarts().size();

    layout.setScreenLineWidth(2880);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(layout.lineWidth(), 2880);
    QVERIFY(layout.lineStarts().size() > defaultLines);

    layout.setTargetDevice(TargetDevice(600), 9360);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(layout.resolution(), 600);
    const QList<qint32> printerLines = layout.lineStarts();

    // A widget resizing itself no longer moves the line breaks.
    layout.setScreenLineWidth(1440);
    QCOMPARE(layout.lineWidth(), 9360);
    QCOMPARE(layout.lineStarts(), printerLines);
}

QTEST_MAIN(PrintLayoutTest)
#include "tst_printlayout.moc"
