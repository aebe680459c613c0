#!/usr/bin/env bash
# Formats the C++ sources as .clang-format says; --check changes nothing and
# fails, naming the files, when one is not formatted.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files -co --exclude-standard '*.cpp' '*.h' | grep -v '^build/')
if [ "${1:-}" = --check ]; then
  bad=()
  for f in "${files[@]}"; do
    [ -f "$f" ] || continue
    clang-format --style=file "$f" | cmp -s - "$f" || bad+=("$f")
  done
  if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted (run tools/format.sh): %s\n' "${bad[@]}" >&2
    exit 1
  fi
else
  for f in "${files[@]}"; do [ -f "$f" ] && clang-format --style=file -i "$f"; done
fi
exit 0
