#include "worksheet/conversions.h"

#include <cmath>
#include <limits>
#include <QTest>

using tallaby::worksheet::isLetterLed;
using tallaby::worksheet::NumberFormat;

Q_DECLARE_METATYPE(std::optional<double>)

class ConversionsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void amountToNumber_data();
    void amountToNumber();
    void numberText_data();
    void numberText();
    void numberTextConvertsBack_data();
    void numberTextConvertsBack();
    void letterRule_data();
    void letterRule();
};

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale british(QLocale::English, QLocale::UnitedKingdom);
const QLocale german(QLocale::German, QLocale::Germany);
const QLocale french(QLocale::French, QLocale::France);
const QLocale indian(QLocale::English, QLocale::India);
constexpr std::optional<double> none = std::nullopt;
} // namespace

void ConversionsTest::amountToNumber_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("expected");

    const auto row = [](const char *name, const QLocale &locale, const QString &text,
                        std::optional<double> expected) {
        QTest::newRow(name) << locale << text << expected;
    };

    row("a plain whole number", english, "250", 250.0);
    row("a decimal with a point in English", english, "12.5", 12.5);
    row("a decimal with a comma in German", german, "12,5", 12.5);
    row("1,200 groups thousands in English", english, "1,200", 1200.0);
    row("1.200 is a decimal in English", english, "1.200", 1.2);
    row("1.200 groups thousands in German", german, "1.200", 1200.0);
    row("1,200 is a decimal in German", german, "1,200", 1.2);
    row("several groups in English", english, "12,345,678.9", 12345678.9);
    row("several groups in German", german, "12.345.678,9", 12345678.9);
    row("Indian grouping of twos before the last three", indian, "1,00,000", 100000.0);
    row("a plain space groups where the locale groups with a space", french, "1 200,5", 1200.5);
    row("a group of two at the end is no grouping", english, "1,20", none);
    row("a group of four is no grouping", english, "1,2000", none);
    row("a first group of four is no grouping", english, "1234,567", none);
    row("a leading group separator", english, ",200", none);
    row("a trailing group separator", english, "200,", none);
    row("a group separator after the decimal one", english, "1.200,5", none);
    row("a point in German where the groups don't fit", german, "1.5", none);
    row("blanks on both sides", english, "  42 ", 42.0);
    row("tabs on both sides", english, "\t42\t", 42.0);
    row("a blank inside the number", english, "4 2", none);
    row("a leading minus", english, "-20", -20.0);
    row("a leading plus", english, "+20", 20.0);
    row("a mathematical minus sign", english, QStringLiteral("\u221220"), -20.0);
    row("two signs", english, "--20", none);
    row("a trailing minus", english, "20-", none);
    row("a lone minus", english, "-", none);
    row("a lone plus", english, "+", none);
    row("a lone point", english, ".", none);
    row("a lone comma in German", german, ",", none);
    row("a minus and a point", english, "-.", none);
    row("a leading point", english, ".5", 0.5);
    row("a trailing point", english, "5.", 5.0);
    row("an exponent", english, "1.5e3", 1500.0);
    row("a capital exponent with a sign", english, "25E-1", 2.5);
    row("an exponent in German", german, "1,5e3", 1500.0);
    row("an exponent without digits", english, "5e", none);
    row("an exponent with a lone sign", english, "5e+", none);
    row("an exponent alone", english, "E5", none);
    row("the largest double", english, "1.7976931348623157e308",
        std::numeric_limits<double>::max());
    row("beyond the double range", english, "1e309", none);
    row("a long run of digits beyond the range", english, "1" + QString(400, '0'), none);
    row("a huge exponent", english, "1e99999999999999999999", none);
    row("too small for a double is zero", english, "1e-400", 0.0);
    row("a tiny negative is zero", english, "-1e-400", -0.0);
    row("zero with a huge exponent", english, "0e99999", 0.0);
    row("a thousand digit number below the limit", english, "0." + QString(1000, '9'), 1.0);
    row("the dollar in the US", english, "$5", 5.0);
    row("the dollar after a minus", english, "-$5.50", -5.5);
    row("the euro after the number in German", german, "5 €", 5.0);
    row("the euro after a German decimal", german, "5,25€", 5.25);
    row("someone else's currency", british, "$5", none);
    row("a currency symbol alone", english, "$", none);
    row("a negative in parentheses", english, "(5)", -5.0);
    row("a currency amount in parentheses", english, "($1,200)", -1200.0);
    row("a sign inside parentheses", english, "(-5)", none);
    row("empty parentheses", english, "()", none);
    row("an unclosed parenthesis", english, "(5", none);
    row("empty", english, "", none);
    row("a single blank", english, " ", none);
    row("letters after the digits", english, "12x", none);
    row("an upper-case word", english, "Abc", none);
    row("infinity spelt out", english, " INF", none);
    row("not a number spelt out", english, "+NaN", none);
    row("a hexadecimal number", english, "0x10", none);
    row("full-width digits", english, QStringLiteral("\uff11\uff12"), none);
    row("a surrogate pair", english, QStringLiteral("5\U0001F600"), none);
}

