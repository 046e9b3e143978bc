#include "worksheet/fields.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"

#include <QTest>

using namespace tallaby::worksheet;

namespace {

const QLocale british(QLocale::English, QLocale::UnitedKingdom);
using Amounts = QList<QPair<Field, QString>>;

// A worksheet right after start-up with some amounts typed over it.
MemoryFields typed(const Amounts &amounts) {
    MemoryFields fields;
    applyStartValues(fields);
    for (const auto &[field, text] : amounts)
        fields.setText(field, text);
    return fields;
}

TickResult tick(MemoryFields &fields, const QLocale &locale = british, QDate today = {2026, 12, 6},
                const TickResult &previous = {}) {
    return recalculate(fields,
                       {NumberFormat(locale),
                        [today] {
                            return today;
                        }},
                       previous);
}

} // namespace

class WorksheetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void totals_data();
    void totals();
    void repairs_data();
    void repairs();
    void summaryByteForByte();
};

void WorksheetTest::totals_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<Amounts>("amounts");
    // Income, expenditure, free cash; blank: never written, the tick stopped there.
    QTest::addColumn<QStringList>("expected");

    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("a fresh worksheet") << british << Amounts{} << QStringList{"0", "0", "0"};
    QTest::newRow("expenses above income, one negative, row 28 counted")
        << british << Amounts{{Field::Inc1, "100"}, {Field::C1, "170"}, {Field::C28, "-20"}}
        << QStringList{"100", "150", "-50"};
    QTest::newRow("1,200 typed, 1200 totalled")
        << british << Amounts{{Field::Inc1, "1,200"}, {Field::Inc3, "7.25"}}
        << QStringList{"1207.25", "0", "1207.25"};
    QTest::newRow("German amounts")
        << german << Amounts{{Field::Inc1, "1.200,50"}, {Field::C1, "0,25"}}
        << QStringList{"1200,5", "0,25", "1200,25"};
    QTest::newRow("free cash from the totals as shown")
        << british << Amounts{{Field::Inc1, "0.1"}, {Field::Inc2, "0.2"}, {Field::C1, "0.3"}}
        << QStringList{"0.3", "0.3", "0"};
    QTest::newRow("a bad income") << british << Amounts{{Field::Inc2, "12x"}}
                                  << QStringList{"", "", ""};
    QTest::newRow("a bad expense") << british << Amounts{{Field::Inc1, "100"}, {Field::C28, "-"}}
                                   << QStringList{"100", "", ""};
}

void WorksheetTest::totals() {
    QFETCH(QLocale, locale);
    QFETCH(Amounts, amounts);
    QFETCH(QStringList, expected);

    MemoryFields fields = typed(amounts);
    const bool complete = !expected.contains(QString());
    QCOMPARE(tick(fields, locale).complete, complete);
    QCOMPARE((QStringList{fields.text(Field::Tottake), fields.text(Field::Totex),
                          fields.text(Field::Free)}),
             expected);
    QCOMPARE(fields.text(Field::Total1), fields.text(Field::Tottake));
    QCOMPARE(fields.text(Field::RichTextBox1).isEmpty(), !complete);
    if (!complete)
        return;
    QCOMPARE(fields.text(Field::Week), "week");

    // The basis changes the word only.
    fields.setSelected(Option::Mon);
    const QString summary = fields.text(Field::RichTextBox1);
    tick(fields, locale);
    QCOMPARE(fields.text(Field::Week), "month");
    QCOMPARE(fields.text(Field::RichTextBox1), summary);
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
    MemoryFields fields = typed({});
    for (int i = 0; i < kAmountFieldCount; ++i)
        fields.setText(amountField(i), text);
    tick(fields);
    for (int i = 0; i < kAmountFieldCount; ++i)
        QCOMPARE(fields.text(amountField(i)), repaired ? QStringLiteral("0") : text);
}

void WorksheetTest::summaryByteForByte() {
    MemoryFields fields = typed({{Field::Inc1, "1,850.50"},
                                 {Field::Inc2, "920"},
                                 {Field::C1, "650"},
                                 {expenseAmount(17), "120.25"},
                                 {Field::C28, "-20"},
                                 {Field::RichTextBox2, "Rent rises\rBoiler service\r\rHoliday"}});
    TickResult last = tick(fields);
    QVERIFY(last.complete);
    QCOMPARE(fields.text(Field::RichTextBox1),
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

    // Unchanged, it is not written again; without notes it ends with the two
    // breaks after "NOTES:"; after midnight the next tick shows the new date.
    fields.resetWriteCounts();
    last = tick(fields, british, {2026, 12, 6}, last);
    QCOMPARE(fields.writeCount(Field::RichTextBox1), 0);
    fields.setText(Field::RichTextBox2, {});
    last = tick(fields, british, {2026, 12, 6}, last);
    QVERIFY(fields.text(Field::RichTextBox1).endsWith("\r\rNOTES:\r\r"));
    tick(fields, british, {2027, 1, 1}, last);
    QVERIFY(fields.text(Field::RichTextBox1).contains("\rDATE: 01/01/2027\r"));
}

QTEST_GUILESS_MAIN(WorksheetTest)
#include "tst_worksheet.moc"
