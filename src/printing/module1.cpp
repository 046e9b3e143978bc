#include "printing/module1.h"

#include <cmath>
#include <limits>
#include <QFontMetricsF>
#include <QPaintDevice>

namespace tallaby::printing::Module1 {

namespace {

const QString kSpace = QStringLiteral(" ");

PrintFailure overflow() {
    return printFailure(PrintError::Overflow);
}

// Nearest whole number, halves to the even neighbour, if it fits in 32 bits.
PrintResult<qint32> roundHalfEven(double value) {
    if (!std::isfinite(value))
        return overflow();
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0))
        whole += 1;
    if (whole < std::numeric_limits<qint32>::min() || whole > std::numeric_limits<qint32>::max())
        return overflow();
    return static_cast<qint32>(whole);
}

PrintResult<qint32> subtract(qint32 a, qint32 b) {
    const qint64 difference = qint64(a) - b;
    if (difference < std::numeric_limits<qint32>::min() ||
        difference > std::numeric_limits<qint32>::max())
        return overflow();
    return static_cast<qint32>(difference);
}

PrintResult<qint32> subtract(const PrintResult<qint32> &a, qint32 b) {
    return a ? subtract(*a, b) : a;
}

enum class Axis { X, Y };

// The current page's physical offset on one axis, in whole twips.
PrintResult<qint32> physicalOffset(PrinterService &printer, Axis axis) {
    const auto page = printer.deviceContext();
    if (!page)
        return page.failure();
    const auto twips = axis == Axis::X ? printer.deviceUnitsToTwipsX(page->physicalOffset.x())
                                       : printer.deviceUnitsToTwipsY(page->physicalOffset.y());
    if (!twips)
        return twips.failure();
    return roundHalfEven(*twips);
}

// Printing text opens the document even when it then fails to print the text, so
// the caller must drop it either way.
PrintStatus openDocument(PrinterService &printer, bool &open) {
    open = true;
    return printer.printText(kSpace);
}

// A summary line needs room for the summary's longest label, twenty characters,
// and for one line's height; paper with less prints nothing, not scraps.
constexpr int kNarrowestLineCharacters = 20;

bool holdsALine(const TwipEdges &rect, const QFont &font, const QPaintDevice &device) {
    const QFontMetricsF metrics(font, &device);
    const double width =
        unitsToTwips(metrics.averageCharWidth() * kNarrowestLineCharacters, device.logicalDpiX());
    const double height = unitsToTwips(metrics.height(), device.logicalDpiY());
    return qint64(rect.right) - rect.left >= width && qint64(rect.bottom) - rect.top >= height;
}

} // namespace

PrintResult<TwipEdges> printRectangle(PrinterService &printer, const Margins &margins) {
    // Physical offsets in whole twips, each from its own reading of the page.
    const auto leftOffset = physicalOffset(printer, Axis::X);
    if (!leftOffset)
        return leftOffset.failure();
    const auto topOffset = physicalOffset(printer, Axis::Y);
    if (!topOffset)
        return topOffset.failure();
    const auto pageWidth = printer.paperWidth();
    if (!pageWidth)
        return pageWidth.failure();
    const auto pageHeight = printer.paperHeight();
    if (!pageHeight)
        return pageHeight.failure();
    // Left, top, right, bottom, relative to the printable area.
    const PrintResult<qint32> edges[] = {
        subtract(margins.left, *leftOffset), subtract(margins.top, *topOffset),
        subtract(subtract(*pageWidth, margins.right), *leftOffset),
        subtract(subtract(*pageHeight, margins.bottom), *topOffset)};
    for (const auto &edge : edges) {
        if (!edge)
            return edge.failure();
    }
    return TwipEdges{*edges[0], *edges[1], *edges[2], *edges[3]};
}

