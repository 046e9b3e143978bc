#!/usr/bin/env bash
# Idle CPU of the real program with notes pasted into its window, on a private
# Xvfb display, and its memory once the largest notes are cleared again.
#
#   bench/notes_idle.sh [MB...]        0 1 10 by default
#
# For each size: starts Tallaby, pastes MB megabytes of notes into the Notes box
# through the clipboard (xclip, then Ctrl+V by xdotool, as a user would), waits
# for the window to settle and measures the CPU its threads use over the idle
# seconds (TALLABY_IDLE_SECONDS, 30 by default), exactly, from
# /proc/PID/task/*/schedstat: first with the caret blinking in the notes, then
# with the focus moved on by Tab. After the largest size it selects the whole
# notes, deletes them and reads VmRSS. Targets: idle CPU at or under 0.05 % of
# one core at every size (without the caret, whose blinking costs the same
# whatever the notes hold), and two thirds of the memory the notes took given
# back once they are deleted. Exits 1 if one is missed.
#
# Builds tallaby into TALLABY_BUILD (build/ by default); installs xvfb, xauth,
# xdotool and xclip if missing.

source "$(dirname "$0")/../scripts/setup.sh"
source "$(dirname "$0")/privatedisplay.sh"

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(0 1 10)
idle="${TALLABY_IDLE_SECONDS:-30}"
target=0.05
for mb in "${sizes[@]}"; do
    [[ "$mb" =~ ^[0-9]+$ ]] || {
        echo "usage: bench/notes_idle.sh [MB...]" >&2
        exit 2
    }
done

tallaby_install_packages "${TALLABY_BUILD_PACKAGES[@]}" xvfb xauth xdotool xclip
cmake -S "$TALLABY_ROOT" -B "$TALLABY_BUILD" >/dev/null
cmake --build "$TALLABY_BUILD" --parallel "$(nproc 2>/dev/null || echo 2)" --target tallaby \
    >/dev/null
program="$TALLABY_BUILD/src/app/tallaby"

work="$(mktemp -d -t tallaby-notes.XXXXXX)"
xvfb_pid= app_pid= clip_pid=
stop() { # pid
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
cleanup() {
    stop "$clip_pid"
    stop "$app_pid"
    stop "$xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

start_private_display "$work" || {
    echo "notes_idle.sh: could not start Xvfb" >&2
    exit 1
}

run_ns() { # pid: nanoseconds its live threads have run
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'
}
rss_mb() { # pid
    awk '/^VmRSS:/ { printf "%.1f\n", $2 / 1024 }' /proc/"$1"/status
}
# Waits until the process has used under 1 % of a core over a second, at most 120 s:
# a paste of megabytes is laid out and ticked over for a while first.
settle() { # pid
    local before after
    for _ in $(seq 1 120); do
        before=$(run_ns "$1")
        sleep 1
        after=$(run_ns "$1")
        [ $((after - before)) -lt 10000000 ] && return 0
    done
    echo "notes_idle.sh: the window did not settle" >&2
    return 1
}
# The Notes box, in window coordinates: its middle in the layout (twips / 15)
# below the menu bar.
click_notes() { # window
    local menu=${TALLABY_MENU_PIXELS:-24}
    xdotool mousemove --window "$1" 736 $((60 + menu)) click 1
}

idle_cpu() { # pid: % of one core its threads use over the idle seconds
    local before after
    before=$(run_ns "$1")
    sleep "$idle"
    after=$(run_ns "$1")
    awk -v ns=$((after - before)) -v s="$idle" 'BEGIN { printf "%.4f\n", ns / 1e9 / s * 100 }'
}

echo "Idle CPU with notes: Tallaby on display :$display, $idle idle seconds each"
printf '%-8s %-10s %-22s %-22s %s\n' "notes" "RSS MB" "idle CPU % (caret)" \
    "idle CPU % (no caret)" "target"
missed=0
largest=0
for mb in "${sizes[@]}"; do
    [ "$mb" -gt "$largest" ] && largest=$mb
done
for mb in "${sizes[@]}"; do
    "$program" 2>>"$work/program.log" &
    app_pid=$!
    window="$(timeout 30 xdotool search --sync --pid "$app_pid" --name '^Tallaby$' | head -n 1)"
    [ -n "$window" ] || {
        cat "$work/program.log" >&2
        echo "notes_idle.sh: no window" >&2
        exit 1
    }
    settle "$app_pid"
    rss_start=$(rss_mb "$app_pid")
    click_notes "$window"
    if [ "$mb" -gt 0 ]; then
        awk -v bytes=$((mb * 1000000)) 'BEGIN {
            for (i = 1; n < bytes; ++i) {
                line = sprintf("Note %d: set aside 25.50 for the gas bill, due Friday", i)
                print line
                n += length(line) + 1
            } }' >"$work/notes.txt"
        xclip -selection clipboard -i "$work/notes.txt" &
        clip_pid=$!
        sleep 0.5
        xdotool key --window "$window" ctrl+v
        settle "$app_pid"
        stop "$clip_pid"
        clip_pid=
        # A note of MB megabytes takes at least twice that as UTF-16.
        awk -v a="$(rss_mb "$app_pid")" -v b="$rss_start" -v mb="$mb" \
            'BEGIN { exit !(a - b >= 2 * mb) }' || {
            echo "notes_idle.sh: the paste of $mb MB did not arrive" >&2
            exit 1
        }
    fi
    rss=$(rss_mb "$app_pid")
    # The caret blinking in the notes, as after typing them, costs the same
    # with empty notes; the target is judged with the focus on to the next
    # control, the Print Summary button, where nothing blinks.
    caret=$(idle_cpu "$app_pid")
    xdotool key --window "$window" Tab
    settle "$app_pid"
    cpu=$(idle_cpu "$app_pid")
    verdict=met
    awk -v c="$cpu" -v t="$target" 'BEGIN { exit !(c <= t) }' || {
        verdict=MISSED
        missed=1
    }
    printf '%-8s %-10s %-22s %-22s %s\n' "$mb MB" "$rss" "$caret" "$cpu" \
        "$verdict (no caret, <= $target %)"
    if [ "$mb" = "$largest" ] && [ "$mb" -gt 0 ]; then
        # Deleted as a user does, undoably: they should give back most of
        # what they took.
        click_notes "$window"
        xdotool key --window "$window" ctrl+a Delete
        settle "$app_pid"
        sleep 1
        cleared=$(rss_mb "$app_pid")
        verdict=met
        awk -v a="$rss" -v b="$cleared" -v s="$rss_start" \
            'BEGIN { exit !(a - b >= 2 * (a - s) / 3) }' || {
            verdict=MISSED
            missed=1
        }
        echo "RSS once the $mb MB of notes are deleted: $cleared MB ($rss_start MB at start," \
            "$rss MB with them): $verdict (two thirds given back)"
    fi
    stop "$app_pid"
    app_pid=
done
exit "$missed"
