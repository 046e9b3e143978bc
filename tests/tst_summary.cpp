#include "worksheet/fields.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"
#include "worksheet/summary.h"

#include <QTest>

using namespace tallaby::worksheet;

namespace {
const QLocale british(QLocale::English, QLocale::UnitedKingdom);
const QLocale german(QLocale::German, QLocale::Germany);
} // namespace

class SummaryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void filledWorksheetByteForByte();
    void emptyWorksheetEndsWithTwoBreaks();
    void incomesShowAsTyped();
    void dateFollowsTheClockAndLocale_data();
    void dateFollowsTheClockAndLocale();
    void onlyTheTotalsFollowTheExpenses();
};

void SummaryTest::filledWorksheetByteForByte() {
    QDate today(2026, 12, 6);
    MemoryFields fields;
    applyStartValues(fields);
    fields.setText(Field::Inc1, "1,850.50");
    fields.setText(Field::Inc2, "920");
    fields.setText(Field::C1, "650");
    fields.setText(expenseAmount(17), "120.25");
    fields.setText(Field::C28, "-20");
    fields.setText(Field::RichTextBox2,
                   "Rent rises in March\rBoiler service due\r\rSave for holiday");

    QVERIFY(recalculate(fields, {NumberFormat(british),
                                 [&] {
                                     return today;
                                 }})
                .complete);

    const QString expected = QStringLiteral(
        "CASHFLOW SUMMARY - Please support us by visiting https://veltrane.example/\r"
        "\r"
        "DATE: 06/12/2026\r"
        "\r"
        "Your Income          : 1,850.50\r"
        "Partners Income    : 920\r"
        "Other Income        : 0\r"
        "Total Income         : 2770.5\r"
        "Total Expendature : 750.25\r"
        "\r"
        "Free Cash              : 2020.25\r"
        "\r"
        "NOTES:\r"
        "\r"
        "Rent rises in March\rBoiler service due\r\rSave for holiday");
    QCOMPARE(fields.text(Field::RichTextBox1), expected);
    QVERIFY(!expected.contains(u'\n'));
}

void SummaryTest::emptyWorksheetEndsWithTwoBreaks() {
    MemoryFields fields;
    applyStartValues(fields);
    recalculate(fields, {NumberFormat(british), [] {
                             return QDate(2026, 1, 2);
                         }});

    const QStringList lines = fields.text(Field::RichTextBox1).split(u'\r');
    const QStringList expected = {
        "CASHFLOW SUMMARY - Please support us by visiting https://veltrane.example/",
        "",
        "DATE: 02/01/2026",
        "",
        "Your Income          : 0",
        "Partners Income    : 0",
        "Other Income        : 0",
        "Total Income         : 0",
        "Total Expendature : 0",
        "",
        "Free Cash              : 0",
        "",
        "NOTES:",
        "",
        "",
    };
    QCOMPARE(lines, expected);
}

void SummaryTest::incomesShowAsTyped() {
    MemoryFields fields;
    applyStartValues(fields);
    fields.setText(Field::Inc1, "1,200");
    fields.setText(Field::Inc3, " +3e1");
    recalculate(fields, {NumberFormat(QLocale(QLocale::English, QLocale::UnitedStates)), {}});

    const QString doc = fields.text(Field::RichTextBox1);
    QVERIFY(doc.contains("\rYour Income          : 1,200\r"));
    QVERIFY(doc.contains("\rOther Income        :  +3e1\r"));
    QVERIFY(doc.contains("\rTotal Income         : 1230\r"));
    QCOMPARE(fields.text(Field::Inc1), "1,200");
}

void SummaryTest::dateFollowsTheClockAndLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("beforeMidnight");
    QTest::addColumn<QString>("afterMidnight");

    QTest::newRow("British short dates") << british << "31/12/2026"
                                         << "01/01/2027";
    QTest::newRow("German short dates") << german << "31.12.26"
                                        << "01.01.27";
}

void SummaryTest::dateFollowsTheClockAndLocale() {
    QFETCH(QLocale, locale);
    QFETCH(QString, beforeMidnight);
    QFETCH(QString, afterMidnight);

    QDate today(2026, 12, 31);
    MemoryFields fields;
    applyStartValues(fields);
    const TickContext context{NumberFormat(locale), [&] {
                                  return today;
                              }};

    recalculate(fields, context);
    QVERIFY(fields.text(Field::RichTextBox1).contains("\rDATE: " + beforeMidnight + "\r"));
    today = today.addDays(1);
    recalculate(fields, context);
    QVERIFY(fields.text(Field::RichTextBox1).contains("\rDATE: " + afterMidnight + "\r"));
}

void SummaryTest::onlyTheTotalsFollowTheExpenses() {
    MemoryFields fields;
    applyStartValues(fields);
    fields.setText(Field::Inc1, "500");
    const TickContext context{NumberFormat(british), [] {
                                  return QDate(2026, 6, 1);
                              }};
    recalculate(fields, context);
    const QStringList before = fields.text(Field::RichTextBox1).split(u'\r');

    fields.setText(expenseAmount(5), "120");
    fields.setText(Field::C28, "30");
    recalculate(fields, context);
    const QStringList after = fields.text(Field::RichTextBox1).split(u'\r');

    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        if (i == 8)
            QCOMPARE(after[i], "Total Expendature : 150");
        else if (i == 10)
            QCOMPARE(after[i], "Free Cash              : 350");
        else
            QCOMPARE(after[i], before[i]);
    }
}

QTEST_GUILESS_MAIN(SummaryTest)
#include "tst_summary.moc"
