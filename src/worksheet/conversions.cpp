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

std::optional<double> NumberFormat::toNumber(QStringView text) const {
    QStringView s = text.trimmed();

    bool parenthesised = false;
    if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
        parenthesised = true;
        s = s.sliced(1, s.size() - 2).trimmed();
    }

    bool currency = take(s, m_currency);
    if (currency)
        s = s.trimmed();

    bool negative = false;
    bool signed_ = false;
    if (take(s, u"-") || take(s, QStringView(&kMathMinus, 1)) || take(s, m_minus)) {
        negative = signed_ = true;
    } else if (take(s, u"+") || take(s, m_plus)) {
        signed_ = true;
    }
    if (!currency && signed_ && take(s, m_currency)) {
        currency = true;
        s = s.trimmed();
    }
    if (!currency && takeBack(s, m_currency)) {
        currency = true;
        s = s.trimmed();
    }
    if (parenthesised) {
        if (signed_)
            return std::nullopt;
        negative = true;
    }

    const auto digitValue = [this](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (m_zero != u'0' && u >= m_zero && u <= m_zero + 9)
            return u - m_zero;
        return -1;
    };
    const auto isGroupAt = [&](qsizetype i) -> qsizetype {
        const QStringView rest = s.sliced(i);
        if (!m_group.isEmpty() && rest.startsWith(m_group))
            return m_group.size();
        if (m_groupIsSpace && rest.front() == u' ')
            return 1;
        return 0;
    };

    QVarLengthArray<char, 64> buf;
    if (negative)
        buf.append('-');

    qsizetype i = 0;
    const qsizetype n = s.size();

    // Integer part with optional grouping.
    int intDigits = 0;
    int significantIntDigits = 0;
    int groupLength = 0;
    int groups = 0;
    while (i < n) {
        const int d = digitValue(s[i]);
        if (d >= 0) {
            buf.append(char('0' + d));
            ++intDigits;
            ++groupLength;
            if (d != 0 || significantIntDigits > 0)
                ++significantIntDigits;
            ++i;
            continue;
        }
        const qsizetype sep = intDigits > 0 ? isGroupAt(i) : 0;
        if (sep == 0 || i + sep >= n || digitValue(s[i + sep]) < 0)
            break;
        const bool fits = groups == 0 ? groupLength <= 3 : (groupLength == 2 || groupLength == 3);
        if (!fits)
            return std::nullopt;
        ++groups;
        groupLength = 0;
        i += sep;
    }
    if (groups > 0 && groupLength != 3)
        return std::nullopt;

    // Fraction.
    int fractionDigits = 0;
    int leadingFractionZeros = 0;
    if (i < n && s.sliced(i).startsWith(m_decimal)) {
        i += m_decimal.size();
        buf.append('.');
        while (i < n) {
            const int d = digitValue(s[i]);
            if (d < 0)
                break;
            if (d == 0 && leadingFractionZeros == fractionDigits)
                ++leadingFractionZeros;
            buf.append(char('0' + d));
            ++fractionDigits;
            ++i;
        }
    }
    if (intDigits + fractionDigits == 0)
        return std::nullopt;

    // Exponent.
    long long exponent = 0;
    bool negativeExponent = false;
    if (i < n) {
        QStringView rest = s.sliced(i);
        if (!(take(rest, u"e") || take(rest, u"E") || take(rest, m_exponential)))
            return std::nullopt;
        if (take(rest, u"-") || take(rest, QStringView(&kMathMinus, 1)) || take(rest, m_minus))
            negativeExponent = true;
        else
            (void)(take(rest, u"+") || take(rest, m_plus));
        if (rest.isEmpty())
            return std::nullopt;
        buf.append('e');
        if (negativeExponent)
            buf.append('-');
        for (const QChar c : rest) {
            const int d = digitValue(c);
            if (d < 0)
                return std::nullopt;
            buf.append(char('0' + d));
            accumulateExponent(exponent, d);
        }
        i = n;
    }

    double value = 0.0;
    const auto [end, ec] = std::from_chars(buf.data(), buf.data() + buf.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Decide by the decimal magnitude whether it overflowed or underflowed.
        const long long signedExponent = negativeExponent ? -exponent : exponent;
        const long long magnitude = significantIntDigits > 0
                                        ? significantIntDigits + signedExponent
                                        : signedExponent - leadingFractionZeros;
        if (magnitude > 0)
            return std::nullopt;
        return negative ? -0.0 : 0.0;
    }
    if (ec != std::errc() || end != buf.data() + buf.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
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
