#pragma once

class QString;
class QWidget;

namespace tallaby::ui {

// What a screen reader is told about our own kinds of control: the summary
// box is read-only text it can read line by line, the web link and the
// banner are links it can follow, the About window is a dialog. Safe to
// call more than once; the windows call it before they are built.
void installAccessibility();

// Tells a screen reader why a field's figure cannot be used, or with an empty
// `why` that it can again: `why` becomes its description and, on a field the
// user types into, the invalid-entry state follows; both are announced.
void setInvalidEntry(QWidget *field, const QString &why);

// What a screen reader calls a control of the main window that its own
// caption does not name, by the control's name ("inc1", "Combo5", "totex");
// empty for the rest. A result label is read with its figure after this name.
QString accessibleName(const QString &control);

} // namespace tallaby::ui
