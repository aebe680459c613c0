#!/usr/bin/env bash
# Benchmark: the processor time Kestrive uses while it waits, under Wine,
# through the real windows: the Computer window's Delete of several marked
# lines (each waits one second for the process it ended, the windows
# responsive meanwhile), and the Pen Drive window left alone with a full
# virus list of 32,767 entries. Builds what it needs, prints the CPU time
# of the process against the time that passed and writes them to
# bench/out/cpu.txt. A benchmark, not a test: a MISS does not fail it.
#
#   bench/cpu.sh [lines]          (default 5)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/lib.sh"
lines="${1:-5}"
whole_numbers "bench/cpu.sh [lines]" "$lines"
bench_run cpu "CPU while waiting benchmark" "kestrive kauto pskill" "$lines"
