#!/usr/bin/env bash
# Formats every C++ source of ours with the repository's .clang-format.
#   bash scripts/format.sh          rewrite the files in place
#   bash scripts/format.sh --check  change nothing; fail on any file that differs
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "format clean: ${#files[@]} files"
else
  clang-format -i "${files[@]}"
fi
