#!/bin/sh
# Bots only, every shipped map, every style: ten minutes of game time each
# with twelve bots, and the report line each run ends with.
#   tools/bot_census.sh [program folder, default build/bin] [seconds, default 600]
bin=${1:-build/bin}
seconds=${2:-600}
for map in "$bin"/*.map; do
    name=$(basename "$map" .map)
    for style in dm tw ctc; do
        printf '%-12s %-3s ' "$name" "$style"
        "$bin/moorclash" --headless --map "$name" --bots 12 --style "$style" \
            --fraglimit 1000 --seconds "$seconds" --seed 7 | tail -n 1
    done
done
printf '%-12s %-3s ' "Credits..." "-"
"$bin/moorclash" --headless --map "Credits..." --seconds "$seconds" --seed 7 | tail -n 1
