#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <QPixmap>

namespace tallaby::ui {

// A sunken box that draws its picture at natural size from the inner
// top-left corner, clipped. It takes the focus like a button, shows it with
// a ring that stands out from the picture, and a clickable one also answers
// Space and Enter.
class PictureBox final : public QFrame {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    void setPixmap(const QPixmap &pixmap);
    const QPixmap &pixmap() const { return m_pixmap; }
    void setClickable(bool clickable);
    bool isClickable() const { return m_clickable; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QList<QColor> coveredByRing() const;

    QPixmap m_pixmap;
    bool m_clickable = false;
};

} // namespace tallaby::ui
