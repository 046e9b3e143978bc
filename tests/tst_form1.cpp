#include "app/commands.h"
#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/form1.h"
#include "ui/form1layout.h"
#include "ui/summarybox.h"
#include "worksheet/maker.h"

#include <algorithm>
#include <memory>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tallaby;

namespace {

// The tab stop a widget belongs to: a combo box's line edit counts as the box.
QString stopName(QWidget *widget) {
    if (auto *combo = qobject_cast<QComboBox *>(widget->parentWidget()))
        return combo->objectName();
    return widget->objectName();
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_form.reset(); }
    void layoutHoldsTogether();
    void tabCycle();
    void typingUpdatesTheTotalsWithoutDisturbingTheField();
    void clearValuesKeepsCategoriesBasisAndNotes();
    void theTimerRecalculatesByItself();
    void keyboardReachesTheCommands();
    void labelAndBannerOpenTheSameAddress();
    void summaryKeepsItsPlace();

private:
    QWidget *find(const QString &name) const { return m_form->findChild<QWidget *>(name); }
    QLineEdit *edit(const QString &name) const { return qobject_cast<QLineEdit *>(find(name)); }
    void showActive() {
        m_form->showCentred();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    std::unique_ptr<ui::Form1> m_form;
    QList<QUrl> m_opened;
};

void Form1Test::init() {
    m_opened.clear();
    m_form = std::make_unique<ui::Form1>(worksheet::TickContext{worksheet::NumberFormat(
                                             QLocale(QLocale::English, QLocale::UnitedKingdom))},
                                         noPrinter());
    m_form->controls().timer->stop(); // tests tick by hand
    new app::Form1Commands(           // the form owns it
        *m_form, [this](const QUrl &url) { m_opened << url; },
        [](const QString &, const QString &) {}); // no message boxes
}

// The layout table as a whole: a typo in any row breaks one of these rules.
void Form1Test::layoutHoldsTogether() {
    const auto &layout = ui::form1Layout();
    const auto twips = [](const ui::TwipRect &r) {
        return QRect(r.left, r.top, r.width, r.height);
    };
    QHash<QString, QRect> inside{{"Form1", {0, 0, ui::kForm1ClientWidth, ui::kForm1ClientHeight}}};
    QSet<int> tabIndices;
    for (const ui::LayoutEntry &entry : layout) {
        const QRect r = twips(entry.rect);
        // Whole pixels, inside the container; Frame1 runs a pixel past the client area.
        for (int length : {r.x(), r.y(), r.width(), r.height()})
            QVERIFY2(length % ui::kTwipsPerPixel == 0, qPrintable(entry.name));
        const int slack = entry.name == "Frame1" ? ui::kTwipsPerPixel : 0;
        QVERIFY2(!r.isEmpty() && inside[entry.container].adjusted(0, 0, 0, slack).contains(r),
                 qPrintable(entry.name));
        QVERIFY2(entry.tabIndex == ui::kNoTabIndex || !tabIndices.contains(entry.tabIndex),
                 qPrintable(entry.name));
        tabIndices << entry.tabIndex;
        inside.insert(entry.name, QRect(QPoint(), r.size()));

        QWidget *widget = find(entry.name);
        QCOMPARE(widget->parentWidget(),
                 find(entry.container == "Form1" ? "Form1Client" : entry.container));
        QCOMPARE(widget->geometry(), entry.rect.toPixels());
    }
    // With the frames that carry none, the tab indices number every control.
    QVERIFY(*std::max_element(tabIndices.begin(), tabIndices.end()) < int(layout.size()));

    // Siblings meet at most along a shared pixel edge, but for the captions
    // stacked on purpose, the first of each pair in front.
    const QList<QStringList> stacked{{"Label6", "week"}, {"inc1", "Label3"}};
    for (const QStringList &pair : stacked) {
        const QObjectList order = find(pair[0])->parent()->children();
        QVERIFY(order.indexOf(find(pair[0])) > order.indexOf(find(pair[1])));
    }
    for (const ui::LayoutEntry &a : layout) {
        for (const ui::LayoutEntry &b : layout) {
            if (&a >= &b || a.container != b.container || stacked.contains({a.name, b.name}) ||
                stacked.contains({b.name, a.name}))
                continue;
            const QRect overlap = twips(a.rect).intersected(twips(b.rect));
            QVERIFY2(overlap.isEmpty() ||
                         qMin(overlap.width(), overlap.height()) <= ui::kTwipsPerPixel,
                     qPrintable(a.name + " overlaps " + b.name));
        }
    }
    showActive();
    QCOMPARE(find("Form1Client")->size(), QSize(902, 592));
    const QPoint offCentre =
        m_form->geometry().center() - m_form->screen()->availableGeometry().center();
    QVERIFY(offCentre.manhattanLength() <= 4); // frame and rounding
    QCOMPARE(m_form->windowTitle(), "Tallaby");
}

void Form1Test::tabCycle() {
    QStringList expected = {"Picture1", "wee", "inc1", "inc2", "inc3", "Command1"};
    for (int row = 1; row <= 15; ++row)
        expected << QStringLiteral("Combo%1").arg(row);
    for (int row = 1; row <= 28; ++row)
        expected << QStringLiteral("c%1").arg(row);
    for (int row = 16; row <= 28; ++row)
        expected << QStringLiteral("Combo%1").arg(row);
    expected << "RichTextBox1"
             << "RichTextBox2"
             << "Command2"
             << "Picture2"
             << "Picture1";

    showActive();
    QStringList forwards{stopName(QApplication::focusWidget())};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forwards << stopName(QApplication::focusWidget());
    }
    QCOMPARE(forwards, expected);
    QStringList backwards{stopName(QApplication::focusWidget())};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backwards.prepend(stopName(QApplication::focusWidget()));
    }
    QCOMPARE(backwards, expected);
}

