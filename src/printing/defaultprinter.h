#pragma once

#include "printing/printerservice.h"

#include <chrono>
#include <memory>
#include <QPageSize>
#include <QString>
#include <stop_token>

class QPainter;
class QPrinter;

namespace tallaby::printing {

// How long a print command waits for the print server at each exchange.
inline constexpr std::chrono::milliseconds kPrintServerWait{5000};

class SpoolDir;

// The system's default printer over Qt Print Support, at the printer's own paper
// size and resolution, the printable area being what the printer can reach.
//
// A document is drawn into a private PDF file, checked by endDocument() and handed
// to the print server only by the delivery it leaves, so abortDocument() (and
// destroying the object with a document open) really drops it: Qt's own print
// engine cannot abort a job, and would send the blank start-up document to the
// printer.
class DefaultPrinter final : public PrinterService {
public:
    ~DefaultPrinter() override;

    PrintStatus printText(const QString &text) override;
    PrintStatus useTwips() override;
    PrintResult<PageContext> deviceContext() override;
    PrintResult<double> deviceUnitsToTwipsX(double units) override;
    PrintResult<double> deviceUnitsToTwipsY(double units) override;
    PrintResult<qint32> paperWidth() override;
    PrintResult<qint32> paperHeight() override;
    PrintResult<double> printableWidth() override;
    PrintResult<double> printableHeight() override;
    PrintResult<TargetDevice> createTargetDevice() override;
    PrintStatus newPage() override;
    PrintStatus endDocument() override;
    std::unique_ptr<Delivery> takeDelivery() override;
    PrintStatus abortDocument() override;

    const QString &printerName() const { return m_name; }

private:
    friend PrintResult<std::unique_ptr<PrinterService>>
    openDefaultPrinter(std::chrono::milliseconds serverWait, std::stop_token stop);

    DefaultPrinter(std::unique_ptr<QPrinter> printer, QString name,
                   std::chrono::milliseconds serverWait);

    bool isOpen() const;
    void closeDocument();
    PrintFailure pageFailure(const QString &what) const;
    double twipsX(double units) const;
    double twipsY(double units) const;

    std::unique_ptr<QPrinter> m_printer;
    QString m_name;
    std::chrono::milliseconds m_serverWait;
    std::unique_ptr<SpoolDir> m_spool;
    std::unique_ptr<Delivery> m_delivery;
    std::unique_ptr<QPainter> m_painter;
    bool m_twips = false;
};

// Gives `printer` the queue's own paper (Qt starts every printer on A4), the
// printable area the printer can reach, and the document's title.
void preparePrinter(QPrinter &printer, const QPageSize &queuePaper);

// Finds the default printer and prepares a document for it. This asks the print
// server and blocks while it does, so run it off the user-interface thread. Where
// the print server can be asked directly, it is first, for at most serverWait and
// only until `stop` is requested. Fails with NoPrinter or NoDefaultPrinter when
// there is no default printer: a bare QPrinter would quietly make a PDF instead.
PrintResult<std::unique_ptr<PrinterService>>
openDefaultPrinter(std::chrono::milliseconds serverWait = kPrintServerWait,
                   std::stop_token stop = {});

} // namespace tallaby::printing
