#include "worksheet/fields.h"

namespace tallaby::worksheet {

QString fieldName(Field field) {
    const int i = index(field);
    if (i < kIncomeCount)
        return QStringLiteral("inc%1").arg(i + 1);
    if (isAmountField(field))
        return QStringLiteral("c%1").arg(i - kIncomeCount + 1);
    switch (field) {
    case Field::Total1:
        return QStringLiteral("total1");
    case Field::Week:
        return QStringLiteral("week");
    case Field::Tottake:
        return QStringLiteral("tottake");
    case Field::Totex:
        return QStringLiteral("totex");
    case Field::Free:
        return QStringLiteral("free");
    case Field::RichTextBox1:
        return QStringLiteral("RichTextBox1");
    case Field::RichTextBox2:
        return QStringLiteral("RichTextBox2");
    default:
        return {};
    }
}

QString optionName(Option option) {
    return option == Option::Wee ? QStringLiteral("wee") : QStringLiteral("mon");
}

void applyStartValues(WorksheetFields &fields) {
    fields.setSelected(Option::Wee);
    clearAmounts(fields);
}

void clearAmounts(WorksheetFields &fields) {
    for (int n = 1; n <= kIncomeCount; ++n)
        fields.setText(income(n), QStringLiteral("0"));
    for (int row = 1; row <= kExpenseRowCount; ++row)
        fields.setText(expenseAmount(row), QStringLiteral("0"));
}

} // namespace tallaby::worksheet
