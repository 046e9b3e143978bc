#pragma once

#include "twips.h"

#include <QString>
#include <vector>

namespace tallaby::ui {

enum class ControlKind {
    Frame,
    Label,
    TextBox,
    ComboBox,
    OptionButton,
    CommandButton,
    PictureBox,
    RichTextBox,
};

// How a control departs from the usual look of its kind.
enum Look : unsigned {
    Usual = 0,
    Result = 1u << 0, // shown readably, but never focused, clicked into or typed into
    SingleBorder = 1u << 1,
    Centred = 1u << 2,
    InfoBackground = 1u << 3, // COLOR_INFOBK behind
    WindowColours = 1u << 4,  // COLOR_WINDOW behind, COLOR_WINDOWTEXT on it
    Link = 1u << 5,           // opens the maker's site when clicked
};

inline constexpr int kNoTabIndex = -1;

struct LayoutEntry {
    QString name;
    ControlKind kind;
    QString container; // "Form1" for the client area
    TwipRect rect;
    int tabIndex;
    QString caption; // caption or initial text
    unsigned look = Usual;
};

// The main window's client area, 13530 x 8880 twips.
inline constexpr int kForm1ClientWidth = 13530;
inline constexpr int kForm1ClientHeight = 8880;

// Every control of the main window, containers before what they hold, in
// creation order. The 28 expense rows come from one rule.
const std::vector<LayoutEntry> &form1Layout();

} // namespace tallaby::ui
