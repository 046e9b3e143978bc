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
    InfoText,            // COLOR_INFOTEXT
    ActiveBorder,        // COLOR_ACTIVEBORDER
    InactiveCaptionText, // COLOR_INACTIVECAPTIONTEXT
    Window,              // COLOR_WINDOW
    WindowText,          // COLOR_WINDOWTEXT
    ButtonFace,          // COLOR_BTNFACE
    ButtonText,          // COLOR_BTNTEXT
    Highlight,           // COLOR_HIGHLIGHT
};

QColor systemColor(SystemColor color, const QPalette &palette);

// The smallest contrast any text of ours may have against its background.
inline constexpr double kMinimumContrast = 4.5;

// Contrast of two colours by their relative luminance, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);
// `from` moved the fraction `t` (0 to 1) of the way towards `to`.
QColor blend(const QColor &from, const QColor &to, float t);
// The text colour itself if it is readable on the background; otherwise the
// same hue moved towards black or white just far enough.
QColor readableOn(const QColor &text, const QColor &background);

// Paints a widget's background (and optionally its text) in system colours;
// a text colour is kept readable on its background.
void setBackground(QWidget *widget, SystemColor background);
void setColors(QWidget *widget, SystemColor background, SystemColor text);

} // namespace tallaby::ui
