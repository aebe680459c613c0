# The Pen Drive cleaner through the real window, on folders mapped as drives.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool removable)"
map_drive F
map_drive E

echo "== the typical request: pick F:\\, Scan, Yes, automatic Delete, Delete complete!"
drive <<EOF
make-dir "F:\\Photos" 6
make-file "F:\\Photos\\holiday.jpg" 2
make-file "F:\\Photos.lnk" 7
make-file "F:\\autorun.inf" 7
make-file "F:\\run.vbs" 6
make-file "F:\\letter.doc" 6
launch $app\\kestrive.exe $app
wait-window frm_first
click frm_first btn_rd
wait-window frm_rd
sleep 300
expect-checked frm_rd chkAD 1
expect-enabled frm_rd btn_scan 0
expect-enabled frm_rd btn_r 0
select frm_rd cmb_rd "F:\\"
sleep 300
expect-enabled frm_rd btn_scan 1
click frm_rd btn_scan
box "$ConfirmScan" yes question
box "$ScanFound" ok information
expect-items frm_rd lst_dir
expect-items frm_rd lst_dir_2 Photos.lnk autorun.inf run.vbs
expect-attr "F:\\Photos" 16
expect-attr "F:\\letter.doc" 0
expect-attr "F:\\Photos\\holiday.jpg" 2
expect-enabled frm_rd lst_dir_2 0
expect-enabled frm_rd btn_s2 0
expect-enabled frm_rd btn_d2 1
expect-enabled frm_rd btn_r 1
click frm_rd btn_d2
box "$ConfirmDelete" yes question
box "$DeleteComplete" ok information
expect-items frm_rd lst_dir_2
expect-exists "F:\\Photos.lnk" 0
expect-exists "F:\\autorun.inf" 0
expect-exists "F:\\run.vbs" 0
expect-exists "F:\\Photos\\holiday.jpg" 1
expect-exists "F:\\letter.doc" 1
sleep 300
expect-enabled frm_rd btn_d2 0
click frm_rd btn_x
wait-window frm_first
menu frm_first file_1
wait-exit 20
EOF

echo "== odd names, a folder named like a virus, a file held open, marked deletion, unhide"
drive <<EOF
make-dir "E:\\Documents" 6
make-dir "E:\\System Volume Information" 6
make-dir "E:\\backup.com"
make-file "E:\\setup.exe" 7
make-file "E:\\Setup.EXE.lnk" 6
make-file "E:\\report.lnk."
make-file "E:\\report.lnk"
make-file "E:\\фото.lnk" 6
make-file "E:\\写真.lnk" 6
make-file "E:\\😀.vbs" 6
make-file "E:\\locked.lnk" 6
make-file "E:\\desktop.ini" 1
hold "E:\\locked.lnk"
launch $app\\kestrive.exe $app
wait-window frm_first
$(pen_drive_scan E)
box "$ScanFound" ok
expect-items frm_rd lst_dir setup.exe Setup.EXE.lnk
expect-items frm_rd lst_dir_2 backup.com report.lnk. report.lnk фото.lnk 写真.lnk 😀.vbs locked.lnk
expect-attr "E:\\Documents" 16
expect-attr "E:\\System Volume Information" 22
expect-attr "E:\\desktop.ini" 6
expect-attr "E:\\фото.lnk" 0
$(shot frm_rd removable-lists)
check frm_rd chkAD 0
sleep 300
expect-enabled frm_rd lst_dir_2 1
expect-enabled frm_rd btn_s2 1
mark frm_rd lst_dir_2 report.lnk.
sleep 200
expect-marked frm_rd lst_dir_2 report.lnk. 1
expect-marked frm_rd lst_dir_2 report.lnk 0
click frm_rd btn_d2
box "$ConfirmDelete" yes
box "$DeleteLeftRemovable" ok
expect-exists "E:\\report.lnk." 0
expect-exists "E:\\report.lnk" 1
expect-items frm_rd lst_dir_2 backup.com report.lnk фото.lnk 写真.lnk 😀.vbs locked.lnk Setup.EXE.lnk
check frm_rd chkAD 1
click frm_rd btn_d2
box "$ConfirmDelete" yes
boxes ok "${CannotDeletePrefix}E:\\backup.com$InUseRemovable" "${CannotDeletePrefix}E:\\locked.lnk$InUseRemovable"
box "$DeleteLeftRemovable" ok
expect-items frm_rd lst_dir_2 backup.com locked.lnk
expect-exists "E:\\фото.lnk" 0
expect-exists "E:\\写真.lnk" 0
expect-exists "E:\\😀.vbs" 0
expect-exists "E:\\backup.com" 1
expect-exists "E:\\locked.lnk" 1
mark frm_rd lst_dir setup.exe
click frm_rd btn_del
box "$ConfirmDelete" yes
box "$DeleteComplete" ok
expect-exists "E:\\setup.exe" 0
make-file "E:\\hidden.txt" 6
menu frm_rd e_sa
box "$ConfirmShowAll" yes question
no-box 1
expect-attr "E:\\hidden.txt" 0
expect-attr "E:\\System Volume Information" 16
expect-attr "E:\\desktop.ini" 0
menu frm_rd f_Exit
wait-exit 20
EOF

echo "== names listed from one drive are never deleted on another; Refresh empties the lists, focus on the list"
drive <<EOF
make-file "F:\\twin.lnk" 6
make-file "E:\\twin.lnk" 6
launch $app\\kestrive.exe $app
wait-window frm_first
$(pen_drive_scan E)
box "$ScanFound" ok
expect-items frm_rd lst_dir_2 backup.com locked.lnk twin.lnk
select frm_rd cmb_rd "F:\\"
sleep 300
expect-items frm_rd lst_dir_2
expect-items frm_rd lst_dir
select frm_rd cmb_rd "E:\\"
sleep 300
click frm_rd btn_scan
box "$ConfirmScan" yes
box "$ScanFound" ok
expect-items frm_rd lst_dir_2 backup.com locked.lnk twin.lnk
click frm_rd btn_rsd
sleep 300
expect-focus frm_rd cmb_rd
expect-items frm_rd lst_dir_2
expect-exists "F:\\twin.lnk" 1
expect-exists "E:\\twin.lnk" 1
menu frm_rd f_Exit
wait-exit 20
EOF

save_shots
echo "removable: all checks passed"
