#!/usr/bin/env bash
# Benchmark: Kestrive's Pen Drive Scan, through the real window under Wine,
# against Windows' own attrib clearing hidden, system and read-only on the
# same root of a drive E: (by default 32,767 entries, most hidden and system).
# Builds what it needs, prints both times and their ratio and writes them to
# bench/out/scan.txt. A benchmark, not a test: a MISS does not fail it.
#
#   bench/scan.sh [entries]           BENCH_ROUNDS=n for n rounds (default 3; medians)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
entries="${1:-32767}"
rounds="${BENCH_ROUNDS:-3}"
case "$entries$rounds" in *[!0-9]*) echo "usage: bench/scan.sh [entries]" >&2; exit 2 ;; esac
"$root/tools/setup.sh"
KESTRIVE_TARGETS="kestrive kauto pskill rootattrs" "$root/tools/build.sh" >/dev/null
mkdir -p "$root/bench/out"
out="$root/bench/out/scan.txt"
{
  echo "Pen Drive scan benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg),"
  echo "$(wine --version 2>/dev/null | head -1), kestrive.exe built from $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo '?') + working tree"
  KESTRIVE_WINEPREFIX="$root/build/win32/bench-prefix" "$root/tools/wine-env.sh" "$root/build/win32" e2e "$root/bench/scan-inner.sh" "$entries" "$rounds"
} 2>&1 | tee "$out"
