#!/usr/bin/env bash
# The soak of the change of host: MINUTES (default 10) of a session on
# 127.0.0.1 that starts on a dedicated server, with headless autopilot
# clients joining, leaving at the end of their --seconds, and killed with
# SIGKILL at random (half of those started again at once, with the same name
# and HOME, to come back to their seats). The host is killed with SIGKILL
# three times: first the dedicated server, then whichever client said "You
# are the new host" last. A host client that ends by itself hands over too.
# Newcomers join the host of the moment: a headless client that takes the
# game over says on which port ("Took the game over on port N").
# At the end: no sanitizer finding and no broken invariant in any log (a
# host prints "INVARIANT BROKEN: ..." the moment one breaks, and one that
# ends cleanly "invariants hold"; among the invariants: no two players' vehicles
# share a player id and seat, i.e. no id was handed out twice), every host
# kill was followed by exactly one new host within 20 s, every client that
# was not killed ended with 0 or 1 (1 only with its reason said), and every
# newcomer played (but one that asked to join a host in its last moment and
# was told "No answer from" it). Not part of the test suite: it wants the machine to itself.
# Run it in a session of its own (setsid), as below: a signal to the
# caller's process group ends every program it started. Run as:
#   setsid bash scripts/soak_host_changes.sh PROGRAM [MINUTES]
# e.g. against the address-sanitized build:
#   setsid bash scripts/soak_host_changes.sh build-asan/bin/moorclash 10
# The logs stay in the folder it names at the end.
set -uo pipefail
program="$1"
minutes="${2:-10}"
work="$(mktemp -d /tmp/soak_host_changes.XXXXXX)"
root="$(cd "$(dirname "$0")/.." && pwd)"
trap 'stop_all' EXIT
trap 'exit 1' INT TERM
problems=()
problem() {
    echo "soak: PROBLEM: $*"
    problems+=("$*")
}
source "$root/tests/app/stamped_runs.sh"
say() { echo "soak: [$(((($(now_ms) - t0) / 1000)))s] $*"; }

# The port a client that took the game over said it hosts on.
port_taken_over() {
    sed -n 's/^[0-9]* Took the game over on port \([0-9]*\)$/\1/p' "$work/$1.log" | tail -n 1 | grep .
}
alive() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null && ! grep -q '^[0-9]* === exit ' "$work/$2.log" 2>/dev/null; }

duration=$((minutes * 60))
t0=$(now_ms)
port=$(free_port)
run server --headless --host "Moor Hall" --port "$port" --bots 4 --map "The Pit" \
    --fraglimit 1000 --seconds $((duration + 120))
await 60 server '^Level "' || { tail "$work/server.log"; echo "soak: the server did not start"; exit 1; }
host=server host_pid=$pid_server host_since=$t0 target="127.0.0.1:$port"
say "dedicated server on $target"

clients=()         # every run name, in order
declare -A pidof   # run name -> pid
declare -A killed  # run name -> 1 when killed by this script
declare -A homeof  # run name -> HOME
declare -A targetof # run name -> the address it joined
late=0             # newcomers that came as their host went
host_kills=0 host_changes=0 client_kills=0 comebacks=0 next=1
kill_times=()      # ms of each host kill
changing_since=0   # a host went: waiting for its successor since then (ms)

live_clients() {
    local c
    for c in "${clients[@]}"; do alive "${pidof[$c]}" "$c" && echo "$c"; done
}
start_client() { # NAME [HOME]: a client of the host of the moment
    local name="$1" home="${2:-$work/home-$1}" runname="$1_$next"
    local secs=$((30 + RANDOM % 120))
    next=$((next + 1))
    run "$runname" --home "$home" --headless --join "$target" --name "$name" --autopilot \
        --seconds "$secs"
    clients+=("$runname")
    local var="pid_$runname"
    pidof[$runname]=${!var}
    homeof[$runname]=$home
    targetof[$runname]=$target
    say "$runname joins $target for $secs s"
}
# The newest "You are the new host" of another client since the present
# host took over (its own line, or the start): that client hosts now.
find_new_host() {
    local c t best="" best_t=0
    for c in "${clients[@]}"; do
        [ "$c" = "$host" ] && continue
        t=$(first_ms "$c" '^You are the new host$' "$host_since")
        if [ -n "$t" ] && [ "$t" -gt "$best_t" ]; then best=$c best_t=$t; fi
    done
    [ -n "$best" ] || return 1
    local p
    p=$(port_taken_over "$best") || return 1
    host=$best host_pid=${pidof[$best]} host_since=$best_t target="127.0.0.1:$p"
    host_changes=$((host_changes + 1))
    changing_since=0
    say "$best is the new host, $((best_t - kill_at)) ms after the host went; it listens on $target"
}

for k in 1 2 3; do
    start_client "Soak$k"
    await 60 "Soak${k}_$((next - 1))" '^Level "' || problem "Soak$k did not start playing"
