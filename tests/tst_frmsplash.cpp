#include "app/commands.h"
#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/form1.h"
#include "ui/frmsplash.h"
#include "worksheet/maker.h"

#include <memory>
#include <QAction>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tallaby;

class FrmSplashTest : public QObject {
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void windowHasNoTitleBarAndKeepsTheRunAlive();
    void keys_data();
    void keys();
    void clicks_data();
    void clicks();
    void aboutCommandShowsOneWindow();
    void aboutIsReopenedFreshAfterClosing();
    void mainWindowGoesOnWhileAboutIsOpen();
    void exitWithAboutOpenEndsTheRun();
    void closingTheMainWindowWaitsForAbout();
    void menuMnemonics();

private:
    static bool gone(const QPointer<ui::frmSplash> &about) {
        return about.isNull() || !about->isVisible();
    }
};

void FrmSplashTest::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("sizeFollowsText");

    QTest::newRow("Frame1") << "Frame1" << QRect(150, 60, 7080, 4050) << false;
    QTest::newRow("lblCompanyProduct")
        << "lblCompanyProduct" << QRect(2400, 600, 4095, 330) << true;
    QTest::newRow("imgLogo") << "imgLogo" << QRect(360, 795, 1815, 2385) << false;
    QTest::newRow("lblProductName") << "lblProductName" << QRect(1920, 1200, 4965, 615) << true;
    QTest::newRow("lblVersion") << "lblVersion" << QRect(4410, 2700, 1275, 285) << true;
    QTest::newRow("lblCopyright") << "lblCopyright" << QRect(4560, 3060, 2415, 255) << false;
    QTest::newRow("lblCompany") << "lblCompany" << QRect(4560, 3270, 2415, 255) << false;
    QTest::newRow("Command1") << "Command1" << QRect(480, 3480, 1335, 375) << false;
    QTest::newRow("lblWarning") << "lblWarning" << QRect(2280, 3660, 2535, 195) << false;
}

void FrmSplashTest::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(bool, sizeFollowsText);

    ui::frmSplash about;
    auto *widget = about.findChild<QWidget *>(name);
    QVERIFY(widget);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(widget->pos(), pixels.topLeft());
    if (sizeFollowsText) {
        // The box fits the caption, which fits the frame.
        QCOMPARE(widget->size(), widget->sizeHint());
        QVERIFY(widget->geometry().right() < about.findChild<QWidget *>("Frame1")->width());
    } else {
        QCOMPARE(widget->size(), pixels.size());
    }
}

