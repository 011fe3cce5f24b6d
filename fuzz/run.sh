#!/usr/bin/env bash
# Builds the fuzz targets with clang in the given folder and runs each for a
# while. Fails when a target finds a crash; the input is kept in
# <folder>/artifacts.
#   bash fuzz/run.sh BUILD_FOLDER [SECONDS_PER_TARGET=30]
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_FOLDER [SECONDS_PER_TARGET]" >&2
  exit 2
fi
build=$1
seconds=${2:-30}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMOOR_FUZZ=ON -DMOOR_GAME=OFF -DMOOR_TESTS=OFF -DMOOR_BENCH=OFF \
  -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
ninja -C "$build" -j2

mkdir -p "$build/artifacts"

# fuzz_one TARGET: runs one target; its lines go out when it ends, so two
# at once do not mix.
fuzz_one() {
  local target=$1 name corpus seeds=()
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$name-" "$corpus" "${seeds[@]}" \
       >"$build/$name.log" 2>&1; then
    { echo "!! $name found a fault in ${seconds}s; see $build/$name.log and $build/artifacts/"
      tail -40 "$build/$name.log"; } >&2
    return 1
  fi
  echo "== $name for ${seconds}s"
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/$name.log" || true
}

# Two targets at a time, one on each core.
status=0
running=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  fuzz_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge 2 ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
