#include "app/commands.h"
#include "fakeprinter.h"
#include "pagetext.h"
#include "printing/summaryprinting.h"
#include "testsupport.h"
#include "ui/amountedit.h"
#include "ui/form1.h"
#include "ui/summarybox.h"
#include "worksheet/maker.h"

#include <memory>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace tallaby;
using worksheet::Field;

namespace {

worksheet::TickContext englishTicks() {
    return {worksheet::NumberFormat(QLocale(QLocale::English, QLocale::UnitedKingdom)), [] {
                return QDate(2026, 12, 6);
            }};
}

// The tab stop a widget belongs to: an editable combo box's line edit
// counts as the combo box.
QString stopName(QWidget *widget) {
    if (!widget)
        return QStringLiteral("<none>");
    if (auto *combo = qobject_cast<QComboBox *>(widget->parentWidget()))
        return combo->objectName();
    if (widget->objectName().isEmpty() && widget->parentWidget())
        return stopName(widget->parentWidget());
    return widget->objectName();
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void init();
    void cleanup() { m_form.reset(); }

    void geometry_data();
    void geometry();
    void clientAreaAndStacking();
    void startState();
    void tabCycle();
    void typingAnAmountUpdatesTheTotals();
    void aFieldBeingEditedIsNotDisturbed();
    void clearValuesKeepsCategoriesBasisAndNotes();
    void aFieldThatIsNotANumberIsMarked();
    void labelAndBannerOpenTheSameAddress();
    void keypadDecimalTypesTheLocaleSeparator_data();
    void keypadDecimalTypesTheLocaleSeparator();
    void summaryRewriteKeepsScrollAndDiscardsEdits();
    void printCommands_data();
    void printCommands();
    void printingWithoutAPrinterTellsTheUser();
    void accessibleNames();
    void coloursFollowThePalette();

private:
    void makeForm(printing::PrinterAccess printer) {
        m_form.reset();
        m_told.clear();
        m_form = std::make_unique<ui::Form1>(englishTicks(), std::move(printer));
        m_form->controls().timer->stop(); // tests tick by hand
        // The form owns its commands.
        new app::Form1Commands(
            *m_form, [this](const QUrl &url) { m_opened << url; },
            [this](const QString &, const QString &message) { m_told << message; });
    }
    QWidget *find(const QString &name) const {
        auto *widget = m_form->findChild<QWidget *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit *edit(const QString &name) const { return qobject_cast<QLineEdit *>(find(name)); }

    std::unique_ptr<ui::Form1> m_form;
    QList<QUrl> m_opened;
    QStringList m_told;
};

void Form1Test::init() {
    m_opened.clear();
    makeForm(noPrinter());
}

void Form1Test::geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("twips");

    // Left, Top, Width, Height in twips, in each control's container.
    const struct {
        const char *name, *container;
        int l, t, w, h;
    } table[] = {
        {"Frame1", "Form1Client", 0, 0, 13455, 8895},
        {"Frame2", "Frame1", 3360, 120, 5295, 1455},
        {"Frame3", "Frame1", 120, 960, 3135, 615},
        {"Frame4", "Frame1", 120, 1560, 13215, 6015},
        {"Frame5", "Frame4", 3600, 4560, 3495, 1335},
        {"Frame6", "Frame1", 8760, 120, 4575, 1455},
        {"Picture1", "Frame1", 120, 240, 3135, 735},
        {"Picture2", "Frame1", 120, 7680, 13215, 735},
        {"Label10", "Frame1", 120, 8520, 13215, 255},
        {"Label2", "Frame2", 120, 360, 615, 255},
        {"mon", "Frame2", 720, 360, 255, 255},
        {"Label1", "Frame2", 120, 720, 615, 255},
        {"wee", "Frame2", 720, 720, 255, 255},
        {"Label3", "Frame2", 1320, 360, 1095, 375},
        {"inc1", "Frame2", 1320, 600, 1215, 285},
        {"Label4", "Frame2", 2640, 360, 1215, 255},
        {"inc2", "Frame2", 2640, 600, 1215, 285},
        {"Label5", "Frame2", 3960, 360, 1095, 255},
        {"inc3", "Frame2", 3960, 600, 1215, 285},
        {"Label7", "Frame2", 1320, 1080, 1095, 255},
        {"total1", "Frame2", 2640, 1080, 1215, 255},
        {"Label6", "Frame2", 3960, 1080, 255, 255},
        {"week", "Frame2", 3960, 1080, 975, 255},
        {"Command1", "Frame3", 120, 240, 1335, 255},
        {"Command2", "Frame3", 1560, 240, 1455, 255},
        {"RichTextBox1", "Frame4", 7200, 240, 5895, 5415},
        {"Label12", "Frame4", 7200, 5640, 5895, 255},
        {"Label11", "Frame5", 840, 240, 1095, 255},
        {"tottake", "Frame5", 1920, 240, 1455, 285},
        {"Label8", "Frame5", 480, 600, 1455, 255},
        {"totex", "Frame5", 1920, 600, 1455, 255},
        {"Label9", "Frame5", 240, 960, 1695, 255},
        {"free", "Frame5", 1920, 960, 1455, 285},
        {"RichTextBox2", "Frame6", 120, 240, 4335, 1095},
        {"Combo1", "Frame4", 120, 240, 1815, 315},
        {"c1", "Frame4", 2040, 240, 1215, 285},
        {"Combo9", "Frame4", 120, 3120, 1815, 315},
        {"c9", "Frame4", 2040, 3120, 1215, 285},
        {"Combo16", "Frame4", 120, 5640, 1815, 315},
        {"c16", "Frame4", 2040, 5640, 1215, 285},
        {"Combo17", "Frame4", 3720, 240, 1815, 315},
        {"c17", "Frame4", 5760, 240, 1215, 285},
        {"Combo23", "Frame4", 3720, 2400, 1815, 315},
        {"c23", "Frame4", 5760, 2400, 1215, 285},
        {"Combo28", "Frame4", 3720, 4200, 1815, 315},
        {"c28", "Frame4", 5760, 4200, 1215, 285},
    };
    for (const auto &row : table) {
        QTest::newRow(row.name) << row.name << row.container << QRect(row.l, row.t, row.w, row.h);
    }
}

void Form1Test::geometry() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, twips);

    QWidget *widget = find(name);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(widget->geometry(), pixels);
}

