# The menus as a person uses them: every entry that opens a window or leaves
# one is reached from the keyboard alone (F10 or Alt with the menu's letter,
# the arrows, the entry's letter, Enter), with real key presses to the window
# in front; no command is sent to a window directly.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool menus)"
map_drive E

echo "== start-up window: History, About and the help window through the Help menu"
drive <<EOF
launch $app\\kestrive.exe $app
wait-window frm_first
keys frm_first alt+h down down down enter
wait-window frm_h
expect-visible frm_first 0
click frm_h btn_k
wait-window frm_first
keys frm_first alt+h a
wait-window frm_about
expect-visible frm_first 0
click frm_about btn_ok
wait-window frm_first
keys frm_first f10 right enter down enter
wait-window frm_help
expect-visible frm_first 1
click frm_help btn_ok
wait-hidden frm_help
EOF

echo "== Pen Drive: Extra, Show all hidden file, and File, Back"
drive <<EOF
make-file "E:\\hidden.txt" 6
attach kestrive.exe
keys frm_first alt+p
wait-window frm_rd
select frm_rd cmb_rd "E:\\"
sleep 300
keys frm_rd alt+x s
box "$ConfirmShowAll" yes question
no-box 1
expect-attr "E:\\hidden.txt" 0
keys frm_rd alt+f b
wait-window frm_first
expect-visible frm_rd 0
EOF

echo "== Computer: Extra, Registry Manager, its Help and File, Back; File, Back"
drive <<EOF
attach kestrive.exe
keys frm_first alt+c
wait-window frm_c
keys frm_c alt+x r
box "$RunAsAdmin" ok information
wait-window frm_RM
keys frm_RM alt+h h
wait-window frm_help
click frm_help btn_ok
wait-hidden frm_help
keys frm_RM alt+f b
wait-window frm_c
expect-visible frm_RM 0
keys frm_c alt+f b
wait-window frm_first
expect-visible frm_c 0
EOF

echo "== Exit from the start-up window and from each cleaner"
drive <<EOF
attach kestrive.exe
keys frm_first alt+f x
wait-exit 20
EOF
for row in "frm_rd alt+p" "frm_c alt+c"; do
  set -- $row
  drive <<EOF
launch $app\\kestrive.exe $app
wait-window frm_first
keys frm_first $2
wait-window $1
keys $1 alt+f x
wait-exit 20
EOF
done

echo "menus: all checks passed"
