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

struct TickResult {
    // Amount fields (income(n), then expenseAmount(row); see amountField())
    // whose text is not a number even after the repairs.
    std::bitset<kAmountFieldCount> notANumber;
    // The first output whose figure is beyond what a number text can show:
    // Tottake (the income total, so total1 too), Totex or Free.
    std::optional<Field> outOfRange;
    // Every output, the summary included, carries this tick's values. When
    // false, the outputs before the first failure were written and the
    // later ones keep the previous tick's.
    bool complete = false;
};

// One recalculation of the whole worksheet from its field texts, the body of
// the timer handler:
//  1-4. repair amount fields: empty incomes, letter-led expenses, letter-led
//       incomes, empty expenses become "0" (only those fields are written);
//  5-7. tottake, the period word in week, total1;
//  8.   totex, the expenses added from row 1 to row 28;
//  9.   free, from total1 and totex as displayed;
//  10.  the summary into RichTextBox1.
// An output is written only once every figure it needs converted. Never
// throws; nothing it computes outlives the call.
TickResult recalculate(WorksheetFields &fields, const TickContext &context);

} // namespace tallaby::worksheet
