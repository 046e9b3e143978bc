#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it into a
# temporary root and checks it as a desktop would use it: files where a
# desktop looks for them, no lintian errors or warnings, a valid desktop
# entry and metainfo, and a binary that starts from the package alone and
# stays up.
#
#   check-package.sh BUILD_DIR APP_ID VERSION
set -euo pipefail

usage="usage: check-package.sh BUILD_DIR APP_ID VERSION"
build_dir=${1:?$usage}
app_id=${2:?$usage}
version=${3:?$usage}

work=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "check-package: $*" >&2
    exit 1
}

cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/out/*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = tallaby ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation qt6-qpa-plugins libqt6widgets6 libqt6printsupport6; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for wanted in qt6-wayland xdg-utils; do
    [[ "$recommends" == *"$wanted"* ]] || fail "Recommends lacks $wanted: $recommends"
done
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
# What a Debian packager checks first; informational tags do not fail it.
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"

root=$work/root
dpkg-deb -x "$deb" "$root"

png_size() { # width and height from a PNG's header
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3*256+$4, $7*256+$8 }'
}
[ -x "$root/usr/bin/tallaby" ] || fail "no usr/bin/tallaby"
desktop=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
[ -f "$desktop" ] || fail "no desktop entry"
[ -f "$metainfo" ] || fail "no metainfo"
for size in 16 32 48 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$icon" ] || fail "no ${size}px icon"
    [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "${size}px icon is $(png_size "$icon")"
done
grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry names another icon"
grep -qx "Exec=tallaby" "$desktop" || fail "desktop entry starts another program"

desktop-file-validate "$desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$metainfo" || fail "metainfo does not validate"

# The packaged binary alone, without the build tree beside it.
QT_QPA_PLATFORM=offscreen "$root/usr/bin/tallaby" >"$work/run.log" 2>&1 &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || { cat "$work/run.log" >&2; fail "the program did not stay up"; }
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
echo "check-package: $(basename "$deb") is fine"
