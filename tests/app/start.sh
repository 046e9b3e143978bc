#!/usr/bin/env bash
# Starts the real program the way a user would.
#
#   start.sh TALLABY arguments   Qt's own options change nothing: the settled
#                                window is, pixel for pixel, a plain start's
#   start.sh TALLABY nodisplay   no display to open: one line, status 1
set -euo pipefail

tallaby=$(readlink -f "${1:?usage: start.sh TALLABY arguments|nodisplay}")
mode=${2:?usage: start.sh TALLABY arguments|nodisplay}

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "start.sh: $*" >&2
    exit 1
}

# Qt's headless "minimal" platform with QT_DEBUG_BACKINGSTORE saves every frame
# it shows as outputNNNN.png in the working directory.
start_drawing() { # DIR ARGS...
    local dir=$1
    shift
    mkdir -p "$dir"
    (cd "$dir" && exec env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=minimal \
        QT_DEBUG_BACKINGSTORE=1 "$tallaby" "$@" >log 2>&1) &
    pids+=($!)
}

# The last frame once the window has drawn nothing new for 3 s: the first
# ticks have filled the totals and the summary by then.
settled_frame() { # DIR
    local last='' quiet=0 tries
    for ((tries = 0; tries < 120 && quiet < 6; tries++)); do
        sleep 0.5
        local now
        now=$(find "$1" -name 'output*.png' | sort | tail -n 1)
        if [ -n "$now" ] && [ "$now" = "$last" ]; then
            quiet=$((quiet + 1))
        else
            quiet=0
        fi
        last=$now
    done
    [ "$quiet" -ge 6 ] || { cat "$1/log" >&2; fail "$1: the window did not settle"; }
    echo "$last"
}

case $mode in
arguments)
    # Would paint the window red if Qt read it.
    echo 'QWidget { background: red; }' >"$work/red.qss"
    start_drawing "$work/plain"
    start_drawing "$work/options" -reverse -geometry 400x300+0+0 -title Foo \
        -stylesheet "$work/red.qss"
    plain=$(settled_frame "$work/plain")
    options=$(settled_frame "$work/options")
    cmp -s "$plain" "$options" || fail "with Qt's options the window differs from a plain start"
    ;;
nodisplay)
    runtime=$work/runtime
    mkdir -m 700 "$runtime"
    # No display at all; a display with no server; Wayland without a compositor.
    for display in "" "QT_QPA_PLATFORM=xcb DISPLAY=:99999" \
        "QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=none XDG_RUNTIME_DIR=$runtime"; do
        status=0
        # shellcheck disable=SC2086
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $display \
            timeout 60 "$tallaby" >"$work/out" 2>"$work/err" || status=$?
        [ "$status" -eq 1 ] || fail "[$display] exit status $status, not 1: $(cat "$work/err")"
        [ -s "$work/out" ] && fail "[$display] wrote to stdout: $(cat "$work/out")"
        [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "needs a graphical display" "$work/err" &&
            grep -q "xvfb-run -a tallaby" "$work/err" ||
            fail "[$display] not one clear line: $(cat "$work/err")"
    done
    ;;
*) fail "unknown mode $mode" ;;
esac
echo "start.sh: $mode: fine"
