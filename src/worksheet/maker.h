#pragma once

#include <QString>
#include <QUrl>

// The fictional maker's web site, shown by the link label, the summary title
// and the About window. A reserved example domain, so no real site is opened.
namespace tallaby {

inline constexpr char kMakerAddress[] = "https://veltrane.example/";

// The address as people say it, where the full one would not fit.
inline QString makerSiteName() {
    return QUrl(QString::fromLatin1(kMakerAddress)).host();
}

} // namespace tallaby
