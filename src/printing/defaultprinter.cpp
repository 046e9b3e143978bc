#include "printing/defaultprinter.h"

#ifdef TALLABY_PRINT_THROUGH_CUPS
#include "printing/cupsjob.h"
#endif

#include <cmath>
#include <limits>
#include <mutex>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

namespace tallaby::printing {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;

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

PrintResult<std::unique_ptr<PrinterService>>
openDefaultPrinter(std::chrono::milliseconds serverWait) {
    // Lookups may overlap on worker threads, and Qt loads its printer support
    // lazily without a lock.
    static std::mutex oneAtATime;
    const std::lock_guard lock(oneAtATime);
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return printFailure(PrintError::NoPrinter);

    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid())
        return printFailure(PrintError::PrinterFailed,
                            QStringLiteral("%1 cannot be used").arg(info.printerName()));
    // Qt starts every printer on A4; the queue's own default is what the user loaded.
    const QPageSize pageSize = info.defaultPageSize();
    if (pageSize.isValid())
        printer->setPageSize(pageSize);
    // The printable area is what the printer can reach, so the physical offsets
    // are the printer's own.
    const QPageLayout layout = printer->pageLayout();
    printer->setFullPage(false);
    printer->setPageMargins(layout.minimumMargins(), layout.units());
    printer->setDocName(kDocumentTitle);
    printer->setCreator(kDocumentTitle);

    std::unique_ptr<QTemporaryDir> spool;
#ifdef TALLABY_PRINT_THROUGH_CUPS
    spool = std::make_unique<QTemporaryDir>();
    if (!spool->isValid())
        return printFailure(PrintError::PrinterFailed, spool->errorString());
    printer->setOutputFileName(spool->filePath(kSpoolFileName));
#endif

    const QPageSize chosen = printer->pageLayout().pageSize();
    return std::unique_ptr<PrinterService>(new DefaultPrinter(
        std::move(printer), info.printerName(), chosen, std::move(spool), serverWait));
}

DefaultPrinter::DefaultPrinter(std::unique_ptr<QPrinter> printer, QString name, QPageSize pageSize,
                               std::unique_ptr<QTemporaryDir> spool,
                               std::chrono::milliseconds serverWait)
    : m_printer(std::move(printer))
    , m_name(std::move(name))
    , m_pageSize(std::move(pageSize))
    , m_spool(std::move(spool))
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
    if (m_spool)
        QFile::remove(m_spool->filePath(kSpoolFileName));
}

double DefaultPrinter::twipsX(double units) const {
    return units * kTwipsPerInch / m_printer->logicalDpiX();
}

double DefaultPrinter::twipsY(double units) const {
    return units * kTwipsPerInch / m_printer->logicalDpiY();
}

PrintStatus DefaultPrinter::printText(const QString &text) {
    if (!isOpen()) {
        m_painter = std::make_unique<QPainter>();
        if (!m_painter->begin(m_printer.get())) {
            closeDocument();
            return printFailure(PrintError::PrinterFailed,
                                QStringLiteral("could not start a print document"));
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
        return printFailure(PrintError::PrinterFailed, QStringLiteral("could not start a page"));
    return printOk();
}

PrintStatus DefaultPrinter::endDocument() {
    if (!isOpen())
        return noDocument();
    const bool written = m_painter->end() && m_printer->printerState() != QPrinter::Error;
    m_painter.reset();
    if (!written) {
        closeDocument();
        return printFailure(PrintError::PrinterFailed,
                            QStringLiteral("could not finish the print document"));
    }
#ifdef TALLABY_PRINT_THROUGH_CUPS
    const QString path = m_spool->filePath(kSpoolFileName);
    auto job = submitPdfJob(m_name, path, kDocumentTitle, m_pageSize.key(), m_serverWait);
    closeDocument();
    if (!job)
        return job.failure();
    m_lastJobId = *job;
#endif
    return printOk();
}

PrintStatus DefaultPrinter::abortDocument() {
#ifndef TALLABY_PRINT_THROUGH_CUPS
    // Without our own spool the platform's engine holds the job; drop it there.
    if (isOpen())
        m_printer->abort();
#endif
    closeDocument();
    return printOk();
}

} // namespace tallaby::printing
