#!/usr/bin/env bash
# Start-up and idle cost of Tallaby beside an empty Qt window (the toolkit's floor)
# and a naive window of the same widget count (bench/naive_window.cpp), measured
# the same way in the same run on a private Xvfb display.
#
#   bench/startup_idle.sh [RUNS]        RUNS starts of each program, 5 by default
#
# Takes about 9 minutes with 5 runs: each start is measured for 32 seconds (up to
# the window, 1 s, then 30 idle seconds; TALLABY_IDLE_SECONDS changes the 30), and
# the three programs take turns so that drift on the machine hits all of them alike.
# One unmeasured start of each comes first, so no run pays for cold caches.
#
# For each program it prints the median, min and max of:
#   mapped  ms from exec until the window is mapped (the X server's MapNotify);
#           Qt maps inside show(), so everything before show() is in here
#   drawn   ms from exec until the window shows its first frame
#   RSS     VmRSS one second after the map, MB
#   CPU     utime+stime over the idle seconds, % of one core; at 100 ticks a
#           second that is 0.033 % a tick over 30 s, so the same is also given
#           exactly, from the threads' schedstat
# then the ratios and the targets: start-up no slower than the naive
# window, memory within +5 MB of it, idle CPU under 0.1 %. Exits 1 if one is missed.
#
# Builds what it runs into TALLABY_BUILD (build/ by default), like scripts/run;
# installs xvfb and xauth if missing.

source "$(dirname "$0")/../scripts/setup.sh"
source "$(dirname "$0")/privatedisplay.sh"

runs="${1:-5}"
idle="${TALLABY_IDLE_SECONDS:-30}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || {
    echo "usage: bench/startup_idle.sh [RUNS]" >&2
    exit 2
}

tallaby_install_packages "${TALLABY_BUILD_PACKAGES[@]}" xvfb xauth pkg-config libxcb1-dev
cmake -S "$TALLABY_ROOT" -B "$TALLABY_BUILD" -DTALLABY_BUILD_BENCH=ON >/dev/null
cmake --build "$TALLABY_BUILD" --parallel "$(nproc 2>/dev/null || echo 2)" \
    --target tallaby bench_empty_window bench_naive_window bench_window_probe >/dev/null
build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$TALLABY_BUILD/CMakeCache.txt")"

work="$(mktemp -d -t tallaby-startup.XXXXXX)"
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

start_private_display "$work" || {
    echo "startup_idle.sh: could not start Xvfb" >&2
    exit 1
}

names=(Tallaby "empty window" "naive window")
programs=("$TALLABY_BUILD/src/app/tallaby" "$TALLABY_BUILD/bench/bench_empty_window"
    "$TALLABY_BUILD/bench/bench_naive_window")
probe="$TALLABY_BUILD/bench/bench_window_probe"

echo "Start-up and idle cost: $runs runs of each program, $idle idle seconds each"
server="${CUPS_SERVER:-}"
echo "build: $TALLABY_BUILD ($build_type); display :$display;" \
    "print server: ${server:-the system default}"
started=$SECONDS
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
for i in "${!programs[@]}"; do
    "$probe" 0 "${programs[$i]}" >/dev/null 2>"$work/warmup.log" || {
        cat "$work/warmup.log" >&2
        exit 1
    }
done
results="$work/results"
for run in $(seq 1 "$runs"); do
    for i in "${!programs[@]}"; do
        line="$("$probe" "$idle" "${programs[$i]}" 2>>"$work/programs.log")" || {
            cat "$work/programs.log" >&2
            kill -0 "$xvfb_pid" 2>/dev/null || {
                echo "startup_idle.sh: Xvfb ended:" >&2
                cat "$work/xvfb.log" >&2
            }
            exit 1
        }
        echo "program=$i $line" >>"$results"
        printf '  run %d/%d  %-13s %s\n' "$run" "$runs" "${names[$i]}" "$line"
    done
done
# Other work on the machine slows start-up most; say how busy it was.
echo "measured in $((SECONDS - started)) s; load average before and after:" \
    "$load_before / $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# Median, min and max of one figure of one program: "median min max".
