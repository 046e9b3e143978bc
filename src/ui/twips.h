#pragma once

#include <QRect>

namespace tallaby::ui {

// Layout lengths are twips: 1440 to the inch, so 15 to a device-independent
// pixel. Qt scales device-independent pixels on high-DPI screens.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}

// Left, Top, Width, Height in twips, as the layout tables give them.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr QRect toPixels() const {
        return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                twipsToPixels(height)};
    }
};

} // namespace tallaby::ui
