#include "printing/targetdevice.h"

#include <QtGlobal>

namespace tallaby::printing {

namespace {
QImage metricsImage(int dotsPerInch) {
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    // Dots per metre are whole numbers; rounding keeps logicalDpi() at dotsPerInch.
    const int dotsPerMetre = qRound(dotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    return image;
}
} // namespace

TargetDevice::TargetDevice(int dotsPerInch)
    : m_resolution(qMax(1, dotsPerInch))
    , m_metrics(metricsImage(m_resolution)) {}

} // namespace tallaby::printing
