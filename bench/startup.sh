#!/usr/bin/env bash
# Benchmark: how long kestrive.exe takes under Wine from its start to its
# visible start-up window, over several runs (median). Builds what it needs
# and writes the figures to bench/out/startup.txt. A benchmark, not a test.
#
#   bench/startup.sh [runs]   (default 9, after one warm-up run that is not counted)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-9}"
case "$runs" in ''|*[!0-9]*) echo "usage: bench/startup.sh [runs]" >&2; exit 2 ;; esac
"$root/tools/setup.sh"
KESTRIVE_TARGETS="kestrive kauto pskill" "$root/tools/build.sh" >/dev/null
mkdir -p "$root/bench/out"
out="$root/bench/out/startup.txt"
{
  echo "Start-up benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg),"
  echo "$(wine --version 2>/dev/null | head -1), kestrive.exe built from $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo '?') + working tree"
  KESTRIVE_WINEPREFIX="$root/build/win32/bench-prefix" "$root/tools/wine-env.sh" "$root/build/win32" e2e "$root/bench/startup-inner.sh" "$runs"
} 2>&1 | tee "$out"
