# Every window at 100 % and at 150 % (96 and 144 dots per inch): no caption,
# label or title cut off, no control outside its window or its frame, the
# pictures grown with the rest. Pictures of each, and of each menu open, go
# to docs/dpi100 and docs/dpi150.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool dpi)"
map_drive E

# The screen's DPI as Windows keeps it; programs read it when they start, so
# the prefix's programs are ended (which also writes the registry out).
set_dpi() {
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  wineserver -k || true
}
# Back to the default for the other scripts, however this one ends.
trap '"$WINE" reg delete "HKCU\\Control Panel\\Desktop" /v LogPixels /f >/dev/null 2>&1; wineserver -k || true' EXIT

for setting in 96:dpi100 144:dpi150; do
  dpi="${setting%%:*}" dir="${setting#*:}"
  echo "== $dpi dots per inch"
  set_dpi "$dpi"
  mkdir -p "$E2E_ROOT/shots/$dir"
  drive <<EOF
make-file "E:\\autorun.inf" 7
make-file "E:\\Holiday Photos.lnk" 7
make-file "E:\\setup.exe" 6
launch $app\\kestrive.exe $app
wait-window frm_first
expect-fits frm_first
$(shot frm_first "$dir/startup-window")
$(menu_shot frm_first f "$dir/startup-menu-file")
$(menu_shot frm_first h "$dir/startup-menu-help")
$(pen_drive_scan E question)
wait-box "$ScanFound"
shot-box "C:\\e2e\\shots\\$dir\\message-box.bmp"
box "$ScanFound" ok information
expect-items frm_rd lst_dir_2 autorun.inf "Holiday Photos.lnk"
expect-fits frm_rd
$(shot frm_rd "$dir/pen-drive-window")
$(menu_shot frm_rd f "$dir/pen-drive-menu-file")
$(menu_shot frm_rd x "$dir/pen-drive-menu-extra")
click frm_rd btn_x
wait-window frm_first
click frm_first btn_c
wait-window frm_c
expect-fits frm_c
$(shot frm_c "$dir/computer-window")
$(menu_shot frm_c f "$dir/computer-menu-file")
$(menu_shot frm_c x "$dir/computer-menu-extra")
menu frm_c ex_fReg
box "$RunAsAdmin" ok information
wait-window frm_RM
expect-fits frm_RM
$(shot frm_RM "$dir/registry-manager-window")
$(menu_shot frm_RM f "$dir/registry-manager-menu-file")
$(menu_shot frm_RM h "$dir/registry-manager-menu-help")
menu frm_RM RM_h_htraa
wait-window frm_help
expect-fits frm_help
$(shot frm_help "$dir/help-window")
click frm_help btn_ok
wait-hidden frm_help
click frm_RM btn_zx
wait-window frm_c
click frm_c btn_x
wait-window frm_first
menu frm_first help_his
wait-window frm_h
expect-fits frm_h
$(shot frm_h "$dir/history-window")
click frm_h btn_k
wait-window frm_first
menu frm_first help_2
wait-window frm_about
expect-fits frm_about
$(shot frm_about "$dir/about-window")
click frm_about btn_ok
wait-window frm_first
menu frm_first file_1
wait-exit 20
EOF
done

save_shots
echo "dpi: all checks passed"
