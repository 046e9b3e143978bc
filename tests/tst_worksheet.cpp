#include "worksheet/fields.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"

#include <QTest>

using namespace tallaby::worksheet;

namespace {

const QLocale british(QLocale::English, QLocale::UnitedKingdom);
const Field kOutputs[] = {Field::Tottake, Field::Week, Field::Total1,
                          Field::Totex,   Field::Free, Field::RichTextBox1};

Field named(const QString &name) {
    for (int i = 0; i < kFieldCount; ++i) {
        if (fieldName(Field(i)) == name)
            return Field(i);
    }
    qFatal("no field %s", qPrintable(name));
}

using Amounts = QList<QPair<QString, QString>>;

// A worksheet right after start-up with some amounts typed over it, ticked.
struct Sheet {
    explicit Sheet(const Amounts &amounts = {}, const QLocale &locale = british)
        : context{NumberFormat(locale), [this] {
                      return today;
                  }} {
        applyStartValues(fields);
        for (const auto &[name, text] : amounts)
            fields.setText(named(name), text);
    }
    TickResult tick() {
        fields.resetWriteCounts();
        return recalculate(fields, context);
    }
    QString operator[](const char *name) const { return fields.text(named(name)); }

    QDate today{2026, 12, 6};
    MemoryFields fields;
    TickContext context;
};

} // namespace

class WorksheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void totals_data();
    void totals();
    void repairs_data();
    void repairs();
    void failedConversions_data();
    void failedConversions();
    void summaryByteForByte();
};

void WorksheetTest::totals_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Amounts>("amounts");
    QTest::addColumn<QStringList>("expected"); // income, expenditure, free cash

    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("a fresh worksheet") << british << Amounts{} << QStringList{"0", "0", "0"};
    QTest::newRow("incomes with decimals") << british << Amounts{{"inc1", "12.5"}, {"inc3", "7.25"}}
                                           << QStringList{"19.75", "0", "19.75"};
    QTest::newRow("expenses above income, one negative")
        << british << Amounts{{"inc1", "100"}, {"c1", "170"}, {"c3", "-20"}}
        << QStringList{"100", "150", "-50"};
    QTest::newRow("row 28 counts like row 1")
        << british << Amounts{{"c1", "5"}, {"c28", "7"}} << QStringList{"0", "12", "-12"};
    QTest::newRow("1,200 typed, 1200 totalled")
        << british << Amounts{{"inc1", "1,200"}} << QStringList{"1200", "0", "1200"};
    QTest::newRow("German amounts") << german << Amounts{{"inc1", "1.200,50"}, {"c1", "0,25"}}
                                    << QStringList{"1200,5", "0,25", "1200,25"};
    QTest::newRow("free cash from the totals as shown")
        << british << Amounts{{"inc1", "0.1"}, {"inc2", "0.2"}, {"c1", "0.3"}}
        << QStringList{"0.3", "0.3", "0"};
}

void WorksheetTest::totals() {
    QFETCH(QLocale, locale);
    QFETCH(Amounts, amounts);
    QFETCH(QStringList, expected);

    Sheet sheet(amounts, locale);
    QVERIFY(sheet.tick().complete);
    QCOMPARE((QStringList{sheet["tottake"], sheet["totex"], sheet["free"]}), expected);
    QCOMPARE(sheet["total1"], sheet["tottake"]);
    QCOMPARE(sheet["week"], "week");
    for (const auto &[name, text] : amounts) // never reformatted
        QCOMPARE(sheet[qPrintable(name)], text);

    // The basis changes the word only.
    sheet.fields.setSelected(Option::Mon);
    const QString summary = sheet["RichTextBox1"];
    sheet.tick();
    QCOMPARE(sheet["week"], "month");
    QCOMPARE(sheet["RichTextBox1"], summary);
}

void WorksheetTest::repairs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("repaired");
    for (const char *text : {"", "abc", "zebra", "{", "é5", "£5", "€5", "😀"})
        QTest::addRow("'%s' becomes 0", text) << QString::fromUtf8(text) << true;
    for (const char *text : {"Abc", "`5", " ", "-", "$5"})
        QTest::addRow("'%s' is kept", text) << QString::fromUtf8(text) << false;
}

