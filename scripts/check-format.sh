#!/usr/bin/env bash
# Lays out our C and C++ sources by .clang-format. Without arguments it only
# checks: it lists every file whose layout would change, with the number of
# its lines that would, and fails if there is any. With -i it rewrites those
# files in place. third_party/ keeps the layout of its own authors.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h' ':!third_party')
if [ "${1:-}" = "-i" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

changed=0
lines=0
for f in "${files[@]}"; do
  n=$(clang-format "$f" | diff "$f" - | grep -c '^<' || true)
  if [ "$n" -gt 0 ]; then
    echo "$f: $n lines"
    changed=$((changed + 1))
    lines=$((lines + n))
  fi
done
if [ "$changed" -gt 0 ]; then
  echo "$changed files ($lines lines) differ from .clang-format; make format lays them out" >&2
  exit 1
fi
