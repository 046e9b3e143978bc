#include "ui/marking.h"

#include "ui/accessibility.h"
#include "ui/systemcolors.h"

#include <QCoreApplication>
#include <QWidget>

namespace tallaby::ui {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("tallaby::ui::Marking", text);
}

} // namespace

QString tickProblem(const worksheet::TickResult &tick, worksheet::Field field) {
    using worksheet::Field;
    if (worksheet::isAmountField(field)) {
        const int i = worksheet::index(field);
        if (!tick.notANumber[i])
            return {};
        // An income stops the tick before any total; an expense only after the incomes.
        if (tick.tooLarge[i])
            return i < worksheet::kIncomeCount
                       ? tr("Too large: no total, no free cash and no summary is brought up to "
                            "date until this amount is smaller.")
                       : tr("Too large: the income totals still update, but the expenditure, "
                            "the free cash and the summary wait until this amount is smaller.");
        return i < worksheet::kIncomeCount
                   ? tr("Not a number: no total, no free cash and no summary is brought up to "
                        "date until this amount is corrected.")
                   : tr("Not a number: the income totals still update, but the expenditure, "
                        "the free cash and the summary wait until this amount is corrected.");
    }
    const Field shown = field == Field::Total1 ? Field::Tottake : field;
    if (!tick.outOfRange || *tick.outOfRange != shown)
        return {};
    switch (shown) {
    case Field::Tottake:
        return tr("Too large to show: this total, the expenditure, the free cash and the summary "
                  "wait until the incomes are smaller.");
    case Field::Totex:
        return tr("Too large to show: this total, the free cash and the summary wait until the "
                  "expenses are smaller.");
    default:
        return tr("Too large to show: the free cash and the summary wait until the figures are "
                  "closer.");
    }
}

void setMarking(QWidget *field, const QString &why) {
    setMarked(field, !why.isEmpty());
    if (field->toolTip() != why) {
        field->setToolTip(why);
        setInvalidEntry(field, why);
    }
}

} // namespace tallaby::ui
