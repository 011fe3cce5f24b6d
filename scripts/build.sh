#!/usr/bin/env bash
# Installs what is missing and builds the game into build/bin.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOOR_WERROR=ON >/dev/null
cmake --build "$root/build" -j 2
