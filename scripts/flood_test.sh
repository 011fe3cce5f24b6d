#!/usr/bin/env bash
# The long flood: 10,000 forged ENet connects a second from addresses across
# 127.0.0.0/8 for ten seconds (or $1) at a host on 127.0.0.1 while a player
# joins and plays. Everything stays on this machine's loopback. Prints the
# join times, the host's pass time (99th percentile) quiet and flooded, and
# how much the process's resident memory grew.
# Usage: bash scripts/flood_test.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
seconds=${1:-10}
build=${2:-build}
MOOR_FLOOD_SECONDS=$seconds "$build/tests/moor_platform_tests" \
    --gtest_filter='HostileTraffic.ForgedConnectFlood*'
