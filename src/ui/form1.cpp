#include "ui/form1.h"

#include "identity.h"
#include "ui/accessibility.h"
#include "ui/amountedit.h"
#include "ui/artwork.h"
#include "ui/clickablelabel.h"
#include "ui/filled.h"
#include "ui/form1layout.h"
#include "ui/marking.h"
#include "ui/picturebox.h"
#include "ui/summarybox.h"
#include "ui/systemcolors.h"
#include "worksheet/categories.h"

#include <algorithm>
#include <cmath>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tallaby::ui {

using worksheet::Field;
using worksheet::Option;

namespace {

constexpr int kTickMilliseconds = 500;

// How much shorter the summary must get for releaseMemoryOfCutNotes().
constexpr qsizetype kReleaseAfterShrinking = 1'000'000;

// Gives freed memory back to the system; the C library would keep it,
// scattered between what is still in use.
void releaseFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// Return and Enter press a focused button, as Space does; neither is a
// default button, so Qt's own buttons would let them pass.
class CommandButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == 0) {
            if (!event->isAutoRepeat())
                click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

bool isAmountName(const QString &name) {
    for (int i = 0; i < worksheet::kAmountFieldCount; ++i) {
        if (worksheet::fieldName(worksheet::amountField(i)) == name)
            return true;
    }
    return false;
}

QWidget *createControl(const LayoutEntry &entry, QWidget *parent) {
    switch (entry.kind) {
    case ControlKind::Frame:
        return new Filled<QGroupBox>(entry.caption, parent);
    case ControlKind::Label: {
        QLabel *label = (entry.look & Link) ? new ClickableLabel(parent) : new QLabel(parent);
        label->setText(entry.caption);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(((entry.look & Centred) ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        if (entry.look & SingleBorder)
            label->setFrameStyle(QFrame::Box | QFrame::Plain);
        return label;
    }
    case ControlKind::TextBox: {
        QLineEdit *edit = isAmountName(entry.name) ? new AmountEdit(parent) : new QLineEdit(parent);
        edit->setText(entry.caption);
        return edit;
    }
    case ControlKind::ComboBox: {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        // A word of the user's own stays in its box and does not join the list.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(worksheet::expenseCategories());
        combo->setCurrentIndex(-1);
        combo->setEditText(entry.caption);
        // Offer the categories while typing without replacing what is typed.
        combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
        return combo;
    }
    case ControlKind::OptionButton:
        return new QRadioButton(entry.caption, parent);
    case ControlKind::CommandButton: {
        auto *button = new CommandButton(entry.caption, parent);
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::PictureBox:
        return new PictureBox(parent);
    case ControlKind::RichTextBox:
        if (entry.name == QLatin1String("RichTextBox1"))
            return new SummaryBox(parent);
        auto *notes = new QPlainTextEdit(parent);
        notes->setTabChangesFocus(true);
        return notes;
    }
    return nullptr;
}

} // namespace

Form1::Form1(worksheet::TickContext tick, printing::PrinterAccess printer, QWidget *parent)
    : QMainWindow(parent)
    , m_tick(std::move(tick)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kProductName));
    setWindowIcon(applicationIcon());
    installAccessibility();

    createUi();
    createMenus();
    createTimer();
    applyColours();
    setUpAccessibility();
    setUpTabOrder();

    m_printing =
        std::make_unique<printing::SummaryPrinter>(m_sheet.summary->layout(), std::move(printer));
    resize(twipsToPixels(kForm1ClientWidth),
           twipsToPixels(kForm1ClientHeight) + menuBar()->sizeHint().height());
    Form_Load();
}

// The printer's threads stop before the window's controls go.
Form1::~Form1() = default;

void Form1::createUi() {
    auto *client = new Filled<QWidget>(this);
    client->setObjectName(QStringLiteral("Form1Client"));
    client->setFill(fillOf(QStringLiteral("Form1")));
    // Before the controls exist, so none of them has to take a font change.
    client->setFont(fittingFont());
    setCentralWidget(client);
    m_byName.insert(QStringLiteral("Form1"), client);

    for (const LayoutEntry &entry : form1Layout()) {
        QWidget *widget = createControl(entry, m_byName.value(entry.container));
        widget->setObjectName(entry.name);
        widget->setGeometry(entry.rect.toPixels());
        if (entry.look & Result) {
            // Greyed like a disabled control's text, darkened to read, but not
            // disabled: these are the figures the user came for.
            if (auto *edit = qobject_cast<QLineEdit *>(widget))
                edit->setReadOnly(true);
            widget->setFocusPolicy(Qt::NoFocus);
            widget->setAttribute(Qt::WA_TransparentForMouseEvents);
        }
        m_byName.insert(entry.name, widget);
    }

    // Controls with a window of their own lie in front of labels; among the
    // overlaps that show, "per" lies in front of the period word, the logo
    // over the command frame's edge and the expense frame over the income one.
    for (QLabel *label : client->findChildren<QLabel *>()) {
        if (m_byName.contains(label->objectName()))
            label->lower();
    }
    control(QStringLiteral("week"))->stackUnder(control(QStringLiteral("Label6")));
    control(QStringLiteral("Frame3"))->stackUnder(control(QStringLiteral("Picture1")));
    control(QStringLiteral("Frame2"))->stackUnder(control(QStringLiteral("Frame4")));

    for (int n = 1; n <= worksheet::kIncomeCount; ++n)
        m_sheet.incomes[n - 1] =
            qobject_cast<AmountEdit *>(control(fieldName(worksheet::income(n))));
    for (int row = 1; row <= worksheet::kExpenseRowCount; ++row) {
        m_sheet.expenses[row - 1] =
            qobject_cast<AmountEdit *>(control(fieldName(worksheet::expenseAmount(row))));
        m_sheet.categories[row - 1] =
            qobject_cast<QComboBox *>(control(QStringLiteral("Combo%1").arg(row)));
    }
    m_sheet.wee = qobject_cast<QRadioButton *>(control(QStringLiteral("wee")));
    m_sheet.mon = qobject_cast<QRadioButton *>(control(QStringLiteral("mon")));
    m_sheet.total1 = qobject_cast<QLabel *>(control(QStringLiteral("total1")));
    m_sheet.week = qobject_cast<QLabel *>(control(QStringLiteral("week")));
    m_sheet.totex = qobject_cast<QLabel *>(control(QStringLiteral("totex")));
    m_sheet.tottake = qobject_cast<QLineEdit *>(control(QStringLiteral("tottake")));
    m_sheet.free = qobject_cast<QLineEdit *>(control(QStringLiteral("free")));
    m_sheet.summary = qobject_cast<SummaryBox *>(control(QStringLiteral("RichTextBox1")));
    m_sheet.notes = qobject_cast<QPlainTextEdit *>(control(QStringLiteral("RichTextBox2")));
    connect(m_sheet.notes, &QPlainTextEdit::textChanged, this, [this] {
        m_notes.reset();
        ++m_notesRevision;
    });

    m_controls.clearValues = qobject_cast<QPushButton *>(control(QStringLiteral("Command1")));
    m_controls.printSummary = qobject_cast<QPushButton *>(control(QStringLiteral("Command2")));
    m_controls.webLink = qobject_cast<ClickableLabel *>(control(QStringLiteral("Label12")));
    m_controls.logo = qobject_cast<PictureBox *>(control(QStringLiteral("Picture1")));
    m_controls.banner = qobject_cast<PictureBox *>(control(QStringLiteral("Picture2")));

    m_controls.logo->setPixmap(artwork(QStringLiteral("logo.gif"), devicePixelRatioF()));
    m_controls.banner->setPixmap(artwork(QStringLiteral("banner.jpg"), devicePixelRatioF()));
    m_controls.banner->setClickable(true);
}

// The layout is fixed in twips, so the platform's font may be too wide for
// it: keep the platform's family and step its size down until every caption
// fits its box.
QFont Form1::fittingFont() const {
    constexpr qreal kSmallest = 6.0;
    constexpr int kButtonPadding = 8;
    // How much wider than its box a caption is at this font, the worst of them.
    const auto overflow = [](const QFont &font) {
        const QFontMetricsF metrics(font);
        qreal worst = 0;
        for (const LayoutEntry &entry : form1Layout()) {
            const int padding = entry.kind == ControlKind::CommandButton ? kButtonPadding : 0;
            if (entry.kind == ControlKind::Label || entry.kind == ControlKind::CommandButton)
                worst = std::max(worst, (metrics.horizontalAdvance(entry.caption) + padding) /
                                            entry.rect.toPixels().width());
        }
        return worst;
    };
    QFont font = QApplication::font(this);
    // Text width grows about linearly with the size, so start from the
    // estimate and step down only where hinting disagrees.
    const qreal worst = overflow(font);
    qreal size = font.pointSizeF();
    if (worst > 1)
        size = std::max(kSmallest, std::floor(2 * size / worst) / 2);
    for (;; size -= 0.5) {
        font.setPointSizeF(size);
        if (size <= kSmallest || overflow(font) <= 1)
            return font;
    }
}

void Form1::createMenus() {
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnfile"));
    m_controls.print = file->addAction(QStringLiteral("&Print"));
    m_controls.print->setObjectName(QStringLiteral("mnuPrint"));
    m_controls.exit = file->addAction(QStringLiteral("&Exit"));
    m_controls.exit->setObjectName(QStringLiteral("mnuexit"));

    QMenu *about = menuBar()->addMenu(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuabo"));
    m_controls.about = about->addAction(QStringLiteral("About"));
    m_controls.about->setObjectName(QStringLiteral("mnuabout"));

    // Keep every item in its own menu on platforms that move About and Exit.
    for (QAction *action : {m_controls.print, m_controls.exit, m_controls.about})
        action->setMenuRole(QAction::NoRole);
}

void Form1::createTimer() {
    m_controls.timer = new QTimer(this);
    m_controls.timer->setObjectName(QStringLiteral("Timer1"));
    m_controls.timer->setInterval(kTickMilliseconds);
    connect(m_controls.timer, &QTimer::timeout, this, &Form1::Timer1_Timer);
    // Ticks are only handled by the event loop, so the first comes after Form_Load.
    m_controls.timer->start();
}

void Form1::applyColours() {
    for (const LayoutEntry &entry : form1Layout()) {
        QWidget *widget = control(entry.name);
        switch (entry.kind) {
        case ControlKind::Frame:
            static_cast<Filled<QGroupBox> *>(widget)->setFill(fillOf(entry.name));
            break;
        case ControlKind::Label:
            // Labels are boxes of button face, which show only on frames of another colour.
            setPaint(widget, (entry.look & WindowColours)    ? Paint::WindowCaption
                             : (entry.look & Result)         ? Paint::Result
                             : (entry.look & InfoBackground) ? Paint::InfoCaption
                             : fillOf(entry.container) == SystemColor::ButtonFace
                                 ? Paint::Caption
                                 : Paint::FaceCaption);
            break;
        case ControlKind::TextBox:
            if (entry.look & Result)
                setPaint(widget, Paint::Result);
            break;
        case ControlKind::OptionButton:
        case ControlKind::CommandButton:
        case ControlKind::PictureBox:
            setPaint(widget, Paint::Face);
            break;
        default:
            break;
        }
    }
    applyScheme(this);
}

void Form1::setUpAccessibility() {
    const QStringList incomeNames = {tr("Your Income"), tr("Partners Income"), tr("Other Income")};
    for (int i = 0; i < worksheet::kIncomeCount; ++i)
        m_sheet.incomes[i]->setAccessibleName(incomeNames[i]);
    for (int row = 1; row <= worksheet::kExpenseRowCount; ++row) {
        m_sheet.expenses[row - 1]->setAccessibleName(tr("Expense %1 amount").arg(row));
        // The editable box's line edit is what has the focus and speaks.
        QComboBox *category = m_sheet.categories[row - 1];
        category->setAccessibleName(tr("Expense %1 category").arg(row));
        category->lineEdit()->setAccessibleName(category->accessibleName());
    }
    m_sheet.wee->setAccessibleName(tr("Weekly"));
    m_sheet.mon->setAccessibleName(tr("Monthly"));
    m_sheet.tottake->setAccessibleName(tr("Total Income"));
    m_sheet.free->setAccessibleName(tr("Income - Expendature"));
    m_sheet.total1->setAccessibleName(tr("Total Income"));
    m_sheet.totex->setAccessibleName(tr("Total Expendature"));
    m_sheet.week->setAccessibleName(tr("per"));
    m_sheet.summary->setAccessibleName(tr("Summary"));
    m_sheet.notes->setAccessibleName(tr("Notes"));
    m_controls.logo->setAccessibleName(tr("Veltrane logo"));
    m_controls.banner->setAccessibleName(tr("Visit the Veltrane web site"));
    m_controls.webLink->setAccessibleName(m_controls.webLink->text().trimmed());
}

void Form1::setUpTabOrder() {
    // The option pair is one tab stop, its selected button; the arrow keys
    // move between the two.
    const auto onlySelectedTakesTab = [this] {
        for (QRadioButton *option : {m_sheet.wee, m_sheet.mon})
            option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton *option : {m_sheet.wee, m_sheet.mon})
        connect(option, &QRadioButton::toggled, this, onlySelectedTakesTab);
    onlySelectedTakesTab();

    std::vector<const LayoutEntry *> stops;
    for (const LayoutEntry &entry : form1Layout()) {
        if (entry.tabIndex != kNoTabIndex && control(entry.name)->focusPolicy() != Qt::NoFocus)
            stops.push_back(&entry);
    }
    std::sort(stops.begin(), stops.end(),
              [](const LayoutEntry *a, const LayoutEntry *b) { return a->tabIndex < b->tabIndex; });
    for (std::size_t i = 1; i < stops.size(); ++i)
        setTabOrder(control(stops[i - 1]->name), control(stops[i]->name));
}

QWidget *Form1::control(const QString &name) const {
    QWidget *widget = m_byName.value(name);
    Q_ASSERT_X(widget, "Form1::control", qPrintable(name));
    return widget;
}

void Form1::showCentred() {
    if (const QScreen *where = screen())
        setGeometry(QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, size(),
                                        where->availableGeometry()));
    m_controls.logo->setFocus();
    show();
}

void Form1::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // A new application palette reaches us as a change of our inherited one.
    if (event->type() == QEvent::PaletteChange)
        applyScheme(this);
}

