// Laying the summary out for a 1200-dpi printer at 6.5 inches, as every tick does
// when the summary changed: a typical summary, and one with 2,000 lines of notes.
// Also painting the visible part on a 96-dpi screen. Prints median times.

#include "benchsupport.h"
#include "printing/summarylayout.h"

#include <cstdio>
#include <functional>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <vector>

using namespace tallaby::printing;

namespace {

QString summaryWith(const QString &notes) {
    return QStringLiteral("CASHFLOW SUMMARY - Please support us by visiting "
                          "https://veltrane.example/\r\rDATE: 06/12/2026\r\r"
                          "Your Income          : 1,850.50\rPartners Income    : 920\r"
                          "Other Income        : 0\rTotal Income         : 2770.5\r"
                          "Total Expendature : 770.25\r\rFree Cash              : 2000.25\r\r"
                          "NOTES:\r\r") +
           notes;
}

// Median milliseconds of `runs` calls of `step`, each given its run number.
double medianMs(int runs, const std::function<void(int)> &step) {
    return tallaby::bench::medianNanoseconds(runs, step) / 1e6;
}

struct Case {
    const char *name;
    double ms;
    double targetMs;
};

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    SummaryLayout layout;
    layout.setFont(QStringLiteral("Arial"), 10);
    layout.setTargetDevice(TargetDevice(1200), 9360);

    const QString notes = QStringLiteral("Rent goes up in March.\rBoiler service due in the "
                                         "autumn.\rPut something aside for the holiday.");
    QStringList manyLines;
    for (int i = 0; i < 2000; ++i)
        manyLines.append(QStringLiteral("Note %1: 12.50 to the savings jar").arg(i));
    const QString longNotes = manyLines.join(u'\r');

    QImage screen(800, 600, QImage::Format_ARGB32_Premultiplied);
    screen.setDotsPerMeterX(qRound(96 / 0.0254));
    screen.setDotsPerMeterY(qRound(96 / 0.0254));

    const std::vector<Case> cases = {
        {"typical summary, changed",
         medianMs(201, [&](int i) { layout.setText(summaryWith(notes + QString::number(i))); }), 5},
        {"typical summary, unchanged",
         medianMs(201, [&](int) { layout.setText(summaryWith(notes + QStringLiteral("x"))); }),
         0.1},
        {"2,000 note lines, changed",
         medianMs(11, [&](int i) { layout.setText(summaryWith(longNotes + QString::number(i))); }),
         250},
        {"paint 600 px of it at 96 dpi",
         medianMs(51,
                  [&](int) {
                      QPainter painter(&screen);
                      layout.paint(painter, layout.scaleFor(screen), QRectF(0, 0, 800, 600));
                  }),
         16},
    };

    bool met = true;
    for (const Case &c : cases) {
        std::printf("%-32s median %8.3f ms  (target under %g ms)\n", c.name, c.ms, c.targetMs);
        met = met && c.ms < c.targetMs;
    }
    return tallaby::bench::verdict(met, "every case under its target");
}
