#pragma once

#include "printing/summarylayout.h"

#include <QAbstractScrollArea>
#include <utility>

namespace tallaby::ui {

// The summary box. It shows the summary's one layout, made for the printer,
// at true size, so its lines break where the printed ones do; until a
// printer answers, lines break at the box's own width. Every tick writes the
// whole summary; an unchanged one costs a comparison, and the reader's
// scroll position is kept either way. Read-only: anything typed into it
// would be gone at the next tick. Ctrl+C copies the whole summary. A caret
// that the arrow keys move gives screen readers a reading position.
class SummaryBox final : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit SummaryBox(QWidget *parent = nullptr);

    printing::SummaryLayout &layout() { return m_layout; }

    // Lines are separated by lone carriage returns, as in the text written.
    QString text() const { return m_layout.text(); }
    void setText(const QString &text);

    // The text from `start` to `end` (-1: to its end) as a screen reader reads
    // it: line feeds for the carriage returns, so offsets are those of text().
    QString accessibleText(int start = 0, int end = -1) const;
    int textLength() const { return int(m_layout.text().size()); }
    int cursorPosition() const { return m_caret; }
    void setCursorPosition(int position);
    // The laid-out line holding a position: its start and its end.
    std::pair<int, int> lineAt(int position) const;
    // Where that line is shown, in viewport coordinates.
    QRect lineRect(int position) const;

    // How many times the lines were laid out again; for tests and benchmarks.
    int relayoutCount() const { return m_relayouts; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void onLayoutChanged();
    void updateScrollBars();
    qreal scale() const;
    qreal lineHeight() const;
    void moveCaret(QKeyEvent *event);

    printing::SummaryLayout m_layout;
    int m_relayouts = 0;
    QString m_announced; // the text screen readers were last told of
    int m_caret = 0;
};

} // namespace tallaby::ui
