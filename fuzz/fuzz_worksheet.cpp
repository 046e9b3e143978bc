// libFuzzer target: arbitrary text in every field of the worksheet, in several
// locales, through several ticks; aborts when something that must always hold
// after a tick does not. See the README for running it.
//
// Input, line by line ('\n'):
//   header   byte 0: the locale (mod 12, see kLocales); bytes 1 to 4: the
//            option before round 1 to 4 (mod 3: wee, mon, neither), absent:
//            left as it is. Digits read naturally: "0" is en_US, "31" en_IN
//            with mon.
//   rounds   up to four of 32 lines each: the 31 amounts (incomes, then the
//            expense rows), then the notes. A line sets its field, a line the
//            input does not reach leaves it as it is. The worksheet starts as
//            at start-up and ticks twice after each round (at least one).
// Escapes in a line: \uXXXX one UTF-16 code unit (lone surrogates too),
// \n \r \t \\, and \*D repeats the line so far 10^D times (D a digit), capped.
// Everything else is UTF-8; invalid bytes become U+FFFD.

#include "worksheet/conversions.h"
#include "worksheet/fields.h"
#include "worksheet/maker.h"
#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"
#include "worksheet/summary.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

using namespace tallaby::worksheet;

namespace {

constexpr int kRounds = 4;
constexpr int kLinesPerRound = kAmountFieldCount + 1;
// Huge enough for the parser's long paths; small enough for many runs a second.
constexpr qsizetype kMaxAmountLength = 1 << 14;
constexpr qsizetype kMaxNotesLength = 1 << 16;

constexpr std::array kLocales = {"en_US", "de_DE", "fr_FR", "en_IN", "C",     "de_CH",
                                 "sv_SE", "ar_EG", "fa_IR", "bn_BD", "pt_PT", "es_ES"};

const QDate kToday(2026, 12, 6);

constexpr std::array kResultFields = {Field::Tottake, Field::Total1, Field::Totex, Field::Free};

[[noreturn]] void fail(const char *what, const QString &detail = {}) {
    std::fprintf(stderr, "worksheet invariant broken: %s [%s]\n", what,
                 detail.left(200).toUtf8().constData());
    std::fflush(stderr);
    __builtin_trap();
}

void require(bool condition, const char *what, const QString &detail = {}) {
    if (!condition)
        fail(what, detail);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString decodeLine(std::string_view line, qsizetype maxLength) {
    QString text;
    std::string_view::size_type runStart = 0;
    const auto flush = [&](std::string_view::size_type end) {
        text += QString::fromUtf8(line.data() + runStart, qsizetype(end - runStart));
    };
    std::string_view::size_type i = 0;
    while (i < line.size() && text.size() < maxLength) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            ++i;
            continue;
        }
        flush(i);
        const char kind = line[i + 1];
        std::string_view::size_type next = i + 2;
        switch (kind) {
        case '\\':
            text += u'\\';
            break;
        case 'n':
            text += u'\n';
            break;
        case 'r':
            text += u'\r';
            break;
        case 't':
            text += u'\t';
            break;
        case 'u': {
            int unit = 0;
            bool ok = i + 6 <= line.size();
            for (std::string_view::size_type k = i + 2; ok && k < i + 6; ++k) {
                const int h = hexValue(line[k]);
                ok = h >= 0;
                unit = unit * 16 + h;
            }
            if (ok) {
                text += QChar(char16_t(unit));
                next = i + 6;
            } else {
                text += u'\\';
                next = i + 1;
            }
            break;
        }
        case '*':
            if (i + 2 < line.size() && line[i + 2] >= '0' && line[i + 2] <= '9' &&
                !text.isEmpty()) {
                qsizetype times = 1;
                for (char d = '0'; d < line[i + 2] && times * text.size() < maxLength; ++d)
                    times *= 10;
                text = text.repeated(std::min(times, maxLength / text.size() + 1));
                next = i + 3;
                break;
            }
            [[fallthrough]];
        default:
            text += u'\\';
            next = i + 1;
        }
        i = runStart = next;
    }
    if (text.size() < maxLength)
        flush(std::min(i, line.size()));
    text.truncate(maxLength);
    return text;
}