void ConversionsTest::amountToNumber() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(std::optional<double>, expected);

    const std::optional<double> actual = NumberFormat(locale).toNumber(text);
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected) {
        QCOMPARE(*actual, *expected);
        QCOMPARE(std::signbit(*actual), std::signbit(*expected));
    }
}

void ConversionsTest::numberText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a whole value has no separator") << english << 500.0 << "500";
    QTest::newRow("a sum with a half") << english << 200.5 + 300 << "500.5";
    QTest::newRow("a German decimal comma") << german << 500.5 << "500,5";
    QTest::newRow("a French decimal comma") << french << 0.25 << "0,25";
    QTest::newRow("0.1 plus 0.2 shows as 0.3") << english << 0.1 + 0.2 << "0.3";
    QTest::newRow("a negative difference") << english << 100.0 - 150.0 << "-50";
    QTest::newRow("a German negative") << german << -1.5 << "-1,5";
    QTest::newRow("no grouping for large values") << english << 1234567.0 << "1234567";
    QTest::newRow("no grouping in German") << german << 1234567.25 << "1234567,25";
    QTest::newRow("negative zero is zero") << english << -0.0 << "0";
    QTest::newRow("fifteen digits are kept") << english << 123456789012345.0 << "123456789012345";
    QTest::newRow("the sixteenth digit rounds")
        << english << 12345678901234.56 << "12345678901234.6";
    QTest::newRow("just below 1E+15 rounds up to it") << english << 999999999999999.9 << "1E+15";
    QTest::newRow("from 1E+15 up an exponent") << english << 1e15 << "1E+15";
    QTest::newRow("a large value with decimals") << english << 2.5e20 << "2.5E+20";
    QTest::newRow("a large German value") << german << 2.5e20 << "2,5E+20";
    QTest::newRow("a large negative") << english << -3e300 << "-3E+300";
    QTest::newRow("a ten-thousandth is still plain") << english << 0.0001 << "0.0001";
    QTest::newRow("smaller fractions get an exponent") << english << 0.00001 << "1E-05";
    QTest::newRow("a small German fraction") << german << 2.5e-7 << "2,5E-07";
    QTest::newRow("the largest double")
        << english << std::numeric_limits<double>::max() << QString();
    QTest::newRow("just under the rounding limit")
        << english << 1.79769313486231e308 << "1.79769313486231E+308";
    QTest::newRow("infinity has no text")
        << english << std::numeric_limits<double>::infinity() << QString();
    QTest::newRow("NaN has no text")
        << english << std::numeric_limits<double>::quiet_NaN() << QString();
}

void ConversionsTest::numberText() {
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, expected);

    const auto text = NumberFormat(locale).toNumberText(value);
    if (expected.isNull())
        QVERIFY2(!text, qPrintable(text.value_or(QString())));
    else
        QCOMPARE(text.value_or(QStringLiteral("<none>")), expected);
}

void ConversionsTest::numberTextConvertsBack_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");

    for (const QLocale &locale : {english, german, french, indian}) {
        const QByteArray name = locale.name().toLatin1();
        for (double value : {0.3, -19.75, 1e15, 1.5e-9, 4.9e-324, 1.79769313486231e308}) {
            QTest::addRow("%s %g", name.constData(), value) << locale << value;
        }
    }
}

// Free cash is computed from the totals as shown, so every text we show
// must read back to the value it shows.
void ConversionsTest::numberTextConvertsBack() {
    QFETCH(QLocale, locale);
    QFETCH(double, value);

    const NumberFormat format(locale);
    const auto text = format.toNumberText(value);
    QVERIFY(text);
    const auto back = format.toNumber(*text);
    QVERIFY2(back, qPrintable(*text));
    QCOMPARE(format.toNumberText(*back), text);
}

void ConversionsTest::letterRule_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("repaired");

    QTest::newRow("a lower-case word") << "abc" << true;
    QTest::newRow("the letter a alone") << "a" << true;
    QTest::newRow("a word from the end of the alphabet") << "zebra" << true;
    QTest::newRow("an opening brace") << "{" << true;
    QTest::newRow("a tilde") << "~5" << true;
    QTest::newRow("an accented letter") << QStringLiteral("é5") << true;
    QTest::newRow("a pound sign") << QStringLiteral("£5") << true;
    QTest::newRow("a euro sign") << QStringLiteral("€5") << true;
    QTest::newRow("an emoji, whose first code unit is a surrogate")
        << QStringLiteral("\U0001F600") << true;
    QTest::newRow("a backtick, just below a") << "`5" << false;
    QTest::newRow("an upper-case word") << "Abc" << false;
    QTest::newRow("a leading blank") << " 5" << false;
    QTest::newRow("a leading minus") << "-3" << false;
    QTest::newRow("a digit") << "5abc" << false;
    QTest::newRow("a dollar sign") << "$5" << false;
    QTest::newRow("empty") << "" << false;
}

void ConversionsTest::letterRule() {
    QFETCH(QString, text);
    QFETCH(bool, repaired);
    QCOMPARE(isLetterLed(text), repaired);
}

QTEST_GUILESS_MAIN(ConversionsTest)
#include "tst_conversions.moc"
