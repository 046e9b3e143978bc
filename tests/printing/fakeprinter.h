#pragma once

#include "printing/printerservice.h"

#include <map>
#include <memory>
#include <optional>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRectF>
#include <QStringList>
#include <vector>

namespace tallaby::printing::testing {

// A piece of text drawn on a RecordingDevice, in device units.
struct DrawnText {
    QString text;
    QPointF position;
    QRectF clip; // null when nothing clipped the painter
};

// A paint device of any size and resolution that keeps the text drawn on it.
class RecordingDevice final : public QPaintDevice {
public:
    RecordingDevice(QSize sizeInUnits, int resolution);
    ~RecordingDevice() override;

    const std::vector<DrawnText> &texts() const { return m_texts; }
    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    friend class Engine;

    QSize m_size;
    int m_resolution;
    std::vector<DrawnText> m_texts;
    std::unique_ptr<Engine> m_engine;
};

// A printer for tests: paper, offsets and resolution as configured, every call
// logged, and any call made to fail on its n-th occurrence.
class FakePrinter final : public PrinterService {
public:
    struct Paper {
        qint32 widthTwips = 12240; // 8.5 x 11 inches
        qint32 heightTwips = 15840;
        QPoint offset{300, 300}; // device units: a quarter inch at 1200 dpi
        int resolution = 1200;
    };

    enum class DocumentState { Open, Ended, Aborted };
    struct Document {
        DocumentState state = DocumentState::Open;
        std::vector<std::unique_ptr<RecordingDevice>> pages;
    };

    explicit FakePrinter(Paper paper);
    FakePrinter();
    ~FakePrinter() override;

    // The occurrence-th call (from 1) of `operation`, named as the method, fails.
    void failOn(const QString &operation, int occurrence = 1,
                PrintError error = PrintError::PrinterFailed);

    const QStringList &calls() const { return m_calls; }
    int count(const QString &operation) const { return static_cast<int>(m_calls.count(operation)); }
    const std::vector<std::unique_ptr<Document>> &documents() const { return m_documents; }
    bool hasOpenDocument() const;
    int documentCount(DocumentState state) const;

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

private:
    std::optional<PrintFailure> enter(const QString &operation);
    void startPage();
    void closeDocument(DocumentState state);
    QSize printableUnits() const;

    Paper m_paper;
    bool m_twips = false;
    QStringList m_calls;
    std::map<std::pair<QString, int>, PrintError> m_failures;
    std::vector<std::unique_ptr<Document>> m_documents;
    std::unique_ptr<QPainter> m_painter;
};

// Hands every call on to a printer the test keeps, so that it can be looked at
// after the code under test has dropped this one.
class BorrowedPrinter final : public PrinterService {
public:
    explicit BorrowedPrinter(PrinterService &printer)
        : m_printer(printer) {}

    PrintStatus printText(const QString &text) override { return m_printer.printText(text); }
    PrintStatus useTwips() override { return m_printer.useTwips(); }
    PrintResult<PageContext> deviceContext() override { return m_printer.deviceContext(); }
    PrintResult<double> deviceUnitsToTwipsX(double units) override {
        return m_printer.deviceUnitsToTwipsX(units);
    }
    PrintResult<double> deviceUnitsToTwipsY(double units) override {
        return m_printer.deviceUnitsToTwipsY(units);
    }
    PrintResult<qint32> paperWidth() override { return m_printer.paperWidth(); }
    PrintResult<qint32> paperHeight() override { return m_printer.paperHeight(); }
    PrintResult<double> printableWidth() override { return m_printer.printableWidth(); }
    PrintResult<double> printableHeight() override { return m_printer.printableHeight(); }
    PrintResult<TargetDevice> createTargetDevice() override {
        return m_printer.createTargetDevice();
    }
    PrintStatus newPage() override { return m_printer.newPage(); }
    PrintStatus endDocument() override { return m_printer.endDocument(); }
    PrintStatus abortDocument() override { return m_printer.abortDocument(); }

private:
    PrinterService &m_printer;
};

} // namespace tallaby::printing::testing
