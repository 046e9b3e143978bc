#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/filled.h"
#include "ui/form1.h"
#include "ui/frmsplash.h"
#include "ui/summarybox.h"

#include <memory>
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

using namespace tallaby;

namespace {

QAccessibleInterface *accessible(QObject *object) {
    return QAccessible::queryAccessibleInterface(object);
}

// A dark theme whose tooltips stay pale, as some desktops have it, and a
// high-contrast one.
QPalette darkPalette() {
    QPalette p(QColor(0x35, 0x35, 0x35), QColor(0x2d, 0x2d, 0x2d));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, QColor(0xee, 0xee, 0xee));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    p.setColor(QPalette::ToolTipText, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    return p;
}

QPalette highContrastPalette() {
    QPalette p(Qt::black, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, Qt::white);
    p.setColor(QPalette::ToolTipBase, Qt::black);
    p.setColor(QPalette::ToolTipText, Qt::yellow);
    p.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
    return p;
}

// What a widget's text is drawn on: its own fill, or the nearest one behind it.
QColor backgroundOf(const QWidget *widget, QPalette::ColorGroup group) {
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (auto *frame = dynamic_cast<const ui::Filled<QGroupBox> *>(w))
            return ui::systemColor(frame->fill(), QGuiApplication::palette());
        if (auto *client = dynamic_cast<const ui::Filled<QWidget> *>(w))
            return ui::systemColor(client->fill(), QGuiApplication::palette());
        if (w->autoFillBackground() || w->backgroundRole() != QPalette::Window)
            return w->palette().color(group, w->backgroundRole());
    }
    return QGuiApplication::palette().color(group, QPalette::Window);
}

// The lowest contrast of any text in the window, and where it is.
std::pair<double, QString> worstContrast(const QWidget *window) {
    std::pair<double, QString> worst{21, {}};
    for (const QWidget *w : window->findChildren<const QWidget *>()) {
        const auto *label = qobject_cast<const QLabel *>(w);
        const auto *frame = qobject_cast<const QGroupBox *>(w);
        const bool text =
            (label && !label->text().isEmpty()) || (frame && !frame->title().isEmpty()) ||
            qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
            w->objectName() == QLatin1String("qt_scrollarea_viewport");
        if (!text || !w->isVisibleTo(window))
            continue;
        const auto group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
        QColor ink = w->palette().color(group, w->foregroundRole());
        if (frame) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            ink = QColor::fromRgba(
                frame->style()->styleHint(QStyle::SH_GroupBox_TextLabelColor, &option, frame));
        }
        const double ratio = ui::contrastRatio(ink, backgroundOf(w, group));
        if (ratio < worst.first) {
            const QWidget *named =
                w->objectName().startsWith(QLatin1String("qt_")) ? w->parentWidget() : w;
            worst = {ratio, named->objectName()};
        }
    }
    return worst;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_form.reset(); }
    void rolesAndNames_data();
    void rolesAndNames();
    void everyInputHasItsOwnName();
    void summaryReadsLineByLine();
    void resultsShowTheirFigures();
    void aboutIsANamedFramedDialog();
    void textIsReadableInEveryScheme_data();
    void textIsReadableInEveryScheme();

private:
    QWidget *find(const QString &name) const { return m_form->findChild<QWidget *>(name); }

    std::unique_ptr<ui::Form1> m_form;
};

void AccessibilityTest::init() {
    m_form = std::make_unique<ui::Form1>(worksheet::TickContext{}, noPrinter());
    m_form->controls().timer->stop();
    m_form->Timer1_Timer();
}

void AccessibilityTest::rolesAndNames_data() {
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    const struct {
        const char *control;
        QAccessible::Role role;
        const char *name;
    } table[] = {
        {"Combo5", QAccessible::ComboBox, "Expense 5 category"},
        {"c5", QAccessible::EditableText, "Expense 5 amount"},
        {"RichTextBox1", QAccessible::EditableText, "Summary"},
        {"Label12", QAccessible::Link, "Click here to visit https://veltrane.example/"},
        {"Picture2", QAccessible::Link, "Visit the Veltrane web site"},
        {"Picture1", QAccessible::Graphic, "Veltrane logo"},
        {"mon", QAccessible::RadioButton, "Monthly"},
    };
    for (const auto &row : table)
        QTest::newRow(row.control) << int(row.role) << row.name;
}

void AccessibilityTest::rolesAndNames() {
    QFETCH(int, role);
    QFETCH(QString, name);
    QAccessibleInterface *control = accessible(find(QTest::currentDataTag()));
    QCOMPARE(int(control->role()), role);
    QCOMPARE(control->text(QAccessible::Name), name);
    if (role == QAccessible::Link) {
        // Following a link is an action a reader can take.
        QVERIFY(control->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
}

void AccessibilityTest::everyInputHasItsOwnName() {
    // Whatever takes the focus speaks; a category box's line edit speaks for it.
    QStringList names;
    for (QWidget *w : find("Form1Client")->findChildren<QWidget *>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(m_form.get()) ||
            w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString name = accessible(w)->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), qPrintable(w->objectName()));
        if (!qobject_cast<QComboBox *>(w->parentWidget()))
            names << name;
    }
    const qsizetype inputs = names.size();
    QVERIFY(inputs > worksheet::kAmountFieldCount + worksheet::kExpenseRowCount);
    names.removeDuplicates();
    QCOMPARE(names.size(), inputs);
}

