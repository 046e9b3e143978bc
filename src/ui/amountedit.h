#pragma once

#include <QLineEdit>

namespace tallaby::ui {

// An amount field. The keypad's decimal key types the locale's decimal
// separator, whatever the keyboard layout puts on it. A paste (or drop) that
// would make it longer than kCapacity is refused whole, with a tooltip that
// says so: every tick reads every amount, so they stay short.
class AmountEdit final : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kCapacity = 32767;

    explicit AmountEdit(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace tallaby::ui
