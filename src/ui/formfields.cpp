#include "ui/formfields.h"

#include "ui/accessibility.h"
#include "ui/amountedit.h"
#include "ui/summarybox.h"

#include <algorithm>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tallaby::ui {

using worksheet::Field;
using worksheet::Option;

namespace {

// How much shorter the summary must get for releaseMemoryOfCutNotes().
constexpr qsizetype kReleaseAfterShrinking = 1'000'000;

// Gives freed memory back to the system; the C library would keep it,
// scattered between what is still in use.
void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace

FormFields::FormFields(const Worksheet &sheet)
    : m_sheet(sheet) {
    m_notesEdited = QObject::connect(sheet.notes, &QPlainTextEdit::textChanged, [this] {
        m_notes.reset();
        ++m_notesRevision;
    });
}

FormFields::~FormFields() {
    QObject::disconnect(m_notesEdited);
}

QString FormFields::text(Field field) const {
    const int i = worksheet::index(field);
    if (i < worksheet::kIncomeCount)
        return m_sheet.incomes[i]->text();
    if (worksheet::isAmountField(field))
        return m_sheet.expenses[i - worksheet::kIncomeCount]->text();
    switch (field) {
    case Field::Total1:
        return m_sheet.total1->text();
    case Field::Week:
        return m_sheet.week->text();
    case Field::Tottake:
        return m_sheet.tottake->text();
    case Field::Totex:
        return m_sheet.totex->text();
    case Field::Free:
        return m_sheet.free->text();
    case Field::RichTextBox1:
        return m_sheet.summary->text();
    case Field::RichTextBox2:
        // The notes' lines are separated like the summary's, by lone carriage returns.
        // Read anew only after an edit: a long note would cost every tick.
        if (!m_notes)
            m_notes = m_sheet.notes->toPlainText().replace(u'\n', u'\r');
        return *m_notes;
    default:
        return {};
    }
}

void FormFields::setText(Field field, const QString &text) {
    const int i = worksheet::index(field);
    if (i < worksheet::kIncomeCount) {
        m_sheet.incomes[i]->setText(text);
        return;
    }
    if (worksheet::isAmountField(field)) {
        m_sheet.expenses[i - worksheet::kIncomeCount]->setText(text);
        return;
    }
    const auto setResult = [&text](QLineEdit *edit) {
        if (edit->text() != text)
            edit->setText(text);
    };
    // A caption is read with its figure: "Total Income 1200".
    const auto setCaption = [field, &text](QLabel *label) {
        if (label->text() == text)
            return;
        label->setText(text);
        label->setAccessibleName(accessibleName(worksheet::fieldName(field)) + u' ' + text);
    };
    switch (field) {
    case Field::Total1:
        setCaption(m_sheet.total1);
        break;
    case Field::Week:
        setCaption(m_sheet.week);
        break;
    case Field::Tottake:
        setResult(m_sheet.tottake);
        break;
    case Field::Totex:
        setCaption(m_sheet.totex);
        break;
    case Field::Free:
        setResult(m_sheet.free);
        break;
    case Field::RichTextBox1:
        m_sheet.summary->setText(text);
        ++m_summaryRevision;
        releaseMemoryOfCutNotes();
        break;
    case Field::RichTextBox2:
        m_sheet.notes->setPlainText(QString(text).replace(u'\r', u'\n'));
        break;
    default:
        break;
    }
}

bool FormFields::isSelected(Option option) const {
    return (option == Option::Wee ? m_sheet.wee : m_sheet.mon)->isChecked();
}

void FormFields::setSelected(Option option) {
    (option == Option::Wee ? m_sheet.wee : m_sheet.mon)->setChecked(true);
}

std::uint64_t FormFields::revision(Field field) const {
    switch (field) {
    case Field::RichTextBox1:
        return m_summaryRevision;
    case Field::RichTextBox2:
        return m_notesRevision;
    default:
        return 0;
    }
}

// Long notes cut or cleared leave memory behind: the C library keeps what
// laid them out, and selecting them to delete them put a copy of them in the
// selection that the middle button pastes. Both go once the summary is much
// shorter than it was. The notes' undo history stays, so Ctrl+Z still brings
// them back.
void FormFields::releaseMemoryOfCutNotes() {
    const qsizetype length = m_sheet.summary->textLength();
    m_longestSummary = std::max(m_longestSummary, length);
    if (m_longestSummary - length < kReleaseAfterShrinking)
        return;
    m_longestSummary = length;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->ownsSelection() && !m_sheet.notes->textCursor().hasSelection())
        clipboard->clear(QClipboard::Selection);
    releaseFreedMemory();
}

} // namespace tallaby::ui
