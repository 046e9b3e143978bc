#!/usr/bin/env bash
# A private print server for the end-to-end printing test: a cupsd of its own,
# listening only on a local socket, whose default is a PDF queue (cups-pdf) on
# Letter paper, which Qt would not choose by itself. Nothing of the machine's
# own print system is used or changed, except for one cups-pdf file in
# /etc/cups, where cups-pdf looks for it, removed again by "stop".
#
#   printqueue.sh STATE_DIR start            start the server, add the queue
#   printqueue.sh STATE_DIR stop             stop it, remove what start added
#   printqueue.sh STATE_DIR disable QUEUE    QUEUE holds its jobs (paused) ...
#   printqueue.sh STATE_DIR enable QUEUE     ... and prints them again
#   printqueue.sh STATE_DIR reject QUEUE     QUEUE refuses new jobs ...
#   printqueue.sh STATE_DIR accept QUEUE     ... and takes them again
#   printqueue.sh STATE_DIR pause            the server stops dead (SIGSTOP) ...
#   printqueue.sh STATE_DIR resume           ... and goes on
#
# STATE_DIR holds the server's address (server), its pid, and the queue's PDFs
# in out/QUEUE. Needs root (cups-pdf's files); uses sudo if that asks nothing.

set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"

QUEUE=TallabyLetter
PAPER=Letter
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

state="${1:?usage: printqueue.sh STATE_DIR start|stop|disable|enable|reject|accept|pause|resume}"
command="${2:?usage: printqueue.sh STATE_DIR start|stop|disable|enable|reject|accept|pause|resume}"
shift 2

if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
        exec sudo -n "$0" "$state" "$command" "$@"
    fi
    echo "printqueue.sh: the private print server needs root (or sudo without a password)." >&2
    exit 1
fi

fail() {
    echo "printqueue.sh: $*" >&2
    exit 1
}

use_server() {
    [ -f "$state/server" ] || fail "no print server was started in $state"
    CUPS_SERVER="$(cat "$state/server")"
    export CUPS_SERVER
    unset PRINTER LPDEST
}

server_pid() {
    cat "$state/pid" 2>/dev/null || true
}

stop_server() {
    local pid
    pid="$(server_pid)"
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid"
        for _ in $(seq 1 100); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    if [ -f "$state/cups-pdf-confs" ]; then
        while read -r conf; do
            rm -f "$conf"
        done <"$state/cups-pdf-confs"
    fi
    if [ -f "$state/runtime" ]; then
        rm -rf "$(cat "$state/runtime")"
    fi
    rm -f "$state/pid" "$state/server" "$state/runtime" "$state/cups-pdf-confs"
}

start_server() {
    local tool
    for tool in cupsd lpadmin lpstat cupsreject cupsaccept cupsdisable cupsenable pdftotext; do
        command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
            fail "$tool is missing: install cups, cups-client, printer-driver-cups-pdf, poppler-utils"
    done
    [ -f "$PPD" ] || fail "$PPD is missing: install printer-driver-cups-pdf"
    [ -x /usr/lib/cups/backend/cups-pdf ] || fail "the cups-pdf backend is missing"

    stop_server
    mkdir -p "$state"
    rm -rf "$state/out" "$state/log"
    mkdir -p "$state/log"

    # A short path: the server's socket name must fit in a sockaddr_un.
    local run
    run="$(mktemp -d -t tallaby-cups.XXXXXX)"
    echo "$run" >"$state/runtime"
    mkdir -p "$run/root/ppd" "$run/spool/tmp" "$run/cache" "$run/state"
    chmod 755 "$run" "$run/root" "$run/root/ppd" "$run/spool" "$run/cache" "$run/state"
    chmod 1770 "$run/spool/tmp"
    chgrp lp "$run/root" "$run/root/ppd" "$run/spool" "$run/spool/tmp" "$run/cache" "$run/state"

    cat >"$run/root/cupsd.conf" <<EOF
Listen $run/cups.sock
LogLevel info
Browsing No
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
    cat >"$run/root/cups-files.conf" <<EOF
ServerRoot $run/root
RequestRoot $run/spool
TempDir $run/spool/tmp
CacheDir $run/cache
StateDir $run/state
ServerKeychain $run/root/ssl
Printcap $run/printcap
ErrorLog $state/log/error_log
AccessLog $state/log/access_log
PageLog $state/log/page_log
SystemGroup root
PeerCred on
FileDevice No
EOF

    setsid cupsd -f -c "$run/root/cupsd.conf" -s "$run/root/cups-files.conf" \
        </dev/null >"$state/log/cupsd.out" 2>&1 &
    echo $! >"$state/pid"
    echo "$run/cups.sock" >"$state/server"
    use_server

    local running=
    for _ in $(seq 1 300); do
        # lpstat -r exits 0 whether or not the scheduler runs; read what it says.
        if lpstat -r 2>/dev/null | grep -q 'scheduler is running'; then
            running=yes
            break
        fi
        kill -0 "$(server_pid)" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$running" ]; then
        cat "$state/log/cupsd.out" "$state/log/error_log" 2>/dev/null >&2 || true
        stop_server
        fail "the private print server did not start"
    fi

    mkdir -p "$state/out/$QUEUE"
    chmod 777 "$state/out/$QUEUE" # cups-pdf writes as the job's user
    local conf="/etc/cups/cups-pdf-$QUEUE.conf"
    echo "$conf" >>"$state/cups-pdf-confs"
    echo "Out $state/out/$QUEUE" >"$conf"
    # pdftocairo keeps the text extractable; TitlePref names files after the job.
    lpadmin -p "$QUEUE" -E -v "cups-pdf:/$QUEUE" -P "$PPD" \
        -o pdftops-renderer-default=pdftocairo -o TitlePref=1 -o PageSize="$PAPER" \
        2> >(grep -v 'drivers are deprecated' >&2)
    lpadmin -d "$QUEUE"
    lpstat -d
}

case "$command" in
start) start_server ;;
stop) stop_server ;;
reject)
    use_server
    cupsreject "${1:?queue}"
    ;;
accept)
    use_server
    cupsaccept "${1:?queue}"
    ;;
disable)
    use_server
    cupsdisable "${1:?queue}"
    ;;
enable)
    use_server
    cupsenable "${1:?queue}"
    ;;
# The whole server stopped dead, and going on again.
pause) kill -STOP "$(server_pid)" ;;
resume) kill -CONT "$(server_pid)" ;;
*) fail "unknown command $command" ;;
esac
