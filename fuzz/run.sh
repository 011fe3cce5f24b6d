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
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$name-" "$corpus" "${seeds[@]}" \
       >"$build/$name.log" 2>&1; then
    echo "!! $name found a fault; see $build/$name.log and $build/artifacts/" >&2
    tail -40 "$build/$name.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$build/$name.log" || true
  fi
done
exit $status
