#!/usr/bin/env bash
# A client's recording over a real connection on 127.0.0.1: a headless
# autopilot client records twenty seconds against a dedicated server, and
# the headless playback of its file prints the client's console line for
# line (the live run's own level line and measured line aside), then its
# summary.  Run as:
#   recording_processes.sh PROGRAM
set -uo pipefail
program="$1"
work="$(mktemp -d)"
trap 'kill "$host" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "recording processes: $*"; echo "--- client"; cat "$work/client.log"; echo "--- replay"; cat "$work/replay.log" 2>/dev/null; exit 1; }

port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

HOME="$work/server" "$program" --headless --host "Moor Hall" --port "$port" --bots 4 --map "The Pit" --seed 5 >"$work/host.log" 2>&1 &
host=$!
for _ in $(seq 1 50); do grep -q "Level" "$work/host.log" && break; sleep 0.1; done
kill -0 "$host" 2>/dev/null || fail "the server did not stay up"

HOME="$work/client" timeout -k 5 60 "$program" --headless --join "127.0.0.1:$port" --name Visitor \
    --autopilot --seconds 20 --record "$work/match.moorrec" >"$work/client.log" 2>&1 ||
    fail "the client ended with $?"
HOME="$work/watcher" timeout -k 5 60 "$program" --headless --replay "$work/match.moorrec" >"$work/replay.log" 2>&1 ||
    fail "the playback ended with $?"

grep -q " killed " "$work/client.log" || fail "nothing happened worth recording"
grep -v -e '^Level "' -e '^measured: ' "$work/client.log" >"$work/live.txt"
grep -v '^Replay: ' "$work/replay.log" >"$work/played.txt"
diff "$work/live.txt" "$work/played.txt" >"$work/diff.txt" || { cat "$work/diff.txt"; fail "the playback tells another story"; }
grep -q '^Replay: level "The Pit", ' "$work/replay.log" || fail "no summary line"
echo "recording processes: $(wc -l <"$work/live.txt") console lines alike; $(stat -c %s "$work/match.moorrec") bytes recorded"
