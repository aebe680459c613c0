#!/usr/bin/env bash
# Benchmark: the Pen Drive window's Delete of the whole virus list ("Automatic
# Delete All Virus (Recommended)" checked), through the real window under
# Wine, on roots of drive E: whose every entry is a shortcut (by default of
# 1,000, 4,000, 16,000 and 32,767 entries), against Windows' own del /f /a of
# the same names on the same root in the same run. Prints both times for
# each size, the time per entry and its growth from each size to the next,
# and writes them to bench/out/delete.txt. A benchmark, not a test: a MISS
# does not fail it.
#
#   bench/delete.sh [entries ...]     BENCH_ROUNDS=n for n rounds (default 3; medians)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/bench/lib.sh"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 4000 16000 32767)
rounds="${BENCH_ROUNDS:-3}"
whole_numbers "bench/delete.sh [entries ...]" "${sizes[@]}" "$rounds"
for n in "${sizes[@]}"; do
  if [ "$n" -lt 1 ] || [ "$n" -gt 32767 ]; then echo "delete.sh: a list holds 1 to 32767 entries" >&2; exit 2; fi
done
bench_run delete "Pen Drive Delete benchmark" "kestrive kauto pskill rootattrs" "$rounds" "${sizes[@]}"
