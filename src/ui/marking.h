#pragma once

#include "worksheet/fields.h"
#include "worksheet/recalculation.h"

#include <QString>

class QWidget;

namespace tallaby::ui {

// What the user is told about a field after a tick: empty when its figure is
// current, else why it is not and what waits for it. For amount fields and
// for the outputs a tick could not show (tottake, total1, totex, free).
QString tickProblem(const worksheet::TickResult &tick, worksheet::Field field);

// Why the summary is behind the worksheet after `tick`, field by field, in
// the same words; empty when it is current. A print is refused with it.
QString whySummaryIsNotCurrent(const worksheet::TickResult &tick);

// Marks a field that needs the user's attention: tinted from its own colour
// with a red edge of its own (see setMarked), and `why` as tooltip and
// accessible description. An empty `why` gives the field back its colours.
// Cheap to call on every tick.
void setMarking(QWidget *field, const QString &why);

} // namespace tallaby::ui
