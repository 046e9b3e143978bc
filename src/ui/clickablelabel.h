#pragma once

#include <QLabel>

namespace tallaby::ui {

// A label that acts on a click, with the pointing-hand cursor of a link.
class ClickableLabel final : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace tallaby::ui