// Typed into every amount field at once, so no income and no row is skipped.
void WorksheetTest::repairs() {
    QFETCH(QString, text);
    QFETCH(bool, repaired);
    Sheet sheet;
    for (int i = 0; i < kAmountFieldCount; ++i)
        sheet.fields.setText(amountField(i), text);
    sheet.tick();
    for (int i = 0; i < kAmountFieldCount; ++i)
        QCOMPARE(sheet.fields.text(amountField(i)), repaired ? QStringLiteral("0") : text);
}

void WorksheetTest::failedConversions_data() {
    QTest::addColumn<Amounts>("amounts");
    QTest::addColumn<int>("written"); // outputs written, in order
    QTest::addColumn<QStringList>("notANumber");
    QTest::addColumn<QString>("outOfRange"); // the output that could not be shown

    QTest::newRow("a bad income stops everything")
        << Amounts{{"inc2", "12x"}} << 0 << QStringList{"inc2"} << QString();
    QTest::newRow("a bad expense leaves the income outputs")
        << Amounts{{"c14", "-"}} << 3 << QStringList{"c14"} << QString();
    QTest::newRow("a partial sum beyond the range stays so")
        << Amounts{{"c1", "1.7e308"}, {"c2", "1.7e308"}, {"c3", "-1.7e308"}} << 3 << QStringList{}
        << "totex";
    QTest::newRow("free cash beyond the range")
        << Amounts{{"inc1", "1.7e308"}, {"c1", "-1.7e308"}} << 4 << QStringList{} << "free";
    QTest::newRow("a total whose text would round out of range")
        << Amounts{{"inc1", "1.7976931348623157e308"}} << 0 << QStringList{} << "tottake";
}

void WorksheetTest::failedConversions() {
    QFETCH(Amounts, amounts);
    QFETCH(int, written);
    QFETCH(QStringList, notANumber);

    Sheet sheet(amounts);
    for (Field f : kOutputs)
        sheet.fields.setText(f, "previous");
    const TickResult result = sheet.tick();

    QVERIFY(!result.complete);
    QTEST(result.outOfRange ? fieldName(*result.outOfRange) : QString(), "outOfRange");
    for (int i = 0; i < 6; ++i)
        QCOMPARE(sheet.fields.writeCount(kOutputs[i]), i < written ? 1 : 0);
    for (int i = 0; i < kAmountFieldCount; ++i)
        QCOMPARE(result.notANumber[i], notANumber.contains(fieldName(amountField(i))));
}

void WorksheetTest::summaryByteForByte() {
    Sheet sheet({{"inc1", "1,850.50"},
                 {"inc2", "920"},
                 {"c1", "650"},
                 {"c17", "120.25"},
                 {"c28", "-20"},
                 {"RichTextBox2", "Rent rises\rBoiler service\r\rHoliday"}});
    QVERIFY(sheet.tick().complete);
    QCOMPARE(sheet["RichTextBox1"],
             "CASHFLOW SUMMARY - Please support us by visiting https://veltrane.example/\r\r"
             "DATE: 06/12/2026\r\r"
             "Your Income          : 1,850.50\r"
             "Partners Income    : 920\r"
             "Other Income        : 0\r"
             "Total Income         : 2770.5\r"
             "Total Expendature : 750.25\r\r"
             "Free Cash              : 2020.25\r\r"
             "NOTES:\r\r"
             "Rent rises\rBoiler service\r\rHoliday");

    // Without notes it ends with the two breaks after "NOTES:"; after
    // midnight the next tick shows the new date.
    sheet.fields.setText(Field::RichTextBox2, {});
    sheet.today = sheet.today.addDays(26);
    sheet.tick();
    QVERIFY(sheet["RichTextBox1"].contains("\rDATE: 01/01/2027\r"));
    QVERIFY(sheet["RichTextBox1"].endsWith("\r\rNOTES:\r\r"));
}

QTEST_GUILESS_MAIN(WorksheetTest)
#include "tst_worksheet.moc"
