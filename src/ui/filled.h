#pragma once

#include "ui/systemcolors.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>

namespace tallaby::ui {

// A container whose back colour is painted, not set in its palette: a
// palette of its own would be inherited by every control inside, and each
// would then miss the style's shared drawing cache. Follows the
// application palette as it changes.
template<class Base>
class Filled final : public Base {
public:
    using Base::Base;

    void setFill(SystemColor fill) {
        m_fill = fill;
        setFillOf(this, fill);
        this->update();
    }
    SystemColor fill() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent *event) override {
        {
            QPainter painter(this);
            painter.fillRect(event->rect(), systemColor(m_fill, QGuiApplication::palette()));
        }
        Base::paintEvent(event);
    }

private:
    SystemColor m_fill = SystemColor::ButtonFace;
};

} // namespace tallaby::ui
