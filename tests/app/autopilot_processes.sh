#!/usr/bin/env bash
# A dedicated server and CLIENTS headless clients under the autopilot play
# SECONDS on 127.0.0.1. Every client plays to the end and exits 0, sees
# kills, and each kill it shows the server's console shows too; the server
# ends cleanly on SIGTERM with every invariant held. Prints each client's
# measured line and the server's tick figures. Run as:
#   autopilot_processes.sh PROGRAM [CLIENTS [SECONDS [MAP [BOTS [full-ok [PER_ADDRESS]]]]]]
# With "full-ok" a client the server turns away as "The game is full" is
# counted, not a failure (a server takes a machine while its table has room
# for two more vehicles).
set -uo pipefail
program="$1"
clients="${2:-3}"
seconds="${3:-120}"
map="${4:-The Pit}"
bots="${5:-4}"
full_ok="${6:-}"
# Every client comes from 127.0.0.1: the server takes this many from one address.
per_address="${7:-8}"
work="$(mktemp -d)"
pids=()
trap 'kill "$host" "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "autopilot processes: $*"
    echo "--- server (last lines)"; tail -n 20 "$work/server.log"
    for f in "$work"/client*.log; do echo "--- $f (last lines)"; tail -n 8 "$f"; done
    exit 1
}

port=$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

"$program" --headless --host "Moor Hall" --port "$port" --bots "$bots" --map "$map" --seed 5 \
    --per-address "$per_address" >"$work/server.log" 2>&1 &
host=$!
for _ in $(seq 1 100); do grep -q "Level" "$work/server.log" && break; sleep 0.1; done
kill -0 "$host" 2>/dev/null || fail "the server did not stay up"

for k in $(seq 1 "$clients"); do
    timeout -k 5 $((seconds + 60)) "$program" --headless --join "127.0.0.1:$port" --name "Pilot$k" \
        --autopilot --seconds "$seconds" >"$work/client$k.log" 2>&1 &
    pids+=($!)
done
played=()
for k in $(seq 1 "$clients"); do
    wait "${pids[$((k - 1))]}"
    status=$?
    if [ "$status" = 1 ] && [ "$full_ok" = full-ok ] && grep -qx "The game is full" "$work/client$k.log"; then
        continue
    fi
    [ "$status" = 0 ] || fail "client $k ended with $status"
    played+=("$k")
done
pids=()
kill -TERM "$host"
wait "$host"
status=$?
[ "$status" = 0 ] || fail "the server ended with $status after SIGTERM"
grep -q "invariants hold" "$work/server.log" || fail "the server's invariants broke"

kills=0
for k in "${played[@]}"; do
    log="$work/client$k.log"
    grep -q "^Pilot$k joined the game" "$log" || fail "client $k saw no join of its own"
    seen=$(grep -cE " killed | commited suicide$" "$log")
    [ "$seen" -gt 0 ] || fail "client $k saw no kill in $seconds seconds"
    while read -r line; do
        grep -qxF "$line" "$work/server.log" || fail "client $k saw \"$line\", the server did not"
    done < <(grep -E " killed | commited suicide$" "$log")
    grep -q "^measured: " "$log" || fail "client $k printed no measured line"
    echo "Pilot$k ($seen kills) $(grep "^measured: " "$log")"
    kills=$((kills + seen))
done
grep -E "^server: |^Bots on " "$work/server.log"
echo "autopilot processes: ${#played[@]} of $clients clients played $seconds s on \"$map\"; all $kills kills they saw are the server's"
