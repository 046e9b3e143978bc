#pragma once

#include "printing/printresult.h"
#include "printing/targetdevice.h"
#include "twips.h"

#include <memory>
#include <optional>
#include <QFont>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>

class QPainter;
class QPaintDevice;

namespace tallaby::printing {

// One page pass: render text from `first` into `rect` on `painter`.
struct RenderRange {
    QPainter *painter = nullptr;          // the page being drawn on
    const QPaintDevice *target = nullptr; // the device text is measured on; the painter's if null
    TwipEdges rect;                       // where the text goes, relative to the printable area
    TwipEdges page;                       // the printable area itself; text is clipped to it too
    qint32 first = 0;                     // a line start: 0, or what the previous pass returned
    qint32 last = -1;                     // stop before a line starting here; -1 for the end
};

// The summary as laid-out text: the one layout both the screen and the printer use.
//
// The text is plain; a lone '\r' (also "\r\n", '\n' and U+2029) ends a paragraph.
// Character positions (line starts, render()'s first and result) are indices into
// the text as given, line breaks included, so they agree with length().
//
// Lines are broken once, against the target device at the target line width, and
// the screen shows that very layout scaled, so screen and paper break at the same
// characters. Until a target device is set (no printer yet, or none at all) the
// layout uses a 1200-dpi reference device at the screen line width, which a screen
// widget sets from its own width:
//
//     if (!layout.hasTargetDevice())
//         layout.setScreenLineWidth(qRound(unitsToTwips(width(), logicalDpiX())));
//
// and paints with
//
//     const qreal scale = layout.scaleFor(*this);
//     setMinimumSize((layout.size() * scale).toSize());        // e.g. inside a scroll area
//     layout.paint(painter, scale, event->rect());              // in paintEvent
//
// connecting layoutChanged() to update(). Lives on the user-interface thread.
class SummaryLayout : public QObject {
    Q_OBJECT

public:
    static constexpr int kReferenceResolution = 1200;
    static constexpr qint32 kDefaultScreenLineWidth = 9360; // 6.5 inches

    explicit SummaryLayout(QObject *parent = nullptr);
    ~SummaryLayout() override;

    // Replaces the whole text. Setting the same text again costs a comparison.
    void setText(const QString &text);
    const QString &text() const { return m_text; }
    qint32 length() const { return static_cast<qint32>(m_text.size()); }

    void setFont(const QString &family, int pointSize);
    const QFont &font() const { return m_font; }

    // Lay the text out for this device with lines lineWidthTwips wide (0 or less:
    // no wrapping). Stays until replaced; the screen line width no longer applies.
    void setTargetDevice(const TargetDevice &device, qint32 lineWidthTwips);
    bool hasTargetDevice() const { return m_target.has_value(); }

    // The line width used while no target device is set.
    void setScreenLineWidth(qint32 twips);
    // The line width the layout currently breaks at, in twips.
    qint32 lineWidth() const;

    // Draws whole lines from range.first while they fit in range.rect and returns
    // the position of the first character not drawn, length() once all is drawn. A
    // pass that returns range.first drew nothing: the line there is taller than the
    // rectangle. A position inside a line counts from that line's start. Measured
    // on range.target: when its resolution or the rectangle's width differ from the
    // layout's, the pass lays the text out for them and caches that layout until
    // releaseCache().
    PrintResult<qint32> render(const RenderRange &range);
    // Drops what render() cached for another device or width.
    void releaseCache();
    // How many passes render() would make from range.first, measured on `device`,
    // without drawing.
    int pageCount(RenderRange range, const QPaintDevice &device);

    // The text and its lines as they stand now, kept whatever this layout does
    // later: what a print draws its pages from while ticks go on. Cheap: the
    // lines are shared, not laid out again.
    std::unique_ptr<SummaryLayout> snapshot() const;

    // For the screen: device units per inch of the layout, the laid-out size in
    // those units, and the factor that shows it at true size on `screen`.
    int resolution() const;
    QSizeF size() const;
    qreal scaleFor(const QPaintDevice &screen) const;
    // Paints the lines that meet `exposed` (in scaled units; null: all) at `scale`,
    // the layout's top-left at the painter's origin.
    void paint(QPainter &painter, qreal scale, const QRectF &exposed = QRectF()) const;
    // Where each line starts, in order; what tests compare with printed pages.
    QList<qint32> lineStarts() const;

signals:
    // The lines changed: new text, font, device or width.
    void layoutChanged();

private:
    class Lines;
    struct Pass;

    SummaryLayout(const SummaryLayout &other);
    void relayout();
    Pass pass(const RenderRange &range, const QPaintDevice &device);
    const Lines &linesFor(int resolution, qint32 lineWidthTwips);

    QString m_text;
    QFont m_font;
    std::optional<TargetDevice> m_target;
    qint32 m_targetLineWidth = 0;
    qint32 m_screenLineWidth = kDefaultScreenLineWidth;
    // Shared with snapshots; never changed once made.
    std::shared_ptr<const Lines> m_lines;
    std::shared_ptr<const Lines> m_renderCache;
};

} // namespace tallaby::printing
