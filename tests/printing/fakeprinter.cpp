#include "fakeprinter.h"

#include <algorithm>
#include <climits>
#include <QPaintEngineState>
#include <QPainter>
#include <QPainterPath>
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
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return qRound(m_size.width() * 25.4 / m_resolution);
    case PdmHeightMM:
        return qRound(m_size.height() * 25.4 / m_resolution);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return m_resolution;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return 0;
}

FakePrinter::FakePrinter(Paper paper)
    : m_paper(paper) {}

FakePrinter::FakePrinter()
    : FakePrinter(Paper{}) {}

FakePrinter::~FakePrinter() {
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

void FakePrinter::failOn(const QString &operation, int occurrence, PrintError error) {
    m_failures[{operation, occurrence}] = error;
}

bool FakePrinter::hasOpenDocument() const {
    return !m_documents.empty() && m_documents.back()->state == DocumentState::Open;
}

int FakePrinter::documentCount(DocumentState state) const {
    int n = 0;
    for (const auto &document : m_documents)
        n += document->state == state;
    return n;
}

std::optional<PrintFailure> FakePrinter::enter(const QString &operation) {
    m_calls.append(operation);
    const auto failure = m_failures.find({operation, count(operation)});
    if (failure == m_failures.end())
        return std::nullopt;
    return printFailure(failure->second, QStringLiteral("%1 failed as scripted").arg(operation));
}

QSize FakePrinter::printableUnits() const {
    const qint64 width = qint64(m_paper.widthTwips) * m_paper.resolution / 1440;
    const qint64 height = qint64(m_paper.heightTwips) * m_paper.resolution / 1440;
    return QSize(static_cast<int>(std::clamp<qint64>(width - 2 * m_paper.offset.x(), 1, 1 << 24)),
                 static_cast<int>(std::clamp<qint64>(height - 2 * m_paper.offset.y(), 1, 1 << 24)));
}

void FakePrinter::startPage() {
    if (m_painter && m_painter->isActive())
        m_painter->end();
    auto &pages = m_documents.back()->pages;
    pages.push_back(std::make_unique<RecordingDevice>(printableUnits(), m_paper.resolution));
    m_painter = std::make_unique<QPainter>(pages.back().get());
}

void FakePrinter::closeDocument(DocumentState state) {
    if (m_painter && m_painter->isActive())
        m_painter->end();
    m_painter.reset();
    m_documents.back()->state = state;
}

PrintStatus FakePrinter::printText(const QString &) {
    if (auto failure = enter(QStringLiteral("printText")))
        return *failure;
    if (!hasOpenDocument()) {
        m_documents.push_back(std::make_unique<Document>());
        startPage();
    }
    return printOk();
}

PrintStatus FakePrinter::useTwips() {
    if (auto failure = enter(QStringLiteral("useTwips")))
        return *failure;
    m_twips = true;
    return printOk();
}

PrintResult<PageContext> FakePrinter::deviceContext() {
    if (auto failure = enter(QStringLiteral("deviceContext")))
        return *failure;
    if (!hasOpenDocument())
        return printFailure(PrintError::NoDocument);
    return PageContext{m_painter.get(), m_documents.back()->pages.back().get(), m_paper.offset};
}

PrintResult<double> FakePrinter::deviceUnitsToTwipsX(double units) {
    if (auto failure = enter(QStringLiteral("deviceUnitsToTwipsX")))
        return *failure;
    return units * 1440.0 / m_paper.resolution;
}

PrintResult<double> FakePrinter::deviceUnitsToTwipsY(double units) {
    if (auto failure = enter(QStringLiteral("deviceUnitsToTwipsY")))
        return *failure;
    return units * 1440.0 / m_paper.resolution;
}

PrintResult<qint32> FakePrinter::paperWidth() {
    if (auto failure = enter(QStringLiteral("paperWidth")))
        return *failure;
    return m_paper.widthTwips;
}

PrintResult<qint32> FakePrinter::paperHeight() {
    if (auto failure = enter(QStringLiteral("paperHeight")))
        return *failure;
    return m_paper.heightTwips;
}

PrintResult<double> FakePrinter::printableWidth() {
    if (auto failure = enter(QStringLiteral("printableWidth")))
        return *failure;
    const double units = printableUnits().width();
    return m_twips ? units * 1440.0 / m_paper.resolution : units;
}

PrintResult<double> FakePrinter::printableHeight() {
    if (auto failure = enter(QStringLiteral("printableHeight")))
        return *failure;
    const double units = printableUnits().height();
    return m_twips ? units * 1440.0 / m_paper.resolution : units;
}

PrintResult<TargetDevice> FakePrinter::createTargetDevice() {
    if (auto failure = enter(QStringLiteral("createTargetDevice")))
        return *failure;
    return TargetDevice(m_paper.resolution);
}

PrintStatus FakePrinter::newPage() {
    if (auto failure = enter(QStringLiteral("newPage")))
        return *failure;
    if (!hasOpenDocument())
        return printFailure(PrintError::NoDocument);
    startPage();
    return printOk();
}

PrintStatus FakePrinter::endDocument() {
    if (auto failure = enter(QStringLiteral("endDocument")))
        return *failure;
    if (!hasOpenDocument())
        return printFailure(PrintError::NoDocument);
    closeDocument(DocumentState::Ended);
    return printOk();
}

PrintStatus FakePrinter::abortDocument() {
    if (auto failure = enter(QStringLiteral("abortDocument")))
        return *failure;
    if (hasOpenDocument())
        closeDocument(DocumentState::Aborted);
    return printOk();
}

} // namespace tallaby::printing::testing