done
host_kill_at=($((duration * 20 / 100)) $((duration * 50 / 100)) $((duration * 80 / 100)))
kill_at=0
names=3
while :; do
    elapsed=$((($(now_ms) - t0) / 1000))
    [ "$elapsed" -ge "$duration" ] && break
    if [ "$changing_since" = 0 ] && ! alive "$host_pid" "$host"; then
        # The host client ended at its --seconds: the session changes host.
        # It closed the session just before it printed what it measured
        # (its exit can come a second later: the leak check).
        changing_since=$(now_ms)
        went=$(first_ms "$host" '^measured: ')
        [ -n "$went" ] || went=$(first_ms "$host" '^=== exit ')
        kill_at=$((went - 200))
        kill_times+=("$kill_at")
        say "the host $host ended by itself"
    fi
    if [ "$changing_since" != 0 ]; then
        if ! find_new_host && [ $(($(now_ms) - changing_since)) -gt 20000 ]; then
            problem "no new host 20 s after the host went (clients left: $(live_clients | tr '\n' ' '))"
            break
        fi
        sleep 0.2
        continue
    fi
    if [ "${#host_kill_at[@]}" -gt "$host_kills" ] && [ "$elapsed" -ge "${host_kill_at[$host_kills]}" ]; then
        kill_at=$(now_ms)
        kill -9 "$host_pid"
        killed[$host]=1
        host_kills=$((host_kills + 1))
        kill_times+=("$kill_at")
        changing_since=$kill_at
        say "killed the host $host"
        continue
    fi
    mapfile -t live < <(live_clients | grep -vx "$host")
    # Now and then a client other than the host crashes; half come back.
    if [ "${#live[@]}" -gt 1 ] && [ $((RANDOM % 12)) = 0 ]; then
        victim=${live[$((RANDOM % ${#live[@]}))]}
        kill -9 "${pidof[$victim]}"
        killed[$victim]=1
        client_kills=$((client_kills + 1))
        say "killed $victim"
        if [ $((RANDOM % 2)) = 0 ]; then
            comebacks=$((comebacks + 1))
            start_client "${victim%_*}" "${homeof[$victim]}"
        fi
    fi
    # Between three and five clients; newcomers now and then.
    count=$(live_clients | wc -l)
    if [ "$count" -lt 3 ] || { [ "$count" -lt 5 ] && [ $((RANDOM % 6)) = 0 ]; }; then
        names=$((names + 1))
        start_client "Soak$names"
    fi
    sleep 1
done

# The others first, the host last: nobody is left to take over from it.
say "time is up: every program still running is asked to end, the host $host last"
for c in "${clients[@]}"; do
    [ "$c" != "$host" ] && alive "${pidof[$c]}" "$c" && kill -TERM "${pidof[$c]}"
done
for c in "${clients[@]}"; do [ "$c" = "$host" ] || ended 60 "$c" || problem "$c did not end on SIGTERM"; done
alive "$pid_server" server && kill -TERM "$pid_server"
[ "$host" != server ] && alive "$host_pid" "$host" && kill -TERM "$host_pid"
for c in server "${clients[@]}"; do ended 60 "$c" || problem "$c did not end on SIGTERM"; done
stop_all

# ---- The checks.
logs=("$work"/*.log)
if findings "${logs[@]}" >/dev/null; then
    while read -r f; do problem "$(basename "$f"): $(findings "$f" | head -n 1)"; done \
        < <(grep -lE 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|INVARIANT BROKEN' "${logs[@]}")
fi
new_hosts=0
for c in "${clients[@]}"; do
    n=$(text "$c" | grep -cx "You are the new host")
    new_hosts=$((new_hosts + n))
    status=$(status_of "$c")
    if [ -n "${killed[$c]:-}" ]; then
        [ "$status" = 137 ] || problem "$c was killed but ended with $status"
        continue
    fi
    case "$status" in
    0) ;;
    1) say "$c ended with 1: $(text "$c" | grep -v '^=== ' | tail -n 2 | head -n 1)" ;;
    *) problem "$c ended with $status" ;;
    esac
    if ! grep -q '^Level "' <(text "$c"); then
        # One that asked to join a host in its last moments is told so.
        if [ "$status" = 1 ] && [ "${targetof[$c]}" != "$target" ] &&
            grep -qx "No answer from ${targetof[$c]}" <(text "$c"); then
            late=$((late + 1))
        else
            problem "$c never played (it ended with $status)"
        fi
    fi
    if [ "$n" -gt 0 ] && [ "$status" = 0 ]; then
        grep -q "^Bots on .*invariants hold$" <(text "$c") || problem "$c hosted but did not say its invariants held"
    fi
done
# Every new host came within 20 s of a host going (a taker-over that never
# answers costs some 6 s more), one for each.
for c in "${clients[@]}"; do
    while read -r t; do
        ok=""
        for k in "${kill_times[@]}"; do [ "$t" -ge "$k" ] && [ "$t" -le $((k + 20000)) ] && ok=1; done
        [ -n "$ok" ] || problem "$c took over at $t ms, when no host had gone"
    done < <(awk '/ You are the new host$/ { print $1 }' "$work/$c.log")
done
[ "$new_hosts" = "${#kill_times[@]}" ] || problem "${#kill_times[@]} hosts went, $new_hosts took over"
[ "$host_kills" -ge 2 ] || problem "only $host_kills host kills"
server_status=$(status_of server)
[ "$server_status" = 137 ] || { [ "$server_status" = 0 ] && grep -q "invariants hold" <(text server); } ||
    problem "the dedicated server ended with $server_status"
echo "soak: $minutes min; ${#clients[@]} client runs, $client_kills clients killed ($comebacks started again)," \
    "$host_kills hosts killed, ${#kill_times[@]} hosts gone in all, $new_hosts took over," \
    "$late came as their host went;" \
    "$(cat "$work"/*.log | grep -cE ' killed | commited suicide$') kill lines in all logs; logs in $work"
if [ "${#problems[@]}" -gt 0 ]; then
    echo "soak: ${#problems[@]} problems"
    exit 1
fi
echo "soak: no sanitizer finding, every invariant held, every host change taken over"
