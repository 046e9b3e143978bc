#pragma once

#include "printing/printresult.h"
#include "printing/targetdevice.h"
#include "twips.h"

#include <memory>
#include <QPoint>
#include <QString>
#include <stop_token>

class QPainter;
class QPaintDevice;

namespace tallaby::printing {

// The current page of an open print document.
struct PageContext {
    QPainter *painter = nullptr;          // draws on the page; origin at the printable area
    const QPaintDevice *device = nullptr; // the page's device, for measuring text
    QPoint physicalOffset;                // paper edge to printable area, device units
};

// A finished document on its way to the printer: what is left of a print once
// its pages are drawn. send() may wait on the print server, so it runs off the
// user-interface thread; it gives up soon after `stop` is requested.
class Delivery {
public:
    virtual ~Delivery() = default;
    virtual PrintStatus send(std::stop_token stop) = 0;
};

// The default printer seen as a print document with pages: what printing the
// summary asks of a printer, and no more. Every operation can fail. Sizes are in
// twips (twips.h) except where device units are said.
class PrinterService {
public:
    virtual ~PrinterService() = default;

    // Prints text at the top-left of the current page, opening a document (and its
    // first page) first when none is open.
    virtual PrintStatus printText(const QString &text) = 0;
    // Printable sizes come in twips from here on; before, in device units.
    virtual PrintStatus useTwips() = 0;
    // The current page; another one after newPage().
    virtual PrintResult<PageContext> deviceContext() = 0;
    // Twips for a distance in device units, at the printer's resolution on each axis.
    virtual PrintResult<double> deviceUnitsToTwipsX(double units) = 0;
    virtual PrintResult<double> deviceUnitsToTwipsY(double units) = 0;
    // The paper, in whole twips.
    virtual PrintResult<qint32> paperWidth() = 0;
    virtual PrintResult<qint32> paperHeight() = 0;
    // The printable area, in twips after useTwips(), else in device units.
    virtual PrintResult<double> printableWidth() = 0;
    virtual PrintResult<double> printableHeight() = 0;
    // The printer's metrics apart from the document, to lay text out against.
    virtual PrintResult<TargetDevice> createTargetDevice() = 0;
    // Ends the current page and begins the next.
    virtual PrintStatus newPage() = 0;
    // Ends the document. What is then left to hand it to the printer comes from
    // takeDelivery(): nothing, for a printer that took the pages as drawn.
    virtual PrintStatus endDocument() = 0;
    virtual std::unique_ptr<Delivery> takeDelivery() { return nullptr; }
    // Drops the open document, if any: nothing of it prints.
    virtual PrintStatus abortDocument() = 0;

protected:
    PrinterService() = default;
    PrinterService(const PrinterService &) = delete;
    PrinterService &operator=(const PrinterService &) = delete;
};

} // namespace tallaby::printing