void Form1Test::clientAreaAndStacking() {
    m_form->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_form->centralWidget()->size(), QSize(902, 592));

    const auto above = [this](const char *front, const char *back) {
        const QObjectList siblings = find(front)->parentWidget()->children();
        return siblings.indexOf(find(front)) > siblings.indexOf(find(back));
    };
    QVERIFY(above("Label6", "week"));
    QVERIFY(above("inc1", "Label3"));
    QVERIFY(above("Picture1", "Frame3"));
    QVERIFY(above("Frame4", "Frame2"));

    // Maximising adds only background: nothing moves or grows.
    const QRect frame1 = find("Frame1")->geometry();
    m_form->resize(1400, 1000);
    QCOMPARE(find("Frame1")->geometry(), frame1);
}

void Form1Test::startState() {
    for (int i = 0; i < worksheet::kAmountFieldCount; ++i)
        QCOMPARE(m_form->fields().text(worksheet::amountField(i)), "0");
    QVERIFY(m_form->sheet().wee->isChecked());
    QVERIFY(!m_form->sheet().mon->isChecked());
    for (QComboBox *combo : m_form->sheet().categories) {
        QCOMPARE(combo->currentText(), "Please Select");
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->count(), 31);
        QCOMPARE(combo->itemText(0), "Car Insurance");
        QCOMPARE(combo->itemText(30), "Water Rates");
    }
    QVERIFY(m_form->sheet().total1->text().isEmpty());
    QCOMPARE(m_form->controls().timer->interval(), 500);
    for (const char *disabled : {"total1", "totex", "tottake", "free"})
        QVERIFY(!find(disabled)->isEnabled());

    m_form->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(QApplication::focusWidget(), find("Picture1"));

    m_form->Timer1_Timer();
    for (const char *result : {"tottake", "free"})
        QCOMPARE(edit(result)->text(), "0");
    QCOMPARE(m_form->sheet().total1->text(), "0");
    QCOMPARE(m_form->sheet().totex->text(), "0");
    QCOMPARE(m_form->sheet().week->text(), "week");
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
             << "Picture2";

    m_form->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));

    QStringList forwards;
    for (int i = 0; i < expected.size(); ++i) {
        forwards << stopName(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(forwards, expected);
    QCOMPARE(stopName(QApplication::focusWidget()), "Picture1");

    QStringList backwards;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backwards.prepend(stopName(QApplication::focusWidget()));
    }
    QCOMPARE(backwards, expected);
}

