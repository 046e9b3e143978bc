#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/artwork.h"
#include "ui/filled.h"
#include "ui/form1.h"
#include "ui/frmsplash.h"
#include "ui/summarybox.h"

#include <memory>
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

using namespace tallaby;

namespace {

QAccessibleInterface *accessible(QObject *object) {
    return QAccessible::queryAccessibleInterface(object);
}

// What a widget's text is drawn on: its own fill, or the nearest one behind it.
QColor backgroundOf(const QWidget *w) {
    for (; w; w = w->parentWidget()) {
        if (auto *frame = dynamic_cast<const ui::Filled<QGroupBox> *>(w))
            return ui::systemColor(frame->fill(), QGuiApplication::palette());
        if (auto *client = dynamic_cast<const ui::Filled<QWidget> *>(w))
            return ui::systemColor(client->fill(), QGuiApplication::palette());
        if (w->autoFillBackground() || w->backgroundRole() != QPalette::Window)
            return w->palette().color(w->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                      w->backgroundRole());
    }
    return {};
}

// The first text in a window that reads below 4.5:1, as "name: contrast"; empty if none.
QString unreadable(const QWidget *window) {
    for (const QWidget *w : window->findChildren<const QWidget *>()) {
        const auto *label = qobject_cast<const QLabel *>(w);
        const auto *frame = qobject_cast<const QGroupBox *>(w);
        if (!((label && !label->text().isEmpty()) || (frame && !frame->title().isEmpty()) ||
              qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLineEdit *>(w) ||
              w->objectName() == QLatin1String("qt_scrollarea_viewport")))
            continue;
        QColor ink = w->palette().color(w->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                        w->foregroundRole());
        if (frame) {
            QStyleOptionGroupBox option;
            option.initFrom(frame);
            ink = QColor::fromRgba(
                frame->style()->styleHint(QStyle::SH_GroupBox_TextLabelColor, &option, frame));
        }
        const double ratio = ui::contrastRatio(ink, backgroundOf(w));
        if (ratio < 4.5)
            return QStringLiteral("%1: %2").arg(w->objectName()).arg(ratio);
    }
    return {};
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_form.reset(); }
    void rolesNamesAndValues_data();
    void rolesNamesAndValues();
    void summaryReadsLineByLine();
    void aboutIsANamedFramedDialog();
    void textIsReadableInEveryScheme_data();
    void textIsReadableInEveryScheme();
    void artworkKeepsItsSizeAtEveryScale_data();
    void artworkKeepsItsSizeAtEveryScale();

private:
    QWidget *find(const QString &name) const { return m_form->findChild<QWidget *>(name); }

    std::unique_ptr<ui::Form1> m_form;
};

void AccessibilityTest::init() {
    m_form = std::make_unique<ui::Form1>(worksheet::TickContext{}, noPrinter());
    m_form->controls().timer->stop();
    m_form->sheet().incomes[0]->setText("1200");
    m_form->sheet().expenses[0]->setText("200");
    m_form->Timer1_Timer();
}

void AccessibilityTest::rolesNamesAndValues_data() {
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    const struct {
        const char *control;
        QAccessible::Role role;
        const char *name, *value;
    } table[] = {
        {"Combo5", QAccessible::ComboBox, "Expense 5 category", "Please Select"},
        {"c1", QAccessible::EditableText, "Expense 1 amount", "200"},
        {"RichTextBox1", QAccessible::EditableText, "Summary", nullptr},
        {"Label12", QAccessible::Link, "Click here to visit https://veltrane.example/", nullptr},
        {"Picture2", QAccessible::Link, "Visit the Veltrane web site", nullptr},
        {"Picture1", QAccessible::Graphic, "Veltrane logo", nullptr},
        {"mon", QAccessible::RadioButton, "Monthly", nullptr},
        // The results: read as figures, never greyed out, focused or edited.
        {"tottake", QAccessible::EditableText, "Total Income", "1200"},
        {"free", QAccessible::EditableText, "Income - Expendature", "1000"},
        {"total1", QAccessible::StaticText, "Total Income 1200", nullptr},
        {"totex", QAccessible::StaticText, "Total Expendature 200", nullptr},
    };
    for (const auto &row : table)
        QTest::newRow(row.control) << int(row.role) << row.name << row.value;
}

