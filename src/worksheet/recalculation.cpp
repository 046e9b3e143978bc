#include "worksheet/recalculation.h"

#include "worksheet/summary.h"

#include <array>
#include <optional>

namespace tallaby::worksheet {

namespace {

void repair(WorksheetFields &fields, Field field, bool (*applies)(QStringView)) {
    if (applies(fields.text(field)))
        fields.setText(field, QStringLiteral("0"));
}

bool isEmpty(QStringView text) {
    return text.isEmpty();
}
bool letterLed(QStringView text) {
    return isLetterLed(text);
}

// A total of already converted amounts, added left to right as the user
// reads them; empty if any of them did not convert.
std::optional<double> addInOrder(const std::array<std::optional<double>, kAmountFieldCount> &values,
                                 int first, int count) {
    double sum = 0.0;
    for (int i = first; i < first + count; ++i) {
        if (!values[i])
            return std::nullopt;
        sum = i == first ? *values[i] : sum + *values[i];
    }
    return sum;
}

} // namespace

TickResult recalculate(WorksheetFields &fields, const TickContext &context,
                       const TickResult &previous) {
    TickResult result;
    result.summary = previous.summary;
    const NumberFormat &numbers = context.numbers;

    for (int n = 1; n <= kIncomeCount; ++n)
        repair(fields, income(n), isEmpty);
    for (int row = 1; row <= kExpenseRowCount; ++row)
        repair(fields, expenseAmount(row), letterLed);
    for (int n = 1; n <= kIncomeCount; ++n)
        repair(fields, income(n), letterLed);
    for (int row = 1; row <= kExpenseRowCount; ++row)
        repair(fields, expenseAmount(row), isEmpty);

    // Converting every amount up front changes nothing the user sees (the
    // outputs below don't feed the amounts) and lets us report all bad fields.
    std::array<std::optional<double>, kAmountFieldCount> values;
    for (int i = 0; i < kAmountFieldCount; ++i) {
        const ParsedAmount amount = numbers.parse(fields.text(amountField(i)));
        values[i] = amount.value;
        result.notANumber[i] = !amount.value;
        result.tooLarge[i] = amount.tooLarge;
    }

    const auto incomes = addInOrder(values, index(Field::Inc1), kIncomeCount);
    if (!incomes)
        return result;
    const auto incomeText = numbers.toNumberText(*incomes);
    if (!incomeText) {
        result.outOfRange = Field::Tottake;
        return result;
    }
    fields.setText(Field::Tottake, *incomeText);

    if (fields.isSelected(Option::Wee))
        fields.setText(Field::Week, QStringLiteral("week"));
    if (fields.isSelected(Option::Mon))
        fields.setText(Field::Week, QStringLiteral("month"));

    fields.setText(Field::Total1, *incomeText);

    const auto expenses = addInOrder(values, index(Field::C1), kExpenseRowCount);
    if (!expenses)
        return result;
    const auto expenseText = numbers.toNumberText(*expenses);
    if (!expenseText) {
        result.outOfRange = Field::Totex;
        return result;
    }
    fields.setText(Field::Totex, *expenseText);

    const auto totalShown = numbers.toNumber(fields.text(Field::Total1));
    const auto expensesShown = numbers.toNumber(fields.text(Field::Totex));
    if (!totalShown || !expensesShown)
        return result;
    const auto freeText = numbers.toNumberText(*totalShown - *expensesShown);
    if (!freeText) {
        result.outOfRange = Field::Free;
        return result;
    }
    fields.setText(Field::Free, *freeText);

    const QDate today = context.today ? context.today() : QDate::currentDate();
    QString head =
        composeSummaryHead(fields, numbers.locale().toString(today, QLocale::ShortFormat));
    const SummarySource &last = previous.summary;
    const std::uint64_t notes = fields.revision(Field::RichTextBox2);
    const bool current = notes != 0 && notes == last.notesRevision && last.summaryRevision != 0 &&
                         fields.revision(Field::RichTextBox1) == last.summaryRevision &&
                         head == last.head;
    if (!current) {
        fields.setText(Field::RichTextBox1, head + fields.text(Field::RichTextBox2));
        result.summary = {std::move(head), notes, fields.revision(Field::RichTextBox1)};
    }
    result.complete = true;
    return result;
}

} // namespace tallaby::worksheet
