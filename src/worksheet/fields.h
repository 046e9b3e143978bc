#pragma once

#include <array>
#include <cstdint>
#include <QString>
#include <QStringView>

namespace tallaby::worksheet {

inline constexpr int kIncomeCount = 3;
inline constexpr int kExpenseRowCount = 28;
inline constexpr int kAmountFieldCount = kIncomeCount + kExpenseRowCount;

// The worksheet's text-valued fields, named as the main window names its
// controls. Only the anchors of the two amount ranges are spelled out; use
// income() and expenseAmount() for the rest.
enum class Field : std::uint8_t {
    Inc1,
    Inc2,
    Inc3,
    C1,
    C28 = C1 + kExpenseRowCount - 1,
    Total1,
    Week,
    Tottake,
    Totex,
    Free,
    RichTextBox1,
    RichTextBox2,
};
inline constexpr int kFieldCount = static_cast<int>(Field::RichTextBox2) + 1;

// The weekly/monthly option pair.
enum class Option : std::uint8_t { Wee, Mon };

constexpr int index(Field field) {
    return static_cast<int>(field);
}

// n from 1 to 3.
constexpr Field income(int n) {
    return static_cast<Field>(index(Field::Inc1) + n - 1);
}

// row from 1 to 28.
constexpr Field expenseAmount(int row) {
    return static_cast<Field>(index(Field::C1) + row - 1);
}

// i from 0 to 30: the incomes first, then the expense amounts by row.
constexpr Field amountField(int i) {
    return static_cast<Field>(i);
}

constexpr bool isAmountField(Field field) {
    return index(field) < kAmountFieldCount;
}

// The control's object name: "inc1", "c17", "total1", "RichTextBox2", ...
QString fieldName(Field field);
QString optionName(Option option);

// Read and write access to the worksheet, whatever holds it: the main
// window's controls, or plain strings in tests. text() and setText() mean
// Text for text boxes and Caption for labels.
class WorksheetFields {
public:
    virtual QString text(Field field) const = 0;
    virtual void setText(Field field, const QString &text) = 0;
    virtual bool isSelected(Option option) const = 0;
    virtual void setSelected(Option option) = 0;
    // Stays the same only while the field's text does, so a tick can tell
    // that a long text (the notes) is unchanged without reading it. Never 0
    // for RichTextBox1 and RichTextBox2; 0 means "not counted".
    virtual std::uint64_t revision(Field field) const = 0;

protected:
    WorksheetFields() = default;
    ~WorksheetFields() = default;
    WorksheetFields(const WorksheetFields &) = default;
    WorksheetFields &operator=(const WorksheetFields &) = default;
};

// The run's start state: weekly basis, every amount "0".
void applyStartValues(WorksheetFields &fields);

// Clear Values: every amount back to "0", nothing else touched.
void clearAmounts(WorksheetFields &fields);

} // namespace tallaby::worksheet
