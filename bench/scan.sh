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
source "$root/bench/lib.sh"
entries="${1:-32767}"
rounds="${BENCH_ROUNDS:-3}"
whole_numbers "bench/scan.sh [entries]" "$entries" "$rounds"
bench_run scan "Pen Drive scan benchmark" "kestrive kauto pskill rootattrs" "$entries" "$rounds"
