#!/usr/bin/env bash
# How long File > Exit takes to end the process when the print server answered
# once and then hangs: a stand-in server answers the first request (the list of
# printers) and then never answers again, so the printer set-up of the start-up
# layout, and of a print asked for meanwhile, waits in the CUPS library where
# nothing can interrupt it. Runs the built program on a private Xvfb display,
# presses Alt+F, P (print) and then chooses File > Exit, and prints the time from
# the exit keys to the end of the process, its exit status and whether a spool
# file was left behind. Target: under 2 s, status 0, nothing left.
#
#   bench/exit_hung_server.sh [BUILD_DIR] [RUNS]     (installs xvfb and xdotool if missing)
source "$(dirname "$0")/../scripts/setup.sh"
build=${1:-build}
runs=${2:-5}
program=$build/src/app/tallaby
[ -x "$program" ] || { echo "build $program first" >&2; exit 1; }
tallaby_install_packages xvfb xauth xdotool python3

state=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$state"
}
trap cleanup EXIT

# The stand-in: one IPP answer naming one printer, then silence on every connection.
cat >"$state/standin.py" <<'PY'
import socket, struct, sys, threading, time
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(16)
open(sys.argv[1], "w").write(str(server.getsockname()[1]))
log = open(sys.argv[2], "a", buffering=1)
answered = False
held = []
def attr(tag, name, value):
    return bytes([tag]) + struct.pack(">H", len(name)) + name + struct.pack(">H", len(value)) + value
while True:
    conn, _ = server.accept()
    held.append(conn)
    if answered:
        log.write("hanging\n")
        continue
    data = b""
    while b"\r\n\r\n" not in data:
        data += conn.recv(65536)
    head, body = data.split(b"\r\n\r\n", 1)
    conn.settimeout(0.5)
    try:
        while len(body) < 8:
            body += conn.recv(65536)
    except socket.timeout:
        pass
    if b"chunked" in head.lower():
        body = body.split(b"\r\n", 1)[1]
    ipp = (b"\x02\x00\x00\x00" + body[4:8] + b"\x01" +
           attr(0x47, b"attributes-charset", b"utf-8") +
           attr(0x48, b"attributes-natural-language", b"en") + b"\x04" +
           attr(0x42, b"printer-name", b"standin") + b"\x03")
    conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: %d\r\n\r\n"
                 % len(ipp) + ipp)
    answered = True
    log.write("answered\n")
PY

display=:716
Xvfb $display -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1

times=()
for run in $(seq "$runs"); do
    : >"$state/log"
    rm -f "$state/port"
    python3 "$state/standin.py" "$state/port" "$state/log" &
    standin=$!
    pids+=($standin)
    for _ in $(seq 50); do [ -s "$state/port" ] && break; sleep 0.1; done
    mkdir -p "$state/tmp"
    DISPLAY=$display CUPS_SERVER=127.0.0.1:$(cat "$state/port") TMPDIR=$state/tmp \
        QT_QPA_PLATFORM=xcb "$program" 2>/dev/null &
    app=$!
    window=$(DISPLAY=$display xdotool search --sync --onlyvisible --name '^Tallaby$' | head -1)
    for _ in $(seq 100); do grep -q hanging "$state/log" && break; sleep 0.1; done
    grep -q hanging "$state/log" || echo "run $run: the set-up never reached the hung server" >&2
    DISPLAY=$display xdotool windowfocus --sync "$window" key alt+f key p
    sleep 0.5
    DISPLAY=$display xdotool windowfocus --sync "$window" key alt+f
    sleep 0.3
    start=$(date +%s%N)
    DISPLAY=$display xdotool key Up Return # Exit, the menu's last item
    status=0
    # Ten seconds at most, then it counts as hung. An ended process stays a
    # zombie until waited for.
    alive() { [ -e /proc/$app ] && [ "$(cut -d' ' -f3 /proc/$app/stat)" != Z ]; }
    for _ in $(seq 1000); do alive || break; sleep 0.01; done
    end=$(date +%s%N)
    hung=no
    if alive; then
        kill -9 $app
        hung=yes
    fi
    wait $app || status=$?
    [ $hung = no ] || status="hung, killed after 10 s"
    left=$(find "$state/tmp" -mindepth 1 -name 'tallaby-*' | wc -l)
    ms=$(( (end - start) / 1000000 ))
    times+=("$ms")
    echo "run $run: exit took $ms ms, status $status, spool entries left: $left"
    kill $standin 2>/dev/null || true
    wait $standin 2>/dev/null || true
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print "median " a[int((NR+1)/2)] " ms, min " a[1] " ms, max " a[NR] " ms (target under 2000)"}'
# The verdict: every run under 2 s.
worst=$(printf '%s\n' "${times[@]}" | sort -n | tail -n 1)
if [ "$worst" -lt 2000 ]; then echo "target: exit under 2000 ms: met"; else echo "target: exit under 2000 ms: MISSED"; exit 1; fi
