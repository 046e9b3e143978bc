// One full recalculation tick (repairs, 31 conversions, totals, summary)
// on a realistic worksheet, through the field-access interface.
// Prints the median time per tick over many batches.

#include "benchsupport.h"
#include "worksheet/fields.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

using namespace tallaby::worksheet;

namespace {

constexpr double kTargetNs = 20'000;

void fillRealistically(MemoryFields &fields) {
    applyStartValues(fields);
    fields.setText(Field::Inc1, QStringLiteral("1,850.50"));
    fields.setText(Field::Inc2, QStringLiteral("920"));
    fields.setText(Field::Inc3, QStringLiteral("45.75"));
    const char *amounts[] = {"650",   "120.25", "38.99", "12",  "75",  "240", "19.99",
                             "54.10", "300",    "15",    "9.5", "110", "60",  "42.42",
                             "25",    "88",     "130",   "17",  "5",   "70"};
    int row = 1;
    for (const char *amount : amounts)
        fields.setText(expenseAmount(row++), QString::fromLatin1(amount));
    fields.setText(Field::RichTextBox2,
                   QStringLiteral("Rent goes up in March.\rBoiler service due in the autumn.\r"
                                  "Put something aside for the holiday every month."));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);

    MemoryFields fields;
    fillRealistically(fields);
    const TickContext context{NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom)), [] {
                                  return QDate::currentDate();
                              }};

    constexpr int kBatches = 201;
    constexpr int kTicksPerBatch = 500;
    for (int i = 0; i < 2'000; ++i) // warm up caches and allocators
        recalculate(fields, context);

    std::vector<double> perTick;
    perTick.reserve(kBatches);
    QElapsedTimer timer;
    for (int b = 0; b < kBatches; ++b) {
        timer.start();
        for (int i = 0; i < kTicksPerBatch; ++i)
            recalculate(fields, context);
        perTick.push_back(double(timer.nsecsElapsed()) / kTicksPerBatch);
    }
    const double median = tallaby::bench::median(perTick);
    std::printf("tick: median %.0f ns, min %.0f ns, max %.0f ns (%d batches of %d ticks)\n", median,
                perTick.front(), perTick.back(), kBatches, kTicksPerBatch);
    return tallaby::bench::verdict(median < kTargetNs, "under %.0f ns per tick", kTargetNs);
}
