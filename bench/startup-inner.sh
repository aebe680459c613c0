# The start-up benchmark, inside tools/wine-env.sh (see bench/startup.sh):
# kauto starts kestrive.exe (with the termination tool beside it, so no
# question comes first) and times it until the start-up window is visible;
# Exit ends each run before the next, as a second instance would end at once.
#
#   startup-inner.sh <runs>
set -euo pipefail
runs="${1:-9}"
source "$SOURCE_DIR/bench/lib.sh"
bench_inner startup

app="$(work_folder tool bench)"
trap 'rm -rf "$E2E_ROOT/bench"' EXIT

script="$(
  for (( r = 0; r <= runs; r++ )); do
    cat <<KAUTO
stopwatch start
launch $app\\kestrive.exe $app
wait-window frm_first 60
stopwatch print run$r
menu frm_first file_1
wait-exit 60
sleep 200
KAUTO
  done
)"
bench_drive <<<"$script"
bench_ms run0
warmup="$ms"
mapfile -t ms_all < <(echo "$out" | sed -n 's/^run[1-9][0-9]*: \([0-9]*\) ms$/\1/p')
[ "${#ms_all[@]}" -eq "$runs" ] || { echo "$out"; echo "startup: not every run printed a time"; exit 1; }

echo "runs:                $runs (after one warm-up run of $warmup ms)"
echo "start-up:            $(median "${ms_all[@]}") ms median   (launch to the visible start-up window; runs: ${ms_all[*]})"
echo "fastest, slowest:    $(printf '%s\n' "${ms_all[@]}" | sort -n | head -1) ms, $(printf '%s\n' "${ms_all[@]}" | sort -n | tail -1) ms"
