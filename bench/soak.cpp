// Soak: 100,000 ticks through the real main window (offscreen) with random input
// of every kind a person can type, watching resident memory.
//
//   bench_soak [TICKS [SEED]]
//
// Ticks are called directly with the window's own timer stopped; the event loop
// runs every few ticks so repaints and deferred deletions happen as they would.
// Memory is sampled after a warm-up (caches, glyphs and the allocator's pools
// fill up first), every 10,000 ticks, and at the end, each time with the same
// worksheet typed in: VmRSS, and the bytes the allocator has handed out
// (mallinfo2), which is what a leak grows.
//
// Exits 1 when the heap grew by more than 0.5 MB or RSS by more than 2 MB from
// the warm-up to the end. A healthy run's heap stays within a few tens of kB at
// every sample, so 0.5 MB over 100,000 ticks (5 bytes a tick) catches even a
// 32-byte allocation lost every sixth tick. RSS also moves with what the
// allocator keeps or gives back (a few hundred kB), hence its wider margin.

#include "app/commands.h"
#include "benchsupport.h"
#include "printing/summaryprinting.h"
#include "ui/amountedit.h"
#include "ui/form1.h"
#include "ui/summarybox.h"
#include "worksheet/categories.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>
#include <random>
#include <string>

using namespace tallaby;

namespace {

constexpr long kWarmUpTicks = 5'000;
constexpr long kReportEvery = 10'000;
constexpr int kEventLoopEvery = 8;
constexpr double kAllowedHeapGrowthMb = 0.5;
constexpr double kAllowedRssGrowthMb = 2.0;

double residentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    }
    return -1;
}

double heapInUseMb() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024 * 1024);
}

// A machine without a printer, so the print server is never asked.
printing::PrinterAccess noPrinter() {
    return {[](std::stop_token) -> printing::PrinterOpening {
                return printing::printFailure(printing::PrintError::NoPrinter);
            },
            printing::kPrintServerWait};
}

