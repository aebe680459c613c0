# The Pen Drive scan benchmark, inside tools/wine-env.sh (see bench/scan.sh):
# a drive E: whose root holds N entries, most of them hidden and system, as the
# shortcut virus leaves a stick. Times Kestrive's Scan through the real window
# against Windows' own attrib clearing the same bits on the same root.
#
#   scan-inner.sh <entries> <rounds>
set -euo pipefail
entries="${1:-32767}"
rounds="${2:-1}"
source "$SOURCE_DIR/bench/lib.sh"
bench_inner scan

app="$(work_folder tool bench)"
win_attrib() { (cd "$WINEPREFIX/drive_c" && "$WINE" attrib "$@" >/dev/null); }
# counts LABEL READ-ONLY HIDDEN SYSTEM: prints the root's counts, and warns
# when they are not these.
counts() {
  local got
  got="$(rootattrs count 'E:\')"
  echo "$got"
  case "$got" in
    "$entries entries, $2 read-only, $3 hidden, $4 system "*) ;;
    *) warn "after $1 expected $entries entries, $2 read-only, $3 hidden, $4 system" ;;
  esac
}

# What the worm leaves: the user's entries hidden and system, its shortcuts
# read-only, its scripts, autorun files and copies read-only, hidden and system.
infect() {
  rootattrs set 'E:\' 6 .lnk:1 .inf:7 .vbs:7 .bat:7 .scr:7 .com:7 .pif:7 .cmd:7 .exe:7 .pdf:7
}

# ---- the root: names made on the host side, attributes set in one pass

map_drive E
root="$DRIVES/e"
protected_dirs=("System Volume Information" "\$RECYCLE.BIN" "RECYCLER" "Config.Msi" "Folder Settings")
markers=(.lnk .lnk .lnk .lnk .inf .vbs .lnk .bat .scr .lnk .com .pif .cmd .lnk)
plain=(.doc .jpg .txt .pdf .mp3 .xlsx .png .docx .zip .mp4)
files=() dirs=("${protected_dirs[@]}")
files+=("desktop.ini")
made=$(( ${#files[@]} + ${#dirs[@]} ))
n_virus=0 n_exe=0
for (( i = 0; made < entries; i++, made++ )); do
  id="$(printf %05d "$i")"
  case $(( i % 100 )) in
    0|1|2|3|4|5) files+=("Folder $id${markers[$(( i / 100 % ${#markers[@]} ))]}"); n_virus=$((n_virus + 1)) ;;
    6|7) files+=("setup $id.exe"); n_exe=$((n_exe + 1)) ;;
    8|9|10|11|12) dirs+=("Folder $id") ;;
    *) files+=("file $id${plain[$(( i % ${#plain[@]} ))]}") ;;
  esac
done
(cd "$root" && printf '%s\0' "${files[@]}" | xargs -0 touch && printf '%s\0' "${dirs[@]}" | xargs -0 mkdir)
mkdir -p "$WINEPREFIX/drive_c/bench-empty"
rm -rf "$WINEPREFIX/drive_c/bench-empty/"*

echo "root E:\\ with $entries entries: ${#dirs[@]} folders (5 protected), $((${#files[@]} - 1)) files + desktop.ini;"
echo "  $n_virus with a virus marker, $n_exe executables; most hidden and system"

# ---- rounds

scan_ms=() attrib_ms=() floor_ms=()
for (( r = 1; r <= rounds; r++ )); do
  echo "== round $r of $rounds"
  infect >/dev/null
  echo "   infected:      $(rootattrs count 'E:\')"

  bench_drive <<EOF
$(pen_drive_scan_timed "$app" E)
menu frm_rd f_Exit
wait-exit 60
EOF
  bench_ms scan
  scan_ms+=("$ms")
  printf '   Scan:          %s ms   -> ' "$ms"
  counts Scan 0 6 6

  # The same hidden root again, then attrib's three passes over it; folders
  # need /D, as the scan unhides them too.
  line="$(infect)"
  floor_ms+=("$(echo "$line" | sed -n 's/.*(\([0-9]*\) ms)$/\1/p')")
  echo "   re-hidden:     $(rootattrs count 'E:\')   (one SetFileAttributesW pass: ${floor_ms[-1]} ms)"
  t0="$(now_ms)"
  win_attrib -h /d 'E:\*'
  win_attrib -s /d 'E:\*'
  win_attrib -r /d 'E:\*'
  t1="$(now_ms)"
  attrib_ms+=("$((t1 - t0))")
  printf '   attrib:        %s ms   -> ' "$((t1 - t0))"
  counts attrib 0 0 0
done

# The fixed cost of starting attrib three times, on an empty folder.
t0="$(now_ms)"
for flag in -h -s -r; do win_attrib "$flag" /d 'C:\bench-empty\*' || true; done
startup_ms=$(( $(now_ms) - t0 ))

scan="$(median "${scan_ms[@]}")"
attrib="$(median "${attrib_ms[@]}")"
floor="$(median "${floor_ms[@]}")"
ratio="$(divide "$scan" "$attrib")"

echo
echo "entries:             $entries (rounds: $rounds, medians below)"
echo "Scan:                $scan ms   (Yes to the 'Scan complete' box; rounds: ${scan_ms[*]})"
echo "attrib:              $attrib ms   (attrib -h, -s, -r /d E:\\*; rounds: ${attrib_ms[*]})"
echo "  of it start-up:    $startup_ms ms   (the same three calls on an empty folder)"
echo "one attribute pass:  $floor ms   (a listing and one SetFileAttributesW per entry, in one process)"
echo "ratio Scan/attrib:   $ratio"
target "Scan no slower than attrib on the same root" [ "$scan" -le "$attrib" ]
warnings_note "a tool left entries hidden, system or read-only"

rm -rf "${DRIVES:?}/e" "$WINEPREFIX/drive_c/bench-empty" "$E2E_ROOT/bench"
