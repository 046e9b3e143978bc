#pragma once

#include <QIcon>
#include <QPixmap>

namespace tallaby::ui {

// One of our pictures at its natural size in device-independent pixels,
// drawn from its 2x image ("name@2x.ext") on screens with more pixels, so
// it stays sharp while the layout keeps its size.
QPixmap artwork(const QString &file, qreal devicePixelRatio);

// The program's icon, from the same set of sizes the desktop installs.
QIcon applicationIcon();

} // namespace tallaby::ui
