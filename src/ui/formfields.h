#pragma once

// The worksheet's fields over the main window's controls: the recalculation
// (src/worksheet) reads and writes the window through FormFields alone, so it
// never sees a widget.

#include "worksheet/fields.h"

#include <array>
#include <optional>
#include <QMetaObject>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace tallaby::ui {

class AmountEdit;
class SummaryBox;

// The main window's worksheet controls. Their names are deliberate and stay;
// the README's glossary explains each one.
struct Worksheet {
    // inc1 to inc3: your, your partner's and other net income.
    std::array<AmountEdit *, worksheet::kIncomeCount> incomes{};
    // c1 to c28: the amount of expense row 1 to 28.
    std::array<AmountEdit *, worksheet::kExpenseRowCount> expenses{};
    // Combo1 to Combo28: each row's category, for the eye only.
    std::array<QComboBox *, worksheet::kExpenseRowCount> categories{};
    QRadioButton *wee = nullptr; // the weekly basis, "Weekly"
    QRadioButton *mon = nullptr; // the monthly basis, "Monthly"
    // Total income in the income frame; free cash is worked from the figure it shows.
    QLabel *total1 = nullptr;
    QLabel *week = nullptr;          // the period word after "per": "week" or "month"
    QLabel *totex = nullptr;         // total expenditure, "Total Expendature :"
    QLineEdit *tottake = nullptr;    // total income again, in the totals frame
    QLineEdit *free = nullptr;       // free cash: total1 less totex, "Income - Expendature :"
    SummaryBox *summary = nullptr;   // RichTextBox1: the summary, laid out as it prints
    QPlainTextEdit *notes = nullptr; // RichTextBox2: the notes, copied into the summary
};

class FormFields final : public worksheet::WorksheetFields {
public:
    // Every control of `sheet` exists and outlives this.
    explicit FormFields(const Worksheet &sheet);
    ~FormFields();
    FormFields(const FormFields &) = delete;
    FormFields &operator=(const FormFields &) = delete;

    QString text(worksheet::Field field) const override;
    void setText(worksheet::Field field, const QString &text) override;
    bool isSelected(worksheet::Option option) const override;
    void setSelected(worksheet::Option option) override;
    std::uint64_t revision(worksheet::Field field) const override;

private:
    // Once the summary is much shorter: gives back the memory of long notes cut
    // or cleared.
    void releaseMemoryOfCutNotes();

    const Worksheet &m_sheet;
    QMetaObject::Connection m_notesEdited;
    mutable std::optional<QString> m_notes; // the notes' text, until they change
    std::uint64_t m_notesRevision = 1;
    std::uint64_t m_summaryRevision = 1;
    qsizetype m_longestSummary = 0; // since memory was last released
};

} // namespace tallaby::ui
