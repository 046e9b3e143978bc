// One full tick through the real main window (offscreen): repairs,
// conversions, result fields, the summary rewrite and the repaint it causes.
// Two cases: an unchanged worksheet, as when the window sits idle, and one
// whose figures change every tick, so the summary is laid out anew.

#include "ui/amountedit.h"
#include "ui/form1.h"

#include <algorithm>
#include <cstdio>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <vector>

using namespace tallaby;

namespace {

constexpr double kTargetMicroseconds = 1000;

double medianMicroseconds(ui::Form1 &form, bool changeEveryTick) {
    constexpr int kTicks = 401;
    std::vector<double> samples;
    samples.reserve(kTicks);
    QLineEdit *c1 = form.sheet().expenses[0];
    QElapsedTimer timer;
    for (int i = 0; i < kTicks; ++i) {
        if (changeEveryTick)
            c1->setText(QString::number(100 + i % 50));
        timer.start();
        form.Timer1_Timer();
        QCoreApplication::processEvents(); // the repaint the tick caused
        samples.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    ui::Form1 form;
    form.controls().timer->stop(); // ticks are driven here
    form.show();
    auto &fields = form.fields();
    fields.setText(worksheet::Field::Inc1, QStringLiteral("1,850.50"));
    fields.setText(worksheet::Field::Inc2, QStringLiteral("920"));
    for (int row = 2; row <= 20; ++row)
        fields.setText(worksheet::expenseAmount(row), QString::number(row * 7.25));
    fields.setText(worksheet::Field::RichTextBox2,
                   QStringLiteral("Rent goes up in March.\rBoiler service due.\rHoliday fund."));
    for (int i = 0; i < 20; ++i) { // warm up
        form.Timer1_Timer();
        QCoreApplication::processEvents();
    }

    const double idle = medianMicroseconds(form, false);
    const double changing = medianMicroseconds(form, true);
    std::printf("form tick, unchanged worksheet: median %.1f us\n", idle);
    std::printf("form tick, figures changing:    median %.1f us\n", changing);
    const bool met = std::max(idle, changing) < kTargetMicroseconds;
    std::printf("target: under %.0f us per tick: %s\n", kTargetMicroseconds,
                met ? "met" : "MISSED");
    return met ? 0 : 1;
}