void AccessibilityTest::summaryReadsLineByLine() {
    auto *box = m_form->sheet().summary;
    box->layout().setScreenLineWidth(1440); // an inch, so lines wrap
    QAccessibleInterface *summary = accessible(box);
    QAccessibleTextInterface *text = summary->textInterface();
    QVERIFY(summary->state().readOnly);
    QCOMPARE(text->text(0, text->characterCount()), box->text().replace(u'\r', u'\n'));

    // The lines read one after another make up the summary, wrapped as shown.
    QStringList lines;
    for (int offset = 0, start = 0, end = 0; offset < text->characterCount(); offset = end) {
        lines << text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, offset);
    }
    QCOMPARE(lines.join(QString()), text->text(0, text->characterCount()));
    const QList<qint32> starts = box->layout().lineStarts();
    QCOMPARE(lines.size(), std::count_if(starts.begin(), starts.end(), [&](qint32 start) {
                 return start < text->characterCount();
             }));

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(text->cursorPosition(), lines[0].size());
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(text->cursorPosition(), lines[0].size() + lines[1].size() - 1);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(text->cursorPosition(), text->characterCount());
}

void AccessibilityTest::resultsShowTheirFigures() {
    m_form->sheet().incomes[0]->setText("1200");
    m_form->sheet().expenses[0]->setText("200");
    m_form->Timer1_Timer();
    // Out of the tab order and not editable, but enabled: read as figures, not greyed out.
    const struct {
        const char *name;
        QString reads;
    } results[] = {{"tottake", "1200"},
                   {"free", "1000"},
                   {"total1", "Total Income 1200"},
                   {"totex", "Total Expendature 200"}};
    for (const auto &result : results) {
        QWidget *field = find(result.name);
        QVERIFY(field->isEnabled() && field->focusPolicy() == Qt::NoFocus);
        QAccessibleInterface *iface = accessible(field);
        QVERIFY(!iface->state().focusable &&
                (iface->role() != QAccessible::EditableText || iface->state().readOnly));
        QCOMPARE(iface->role() == QAccessible::EditableText ? iface->text(QAccessible::Value)
                                                            : iface->text(QAccessible::Name),
                 result.reads);
    }
}

void AccessibilityTest::aboutIsANamedFramedDialog() {
    ui::frmSplash about;
    about.show();
    QAccessibleInterface *dialog = accessible(&about);
    QCOMPARE(dialog->role(), QAccessible::Dialog);
    QCOMPARE(dialog->text(QAccessible::Name), "About Tallaby");
    QCOMPARE(about.focusWidget()->objectName(), "Command1");
    // A raised edge: light at the top left, dark at the bottom right, around the face.
    const QImage shot = about.grab().toImage();
    const QPalette &p = QGuiApplication::palette();
    QCOMPARE(shot.pixel(0, 0), p.color(QPalette::Light).rgb());
    QCOMPARE(shot.pixel(shot.width() - 1, shot.height() - 1), p.color(QPalette::Shadow).rgb());
}

void AccessibilityTest::textIsReadableInEveryScheme_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    QTest::newRow("dark") << darkPalette();
    QTest::newRow("high contrast") << highContrastPalette();
}

void AccessibilityTest::textIsReadableInEveryScheme() {
    QFETCH(QPalette, palette);
    // Open before the change, so both windows have to follow it.
    ui::frmSplash about;
    const QPalette original = QGuiApplication::palette();
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    const auto main = worstContrast(m_form.get());
    const auto aboutWorst = worstContrast(&about);
    const QColor aboutFace =
        backgroundOf(about.findChild<QWidget *>("lblVersion"), QPalette::Active);
    const QColor frame2 =
        ui::systemColor(static_cast<ui::Filled<QGroupBox> *>(find("Frame2"))->fill(), palette);
    QApplication::setPalette(original);
    QVERIFY2(main.first >= 4.5,
             qPrintable(QStringLiteral("%1: %2").arg(main.second).arg(main.first)));
    QVERIFY2(aboutWorst.first >= 4.5,
             qPrintable(QStringLiteral("%1: %2").arg(aboutWorst.second).arg(aboutWorst.first)));
    QCOMPARE(aboutFace, palette.color(QPalette::Button));
    // Frame2 stands out from the face wherever the scheme gives it a shade of its own.
    if (palette.color(QPalette::Mid) != palette.color(QPalette::Button))
        QVERIFY(frame2 != palette.color(QPalette::Button));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
