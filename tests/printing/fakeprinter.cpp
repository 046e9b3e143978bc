#include "fakeprinter.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <QPaintEngine>
#include <QPaintEngineState>
#include <QPainter>
#include <QTextItem>

namespace tallaby::printing::testing {

// Records text items and the clip in force when each was drawn; draws nothing.
class RecordingDevice::Engine final : public QPaintEngine {
public:
    explicit Engine(RecordingDevice &device)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , m_device(device) {}

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void updateState(const QPaintEngineState &state) override {
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
        // In device units, like the text positions.
        m_clip = painter()->hasClipping()
                     ? painter()->transform().mapRect(painter()->clipBoundingRect())
                     : QRectF();
    }
    void drawTextItem(const QPointF &position, const QTextItem &item) override {
        m_device.m_texts.push_back({item.text(), m_transform.map(position), m_clip});
    }

private:
    RecordingDevice &m_device;
    QRectF m_clip;
    QTransform m_transform;
};

RecordingDevice::RecordingDevice(QSize sizeInUnits, int resolution)
    : m_size(sizeInUnits)
    , m_resolution(resolution)
    , m_engine(std::make_unique<Engine>(*this)) {}

RecordingDevice::~RecordingDevice() = default;

QPaintEngine *RecordingDevice::paintEngine() const {
    return m_engine.get();
}

int RecordingDevice::metric(PaintDeviceMetric metric) const {
    const int w = m_size.width(), h = m_size.height(), r = m_resolution;
    // In PaintDeviceMetric's order from PdmWidth = 1: size, size in mm, colours,
    // depth, four resolutions, pixel ratio, scaled pixel ratio.
    const int values[] = {
        0, w, h, qRound(w * 25.4 / r),         qRound(h * 25.4 / r), INT_MAX, 32, r, r,
        r, r, 1, int(devicePixelRatioFScale())};
    return values[metric];
}

FakePrinter::~FakePrinter() = default;

int FakePrinter::documentCount(DocumentState state) const {
    return int(std::count_if(m_documents.begin(), m_documents.end(),
                             [state](const auto &document) { return document->state == state; }));
}

std::optional<PrintFailure> FakePrinter::fails(const QString &operation, bool needsDocument) {
    if (auto it = m_failures.find({operation, ++m_calls[operation]}); it != m_failures.end())
        return printFailure(it->second, operation + QStringLiteral(" failed as scripted"));
    if (needsDocument && !hasOpenDocument())
        return printFailure(PrintError::NoDocument);
    return std::nullopt;
}

QSize FakePrinter::printableUnits() const {
    const auto units = [this](qint32 twips, int offset) {
        const qint64 size = qint64(twips) * m_paper.resolution / 1440 - 2 * qint64(offset);
        return int(std::clamp<qint64>(size, 1, 1 << 24));
    };
    return {units(m_paper.widthTwips, m_paper.offset.x()),
            units(m_paper.heightTwips, m_paper.offset.y())};
}

void FakePrinter::startPage() {
    m_painter.reset(); // ends the page before
    auto &pages = m_documents.back()->pages;
    pages.push_back(std::make_unique<RecordingDevice>(printableUnits(), m_paper.resolution));
    m_painter = std::make_unique<QPainter>(pages.back().get());
}

void FakePrinter::closeDocument(DocumentState state) {
    m_painter.reset();
    m_documents.back()->state = state;
}

PrintStatus FakePrinter::printText(const QString &) {
    if (auto failure = fails("printText"))
        return *failure;
    if (!hasOpenDocument()) {
        m_documents.push_back(std::make_unique<Document>());
        startPage();
    }
    return printOk();
}

PrintStatus FakePrinter::useTwips() {
    auto done = value("useTwips", Done{});
    m_twips = m_twips || done.ok();
    return done;
}

PrintResult<PageContext> FakePrinter::deviceContext() {
    if (auto failure = fails("deviceContext", true))
        return *failure;
    return PageContext{m_painter.get(), m_documents.back()->pages.back().get(), m_paper.offset};
}

PrintStatus FakePrinter::newPage() {
    if (auto failure = fails("newPage", true))
        return *failure;
    startPage();
    return printOk();
}

PrintStatus FakePrinter::endDocument() {
    if (auto failure = fails("endDocument", true))
        return *failure;
    closeDocument(DocumentState::Ended);
    m_ended = true;
    return printOk();
}

std::unique_ptr<Delivery> FakePrinter::takeDelivery() {
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

PrintStatus FakePrinter::abortDocument() {
    if (auto failure = fails("abortDocument"))
        return *failure;
    if (hasOpenDocument())
        closeDocument(DocumentState::Aborted);
    return printOk();
}

} // namespace tallaby::printing::testing
