#!/usr/bin/env bash
# Runs every benchmark once and writes their figures to docs/performance.md:
# the Pen Drive Scan against attrib on the same root (bench/scan.sh), the
# Pen Drive Delete against del on the same names (bench/delete.sh), the
# Computer window's Run-entry scan (bench/runkey.sh), its scan of every
# start-up place (bench/places.sh), the processor time of
# the waits (bench/cpu.sh), the start-up time (bench/startup.sh) and the
# size and imports of both kestrive.exe builds. Raw outputs go to
# bench/out/. Takes a quarter of an hour; a MISS does not fail it.
#
#   bench/report.sh        BENCH_ROUNDS=n for the rounds of the scans and deletions (default 3)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out_dir="$root/bench/out"
doc="$root/docs/performance.md"
mkdir -p "$out_dir"

started="$(date -u '+%Y-%m-%d %H:%M UTC')"
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
cores="$(nproc)"
cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
source "$root/bench/lib.sh"
wine_version="$(wine_version)"
commit="$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo '?')"
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no -- . ':!docs/performance.md' 2>/dev/null)" ]; then
  commit="$commit + uncommitted changes"
fi

echo "== Pen Drive Scan and attrib (bench/scan.sh)"
"$root/bench/scan.sh"
echo "== Pen Drive Scan reading every shortcut, against the scan that did not (bench/payloads.sh)"
"$root/bench/payloads.sh"
echo "== Pen Drive Delete and del (bench/delete.sh)"
"$root/bench/delete.sh"
echo "== Run-entry scan (bench/runkey.sh)"
"$root/bench/runkey.sh"
echo "== start-up places scan (bench/places.sh)"
"$root/bench/places.sh"
echo "== processor time of the waits (bench/cpu.sh)"
"$root/bench/cpu.sh"
echo "== start-up (bench/startup.sh)"
"$root/bench/startup.sh"

# DLLs that every Windows installation carries in its system folder.
windows_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ntdll.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll ucrtbase.dll "
# The 32-bit exe has to fit old machines and slow downloads.
i686_limit=$((3 * 1024 * 1024 / 2))
size_rows=""
for arch in x86_64 i686; do
  case "$arch" in
    x86_64) exe="$root/build/win32/kestrive.exe" bits=64 ;;
    i686) exe="$root/build/win32-i686/kestrive.exe" bits=32 ;;
  esac
  echo "== $bits-bit kestrive.exe: size and imports"
  KESTRIVE_TARGETS=kestrive KESTRIVE_ARCHS=$arch "$root/tools/build.sh" >/dev/null
  size="$(stat -c %s "$exe")"
  stripped_tmp="$(mktemp)"
  $arch-w64-mingw32-strip -o "$stripped_tmp" "$exe"
  stripped="$(stat -c %s "$stripped_tmp")"
  rm -f "$stripped_tmp"
  mapfile -t dlls < <($arch-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  foreign=()
  for d in "${dlls[@]}"; do
    low="$(echo "$d" | tr 'A-Z' 'a-z')"
    case "$low" in api-ms-win-*) continue ;; esac
    case "$windows_dlls" in *" $low "*) ;; *) foreign+=("$d") ;; esac
  done
  imports_verdict=PASS
  [ "${#foreign[@]}" -eq 0 ] || imports_verdict=MISS
  size_target="" size_verdict=""
  if [ "$arch" = i686 ]; then
    size_target="under 1.5 MiB ($i686_limit bytes)"
    size_verdict=PASS
    [ "$size" -lt "$i686_limit" ] || size_verdict=MISS
  fi
  {
    echo "kestrive.exe ($arch): $size bytes ($stripped bytes stripped of symbols and debug information)"
    [ -z "$size_target" ] || echo "target: $size_target: $size_verdict"
    echo "imports: ${dlls[*]}"
    echo "not Windows' own: ${foreign[*]:-none}"
    echo "target: only Windows' own DLLs: $imports_verdict"
  } | tee "$out_dir/size-$arch.txt"
  size_rows+="| Size of the $bits-bit kestrive.exe | $size bytes ($stripped bytes stripped) | $size_target | $size_verdict |
| DLLs imported by the $bits-bit kestrive.exe | ${dlls[*]} | Windows' own only | $imports_verdict |
"
done

# ---- the figures, from the raw outputs