void Form1Test::typingAnAmountUpdatesTheTotals() {
    edit("inc1")->setText("1000");
    m_form->Timer1_Timer();
    QCOMPARE(edit("free")->text(), "1000");

    QLineEdit *c3 = edit("c3");
    c3->selectAll();
    QTest::keyClicks(c3, "250");
    QCOMPARE(m_form->sheet().totex->text(), "0"); // nothing reacts to a keystroke
    m_form->Timer1_Timer();
    QCOMPARE(m_form->sheet().totex->text(), "250");
    QCOMPARE(edit("free")->text(), "750");
    QVERIFY(m_form->sheet().summary->text().contains("\rTotal Expendature : 250\r"));
}

void Form1Test::aFieldBeingEditedIsNotDisturbed() {
    m_form->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QLineEdit *c3 = edit("c3");
    c3->setFocus();
    c3->selectAll();
    QTest::keyClicks(c3, "125");
    c3->setCursorPosition(1);
    m_form->Timer1_Timer();
    QCOMPARE(c3->text(), "125");
    QCOMPARE(c3->cursorPosition(), 1);
    QVERIFY(c3->isUndoAvailable());

    // Emptying a field is repaired at once, as designed.
    c3->clear();
    m_form->Timer1_Timer();
    QCOMPARE(c3->text(), "0");
}

void Form1Test::clearValuesKeepsCategoriesBasisAndNotes() {
    m_form->sheet().categories[2]->setCurrentIndex(16);
    m_form->sheet().categories[3]->setEditText("Pocket money");
    m_form->sheet().mon->setChecked(true);
    m_form->sheet().notes->setPlainText("line one\nline two");
    edit("inc2")->setText("500");
    edit("c7")->setText("12x");

    QTest::mouseClick(m_form->controls().clearValues, Qt::LeftButton);

    for (int i = 0; i < worksheet::kAmountFieldCount; ++i)
        QCOMPARE(m_form->fields().text(worksheet::amountField(i)), "0");
    QCOMPARE(m_form->sheet().categories[2]->currentText(), "Loan 1");
    QCOMPARE(m_form->sheet().categories[3]->currentText(), "Pocket money");
    QVERIFY(m_form->sheet().mon->isChecked());
    QCOMPARE(m_form->sheet().notes->toPlainText(), "line one\nline two");

    m_form->Timer1_Timer();
    QCOMPARE(m_form->sheet().week->text(), "month");
    QVERIFY(m_form->sheet().summary->text().endsWith("NOTES:\r\rline one\rline two"));
}

void Form1Test::aFieldThatIsNotANumberIsMarked() {
    auto *c5 = qobject_cast<ui::AmountEdit *>(find("c5"));
    const QColor normal = c5->palette().color(QPalette::Base);

    for (const char *bad : {"12x", "-", "Abc"}) {
        c5->setText(bad);
        m_form->Timer1_Timer();
        QVERIFY2(c5->isNotANumber(), bad);
        QVERIFY(c5->palette().color(QPalette::Base) != normal);
        QVERIFY(!c5->toolTip().isEmpty());
        QVERIFY(c5->accessibleDescription().contains("Not a number"));
        QVERIFY(!qobject_cast<ui::AmountEdit *>(find("c6"))->isNotANumber());
    }

    c5->setText("12");
    m_form->Timer1_Timer();
    QVERIFY(!c5->isNotANumber());
    QCOMPARE(c5->palette().color(QPalette::Base), normal);
    QVERIFY(c5->toolTip().isEmpty());
    QCOMPARE(m_form->sheet().totex->text(), "12");
}

