#pragma once

#include "printing/printerservice.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <QPaintDevice>
#include <QPainter>
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
// what is drawn, and one operation made to fail on its n-th call.
class FakePrinter final : public PrinterService {
public:
    struct Paper {
        qint32 widthTwips = 12240; // 8.5 x 11 inches
        qint32 heightTwips = 15840;
        QPoint offset{300, 300}; // device units: a quarter inch at 1200 dpi
        int resolution = 1200;
    };

    explicit FakePrinter(Paper paper)
        : m_paper(paper) {}
    FakePrinter()
        : FakePrinter(Paper{}) {}

    // The operations a script can make fail.
    enum class Op { None, PrintText, DeviceContext, CreateTargetDevice, NewPage, EndDocument };
    // The occurrence-th call (from 1) of `operation` fails.
    void failOn(Op operation, int occurrence, PrintError error) {
        m_failing = operation;
        m_failAfter = occurrence;
        m_error = error;
    }
    // What an ended document then does on its way to the printer.
    using Send = std::function<PrintStatus(std::stop_token)>;
    void deliverBy(Send send) { m_send = std::move(send); }
    // Documents so far, and the pages of the last one.
    int ended = 0;
    int aborted = 0;
    std::vector<std::unique_ptr<RecordingDevice>> pages;

    PrintStatus printText(const QString &) override {
        if (auto failure = fails(Op::PrintText))
            return *failure;
        if (!m_open) {
            m_open = true;
            pages.clear();
            startPage();
        }
        return printOk();
    }
    PrintStatus useTwips() override { return printOk(); }
    PrintResult<PageContext> deviceContext() override {
        if (auto failure = fails(Op::DeviceContext, true))
            return *failure;
        return PageContext{m_painter.get(), pages.back().get(), m_paper.offset};
    }
    PrintResult<double> deviceUnitsToTwipsX(double units) override { return twips(units); }
    PrintResult<double> deviceUnitsToTwipsY(double units) override { return twips(units); }
    PrintResult<qint32> paperWidth() override { return m_paper.widthTwips; }
    PrintResult<qint32> paperHeight() override { return m_paper.heightTwips; }
    PrintResult<double> printableWidth() override { return twips(printableUnits().width()); }
    PrintResult<double> printableHeight() override { return twips(printableUnits().height()); }
    PrintResult<TargetDevice> createTargetDevice() override {
        if (auto failure = fails(Op::CreateTargetDevice))
            return *failure;
        return TargetDevice(m_paper.resolution);
    }
    PrintStatus newPage() override {
        if (auto failure = fails(Op::NewPage, true))
            return *failure;
        startPage();
        return printOk();
    }
    PrintStatus endDocument() override {
        if (auto failure = fails(Op::EndDocument, true))
            return *failure;
        closeDocument(ended);
        m_ended = true;
        return printOk();
    }
    std::unique_ptr<Delivery> takeDelivery() override {
        struct Sending final : Delivery {
            Send send_;
            PrintStatus send(std::stop_token stop) override { return send_(std::move(stop)); }
        };
        if (!std::exchange(m_ended, false) || !m_send)
            return nullptr;
        auto sending = std::make_unique<Sending>();
        sending->send_ = m_send;
        return sending;
    }
    PrintStatus abortDocument() override {
        if (m_open)
            closeDocument(aborted);
        return printOk();
    }

private:
    // The scripted failure if this is its call, else NoDocument when the
    // operation needs an open document and there is none.
    std::optional<PrintFailure> fails(Op operation, bool needsDocument = false) {
        if (operation == m_failing && --m_failAfter == 0)
            return printFailure(m_error, QStringLiteral("failed as scripted"));
        if (needsDocument && !m_open)
            return printFailure(PrintError::NoDocument);
        return std::nullopt;
    }
    double twips(double units) const { return units * kTwipsPerInch / m_paper.resolution; }
    QSize printableUnits() const {
        const auto units = [this](qint32 twips, int offset) {
            const qint64 size = qint64(twips) * m_paper.resolution / kTwipsPerInch - 2LL * offset;
            return int(std::clamp<qint64>(size, 1, 1 << 24));
        };
        return {units(m_paper.widthTwips, m_paper.offset.x()),
                units(m_paper.heightTwips, m_paper.offset.y())};
    }
    void startPage() {
        m_painter.reset(); // ends the page before
        pages.push_back(std::make_unique<RecordingDevice>(printableUnits(), m_paper.resolution));
        m_painter = std::make_unique<QPainter>(pages.back().get());
    }
    void closeDocument(int &count) {
        m_painter.reset();
        m_open = false;
        ++count;
    }

    Paper m_paper;
    Send m_send;
    bool m_open = false;
    bool m_ended = false;
    Op m_failing = Op::None;
    int m_failAfter = 0;
    PrintError m_error{};
    std::unique_ptr<QPainter> m_painter; // declared last: ends before its page goes
};

} // namespace tallaby::printing::testing
