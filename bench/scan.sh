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
source "$root/bench/lib.sh"
bench_run scan "Pen Drive scan benchmark" "kestrive kauto pskill rootattrs" "$entries" "$rounds"
