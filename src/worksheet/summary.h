#pragma once

#include "worksheet/fields.h"

#include <QString>

namespace tallaby::worksheet {

// Lines of the summary are separated by a lone carriage return.
inline constexpr char16_t kSummaryLineBreak = u'\r';

// The dated summary of incomes, totals and free cash, composed from the
// fields as they stand, up to and including the "NOTES:" heading and the two
// breaks after it: the whole summary is this followed by the notes' text.
// dateText is today's date as the user writes it.
QString composeSummaryHead(const WorksheetFields &fields, const QString &dateText);

} // namespace tallaby::worksheet
