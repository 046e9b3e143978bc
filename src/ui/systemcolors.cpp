#include "ui/systemcolors.h"

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
    {SystemColor::ActiveBorder, QPalette::Active, QPalette::Window},
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
    const QColor color = systemColor(text, QGuiApplication::palette());
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace tallaby::ui
