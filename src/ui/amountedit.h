#pragma once

#include <QLineEdit>

namespace tallaby::ui {

// An amount field. The keypad's decimal key types the locale's decimal
// separator, whatever the keyboard layout puts on it.
class AmountEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit AmountEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace tallaby::ui
