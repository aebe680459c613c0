#!/usr/bin/env bash
# Benchmark: the Pen Drive Scan of a root of shortcuts, which now reads every
# shortcut, against the scan as it was before shortcuts were read (the exe
# built from BENCH_BASE, by default where this branch left main), on the same
# root of drive E: (by default 32,767 shortcuts, read-only, hidden and
# system). Prints both times and their ratio and writes them to
# bench/out/payloads.txt. A benchmark, not a test: a MISS does not fail it.
#
#   bench/payloads.sh [entries]        BENCH_ROUNDS=n for n rounds (default 3; medians)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/lib.sh"
entries="${1:-32767}"
rounds="${BENCH_ROUNDS:-3}"
whole_numbers "bench/payloads.sh [entries]" "$entries" "$rounds"
base="${BENCH_BASE:-$(git -C "$root" merge-base HEAD main)}"
# The earlier exe, built once per commit in a folder of its own.
base_dir="$root/build/bench-base/$(git -C "$root" rev-parse --short "$base")"
if [ ! -f "$base_dir/kestrive.exe" ]; then
  rm -rf "$base_dir"
  mkdir -p "$base_dir/src"
  git -C "$root" archive "$base" | tar -x -C "$base_dir/src"
  (cd "$base_dir/src" && cmake --preset win32 >/dev/null && cmake --build build/win32 --target kestrive >/dev/null)
  cp "$base_dir/src/build/win32/kestrive.exe" "$base_dir/kestrive.exe"
  rm -rf "$base_dir/src"
fi
bench_run payloads "Pen Drive scan of shortcuts, read against not read (base $(git -C "$root" rev-parse --short "$base"))" \
  "kestrive kauto pskill rootattrs mklink" "$entries" "$rounds" "$base_dir/kestrive.exe"