void Form1Test::labelAndBannerOpenTheSameAddress() {
    m_form->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QTest::mouseClick(find("Label12"), Qt::LeftButton);
    QTest::mouseClick(find("Picture2"), Qt::LeftButton);
    QTest::mouseClick(find("Picture1"), Qt::LeftButton); // the logo is no link
    const QUrl maker(QString::fromLatin1(kMakerAddress));
    QCOMPARE(m_opened, (QList<QUrl>{maker, maker}));
    QVERIFY(find("Label12")->property("text").toString().contains(maker.toString()));
}

void Form1Test::keypadDecimalTypesTheLocaleSeparator_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("typed");

    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale british(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("keypad point under a comma locale") << german << int(Qt::Key_Period) << "12,";
    QTest::newRow("keypad comma under a point locale") << british << int(Qt::Key_Comma) << "12.";
    QTest::newRow("keypad point under a point locale") << british << int(Qt::Key_Period) << "12.";
}

void Form1Test::keypadDecimalTypesTheLocaleSeparator() {
    QFETCH(QLocale, locale);
    QFETCH(int, key);

    QLineEdit *c1 = edit("c1");
    c1->setLocale(locale);
    c1->setText("12");
    QTest::keyClick(c1, Qt::Key(key), Qt::KeypadModifier);
    QTEST(c1->text(), "typed");

    // The main keyboard's keys are left alone.
    QTest::keyClick(c1, Qt::Key_Period);
    QTEST(c1->text().chopped(1), "typed");
}

void Form1Test::summaryRewriteKeepsScrollAndDiscardsEdits() {
    m_form->showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    ui::SummaryBox *summary = m_form->sheet().summary;
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("note %1").arg(i);
    m_form->sheet().notes->setPlainText(lines.join('\n'));
    m_form->Timer1_Timer();
    const QString written = summary->text();
    QVERIFY(written.endsWith("NOTES:\r\r" + lines.join('\r')));

    QScrollBar *bar = summary->verticalScrollBar();
    QVERIFY(bar->maximum() > 500);
    bar->setValue(500);
    const int relayouts = summary->relayoutCount();
    m_form->Timer1_Timer();
    QCOMPARE(bar->value(), 500);
    QCOMPARE(summary->relayoutCount(), relayouts); // unchanged text: no new layout

    // A change keeps the reader's place too.
    edit("c1")->setText("75");
    m_form->Timer1_Timer();
    QCOMPARE(summary->relayoutCount(), relayouts + 1);
    QCOMPARE(bar->value(), 500);

    // Typing into the box changes nothing; Ctrl+C copies the whole summary.
    summary->setFocus();
    QTest::keyClicks(summary, "typed here");
    QCOMPARE(summary->text(), m_form->fields().text(Field::RichTextBox1));
    QTest::keyClick(summary, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), summary->text().replace('\r', '\n'));
}

void Form1Test::printCommands_data() {
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("the Print Summary button") << false;
    QTest::newRow("File > Print") << true;
}

