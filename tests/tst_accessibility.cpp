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
#include <QStyle>
#include <QTest>

using namespace tallaby;

namespace {

// What a widget's text is drawn on: its own fill, or the nearest one behind it.
QColor backgroundOf(const QWidget *w) {
    for (; w; w = w->parentWidget()) {
        if (auto *frame = dynamic_cast<const ui::Filled<QGroupBox> *>(w))
            return ui::systemColor(frame->fill(), QGuiApplication::palette());
        if (auto *client = dynamic_cast<const ui::Filled<QWidget> *>(w))
            return ui::systemColor(client->fill(), QGuiApplication::palette());
        if (w->autoFillBackground() || w->backgroundRole() != QPalette::Window)
            return w->palette().color(w->backgroundRole());
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
        const double ratio =
            ui::contrastRatio(w->palette().color(w->foregroundRole()), backgroundOf(w));
        if (ratio < 4.5)
            return QStringLiteral("%1: %2 ").arg(w->objectName()).arg(ratio);
    }
    return {};
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::Form1> m_form;

private slots:
    void init() {
        m_form = std::make_unique<ui::Form1>(worksheet::TickContext{}, noPrinter());
        m_form->sheet().incomes[0]->setText("1200");
        m_form->Timer1_Timer();
    }
    void cleanup() { m_form.reset(); }

    // What the bus test cannot see: values, actions, and results that are never greyed out.
    void rolesNamesAndValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("value"); // null: not compared
        QTest::newRow("Combo5") << "Expense 5 category" << QAccessible::ComboBox << "Please Select";
        QTest::newRow("Picture2") << "Visit the Veltrane web site" << QAccessible::Link
                                  << QString();
        QTest::newRow("Picture1") << "Veltrane logo" << QAccessible::Graphic << QString();
        QTest::newRow("mon") << "Monthly" << QAccessible::RadioButton << QString();
        QTest::newRow("tottake") << "Total Income" << QAccessible::EditableText << "1200";
        QTest::newRow("total1") << "Total Income 1200" << QAccessible::StaticText << QString();
    }
    void rolesNamesAndValues() {
        QFETCH(QString, name);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, value);
        auto *widget = m_form->findChild<QWidget *>(QTest::currentDataTag());
        QAccessibleInterface *control = QAccessible::queryAccessibleInterface(widget);
        QCOMPARE(control->role(), role);
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

    void summaryReadsLineByLine() {
        ui::SummaryBox *box = m_form->sheet().summary;
        box->layout().setScreenLineWidth(1440); // an inch, so lines wrap
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(box)->textInterface();
        QStringList lines;
        for (int offset = 0, start = 0, end = 0; offset < text->characterCount(); offset = end)
            lines << text->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
        QCOMPARE(lines.join(QString()), box->text().replace(u'\r', u'\n'));
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(text->cursorPosition(), lines[0].size());
        QTest::keyClick(box, Qt::Key_End);
        QCOMPARE(text->cursorPosition(), lines[0].size() + lines[1].size() - 1);
    }

    void textIsReadableInEveryScheme_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QApplication::style()->standardPalette();
        QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2d, 0x2d, 0x2d));
        dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
        QTest::newRow("dark") << dark;
        QPalette contrast(Qt::black, Qt::black);
        contrast.setColor(QPalette::Highlight, Qt::cyan);
        contrast.setColor(QPalette::ToolTipBase, Qt::black);
        contrast.setColor(QPalette::ToolTipText, Qt::yellow);
        QTest::newRow("high contrast") << contrast;
    }
    void textIsReadableInEveryScheme() {
        QFETCH(QPalette, palette);
        QCOMPARE(ui::contrastRatio(Qt::black, Qt::white), 21.0);
        QCOMPARE(qRound(ui::contrastRatio(Qt::red, Qt::white) * 100), 400);
        ui::frmSplash about; // open before the change: both windows must follow it
        const QPalette original = QGuiApplication::palette();
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        const QString worst = unreadable(m_form.get()) + unreadable(&about);
        const QColor aboutFace = backgroundOf(about.findChild<QWidget *>("lblVersion"));
        const QColor frame2 = backgroundOf(m_form->findChild<QWidget *>("Frame2"));
        const QColor total1 = backgroundOf(m_form->findChild<QWidget *>("total1"));
        const QImage aboutShot = about.grab().toImage();
        QApplication::setPalette(original);
        QVERIFY2(worst.isEmpty(), qPrintable(worst));
        QCOMPARE(aboutFace, palette.color(QPalette::Button));
        QCOMPARE(total1, palette.color(QPalette::ToolTipBase)); // the main window follows too
        QCOMPARE(aboutShot.pixel(0, 0), palette.color(QPalette::Light).rgb()); // a raised edge
        // Frame2 stands out from the face wherever the scheme gives it a shade of its own.
        QCOMPARE(frame2 != palette.color(QPalette::Button),
                 palette.color(QPalette::Mid) != palette.color(QPalette::Button));
    }

    void artworkKeepsItsSizeAtEveryScale_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("logo.gif") << QSize(207, 52);
        QTest::newRow("banner.jpg") << QSize(878, 43);
        QTest::newRow("about-emblem.png") << QSize(121, 159); // a 32-pixel emblem stretched
    }
    void artworkKeepsItsSizeAtEveryScale() {
        QFETCH(QSize, size);
        for (qreal scale : {1.0, 1.5, 2.0}) { // drawn for the screen, at the layout's size
            const QPixmap picture = ui::artwork(QTest::currentDataTag(), scale);
            QCOMPARE(picture.devicePixelRatio(), scale);
            QCOMPARE(picture.deviceIndependentSize().toSize(), size);
        }
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
