#include "printing/summarylayout.h"

#include <algorithm>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <vector>

namespace tallaby::printing {

namespace {

// Lines are stacked in QFixed steps; a line that ends within this of the edge fits.
constexpr qreal kFitTolerance = 1.0 / 128;
// With no line width the text is not wrapped; Qt's fixed-point lengths end near here.
constexpr qreal kUnwrappedWidth = 4.0e6;

// A paragraph's extent in the text and the length of the break that ends it.
struct Paragraph {
    qsizetype start;
    qsizetype length;
};

std::vector<Paragraph> splitParagraphs(const QString &text) {
    std::vector<Paragraph> paragraphs;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c != u'\r' && c != u'\n' && c != u'\u2029')
            continue;
        paragraphs.push_back({start, i - start});
        // "\r\n" is one break of two characters, so neither becomes an empty line.
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    paragraphs.push_back({start, text.size() - start});
    return paragraphs;
}

} // namespace

// The text broken into lines for one device and one line width. Paragraphs are
// laid out one by one, so a new text can keep the layouts of the paragraphs it
// shares with the old one: a tick that changes a figure lays out the lines
// above the notes again, not the notes.
class SummaryLayout::Lines {
public:
    struct Line {
        int paragraph;
        int index; // within the paragraph
        qint32 start;
        qreal top; // from the top of the text
        qreal height;
    };

    Lines(const QString &text, const QFont &font, int resolution, qint32 lineWidthTwips,
          const Lines *reuse)
        : m_font(font)
        , m_resolution(resolution)
        , m_lineWidthTwips(lineWidthTwips)
        , m_device(resolution)
        , m_width(lineWidthTwips > 0 ? twipsToUnits(lineWidthTwips, resolution) : 0) {
        const std::vector<Paragraph> paragraphs = splitParagraphs(text);
        const auto shared = [&](std::size_t i, std::size_t old) {
            const Paragraph &p = paragraphs[i];
            return QStringView(text).mid(p.start, p.length) == reuse->m_paragraphs[old]->text();
        };
        // How many paragraphs the old text shares at its start and at its end.
        std::size_t head = 0, tail = 0;
        if (reuse && reuse->m_font == font && reuse->isFor(resolution, lineWidthTwips)) {
            const std::size_t old = reuse->m_paragraphs.size();
            while (head < paragraphs.size() && head < old && shared(head, head))
                ++head;
            while (tail < paragraphs.size() - head && tail < old - head &&
                   shared(paragraphs.size() - 1 - tail, old - 1 - tail))
                ++tail;
        }
        qreal top = 0;
        qreal widest = m_width;
        for (std::size_t i = 0; i < paragraphs.size(); ++i) {
            const Paragraph &p = paragraphs[i];
            // Shared, not taken: a print may still be drawing the old lines.
            std::shared_ptr<const QTextLayout> layout;
            if (i < head)
                layout = reuse->m_paragraphs[i];
            else if (i >= paragraphs.size() - tail)
                layout = reuse->m_paragraphs[reuse->m_paragraphs.size() - (paragraphs.size() - i)];
            else
                layout = layOut(text.mid(p.start, p.length), font);
            const int paragraph = static_cast<int>(m_paragraphs.size());
            qreal height = 0;
            for (int n = 0; n < layout->lineCount(); ++n) {
                const QTextLine line = layout->lineAt(n);
                m_lines.push_back({paragraph, n, static_cast<qint32>(p.start + line.textStart()),
                                   top + line.y(), line.height()});
                widest = std::max(widest, line.naturalTextWidth());
                height = line.y() + line.height();
            }
            m_paragraphTops.push_back(top);
            m_paragraphs.push_back(std::move(layout));
            top += height;
        }
        m_size = QSizeF(widest, top);
    }

    bool isFor(int resolution, qint32 lineWidthTwips) const {
        return m_resolution == resolution && (m_lineWidthTwips == lineWidthTwips ||
                                              (m_lineWidthTwips <= 0 && lineWidthTwips <= 0));
    }

    int resolution() const { return m_resolution; }
    const QSizeF &size() const { return m_size; }
    const std::vector<Line> &lines() const { return m_lines; }

