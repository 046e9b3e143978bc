#pragma once

// The colour scheme of our windows, in one place. Each surface is named by
// the classic system colour the layout gives it; the scheme maps those onto
// the user's Qt palette, keeps every text, edge and focus indicator readable
// on what it is drawn on, and colours every window again, marked fields
// included, whenever the palette changes.

#include <QColor>
#include <QList>
#include <QPalette>

class QPainter;
class QRect;
class QString;
class QWidget;

namespace tallaby::ui {

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

// The smallest contrast any text of ours may have against its background;
// large text, the edges of fields and focus indicators need less.
inline constexpr double kMinimumContrast = 4.5;
inline constexpr double kGraphicContrast = 3.0;

// Contrast of two colours by their relative luminance, 1 to 21.
double contrastRatio(const QColor &a, const QColor &b);
// `from` moved the fraction `t` (0 to 1) of the way towards `to`.
QColor blend(const QColor &from, const QColor &to, float t);
// The text colour itself if it is readable on the background; otherwise the
// same hue moved towards black or white just far enough.
QColor readableOn(const QColor &text, const QColor &background, double minimum = kMinimumContrast);

// The main window's back colours: the client area ("Form1") and each frame.
SystemColor fillOf(const QString &container);
// Tells the scheme what colour a container paints itself, for what lies on it.
void setFillOf(QWidget *container, SystemColor fill);

// How a control of ours is coloured.
enum class Paint {
    Face,          // on a box of button face (option and command buttons, picture boxes)
    Caption,       // button text straight on the frame behind it
    FaceCaption,   // button text on a box of button face, on frames of another colour
    InfoCaption,   // info text on the info background
    WindowCaption, // window text on the window colour
    Result,        // greyed text, darkened to read, on the usual background (a label's: info)
    ProductName,   // the highlight colour, large text, on button face
};
// Gives a control its colours now and at every applyScheme() over its window.
void setPaint(QWidget *widget, Paint paint);
// A field that needs the user's attention: tinted, with a red edge and a
// corner flag that read without the tint. Cheap when nothing changes.
void setMarked(QWidget *field, bool marked);

// Every window calls this when its palette changes (and once when built): the
// application's palette made readable, or the high-contrast one a desktop asks
// for through GTK; then every painted or marked control under `window`
// coloured from it.
void applyScheme(QWidget *window);

// A focus indicator: a ring two pixels wide along the inside of `rect`, in a
// colour at least 3:1 against every colour it covers.
QColor focusColour(const QPalette &palette, const QList<QColor> &covered);
void drawFocusRing(QPainter &painter, const QRect &rect, const QColor &colour);

// The About window's fixed dialog frame around `rect`: an outline that stands
// out from the face, then a raised edge.
void drawDialogFrame(QPainter &painter, const QRect &rect);
// The summary's text, and the band under the line where its caret is.
QColor summaryText(const QPalette &palette);
QColor readingBand(const QPalette &palette);

} // namespace tallaby::ui
