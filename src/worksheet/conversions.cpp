#include "worksheet/conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <QVarLengthArray>

namespace tallaby::worksheet {

namespace {

constexpr char16_t kMathMinus = u'\u2212';

bool isSpaceLike(QStringView s) {
    return s.size() == 1 &&
           (s.front().isSpace() || s.front() == u'\u00a0' || s.front() == u'\u202f');
}

// Consumes prefix from s when present.
bool take(QStringView &s, QStringView prefix) {
    if (prefix.isEmpty() || !s.startsWith(prefix))
        return false;
    s = s.sliced(prefix.size());
    return true;
}

bool takeBack(QStringView &s, QStringView suffix) {
    if (suffix.isEmpty() || !s.endsWith(suffix))
        return false;
    s.chop(suffix.size());
    return true;
}

// Saturating, so "1e99999999999999999999" is simply out of range.
void accumulateExponent(long long &exponent, int digit) {
    constexpr long long kCap = 1'000'000'000;
    exponent = std::min(kCap, exponent * 10 + digit);
}

// The locale's symbols as the stages of the amount conversion read them.
struct Symbols {
    QStringView decimal;
    QStringView group;
    QStringView minus;
    QStringView plus;
    QStringView currency;
    QStringView exponential;
    char16_t zero;
    bool groupIsSpace;

    // ASCII digits and the locale's own; -1 for anything else.
    int digitValue(QChar c) const {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (zero != u'0' && u >= zero && u <= zero + 9)
            return u - zero;
        return -1;
    }
    // The length of the group separator s starts with, 0 if none.
    qsizetype groupAt(QStringView s) const {
        if (!group.isEmpty() && s.startsWith(group))
            return group.size();
        if (groupIsSpace && s.front() == u' ')
            return 1;
        return 0;
    }
    bool takeMinus(QStringView &s) const {
        return take(s, u"-") || take(s, QStringView(&kMathMinus, 1)) || take(s, minus);
    }
    bool takePlus(QStringView &s) const { return take(s, u"+") || take(s, plus); }
};

// What the stages have read of the number, spelt for std::from_chars, and
// what tells an overflow from an underflow when that cannot convert it.
struct Digits {
    QVarLengthArray<char, 64> text;
    int intDigits = 0;
    int significantIntDigits = 0;
    int fractionDigits = 0;
    int leadingFractionZeros = 0;
    long long exponent = 0;

    void append(int digit) { text.append(char('0' + digit)); }
};

// Affixes and sign: blanks at both ends, parentheses, the currency symbol
// before or after, a sign. Leaves s at the digits; false when a sign comes
// inside parentheses.
bool takeAffixes(QStringView &s, const Symbols &symbols, bool &negative) {
    s = s.trimmed();
    bool parenthesised = false;
    if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
        parenthesised = true;
        s = s.sliced(1, s.size() - 2).trimmed();
    }

    bool currency = take(s, symbols.currency);
    if (currency)
        s = s.trimmed();

