#pragma once

#include "worksheet/fields.h"

#include <QString>

namespace tallaby::worksheet {

// Lines of the summary are separated by a lone carriage return.
inline constexpr char16_t kSummaryLineBreak = u'\r';

// The dated summary of incomes, totals, free cash and notes, composed from
// the fields as they stand. dateText is today's date as the user writes it.
QString composeSummary(const WorksheetFields &fields, const QString &dateText);

} // namespace tallaby::worksheet
