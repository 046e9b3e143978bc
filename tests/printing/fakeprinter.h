#pragma once

#include "printing/printerservice.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <QPaintDevice>
#include <QRectF>
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
    QSize m_size;
    int m_resolution;
    std::vector<DrawnText> m_texts;
    std::unique_ptr<Engine> m_engine;
};

// A printer with the paper, offsets and resolution asked for, whose pages record
// what is drawn, and any operation made to fail on its n-th call.
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

    explicit FakePrinter(Paper paper)
        : m_paper(paper) {}
    FakePrinter()
        : FakePrinter(Paper{}) {}
    ~FakePrinter() override;

    // The occurrence-th call (from 1) of `operation`, named as the method, fails.
    void failOn(const QString &operation, int occurrence, PrintError error) {
        m_failures[{operation, occurrence}] = error;
    }
    // What an ended document then does on its way to the printer.
    using Send = std::function<PrintStatus(std::stop_token)>;
    void deliverBy(Send send) { m_send = std::move(send); }
    const std::vector<std::unique_ptr<Document>> &documents() const { return m_documents; }
    bool hasOpenDocument() const {
        return !m_documents.empty() && m_documents.back()->state == DocumentState::Open;
    }
    int documentCount(DocumentState state) const;

    PrintStatus printText(const QString &) override;
    PrintStatus useTwips() override;
    PrintResult<PageContext> deviceContext() override;
    PrintResult<double> deviceUnitsToTwipsX(double units) override {
        return value("deviceUnitsToTwipsX", twips(units));
    }
    PrintResult<double> deviceUnitsToTwipsY(double units) override {
        return value("deviceUnitsToTwipsY", twips(units));
    }
    PrintResult<qint32> paperWidth() override { return value("paperWidth", m_paper.widthTwips); }
    PrintResult<qint32> paperHeight() override { return value("paperHeight", m_paper.heightTwips); }
    PrintResult<double> printableWidth() override {
        return value("printableWidth", printable(printableUnits().width()));
    }
    PrintResult<double> printableHeight() override {
        return value("printableHeight", printable(printableUnits().height()));
    }
    PrintResult<TargetDevice> createTargetDevice() override {
        return value("createTargetDevice", TargetDevice(m_paper.resolution));
    }
    PrintStatus newPage() override;
    PrintStatus endDocument() override;
    std::unique_ptr<Delivery> takeDelivery() override;
    PrintStatus abortDocument() override;

private:
    // Counts the call: its scripted failure if any, else NoDocument when the
    // operation needs an open document and there is none.
    std::optional<PrintFailure> fails(const QString &operation, bool needsDocument = false);
    template<typename T>
    PrintResult<T> value(const QString &operation, T result) {
        if (auto failure = fails(operation))
            return *failure;
        return result;
    }
    double twips(double units) const { return units * 1440 / m_paper.resolution; }
    double printable(int units) const { return m_twips ? twips(units) : units; }
    QSize printableUnits() const;
    void startPage();
    void closeDocument(DocumentState state);

    Paper m_paper;
    Send m_send;
    bool m_ended = false;
    bool m_twips = false;
    std::map<QString, int> m_calls;
    std::map<std::pair<QString, int>, PrintError> m_failures;
    std::vector<std::unique_ptr<Document>> m_documents;
    std::unique_ptr<QPainter> m_painter; // declared last: ends before its page goes
};

} // namespace tallaby::printing::testing
