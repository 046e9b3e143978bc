#pragma once

namespace tallaby::ui {

// What a screen reader is told about our own kinds of control: the summary
// box is read-only text it can read line by line, the web link and the
// banner are links it can follow, the About window is a dialog. Safe to
// call more than once; the windows call it before they are built.
void installAccessibility();

} // namespace tallaby::ui