struct Snapshot {
    std::array<QString, kFieldCount> texts;
    bool wee = false;
    bool mon = false;

    explicit Snapshot(const MemoryFields &fields)
        : wee(fields.isSelected(Option::Wee))
        , mon(fields.isSelected(Option::Mon)) {
        for (int i = 0; i < kFieldCount; ++i)
            texts[i] = fields.text(Field(i));
    }
    const QString &operator[](Field field) const { return texts[index(field)]; }
};

// A text the tick writes for a figure: reads back to a value whose number
// text is this very text, and never an infinity, a NaN or a negative zero.
void requireNumberText(const NumberFormat &numbers, const QString &text, const char *what) {
    require(!text.contains(u"inf", Qt::CaseInsensitive), what, text);
    require(!text.contains(u"nan", Qt::CaseInsensitive), what, text);
    require(text != u"-0", what, text);
    const auto value = numbers.toNumber(text);
    require(value.has_value(), what, text);
    require(numbers.toNumberText(*value) == text, what, text);
}

using Amounts = std::array<std::optional<double>, kAmountFieldCount>;

// The amounts added in order, as the user reads them.
std::optional<QString> sumText(const NumberFormat &numbers, const Amounts &values, int first,
                               int count) {
    double sum = 0.0;
    for (int i = first; i < first + count; ++i) {
        if (!values[i])
            return std::nullopt;
        sum = i == first ? *values[i] : sum + *values[i];
    }
    return numbers.toNumberText(sum);
}

// Reads the summary from the top: every fixed line in its place, each value
// line with the field's text as it stands, the notes last.
void requireSummary(const Snapshot &after, const QString &dateText) {
    const QString doc = after[Field::RichTextBox1];
    qsizetype at = 0;
    const auto expect = [&](QStringView piece, const char *what) {
        require(QStringView(doc).sliced(at).startsWith(piece), what, doc.mid(at, 80));
        at += piece.size();
    };
    const QString br{QChar(kSummaryLineBreak)};
    expect(QStringLiteral("CASHFLOW SUMMARY - Please support us by visiting %1")
               .arg(QLatin1String(tallaby::kMakerAddress)),
           "summary title");
    expect(br + br, "break after the title");
    expect(u"DATE: ", "date line");
    expect(dateText, "date");
    expect(br + br, "break after the date");

    struct ValueLine {
        QStringView name;
        Field field;
        int breaks;
    };
    const ValueLine lines[] = {
        {u"Your Income", Field::Inc1, 1},        {u"Partners Income", Field::Inc2, 1},
        {u"Other Income", Field::Inc3, 1},       {u"Total Income", Field::Total1, 1},
        {u"Total Expendature", Field::Totex, 2}, {u"Free Cash", Field::Free, 2},
    };
    for (const ValueLine &line : lines) {
        expect(line.name, "value line label");
        while (at < doc.size() && doc[at] == u' ')
            ++at;
        expect(u": ", "value line colon");
        expect(after[line.field], "value line value");
        for (int i = 0; i < line.breaks; ++i)
            expect(br, "break after a value line");
    }
    expect(u"NOTES:", "notes heading");
    expect(br + br, "break after the notes heading");
    expect(after[Field::RichTextBox2], "notes");
    require(at == doc.size(), "nothing after the notes", doc.mid(at, 80));
}

