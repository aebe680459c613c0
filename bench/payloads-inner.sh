# The shortcut-reading benchmark, inside tools/wine-env.sh (see
# bench/payloads.sh): drive E: whose root holds N shortcuts as a worm leaves
# them (each a real link running a hidden script), scanned through the real
# window by this exe and by the exe from before shortcuts were read.
#
#   payloads-inner.sh <entries> <rounds> <earlier kestrive.exe>
set -euo pipefail
entries="${1:-32767}"
rounds="${2:-1}"
base_exe="$3"
source "$SOURCE_DIR/bench/lib.sh"
bench_inner payloads

now="$(work_folder tool bench-now)"
before="$(work_folder tool bench-before)"
cp "$base_exe" "$E2E_ROOT/bench-before/kestrive.exe"

map_drive E
root="$DRIVES/e"
# One link as the shell writes it, copied to every name on the host side.
"$WINE" "$WIN32_BUILD/mklink.exe" shell 'E:\template' 'C:\windows\system32\cmd.exe' \
  '/c start iTunesHelper.vbe&start Folder&exit'
mv "$root/template" "$E2E_ROOT/template.lnk"
perl -e 'local $/; open(my $t, "<", $ARGV[0]) or die; my $b = <$t>;
  for my $i (0 .. $ARGV[2] - 2) { my $n = sprintf("%s/Folder %05d.lnk", $ARGV[1], $i);
    open(my $f, ">", $n) or die; print $f $b; close $f }' "$E2E_ROOT/template.lnk" "$root" "$entries"
printf 'worm script' > "$root/iTunesHelper.vbe"
echo "root E:\\ with $entries entries: $((entries - 1)) shortcuts of $(stat -c %s "$E2E_ROOT/template.lnk") bytes and the script they run"

# scan <app folder> <label>: sets ms to the scan's milliseconds.
scan() {
  rootattrs set 'E:\' 7 >/dev/null
  bench_drive "$2" <<EOF
$(pen_drive_scan_timed "$1" E)
menu frm_rd f_Exit
wait-exit 60
EOF
  bench_ms scan
}

now_ms=() before_ms=()
for (( r = 1; r <= rounds; r++ )); do
  echo "== round $r of $rounds"
  scan "$before" earlier
  before_ms+=("$ms")
  echo "   scan, shortcuts not read:  ${before_ms[-1]} ms"
  scan "$now" now
  now_ms+=("$ms")
  echo "   scan, every shortcut read: ${now_ms[-1]} ms   -> $(rootattrs count 'E:\')"
done

a="$(median "${now_ms[@]}")"
b="$(median "${before_ms[@]}")"
ratio="$(divide "$a" "$b")"
echo
echo "entries:                   $entries (rounds: $rounds, medians below)"
echo "scan reading shortcuts:    $a ms   (rounds: ${now_ms[*]})"
echo "scan before (not reading): $b ms   (rounds: ${before_ms[*]})"
echo "ratio:                     $ratio"
target "at most 1.5 times the scan that does not read them" awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }'
rm -rf "${DRIVES:?}/e" "$E2E_ROOT/bench-now" "$E2E_ROOT/bench-before" "$E2E_ROOT/template.lnk"
