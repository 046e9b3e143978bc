#pragma once

#include "benchsupport.h"
#include "ui/amountedit.h"
#include "ui/form1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <vector>

namespace tallaby::bench {

// The median of `ticks` ticks through the real window, each with the repaint
// it causes, in microseconds. With changeEveryTick an amount is typed before
// each, so the figures and the summary change as they do after a keystroke.
inline double medianTickMicroseconds(ui::Form1 &form, int ticks, bool changeEveryTick) {
    std::vector<double> samples;
    samples.reserve(ticks);
    QLineEdit *c1 = form.sheet().expenses[0];
    QElapsedTimer timer;
    for (int i = 0; i < ticks; ++i) {
        if (changeEveryTick)
            c1->setText(QString::number(100 + i % 50));
        timer.start();
        form.Timer1_Timer();
        QCoreApplication::processEvents();
        samples.push_back(timer.nsecsElapsed() / 1000.0);
    }
    return median(samples);
}

} // namespace tallaby::bench
