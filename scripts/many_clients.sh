#!/usr/bin/env bash
# The load run: 31 headless autopilot clients on one dedicated server on
# 127.0.0.1 for five minutes (no bots, on "Green Acres").
# Reports every client's measured line, the server's tick median and 99th
# percentile, its upload in KB/s and whether every invariant held.
# The server takes a machine while the table has room for two more
# vehicles of it; a client turned away is counted, and the report says how
# many played.
# Not part of the test suite: it wants the machine to itself. Run as:
#   bash scripts/many_clients.sh [CLIENTS [SECONDS [BOTS]]]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
program="$here/build/bin/moorclash"
[ -x "$program" ] || { echo "build first: bash scripts/build.sh"; exit 1; }
exec bash "$here/tests/app/autopilot_processes.sh" "$program" "${1:-31}" "${2:-300}" "Green Acres" "${3:-0}" full-ok 64
