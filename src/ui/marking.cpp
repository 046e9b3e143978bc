#include "ui/marking.h"

#include "ui/accessibility.h"
#include "ui/systemcolors.h"

#include <optional>
#include <QStringList>
#include <QWidget>

namespace tallaby::ui {

using worksheet::Field;

namespace {

// Why a figure is behind, in the words of both the field's own note and the
// print command's refusal.
enum class Behind { NotANumber, TooLarge, TooLargeToShow };

QString wordsFor(Behind behind) {
    switch (behind) {
    case Behind::NotANumber:
        return QStringLiteral("not a number");
    case Behind::TooLarge:
        return QStringLiteral("too large");
    case Behind::TooLargeToShow:
        return QStringLiteral("too large to show");
    }
    return {};
}

// total1 shows the income total that tottake stands for.
Field shownAs(Field field) {
    return field == Field::Total1 ? Field::Tottake : field;
}

std::optional<Behind> behind(const worksheet::TickResult &tick, Field field) {
    if (worksheet::isAmountField(field)) {
        const int i = worksheet::index(field);
        if (!tick.notANumber[i])
            return {};
        return tick.tooLarge[i] ? Behind::TooLarge : Behind::NotANumber;
    }
    if (tick.outOfRange == shownAs(field))
        return Behind::TooLargeToShow;
    return {};
}

// What waits for the field to be put right.
QString whatWaits(Field field, Behind behind) {
    if (worksheet::isAmountField(field)) {
        const QString until =
            behind == Behind::TooLarge ? QStringLiteral("smaller.") : QStringLiteral("corrected.");
        // An income stops the tick before any total; an expense only after the incomes.
        if (worksheet::index(field) < worksheet::kIncomeCount)
            return QStringLiteral("no total, no free cash and no summary is brought up to date "
                                  "until this amount is ") +
                   until;
        return QStringLiteral("the income totals still update, but the expenditure, the free "
                              "cash and the summary wait until this amount is ") +
               until;
    }
    switch (shownAs(field)) {
    case Field::Tottake:
        return QStringLiteral("this total, the expenditure, the free cash and the summary wait "
                              "until the incomes are smaller.");
    case Field::Totex:
        return QStringLiteral("this total, the free cash and the summary wait until the expenses "
                              "are smaller.");
    default:
        return QStringLiteral("the free cash and the summary wait until the figures are closer.");
    }
}

} // namespace

QString tickProblem(const worksheet::TickResult &tick, Field field) {
    const std::optional<Behind> why = behind(tick, field);
    if (!why)
        return {};
    QString said = wordsFor(*why);
    said[0] = said[0].toUpper();
    return said + QStringLiteral(": ") + whatWaits(field, *why);
}

QString whySummaryIsNotCurrent(const worksheet::TickResult &tick) {
    QStringList why;
    const auto add = [&why](Field field, Behind behind) {
        // Named as a screen reader names the field: a total as the caption beside it.
        why << accessibleName(worksheet::fieldName(field)) + QStringLiteral(" is ") +
                   wordsFor(behind);
    };
    for (int i = 0; i < worksheet::kAmountFieldCount; ++i) {
        if (const std::optional<Behind> b = behind(tick, worksheet::amountField(i)))
            add(worksheet::amountField(i), *b);
    }
    if (tick.outOfRange)
        add(*tick.outOfRange, Behind::TooLargeToShow);
    return why.join(QStringLiteral("; "));
}

void setMarking(QWidget *field, const QString &why) {
    setMarked(field, !why.isEmpty());
    if (field->toolTip() != why) {
        field->setToolTip(why);
        setInvalidEntry(field, why);
    }
}

} // namespace tallaby::ui
