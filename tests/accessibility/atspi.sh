#!/usr/bin/env bash
# Starts Tallaby on a private X display and session bus with the AT-SPI
# bridge on, and reads its tree with atspi-tree.py. Usage: atspi.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1

if [ -z "${TALLABY_ATSPI_INNER:-}" ]; then
    # Qt's bridge needs a real window system; offscreen has none.
    exec env TALLABY_ATSPI_INNER=1 xvfb-run -a dbus-run-session -- bash "$0" "$program"
fi

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
"$program" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null || true' EXIT
# Debian's own interpreter, where python3-pyatspi lives.
/usr/bin/python3 "$here/atspi-tree.py"
