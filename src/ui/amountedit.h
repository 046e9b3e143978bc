#pragma once

#include <QLineEdit>

namespace tallaby::ui {

// An amount field. The keypad's decimal key types the locale's decimal
// separator, whatever the keyboard layout puts on it, and a field whose
// text is not a number can be marked so it stands out.
class AmountEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit AmountEdit(QWidget *parent = nullptr);

    void setNotANumber(bool notANumber);
    bool isNotANumber() const { return m_notANumber; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyMarking();

    bool m_notANumber = false;
};

} // namespace tallaby::ui
