#!/usr/bin/env bash
# Benchmark: the Computer window's Scan under Wine, through the real window,
# with many executables in the profile folder and many values in the current
# user's Run key (by default 1,000 of each; one value in ten names a profile
# executable). Builds what it needs, prints the time from the click on Scan
# to the "Done." box and writes it to bench/out/runkey.txt. A benchmark, not
# a test: a MISS does not fail it.
#
#   bench/runkey.sh [executables] [values]   BENCH_ROUNDS=n for n rounds (default 3; median)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/lib.sh"
exes="${1:-1000}"
values="${2:-1000}"
rounds="${BENCH_ROUNDS:-3}"
whole_numbers "bench/runkey.sh [executables] [values]" "$exes" "$values" "$rounds"
bench_run runkey "Run-entry scan benchmark" "kestrive kauto pskill" "$exes" "$values" "$rounds"
