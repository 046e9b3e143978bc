#pragma once

#include "printing/defaultprinter.h"
#include "printing/printerlookup.h"
#include "printing/printresult.h"
#include "printing/summarylayout.h"

#include <chrono>
#include <functional>

// What the main window calls. The summary box holds a SummaryLayout, feeds it the
// summary text on every tick and paints it scaled (see SummaryLayout). Then:
//
//     // Form_Load, after the field defaults: returns at once.
//     startSummaryPrintLayout(box->layout());
//
//     // Command2_Click and mnuPrint_Click:
//     if (const PrintStatus printed = printSummary(box->layout()); !printed)
//         QMessageBox::warning(this, tr("Print Summary"), printed.failure().message());
//
// Neither shows a print dialog, and neither throws.
namespace tallaby::printing {

inline constexpr qint32 kOneInch = 1440;

// How the helpers reach the printer: tests put a fake behind `open`.
struct PrinterAccess {
    PrinterOpener open = [] {
        return openDefaultPrinter();
    };
    // How long a print command waits for the print server to find the printer.
    std::chrono::milliseconds wait = kPrintServerWait;
};

// The start-up call: Arial 10 pt at once, then SetupSummaryPrintLayout(layout,
// 1440, 1440) once the default printer has been found on a worker thread, however
// long the print server takes. Until then, or for good if it fails, the layout
// keeps its screen line width. `done` gets the line width or why there is none,
// on the layout's thread; never if the layout is gone by then.
void startSummaryPrintLayout(SummaryLayout &layout,
                             std::function<void(const PrintResult<qint32> &)> done = {},
                             const PrinterAccess &access = {});

// The print command: PrintSummaryPages(layout, 1440, 1440, 1440, 1440) on the
// default printer. Blocks while it prints, waiting for the print server at most
// access.wait at each step; on failure nothing is printed and nothing stays open.
PrintStatus printSummary(SummaryLayout &layout, const PrinterAccess &access = {});

} // namespace tallaby::printing
