#include "app/commands.h"
#include "testsupport.h"
#include "ui/form1.h"
#include "ui/frmsplash.h"
#include "worksheet/maker.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tallaby;

class FrmSplashTest : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void keysAndClicks_data();
    void keysAndClicks();
    void aboutCommandKeepsOneWindowAndStartsAfresh();
    void howARunEnds_data();
    void howARunEnds();
};

void FrmSplashTest::layout() {
    ui::frmSplash about;
    QCOMPARE(about.size(), QSize(492 + 6, 283 + 6)); // the client area in its dialog frame
    QVERIFY(about.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(about.windowType(), Qt::Tool); // no taskbar button
    auto *frame = about.findChild<QWidget *>("Frame1");
    QVERIFY(about.rect().contains(frame->geometry()));
    // Whatever size its text gives a control, it stays whole inside the frame.
    for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(frame->rect().contains(control->geometry()), qPrintable(control->objectName()));
    QCOMPARE(about.findChild<QLabel *>("lblCompanyProduct")->text(),
             "Please visit: " + makerSiteName());
    // The emblem's clear right margin lies over the product name's first letters.
    const auto at = [&](const char *name) {
        return about.findChild<QWidget *>(name)->geometry();
    };
    QVERIFY(at("imgLogo").intersects(at("lblProductName")));
    const QObjectList order = frame->children();
    const auto index = [&](const char *n) {
        return order.indexOf(about.findChild<QObject *>(n));
    };
    QVERIFY(index("imgLogo") > index("lblProductName"));
    QVERIFY(index("lblCopyright") > index("lblCompany"));
}

void FrmSplashTest::keysAndClicks_data() {
    QTest::addColumn<int>("key"); // 0: a click on `target` instead
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text"); // what the keyboard sends with the key
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("closes");

    const auto key = [](const char *name, Qt::Key k, const QString &text, bool closes,
                        int modifiers = Qt::NoModifier) {
        QTest::newRow(name) << int(k) << modifiers << text << "" << closes;
    };
    key("a letter", Qt::Key_Q, "q", true);
    // Some keyboards send these without a text: their key alone counts.
    key("Space on the button", Qt::Key_Space, "", true);
    key("Enter on the button", Qt::Key_Return, "", true);
    key("Escape", Qt::Key_Escape, "", true);
    key("Backspace", Qt::Key_Backspace, "", true);
    key("Ctrl+C", Qt::Key_C, "", true, Qt::ControlModifier);
    key("an arrow", Qt::Key_Left, "", false);
    key("a function key", Qt::Key_F1, "", false);
    key("Tab", Qt::Key_Tab, "\t", false);
    key("Delete", Qt::Key_Delete, "\x7f", false);
    key("Alt+letter", Qt::Key_F, "f", false, Qt::AltModifier);
    const int none = Qt::NoModifier;
    QTest::newRow("a click on Close") << 0 << none << ""
                                      << "Command1" << true;
    QTest::newRow("a click on the empty frame") << 0 << none << ""
                                                << "Frame1" << true;
    QTest::newRow("a click on the product name") << 0 << none << ""
                                                 << "lblProductName" << false;
    QTest::newRow("a click on the margin") << 0 << none << ""
                                           << "frmSplash" << false;
}

void FrmSplashTest::keysAndClicks() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(QString, target);

    QPointer<ui::frmSplash> about = new ui::frmSplash;
    about->show();
    QVERIFY(QTest::qWaitForWindowActive(about));
    if (key) {
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
    } else {
        QWidget *widget =
            target == "frmSplash" ? about.data() : about->findChild<QWidget *>(target);
        // The frame's top right and the window's left margin hold nothing.
        const QPoint where = target == "Frame1" ? QPoint(420, 30)
                             : widget == about  ? QPoint(3, 100)
                                                : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, {}, where);
    }
    QFETCH(bool, closes);
    QCOMPARE(about.isNull() || !about->isVisible(), closes);
    if (closes)
        QTRY_VERIFY(about.isNull()); // discarded, not just hidden
    delete about.data();
}

void FrmSplashTest::aboutCommandKeepsOneWindowAndStartsAfresh() {
    ui::Form1 form({}, noPrinter());
    auto *commands = new app::Form1Commands(form, {});
    form.controls().about->trigger();
    QPointer<ui::frmSplash> first = commands->aboutWindow();
    QVERIFY(first && !first->parentWidget()); // no owner
    form.controls().about->trigger();
    QCOMPARE(commands->aboutWindow(), first.data());

    first->findChild<QLabel *>("lblVersion")->setText("changed");
    QTest::mouseClick(first->findChild<QPushButton *>("Command1"), Qt::LeftButton);
    form.controls().about->trigger();
    QCOMPARE(commands->aboutWindow()->findChild<QLabel *>("lblVersion")->text(), "Version 1.0");
    QTRY_VERIFY(first.isNull());
    QVERIFY(form.controls().timer->isActive());
}

void FrmSplashTest::howARunEnds_data() {
    QTest::addColumn<bool>("exit"); // else the main window is closed
    QTest::newRow("Exit with About open ends the run") << true;
    // Qt lets Tool windows close a run under them; this one must keep it going.
    QTest::newRow("closing the main window waits for About") << false;
}

void FrmSplashTest::howARunEnds() {
    QFETCH(bool, exit);
    ui::Form1 form({}, noPrinter());
    auto *commands = new app::Form1Commands(form, {});
    form.showCentred();
    form.controls().about->trigger();
    QPointer<ui::frmSplash> about = commands->aboutWindow();
    bool ranOn = false;
    // The form is every timer's context, so none outlives this test.
    QTimer::singleShot(0, &form,
                       [&] { exit ? form.controls().exit->trigger() : void(form.close()); });
    QTimer::singleShot(300, &form, [&] {
        ranOn = true;
        QTest::keyClick(about.data(), Qt::Key_Escape);
    });
    QTimer::singleShot(5000, &form, [] { QCoreApplication::exit(1); }); // fail, don't hang
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(ranOn, !exit);
    QVERIFY(!form.isVisible() && (about.isNull() || !about->isVisible()));
}

QTEST_MAIN(FrmSplashTest)
#include "tst_frmsplash.moc"
