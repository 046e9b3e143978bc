#include "fakeprinter.h"

#include <climits>
#include <iterator>
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
    // Metrics newer than these are the base class's.
    return metric < int(std::size(values)) ? values[metric] : QPaintDevice::metric(metric);
}

} // namespace tallaby::printing::testing