void FrmSplashTest::windowHasNoTitleBarAndKeepsTheRunAlive() {
    ui::frmSplash about;
    QCOMPARE(about.size(), QSize(492, 283));
    QVERIFY(about.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(about.windowType(), Qt::Tool); // no taskbar button
    QVERIFY(about.testAttribute(Qt::WA_QuitOnClose));
    QVERIFY(about.testAttribute(Qt::WA_DeleteOnClose));

    auto *name = about.findChild<QLabel *>("lblProductName");
    QCOMPARE(name->text(), "Tallaby");
    QCOMPARE(name->font().pointSizeF(), 26.25);
    QVERIFY(name->font().bold());
    QVERIFY(QFontInfo(name->font()).family().contains("Arial") ||
            QFontInfo(name->font()).family().contains("Liberation Sans"));
    QCOMPARE(name->palette().color(QPalette::WindowText),
             QGuiApplication::palette().color(QPalette::Highlight));
    QCOMPARE(about.findChild<QLabel *>("lblVersion")->text(), "Version 1.0");
    QCOMPARE(about.findChild<QLabel *>("lblCompany")->text(), "Company: Veltrane");
    QCOMPARE(about.findChild<QLabel *>("lblCompanyProduct")->text(),
             "Please visit: " + makerSiteName());
    QVERIFY(QString::fromLatin1(kMakerAddress).contains(makerSiteName()));

    // The logo lies over the product name's first letters, the copyright
    // notice over the company line.
    const QObjectList order = about.findChild<QWidget *>("Frame1")->children();
    const auto index = [&](const char *n) {
        return order.indexOf(about.findChild<QObject *>(n));
    };
    QVERIFY(index("imgLogo") > index("lblProductName"));
    QVERIFY(index("lblCopyright") > index("lblCompany"));
    QVERIFY(about.findChild<QWidget *>("imgLogo")->geometry().right() > name->x());
}

void FrmSplashTest::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");

    const int none = Qt::NoModifier;
    QTest::newRow("a letter") << int(Qt::Key_Q) << none << true;
    QTest::newRow("a capital letter") << int(Qt::Key_Q) << int(Qt::ShiftModifier) << true;
    QTest::newRow("a digit") << int(Qt::Key_7) << none << true;
    QTest::newRow("punctuation") << int(Qt::Key_Comma) << none << true;
    QTest::newRow("Space on the focused button") << int(Qt::Key_Space) << none << true;
    QTest::newRow("Enter on the focused button") << int(Qt::Key_Return) << none << true;
    QTest::newRow("the keypad's Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << true;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << true;
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << true;
    QTest::newRow("an arrow key") << int(Qt::Key_Left) << none << false;
    QTest::newRow("another arrow key") << int(Qt::Key_Down) << none << false;
    QTest::newRow("a function key") << int(Qt::Key_F1) << none << false;
    QTest::newRow("Shift alone") << int(Qt::Key_Shift) << none << false;
    QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << none << false;
    QTest::newRow("Alt alone") << int(Qt::Key_Alt) << none << false;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << false;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << none << false;
    QTest::newRow("Home") << int(Qt::Key_Home) << none << false;
}

void FrmSplashTest::keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);

    QPointer<ui::frmSplash> about = new ui::frmSplash;
    about->show();
    QVERIFY(QTest::qWaitForWindowActive(about));
    QCOMPARE(QApplication::focusWidget(), about->findChild<QWidget *>("Command1"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(gone(about), closes);
    if (closes)
        QTRY_VERIFY(about.isNull()); // discarded, not just hidden
    delete about.data();
}

void FrmSplashTest::clicks_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QPoint>("where"); // in Frame1, or in the window for the margin
    QTest::addColumn<bool>("closes");

    QTest::newRow("the Close button") << "Command1" << QPoint() << true;
    QTest::newRow("an empty part of the frame") << "Frame1" << QPoint(420, 30) << true;
    QTest::newRow("the empty frame below the logo") << "Frame1" << QPoint(100, 220) << true;
    QTest::newRow("the product name") << "lblProductName" << QPoint() << false;
    QTest::newRow("the version") << "lblVersion" << QPoint() << false;
    QTest::newRow("the copyright notice") << "lblCopyright" << QPoint() << false;
    QTest::newRow("the company") << "lblCompany" << QPoint() << false;
    QTest::newRow("the web address") << "lblCompanyProduct" << QPoint() << false;
    QTest::newRow("the logo") << "imgLogo" << QPoint() << false;
    QTest::newRow("the narrow margin") << "frmSplash" << QPoint(3, 100) << false;
}

void FrmSplashTest::clicks() {
    QFETCH(QString, target);
    QFETCH(QPoint, where);
    QFETCH(bool, closes);

    QPointer<ui::frmSplash> about = new ui::frmSplash;
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QWidget *widget = target == "frmSplash" ? about.data() : about->findChild<QWidget *>(target);
    QVERIFY(widget);
    if (where.isNull())
        where = widget->rect().center();
    else
        QVERIFY(!widget->childAt(where) || widget == about.data());
    QTest::mouseClick(widget, Qt::LeftButton, {}, where);
    QCOMPARE(gone(about), closes);
    delete about.data();
}

