#pragma once

#include "printing/printerservice.h"
#include "printing/printresult.h"
#include "printing/summarylayout.h"

// The two summary printing routines, step by step, against any PrinterService.
// Margins are distances in twips from the paper's edges. Lengths are 32-bit signed
// integers; a result outside that range fails with PrintError::Overflow, and
// physical offsets are rounded to whole twips, halves to the even neighbour.
// Whatever fails, no print document is left open.
namespace tallaby::printing::Module1 {

// Lays `control` out for the printer at the width between the two margins and
// returns that width. Opens a document to read the printer's offsets and drops it:
// nothing prints. On failure the control keeps its screen layout.
PrintResult<qint32> SetupSummaryPrintLayout(SummaryLayout &control, PrinterService &printer,
                                            qint32 leftMargin, qint32 rightMargin);

// Prints the control's whole text, one page per pass, and ends the document. A
// pass that renders nothing stops the print with PrintError::NoProgress, and any
// failure drops the document. The control's render cache is released either way.
PrintStatus PrintSummaryPages(SummaryLayout &control, PrinterService &printer, qint32 leftMargin,
                              qint32 topMargin, qint32 rightMargin, qint32 bottomMargin);

} // namespace tallaby::printing::Module1