void Form1::Form_Load() {
    worksheet::applyStartValues(*this);
    // Arial 10 pt at once; the printer's line width once the printer answers.
    m_printing->startLayout();
}

void Form1::Timer1_Timer() {
    m_lastTick = worksheet::recalculate(*this, m_tick, m_lastTick);
    markTickProblems();
    releaseMemoryOfCutNotes();
}

// Long notes cut or cleared leave memory behind: the C library keeps what
// laid them out, and selecting them to delete them put a copy of them in the
// selection that the middle button pastes. Both go once the summary is much
// shorter than it was. The notes' undo history stays, so Ctrl+Z still brings
// them back.
void Form1::releaseMemoryOfCutNotes() {
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

void Form1::markTickProblems() {
    for (int i = 0; i < worksheet::kAmountFieldCount; ++i) {
        auto *edit = i < worksheet::kIncomeCount ? m_sheet.incomes[i]
                                                 : m_sheet.expenses[i - worksheet::kIncomeCount];
        setMarking(edit, tickProblem(m_lastTick, worksheet::amountField(i)));
    }
    const std::pair<Field, QWidget *> outputs[] = {{Field::Tottake, m_sheet.tottake},
                                                   {Field::Total1, m_sheet.total1},
                                                   {Field::Totex, m_sheet.totex},
                                                   {Field::Free, m_sheet.free}};
    for (const auto &[field, widget] : outputs)
        setMarking(widget, tickProblem(m_lastTick, field));
}

QString Form1::whySummaryIsNotCurrent() const {
    QStringList why;
    for (int i = 0; i < worksheet::kAmountFieldCount; ++i) {
        if (!m_lastTick.notANumber[i])
            continue;
        const QString name =
            control(worksheet::fieldName(worksheet::amountField(i)))->accessibleName();
        why << (m_lastTick.tooLarge[i] ? tr("%1 is too large") : tr("%1 is not a number"))
                   .arg(name);
    }
    if (m_lastTick.outOfRange) {
        // Named by the caption beside it, as on screen.
        const char *caption = *m_lastTick.outOfRange == Field::Tottake ? "Label11"
                              : *m_lastTick.outOfRange == Field::Totex ? "Label8"
                                                                       : "Label9";
        const QString name = qobject_cast<QLabel *>(control(QString::fromLatin1(caption)))
                                 ->text()
                                 .remove(u':')
                                 .trimmed();
        why << tr("%1 is too large to show").arg(name);
    }
    return why.join(QStringLiteral("; "));
}

QString Form1::text(Field field) const {
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

void Form1::setText(Field field, const QString &text) {
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
    const auto setCaption = [&text](QLabel *label, const QString &name) {
        if (label->text() == text)
            return;
        label->setText(text);
        label->setAccessibleName(name + QLatin1Char(' ') + text);
    };
    switch (field) {
    case Field::Total1:
        setCaption(m_sheet.total1, tr("Total Income"));
        break;
    case Field::Week:
        setCaption(m_sheet.week, tr("per"));
        break;
    case Field::Tottake:
        setResult(m_sheet.tottake);
        break;
    case Field::Totex:
        setCaption(m_sheet.totex, tr("Total Expendature"));
        break;
    case Field::Free:
        setResult(m_sheet.free);
        break;
    case Field::RichTextBox1:
        m_sheet.summary->setText(text);
        ++m_summaryRevision;
        break;
    case Field::RichTextBox2:
        m_sheet.notes->setPlainText(QString(text).replace(u'\r', u'\n'));
        break;
    default:
        break;
    }
}

bool Form1::isSelected(Option option) const {
    return (option == Option::Wee ? m_sheet.wee : m_sheet.mon)->isChecked();
}

std::uint64_t Form1::revision(Field field) const {
    switch (field) {
    case Field::RichTextBox1:
        return m_summaryRevision;
    case Field::RichTextBox2:
        return m_notesRevision;
    default:
        return 0;
    }
}

void Form1::setSelected(Option option) {
    (option == Option::Wee ? m_sheet.wee : m_sheet.mon)->setChecked(true);
}

} // namespace tallaby::ui
