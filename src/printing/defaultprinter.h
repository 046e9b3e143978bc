#pragma once

#include "printing/printerservice.h"

#include <chrono>
#include <memory>
#include <QPageSize>
#include <QString>

class QPainter;
class QPrinter;
class QTemporaryDir;

namespace tallaby::printing {

// How long a print command waits for the print server at each exchange.
inline constexpr std::chrono::milliseconds kPrintServerWait{5000};

// The system's default printer over Qt Print Support, at the printer's own paper
// size and resolution, the printable area being what the printer can reach.
//
// A document is drawn into a private PDF file and handed to the print server only
// by endDocument(), so abortDocument() (and destroying the object with a document
// open) really drops it: Qt's own print engine cannot abort a job, and would send
// the blank start-up document to the printer.
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
    PrintStatus abortDocument() override;

    const QString &printerName() const { return m_name; }
    const QPageSize &pageSize() const { return m_pageSize; }
    // The print server's id of the last document sent, 0 before.
    int lastJobId() const { return m_lastJobId; }

private:
    friend PrintResult<std::unique_ptr<PrinterService>>
    openDefaultPrinter(std::chrono::milliseconds serverWait);

    DefaultPrinter(std::unique_ptr<QPrinter> printer, QString name, QPageSize pageSize,
                   std::unique_ptr<QTemporaryDir> spool, std::chrono::milliseconds serverWait);

    bool isOpen() const;
    void closeDocument();
    double twipsX(double units) const;
    double twipsY(double units) const;

    std::unique_ptr<QPrinter> m_printer;
    QString m_name;
    QPageSize m_pageSize;
    std::unique_ptr<QTemporaryDir> m_spool;
    std::chrono::milliseconds m_serverWait;
    std::unique_ptr<QPainter> m_painter;
    bool m_twips = false;
    int m_lastJobId = 0;
};

// Finds the default printer and prepares a document for it. This asks the print
// server and blocks while it does (minutes, if it has stopped), so run it off the
// user-interface thread; PrinterLookup does. Fails with NoPrinter when no default
// printer is installed: a bare QPrinter would quietly make a PDF file instead.
PrintResult<std::unique_ptr<PrinterService>>
openDefaultPrinter(std::chrono::milliseconds serverWait = kPrintServerWait);

} // namespace tallaby::printing
