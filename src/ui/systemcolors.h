#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace tallaby::ui {

// The named system colours our windows use, after the classic desktop
// palette; systemColor() maps each onto the user's Qt palette so the windows
// follow a light or dark theme.
enum class SystemColor {
    ThreeDLight,         // COLOR_3DLIGHT
    InfoBackground,      // COLOR_INFOBK
    ActiveBorder,        // COLOR_ACTIVEBORDER
    InactiveCaptionText, // COLOR_INACTIVECAPTIONTEXT
    Window,              // COLOR_WINDOW
    WindowText,          // COLOR_WINDOWTEXT
    ButtonFace,          // COLOR_BTNFACE
    ButtonText,          // COLOR_BTNTEXT
    Highlight,           // COLOR_HIGHLIGHT
};

QColor systemColor(SystemColor color, const QPalette &palette);

// Paints a widget's background (and optionally its text) in system colours.
void setBackground(QWidget *widget, SystemColor background);
void setColors(QWidget *widget, SystemColor background, SystemColor text);

} // namespace tallaby::ui
