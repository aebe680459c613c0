# What every benchmark shares. Sourced by bench/<name>.sh (outside Wine) and
# by bench/<name>-inner.sh (inside tools/wine-env.sh).

# The Wine that runs the benchmarks: the 64-bit loader, as tools/wine-env.sh
# picks it ("wine" may be the 32-bit one, which not every host can start).
wine_version() {
  local loader
  for loader in /usr/lib/wine/wine64 wine64 wine; do
    if command -v "$loader" >/dev/null && "$loader" --version 2>/dev/null | head -1 | grep .; then return 0; fi
  done
  echo "Wine of unknown version"
}

# whole_numbers <usage> <value...>: ends the benchmark with its usage unless
# every value is a whole number.
whole_numbers() {
  local usage="$1" v
  shift
  for v in "$@"; do
    case "$v" in ''|*[!0-9]*) echo "usage: $usage" >&2; exit 2 ;; esac
  done
}

# bench_run <name> <title> <build targets> <inner args...>: builds what it
# needs, runs bench/<name>-inner.sh in the benchmarks' own Wine prefix and
# writes what it prints, under a header naming machine and build, to
# bench/out/<name>.txt.
bench_run() {
  local name="$1" title="$2" targets="$3" top
  shift 3
  top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  "$top/tools/setup.sh"
  KESTRIVE_TARGETS="$targets" "$top/tools/build.sh" >/dev/null
  mkdir -p "$top/bench/out"
  {
    echo "$title, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg),"
    echo "$(wine_version), kestrive.exe built from $(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo '?') + working tree"
    KESTRIVE_WINEPREFIX="$top/build/win32/bench-prefix" "$top/tools/wine-env.sh" "$top/build/win32" e2e "$top/bench/$name-inner.sh" "$@"
  } 2>&1 | tee "$top/bench/out/$name.txt"
}

# bench_inner <name>: inside the Wine environment, the kauto helpers and the
# benchmarks' own prefix, in which Wine does not manage the windows: with
# no window manager under Xvfb, Wine would otherwise stall the program about
# 2 s on every closed message box, and the timings would mostly measure that.
bench_inner() {
  BENCH="$1"
  warnings=0
  source "$SOURCE_DIR/tools/kauto-lib.sh"
  if [ "$(basename "$WINEPREFIX")" != bench-prefix ]; then
    echo "$1-inner.sh: run bench/$1.sh (it uses its own Wine prefix)" >&2
    exit 2
  fi
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}

# ---- inside the Wine environment, after bench_inner

# target <what> <command...>: the line that says whether the figures met a
# target: PASS when the command succeeds, else MISS (a MISS does not fail the
# benchmark).
target() {
  local what="$1" verdict=MISS
  shift
  if "$@"; then verdict=PASS; fi
  echo "target: $what: $verdict"
}
# warn <text>: a figure may not be what it seems (a fast tool that leaves work
# undone proves nothing); shown at once and counted for warnings_note.
warn() {
  echo "   WARNING: $1" >&2
  warnings=$((warnings + 1))
}
# warnings_note <what was wrong>: the closing line, when there were warnings.
warnings_note() { [ "$warnings" -eq 0 ] || echo "($warnings WARNING(s) above: $1)"; }

# divide <a> <b>: a / b to two decimals (0 when b is 0).
divide() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# The middle one of whole numbers (of an even count, the lower middle one).
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# bench_drive [what]: runs the kauto script given on standard input and sets
# out to what it printed, without carriage returns. The output goes through a
# file: a Kestrive left running holds on to kauto's output, so a pipe would
# never end. A failed run ends the benchmark, its output shown.
bench_drive() {
  local file
  file="$(mktemp)"
  if ! drive >"$file" 2>&1; then
    cat "$file"
    rm -f "$file"
    echo "$BENCH: the run through the window failed${1:+ ($1)}"
    exit 1
  fi
  out="$(tr -d '\r' <"$file")"
  rm -f "$file"
}
# bench_ms <label>: sets ms to the milliseconds that "stopwatch print <label>"
# printed in out; ends the benchmark when there are none.
bench_ms() {
  ms="$(echo "$out" | sed -n "s/^$1: \([0-9]*\) ms\$/\1/p")"
  [ -n "$ms" ] || { echo "$out"; echo "$BENCH: no time printed"; exit 1; }
}

# pen_drive_scan_timed <app folder> <drive letter>: kauto lines that start
# Kestrive, choose the drive in the Pen Drive window and scan it, timed as
# "scan" from Yes to the "Scan complete." box, which is then closed.
pen_drive_scan_timed() {
  cat <<KAUTO
launch $1\\kestrive.exe $1
wait-window frm_first
$(pen_drive_choose "$2")
expect-enabled frm_rd btn_scan 1
click frm_rd btn_scan
wait-box "$ConfirmScan"
stopwatch start
box "$ConfirmScan" yes question
wait-box "$ScanFound" 1800
stopwatch print scan
box "$ScanFound" ok
KAUTO
}

# computer_scan_timed <app folder>: kauto lines that start Kestrive, open the
# Computer window and Scan, timed as "scan" from the click to the "Done." box,
# which is then closed.
computer_scan_timed() {
  cat <<KAUTO
launch $1\\kestrive.exe $1
wait-window frm_first
click frm_first btn_c
wait-window frm_c
sleep 300
stopwatch start
click frm_c btn_scan
wait-box "$ComputerFound" 600
stopwatch print scan
box "$ComputerFound" ok
KAUTO
}

# computer_scan_listing <app folder> <list...>: a run that starts Kestrive, scans
# in the Computer window as computer_scan_timed, prints the items of the lists
# (read them back with listed) and exits; sets out and ms.
computer_scan_listing() {
  local list
  bench_drive <<KAUTO
$(computer_scan_timed "$1")
$(for list in "${@:2}"; do printf 'echo %s\nitems frm_c %s\n' "$list" "$list"; done)
menu frm_c f2_Exit
wait-exit 60
KAUTO
  bench_ms scan
}
# listed <list>: the items of the list that the run printed in out, one a line.
listed() { echo "$out" | awk -v list="$1" '$0 == list { on = 1; next } on && /^  / { print substr($0, 3); next } { on = 0 }'; }

# shortcuts_on_e <count>: the root of drive E: (mapped) holds that many empty
# shortcuts, Photo 00000.lnk and on. Made by the host: Wine looks for every
# new name in every letter case, which costs a walk of the whole folder each time.
shortcuts_on_e() {
  (cd "$DRIVES/e" && for (( i = 0; i < $1; i++ )); do printf 'Photo %05d.lnk\0' "$i"; done | xargs -0 touch)
}

# reg_sz <name> <data>: the line of a REGEDIT4 file that sets a text value.
reg_sz() {
  local esc="${2//\\/\\\\}"
  esc="${esc//\"/\\\"}"
  printf '"%s"="%s"\r\n' "$1" "$esc"
}
# reg_import <file>: imports a REGEDIT4 file that lies directly in drive C
# (thousands of values in one reg call) and removes it.
reg_import() {
  "$WINE" reg import "C:\\${1##*/}" >/dev/null 2>&1
  rm -f "$1"
}
