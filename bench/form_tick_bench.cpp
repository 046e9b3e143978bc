// One full tick through the real main window (offscreen): repairs,
// conversions, result fields, the summary rewrite and the repaint it causes.
// Two cases: an unchanged worksheet, as when the window sits idle, and one
// whose figures change every tick, so the summary is laid out anew.

#include "formticks.h"
#include "ui/form1.h"

#include <algorithm>
#include <cstdio>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

using namespace tallaby;

namespace {

constexpr double kTargetMicroseconds = 1000;

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

    const double idle = bench::medianTickMicroseconds(form, 401, false);
    const double changing = bench::medianTickMicroseconds(form, 401, true);
    std::printf("form tick, unchanged worksheet: median %.1f us\n", idle);
    std::printf("form tick, figures changing:    median %.1f us\n", changing);
    return bench::verdict(std::max(idle, changing) < kTargetMicroseconds, "under %.0f us per tick",
                          kTargetMicroseconds);
}