    bool signed_ = false;
    negative = false;
    if (symbols.takeMinus(s))
        negative = signed_ = true;
    else if (symbols.takePlus(s))
        signed_ = true;
    if (!currency && signed_ && take(s, symbols.currency)) {
        currency = true;
        s = s.trimmed();
    }
    if (!currency && takeBack(s, symbols.currency)) {
        currency = true;
        s = s.trimmed();
    }
    if (parenthesised) {
        if (signed_)
            return false;
        negative = true;
    }
    return true;
}

// Integer part: digits, and a group separator only between digits, after a
// first group of up to three, then groups of three (two are allowed before
// the last, as in 1,00,000). False when the groups don't fit that.
bool takeInteger(QStringView &s, const Symbols &symbols, Digits &digits) {
    int groupLength = 0;
    int groups = 0;
    while (!s.isEmpty()) {
        const int d = symbols.digitValue(s.front());
        if (d >= 0) {
            digits.append(d);
            ++digits.intDigits;
            ++groupLength;
            if (d != 0 || digits.significantIntDigits > 0)
                ++digits.significantIntDigits;
            s = s.sliced(1);
            continue;
        }
        const qsizetype sep = digits.intDigits > 0 ? symbols.groupAt(s) : 0;
        if (sep == 0 || sep >= s.size() || symbols.digitValue(s[sep]) < 0)
            break;
        const bool fits = groups == 0 ? groupLength <= 3 : (groupLength == 2 || groupLength == 3);
        if (!fits)
            return false;
        ++groups;
        groupLength = 0;
        s = s.sliced(sep);
    }
    return groups == 0 || groupLength == 3;
}

// Fraction: the decimal separator and the digits after it, if there.
void takeFraction(QStringView &s, const Symbols &symbols, Digits &digits) {
    if (!s.startsWith(symbols.decimal))
        return;
    s = s.sliced(symbols.decimal.size());
    digits.text.append('.');
    while (!s.isEmpty()) {
        const int d = symbols.digitValue(s.front());
        if (d < 0)
            break;
        if (d == 0 && digits.leadingFractionZeros == digits.fractionDigits)
            ++digits.leadingFractionZeros;
        digits.append(d);
        ++digits.fractionDigits;
        s = s.sliced(1);
    }
}

// Exponent: whatever is left must be "e", "E" or the locale's own, an
// optional sign and at least one digit.
bool takeExponent(QStringView s, const Symbols &symbols, Digits &digits) {
    if (s.isEmpty())
        return true;
    if (!(take(s, u"e") || take(s, u"E") || take(s, symbols.exponential)))
        return false;
    const bool negative = symbols.takeMinus(s);
    if (!negative)
        (void)symbols.takePlus(s);
    if (s.isEmpty())
        return false;
    digits.text.append('e');
    if (negative)
        digits.text.append('-');
    long long exponent = 0;
    for (const QChar c : s) {
        const int d = symbols.digitValue(c);
        if (d < 0)
            return false;
        digits.append(d);
        accumulateExponent(exponent, d);
    }
    digits.exponent = negative ? -exponent : exponent;
    return true;
}

// Conversion of what was read. Beyond the double range it is too large, or
// zero when only too small.
ParsedAmount convert(const Digits &digits, bool negative) {
    double value = 0.0;
    const char *const end = digits.text.data() + digits.text.size();
    const auto [stop, ec] = std::from_chars(digits.text.data(), end, value);
    if (ec == std::errc::result_out_of_range) {
        // The decimal magnitude tells which way it is out of range.
        const long long magnitude = digits.significantIntDigits > 0
                                        ? digits.significantIntDigits + digits.exponent
                                        : digits.exponent - digits.leadingFractionZeros;
        if (magnitude > 0)
            return {std::nullopt, true};
        return {negative ? -0.0 : 0.0};
    }
    if (ec != std::errc() || stop != end || !std::isfinite(value))
        return {};
    return {value};
}

} // namespace

NumberFormat::NumberFormat(const QLocale &locale)
    : m_locale(locale)
    , m_decimal(locale.decimalPoint())
    , m_group(locale.groupSeparator())
    , m_minus(locale.negativeSign())
    , m_plus(locale.positiveSign())
    , m_currency(locale.currencySymbol(QLocale::CurrencySymbol))
    , m_exponential(locale.exponential()) {
    const QString zero = locale.zeroDigit();
    if (zero.size() == 1)
        m_zero = zero.front().unicode();
    m_groupIsSpace = isSpaceLike(m_group);
    // A group separator equal to the decimal one would make "1.200" ambiguous.
    if (m_group == m_decimal)
        m_group.clear();
}

ParsedAmount NumberFormat::parse(QStringView text) const {
    const Symbols symbols{m_decimal,  m_group,       m_minus, m_plus,
                          m_currency, m_exponential, m_zero,  m_groupIsSpace};
    QStringView s = text;
    bool negative = false;
    if (!takeAffixes(s, symbols, negative))
        return {};
    Digits digits;
    if (negative)
        digits.text.append('-');
    if (!takeInteger(s, symbols, digits))
        return {};
    takeFraction(s, symbols, digits);
    if (digits.intDigits + digits.fractionDigits == 0)
        return {};
    if (!takeExponent(s, symbols, digits))
        return {};
    return convert(digits, negative);
}

std::optional<QString> NumberFormat::toNumberText(double value) const {
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0.0)
        value = 0.0; // drops the sign of -0

    char buf[32];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return std::nullopt;

    QString text;
    text.reserve(end - buf + 2);
    for (const char *p = buf; p != end; ++p) {
        switch (*p) {
        case '.':
            text += m_decimal;
            break;
        case 'e':
            text += u'E';
            break;
        default:
            text += QLatin1Char(*p);
        }
    }
    // Near the double limit, rounding to 15 digits can step past it.
    if (std::abs(value) > 1e308 && !toNumber(text))
        return std::nullopt;
    return text;
}

} // namespace tallaby::worksheet
