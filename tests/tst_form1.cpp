#include "app/commands.h"
#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/form1.h"
#include "ui/summarybox.h"
#include "worksheet/maker.h"

#include <memory>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
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
    void geometry_data();
    void geometry();
    void tabCycle();
    void typingUpdatesTheTotalsWithoutDisturbingTheField();
    void clearValuesKeepsCategoriesBasisAndNotes();
    void aFieldThatIsNotANumberIsMarked();
    void labelAndBannerOpenTheSameAddress();
    void summaryKeepsItsPlaceAndIsNotLaidOutForNothing();
    void coloursFollowThePalette();

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
    new app::Form1Commands(*m_form, [this](const QUrl &url) { m_opened << url; }); // form owns it
}

void Form1Test::geometry_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("twips");
    // clang-format off
    const struct { const char *name, *container; int l, t, w, h; } table[] = {
        {"Frame1", "Form1Client", 0, 0, 13455, 8895}, {"Frame5", "Frame4", 3600, 4560, 3495, 1335},
        {"Picture2", "Frame1", 120, 7680, 13215, 735}, {"wee", "Frame2", 720, 720, 255, 255},
        {"Label3", "Frame2", 1320, 360, 1095, 375},   {"inc3", "Frame2", 3960, 600, 1215, 285},
        {"Label6", "Frame2", 3960, 1080, 255, 255},   {"week", "Frame2", 3960, 1080, 975, 255},
        {"Command2", "Frame3", 1560, 240, 1455, 255}, {"RichTextBox1", "Frame4", 7200, 240, 5895, 5415},
        {"free", "Frame5", 1920, 960, 1455, 285},     {"RichTextBox2", "Frame6", 120, 240, 4335, 1095},
        {"Combo16", "Frame4", 120, 5640, 1815, 315},  {"c16", "Frame4", 2040, 5640, 1215, 285},
        {"Combo17", "Frame4", 3720, 240, 1815, 315},  {"c28", "Frame4", 5760, 4200, 1215, 285},
    };
    // clang-format on
    for (const auto &r : table)
        QTest::newRow(r.name) << r.container << QRect(r.l, r.t, r.w, r.h);
}

void Form1Test::geometry() {
    QFETCH(QString, container);
    QFETCH(QRect, twips);
    QWidget *widget = find(QTest::currentDataTag());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
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
}

void Form1Test::clearValuesKeepsCategoriesBasisAndNotes() {
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

void Form1Test::aFieldThatIsNotANumberIsMarked() {
    auto *c5 = qobject_cast<ui::AmountEdit *>(find("c5"));
    const QColor normal = c5->palette().color(QPalette::Base);
    c5->setText("12x");
    m_form->Timer1_Timer();
    QVERIFY(c5->palette().color(QPalette::Base) != normal);
    QVERIFY(c5->accessibleDescription().contains("Not a number"));
    c5->setText("12");
    m_form->Timer1_Timer();
    QCOMPARE(c5->palette().color(QPalette::Base), normal);
    QVERIFY(c5->toolTip().isEmpty());
}

void Form1Test::labelAndBannerOpenTheSameAddress() {
    showActive();
    for (const char *name : {"Label12", "Picture2", "Picture1"}) // the logo is no link
        QTest::mouseClick(find(name), Qt::LeftButton);
    const QUrl maker(QString::fromLatin1(kMakerAddress));
    QCOMPARE(m_opened, (QList<QUrl>{maker, maker}));
}

void Form1Test::summaryKeepsItsPlaceAndIsNotLaidOutForNothing() {
    showActive();
    ui::SummaryBox *summary = m_form->sheet().summary;
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("note %1").arg(i);
    m_form->sheet().notes->setPlainText(lines.join('\n'));
    m_form->Timer1_Timer();
    QScrollBar *bar = summary->verticalScrollBar();
    bar->setValue(500);
    const int relayouts = summary->relayoutCount();
    m_form->Timer1_Timer();
    QCOMPARE(summary->relayoutCount(), relayouts);
    edit("c1")->setText("75");
    m_form->Timer1_Timer();
    QCOMPARE(summary->relayoutCount(), relayouts + 1);
    QCOMPARE(bar->value(), 500);
}

void Form1Test::coloursFollowThePalette() {
    const QPalette original = QGuiApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Midlight, QColor(40, 40, 48));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 20));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    // (892, 300) is bare Frame1; the style may blend its panel by a shade.
    const QColor frame1 = find("Frame1")->grab().toImage().pixelColor(892, 300);
    const QColor total1 = find("total1")->palette().color(QPalette::Window);
    QApplication::setPalette(original);
    QVERIFY(qAbs(frame1.red() - 40) <= 3 && qAbs(frame1.blue() - 48) <= 3);
    QCOMPARE(total1, QColor(60, 60, 20));
    // Controls keep the application's palette and so share its drawing cache.
    QCOMPARE(find("Combo7")->palette().cacheKey(), find("c7")->palette().cacheKey());
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
