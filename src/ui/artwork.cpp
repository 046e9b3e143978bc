#include "ui/artwork.h"

namespace tallaby::ui {

QPixmap artwork(const QString &file, qreal devicePixelRatio) {
    const QString path = QStringLiteral(":/artwork/") + file;
    const QPixmap natural(path);
    if (devicePixelRatio <= 1)
        return natural;
    const qsizetype dot = path.lastIndexOf(u'.');
    QPixmap large(path.left(dot) + QStringLiteral("@2x") + path.mid(dot));
    if (large.isNull())
        return natural;
    if (!qFuzzyCompare(devicePixelRatio, 2.0))
        large = large.scaled((QSizeF(natural.size()) * devicePixelRatio).toSize(),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    large.setDevicePixelRatio(devicePixelRatio);
    return large;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/artwork/icons/tallaby-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tallaby::ui
