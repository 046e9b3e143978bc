#include "ui/summarybox.h"

#include "twips.h"
#include "ui/systemcolors.h"

#include <algorithm>
#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace tallaby::ui {

namespace {
constexpr int kMargin = 4; // pixels between the border and the text
} // namespace

SummaryBox::SummaryBox(QWidget *parent)
    : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(&m_layout, &printing::SummaryLayout::layoutChanged, this, &SummaryBox::onLayoutChanged);
}

void SummaryBox::setText(const QString &text) {
    m_layout.setText(text);
}

void SummaryBox::onLayoutChanged() {
    ++m_relayouts;
    updateScrollBars();
    viewport()->update();
    m_caret = std::min(m_caret, textLength());
    // Only a listening screen reader costs a copy of the summary.
    if (QAccessible::isActive()) {
        QString now = accessibleText();
        if (now != m_announced) {
            QAccessibleTextUpdateEvent event(this, 0, m_announced, now);
            QAccessible::updateAccessibility(&event);
            m_announced = std::move(now);
        }
    }
}

QString SummaryBox::accessibleText(int start, int end) const {
    return m_layout.text().mid(start, end < 0 ? -1 : end - start).replace(u'\r', u'\n');
}

void SummaryBox::setCursorPosition(int position) {
    m_caret = std::clamp(position, 0, textLength());
    // Keep the caret's line in view.
    const QRect line = lineRect(m_caret);
    QScrollBar *bar = verticalScrollBar();
    if (line.top() < 0)
        bar->setValue(bar->value() + line.top());
    else if (line.bottom() >= viewport()->height())
        bar->setValue(bar->value() + line.bottom() - viewport()->height() + 1);
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent event(this, m_caret);
        QAccessible::updateAccessibility(&event);
    }
}

std::pair<int, int> SummaryBox::lineAt(int position) const {
    const QList<qint32> starts = m_layout.lineStarts();
    const auto next = std::upper_bound(starts.begin(), starts.end(), position);
    const int start = next == starts.begin() ? 0 : *(next - 1);
    const int end = next == starts.end() ? textLength() : *next;
    return {start, end};
}

qreal SummaryBox::lineHeight() const {
    const qsizetype lines = std::max<qsizetype>(1, m_layout.lineStarts().size());
    return m_layout.size().height() * scale() / lines;
}

QRect SummaryBox::lineRect(int position) const {
    const QList<qint32> starts = m_layout.lineStarts();
    const auto index = std::upper_bound(starts.begin(), starts.end(), position) - starts.begin();
    const qreal top =
        kMargin - verticalScrollBar()->value() + (std::max<qsizetype>(index, 1) - 1) * lineHeight();
    return QRectF(kMargin - horizontalScrollBar()->value(), top, m_layout.size().width() * scale(),
                  lineHeight())
        .toAlignedRect();
}

void SummaryBox::moveCaret(QKeyEvent *event) {
    const auto [start, end] = lineAt(m_caret);
    const int column = m_caret - start;
    const auto onLine = [this, column](int position) {
        const auto [first, last] = lineAt(position);
        // Stay before the line's break.
        return std::min(first + column, std::max(first, last - 1));
    };
    const int size = textLength();
    const bool whole = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Left:
        setCursorPosition(m_caret - 1);
        break;
    case Qt::Key_Right:
        setCursorPosition(m_caret + 1);
        break;
    case Qt::Key_Up:
        setCursorPosition(start == 0 ? m_caret : onLine(start - 1));
        break;
    case Qt::Key_Down:
        setCursorPosition(end >= size ? m_caret : onLine(end));
        break;
    case Qt::Key_Home:
        setCursorPosition(whole ? 0 : start);
        break;
    case Qt::Key_End:
        setCursorPosition(whole ? size : std::max(start, end < size ? end - 1 : end));
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        break;
    }
}

qreal SummaryBox::scale() const {
    return m_layout.scaleFor(*viewport());
}

void SummaryBox::updateScrollBars() {
    const QSize content = (m_layout.size() * scale()).toSize() + QSize(2 * kMargin, 2 * kMargin);
    const QSize view = viewport()->size();
    // Keeping the values where they are keeps the reader's place.
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    const int line = std::max(1, fontMetrics().height());
    horizontalScrollBar()->setSingleStep(line);
    verticalScrollBar()->setSingleStep(line);
}

void SummaryBox::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!m_layout.hasTargetDevice()) {
        const int width = viewport()->width() - 2 * kMargin;
        m_layout.setScreenLineWidth(qRound(unitsToTwips(width, viewport()->logicalDpiX())));
    }
    updateScrollBars();
}

void SummaryBox::paintEvent(QPaintEvent *event) {
    QPainter painter(viewport());
    if (hasFocus()) {
        // A light band on the caret's line shows the keyboard's reading place;
        // the frame's focus ring shows that the box has the focus.
        painter.fillRect(lineRect(m_caret), readingBand(palette()));
    }
    painter.setPen(summaryText(palette()));
    const QPoint offset(kMargin - horizontalScrollBar()->value(),
                        kMargin - verticalScrollBar()->value());
    painter.translate(offset);
    m_layout.paint(painter, scale(), QRectF(event->rect().translated(-offset)));
}

void SummaryBox::focusInEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void SummaryBox::focusOutEvent(QFocusEvent *event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void SummaryBox::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(QString(m_layout.text()).replace(u'\r', u'\n'));
        return;
    }
    moveCaret(event);
}

} // namespace tallaby::ui