PrintResult<qint32> SetupSummaryPrintLayout(SummaryLayout &control, PrinterService &printer,
                                            qint32 leftMargin, qint32 rightMargin) {
    bool open = false;
    const auto fail = [&](const PrintFailure &failure) -> PrintResult<qint32> {
        if (open)
            (void)printer.abortDocument();
        return failure;
    };
    // A document gives the page's device context; sizes in twips.
    if (auto status = openDocument(printer, open); !status)
        return fail(status.failure());
    if (auto status = printer.useTwips(); !status)
        return fail(status.failure());
    // The offset cancels in the width.
    const auto rect = printRectangle(printer, {leftMargin, 0, rightMargin, 0});
    if (!rect)
        return fail(rect.failure());
    const auto lineWidth = subtract(rect->right, rect->left);
    if (!lineWidth)
        return fail(lineWidth.failure());

    // The printer's own metrics become the control's target device, unless its
    // paper cannot hold a line: the screen would then wrap every few characters.
    auto target = printer.createTargetDevice();
    if (!target)
        return fail(target.failure());
    if (!holdsALine(*rect, control.font(), target->metrics()))
        return fail(printFailure(PrintError::NoProgress));
    control.setTargetDevice(*target, *lineWidth);

    // Start-up prints nothing.
    if (auto status = printer.abortDocument(); !status)
        return status.failure();
    return *lineWidth;
}

SummaryPages::SummaryPages(SummaryLayout &control, PrinterService &printer)
    : m_control(control)
    , m_printer(printer)
    , m_length(control.length()) {}

SummaryPages::~SummaryPages() {
    if (m_open)
        (void)m_printer.abortDocument();
    m_control.releaseCache();
}

PrintResult<std::unique_ptr<SummaryPages>>
SummaryPages::begin(SummaryLayout &control, PrinterService &printer, const Margins &margins) {
    std::unique_ptr<SummaryPages> pages(new SummaryPages(control, printer));
    if (auto status = openDocument(printer, pages->m_open); !status)
        return status.failure();
    if (auto status = printer.useTwips(); !status)
        return status.failure();
    const auto rect = printRectangle(printer, margins);
    if (!rect)
        return rect.failure();
    pages->m_range.rect = *rect;

    // The page rectangle.
    const auto printableWidth = printer.printableWidth();
    if (!printableWidth)
        return printableWidth.failure();
    const auto pageRight = roundHalfEven(*printableWidth);
    if (!pageRight)
        return pageRight.failure();
    const auto printableHeight = printer.printableHeight();
    if (!printableHeight)
        return printableHeight.failure();
    const auto pageBottom = roundHalfEven(*printableHeight);
    if (!pageBottom)
        return pageBottom.failure();
    pages->m_range.page = {0, 0, *pageRight, *pageBottom};

    if (auto status = pages->fillPage(); !status)
        return status.failure();
    // Margins that meet or cross, or leave less than a line, print nothing.
    if (!holdsALine(*rect, control.font(), *pages->m_range.target))
        return printFailure(PrintError::NoProgress);
    return pages;
}

// Drawn on and measured on the current page, from two readings.
PrintStatus SummaryPages::fillPage() {
    const auto drawOn = m_printer.deviceContext();
    if (!drawOn)
        return drawOn.failure();
    const auto measureOn = m_printer.deviceContext();
    if (!measureOn)
        return measureOn.failure();
    m_range.painter = drawOn->painter;
    m_range.target = measureOn->device;
    return printOk();
}

int SummaryPages::pageCount() {
    return m_control.pageCount(m_range, *m_range.target);
}

PrintResult<bool> SummaryPages::drawPage() {
    const auto next = m_control.render(m_range);
    if (!next)
        return next.failure();
    ++m_drawn;
    if (*next >= m_length)
        return true;
    if (*next <= m_range.first)
        return printFailure(PrintError::NoProgress);
    m_range.first = *next;
    if (auto status = m_printer.newPage(); !status)
        return status.failure();
    if (auto status = m_printer.printText(kSpace); !status)
        return status.failure();
    if (auto status = fillPage(); !status)
        return status.failure();
    return false;
}

PrintStatus SummaryPages::end() {
    m_open = false;
    if (auto status = m_printer.endDocument(); !status) {
        // Whatever the printer kept of a document it did not take is dropped.
        (void)m_printer.abortDocument();
        return status;
    }
    return printOk();
}

PrintStatus PrintSummaryPages(SummaryLayout &control, PrinterService &printer, qint32 leftMargin,
                              qint32 topMargin, qint32 rightMargin, qint32 bottomMargin) {
    auto pages =
        SummaryPages::begin(control, printer, {leftMargin, topMargin, rightMargin, bottomMargin});
    if (!pages)
        return pages.failure();
    for (;;) {
        const auto last = (*pages)->drawPage();
        if (!last)
            return last.failure();
        if (*last)
            return (*pages)->end();
    }
}

} // namespace tallaby::printing::Module1
