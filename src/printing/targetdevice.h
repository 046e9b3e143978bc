#pragma once

#include <QImage>

namespace tallaby::printing {

// The metrics of a printer, apart from any print document: what the summary is laid
// out against so that the screen breaks its lines where the paper will. A layout made
// against a device of the printer's resolution measures text exactly as the printer
// does. A plain value, safe to hand from a worker thread to the user-interface thread.
class TargetDevice {
public:
    // dotsPerInch from 1 up; the resolution of Qt's high-resolution printers is 1200.
    explicit TargetDevice(int dotsPerInch);

    int resolution() const { return m_resolution; }
    const QPaintDevice &metrics() const { return m_metrics; }

private:
    int m_resolution;
    QImage m_metrics;
};

} // namespace tallaby::printing
