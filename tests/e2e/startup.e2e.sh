# The start-up window under Wine: title, the missing tool, the window graph
# through the Pen Drive window, single instance, Exit.
source "$SOURCE_DIR/tools/kauto-lib.sh"

notool="$(work_folder notool startup-notool)"
tool="$(work_folder tool startup-tool)"

echo "== tool missing: the question, Computer disabled, Pen Drive and back"
drive <<EOF
launch $notool\\kestrive.exe $notool
box "$DownloadQuestion" no question
wait-window frm_first
expect-enabled frm_first btn_c 0
expect-enabled frm_first btn_rd 1
expect-text frm_first lbl_V v3.0
$(shot frm_first startup-window)
click frm_first btn_rd
wait-window frm_rd
expect-visible frm_first 0
click frm_rd btn_x
wait-window frm_first
expect-window-enabled frm_first 1
expect-enabled frm_first btn_c 0
EOF

echo "== a second instance shows nothing and ends"
drive <<EOF
launch $notool\\kestrive.exe $notool
wait-exit 20
no-box 1
EOF

echo "== Exit of the first instance ends it"
drive <<EOF
menu frm_first file_1
wait-hidden frm_first 20
EOF

echo "== tool present: no question, both buttons enabled; closing the window ends the process"
drive <<EOF
launch $tool\\kestrive.exe $tool
wait-window frm_first
no-box 1
expect-enabled frm_first btn_c 1
expect-enabled frm_first btn_rd 1
close frm_first
wait-exit 20
EOF

echo "== a second start brings the running instance's window to the front, restored from minimised"
for row in "frm_first -" "frm_rd btn_rd"; do
  set -- $row
  drive <<EOF
launch $tool\\kestrive.exe $tool
wait-window frm_first
$([ "$2" = - ] || printf 'click frm_first %s\nwait-window %s\n' "$2" "$1")
minimize $1
sleep 500
launch $tool\\kestrive.exe $tool
wait-exit 20
no-box 1
attach kestrive.exe
expect-front $1
expect-running 1
menu $1 $([ "$1" = frm_first ] && echo file_1 || echo f_Exit)
wait-exit 20
EOF
done

save_shots
echo "startup: all checks passed"
