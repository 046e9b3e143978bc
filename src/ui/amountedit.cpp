#include "ui/amountedit.h"

#include <limits>
#include <QKeyEvent>
#include <QLocale>
#include <QToolTip>
#include <QValidator>

namespace tallaby::ui {

namespace {

// Refuses, whole, an edit that would leave the field longer than it holds.
class CapacityValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override {
        return input.size() > AmountEdit::kCapacity ? Invalid : Acceptable;
    }
};

} // namespace

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent) {
    // The line edit's own limit would keep the start of a long paste without
    // a word; the validator refuses it whole and the user is told.
    setMaxLength(std::numeric_limits<int>::max());
    setValidator(new CapacityValidator(this));
    connect(this, &QLineEdit::inputRejected, this, [this] {
        QToolTip::showText(mapToGlobal(rect().bottomLeft()),
                           QStringLiteral("Not taken: an amount holds at most %1 characters.")
                               .arg(locale().toString(kCapacity)),
                           this);
    });
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

} // namespace tallaby::ui
