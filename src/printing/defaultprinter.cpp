#include "printing/defaultprinter.h"

#include "printing/spool.h"
#include "twips.h"

#ifdef TALLABY_PRINT_THROUGH_CUPS
#include "printing/cupsjob.h"
#endif

#include <cmath>
#include <limits>
#include <mutex>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStorageInfo>

namespace tallaby::printing {

namespace {

const QString kDocumentTitle = QStringLiteral("Tallaby summary");
const QString kSpoolFileName = QStringLiteral("summary.pdf");

PrintFailure noDocument() {
    return printFailure(PrintError::NoDocument, QStringLiteral("no print document is open"));
}

PrintResult<qint32> wholeTwips(double twips) {
    const double rounded = std::nearbyint(twips);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return printFailure(PrintError::Overflow);
    return static_cast<qint32>(rounded);
}

} // namespace

void preparePrinter(QPrinter &printer, const QPageSize &queuePaper) {
    if (queuePaper.isValid())
        printer.setPageSize(queuePaper);
    // The printable area is what the printer can reach, so the physical offsets
    // are the printer's own.
    const QPageLayout layout = printer.pageLayout();
    printer.setFullPage(false);
    printer.setPageMargins(layout.minimumMargins(), layout.units());
    printer.setDocName(kDocumentTitle);
    printer.setCreator(kDocumentTitle);
}

PrintResult<std::unique_ptr<PrinterService>>
openDefaultPrinter(std::chrono::milliseconds serverWait, std::stop_token stop) {
    int printers = -1; // unknown
#ifdef TALLABY_PRINT_THROUGH_CUPS
    // Qt asks the server without a time limit; ask first with one.
    const auto known = countPrinters(serverWait, stop);
    if (!known)
        return known.failure();
    printers = *known;
#endif
    // Lookups may overlap on worker threads, and Qt loads its printer support
    // lazily without a lock.
    static std::mutex oneAtATime;
    const std::lock_guard lock(oneAtATime);
    if (stop.stop_requested())
        return printFailure(PrintError::ServerNotAnswering);
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return printFailure(
            printers == 0 || (printers < 0 && QPrinterInfo::availablePrinterNames().isEmpty())
                ? PrintError::NoPrinter
                : PrintError::NoDefaultPrinter);

    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return printFailure(PrintError::PrinterFailed,
                            QStringLiteral("%1 cannot be used").arg(info.printerName()));
    preparePrinter(*printer, info.defaultPageSize());
    return std::unique_ptr<PrinterService>(
        new DefaultPrinter(std::move(printer), info.printerName(), serverWait));
}

DefaultPrinter::DefaultPrinter(std::unique_ptr<QPrinter> printer, QString name,
                               std::chrono::milliseconds serverWait)
    : m_printer(std::move(printer))
    , m_name(std::move(name))
    , m_serverWait(serverWait) {}

DefaultPrinter::~DefaultPrinter() {
    closeDocument();
}

bool DefaultPrinter::isOpen() const {
    return m_painter && m_painter->isActive();
}

void DefaultPrinter::closeDocument() {
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_spool.reset();
}

// A page the printer could not start: on a full disk, the spool file's fault.
PrintFailure DefaultPrinter::pageFailure(const QString &what) const {
    constexpr qint64 kRoomForAPage = 1 << 20;
    if (m_spool && QStorageInfo(m_spool->path()).bytesAvailable() < kRoomForAPage)
        return printFailure(PrintError::NoSpoolRoom, QFileInfo(m_spool->path()).absolutePath());
    return printFailure(PrintError::PrinterFailed, what);
}

double DefaultPrinter::twipsX(double units) const {
    return unitsToTwips(units, m_printer->logicalDpiX());
}

double DefaultPrinter::twipsY(double units) const {
    return unitsToTwips(units, m_printer->logicalDpiY());
}

PrintStatus DefaultPrinter::printText(const QString &text) {
    if (!isOpen()) {
        m_delivery.reset();
#ifdef TALLABY_PRINT_THROUGH_CUPS
        auto spool = SpoolDir::create(kSpoolFileName);
        if (!spool)
            return spool.failure();
        m_spool = std::move(*spool);
        m_printer->setOutputFileName(m_spool->filePath());
#endif
        m_painter = std::make_unique<QPainter>();
        if (!m_painter->begin(m_printer.get())) {
            const PrintFailure failure =
                pageFailure(QStringLiteral("could not start a print document"));
            closeDocument();
            return failure;
        }
    }
    const QFontMetricsF metrics(m_painter->font(), m_printer.get());
    m_painter->drawText(QPointF(0, metrics.ascent()), text);
    return printOk();
}

PrintStatus DefaultPrinter::useTwips() {
    m_twips = true;
    return printOk();
}

PrintResult<PageContext> DefaultPrinter::deviceContext() {
    if (!isOpen())
        return noDocument();
    const QRectF paper = m_printer->paperRect(QPrinter::DevicePixel);
    const QRectF printable = m_printer->pageRect(QPrinter::DevicePixel);
    const QPointF offset = printable.topLeft() - paper.topLeft();
    return PageContext{m_painter.get(), m_printer.get(), offset.toPoint()};
}

PrintResult<double> DefaultPrinter::deviceUnitsToTwipsX(double units) {
    return twipsX(units);
}

PrintResult<double> DefaultPrinter::deviceUnitsToTwipsY(double units) {
    return twipsY(units);
}

PrintResult<qint32> DefaultPrinter::paperWidth() {
    return wholeTwips(m_printer->paperRect(QPrinter::Point).width() * kTwipsPerPoint);
}

PrintResult<qint32> DefaultPrinter::paperHeight() {
    return wholeTwips(m_printer->paperRect(QPrinter::Point).height() * kTwipsPerPoint);
}

PrintResult<double> DefaultPrinter::printableWidth() {
    const double units = m_printer->pageRect(QPrinter::DevicePixel).width();
    return m_twips ? twipsX(units) : units;
}

PrintResult<double> DefaultPrinter::printableHeight() {
    const double units = m_printer->pageRect(QPrinter::DevicePixel).height();
    return m_twips ? twipsY(units) : units;
}

PrintResult<TargetDevice> DefaultPrinter::createTargetDevice() {
    return TargetDevice(m_printer->resolution());
}

PrintStatus DefaultPrinter::newPage() {
    if (!isOpen())
        return noDocument();
    if (!m_printer->newPage())
        return pageFailure(QStringLiteral("could not start a page"));
    return printOk();
}

namespace {

#ifdef TALLABY_PRINT_THROUGH_CUPS
// The spooled PDF to the print server; the spool goes with the delivery.
class CupsDelivery final : public Delivery {
public:
    CupsDelivery(QString printer, QString media, std::unique_ptr<SpoolDir> spool,
                 std::chrono::milliseconds wait)
        : m_printer(std::move(printer))
        , m_media(std::move(media))
        , m_spool(std::move(spool))
        , m_wait(wait) {}

