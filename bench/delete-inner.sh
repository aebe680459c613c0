# The Pen Drive Delete benchmark, inside tools/wine-env.sh (see bench/delete.sh):
# for each size, a drive E: whose root holds that many shortcuts, hidden,
# system and read-only as the worm leaves them. Kestrive scans it through the
# real window, then its Delete of the virus list (automatic mode, the whole
# list) is timed from Yes to the "$DeleteComplete" box. The same names are
# then made again on the same root, as the scan left them, and Windows' own
# del /f /a deletes them.
#
#   delete-inner.sh <rounds> <entries> [<entries> ...]
set -euo pipefail
rounds="${1:-1}"
shift
sizes=("$@")
source "$SOURCE_DIR/bench/lib.sh"
bench_inner delete

app="$(work_folder tool bench)"
win_cmd() { (cd "$WINEPREFIX/drive_c" && "$WINE" cmd /c "$@" >/dev/null 2>&1); }
# How many entries the root holds (an empty root cannot even be listed).
entries_left() { rootattrs count 'E:\' 2>/dev/null | sed -n 's/^\([0-9]*\) entries.*/\1/p' | grep . || echo 0; }
expect_empty() {
  local left
  left="$(entries_left)"
  if [ "$left" != 0 ]; then warn "$left entries left on E:\\ after $1"; fi
}

map_drive E
make_root() {
  rm -rf "${DRIVES:?}/e/"*
  shortcuts_on_e "$1"
}

mkdir -p "$WINEPREFIX/drive_c/bench-empty"
rm -rf "$WINEPREFIX/drive_c/bench-empty/"*
t0="$(now_ms)"
win_cmd del /f /a /q 'C:\bench-empty\*' || true
cmd_startup_ms=$(( $(now_ms) - t0 ))

declare -A delete_of del_of
for n in "${sizes[@]}"; do
  delete_ms=() del_ms=()
  for (( r = 1; r <= rounds; r++ )); do
    make_root "$n"
    rootattrs set 'E:\' 7 >/dev/null
    bench_drive "$n entries" <<EOF
$(pen_drive_scan_timed "$app" E)
expect-checked frm_rd chkAD 1
sleep 300
expect-enabled frm_rd btn_d2 1
click frm_rd btn_d2
wait-box "$ConfirmDelete"
stopwatch start
box "$ConfirmDelete" yes question
wait-box "$DeleteComplete" 1800
stopwatch print delete
box "$DeleteComplete" ok
menu frm_rd f_Exit
wait-exit 60
EOF
    bench_ms delete
    delete_ms+=("$ms")
    expect_empty "Delete"

    # The same names as Delete found them: the scan had left them normal.
    make_root "$n"
    t0="$(now_ms)"
    win_cmd del /f /a /q 'E:\*' || true
    t1="$(now_ms)"
    del_ms+=("$((t1 - t0))")
    expect_empty "del"
    printf '== %s entries, round %s of %s: Delete %s ms, del %s ms\n' "$n" "$r" "$rounds" "$ms" "$((t1 - t0))"
  done
  delete_of[$n]="$(median "${delete_ms[@]}")"
  del_of[$n]="$(median "${del_ms[@]}")"
  echo "   rounds: Delete ${delete_ms[*]}; del ${del_ms[*]}"
done

per_entry() { awk -v ms="$1" -v n="$2" 'BEGIN { printf "%.3f", ms / n }'; }
echo
echo "rounds:              $rounds (medians below)"
for n in "${sizes[@]}"; do
  printf 'entries %-12s Delete %s ms, del %s ms   (per entry %s ms, %s ms)\n' "$n:" "${delete_of[$n]}" "${del_of[$n]}" \
    "$(per_entry "${delete_of[$n]}" "$n")" "$(per_entry "${del_of[$n]}" "$n")"
done
echo "  del includes starting cmd: $cmd_startup_ms ms (del on an empty folder)"
prev=""
for n in "${sizes[@]}"; do
  if [ -n "$prev" ]; then
    awk -v a="$prev" -v b="$n" -v da="${delete_of[$prev]}" -v db="${delete_of[$n]}" -v xa="${del_of[$prev]}" \
      -v xb="${del_of[$n]}" 'BEGIN {
        printf "growth %s -> %s: entries x%.2f, Delete x%.2f (per entry x%.2f), del x%.2f (per entry x%.2f)\n",
          a, b, b / a, db / da, (db / b) / (da / a), xb / xa, (xb / b) / (xa / a) }'
  fi
  prev="$n"
done
first="${sizes[0]}" last="${sizes[-1]}"
ratio="$(awk -v a="$first" -v b="$last" -v da="${delete_of[$first]}" -v db="${delete_of[$last]}" \
  'BEGIN { printf "%.2f", (db / b) / (da / a) }')"
speed="$(divide "${delete_of[$last]}" "${del_of[$last]}")"
echo "per entry $last/$first:   $ratio"
echo "Delete/del at $last:  $speed"
target "Delete of $last entries no slower than del of them" [ "${delete_of[$last]}" -le "${del_of[$last]}" ]
target "time per entry at $last within 1.5x of that at $first" awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }'
warnings_note "entries were left on the drive"

rm -rf "${DRIVES:?}/e" "$WINEPREFIX/drive_c/bench-empty" "$E2E_ROOT/bench"
