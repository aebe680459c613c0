#!/usr/bin/env bash
# Benchmark: the Computer window's Scan of every start-up place under Wine,
# through the real window: 1,000 files spread over the drop folders
# (%APPDATA%, %LOCALAPPDATA%, %TEMP%, the Startup folder and subfolders of
# them) and 1,000 text values spread over the user's and the machine's Run,
# RunOnce and policy Run keys in both views, one value in ten starting a file
# of a drop folder directly or through wscript. Prints the time from the click
# on Scan to the "Done." box and writes it to bench/out/places.txt. A
# benchmark, not a test: a MISS does not fail it.
#
#   bench/places.sh [files] [values]   BENCH_ROUNDS=n for n rounds (default 3; median)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/lib.sh"
files="${1:-1000}"
values="${2:-1000}"
rounds="${BENCH_ROUNDS:-3}"
whole_numbers "bench/places.sh [files] [values]" "$files" "$values" "$rounds"
bench_run places "Start-up places scan benchmark" "kestrive kauto pskill" "$files" "$values" "$rounds"
