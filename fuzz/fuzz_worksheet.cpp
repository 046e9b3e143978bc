// libFuzzer target: arbitrary text in every field through several ticks, in
// several locales; traps when something that must hold after every tick does
// not. Input lines: a header (byte 0 picks the locale, bytes 1 to 4 the option
// before each round, mod 3: wee, mon, neither), then up to four rounds of the
// 31 amounts and the notes, each round ticked. \uXXXX gives any UTF-16 unit.

#include "worksheet/memoryfields.h"
#include "worksheet/recalculation.h"
#include "worksheet/summary.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

using namespace tallaby::worksheet;

namespace {

constexpr int kRounds = 4;
constexpr int kLinesPerRound = kAmountFieldCount + 1;
constexpr std::array kLocales = {"en_US", "de_DE", "fr_FR", "en_IN", "C",     "de_CH",
                                 "sv_SE", "ar_EG", "fa_IR", "bn_BD", "pt_PT", "es_ES"};
constexpr std::array kResults = {Field::Tottake, Field::Total1, Field::Totex, Field::Free};

void require(bool condition, const char *what, const QString &detail = {}) {
    if (condition)
        return;
    std::fprintf(stderr, "worksheet invariant broken: %s [%s]\n", what,
                 detail.left(200).toUtf8().constData());
    __builtin_trap();
}

QString decodeLine(std::string_view line) {
    QString text;
    for (std::size_t at; (at = line.find("\\u")) != line.npos && at + 6 <= line.size();) {
        bool ok = false;
        const ushort unit = QByteArray(line.data() + at + 2, 4).toUShort(&ok, 16);
        text += QString::fromUtf8(line.data(), qsizetype(ok ? at : at + 2));
        if (ok)
            text += QChar(unit);
        line.remove_prefix(ok ? at + 6 : at + 2);
    }
    return text + QString::fromUtf8(line.data(), qsizetype(line.size()));
}

TickResult tickAndCheck(MemoryFields &fields, const TickContext &context,
                        const TickResult &previous) {
    std::array<QString, kAmountFieldCount> before;
    for (int i = 0; i < kAmountFieldCount; ++i)
        before[i] = fields.text(Field(i));
    fields.resetWriteCounts();
    TickResult result = recalculate(fields, context, previous);
    const NumberFormat &numbers = context.numbers;

    for (int i = 0; i < kAmountFieldCount; ++i) {
        const QString text = fields.text(amountField(i));
        require(!text.isEmpty() && !isLetterLed(text), "amount left unrepaired", text);
        const bool repairable = before[i].isEmpty() || isLetterLed(before[i]);
        require(text == before[i] || (repairable && text == u"0"), "amount rewritten", before[i]);
        require(result.notANumber[i] == !numbers.toNumber(text), "notANumber is wrong", text);
        require(result.notANumber[i] || !result.tooLarge[i], "too large, yet converted", text);
    }
    for (const Field f : kResults) {
        if (fields.writeCount(f) == 0)
            continue;
        const QString text = fields.text(f);
        const auto value = numbers.toNumber(text);
        require(value && numbers.toNumberText(*value) == text, "result does not read back", text);
    }
    if (!result.complete)
        return result;
    require(fields.text(Field::Tottake) == fields.text(Field::Total1), "the two income totals");
    const QString date = numbers.locale().toString(context.today(), QLocale::ShortFormat);
    require(fields.text(Field::RichTextBox1) ==
                composeSummaryHead(fields, date) + fields.text(Field::RichTextBox2),
            "summary behind the fields");
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= input.size();) {
        const auto end = std::min(input.find('\n', start), input.size());
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const std::string_view header = lines.front();
    const char *locale = kLocales[header.empty() ? 0 : std::uint8_t(header[0]) % kLocales.size()];
    const TickContext context{NumberFormat(QLocale(QString::fromLatin1(locale))), [] {
                                  return QDate(2026, 12, 6);
                              }};
    MemoryFields fields;
    applyStartValues(fields);
    TickResult last;
    for (int round = 0; round < kRounds; ++round) {
        const std::size_t first = 1 + std::size_t(round) * kLinesPerRound;
        if (round > 0 && first >= lines.size())
            break;
        for (std::size_t k = 0; k < kLinesPerRound && first + k < lines.size(); ++k)
            fields.setText(k == kAmountFieldCount ? Field::RichTextBox2 : amountField(int(k)),
                           decodeLine(lines[first + k]));
        if (header.size() > std::size_t(round) + 1) {
            const int option = static_cast<unsigned char>(header[round + 1]) % 3;
            if (option == 2)
                fields.clearSelection();
            else
                fields.setSelected(option == 0 ? Option::Wee : Option::Mon);
        }
        last = tickAndCheck(fields, context, last);
    }
    return 0;
}
