#include "ui/picturebox.h"

#include "ui/systemcolors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>

namespace tallaby::ui {

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
}

void PictureBox::setPixmap(const QPixmap &pixmap) {
    m_pixmap = pixmap;
    update();
}

void PictureBox::setClickable(bool clickable) {
    m_clickable = clickable;
    setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void PictureBox::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawPixmap(inner.topLeft(), m_pixmap);
    // Shown from the start, not only after a key: the window opens with the focus here.
    if (hasFocus())
        drawFocusRing(painter, inner, focusColour(palette(), coveredByRing()));
}

// The colours the focus ring lies on: the picture along the box's inside, and
// the box where the picture does not reach.
QList<QColor> PictureBox::coveredByRing() const {
    const QImage image = m_pixmap.toImage();
    const qreal scale = m_pixmap.devicePixelRatio();
    const QRect ring(QPoint(), contentsRect().size());
    QSet<QRgb> seen{palette().color(backgroundRole()).rgb()};
    constexpr int kRingWidth = 2;
    for (int x = 0; x < ring.width(); ++x) {
        for (int y = 0; y < ring.height(); ++y) {
            if (x >= kRingWidth && x < ring.width() - kRingWidth && y == kRingWidth)
                y = ring.height() - kRingWidth; // skip the inside
            const QPoint at(int(x * scale), int(y * scale));
            if (image.valid(at))
                seen.insert(image.pixel(at) | 0x0f0f0fu); // near shades alike
        }
    }
    QList<QColor> covered;
    for (QRgb rgb : std::as_const(seen))
        covered << QColor(rgb);
    return covered;
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event) {
    if (m_clickable && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

void PictureBox::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (m_clickable && event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

} // namespace tallaby::ui