stats() {
    awk -v program="program=$1" -v key="$2" '
        $1 == program {
            for (i = 2; i <= NF; ++i) {
                split($i, kv, "=")
                if (kv[1] == key) values[n++] = kv[2] + 0
            }
        }
        END {
            for (i = 0; i < n; ++i)
                for (j = i + 1; j < n; ++j)
                    if (values[j] < values[i]) { t = values[i]; values[i] = values[j]; values[j] = t }
            median = n % 2 ? values[(n - 1) / 2] : (values[n / 2 - 1] + values[n / 2]) / 2
            printf "%s %s %s\n", median, values[0], values[n - 1]
        }' "$results"
}
median() {
    stats "$1" "$2" | cut -d' ' -f1
}
# What awk prints for an expression of the medians.
calc() {
    awk "BEGIN { printf \"$1\n\", $2 }"
}

cell() { # program key scale format
    read -r m lo hi <<<"$(stats "$1" "$2")"
    calc "$4 ($4..$4)" "$m / $3, $lo / $3, $hi / $3"
}
printf '%-14s %-20s %-20s %-20s %-22s %-22s\n' "" "mapped ms" "drawn ms" "RSS MB" "idle CPU %" \
    "idle CPU % (exact)"
for i in "${!programs[@]}"; do
    printf '%-14s %-20s %-20s %-20s %-22s %-22s\n' "${names[$i]}" \
        "$(cell "$i" mapped_ms 1 %.1f)" "$(cell "$i" drawn_ms 1 %.1f)" \
        "$(cell "$i" rss_kb 1024 %.1f)" "$(cell "$i" cpu_pct 1 %.3f)" "$(cell "$i" run_pct 1 %.4f)"
done
echo
printf '%-14s %-18s %-18s %-18s %-18s\n' "medians" "RssAnon MB" "RssFile MB" "start-up CPU ms" \
    "idle wakeups/s"
for i in "${!programs[@]}"; do
    printf '%-14s %-18s %-18s %-18s %-18s\n' "${names[$i]}" \
        "$(calc %.1f "$(median "$i" anon_kb) / 1024")" \
        "$(calc %.1f "$(median "$i" file_kb) / 1024")" \
        "$(median "$i" start_cpu_ms)" "$(median "$i" wakeups)"
done
echo

t_map=$(median 0 mapped_ms) e_map=$(median 1 mapped_ms) n_map=$(median 2 mapped_ms)
t_drawn=$(median 0 drawn_ms) e_drawn=$(median 1 drawn_ms) n_drawn=$(median 2 drawn_ms)
t_rss=$(median 0 rss_kb) e_rss=$(median 1 rss_kb) n_rss=$(median 2 rss_kb)
t_cpu=$(median 0 cpu_pct) e_cpu=$(median 1 cpu_pct) n_cpu=$(median 2 cpu_pct)
t_run=$(median 0 run_pct) e_run=$(median 1 run_pct) n_run=$(median 2 run_pct)
echo "Ratios of the medians:"
calc "  start-up (mapped)  Tallaby/empty %.2f   Tallaby/naive %.2f   naive/empty %.2f" \
    "$t_map / $e_map, $t_map / $n_map, $n_map / $e_map"
calc "  start-up (drawn)   Tallaby/empty %.2f   Tallaby/naive %.2f   naive/empty %.2f" \
    "$t_drawn / $e_drawn, $t_drawn / $n_drawn, $n_drawn / $e_drawn"
calc "  RSS                Tallaby/empty %.2f   Tallaby/naive %.2f   naive/empty %.2f" \
    "$t_rss / $e_rss, $t_rss / $n_rss, $n_rss / $e_rss"
calc "  RSS difference     Tallaby-empty %+.1f MB   Tallaby-naive %+.1f MB" \
    "($t_rss - $e_rss) / 1024, ($t_rss - $n_rss) / 1024"
calc "  idle CPU           Tallaby %.3f %%, naive %.3f %%, empty %.3f %% (exact: %.4f, %.4f, %.4f)" \
    "$t_cpu, $n_cpu, $e_cpu, $t_run, $n_run, $e_run"
echo

missed=0
verdict() { # description condition
    if [ "$(calc %d "$2")" = 1 ]; then
        echo "  met     $1"
    else
        echo "  MISSED  $1"
        missed=1
    fi
}
echo "Targets (medians):"
verdict "start-up no slower than the naive window: $t_map ms vs $n_map ms" "$t_map <= $n_map"
verdict "memory within +5 MB of the naive window: $(calc %+.1f "($t_rss - $n_rss) / 1024") MB" \
    "$t_rss <= $n_rss + 5 * 1024"
verdict "idle CPU under 0.1 %: $t_cpu % (exact $t_run %)" "$t_cpu < 0.1"
exit "$missed"
