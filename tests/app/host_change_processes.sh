#!/usr/bin/env bash
# The change of host and the comeback after a crash, with real processes on
# 127.0.0.1, every line stamped with the time it appeared.
#  1. A dedicated server and two headless autopilot clients, Ann (joined
#     first) and Ben, play until kills have been seen; the server is killed
#     with SIGKILL. Within 5 s Ann says "You are the new host" and Ben
#     "SERVER CHANGED, WEAPON RESET"; both go on seeing kills (each of Ben's
#     is Ann's), both end cleanly at their --seconds, and every invariant
#     held while Ann was the host.
#  2. A client killed with SIGKILL once it has frags, and started again at
#     once with the same name and HOME (so its rejoin token is found there),
#     gets its seat and its frags back. Nothing prints a score table on a
#     client: the restarted client records its match, and the frags its
#     playback ends with must be those the server counted before the crash
#     plus those the client saw itself score since.
# Each process has a HOME of its own (see stamped_runs.sh).
# Prints how many ms after each SIGKILL every awaited line appeared. Run as:
#   host_change_processes.sh PROGRAM
set -uo pipefail
program="$1"
work="$(mktemp -d)"
trap 'stop_all; rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
fail() {
    echo "host change processes: $*"
    for f in "$work"/*.log; do
        [ -f "$f" ] || continue
        echo "--- $(basename "$f") (last lines)"
        tail -n 25 "$f"
    done
    exit 1
}
source "$(dirname "$0")/stamped_runs.sh"

kills='( killed |commited suicide$)'
# frags NAME PLAYER [UNTIL_REGEX]: PLAYER's frags from the kill lines of
# NAME's log (up to the first UNTIL line): one a kill, minus one a suicide.
frags() {
    text "$1" | awk -v p="$2" -v until="${3:-^\$never}" '
        $0 ~ until { exit }
        index($0, p " killed ") == 1 { n++ }
        $0 == p " commited suicide" { n-- }
        END { print n + 0 }'
}
no_sanitizer_finding() {
    findings "$work/$1.log" >/dev/null && fail "$1: $(findings "$work/$1.log" | head -n 1)"
    return 0
}

# ---- 1. The server is killed: Ann takes over, Ben comes over to her.
port=$(free_port)
run server --headless --host "Moor Hall" --port "$port" --bots 4 --map "The Pit" \
    --fraglimit 1000 --seed 5 --seconds 400
await 30 server '^Level "' || fail "the server did not start"
ann_start=$(now_ms)
run ann --headless --join "127.0.0.1:$port" --name Ann --autopilot --seconds 60
await 30 ann '^Level "' || fail "Ann did not start playing"
# Ben ends well before Ann, so that Ann stays his host to the end.
ben_seconds=$((60 - ($(now_ms) - ann_start) / 1000 - 12))
[ "$ben_seconds" -ge 30 ] || fail "Ann took $((($(now_ms) - ann_start) / 1000)) s to join"
run ben --headless --join "127.0.0.1:$port" --name Ben --autopilot --seconds "$ben_seconds"
await 30 ben '^Level "' || fail "Ben did not start playing"
for _ in $(seq 1 300); do
    [ "$(text ben | grep -cE "$kills")" -ge 2 ] && break
    sleep 0.1
done
[ "$(text ben | grep -cE "$kills")" -ge 2 ] || fail "no kills in 30 s before the change"

killed=$(now_ms)
kill -9 "$pid_server"
await 15 ann '^You are the new host$' || fail "Ann did not take over"
await 15 ben '^SERVER CHANGED, WEAPON RESET$' || fail "Ben was not told of the change"
new_host=$(($(first_ms ann '^You are the new host$') - killed))
changed=$(($(first_ms ben '^SERVER CHANGED, WEAPON RESET$') - killed))
ended $((ben_seconds + 30)) ben || fail "Ben did not end by himself"
ended 60 ann || fail "Ann did not end by herself"

[ "$(status_of ann)" = 0 ] || fail "Ann ended with $(status_of ann)"
[ "$(status_of ben)" = 0 ] || fail "Ben ended with $(status_of ben)"
no_sanitizer_finding ann
no_sanitizer_finding ben
no_sanitizer_finding server
[ "$new_host" -le 5000 ] || fail "Ann took over $new_host ms after the kill (limit 5000)"
[ "$changed" -le 5000 ] || fail "Ben heard of the change $changed ms after the kill (limit 5000)"
grep -qx "SERVER CHANGED, WEAPON RESET" <(text ann) && fail "the new host was told the server changed"
grep -qx "You are the new host" <(text ben) && fail "Ben took over too"
# Each is told the server went ("Connection to the host lost"), and plays on.
for c in ann ben; do
    grep -qx "Connection to the host lost" <(text "$c") || fail "$c was not told the server went"
    grep -qE "cannot be reached|still hears the host|^The session ended" <(text "$c") &&
        fail "$c lost the game"
done
grep -q "^measured: " <(text ben) || fail "Ben printed no measured line"
grep -q "^Bots on .*invariants hold$" <(text ann) || fail "the game under Ann broke an invariant"
# The kills since the change: Ann decides them, Ben sees hers.
after() { awk -v from="$2" '$1 > from' "$work/$1.log" | cut -d' ' -f2- | grep -E "$kills"; }
ann_after=$(after ann "$((killed + new_host))" | wc -l)
ben_after=$(after ben "$((killed + changed))" | wc -l)
[ "$ann_after" -gt 0 ] || fail "Ann saw no kill after taking over"
[ "$ben_after" -gt 0 ] || fail "Ben saw no kill after coming over"
while read -r line; do
    grep -qxF "$line" <(text ann) || fail "Ben saw \"$line\" after the change, Ann did not"
done < <(after ben "$((killed + changed))")
first_kill() { first_ms "$1" "$kills" "$2"; }
echo "host change: server killed; \"You are the new host\" on Ann after $new_host ms," \
    "\"SERVER CHANGED, WEAPON RESET\" on Ben after $changed ms;" \
    "first kill after it at $(($(first_kill ann "$((killed + new_host))") - killed)) ms (Ann)," \
    "$(($(first_kill ben "$((killed + changed))") - killed)) ms (Ben);" \
    "kills since: Ann $ann_after, Ben $ben_after"

# ---- 2. A client crashes and comes back: its seat and its frags are back.
port=$(free_port)
run server2 --headless --host "Moor Hall" --port "$port" --bots 4 --map "The Pit" \
    --fraglimit 1000 --seed 6 --seconds 400
await 30 server2 '^Level "' || fail "the second server did not start"
run crasher --headless --join "127.0.0.1:$port" --name Crasher --autopilot --seconds 300
await 30 crasher '^Level "' || fail "Crasher did not start playing"
for _ in $(seq 1 900); do
    [ "$(frags server2 Crasher)" -ge 2 ] && break
    sleep 0.1
done
[ "$(frags server2 Crasher)" -ge 2 ] || fail "Crasher had no 2 frags after 90 s"
tokens="$work/crasher/.config/moorclash/rejoin_tokens"
grep -q "^127.0.0.1:$port	Crasher	" "$tokens" 2>/dev/null || fail "no rejoin token in Crasher's HOME"

killed=$(now_ms)
kill -9 "$pid_crasher"
mv "$work/crasher.log" "$work/crasher-first.log"
ended 10 crasher-first || fail "the killed client's log did not end"
run crasher --headless --join "127.0.0.1:$port" --name Crasher --autopilot --seconds 20 \
    --record "$work/back.moorrec"
ended 80 crasher || fail "the restarted Crasher did not end by itself"
[ "$(status_of crasher)" = 0 ] || fail "the restarted Crasher ended with $(status_of crasher)"
no_sanitizer_finding crasher
kept=$(frags server2 Crasher '^Crasher left$')
[ "$(text server2 | grep -cx "Crasher left")" -ge 1 ] || fail "the server never let the crashed Crasher go"
[ "$(text server2 | grep -cx "Crasher joined the game")" = 2 ] || fail "the server did not see Crasher join twice"
back=$(($(first_ms crasher '^Crasher joined the game$') - killed))
since=$(frags crasher Crasher)
run replay --headless --replay "$work/back.moorrec"
ended 60 replay || fail "the playback did not end"
[ "$(status_of replay)" = 0 ] || fail "the playback ended with $(status_of replay)"
summary=$(text replay | grep '^Replay: ')
shown=$(echo "$summary" | grep -oE '[:,] Crasher -?[0-9]+(,|$)' | grep -oE -- '-?[0-9]+')
[ -n "$shown" ] || fail "the playback's summary names no Crasher: $summary"
[ "$shown" = $((kept + since)) ] ||
    fail "Crasher ends with $shown frags, not the $kept kept at the crash plus $since since"
kill -TERM "$pid_server2"
ended 30 server2 || fail "the second server did not end on SIGTERM"
[ "$(status_of server2)" = 0 ] || fail "the second server ended with $(status_of server2)"
grep -q "invariants hold" <(text server2) || fail "the second server's invariants broke"
no_sanitizer_finding server2
echo "comeback: Crasher killed with $kept frags, back in the game $back ms after the kill," \
    "ends with $shown frags ($kept kept + $since scored since)"
echo "host change processes: passed"
