#include "ui/summarybox.h"

#include <QScrollBar>
#include <QTextCursor>

namespace tallaby::ui {

SummaryBox::SummaryBox(QWidget *parent)
    : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(false);
}

void SummaryBox::setText(const QString &text) {
    QScrollBar *vertical = verticalScrollBar();
    QScrollBar *horizontal = horizontalScrollBar();
    const int top = vertical->value();
    const int left = horizontal->value();

    if (text != m_text || document()->isModified()) {
        m_text = text;
        // A lone carriage return starts a new paragraph, so positions match the text.
        setPlainText(text);
        document()->setModified(false);
        ++m_relayouts;
    } else {
        const QTextCursor cursor = textCursor();
        if (!cursor.hasSelection() && cursor.position() == 0)
            return;
        setTextCursor(QTextCursor(document()));
    }
    vertical->setValue(top);
    horizontal->setValue(left);
}

} // namespace tallaby::ui
