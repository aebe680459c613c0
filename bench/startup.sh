#!/usr/bin/env bash
# Benchmark: how long kestrive.exe takes under Wine from its start to its
# visible start-up window, over several runs (median). Builds what it needs
# and writes the figures to bench/out/startup.txt. A benchmark, not a test.
#
#   bench/startup.sh [runs]   (default 9, after one warm-up run that is not counted)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/lib.sh"
runs="${1:-9}"
whole_numbers "bench/startup.sh [runs]" "$runs"
bench_run startup "Start-up benchmark" "kestrive kauto pskill" "$runs"
