#!/usr/bin/env bash
# Installs what is missing and builds the game into build/bin.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
# ccache, where the machine has it, keeps rebuilds of several checkouts short.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOOR_WERROR=ON \
      "${launcher[@]}" >/dev/null
cmake --build "$root/build" -j 2
