#pragma once

#include "fakeprinter.h"
#include "printing/summarylayout.h"

#include <map>
#include <QList>
#include <QStringList>

namespace tallaby::printing::testing {

// The lines drawn on a device, top to bottom: the pieces drawn at one height,
// joined left to right, less trailing blanks; lines with nothing to see left out.
inline QStringList drawnLines(const RecordingDevice &device) {
    std::map<qint64, std::map<qreal, QString>> rows;
    for (const DrawnText &text : device.texts())
        rows[qRound64(text.position.y() * 16)][text.position.x()] += text.text;
    QStringList lines;
    for (const auto &[y, pieces] : rows) {
        QString line;
        for (const auto &[x, piece] : pieces)
            line += piece;
        while (line.endsWith(u' '))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            lines.append(line);
    }
    return lines;
}

// Where each of `lines` starts in `text`, reading on from the previous one with
// only blanks and breaks between; -1 from the first line that is not next.
inline QList<qint32> locateLines(const QString &text, const QStringList &lines) {
    QList<qint32> starts;
    qsizetype cursor = 0;
    for (const QString &line : lines) {
        const qsizetype at = text.indexOf(line, cursor);
        if (at < 0 || !text.mid(cursor, at - cursor).trimmed().isEmpty())
            return starts << -1;
        starts.append(qint32(at));
        cursor = at + line.size();
    }
    return starts;
}

// The layout's line starts, less those of lines with nothing to see.
inline QList<qint32> visibleLineStarts(const SummaryLayout &layout) {
    const QList<qint32> all = layout.lineStarts();
    QList<qint32> visible;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const qint32 end = i + 1 < all.size() ? all[i + 1] : layout.length();
        if (!layout.text().mid(all[i], end - all[i]).trimmed().isEmpty())
            visible.append(all[i]);
    }
    return visible;
}

} // namespace tallaby::printing::testing