void checkTick(const MemoryFields &fields, const Snapshot &before, const TickResult &result,
               const TickContext &context) {
    const NumberFormat &numbers = context.numbers;
    const Snapshot after(fields);

    Amounts values;
    for (int i = 0; i < kAmountFieldCount; ++i) {
        const Field f = amountField(i);
        require(!after[f].isEmpty(), "amount empty after a tick", fieldName(f));
        require(!isLetterLed(after[f]), "amount letter-led after a tick", after[f]);
        const bool repairable = before[f].isEmpty() || isLetterLed(before[f]);
        require(after[f] == before[f] || (repairable && after[f] == u"0"),
                "amount rewritten though not repairable", before[f]);
        values[i] = numbers.toNumber(after[f]);
        require(result.notANumber[i] == !values[i].has_value(),
                "notANumber disagrees with the amount", after[f]);
    }

    for (const Field f : kResultFields) {
        require(fields.writeCount(f) > 0 || after[f] == before[f], "result changed unwritten");
        if (fields.writeCount(f) > 0)
            requireNumberText(numbers, after[f], "result is not a number text");
    }
    if (fields.writeCount(Field::Week) > 0)
        require(after[Field::Week] == (after.wee ? u"week" : u"month") && (after.wee || after.mon),
                "period word", after[Field::Week]);
    else
        require(after[Field::Week] == before[Field::Week], "period word changed unwritten");

    require(result.complete == (result.notANumber.none() && !result.outOfRange),
            "complete disagrees with the failures");
    if (!result.complete) {
        require(fields.writeCount(Field::RichTextBox1) == 0, "summary written by a failed tick");
        return;
    }

    for (const Field f : kResultFields)
        require(fields.writeCount(f) > 0, "result not written by a complete tick", fieldName(f));
    require(after[Field::Tottake] == after[Field::Total1], "tottake differs from total1");
    if (after.wee || after.mon)
        require(fields.writeCount(Field::Week) > 0, "period word not written");
    require(sumText(numbers, values, index(Field::Inc1), kIncomeCount) == after[Field::Total1],
            "total income is not the sum of the incomes", after[Field::Total1]);
    require(sumText(numbers, values, index(Field::C1), kExpenseRowCount) == after[Field::Totex],
            "total expenditure is not the sum of the rows", after[Field::Totex]);
    const double freeCash =
        *numbers.toNumber(after[Field::Total1]) - *numbers.toNumber(after[Field::Totex]);
    require(numbers.toNumberText(freeCash) == after[Field::Free],
            "free cash is not the shown total less the shown expenditure", after[Field::Free]);
    requireSummary(after, numbers.locale().toString(kToday, QLocale::ShortFormat));
}

void tickAndCheck(MemoryFields &fields, const TickContext &context) {
    const Snapshot before(fields);
    fields.resetWriteCounts();
    const TickResult result = recalculate(fields, context);
    checkTick(fields, before, result, context);

    // Nothing changed in between, so a second tick must change nothing.
    const Snapshot settled(fields);
    fields.resetWriteCounts();
    const TickResult again = recalculate(fields, context);
    require(again.complete == result.complete && again.outOfRange == result.outOfRange &&
                again.notANumber == result.notANumber,
            "a repeated tick reports differently");
    for (int i = 0; i < kFieldCount; ++i)
        require(fields.text(Field(i)) == settled.texts[i], "a repeated tick changed a field",
                fieldName(Field(i)));
}

const std::vector<TickContext> &contexts() {
    static const std::vector<TickContext> all = [] {
        std::vector<TickContext> list;
        for (const char *name : kLocales)
            list.push_back({NumberFormat(QLocale(QString::fromLatin1(name))), [] {
                                return kToday;
                            }});
        return list;
    }();
    return all;
}

void select(MemoryFields &fields, unsigned char choice) {
    switch (choice % 3) {
    case 0:
        fields.setSelected(Option::Wee);
        break;
    case 1:
        fields.setSelected(Option::Mon);
        break;
    default:
        fields.clearSelection();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    std::vector<std::string_view> lines;
    for (std::string_view::size_type start = 0; start <= input.size();) {
        const auto end = std::min(input.find('\n', start), input.size());
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const std::string_view header = lines.front();
    const TickContext &context =
        contexts()[header.empty() ? 0 : static_cast<unsigned char>(header[0]) % kLocales.size()];

    MemoryFields fields;
    applyStartValues(fields);
    for (int round = 0; round < kRounds; ++round) {
        const std::size_t first = 1 + std::size_t(round) * kLinesPerRound;
        if (round > 0 && first >= lines.size())
            break;
        for (std::size_t k = 0; k < kLinesPerRound && first + k < lines.size(); ++k) {
            const bool notes = k == kAmountFieldCount;
            fields.setText(
                notes ? Field::RichTextBox2 : amountField(int(k)),
                decodeLine(lines[first + k], notes ? kMaxNotesLength : kMaxAmountLength));
        }
        if (header.size() > std::size_t(round) + 1)
            select(fields, static_cast<unsigned char>(header[round + 1]));
        tickAndCheck(fields, context);
    }
    return 0;
}
