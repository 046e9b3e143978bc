#include "printing/summaryprinting.h"

#include "printing/module1.h"

namespace tallaby::printing {

void startSummaryPrintLayout(SummaryLayout &layout,
                             std::function<void(const PrintResult<qint32> &)> done,
                             const PrinterAccess &access) {
    layout.setFont(QStringLiteral("Arial"), 10);
    PrinterLookup lookup(access.open);
    // The relay dies with the layout, so the reference cannot outlive it.
    lookup.whenAnswered(&layout, [&layout, done = std::move(done)](PrinterOpening printer) {
        const PrintResult<qint32> lineWidth =
            printer ? Module1::SetupSummaryPrintLayout(layout, **printer, kOneInch, kOneInch)
                    : PrintResult<qint32>(printer.failure());
        if (done)
            done(lineWidth);
    });
}

PrintStatus printSummary(SummaryLayout &layout, const PrinterAccess &access) {
    PrinterLookup lookup(access.open);
    PrinterOpening printer = lookup.take(access.wait);
    if (!printer)
        return printer.failure();
    return Module1::PrintSummaryPages(layout, **printer, kOneInch, kOneInch, kOneInch, kOneInch);
}

} // namespace tallaby::printing
