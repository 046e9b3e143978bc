#include "worksheet/fields.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"

#include <QTest>

using namespace tallaby::worksheet;

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

// A worksheet right after start-up, with some amounts typed over it.
struct Sheet {
    explicit Sheet(const QLocale &locale = english)
        : context{NumberFormat(locale), [] {
                      return QDate(2026, 12, 6);
                  }} {
        applyStartValues(fields);
    }

    Sheet &set(Field field, const QString &text) {
        fields.setText(field, text);
        return *this;
    }
    TickResult tick() {
        fields.resetWriteCounts();
        return recalculate(fields, context);
    }
    QString operator[](Field field) const { return fields.text(field); }

    MemoryFields fields;
    TickContext context;
};

// Shorthand for the table rows: amounts by their control names.
Field named(const QString &name) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (fieldName(Field(i)) == name)
            return Field(i);
    }
    qFatal("no field named %s", qPrintable(name));
}

using Amounts = QList<QPair<QString, QString>>;

} // namespace

class RecalculationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void fieldNamesFollowTheWindow();
    void startState();
    void totals_data();
    void totals();
    void repairs_data();
    void repairs();
    void onlyRepairedFieldsAreWritten();
    void everyRowCounts_data();
    void everyRowCounts();
    void periodWord();
    void aFailedConversionStopsTheLaterOutputs_data();
    void aFailedConversionStopsTheLaterOutputs();
    void theTickRecoversOnceTheTextConverts();
    void clearValuesLeavesEverythingElse();
};

void RecalculationTest::fieldNamesFollowTheWindow() {
    QCOMPARE(fieldName(income(1)), "inc1");
    QCOMPARE(fieldName(income(3)), "inc3");
    QCOMPARE(fieldName(expenseAmount(1)), "c1");
    QCOMPARE(fieldName(expenseAmount(28)), "c28");
    QCOMPARE(expenseAmount(28), Field::C28);
    QCOMPARE(fieldName(Field::Total1), "total1");
    QCOMPARE(fieldName(Field::RichTextBox2), "RichTextBox2");
    QSet<QString> names;
    for (int i = 0; i < kFieldCount; ++i)
        names.insert(fieldName(Field(i)));
    QCOMPARE(names.size(), kFieldCount);
}

void RecalculationTest::startState() {
    Sheet sheet;
    QVERIFY(sheet.fields.isSelected(Option::Wee));
    QVERIFY(!sheet.fields.isSelected(Option::Mon));
    for (int i = 0; i < kAmountFieldCount; ++i)
        QCOMPARE(sheet[amountField(i)], "0");
    QVERIFY(sheet[Field::Total1].isEmpty());

    const TickResult result = sheet.tick();
    QVERIFY(result.complete);
    QVERIFY(result.notANumber.none());
    for (Field f : {Field::Tottake, Field::Total1, Field::Totex, Field::Free})
        QCOMPARE(sheet[f], "0");
    QCOMPARE(sheet[Field::Week], "week");
}

void RecalculationTest::totals_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Amounts>("amounts");
    QTest::addColumn<QString>("income");
    QTest::addColumn<QString>("expenditure");
    QTest::addColumn<QString>("freeCash");

    QTest::newRow("two incomes with decimals")
        << english << Amounts{{"inc1", "12.5"}, {"inc3", "7.25"}} << "19.75"
        << "0"
        << "19.75";
    QTest::newRow("expenses above income give a negative free cash")
        << english << Amounts{{"inc1", "60"}, {"inc2", "40"}, {"c1", "100"}, {"c2", "50"}} << "100"
        << "150"
        << "-50";
    QTest::newRow("a negative expense lowers the expenditure")
        << english << Amounts{{"c1", "100"}, {"c3", "-20"}} << "0"
        << "80"
        << "-80";
    QTest::newRow("a negative income counts too")
        << english << Amounts{{"inc1", "-5"}, {"inc2", "10"}} << "5"
        << "0"
        << "5";
    QTest::newRow("1,200 typed in English totals 1200")
        << english << Amounts{{"inc1", "1,200"}} << "1200"
        << "0"
        << "1200";
    QTest::newRow("German amounts and a German total")
        << german << Amounts{{"inc1", "1.200,50"}, {"c1", "0,25"}} << "1200,5"
        << "0,25"
        << "1200,25";
    QTest::newRow("0.1 and 0.2 add to 0.3")
        << english << Amounts{{"c1", "0.1"}, {"c2", "0.2"}} << "0"
        << "0.3"
        << "-0.3";
    QTest::newRow("free cash uses the totals as shown")
        << english << Amounts{{"inc1", "0.1"}, {"inc2", "0.2"}, {"c1", "0.3"}} << "0.3"
        << "0.3"
        << "0";
    QTest::newRow("amounts with blanks, signs and exponents")
        << english << Amounts{{"inc1", " +1e3 "}, {"c1", "2.5E1"}} << "1000"
        << "25"
        << "975";
    QTest::newRow("huge amounts that stay in range")
        << english << Amounts{{"inc1", "1e308"}, {"c1", "1e308"}} << "1E+308"
        << "1E+308"
        << "0";
}

