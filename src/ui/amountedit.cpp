#include "ui/amountedit.h"

#include <QKeyEvent>
#include <QLocale>

namespace tallaby::ui {

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent) {}

void AmountEdit::keyPressEvent(QKeyEvent *event) {
    // Under a comma locale the keypad's "." would otherwise not convert.
    if (event->modifiers().testFlag(Qt::KeypadModifier) &&
        (event->key() == Qt::Key_Period || event->key() == Qt::Key_Comma)) {
        insert(locale().decimalPoint());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace tallaby::ui