    // The line holding `position`; the first line for positions before it.
    std::size_t lineAt(qint32 position) const {
        const auto after =
            std::upper_bound(m_lines.begin(), m_lines.end(), position,
                             [](qint32 pos, const Line &line) { return pos < line.start; });
        return after == m_lines.begin() ? 0 : static_cast<std::size_t>(after - m_lines.begin() - 1);
    }

    // Draws line i with the top of the whole text at `origin`.
    void draw(QPainter &painter, std::size_t i, QPointF origin) const {
        const Line &line = m_lines[i];
        origin.ry() += m_paragraphTops[line.paragraph];
        m_paragraphs[line.paragraph]->lineAt(line.index).draw(&painter, origin);
    }

private:
    std::shared_ptr<const QTextLayout> layOut(const QString &paragraph, const QFont &font) const {
        auto layout = std::make_unique<QTextLayout>(paragraph, font, &m_device.metrics());
        QTextOption option;
        option.setWrapMode(m_width > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                       : QTextOption::NoWrap);
        layout->setTextOption(option);
        // Shaped glyphs are kept by nothing: a long note would cost a gigabyte.
        layout->setCacheEnabled(false);
        qreal y = 0;
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(m_width > 0 ? m_width : kUnwrappedWidth);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout->endLayout();
        return layout;
    }

    QFont m_font;
    int m_resolution;
    qint32 m_lineWidthTwips;
    TargetDevice m_device; // what new paragraphs are measured on
    qreal m_width;
    std::vector<std::shared_ptr<const QTextLayout>> m_paragraphs;
    std::vector<qreal> m_paragraphTops;
    std::vector<Line> m_lines;
    QSizeF m_size;
};

SummaryLayout::SummaryLayout(QObject *parent)
    : QObject(parent) {
    relayout();
}

SummaryLayout::~SummaryLayout() = default;

void SummaryLayout::setText(const QString &text) {
    if (text == m_text)
        return;
    m_text = text;
    relayout();
}

void SummaryLayout::setFont(const QString &family, int pointSize) {
    QFont font(family);
    font.setPointSize(pointSize);
    if (font == m_font)
        return;
    m_font = font;
    relayout();
}

void SummaryLayout::setTargetDevice(const TargetDevice &device, qint32 lineWidthTwips) {
    m_target = device;
    m_targetLineWidth = lineWidthTwips;
    relayout();
}

void SummaryLayout::setScreenLineWidth(qint32 twips) {
    if (twips == m_screenLineWidth)
        return;
    m_screenLineWidth = twips;
    if (!m_target)
        relayout();
}

qint32 SummaryLayout::lineWidth() const {
    return m_target ? m_targetLineWidth : m_screenLineWidth;
}

int SummaryLayout::resolution() const {
    return m_lines->resolution();
}

QSizeF SummaryLayout::size() const {
    return m_lines->size();
}

qreal SummaryLayout::scaleFor(const QPaintDevice &screen) const {
    return static_cast<qreal>(screen.logicalDpiY()) / resolution();
}

void SummaryLayout::relayout() {
    const int resolution = m_target ? m_target->resolution() : kReferenceResolution;
    m_lines = std::make_shared<const Lines>(m_text, m_font, resolution, lineWidth(), m_lines.get());
    m_renderCache.reset();
    emit layoutChanged();
}

const SummaryLayout::Lines &SummaryLayout::linesFor(int resolution, qint32 lineWidthTwips) {
    if (m_lines->isFor(resolution, lineWidthTwips))
        return *m_lines;
    if (!m_renderCache || !m_renderCache->isFor(resolution, lineWidthTwips))
        m_renderCache = std::make_shared<const Lines>(m_text, m_font, resolution, lineWidthTwips,
                                                      m_renderCache.get());
    return *m_renderCache;
}

void SummaryLayout::releaseCache() {
    m_renderCache.reset();
}

std::unique_ptr<SummaryLayout> SummaryLayout::snapshot() const {
    std::unique_ptr<SummaryLayout> copy(new SummaryLayout(*this));
    return copy;
}

