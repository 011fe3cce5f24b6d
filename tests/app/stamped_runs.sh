# Sourced by the process tests that time what the programs print: each
# program runs with a HOME of its own, every line it prints stamped with the
# wall-clock ms it appeared at. Set before sourcing: program (the moorclash
# to run) and work (an empty folder, removed by the caller).
#
# A program from the build tree keeps its player files (settings, rejoin
# tokens) beside itself, shared by every process. It is run laid out as
# installed instead (a hard link, or a copy, with its files in
# ../share/moorclash), so that each process keeps them under its own HOME.

pids=()
stop_all() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
}

_data="$(cd "$(dirname "$program")" && pwd)"
if [ -f "$_data/TextureList.txt" ]; then
    mkdir -p "$work/games" "$work/share"
    ln "$program" "$work/games/moorclash" 2>/dev/null || cp "$program" "$work/games/moorclash"
    ln -s "$_data" "$work/share/moorclash"
    program="$work/games/moorclash"
fi

now_ms() { date +%s%3N; }
free_port() {
    python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# Every line as "MS text", MS the wall clock when it came.
stamp() {
    python3 -u -c '
import sys, time
for line in iter(sys.stdin.readline, ""):
    sys.stdout.write("%d %s" % (time.time() * 1000, line))
    sys.stdout.flush()'
}
# run NAME [--home HOME] ARGS...: the program with HOME $work/NAME (or the
# one given), its stamped lines in NAME.log, which ends with "=== exit
# STATUS" once it has ended; its pid in pid_NAME.
run() {
    local name="$1" home="$work/$1"
    shift
    if [ "${1:-}" = --home ]; then
        home="$2"
        shift 2
    fi
    mkdir -p "$home"
    rm -f "$work/$name.pid"
    {
        HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
            "$program" "$@" 2>&1 &
        echo $! >"$work/$name.pid"
        wait $!
        echo "=== exit $?"
    } 2>/dev/null | stamp >"$work/$name.log" &
    pids+=($!)
    disown $! # its end is read from the log; bash need not report it
    for _ in $(seq 1 100); do [ -s "$work/$name.pid" ] && break; sleep 0.05; done
    printf -v "pid_$name" '%s' "$(cat "$work/$name.pid")"
    pids+=("$(cat "$work/$name.pid")")
}
text() { cut -d' ' -f2- "$work/$1.log"; }
# first_ms NAME REGEX [AFTER_MS]: the stamp of NAME's first line matching
# (on the text), of those stamped after AFTER_MS.
first_ms() {
    awk -v re="$2" -v from="${3:-0}" '$1 > from { t = $1; sub(/^[0-9]+ /, ""); if ($0 ~ re) { print t; exit } }' \
        "$work/$1.log" 2>/dev/null
}
# await SECONDS NAME REGEX: until NAME has such a line; false if it never came.
await() {
    local end=$(($(date +%s) + $1))
    while [ "$(date +%s)" -le "$end" ]; do
        [ -n "$(first_ms "$2" "$3")" ] && return 0
        sleep 0.1
    done
    return 1
}
# ended SECONDS NAME: until NAME's program has ended and its log is whole.
ended() { await "$1" "$2" '^=== exit '; }
status_of() { text "$1" | sed -n 's/^=== exit //p'; }
# What the address sanitizer, the undefined-behaviour sanitizer and the
# game's own invariant check say when something is wrong.
findings() { grep -hE 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|INVARIANT BROKEN' "$@"; }