void RecalculationTest::totals() {
    QFETCH(QLocale, locale);
    QFETCH(Amounts, amounts);

    Sheet sheet(locale);
    for (const auto &[name, text] : amounts)
        sheet.set(named(name), text);
    const TickResult result = sheet.tick();

    QVERIFY(result.complete);
    QTEST(sheet[Field::Tottake], "income");
    QTEST(sheet[Field::Total1], "income");
    QTEST(sheet[Field::Totex], "expenditure");
    QTEST(sheet[Field::Free], "freeCash");
    // The amounts themselves are never reformatted.
    for (const auto &[name, text] : amounts)
        QCOMPARE(sheet[named(name)], text);
}

void RecalculationTest::repairs_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");

    const QStringList letterLed = {
        "abc", "a", "zebra", "{", QStringLiteral("é5"), QStringLiteral("£5")};
    for (const QString field : {"inc2", "c5", "c28"}) {
        QTest::addRow("%s emptied becomes 0", qPrintable(field)) << field << ""
                                                                 << "0";
        for (const QString &text : letterLed)
            QTest::addRow("%s holding %s becomes 0", qPrintable(field), qPrintable(text))
                << field << text << "0";
        QTest::addRow("%s holding Abc is left alone", qPrintable(field)) << field << "Abc"
                                                                         << "Abc";
        QTest::addRow("%s holding a blank is left alone", qPrintable(field)) << field << " "
                                                                             << " ";
        QTest::addRow("%s holding a lone minus is left alone", qPrintable(field)) << field << "-"
                                                                                  << "-";
    }
}

void RecalculationTest::repairs() {
    QFETCH(QString, field);
    QFETCH(QString, text);

    Sheet sheet;
    sheet.set(named(field), text).tick();
    QTEST(sheet[named(field)], "after");
}

void RecalculationTest::onlyRepairedFieldsAreWritten() {
    Sheet sheet;
    sheet.set(Field::Inc1, "").set(Field::Inc3, "zero").set(expenseAmount(4), "x");
    sheet.set(expenseAmount(9), "").set(expenseAmount(10), "250");
    sheet.tick();

    for (int i = 0; i < kAmountFieldCount; ++i) {
        const Field f = amountField(i);
        const bool repaired =
            f == Field::Inc1 || f == Field::Inc3 || f == expenseAmount(4) || f == expenseAmount(9);
        QVERIFY2(sheet.fields.writeCount(f) == (repaired ? 1 : 0), qPrintable(fieldName(f)));
    }
    // The outputs are written on every tick, even when unchanged.
    for (Field f : {Field::Tottake, Field::Week, Field::Total1, Field::Totex, Field::Free,
                    Field::RichTextBox1})
        QCOMPARE(sheet.fields.writeCount(f), 1);
    QCOMPARE(sheet[Field::Totex], "250");
}

void RecalculationTest::everyRowCounts_data() {
    QTest::addColumn<int>("row");
    for (int row = 1; row <= kExpenseRowCount; ++row)
        QTest::addRow("row %d", row) << row;
}

void RecalculationTest::everyRowCounts() {
    QFETCH(int, row);
    Sheet sheet;
    sheet.set(expenseAmount(row), "17.5").tick();
    QCOMPARE(sheet[Field::Totex], "17.5");
    QCOMPARE(sheet[Field::Free], "-17.5");
}

void RecalculationTest::periodWord() {
    Sheet sheet;
    sheet.set(Field::Inc1, "300").set(Field::C1, "100").tick();
    QCOMPARE(sheet[Field::Week], "week");
    const QString weeklySummary = sheet[Field::RichTextBox1];

    sheet.fields.setSelected(Option::Mon);
    sheet.tick();
    QCOMPARE(sheet[Field::Week], "month");
    QCOMPARE(sheet[Field::Free], "200");
    QCOMPARE(sheet[Field::RichTextBox1], weeklySummary);

    // With neither option selected the word is left as it was.
    sheet.fields.clearSelection();
    sheet.tick();
    QCOMPARE(sheet[Field::Week], "month");
    QCOMPARE(sheet.fields.writeCount(Field::Week), 0);
}