void Form1Test::typingUpdatesTheTotalsWithoutDisturbingTheField() {
    showActive();
    edit("inc1")->setText("1000");
    QLineEdit *c3 = edit("c3");
    c3->setFocus();
    c3->selectAll();
    QTest::keyClicks(c3, "250");
    c3->setCursorPosition(1);
    m_form->Timer1_Timer();
    QCOMPARE(m_form->sheet().totex->text(), "250");
    QCOMPARE(edit("free")->text(), "750");
    QCOMPARE(c3->cursorPosition(), 1);
    QVERIFY(c3->isUndoAvailable());
    QCOMPARE(find("total1")->accessibleName(), "Total Income 1000");

    QCOMPARE(m_form->sheet().week->text(), "week");
    QTest::mouseClick(m_form->sheet().mon, Qt::LeftButton);
    m_form->Timer1_Timer();
    QCOMPARE(m_form->sheet().week->text(), "month");
}

void Form1Test::clearValuesKeepsCategoriesBasisAndNotes() {
    // Every box offers the 31 categories in alphabetical order, none chosen.
    for (QComboBox *box : m_form->sheet().categories) {
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        QCOMPARE(items.size(), 31);
        QVERIFY(std::is_sorted(items.begin(), items.end(), [](const QString &a, const QString &b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        QCOMPARE(box->currentIndex(), -1);
    }
    m_form->sheet().categories[3]->setEditText("Pocket money");
    m_form->sheet().mon->setChecked(true);
    m_form->sheet().notes->setPlainText("line one\nline two");
    edit("c7")->setText("12x");

    QTest::mouseClick(m_form->controls().clearValues, Qt::LeftButton);
    for (int i = 0; i < worksheet::kAmountFieldCount; ++i)
        QCOMPARE(m_form->fields().text(worksheet::amountField(i)), "0");
    QCOMPARE(m_form->sheet().categories[3]->currentText(), "Pocket money");
    QCOMPARE(m_form->sheet().categories[0]->currentText(), "Please Select");
    QVERIFY(m_form->sheet().mon->isChecked());
    m_form->Timer1_Timer();
    QVERIFY(m_form->sheet().summary->text().endsWith("NOTES:\r\rline one\rline two"));
}

// No hand-made ticks here: the window's own timer must do it, and soon.
void Form1Test::theTimerRecalculatesByItself() {
    ui::Form1 form({}, noPrinter());
    form.sheet().expenses.back()->setText("7");
    QTRY_COMPARE_WITH_TIMEOUT(form.sheet().totex->text(), QString("7"), 2000);
}

void Form1Test::keyboardReachesTheCommands() {
    showActive();
    QSignalSpy printed(m_form->controls().print, &QAction::triggered);
    QTest::keyClick(m_form.get(), Qt::Key_F, Qt::AltModifier);
    QVERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_P);
    QCOMPARE(printed.size(), 1);

    // The keypad's decimal key types the amount's own separator.
    QLineEdit *c2 = edit("c2");
    c2->setLocale(QLocale(QLocale::German, QLocale::Germany));
    c2->clear();
    QTest::keyClicks(c2, "12");
    QTest::keyClick(c2, Qt::Key_Period, Qt::KeypadModifier);
    QCOMPARE(c2->text(), "12,");
}

void Form1Test::labelAndBannerOpenTheSameAddress() {
    showActive();
    for (const char *name : {"Label12", "Picture2", "Picture1"}) // the logo is no link
        QTest::mouseClick(find(name), Qt::LeftButton);
    const QUrl maker(QString::fromLatin1(kMakerAddress));
    QCOMPARE(m_opened, (QList<QUrl>{maker, maker}));
}

void Form1Test::summaryKeepsItsPlace() {
    showActive();
    ui::SummaryBox *summary = m_form->sheet().summary;
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("note %1").arg(i);
    m_form->sheet().notes->setPlainText(lines.join('\n'));
    m_form->Timer1_Timer();
    QScrollBar *bar = summary->verticalScrollBar();
    bar->setValue(500);
    edit("c1")->setText("75");
    m_form->Timer1_Timer();
    QCOMPARE(bar->value(), 500);
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