field() { sed -n "s/^$2[[:space:]]*\([0-9.]*\).*/\1/p" "$out_dir/$1" | head -1; }
verdict() { sed -n "s/^target: .*: \(PASS\|MISS\)$/\1/p" "$out_dir/$1" | head -1; }
warned() { grep -q 'WARNING(s) above' "$out_dir/$1" && echo " (with warnings, see bench/out/$1)" || true; }
scan_entries="$(field scan.txt 'entries:')"
scan_ms="$(field scan.txt 'Scan:')"
attrib_ms="$(field scan.txt 'attrib:')"
attrib_start_ms="$(field scan.txt '  of it start-up:')"
floor_ms="$(field scan.txt 'one attribute pass:')"
ratio="$(field scan.txt 'ratio Scan\/attrib:')"
scan_verdict="$(verdict scan.txt)$(warned scan.txt)"
links_entries="$(field payloads.txt 'entries:')"
links_ms="$(field payloads.txt 'scan reading shortcuts:')"
links_before_ms="$(field payloads.txt 'scan before (not reading):')"
links_ratio="$(field payloads.txt 'ratio:')"
links_verdict="$(verdict payloads.txt)"
run_ms="$(field runkey.txt 'Run scan:')"
run_exes="$(field runkey.txt 'executables:')"
run_values="$(field runkey.txt 'Run values:')"
run_verdict="$(verdict runkey.txt)$(warned runkey.txt)"
places_ms="$(field places.txt 'places scan:')"
places_files="$(field places.txt 'drop-folder files:')"
places_values="$(field places.txt 'start-up values:')"
places_verdict="$(verdict places.txt)$(warned places.txt)"
startup_ms="$(field startup.txt 'start-up:')"
startup_runs="$(field startup.txt 'runs:')"
startup_range="$(sed -n 's/^fastest, slowest:[[:space:]]*//p' "$out_dir/startup.txt")"
rounds="${BENCH_ROUNDS:-3}"
# One row a size of the Delete benchmark, and the growth from each to the next.
delete_rows=""
while read -r n d x; do
  delete_rows+="| Pen Drive Delete of the whole virus list, $n entries | $d ms | | |
| Wine's del /f /a of the same $n names | $x ms | | |
"
done < <(sed -n 's/^entries \([0-9]*\): *Delete \([0-9]*\) ms, del \([0-9]*\) ms.*/\1 \2 \3/p' "$out_dir/delete.txt")
delete_growth="$(sed -n 's/^growth \([0-9]*\) -> \([0-9]*\): .*Delete x[0-9.]* (per entry \(x[0-9.]*\)).*/\3 from \1 to \2/p' "$out_dir/delete.txt" |
  paste -sd ';' - | sed 's/;/; /g')"
delete_last="$(sed -n 's/^Delete\/del at \([0-9]*\):.*/\1/p' "$out_dir/delete.txt")"
delete_speed="$(sed -n 's/^Delete\/del at [0-9]*: *\([0-9.]*\).*/\1/p' "$out_dir/delete.txt")"
delete_ratio="$(sed -n 's/^per entry [0-9]*\/[0-9]*: *\([0-9.]*\).*/\1/p' "$out_dir/delete.txt")"
delete_first="$(sed -n 's/^per entry [0-9]*\/\([0-9]*\):.*/\1/p' "$out_dir/delete.txt")"
delete_speed_verdict="$(sed -n 's/^target: Delete of .*: \(PASS\|MISS\)$/\1/p' "$out_dir/delete.txt")$(warned delete.txt)"
delete_ratio_verdict="$(sed -n 's/^target: time per entry .*: \(PASS\|MISS\)$/\1/p' "$out_dir/delete.txt")"
delete_cmd_ms="$(sed -n 's/^  del includes starting cmd: \([0-9]*\) ms.*/\1/p' "$out_dir/delete.txt")"
cpu_lines="$(field cpu.txt 'lines:')"
cpu_delete="$(field cpu.txt 'Delete CPU:')"
cpu_delete_wall="$(field cpu.txt 'Delete time:')"
cpu_delete_pct="$(field cpu.txt 'Delete CPU share:')"
cpu_idle="$(field cpu.txt 'idle CPU:')"
cpu_idle_wall="$(field cpu.txt 'idle time:')"
cpu_idle_pct="$(field cpu.txt 'idle CPU share:')"
cpu_verdict="$(verdict cpu.txt)$(warned cpu.txt)"

cat >"$doc" <<DOC
# Performance

