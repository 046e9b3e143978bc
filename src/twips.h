#pragma once

#include <QRect>

// Twips, the length unit of the window layouts and the printing routines: 1440
// to the inch. Qt Core only, so every library can share it.
namespace tallaby {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerPoint = kTwipsPerInch / 72;
// A device-independent pixel is 1/96 inch; Qt scales those on high-DPI screens.
inline constexpr int kTwipsPerPixel = kTwipsPerInch / 96;

// The nearest whole number of device-independent pixels.
constexpr int twipsToPixels(int twips) {
    return (twips + (twips >= 0 ? kTwipsPerPixel / 2 : -kTwipsPerPixel / 2)) / kTwipsPerPixel;
}

// A length in device units at dotsPerInch, in twips, and back.
constexpr double unitsToTwips(double units, int dotsPerInch) {
    return units * kTwipsPerInch / dotsPerInch;
}
constexpr double twipsToUnits(double twips, int dotsPerInch) {
    return twips * dotsPerInch / kTwipsPerInch;
}

// Left, top, width and height, as the layout tables give them.
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

// Left, top, right and bottom edges: right and bottom are positions, not sizes.
struct TwipEdges {
    qint32 left = 0;
    qint32 top = 0;
    qint32 right = 0;
    qint32 bottom = 0;
};

} // namespace tallaby