void FrmSplashTest::aboutCommandShowsOneWindow() {
    ui::Form1 form({}, noPrinter());
    auto *commands = new app::Form1Commands(form, {});
    form.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QVERIFY(!commands->aboutWindow());
    form.controls().about->trigger();
    QPointer<ui::frmSplash> first = commands->aboutWindow();
    QVERIFY(first);
    QVERIFY(!first->parentWidget()); // no owner
    form.controls().about->trigger();
    form.controls().about->trigger();
    QCOMPARE(commands->aboutWindow(), first.data());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(
                 windows.begin(), windows.end(),
                 [](QWidget *w) { return qobject_cast<ui::frmSplash *>(w) && w->isVisible(); }),
             1);
}

void FrmSplashTest::aboutIsReopenedFreshAfterClosing() {
    ui::Form1 form({}, noPrinter());
    auto *commands = new app::Form1Commands(form, {});
    form.controls().about->trigger();
    QPointer<ui::frmSplash> first = commands->aboutWindow();
    first->findChild<QLabel *>("lblVersion")->setText("changed");
    first->move(0, 0);
    QTest::mouseClick(first->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QVERIFY(!commands->aboutWindow());

    form.controls().about->trigger();
    ui::frmSplash *second = commands->aboutWindow();
    QVERIFY(second);
    QCOMPARE(second->findChild<QLabel *>("lblVersion")->text(), "Version 1.0");
    QVERIFY(second->pos() != QPoint(0, 0));
    QTRY_VERIFY(first.isNull());
}

void FrmSplashTest::mainWindowGoesOnWhileAboutIsOpen() {
    ui::Form1 form({}, noPrinter());
    new app::Form1Commands(form, {});
    form.controls().about->trigger();
    QVERIFY(form.controls().timer->isActive());
    form.sheet().expenses[0]->setText("42");
    QTRY_COMPARE_WITH_TIMEOUT(form.sheet().totex->text(), QString("42"), 2000);
}

void FrmSplashTest::exitWithAboutOpenEndsTheRun() {
    ui::Form1 form({}, noPrinter());
    auto *commands = new app::Form1Commands(form, {});
    form.showCentred();
    form.controls().about->trigger();
    QPointer<ui::frmSplash> about = commands->aboutWindow();

    QTimer::singleShot(0, &form, [&form] { form.controls().exit->trigger(); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); }); // a hung run fails, not hangs
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!form.isVisible());
    QVERIFY(gone(about));
}

void FrmSplashTest::closingTheMainWindowWaitsForAbout() {
    ui::Form1 form({}, noPrinter());
    auto *commands = new app::Form1Commands(form, {});
    form.showCentred();
    form.controls().about->trigger();
    QPointer<ui::frmSplash> about = commands->aboutWindow();

    QStringList steps;
    QTimer::singleShot(0, &form, [&] {
        form.close();
        steps << "main closed";
    });
    QTimer::singleShot(300, [&] {
        steps << "still running";
        if (about)
            QTest::keyClick(about.data(), Qt::Key_Escape);
    });
    QTimer::singleShot(5000, [&] {
        steps << "timed out";
        QCoreApplication::exit(1);
    });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(steps, (QStringList{"main closed", "still running"}));
}

void FrmSplashTest::menuMnemonics() {
    ui::Form1 form({}, noPrinter());
    form.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto *file = form.findChild<QMenu *>("mnfile");
    auto *aboutMenu = form.findChild<QMenu *>("mnuabo");
    QCOMPARE(file->title(), "&File");
    QCOMPARE(aboutMenu->title(), "&About");
    QCOMPARE(form.controls().print->text(), "&Print");
    QCOMPARE(form.controls().exit->text(), "&Exit");
    QCOMPARE(form.controls().about->text(), "About");
    for (QAction *action : {form.controls().print, form.controls().exit, form.controls().about})
        QVERIFY(action->shortcut().isEmpty());

    QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_Escape);
}

QTEST_MAIN(FrmSplashTest)
#include "tst_frmsplash.moc"
