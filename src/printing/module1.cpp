#include "printing/module1.h"

#include <cmath>
#include <limits>
#include <optional>

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

// Drops the open document unless the routine got to the end of it.
class DocumentGuard {
public:
    explicit DocumentGuard(PrinterService &printer)
        : m_printer(printer) {}
    ~DocumentGuard() {
        if (m_open)
            (void)m_printer.abortDocument();
    }
    DocumentGuard(const DocumentGuard &) = delete;
    DocumentGuard &operator=(const DocumentGuard &) = delete;

    void opened() { m_open = true; }
    void closed() { m_open = false; }

private:
    PrinterService &m_printer;
    bool m_open = false;
};

class CacheRelease {
public:
    explicit CacheRelease(SummaryLayout &control)
        : m_control(control) {}
    ~CacheRelease() { m_control.releaseCache(); }
    CacheRelease(const CacheRelease &) = delete;
    CacheRelease &operator=(const CacheRelease &) = delete;

private:
    SummaryLayout &m_control;
};

// Printing text opens the document even when it then fails to print the text, so
// the guard must drop it either way.
PrintStatus openDocument(PrinterService &printer, DocumentGuard &document) {
    document.opened();
    return printer.printText(kSpace);
}

} // namespace

PrintResult<qint32> SetupSummaryPrintLayout(SummaryLayout &control, PrinterService &printer,
                                            qint32 leftMargin, qint32 rightMargin) {
    DocumentGuard document(printer);
    // A document gives the page's device context; sizes in twips.
    if (auto status = openDocument(printer, document); !status)
        return status.failure();
    if (auto status = printer.useTwips(); !status)
        return status.failure();

    auto leftOffset = physicalOffset(printer, Axis::X);
    if (!leftOffset)
        return leftOffset;

    // The edges relative to the printable area; the offset cancels in the width.
    auto leftEdge = subtract(leftMargin, *leftOffset);
    if (!leftEdge)
        return leftEdge;
    auto pageWidth = printer.paperWidth();
    if (!pageWidth)
        return pageWidth;
    auto rightEdge = subtract(subtract(*pageWidth, rightMargin), *leftOffset);
    if (!rightEdge)
        return rightEdge;
    auto lineWidth = subtract(*rightEdge, *leftEdge);
    if (!lineWidth)
        return lineWidth;

    // The printer's own metrics become the control's target device.
    auto target = printer.createTargetDevice();
    if (!target)
        return target.failure();
    control.setTargetDevice(*target, *lineWidth);

    // Start-up prints nothing.
    document.closed();
    if (auto status = printer.abortDocument(); !status)
        return status.failure();

    return *lineWidth;
}

PrintStatus PrintSummaryPages(SummaryLayout &control, PrinterService &printer, qint32 leftMargin,
                              qint32 topMargin, qint32 rightMargin, qint32 bottomMargin) {
    CacheRelease release(control); // on every path, failures included
    DocumentGuard document(printer);

    if (auto status = openDocument(printer, document); !status)
        return status;
    if (auto status = printer.useTwips(); !status)
        return status;

    // Physical offsets in whole twips, each from its own reading of the page.
    auto leftOffset = physicalOffset(printer, Axis::X);
    if (!leftOffset)
        return leftOffset.failure();
    auto topOffset = physicalOffset(printer, Axis::Y);
    if (!topOffset)
        return topOffset.failure();

    // The print rectangle: left, top, right, bottom.
    RenderRange range;
    auto left = subtract(leftMargin, *leftOffset);
    if (!left)
        return left.failure();
    auto top = subtract(topMargin, *topOffset);
    if (!top)
        return top.failure();
    auto pageWidth = printer.paperWidth();
    if (!pageWidth)
        return pageWidth.failure();
    auto right = subtract(subtract(*pageWidth, rightMargin), *leftOffset);
    if (!right)
        return right.failure();
    auto pageHeight = printer.paperHeight();
    if (!pageHeight)
        return pageHeight.failure();
    auto bottom = subtract(subtract(*pageHeight, bottomMargin), *topOffset);
    if (!bottom)
        return bottom.failure();
    range.rect = {*left, *top, *right, *bottom};
    // Margins that meet or cross leave nothing to print on, not a blank success.
    if (*right <= *left || *bottom <= *top)
        return printFailure(PrintError::NoProgress);

    // The page rectangle.
    auto printableWidth = printer.printableWidth();
    if (!printableWidth)
        return printableWidth.failure();
    auto pageRight = roundHalfEven(*printableWidth);
    if (!pageRight)
        return pageRight.failure();
    auto printableHeight = printer.printableHeight();
    if (!printableHeight)
        return printableHeight.failure();
    auto pageBottom = roundHalfEven(*printableHeight);
    if (!pageBottom)
        return pageBottom.failure();
    range.page = {0, 0, *pageRight, *pageBottom};

    // Drawn on and measured on the current page, from two readings.
    auto fillPages = [&]() -> PrintStatus {
        auto drawOn = printer.deviceContext();
        if (!drawOn)
            return drawOn.failure();
        auto measureOn = printer.deviceContext();
        if (!measureOn)
            return measureOn.failure();
        range.painter = drawOn->painter;
        range.target = measureOn->device;
        return printOk();
    };
    if (auto status = fillPages(); !status)
        return status;
    range.first = 0;
    range.last = -1;

    // Read once: the summary does not change while this runs.
    const qint32 length = control.length();

    // One pass per page.
    for (;;) {
        auto next = control.render(range);
        if (!next)
            return next.failure();
        if (*next >= length)
            break;
        if (*next <= range.first)
            return printFailure(PrintError::NoProgress);
        range.first = *next;
        if (auto status = printer.newPage(); !status)
            return status;
        if (auto status = printer.printText(kSpace); !status)
            return status;
        if (auto status = fillPages(); !status)
            return status;
    }

    document.closed();
    if (auto status = printer.endDocument(); !status) {
        // Whatever the printer kept of a document it did not take is dropped.
        (void)printer.abortDocument();
        return status;
    }
    return printOk();
}

} // namespace tallaby::printing::Module1
