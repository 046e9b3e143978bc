#include "ui/systemcolors.h"

#include <algorithm>
#include <cmath>
#include <QGuiApplication>
#include <QWidget>

namespace tallaby::ui {

namespace {

struct ColorMapping {
    SystemColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The one place where the classic colours meet Qt's palette roles.
constexpr ColorMapping kMappings[] = {
    {SystemColor::ThreeDLight, QPalette::Active, QPalette::Midlight},
    {SystemColor::InfoBackground, QPalette::Active, QPalette::ToolTipBase},
    {SystemColor::InfoText, QPalette::Active, QPalette::ToolTipText},
    // A shade of its own between the face and the shadow, as window borders had.
    {SystemColor::ActiveBorder, QPalette::Active, QPalette::Mid},
    {SystemColor::InactiveCaptionText, QPalette::Active, QPalette::Dark},
    {SystemColor::Window, QPalette::Active, QPalette::Base},
    {SystemColor::WindowText, QPalette::Active, QPalette::Text},
    {SystemColor::ButtonFace, QPalette::Active, QPalette::Button},
    {SystemColor::ButtonText, QPalette::Active, QPalette::ButtonText},
    {SystemColor::Highlight, QPalette::Active, QPalette::Highlight},
};

} // namespace

QColor systemColor(SystemColor color, const QPalette &palette) {
    for (const ColorMapping &m : kMappings) {
        if (m.color == color)
            return palette.color(m.group, m.role);
    }
    return {};
}

namespace {

double luminance(const QColor &color) {
    const auto linear = [](float c) {
        return c <= 0.04045f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor blend(const QColor &from, const QColor &to, float t) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
                            from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

QColor readableOn(const QColor &text, const QColor &background) {
    if (contrastRatio(text, background) >= kMinimumContrast)
        return text;
    const QColor extreme =
        contrastRatio(Qt::black, background) > contrastRatio(Qt::white, background) ? Qt::black
                                                                                    : Qt::white;
    constexpr int kSteps = 16;
    for (int step = 1; step < kSteps; ++step) {
        const QColor mixed = blend(text, extreme, float(step) / kSteps);
        if (contrastRatio(mixed, background) >= kMinimumContrast)
            return mixed;
    }
    return extreme;
}

void setBackground(QWidget *widget, SystemColor background) {
    QPalette palette = widget->palette();
    const QColor color = systemColor(background, QGuiApplication::palette());
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setColors(QWidget *widget, SystemColor background, SystemColor text) {
    setBackground(widget, background);
    QPalette palette = widget->palette();
    const QPalette &system = QGuiApplication::palette();
    const QColor color = readableOn(systemColor(text, system), systemColor(background, system));
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace tallaby::ui