// Both commands print the summary as the box shows it: same pages, lines
// starting at the same characters as on screen.
void Form1Test::printCommands() {
    QFETCH(bool, fromMenu);

    printing::testing::FakePrinter printer;
    makeForm({[&printer]() -> printing::PrinterOpening {
                  return std::unique_ptr<printing::PrinterService>(
                      std::make_unique<printing::testing::BorrowedPrinter>(printer));
              },
              printing::kPrintServerWait});
    printing::SummaryLayout &layout = m_form->sheet().summary->layout();
    QTRY_VERIFY(layout.hasTargetDevice());
    QCOMPARE(layout.lineWidth(), 9360); // 8.5 in paper less two one-inch margins

    QString paragraph;
    for (int i = 0; i < 400; ++i)
        paragraph += QStringLiteral("household note %1 ").arg(i);
    m_form->sheet().notes->setPlainText(paragraph);
    edit("inc1")->setText("1,250.50");
    m_form->Timer1_Timer();

    if (fromMenu)
        m_form->controls().print->trigger();
    else
        QTest::mouseClick(m_form->controls().printSummary, Qt::LeftButton);

    QVERIFY(m_told.isEmpty());
    const auto &document = *printer.documents().back();
    QCOMPARE(document.state, printing::testing::FakePrinter::DocumentState::Ended);
    QVERIFY(document.pages.size() >= 2);
    QStringList printed;
    for (const auto &page : document.pages)
        printed += printing::testing::drawnLines(*page);
    QCOMPARE(printing::testing::locateLines(layout.text(), printed),
             printing::testing::visibleLineStarts(layout));
    QVERIFY(printed.contains("Your Income          : 1,250.50"));
}

void Form1Test::printingWithoutAPrinterTellsTheUser() {
    m_form->showCentred();
    QTest::mouseClick(m_form->controls().printSummary, Qt::LeftButton);
    m_form->controls().print->trigger();
    QCOMPARE(m_told.size(), 2);
    QVERIFY2(m_told.front().contains("No printer"), qPrintable(m_told.front()));
    // The worksheet goes on: the summary keeps its screen layout and ticks go on.
    QVERIFY(!m_form->sheet().summary->layout().hasTargetDevice());
    edit("c2")->setText("10");
    m_form->Timer1_Timer();
    QCOMPARE(m_form->sheet().totex->text(), "10");
}

void Form1Test::accessibleNames() {
    QCOMPARE(find("inc1")->accessibleName(), "Your Income");
    QCOMPARE(find("inc2")->accessibleName(), "Partners Income");
    QCOMPARE(find("c5")->accessibleName(), "Expense 5 amount");
    QCOMPARE(find("Combo5")->accessibleName(), "Expense 5 category");
    QCOMPARE(find("c28")->accessibleName(), "Expense 28 amount");
    QCOMPARE(find("wee")->accessibleName(), "Weekly");
    edit("inc1")->setText("40");
    m_form->Timer1_Timer();
    QCOMPARE(find("total1")->accessibleName(), "Total Income 40");
    QCOMPARE(find("tottake")->accessibleName(), "Total Income");
}

void Form1Test::coloursFollowThePalette() {
    const QPalette original = QGuiApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Midlight, QColor(40, 40, 48));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 20));
    dark.setColor(QPalette::Base, QColor(20, 20, 24));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();

    const auto background = [this](const char *name) {
        return find(name)->palette().color(QPalette::Window);
    };
    // Frames paint their colour; (892, 300) is bare Frame1 right of the expense frame.
    // The style may blend its panel over it by a shade.
    const auto frame1Is = [this](const QColor &expected) {
        const QColor seen = find("Frame1")->grab().toImage().pixelColor(892, 300);
        return qAbs(seen.red() - expected.red()) <= 3 &&
               qAbs(seen.green() - expected.green()) <= 3 &&
               qAbs(seen.blue() - expected.blue()) <= 3;
    };
    QVERIFY(frame1Is(QColor(40, 40, 48)));
    QCOMPARE(background("total1"), QColor(60, 60, 20));
    QCOMPARE(background("Label12"), QColor(60, 60, 20));
    QCOMPARE(background("Label10"), QColor(20, 20, 24));
    QApplication::setPalette(original);
    QCoreApplication::processEvents();
    QVERIFY(frame1Is(original.color(QPalette::Midlight)));
    // Controls in the frames keep the application's palette, and so share its drawing cache.
    QCOMPARE(find("Combo7")->palette().cacheKey(), find("c7")->palette().cacheKey());
}

QTEST_MAIN(Form1Test)
#include "tst_form1.moc"