Measured by \`bench/report.sh\` on $started: $cores cores ($cpu), load average $load_before
at the start, $wine_version, kestrive.exe built from commit $commit (Release, MinGW-w64,
static; the timings are of the 64-bit exe). Every figure is taken under Wine with Xvfb and
no window manager, through the real windows, driven by \`tests/support/kauto.cpp\`; timings are
medians of $rounds rounds (start-up: of $startup_runs runs). Other programs shared the
machine, so single figures can vary by tens of per cent; the raw outputs of the run are in \`bench/out/\`.

| Figure | Measured | Target | Result |
|---|---|---|---|
| Pen Drive Scan, $scan_entries root entries | $scan_ms ms | no slower than attrib | $scan_verdict |
| Wine's attrib -h, -s, -r on the same root | $attrib_ms ms | | |
| Scan / attrib | $ratio | at most 1 | |
| Pen Drive Scan of $links_entries root shortcuts, each read | $links_ms ms | | |
| The same scan before shortcuts were read | $links_before_ms ms | | |
| Scan reading shortcuts / scan before | $links_ratio | at most 1.5 | $links_verdict |
${delete_rows%$'\n'}
| Delete / del, $delete_last entries | $delete_speed | at most 1 | $delete_speed_verdict |
| Delete's time per entry, $delete_last entries / $delete_first entries | $delete_ratio (growth per entry: $delete_growth) | at most 1.5 | $delete_ratio_verdict |
| Run-entry scan, $run_exes executables × $run_values Run values | $run_ms ms | at most 1 s | $run_verdict |
| Scan of every start-up place, $places_files files in the drop folders × $places_values values | $places_ms ms | at most 0.5 s | $places_verdict |
| Computer Delete of $cpu_lines marked lines: processor time of kestrive.exe | $cpu_delete ms in $cpu_delete_wall ms ($cpu_delete_pct % of a core) | well under 5 % | $cpu_verdict |
| Pen Drive window at rest with 32767 listed entries: processor time | $cpu_idle ms in $cpu_idle_wall ms ($cpu_idle_pct % of a core) | | |
| Start-up to the visible start-up window | $startup_ms ms (fastest, slowest: $startup_range) | | |
${size_rows%$'\n'}

How each figure is measured:

- **Pen Drive Scan** (\`bench/scan.sh\`): drive E: whose root holds $scan_entries entries, most hidden and system as the shortcut virus leaves them; time from Yes to "Are you sure to scan this device?" to the "Scan complete." box, then every entry checked visible and writable and the six Windows names hidden again.
- **attrib**: the same root hidden again, then Wine's \`attrib -h /d E:\\*\`, \`-s\` and \`-r\` (one flag per call) timed together and checked the same way; $attrib_start_ms ms of it is starting attrib three times, and one listing plus one SetFileAttributesW per entry in a single process took $floor_ms ms.
- **Shortcuts read** (\`bench/payloads.sh\`): drive E: whose root holds $links_entries entries, all but one of them a shortcut as the shell writes it (cmd.exe starting a hidden script, then a folder), read-only, hidden and system, and the script; the scan timed as above by this kestrive.exe, which reads every shortcut, and by the one built from where this work left \`main\`, which does not, in alternate rounds.
- **Pen Drive Delete** (\`bench/delete.sh\`): drive E: whose root holds only shortcuts (\`Photo 00000.lnk\`, ...), read-only, hidden and system, in roots of 1000, 4000, 16000 and 32767 entries; Kestrive scans the root through the real window, then its Delete of the virus list with "Automatic Delete All Virus (Recommended)" checked is timed from Yes to "Are you sure to delete this file(s)?" to the "Delete complete!" box, and the root is checked empty.
- **del**: the same names made again on the same root as the scan had left them (normal attributes), then Wine's \`cmd /c del /f /a /q E:\\*\`, timed and checked the same way; $delete_cmd_ms ms of it is starting cmd (the same del on an empty folder).
- **Processor time** (\`bench/cpu.sh\`): user and system time of the kestrive.exe process, read from the host's \`/proc\` (Wine's GetProcessTimes does not follow another process): across the Computer window's Delete of $cpu_lines marked lines ($cpu_lines files in the profile folder, each named by a Run value; no process to end, so each line waits its one second with the windows responsive), from Yes to the "Delete complete!" box; and over ten seconds of the Pen Drive window left alone after a scan that listed 32767 shortcuts, its timer checking the lists every 10 ms.
- **Run-entry scan** (\`bench/runkey.sh\`): $run_exes files in the profile folder, $run_values REG_SZ values in HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run (one in ten naming one of the files); time from the click on the Computer window's Scan to its "Done." box, then both lists read back and checked line by line.
- **Start-up places scan** (\`bench/places.sh\`): $places_files files spread over %APPDATA%, %LOCALAPPDATA%, %TEMP%, the Startup folder and a subfolder of %LOCALAPPDATA%, $places_values REG_SZ values spread over the Run, RunOnce and Policies\\Explorer\\Run keys of HKCU and of HKLM in both views (one in ten starting a file of a drop folder, directly or through wscript, or a document or a program one folder down that must not be listed); time from the click on the Computer window's Scan to its "Done." box, then the list's lines counted.
- **Start-up** (\`bench/startup.sh\`): time from starting kestrive.exe (pskill.exe beside it, so no question comes first) to its visible start-up window; one warm-up run not counted.
- **Size and imports**: bytes of build/win32/kestrive.exe (64-bit) and build/win32-i686/kestrive.exe (32-bit) as built; their import tables read with \`x86_64-w64-mingw32-objdump -p\` and \`i686-w64-mingw32-objdump -p\` and compared with the DLLs every Windows carries.
DOC
echo "== written $doc"
cat "$doc"