SummaryLayout::SummaryLayout(const SummaryLayout &other)
    : QObject(nullptr)
    , m_text(other.m_text)
    , m_font(other.m_font)
    , m_target(other.m_target)
    , m_targetLineWidth(other.m_targetLineWidth)
    , m_screenLineWidth(other.m_screenLineWidth)
    , m_lines(other.m_lines)
    , m_renderCache(other.m_renderCache) {}

// The lines one pass draws: from the line holding `first` while they fit in `rect`.
struct SummaryLayout::Pass {
    const Lines &lines;
    QRectF rect; // device units
    std::size_t begin;
    std::size_t end;
};

SummaryLayout::Pass SummaryLayout::pass(const RenderRange &range, const QPaintDevice &device) {
    const int res = device.logicalDpiY();
    const qint64 widthTwips = qint64(range.rect.right) - range.rect.left;
    const Lines &lines =
        linesFor(res, static_cast<qint32>(std::clamp<qint64>(widthTwips, 0, INT32_MAX)));
    const QRectF rect(
        QPointF(twipsToUnits(range.rect.left, res), twipsToUnits(range.rect.top, res)),
        QPointF(twipsToUnits(range.rect.right, res), twipsToUnits(range.rect.bottom, res)));
    const auto &all = lines.lines();
    const std::size_t begin = lines.lineAt(std::max<qint32>(range.first, 0));
    const qreal startTop = all[begin].top;
    std::size_t i = begin;
    for (; i < all.size(); ++i) {
        const auto &line = all[i];
        if (range.last >= 0 && line.start >= range.last)
            break;
        if (line.top + line.height - startTop > rect.height() + kFitTolerance)
            break;
    }
    return Pass{lines, rect, begin, i};
}

PrintResult<qint32> SummaryLayout::render(const RenderRange &range) {
    if (!range.painter || !range.painter->isActive())
        return printFailure(PrintError::NoDocument, QStringLiteral("no page to draw on"));
    if (range.first >= length())
        return length();

    const QPaintDevice &device = range.target ? *range.target : *range.painter->device();
    const auto drawn = pass(range, device);
    const int res = device.logicalDpiY();
    const QRectF page(
        QPointF(twipsToUnits(range.page.left, res), twipsToUnits(range.page.top, res)),
        QPointF(twipsToUnits(range.page.right, res), twipsToUnits(range.page.bottom, res)));
    // A clip that ends exactly where the next line begins lets Qt emit that line too,
    // invisible but extractable from the page; one device pixel less keeps it out.
    const QRectF clip = drawn.rect.intersected(page).adjusted(0, 0, -1, -1);

    const auto &all = drawn.lines.lines();
    const qreal startTop = all[drawn.begin].top;
    QPainter &painter = *range.painter;
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    for (std::size_t i = drawn.begin; i < drawn.end; ++i)
        drawn.lines.draw(painter, i, QPointF(drawn.rect.left(), drawn.rect.top() - startTop));
    painter.restore();
    return drawn.end < all.size() ? all[drawn.end].start : length();
}

int SummaryLayout::pageCount(RenderRange range, const QPaintDevice &device) {
    int pages = 1;
    while (range.first < length()) {
        const auto next = pass(range, device);
        if (next.end == next.begin)
            return pages; // nothing fits: render() stops there
        if (next.end >= next.lines.lines().size())
            break;
        range.first = next.lines.lines()[next.end].start;
        ++pages;
    }
    return pages;
}

void SummaryLayout::paint(QPainter &painter, qreal scale, const QRectF &exposed) const {
    if (scale <= 0)
        return;
    const QRectF visible =
        exposed.isNull() ? QRectF() : QRectF(exposed.topLeft() / scale, exposed.size() / scale);
    painter.save();
    painter.scale(scale, scale);
    const auto &all = m_lines->lines();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const auto &line = all[i];
        if (!visible.isNull() &&
            (line.top + line.height < visible.top() || line.top > visible.bottom()))
            continue;
        m_lines->draw(painter, i, QPointF(0, 0));
    }
    painter.restore();
}

QList<qint32> SummaryLayout::lineStarts() const {
    QList<qint32> starts;
    starts.reserve(static_cast<qsizetype>(m_lines->lines().size()));
    for (const auto &line : m_lines->lines())
        starts.append(line.start);
    return starts;
}

} // namespace tallaby::printing
