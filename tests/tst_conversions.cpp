#include "worksheet/conversions.h"

#include <limits>
#include <QTest>

using tallaby::worksheet::NumberFormat;

Q_DECLARE_METATYPE(std::optional<double>)

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QLocale french(QLocale::French, QLocale::France);
const QLocale indian(QLocale::English, QLocale::India);
constexpr std::optional<double> none = std::nullopt;
} // namespace

class ConversionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void amountToNumber_data();
    void amountToNumber();
    void numberText_data();
    void numberText();
};

void ConversionsTest::amountToNumber_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("expected");
    const auto row = [](const char *name, const QLocale &l, const QString &t,
                        std::optional<double> e) {
        QTest::newRow(name) << l << t << e;
    };
    row("1,200 is a decimal in German", german, "1,200", 1.2);
    row("a full first group", english, "123,456", 123456.0);
    row("Indian grouping", indian, "1,00,000", 100000.0);
    row("a plain space groups in French", french, "1 200,5", 1200.5);
    row("misplaced grouping", english, "1,20", none);
    row("a point in German where groups don't fit", german, "1.5", none);
    row("blanks around", english, " \t42 ", 42.0);
    row("a lone minus", english, "-", none);
    row("beyond the double range", english, "1e309", none);
    row("a negative exponent", english, "1E-5", 1e-5);
    row("the euro after a German amount", german, "5,25 €", 5.25);
    row("a negative in parentheses", english, "($1,200)", -1200.0);
    row("empty", english, "", none);
    row("infinity spelt out", english, " INF", none);
}

void ConversionsTest::amountToNumber() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(std::optional<double>, expected);
    const std::optional<double> actual = NumberFormat(locale).toNumber(text);
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(*actual, *expected);
}

void ConversionsTest::numberText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected"); // null: no text

    QTest::newRow("negative zero is zero") << english << -0.0 << "0";
    QTest::newRow("rounding up to 1E+15") << english << 999999999999999.9 << "1E+15";
    QTest::newRow("smaller fractions get an exponent") << german << 2.5e-7 << "2,5E-07";
    QTest::newRow("rounding past the double limit")
        << english << std::numeric_limits<double>::max() << QString();
}

void ConversionsTest::numberText() {
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberFormat(locale).toNumberText(value).value_or(QString()), expected);
}

QTEST_GUILESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
