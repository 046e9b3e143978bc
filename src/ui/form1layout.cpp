#include "ui/form1layout.h"

#include "identity.h"
#include "worksheet/categories.h"
#include "worksheet/fields.h"

namespace tallaby::ui {

namespace {

using K = ControlKind;

// Tab indices of expense row n: the left column's combo boxes come early,
// the amounts follow, then the right column's combo boxes.
int categoryTabIndex(int row) {
    return row <= 15 ? 19 + row : 52 + row;
}

int amountTabIndex(int row) {
    if (row <= 15)
        return 34 + row;
    if (row == 16)
        return 51;
    if (row <= 27)
        return 35 + row;
    return 67;
}

void appendExpenseRows(std::vector<LayoutEntry> &layout) {
    for (int row = 1; row <= worksheet::kExpenseRowCount; ++row) {
        const bool left = row <= 16;
        const int top = 240 + 360 * (left ? row - 1 : row - 17);
        layout.push_back({QStringLiteral("Combo%1").arg(row),
                          K::ComboBox,
                          "Frame4",
                          {left ? 120 : 3720, top, 1815, 315},
                          categoryTabIndex(row),
                          worksheet::categoryPlaceholder()});
        layout.push_back({QStringLiteral("c%1").arg(row),
                          K::TextBox,
                          "Frame4",
                          {left ? 2040 : 5760, top, 1215, 285},
                          amountTabIndex(row),
                          {}});
    }
}

std::vector<LayoutEntry> makeLayout() {
    const QString maker = QLatin1String(kMakerAddress);
    // clang-format off
    std::vector<LayoutEntry> layout = {
        // name            kind               container  Left, Top, Width, Height   TabIndex  caption / text
        {"Frame1",         K::Frame,          "Form1",  {0, 0, 13455, 8895},        kNoTabIndex,  {}},
        {"Frame2",         K::Frame,          "Frame1", {3360, 120, 5295, 1455},    kNoTabIndex,  "Income Details After Deductions"},
        {"Frame3",         K::Frame,          "Frame1", {120, 960, 3135, 615},      kNoTabIndex, {}},
        {"Frame4",         K::Frame,          "Frame1", {120, 1560, 13215, 6015},   kNoTabIndex, "Expendature"},
        {"Frame6",         K::Frame,          "Frame1", {8760, 120, 4575, 1455},    kNoTabIndex, "Notes"},
        {"Picture1",       K::PictureBox,     "Frame1", {120, 240, 3135, 735},      1,  {}},
        {"Picture2",       K::PictureBox,     "Frame1", {120, 7680, 13215, 735},    89, {}},
        {"Label10",        K::Label,          "Frame1", {120, 8520, 13215, 255},    81,
            copyrightNotice() + ". " + kProductName + " is free for household use.",
            Centred | SingleBorder | WindowColours},

        {"Label2",         K::Label,          "Frame2", {120, 360, 615, 255},       6,  "Monthly"},
        {"mon",            K::OptionButton,   "Frame2", {720, 360, 255, 255},       3,  {}},
        {"Label1",         K::Label,          "Frame2", {120, 720, 615, 255},       5,  "Weekly"},
        {"wee",            K::OptionButton,   "Frame2", {720, 720, 255, 255},       4,  "Option2"},
        {"Label3",         K::Label,          "Frame2", {1320, 360, 1095, 375},     9,  "Your Income:"},
        {"inc1",           K::TextBox,        "Frame2", {1320, 600, 1215, 285},     7,  {}},
        {"Label4",         K::Label,          "Frame2", {2640, 360, 1215, 255},     10, "Partners Income:"},
        {"inc2",           K::TextBox,        "Frame2", {2640, 600, 1215, 285},     8,  {}},
        {"Label5",         K::Label,          "Frame2", {3960, 360, 1095, 255},     12, "Other Income:"},
        {"inc3",           K::TextBox,        "Frame2", {3960, 600, 1215, 285},     11, {}},
        {"Label7",         K::Label,          "Frame2", {1320, 1080, 1095, 255},    14, "Total Income:"},
        {"total1",         K::Label,          "Frame2", {2640, 1080, 1215, 255},    13, {},
            Result | SingleBorder | InfoBackground},
        {"Label6",         K::Label,          "Frame2", {3960, 1080, 255, 255},     17, "per"},
        {"week",           K::Label,          "Frame2", {3960, 1080, 975, 255},     18, {}, Centred},

        {"Command1",       K::CommandButton,  "Frame3", {120, 240, 1335, 255},      16, "Clear Values"},
        {"Command2",       K::CommandButton,  "Frame3", {1560, 240, 1455, 255},     87, "Print Summary"},

        {"RichTextBox1",   K::RichTextBox,    "Frame4", {7200, 240, 5895, 5415},    84, {}},
        {"Label12",        K::Label,          "Frame4", {7200, 5640, 5895, 255},    88,
            "Click here to visit " + maker + " ", Centred | SingleBorder | InfoBackground | Link},
        {"Frame5",         K::Frame,          "Frame4", {3600, 4560, 3495, 1335},   50, {}},

        {"Label11",        K::Label,          "Frame5", {840, 240, 1095, 255},      82, "Total Income :"},
        {"tottake",        K::TextBox,        "Frame5", {1920, 240, 1455, 285},     83, {}, Result},
        {"Label8",         K::Label,          "Frame5", {480, 600, 1455, 255},      65, "Total Expendature :"},
        {"totex",          K::Label,          "Frame5", {1920, 600, 1455, 255},     66, {},
            Result | SingleBorder | InfoBackground},
        {"Label9",         K::Label,          "Frame5", {240, 960, 1695, 255},      64, "Income - Expendature :"},
        {"free",           K::TextBox,        "Frame5", {1920, 960, 1455, 285},     63, {}, Result},

        {"RichTextBox2",   K::RichTextBox,    "Frame6", {120, 240, 4335, 1095},     86, {}},
    };
    // clang-format on
    appendExpenseRows(layout);
    return layout;
}

} // namespace

const std::vector<LayoutEntry> &form1Layout() {
    static const std::vector<LayoutEntry> layout = makeLayout();
    return layout;
}

} // namespace tallaby::ui
