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
source "$root/bench/lib.sh"
bench_run startup "Start-up benchmark" "kestrive kauto pskill" "$runs"