void AccessibilityTest::rolesNamesAndValues() {
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QWidget *widget = find(QTest::currentDataTag());
    QAccessibleInterface *control = accessible(widget);
    QCOMPARE(int(control->role()), role);
    QCOMPARE(control->text(QAccessible::Name), name);
    if (!value.isNull())
        QCOMPARE(control->text(QAccessible::Value), value);
    if (role == QAccessible::Link)
        QVERIFY(control->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    if (widget->focusPolicy() == Qt::NoFocus)
        QVERIFY(widget->isEnabled() &&
                (role != QAccessible::EditableText || control->state().readOnly));
}

void AccessibilityTest::summaryReadsLineByLine() {
    ui::SummaryBox *box = m_form->sheet().summary;
    box->layout().setScreenLineWidth(1440); // an inch, so lines wrap
    QAccessibleTextInterface *text = accessible(box)->textInterface();
    const int count = text->characterCount();
    QVERIFY(accessible(box)->state().readOnly);
    QCOMPARE(text->text(0, count), box->text().replace(u'\r', u'\n'));

    // The lines read one after another make up the summary, wrapped as shown.
    QStringList lines;
    for (int offset = 0, start = 0, end = 0; offset < count; offset = end) {
        lines << text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(start, offset);
    }
    QCOMPARE(lines.join(QString()), text->text(0, count));
    const QList<qint32> starts = box->layout().lineStarts();
    QCOMPARE(lines.size(),
             std::count_if(starts.begin(), starts.end(), [&](int s) { return s < count; }));

    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(text->cursorPosition(), lines[0].size());
    QTest::keyClick(box, Qt::Key_End);
    QCOMPARE(text->cursorPosition(), lines[0].size() + lines[1].size() - 1);
}

void AccessibilityTest::aboutIsANamedFramedDialog() {
    ui::frmSplash about;
    QCOMPARE(accessible(&about)->role(), QAccessible::Dialog);
    QCOMPARE(accessible(&about)->text(QAccessible::Name), "About Tallaby");
    QCOMPARE(about.focusWidget()->objectName(), "Command1");
    // A raised edge: light at the top left, dark at the bottom right.
    const QImage shot = about.grab().toImage();
    QCOMPARE(shot.pixel(0, 0), about.palette().color(QPalette::Light).rgb());
    QCOMPARE(shot.pixel(shot.width() - 1, shot.height() - 1),
             about.palette().color(QPalette::Shadow).rgb());
}

void AccessibilityTest::textIsReadableInEveryScheme_data() {
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("light") << QApplication::style()->standardPalette();
    // Dark, with the pale tooltips some desktops keep.
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2d, 0x2d, 0x2d));
    QPalette contrast(Qt::black, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, QColor(0xee, 0xee, 0xee));
        contrast.setColor(role, Qt::white);
    }
    dark.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    dark.setColor(QPalette::ToolTipText, Qt::black);
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    contrast.setColor(QPalette::ToolTipBase, Qt::black);
    contrast.setColor(QPalette::ToolTipText, Qt::yellow);
    contrast.setColor(QPalette::Highlight, Qt::cyan);
    QTest::newRow("dark") << dark;
    QTest::newRow("high contrast") << contrast;
}

void AccessibilityTest::textIsReadableInEveryScheme() {
    QFETCH(QPalette, palette);
    // The yardstick itself, against known values.
    QCOMPARE(ui::contrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(qRound(ui::contrastRatio(Qt::red, Qt::white) * 100), 400);
    ui::frmSplash about; // open before the change: both windows must follow it
    const QPalette original = QGuiApplication::palette();
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    const QString mainWorst = unreadable(m_form.get()), aboutWorst = unreadable(&about);
    const QColor aboutFace = backgroundOf(about.findChild<QWidget *>("lblVersion"));
    const QColor frame2 = backgroundOf(find("Frame2"));
    QApplication::setPalette(original);
    QVERIFY2(mainWorst.isEmpty(), qPrintable(mainWorst));
    QVERIFY2(aboutWorst.isEmpty(), qPrintable(aboutWorst));
    QCOMPARE(aboutFace, palette.color(QPalette::Button));
    // Frame2 stands out from the face wherever the scheme gives it a shade of its own.
    QCOMPARE(frame2 != palette.color(QPalette::Button),
             palette.color(QPalette::Mid) != palette.color(QPalette::Button));
}

void AccessibilityTest::artworkKeepsItsSizeAtEveryScale_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    for (qreal scale : {1.0, 1.5, 2.0}) {
        const auto row = [&](const char *file, QSize size) {
            QTest::addRow("%s at %g", file, scale) << QString::fromLatin1(file) << size;
        };
        row("logo.gif", {207, 52});
        row("banner.jpg", {878, 43});
        row("about-emblem.png", {121, 159}); // a 32-pixel emblem stretched to its box
    }
}

void AccessibilityTest::artworkKeepsItsSizeAtEveryScale() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const qreal scale = QString::fromLatin1(QTest::currentDataTag()).section(u' ', -1).toDouble();
    const QPixmap picture = ui::artwork(file, scale);
    QCOMPARE(picture.devicePixelRatio(), scale);              // drawn for the screen's pixels...
    QCOMPARE(picture.deviceIndependentSize().toSize(), size); // ...at the layout's size
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
