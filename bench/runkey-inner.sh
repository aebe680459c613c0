# The Run-entry scan benchmark, inside tools/wine-env.sh (see bench/runkey.sh):
# E executables in the profile folder and V text values in the current user's
# Run key, one value in ten naming one of those executables, the others
# programs elsewhere. Times the Computer window's Scan, from the click to
# its "Done." box, and checks that it listed what it should.
#
#   runkey-inner.sh <executables> <values> <rounds>
set -euo pipefail
exes="${1:-1000}"
values="${2:-1000}"
rounds="${3:-1}"
source "$SOURCE_DIR/bench/lib.sh"
bench_inner runkey

app="$(work_folder tool bench)"
run_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
bench_files="$profile_host/kestrive-bench"
cleanup() {
  "$WINE" reg delete "$run_key" /va /f >/dev/null 2>&1 || true
  [ -f "$bench_files" ] && (cd "$profile_host" && xargs -d '\n' rm -f <"$bench_files") || true
  rm -f "$bench_files"
  rm -rf "$E2E_ROOT/bench"
}
trap cleanup EXIT

# ---- the profile folder and the Run key

# Names no other name contains, so a value matches exactly one executable.
exe_name() { printf 'svc%05d.exe' "$1"; }
names=()
for (( i = 0; i < exes; i++ )); do names+=("$(exe_name "$i")"); done
printf '%s\n' "${names[@]}" >"$bench_files"
(cd "$profile_host" && printf '%s\0' "${names[@]}" | xargs -0 touch)

"$WINE" reg delete "$run_key" /va /f >/dev/null 2>&1 || true
reg_file="$WINEPREFIX/drive_c/kestrive-bench.reg"
declare -A line_of  # executable -> the one line its value gives
{
  printf 'REGEDIT4\r\n\r\n[%s]\r\n' "$run_key"
  for (( v = 0; v < values; v++ )); do
    name="$(printf 'Startup %05d' "$v")"
    if (( v % 10 == 0 && v / 10 < exes )); then
      exe="$(exe_name $(( v / 10 )))"
      data="$profile\\$exe"
      line_of[$exe]="$exe | $name | $data"
    else
      data="\"C:\\Program Files\\Vendor $v\\tray.exe\" /background"
    fi
    reg_sz "$name" "$data"
  done
} >"$reg_file"
reg_import "$reg_file"

echo "profile folder $profile: $exes executables; Run key: $values text values, ${#line_of[@]} naming one of them"

# ---- rounds

ms_all=()
for (( r = 1; r <= rounds; r++ )); do
  computer_scan_listing "$app" lst_P lst_V
  ms_all+=("$ms")
  mapfile -t listed < <(listed lst_P)
  mapfile -t lines < <(listed lst_V)
  # The lines come grouped by executable, in the folder's listing order.
  want=()
  for exe in "${listed[@]}"; do [ -n "${line_of[$exe]:-}" ] && want+=("${line_of[$exe]}"); done
  printf '== round %s of %s: Scan %s ms   -> lst_P %s names, lst_V %s lines\n' \
    "$r" "$rounds" "$ms" "${#listed[@]}" "${#lines[@]}"
  if [ "${#listed[@]}" -ne "$exes" ] || [ "${#want[@]}" -ne "${#line_of[@]}" ] ||
     [ "$(printf '%s\n' "${lines[@]}")" != "$(printf '%s\n' "${want[@]}")" ]; then
    warn "expected $exes names and ${#line_of[@]} lines, one per matching value, in folder order"
  fi
done

scan="$(median "${ms_all[@]}")"

echo
echo "executables:         $exes in $profile"
echo "Run values:          $values (REG_SZ), ${#line_of[@]} naming a profile executable"
echo "Run scan:            $scan ms   (click on Scan to the 'Done.' box; rounds: ${ms_all[*]})"
target "Run scan within 1 s" [ "$scan" -le 1000 ]
warnings_note "the lists were not what the scan should show"
