#include "fakeprinter.h"

#include <algorithm>
#include <climits>
#include <QPaintEngine>
#include <QPaintEngineState>
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

QSize FakePrinter::printableUnits() const {
    const auto units = [this](qint32 twips, int offset) {
        const qint64 size = qint64(twips) * m_paper.resolution / 1440 - 2 * qint64(offset);
        return int(std::clamp<qint64>(size, 1, 1 << 24));
    };
    return {units(m_paper.widthTwips, m_paper.offset.x()),
            units(m_paper.heightTwips, m_paper.offset.y())};
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

} // namespace tallaby::printing::testing
