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
#include <functional>
#include <QAction>
#include <QApplication>
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

namespace tallaby::ui {

using worksheet::Field;

namespace {

constexpr int kTickMilliseconds = 500;

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

// Where the window keeps one of its controls, filled in as the control is created.
class Keep {
public:
    template<class Widget>
    Keep(Widget *&where)
        : m_fill([&where](QWidget *widget) {
            where = qobject_cast<Widget *>(widget);
            Q_ASSERT(where);
        }) {}
    void operator()(QWidget *widget) const { m_fill(widget); }

private:
    std::function<void(QWidget *)> m_fill;
};

// The controls the window works with, by their names in the layout.
QHash<QString, Keep> keptByName(Worksheet &sheet, Form1::Controls &controls) {
    QHash<QString, Keep> kept = {
        {"wee", sheet.wee},
        {"mon", sheet.mon},
        {"total1", sheet.total1},
        {"week", sheet.week},
        {"totex", sheet.totex},
        {"tottake", sheet.tottake},
        {"free", sheet.free},
        {"RichTextBox1", sheet.summary},
        {"RichTextBox2", sheet.notes},
        {"Command1", controls.clearValues},
        {"Command2", controls.printSummary},
        {"Label12", controls.webLink},
        {"Picture1", controls.logo},
        {"Picture2", controls.banner},
    };
    for (int n = 1; n <= worksheet::kIncomeCount; ++n)
        kept.insert(QStringLiteral("inc%1").arg(n), sheet.incomes[n - 1]);
    for (int row = 1; row <= worksheet::kExpenseRowCount; ++row) {
        kept.insert(QStringLiteral("c%1").arg(row), sheet.expenses[row - 1]);
        kept.insert(QStringLiteral("Combo%1").arg(row), sheet.categories[row - 1]);
    }
    return kept;
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
        // The text boxes the user types into are the amounts.
        QLineEdit *edit = (entry.look & Result) ? new QLineEdit(parent) : new AmountEdit(parent);
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
    m_fields = std::make_unique<FormFields>(m_sheet);

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

    const QHash<QString, Keep> kept = keptByName(m_sheet, m_controls);
    [[maybe_unused]] qsizetype keptCount = 0;
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
        if (const auto keep = kept.constFind(entry.name); keep != kept.cend()) {
            (*keep)(widget);
            ++keptCount;
        }
    }
    Q_ASSERT_X(keptCount == kept.size(), "Form1::createUi", "a kept name is not in the layout");

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
    for (const LayoutEntry &entry : form1Layout()) {
        // The web link is read as its caption, without the space that pads it.
        const QString name =
            (entry.look & Link) ? entry.caption.trimmed() : ui::accessibleName(entry.name);
        if (name.isEmpty())
            continue;
        QWidget *widget = control(entry.name);
        widget->setAccessibleName(name);
        // The editable box's line edit is what has the focus and speaks.
        if (auto *category = qobject_cast<QComboBox *>(widget))
            category->lineEdit()->setAccessibleName(name);
    }
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
    worksheet::applyStartValues(*m_fields);
    // Arial 10 pt at once; the printer's line width once the printer answers.
    m_printing->startLayout();
}

void Form1::Timer1_Timer() {
    m_lastTick = worksheet::recalculate(*m_fields, m_tick, m_lastTick);
    markTickProblems();
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

} // namespace tallaby::ui
