#pragma once

#include "worksheet/conversions.h"
#include "worksheet/fields.h"

#include <bitset>
#include <functional>
#include <optional>
#include <QDate>

namespace tallaby::worksheet {

// What a tick needs from its surroundings: the user's number conventions
// and a clock, so tests can choose the day.
struct TickContext {
    NumberFormat numbers{QLocale()};
    std::function<QDate()> today = [] {
        return QDate::currentDate();
    };
};

// What the summary in RichTextBox1 was last composed from, so that a tick
// can tell it is still current without composing the notes in again.
struct SummarySource {
    QString head; // see composeSummaryHead()
    std::uint64_t notesRevision = 0;
    std::uint64_t summaryRevision = 0; // RichTextBox1's, right after the write
};

struct TickResult {
    // Amount fields (income(n), then expenseAmount(row); see amountField())
    // whose text does not convert even after the repairs; tooLarge marks
    // those of them that are numbers, only beyond the program's range.
    std::bitset<kAmountFieldCount> notANumber;
    std::bitset<kAmountFieldCount> tooLarge;
    // The first output whose figure is beyond what a number text can show:
    // Tottake (the income total, so total1 too), Totex or Free.
    std::optional<Field> outOfRange;
    // Every output, the summary included, carries this tick's values. When
    // false, the outputs before the first failure were written and the
    // later ones keep the previous tick's.
    bool complete = false;
    SummarySource summary;
};

// One recalculation of the whole worksheet from its field texts, the body of
// the timer handler:
//  1-4. repair amount fields: empty incomes, letter-led expenses, letter-led
//       incomes, empty expenses become "0" (only those fields are written);
//  5-7. tottake, the period word in week, total1;
//  8.   totex, the expenses added from row 1 to row 28;
//  9.   free, from total1 and totex as displayed;
//  10.  the summary into RichTextBox1, unless it already reads the same.
// An output is written only once every figure it needs converted. Never
// throws. `previous` is the last tick's result over the same fields: with
// it, unchanged notes are not read again, so a tick costs the same however
// long they are.
TickResult recalculate(WorksheetFields &fields, const TickContext &context,
                       const TickResult &previous = {});

} // namespace tallaby::worksheet
