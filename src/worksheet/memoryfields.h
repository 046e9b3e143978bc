#pragma once

#include "worksheet/fields.h"

#include <array>

namespace tallaby::worksheet {

// The worksheet as plain strings, for code that runs without a window:
// tests, benchmarks and the fuzzer. Counts writes so a test can tell a
// field that was rewritten from one that was left alone.
class MemoryFields final : public WorksheetFields {
public:
    MemoryFields() = default;

    QString text(Field field) const override { return m_texts[index(field)]; }
    void setText(Field field, const QString &text) override;
    bool isSelected(Option option) const override { return m_selected == option && m_anySelected; }
    void setSelected(Option option) override;
    std::uint64_t revision(Field field) const override { return m_revisions[index(field)]; }
    void clearSelection() { m_anySelected = false; }

    int writeCount(Field field) const { return m_writes[index(field)]; }
    void resetWriteCounts() { m_writes.fill(0); }

private:
    std::array<QString, kFieldCount> m_texts;
    std::array<int, kFieldCount> m_writes{};
    std::array<std::uint64_t, kFieldCount> m_revisions = [] {
        std::array<std::uint64_t, kFieldCount> first;
        first.fill(1);
        return first;
    }();
    Option m_selected = Option::Wee;
    bool m_anySelected = false;
};

} // namespace tallaby::worksheet
