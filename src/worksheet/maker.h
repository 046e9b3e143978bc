#pragma once

// The fictional maker's web site, shown by the link label, the summary title
// and the About window. A reserved example domain, so no real site is opened.
namespace tallaby {
inline constexpr char kMakerAddress[] = "https://www.veltrane.example/";
} // namespace tallaby
