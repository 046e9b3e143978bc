#pragma once

#include "printing/printerservice.h"
#include "printing/printresult.h"
#include "printing/summarylayout.h"

#include <memory>

// The two summary printing routines, step by step, against any PrinterService.
// Margins are distances in twips from the paper's edges. Lengths are 32-bit signed
// integers; a result outside that range fails with PrintError::Overflow, and
// physical offsets are rounded to whole twips, halves to the even neighbour.
// Whatever fails, no print document is left open.
namespace tallaby::printing::Module1 {

// Distances in twips from the paper's edges.
struct Margins {
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};

// The print rectangle on the current page, relative to its printable area: the
// margins less the printer's physical offsets. Both routines print within it.
PrintResult<TwipEdges> printRectangle(PrinterService &printer, const Margins &margins);

// Lays `control` out for the printer at the width between the two margins and
// returns that width. Opens a document to read the printer's offsets and drops it:
// nothing prints. On failure, paper too narrow for a line of the summary included
// (NoProgress), the control keeps its screen layout.
PrintResult<qint32> SetupSummaryPrintLayout(SummaryLayout &control, PrinterService &printer,
                                            qint32 leftMargin, qint32 rightMargin);

// Prints the control's whole text, one page per pass, and ends the document. A
// pass that renders nothing stops the print with PrintError::NoProgress, and any
// failure drops the document. The control's render cache is released either way.
PrintStatus PrintSummaryPages(SummaryLayout &control, PrinterService &printer, qint32 leftMargin,
                              qint32 topMargin, qint32 rightMargin, qint32 bottomMargin);

// PrintSummaryPages a page at a time, for a caller that draws a few pages
// between events. Destroying it before end() drops the document: nothing
// prints. The control's render cache is released either way.
class SummaryPages {
public:
    // Opens the document and finds the rectangles. Paper whose print rectangle
    // cannot hold a line of the summary fails with PrintError::NoProgress.
    static PrintResult<std::unique_ptr<SummaryPages>>
    begin(SummaryLayout &control, PrinterService &printer, const Margins &margins);
    ~SummaryPages();
    SummaryPages(const SummaryPages &) = delete;
    SummaryPages &operator=(const SummaryPages &) = delete;

    // The pages the whole text takes, counted on the layout without drawing.
    int pageCount();
    int pagesDrawn() const { return m_drawn; }
    // One pass of the page loop: true once the last page is drawn.
    PrintResult<bool> drawPage();
    // Ends the document; what follows is the printer's takeDelivery().
    PrintStatus end();

private:
    SummaryPages(SummaryLayout &control, PrinterService &printer);
    PrintStatus fillPage();

    SummaryLayout &m_control;
    PrinterService &m_printer;
    RenderRange m_range;
    qint32 m_length; // read once: the text does not change while this lives
    int m_drawn = 0;
    bool m_open = false;
};

} // namespace tallaby::printing::Module1
