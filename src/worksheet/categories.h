#pragma once

#include <QStringList>

namespace tallaby::worksheet {

// The 31 expense categories, in the order the lists show them. They are
// labels for the user's eyes only and enter no figure.
const QStringList &expenseCategories();

// What every category box shows before anything is chosen; not a list entry.
QString categoryPlaceholder();

} // namespace tallaby::worksheet
