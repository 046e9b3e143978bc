#include "ui/amountedit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLocale>

namespace tallaby::ui {

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent) {}

void AmountEdit::setNotANumber(bool notANumber) {
    if (notANumber == m_notANumber)
        return;
    m_notANumber = notANumber;
    applyMarking();
}

void AmountEdit::applyMarking() {
    QPalette marked = parentWidget() ? parentWidget()->palette() : palette();
    if (m_notANumber) {
        // A tint rather than a fixed colour keeps the text readable in dark themes.
        const QColor base = marked.color(QPalette::Base);
        const QColor warn(220, 40, 40);
        const QColor tint = QColor::fromRgbF(base.redF() * 0.7f + warn.redF() * 0.3f,
                                             base.greenF() * 0.7f + warn.greenF() * 0.3f,
                                             base.blueF() * 0.7f + warn.blueF() * 0.3f);
        marked.setColor(QPalette::Base, tint);
        setPalette(marked);
        const QString why = tr("Not a number: the totals wait until this amount is corrected.");
        setToolTip(why);
        setAccessibleDescription(why);
    } else {
        setPalette(QPalette());
        setToolTip({});
        setAccessibleDescription({});
    }
}

void AmountEdit::keyPressEvent(QKeyEvent *event) {
    // Under a comma locale the keypad's "." would otherwise not convert.
    if (event->modifiers().testFlag(Qt::KeypadModifier) &&
        (event->key() == Qt::Key_Period || event->key() == Qt::Key_Comma)) {
        insert(locale().decimalPoint());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void AmountEdit::changeEvent(QEvent *event) {
    QLineEdit::changeEvent(event);
    if (m_notANumber && event->type() == QEvent::ParentChange)
        applyMarking();
}

} // namespace tallaby::ui
