#include "ui/summarybox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace tallaby::ui {

namespace {
constexpr int kMargin = 4; // pixels between the border and the text
constexpr int kTwipsPerInch = 1440;
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
    // Screen readers get the summary as the box's description.
    setAccessibleDescription(QString(m_layout.text()).replace(u'\r', u'\n'));
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
        m_layout.setScreenLineWidth(
            qRound(width * double(kTwipsPerInch) / viewport()->logicalDpiX()));
    }
    updateScrollBars();
}

void SummaryBox::paintEvent(QPaintEvent *event) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const QPoint offset(kMargin - horizontalScrollBar()->value(),
                        kMargin - verticalScrollBar()->value());
    painter.translate(offset);
    m_layout.paint(painter, scale(), QRectF(event->rect().translated(-offset)));
}

void SummaryBox::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(QString(m_layout.text()).replace(u'\r', u'\n'));
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

} // namespace tallaby::ui
