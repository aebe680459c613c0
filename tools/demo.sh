# The demo of tools/run.sh, inside tools/wine-env.sh: an infected drive E:, a
# test "worm" running from the profile folder with its Run entry, and the
# Windows tools it switched off. "play" cleans both through the real window
# and tells what it found and removed; "interactive" leaves that to you.
set -euo pipefail
mode="${1:-play}"
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool demo)"
map_drive E
worm="usbguard.exe"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
cp "$WIN32_BUILD/worm.exe" "$profile_host/$worm"
"$WINE" reg add "$run_key" /v USBGuard /t REG_SZ /d "$profile\\$worm" /f >/dev/null
"$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\System' /v DisableTaskMgr /t REG_DWORD /d 1 /f >/dev/null
"$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\System' /v DisableRegistryTools /t REG_DWORD /d 1 /f >/dev/null
"$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced' /v Hidden /t REG_DWORD /d 2 /f >/dev/null

drive <<EOF
make-dir "E:\\Holiday photos" 6
make-file "E:\\Holiday photos\\beach.jpg"
make-dir "E:\\Homework" 6
make-file "E:\\Homework\\essay.doc"
make-file "E:\\letter.doc" 6
make-file "E:\\Holiday photos.lnk" 7
make-file "E:\\Homework.lnk" 7
make-file "E:\\autorun.inf" 7
make-file "E:\\x2kq.vbs" 6
make-file "E:\\RECYCLER.exe" 6
spawn $profile\\$worm
EOF

echo "Demo drive E: (hidden entries marked h):"
drive <<EOF
echo "  Holiday photos/ (h)  Homework/ (h)  letter.doc (h)"
echo "  Holiday photos.lnk  Homework.lnk  autorun.inf  x2kq.vbs  RECYCLER.exe  (the worm's)"
echo "Worm: $profile\\$worm running, Run value USBGuard, Task Manager and Registry editor switched off."
EOF

if [ "$mode" = interactive ]; then
  echo "Starting Kestrive; close it (File > Exit) to end the demo."
  (cd "$E2E_ROOT/demo" && "$WINE" kestrive.exe)
  exit 0
fi

mkdir -p "$WIN32_BUILD/../demo"
drive <<EOF
launch $app\\kestrive.exe $app
wait-window frm_first
$(shot frm_first demo-1-start)
$(pen_drive_scan E)
box "$ScanFound" ok
echo "Pen Drive scan of E:\\ found executables:"
items frm_rd lst_dir
echo "and virus entries:"
items frm_rd lst_dir_2
$(shot frm_rd demo-2-pen-drive-scan)
mark frm_rd lst_dir RECYCLER.exe
click frm_rd btn_d2
box "$ConfirmDelete" yes
box "$DeleteComplete" ok
click frm_rd btn_del
box "$ConfirmDelete" yes
box "$DeleteComplete" ok
echo "Deleted them all; the user's folders and files are visible again:"
expect-attr "E:\\Holiday photos" 16
expect-attr "E:\\Homework" 16
expect-attr "E:\\letter.doc" 0
expect-exists "E:\\Holiday photos\\beach.jpg" 1
echo "  Holiday photos/  Homework/  letter.doc"
click frm_rd btn_x
wait-window frm_first
click frm_first btn_c
wait-window frm_c
click frm_c btn_scan
box "$ComputerFound" ok error
echo "Computer scan found in the profile folder:"
items frm_c lst_P
echo "and start-up entries:"
items frm_c lst_V
$(shot frm_c demo-3-computer-scan)
sleep 300
click frm_c btn_c_ma
click frm_c btn_d
box "$ConfirmDelete" yes
box "$DeleteComplete" ok
expect-exists "$profile\\$worm" 0
echo "Ended the worm through pskill, deleted $profile\\$worm, removed its Run value and restored the Windows settings."
click frm_c btn_x
wait-window frm_first
menu frm_first file_1
wait-exit 20
EOF

echo "Registry afterwards:"
"$WINE" reg query "$run_key" 2>/dev/null | tr -d '\r' | grep -i usbguard || echo "  Run value USBGuard: gone"
"$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\System' /v DisableTaskMgr 2>/dev/null | tr -d '\r' | grep -i DisableTaskMgr || true
for f in "$E2E_ROOT"/shots/*.bmp; do
  [ -e "$f" ] || continue
  convert "$f" "$WIN32_BUILD/../demo/$(basename "${f%.bmp}").png" && rm -f "$f"
done
echo "Screenshots: $(cd "$WIN32_BUILD/../demo" && pwd)"
