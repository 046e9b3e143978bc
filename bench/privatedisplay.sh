# Sourced by the benchmarks that measure the real program on X: a display of
# their own, with a free number, a cookie of their own and no TCP, so nothing
# else on the machine draws there or is disturbed.
#
#   start_private_display WORK    sets xvfb_pid and display, exports DISPLAY, XAUTHORITY,
#                                 XDG_RUNTIME_DIR and QT_QPA_PLATFORM=xcb;
#                                 returns 1, with Xvfb's log on stderr, if none starts
#
# Xvfb writes its number to -displayfd once it accepts clients, and exits if the
# number is taken. The caller stops "$xvfb_pid" when it is done.
start_private_display() {
    local work="$1" cookie
    display=
    cookie="$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')"
    xvfb_pid=
    for _ in $(seq 1 20); do
        display=$((100 + RANDOM % 800))
        : >"$work/displayfd"
        : >>"$work/Xauthority"
        xauth -q -f "$work/Xauthority" add ":$display" . "$cookie"
        Xvfb ":$display" -auth "$work/Xauthority" -nolisten tcp -br -screen 0 1280x1024x24 \
            -displayfd 3 3>"$work/displayfd" 2>"$work/xvfb.log" &
        xvfb_pid=$!
        for _ in $(seq 1 200); do
            [ -s "$work/displayfd" ] && break
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.05
        done
        [ -s "$work/displayfd" ] && break
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    if [ -z "$xvfb_pid" ]; then
        cat "$work/xvfb.log" >&2
        return 1
    fi
    mkdir -m 700 "$work/runtime"
    export DISPLAY=":$display" XAUTHORITY="$work/Xauthority" XDG_RUNTIME_DIR="$work/runtime"
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}
