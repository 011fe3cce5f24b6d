#!/usr/bin/env bash
# Two programs on 127.0.0.1: a dedicated server (a headless host: bots
# only, no player of its own, called "server") runs until SIGTERM and exits
# 0; a headless client joins it for five seconds, prints the joins, the
# level and the kills it sees (the server's console has each of them too),
# and exits 0; a second client still playing when the server stops is told
# so, once, takes the match over with the bots and plays on to its end.
# Run as:
#   network_processes.sh PROGRAM
set -uo pipefail
program="$1"
work="$(mktemp -d)"
trap 'kill "$host" ${late:+"$late"} 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "network processes: $*"; echo "--- host"; cat "$work/host.log"; echo "--- client"; cat "$work/client.log" 2>/dev/null; echo "--- late"; cat "$work/late.log" 2>/dev/null; exit 1; }

# A UDP port nobody holds on 127.0.0.1 now.
port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

"$program" --headless --host "Moor Hall" --port "$port" --bots 4 --map "The Pit" --seed 5 >"$work/host.log" 2>&1 &
host=$!
for _ in $(seq 1 50); do grep -q "Level" "$work/host.log" && break; sleep 0.1; done
kill -0 "$host" 2>/dev/null || fail "the host did not stay up"

timeout -k 5 30 "$program" --headless --join "127.0.0.1:$port" --name Visitor --seconds 5 >"$work/client.log" 2>&1
status=$?
[ "$status" = 0 ] || fail "the client ended with $status"
grep -q "Visitor joined the game" "$work/client.log" || fail "the client saw no join of its own player"
grep -q " joined the game" "$work/host.log" || fail "the host saw nobody join"
grep -q 'Level "The Pit"' "$work/client.log" || fail "the client did not name the level"
grep -qx "server connecting" "$work/client.log" || fail "the client did not meet the server"
grep -q "^server joined the game" "$work/client.log" && fail "the dedicated server has a player of its own"
[ "$(grep -c " joined the game" "$work/client.log")" = 5 ] || fail "the client did not see four bots and itself"

# A second client is still playing when the server stops: it is told.
timeout -k 5 30 "$program" --headless --join "127.0.0.1:$port" --name Late --seconds 8 >"$work/late.log" 2>&1 &
late=$!
for _ in $(seq 1 50); do grep -q "Level" "$work/late.log" && break; sleep 0.1; done
grep -q 'Level "The Pit"' "$work/late.log" || fail "the second client did not start playing"

kill -TERM "$host"
wait "$host"
status=$?
wait "$late"
late_status=$?
[ "$late_status" = 0 ] || fail "the second client ended with $late_status after taking over"
[ "$(grep -cx "The host closed the game" "$work/late.log")" = 1 ] || fail "the second client was not told once that the server closed"
grep -qx "You are the new host" "$work/late.log" || fail "the second client did not take the match over"
grep -qE "^Took the game over on port [0-9]+$" "$work/late.log" || fail "the second client did not say where it hosts"
grep -q "invariants hold" "$work/late.log" || fail "the game the second client took over broke an invariant"
grep -q "^measured: " "$work/late.log" || fail "the second client did not play to its end"
trap 'rm -rf "$work"' EXIT
[ "$status" = 0 ] || fail "the host ended with $status after SIGTERM"
grep -q "Visitor left" "$work/host.log" || fail "the host did not see the client leave"
while read -r line; do
    grep -qxF "$line" "$work/host.log" || fail "the client saw \"$line\", the server did not"
done < <(grep -E " killed | commited suicide$" "$work/client.log")
echo "network processes: server and client played ($(grep -cE " killed | commited suicide$" "$work/client.log") kills seen by both) and ended cleanly"
