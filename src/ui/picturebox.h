#pragma once

#include <QFrame>
#include <QPixmap>

namespace tallaby::ui {

// A sunken box that draws its picture at natural size from the inner
// top-left corner, clipped. It takes the focus like a button, and a
// clickable one also answers Space and Enter.
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
    QPixmap m_pixmap;
    bool m_clickable = false;
};

} // namespace tallaby::ui
