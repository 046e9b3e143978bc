#pragma once

#include <optional>
#include <QLocale>
#include <QString>
#include <QStringView>

namespace tallaby::worksheet {

// An amount text converted: no value when it does not convert, and then
// tooLarge when it is a number beyond the double range ("1e309", 400 digits).
struct ParsedAmount {
    std::optional<double> value;
    bool tooLarge = false;
};

// The two conversions every amount goes through, for one locale. Build it
// once and reuse it: it caches the locale's symbols.
//
// Amount text to number accepts, after blanks at both ends are dropped:
//   - a leading "+" or "-" (also U+2212 and the locale's own signs);
//   - digits, ASCII or the locale's own, with the locale's decimal separator;
//   - the locale's group separator between digits, in groups of three
//     (two-digit groups are allowed before the last one, as in 1,00,000);
//     where the locale groups with a (no-break) space a plain space counts;
//   - an exponent: "e" or "E", an optional sign and digits;
//   - the locale's currency symbol before or after the number ("$5", "5 €"),
//     and a negative amount in parentheses ("(5)", "($5)").
// A text with nothing else: empty, blanks only, a lone sign or separator,
// misplaced group separators, or a magnitude beyond the double range does
// not convert; parse() tells the last ("too large") from the others. A value
// too small for a double converts to zero.
//
// Number text is at most 15 significant digits, rounded, without grouping,
// trailing zeros or "+", with the locale's decimal separator and "-" for a
// negative value (never "-0"). Magnitudes from 1E+15 up and below 0.0001 are
// written with an exponent: "1.5E+15", "2.5E-07".
class NumberFormat {
public:
    explicit NumberFormat(const QLocale &locale = QLocale());

    const QLocale &locale() const { return m_locale; }

    ParsedAmount parse(QStringView amountText) const;
    std::optional<double> toNumber(QStringView amountText) const { return parse(amountText).value; }

    // Empty when the value has no number text: infinite, NaN, or so close
    // to the double limit that its rounded text would be out of range.
    std::optional<QString> toNumberText(double value) const;

private:
    QLocale m_locale;
    QString m_decimal;
    QString m_group;
    QString m_minus;
    QString m_plus;
    QString m_currency;
    QString m_exponential;
    char16_t m_zero = u'0';
    bool m_groupIsSpace = false;
};

// The repair rule for letter-led amounts: the text is not empty and its
// first UTF-16 code unit is 'a' (0x61) or above, i.e. it sorts ordinally at
// or after "a". Upper-case letters, digits, blanks and signs are below it.
constexpr bool isLetterLed(QStringView text) {
    return !text.isEmpty() && text.front().unicode() >= u'a';
}

} // namespace tallaby::worksheet