    PrintStatus send(std::stop_token stop) override {
        return submitPdfJob(m_printer, m_spool->filePath(), kDocumentTitle, m_media, m_wait,
                            std::move(stop));
    }

private:
    QString m_printer;
    QString m_media;
    std::unique_ptr<SpoolDir> m_spool;
    std::chrono::milliseconds m_wait;
};
#endif

} // namespace

PrintStatus DefaultPrinter::endDocument() {
    if (!isOpen())
        return noDocument();
    const bool written = m_painter->end() && m_printer->printerState() != QPrinter::Error;
    m_painter.reset();
    if (!written) {
        const PrintFailure failure =
            pageFailure(QStringLiteral("could not finish the print document"));
        closeDocument();
        return failure;
    }
#ifdef TALLABY_PRINT_THROUGH_CUPS
    // The engine does not say when its writes fail, so read what it wrote.
    if (auto whole = checkSpooledPdf(m_spool->filePath()); !whole) {
        closeDocument();
        return whole;
    }
    m_delivery = std::make_unique<CupsDelivery>(m_name, m_printer->pageLayout().pageSize().key(),
                                                std::move(m_spool), m_serverWait);
#endif
    return printOk();
}

std::unique_ptr<Delivery> DefaultPrinter::takeDelivery() {
    return std::move(m_delivery);
}

PrintStatus DefaultPrinter::abortDocument() {
#ifndef TALLABY_PRINT_THROUGH_CUPS
    // Without our own spool the platform's engine holds the job; drop it there.
    if (isOpen())
        m_printer->abort();
#endif
    closeDocument();
    m_delivery.reset();
    return printOk();
}

} // namespace tallaby::printing