class RandomInput {
public:
    explicit RandomInput(unsigned seed)
        : m_random(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool oneIn(int n) { return below(n) == 0; }

    QString amount() {
        switch (below(12)) {
        case 0:
            return {};
        case 1:
            return QString::number(below(100'000));
        case 2: // money as people write it
            return QStringLiteral("%1.%2").arg(below(5'000)).arg(below(100), 2, 10, QChar(u'0'));
        case 3:
            return QStringLiteral("%1,%2.50")
                .arg(1 + below(999))
                .arg(below(1000), 3, 10, QChar(u'0'));
        case 4:
            return pick({"abc", "twelve", "x12", "12abc", "O", "l0", "£12", "12 pounds", "e5"});
        case 5:
            return pick({"-12", "+5", "--3", "-", "+", "1-2", "-0", "+-1", "12-", "(12)"});
        case 6:
            return pick({"1e308", "-1e308", "1.7976931348623157e308", "4e-320", "1e400", "inf",
                         "-inf", "nan", "NaN", "0x1F"});
        case 7:
            return QString(1 + below(400), QChar(u'9'));
        case 8: // long: a pasted paragraph
            return randomText(200 + below(4'000));
        case 9:
            return pick(
                {" 12", "12 ", "\t7", "1 000", "12,5", "1.2.3", "١٢٣", "½", "𝟙𝟚", "\u00a0"});
        case 10:
            return QStringLiteral("%1.%2").arg(below(10)).arg(below(1'000'000));
        default:
            return QString::number(below(2'000) * 0.25);
        }
    }

    QString notes(const QString &current) {
        switch (below(6)) {
        case 0:
            return {};
        case 1: { // a long list pasted in
            QStringList lines;
            for (int i = below(400); i >= 0; --i)
                lines.append(randomText(below(90)));
            return lines.join(u'\n');
        }
        case 2: // one line removed
            return current.left(std::max<qsizetype>(0, current.lastIndexOf(u'\n')));
        default: // a line typed
            return current.size() > 20'000 ? randomText(30)
                                           : current + u'\n' + randomText(below(80));
        }
    }

    QString category() {
        const QStringList &listed = worksheet::expenseCategories();
        return oneIn(3) ? randomText(below(30)) : listed.at(below(int(listed.size())));
    }

private:
    QString pick(std::initializer_list<const char *> choices) {
        return QString::fromUtf8(*(choices.begin() + below(int(choices.size()))));
    }

    QString randomText(int length) {
        static const QString alphabet =
            QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 "
                           ".,;:-+()£€$%&/\\'\"\t éüßøæ 漢字 ☺");
        QString text;
        text.reserve(length);
        for (int i = 0; i < length; ++i)
            text.append(alphabet.at(below(int(alphabet.size()))));
        return text;
    }

    std::mt19937 m_random;
};

// One tick's worth of typing: a few amounts, sometimes the notes, the period or a category.
void type(ui::Form1 &form, app::Form1Commands &commands, RandomInput &input) {
    const auto &sheet = form.sheet();
    const auto edit = [&](int field) {
        return field < worksheet::kIncomeCount ? sheet.incomes[field]
                                               : sheet.expenses[field - worksheet::kIncomeCount];
    };
    for (int n = input.below(4); n > 0; --n)
        edit(input.below(worksheet::kAmountFieldCount))->setText(input.amount());
    // People correct what the window marks, so totals and summary keep changing too.
    for (int field = 0; field < worksheet::kAmountFieldCount; ++field) {
        if (form.lastTick().notANumber[field] && input.oneIn(3))
            edit(field)->setText(QString::number(input.below(100'000) / 100.0));
    }
    if (input.oneIn(20))
        sheet.notes->setPlainText(input.notes(sheet.notes->toPlainText()));
    if (input.oneIn(50))
        (input.oneIn(2) ? sheet.wee : sheet.mon)->setChecked(true);
    if (input.oneIn(40))
        sheet.categories[input.below(worksheet::kExpenseRowCount)]->setEditText(input.category());
    if (input.oneIn(1'000))
        commands.Command1_Click(); // Clear Values
}

// The same worksheet at every sample, so what is measured is what the ticks
// left behind, not the size of the notes typed just before.
void settle(ui::Form1 &form) {
    const auto &sheet = form.sheet();
    for (int i = 0; i < worksheet::kIncomeCount; ++i)
        sheet.incomes[i]->setText(QString::number(1000 + i));
    for (int row = 0; row < worksheet::kExpenseRowCount; ++row) {
        sheet.expenses[row]->setText(QString::number(row + 0.5));
        sheet.categories[row]->setEditText(worksheet::categoryPlaceholder());
    }
    sheet.notes->setPlainText(QStringLiteral("Soak checkpoint"));
    sheet.wee->setChecked(true);
    form.Timer1_Timer();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long ticks = argc > 1 ? std::atol(argv[1]) : 100'000;
    const unsigned seed = argc > 2 ? unsigned(std::atol(argv[2])) : 20261206u;
    if (ticks <= 0) {
        std::fprintf(stderr, "usage: bench_soak [TICKS [SEED]]\n");
        return 2;
    }

    ui::Form1 form({}, noPrinter());
    app::Form1Commands commands(form, {}, [](const QString &, const QString &) {});
    form.controls().timer->stop(); // ticks are driven here
    form.show();
    RandomInput input(seed);
    long complete = 0;
    long outOfRange = 0;
    const auto tick = [&](long i) {
        type(form, commands, input);
        form.Timer1_Timer();
        complete += form.lastTick().complete;
        outOfRange += form.lastTick().outOfRange.has_value();
        if (i % kEventLoopEvery == 0)
            QCoreApplication::processEvents();
    };

    for (long i = 0; i < kWarmUpTicks; ++i)
        tick(i);
    settle(form);
    const double startRss = residentMb();
    const double startHeap = heapInUseMb();
    complete = outOfRange = 0;
    const int startLayouts = form.sheet().summary->relayoutCount();
    std::printf("soak: %ld ticks, seed %u, after %ld warm-up ticks\n", ticks, seed, kWarmUpTicks);
    std::printf("%9s %10s %10s %12s\n", "ticks", "RSS MB", "heap MB", "seconds");
    std::printf("%9d %10.2f %10.2f %12.1f\n", 0, startRss, startHeap, 0.0);

    QElapsedTimer clock;
    clock.start();
    for (long i = 1; i <= ticks; ++i) {
        tick(i);
        if (i % kReportEvery == 0 || i == ticks) {
            settle(form);
            std::printf("%9ld %10.2f %10.2f %12.1f\n", i, residentMb(), heapInUseMb(),
                        clock.elapsed() / 1000.0);
            std::fflush(stdout);
        }
    }

    const double rssGrowth = residentMb() - startRss;
    const double heapGrowth = heapInUseMb() - startHeap;
    std::printf("ticks: %ld complete, %ld out of range; %d summary layouts; %.0f us a tick\n",
                complete, outOfRange, form.sheet().summary->relayoutCount() - startLayouts,
                clock.nsecsElapsed() / 1e3 / ticks);
    std::printf("growth: RSS %+.2f MB (allowed %.1f), heap %+.2f MB (allowed %.1f)\n", rssGrowth,
                kAllowedRssGrowthMb, heapGrowth, kAllowedHeapGrowthMb);
    return bench::verdict(rssGrowth <= kAllowedRssGrowthMb && heapGrowth <= kAllowedHeapGrowthMb,
                          "no growth beyond noise");
}