void RecalculationTest::aFailedConversionStopsTheLaterOutputs_data() {
    QTest::addColumn<Amounts>("amounts");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QStringList>("notANumber");
    QTest::addColumn<bool>("outOfRange");

    const QStringList none;
    const QStringList all = {"tottake", "week", "total1", "totex", "free", "RichTextBox1"};
    QTest::newRow("a bad income stops everything")
        << Amounts{{"inc2", "12x"}} << none << QStringList{"inc2"} << false;
    QTest::newRow("a bad expense leaves the income outputs written")
        << Amounts{{"c14", "-"}} << QStringList{"tottake", "week", "total1"} << QStringList{"c14"}
        << false;
    QTest::newRow("every bad field is reported, not just the first")
        << Amounts{{"inc1", "Abc"}, {"c1", "."}, {"c28", " "}} << none
        << QStringList{"inc1", "c1", "c28"} << false;
    QTest::newRow("an income sum beyond the double range")
        << Amounts{{"inc1", "1.7e308"}, {"inc2", "1.7e308"}} << none << none << true;
    QTest::newRow("an expense sum beyond the double range")
        << Amounts{{"c1", "1.7e308"}, {"c2", "1.7e308"}} << QStringList{"tottake", "week", "total1"}
        << none << true;
    QTest::newRow("a partial sum beyond the range is not rescued by a later row")
        << Amounts{{"c1", "1.7e308"}, {"c2", "1.7e308"}, {"c3", "-1.7e308"}}
        << QStringList{"tottake", "week", "total1"} << none << true;
    QTest::newRow("free cash beyond the double range")
        << Amounts{{"inc1", "1.7e308"}, {"c1", "-1.7e308"}}
        << QStringList{"tottake", "week", "total1", "totex"} << none << true;
    QTest::newRow("a total whose rounded text would be out of range")
        << Amounts{{"inc1", "1.7976931348623157e308"}} << none << none << true;
    QTest::newRow("a clean sheet writes everything") << Amounts{} << all << none << false;
}

void RecalculationTest::aFailedConversionStopsTheLaterOutputs() {
    QFETCH(Amounts, amounts);
    QFETCH(QStringList, written);
    QFETCH(QStringList, notANumber);
    QFETCH(bool, outOfRange);

    Sheet sheet;
    sheet.tick();
    for (Field f : {Field::Tottake, Field::Week, Field::Total1, Field::Totex, Field::Free,
                    Field::RichTextBox1})
        sheet.set(f, "previous");
    for (const auto &[name, text] : amounts)
        sheet.set(named(name), text);

    const TickResult result = sheet.tick();

    QCOMPARE(result.complete, written.size() == 6);
    QCOMPARE(result.outOfRange, outOfRange);
    for (Field f : {Field::Tottake, Field::Week, Field::Total1, Field::Totex, Field::Free,
                    Field::RichTextBox1}) {
        const bool isWritten = written.contains(fieldName(f));
        QVERIFY2((sheet[f] != "previous") == isWritten, qPrintable(fieldName(f)));
        QVERIFY2(!sheet[f].contains("inf", Qt::CaseInsensitive), qPrintable(sheet[f]));
        QVERIFY2(!sheet[f].contains("nan", Qt::CaseInsensitive), qPrintable(sheet[f]));
    }
    for (int i = 0; i < kAmountFieldCount; ++i) {
        const QString name = fieldName(amountField(i));
        QVERIFY2(result.notANumber[i] == notANumber.contains(name), qPrintable(name));
    }
}

void RecalculationTest::theTickRecoversOnceTheTextConverts() {
    Sheet sheet;
    sheet.set(Field::Inc1, "100").set(expenseAmount(2), "30").tick();
    sheet.set(expenseAmount(2), "-").tick();
    QCOMPARE(sheet[Field::Total1], "100");
    QCOMPARE(sheet[Field::Totex], "30");

    sheet.set(expenseAmount(2), "-40");
    const TickResult result = sheet.tick();
    QVERIFY(result.complete);
    QCOMPARE(sheet[Field::Totex], "-40");
    QCOMPARE(sheet[Field::Free], "140");
}

void RecalculationTest::clearValuesLeavesEverythingElse() {
    Sheet sheet;
    sheet.fields.setSelected(Option::Mon);
    sheet.set(Field::RichTextBox2, "keep me").set(Field::Inc2, "15").set(expenseAmount(7), "12x");
    sheet.tick();

    clearAmounts(sheet.fields);
    clearAmounts(sheet.fields);
    for (int i = 0; i < kAmountFieldCount; ++i)
        QCOMPARE(sheet[amountField(i)], "0");
    QVERIFY(sheet.fields.isSelected(Option::Mon));
    QCOMPARE(sheet[Field::RichTextBox2], "keep me");
    QCOMPARE(sheet[Field::Week], "month");

    QVERIFY(sheet.tick().complete);
    QCOMPARE(sheet[Field::Totex], "0");
}

QTEST_GUILESS_MAIN(RecalculationTest)
#include "tst_recalculation.moc"
