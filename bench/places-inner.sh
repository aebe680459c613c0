# The start-up places scan benchmark, inside tools/wine-env.sh (see
# bench/places.sh): F files over the drop folders and V text values over
# every start-up key, one value in ten starting a file of a drop folder.
# Times the Computer window's Scan, from the click to its "Done." box, and
# checks that it listed one line per such value.
#
#   places-inner.sh <files> <values> <rounds>
set -euo pipefail
files="${1:-1000}"
values="${2:-1000}"
rounds="${3:-1}"
source "$SOURCE_DIR/bench/lib.sh"
bench_inner places

app="$(work_folder tool bench)"
# Each drop folder, and a subfolder of it that is none, Windows path and host
# path, below the profile folder.
user_folders
folders_win=("AppData\\Roaming" "AppData\\Local" "${temp#"$profile\\"}" "${startup#"$profile\\"}"
  "AppData\\Local\\Programs\\Bench")
folders_host=("${folders_win[@]//\\//}")
keys=('HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
  'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\RunOnce'
  'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run'
  'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run'
  'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\RunOnce'
  'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run'
  'HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'
  'HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\RunOnce'
  'HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run')
bench_list="$profile_host/kestrive-bench-places"
cleanup() {
  for k in "${keys[@]}"; do "$WINE" reg delete "$k" /va /f >/dev/null 2>&1 || true; done
  [ -f "$bench_list" ] && xargs -d '\n' rm -f <"$bench_list" || true
  rm -f "$bench_list"
  rm -rf "$E2E_ROOT/bench"
}
trap cleanup EXIT

# ---- the files: names no other name contains; programs, scripts in %TEMP%,
# and in the Startup folder documents, so that only the values list files.
file_of() { # index -> "folder-index name"
  local f=$(( $1 % ${#folders_host[@]} ))
  local ext=exe
  case "$f" in 2) ext=vbs ;; 3) ext=txt ;; esac
  echo "$f bench$(printf '%05d' "$1").$ext"
}
: >"$bench_list"
for (( i = 0; i < files; i++ )); do
  read -r f name <<<"$(file_of "$i")"
  mkdir -p "$profile_host/${folders_host[$f]}"
  echo "$profile_host/${folders_host[$f]}/$name" >>"$bench_list"
done
xargs -d '\n' touch <"$bench_list"

for k in "${keys[@]}"; do "$WINE" reg delete "$k" /va /f >/dev/null 2>&1 || true; done
reg_file="$WINEPREFIX/drive_c/kestrive-bench.reg"
expected=0
{
  printf 'REGEDIT4\r\n\r\n'
  for (( k = 0; k < ${#keys[@]}; k++ )); do
    printf '[%s]\r\n' "${keys[$k]}"
    for (( v = k; v < values; v += ${#keys[@]} )); do
      name="$(printf 'Startup %05d' "$v")"
      data="\"C:\\Program Files\\Vendor $v\\tray.exe\" /background"
      if (( v % 10 == 0 && v / 10 < files )); then
        read -r f file <<<"$(file_of $(( v / 10 )))"
        path="$profile\\${folders_win[$f]}\\$file"
        case "$f" in
          0 | 1) data="\"$path\" -autorun"; expected=$((expected + 1)) ;;
          2) data="wscript.exe //B \"$path\""; expected=$((expected + 1)) ;;
          *) data="\"$path\"" ;;  # a document, or a program one folder down: never listed
        esac
      fi
      reg_sz "$name" "$data"
    done
    printf '\r\n'
  done
} >"$reg_file"
reg_import "$reg_file"

echo "drop folders: $files files; start-up keys: $values text values, $expected starting a file of a drop folder"

# ---- rounds

ms_all=()
for (( r = 1; r <= rounds; r++ )); do
  computer_scan_listing "$app" lst_V
  ms_all+=("$ms")
  mapfile -t lines < <(listed lst_V)
  printf '== round %s of %s: Scan %s ms   -> lst_V %s lines\n' "$r" "$rounds" "$ms" "${#lines[@]}"
  if [ "${#lines[@]}" -ne "$expected" ]; then
    warn "expected $expected lines, one per value starting a file of a drop folder"
    printf '   %s\n' "${lines[@]}" | grep -v ' | Startup [0-9]* | ' | head -20 >&2 || true
  fi
done

scan="$(median "${ms_all[@]}")"

echo
echo "drop-folder files:   $files"
echo "start-up values:     $values (REG_SZ) over ${#keys[@]} keys, $expected starting a file of a drop folder"
echo "places scan:         $scan ms   (click on Scan to the 'Done.' box; rounds: ${ms_all[*]})"
target "places scan within 0.5 s" [ "$scan" -le 500 ]
warnings_note "the list was not what the scan should show"
