# Every window by the keyboard alone: Tab order, the default button of Enter,
# Esc as the window's way back, access keys, the focus kept on a usable
# control, and message boxes owned by the window that asks.
source "$SOURCE_DIR/tools/kauto-lib.sh"

notool="$(work_folder notool keyboard-notool)"
app="$(work_folder tool keyboard)"
map_drive E

echo "== start-up window: no owner for the first question, Computer disabled, Esc does not end the process"
drive <<EOF
launch $notool\\kestrive.exe $notool
wait-box "$DownloadQuestion"
expect-box-owner -
box "$DownloadQuestion" no question
wait-window frm_first
expect-focus frm_first btn_rd
expect-tab-order frm_first btn_c btn_rd
expect-default frm_first -
key frm_first esc
sleep 500
expect-running 1
expect-visible frm_first 1
key frm_first enter
no-box 1
wait-window frm_rd
expect-focus frm_rd cmb_rd
key frm_rd esc
wait-window frm_first
expect-window-enabled frm_first 1
expect-focus frm_first btn_rd
menu frm_first file_1
wait-exit 20
EOF

echo "== access keys: only captions whose first letter no other button or menu of the window claims; texts unchanged"
{
  echo "launch $app\\kestrive.exe $app"
  echo "wait-window frm_first"
  check_keys() {  # window then control=letter pairs; "-" for none
    local win="$1" pair
    shift
    for pair in "$@"; do echo "expect-access-key $win ${pair%%=*} ${pair#*=}"; done
  }
  check_keys frm_first btn_c=C btn_rd=P
  # Menu entries: first letters unique within their menu, Exit on its x as is usual.
  check_keys frm_first file_1=x h_iii=I frmfist_htraa=- h_1xxx=- help_his=- help_3=U help_d=D help_comment=C help_2=A
  echo "expect-text frm_first h_iii \"Infomation About 'Virus Shortcut'\""
  echo "expect-text frm_first help_comment \"Comment About This Program\""
  echo "expect-text frm_first btn_c Computer"
  echo "expect-text frm_first btn_rd \"Pen Drive\""
  echo "click frm_first btn_rd"
  echo "wait-window frm_rd"
  check_keys frm_rd chkAD=A btn_x=B btn_scan=- btn_rsd=- btn_r_dir2=- btn_s2=- btn_ds2=- btn_d2=- \
    btn_r=- btn_dir_sa=- btn_dir_usa=- btn_del=- fmSD=- Framec=- Framed=- Frameddfgre34=-
  echo "expect-text frm_rd chkAD \"Automatic Delete All Virus (Recommended)\""
  echo "expect-text frm_rd btn_x Back"
  check_keys frm_rd f_Back=B f_Exit=x e_sa=S
  echo "expect-text frm_rd e_sa \"Show all hidden file for this device\""
  echo "expect-text frm_rd f_Exit Exit"
  echo "click frm_rd btn_x"
  echo "wait-window frm_first"
  echo "click frm_first btn_c"
  echo "wait-window frm_c"
  check_keys frm_c btn_x=B btn_scan=- btn_c_ma=- btn_c_uma=- btn_c_r=- btn_d=- btn_Esa=- btn_Edsa=- btn_Er=- \
    btn_Ed=- Framenufgis=- frameM=- Frame=-
  check_keys frm_c f2_Back=B f2_Exit=x ex_fReg=R
  echo "expect-text frm_c ex_fReg \"Registry Manager\""
  echo "menu frm_c ex_fReg"
  echo "box \"$RunAsAdmin\" ok information"
  echo "wait-window frm_RM"
  check_keys frm_RM chk_DCMD=D btn_okk=O btn_zx=C chk_NRE=- chk_HFO=- chk_NTM=- chk_SHFF=- chk_SE=- fme_RM=-
  echo "expect-text frm_RM chk_DCMD \"Disable CMD\""
  echo "expect-text frm_RM btn_zx Cancel"
  check_keys frm_RM RM_f_back=B RM_f_exit=x RM_h_htraa=H
  echo "expect-text frm_RM RM_h_htraa \"How To 'Run As Administrator'?\""
  echo "menu frm_RM RM_h_htraa"
  echo "wait-window frm_help"
  check_keys frm_help btn_ok=B frmeeddf=-
  echo "click frm_help btn_ok"
  echo "click frm_RM btn_zx"
  echo "wait-window frm_c"
  echo "click frm_c btn_x"
  echo "wait-window frm_first"
  echo "menu frm_first help_his"
  echo "wait-window frm_h"
  check_keys frm_h btn_k=O
  echo "click frm_h btn_k"
  echo "wait-window frm_first"
  echo "menu frm_first help_2"
  echo "wait-window frm_about"
  check_keys frm_about btn_ok=O
  echo "expect-text frm_about btn_ok Ok"
  echo "click frm_about btn_ok"
  echo "wait-window frm_first"
} | drive

echo "== start-up window: Tab goes round the two buttons, an access key opens the cleaner"
drive <<EOF
attach kestrive.exe
expect-focus frm_first btn_c
key frm_first tab
expect-focus frm_first btn_rd
key frm_first tab
expect-focus frm_first btn_c
key frm_first alt+c
wait-window frm_c
expect-visible frm_first 0
EOF

echo "== Computer: Enter scans, the box belongs to the window, the focus comes back; Esc is Back"
drive <<EOF
attach kestrive.exe
expect-tab-order frm_c btn_scan btn_x lst_V btn_c_ma btn_c_uma btn_c_r btn_d lst_P btn_Esa btn_Edsa btn_Er btn_Ed
expect-default frm_c btn_scan
expect-focus frm_c btn_scan
key frm_c enter
wait-box "$ComputerClean"
expect-box-owner frm_c
box "$ComputerClean" ok information
expect-focus frm_c btn_scan
key frm_c tab
expect-focus frm_c btn_x
key frm_c esc
wait-window frm_first
expect-visible frm_c 0
expect-window-enabled frm_first 1
EOF

echo "== Registry Manager: check boxes by key, Enter asks first, Esc is Cancel"
drive <<EOF
attach kestrive.exe
key frm_first alt+c
wait-window frm_c
menu frm_c ex_fReg
wait-box "$RunAsAdmin"
expect-box-owner -
box "$RunAsAdmin" ok information
wait-window frm_RM
expect-tab-order frm_RM chk_NRE chk_DCMD chk_HFO chk_NTM chk_SHFF chk_SE btn_okk btn_zx
expect-default frm_RM btn_okk
expect-focus frm_RM chk_NRE
expect-checked frm_RM chk_DCMD 0
key frm_RM alt+d
expect-focus frm_RM chk_DCMD
sleep 300
expect-checked frm_RM chk_DCMD 1
key frm_RM space
sleep 300
expect-checked frm_RM chk_DCMD 0
key frm_RM enter
wait-box "$ConfirmRegistry"
expect-box-owner frm_RM
box "$ConfirmRegistry" no question
expect-visible frm_RM 1
expect-focus frm_RM chk_DCMD
menu frm_RM RM_h_htraa
wait-window frm_help
expect-focus frm_help btn_ok
key frm_help esc
wait-hidden frm_help
expect-visible frm_RM 1
expect-focus frm_RM chk_DCMD
menu frm_RM RM_h_htraa
wait-window frm_help
expect-focus frm_help btn_ok
click frm_RM btn_okk
wait-box "$ConfirmRegistry"
expect-box-owner frm_RM
box "$ConfirmRegistry" no question
expect-focus frm_RM chk_DCMD
key frm_RM esc
wait-window frm_c
expect-visible frm_RM 0
expect-window-enabled frm_c 1
click frm_help btn_ok
wait-hidden frm_help
expect-focus frm_c btn_scan
key frm_c esc
wait-window frm_first
EOF

echo "== History, About and help: Enter and Esc both leave"
# Enter in the history text goes through Ok, which keeps the focus: the window
# is only hidden, so it shows again as it was left.
for pair in enter:txt1 esc:btn_k; do
  way="${pair%%:*}" focus="${pair#*:}"
  drive <<EOF
attach kestrive.exe
menu frm_first help_his
wait-window frm_h
expect-tab-order frm_h txt1 btn_k
expect-default frm_h btn_k
expect-focus frm_h $focus
key frm_h $way
wait-window frm_first
expect-visible frm_h 0
expect-window-enabled frm_first 1
menu frm_first help_2
wait-window frm_about
expect-tab-order frm_about btn_ok
expect-default frm_about btn_ok
expect-focus frm_about btn_ok
key frm_about $way
wait-window frm_first
expect-visible frm_about 0
expect-window-enabled frm_first 1
menu frm_first frmfist_htraa
wait-window frm_help
expect-tab-order frm_help btn_ok
expect-default frm_help btn_ok
expect-focus frm_help btn_ok
key frm_help $way
wait-hidden frm_help
expect-visible frm_first 1
EOF
done

echo "== Pen Drive: Enter asks before it scans; the focus goes to Scan from a Delete that goes grey"
drive <<EOF
make-file "E:\\autorun.inf" 7
attach kestrive.exe
key frm_first alt+p
wait-window frm_rd
expect-tab-order frm_rd cmb_rd btn_rsd btn_scan lst_dir_2 btn_r_dir2 btn_s2 btn_ds2 btn_d2 chkAD lst_dir btn_r btn_dir_sa btn_dir_usa btn_del btn_x
expect-default frm_rd btn_scan
expect-focus frm_rd cmb_rd
select frm_rd cmb_rd "E:\\"
sleep 300
expect-enabled frm_rd btn_scan 1
key frm_rd enter
wait-box "$ConfirmScan"
expect-box-owner frm_rd
box "$ConfirmScan" no question
expect-attr "E:\\autorun.inf" 7
expect-items frm_rd lst_dir_2
expect-focus frm_rd cmb_rd
key frm_rd enter
box "$ConfirmScan" yes question
box "$ScanFound" ok information
expect-items frm_rd lst_dir_2 autorun.inf
expect-focus frm_rd cmb_rd
key frm_rd tab
expect-focus frm_rd btn_rsd
key frm_rd tab
expect-focus frm_rd btn_scan
key frm_rd tab
expect-focus frm_rd btn_r_dir2
key frm_rd tab
expect-focus frm_rd btn_d2
key frm_rd enter
box "$ConfirmDelete" no question
expect-exists "E:\\autorun.inf" 1
expect-focus frm_rd btn_d2
key frm_rd space
box "$ConfirmDelete" yes question
box "$DeleteComplete" ok information
expect-exists "E:\\autorun.inf" 0
sleep 300
expect-enabled frm_rd btn_d2 0
expect-focus frm_rd btn_scan
expect-default frm_rd btn_scan
key frm_rd enter
box "$ConfirmScan" no question
key frm_rd alt+a
sleep 300
expect-checked frm_rd chkAD 0
key frm_rd alt+b
wait-window frm_first
expect-visible frm_rd 0
menu frm_first file_1
wait-exit 20
EOF

echo "== Pen Drive: a clicked check box takes the keyboard to its list, Tab into a list shows its entry, a Delete that empties a list never leaves the focus on Back"
drive <<EOF
make-file "E:\\autorun.inf" 7
make-file "E:\\setup.exe" 6
launch $app\\kestrive.exe $app
wait-window frm_first
$(pen_drive_scan E)
box "$ScanFound" ok information
key frm_rd alt+a
sleep 300
expect-checked frm_rd chkAD 0
expect-focus frm_rd chkAD
key frm_rd tab
expect-focus frm_rd lst_dir
expect-current frm_rd lst_dir setup.exe
mouse-mark frm_rd lst_dir_2 autorun.inf
expect-marked frm_rd lst_dir_2 autorun.inf 1
expect-focus frm_rd lst_dir_2
expect-current frm_rd lst_dir_2 autorun.inf
keys frm_rd space
expect-marked frm_rd lst_dir_2 autorun.inf 0
expect-checked frm_rd chkAD 0
mouse-mark frm_rd lst_dir setup.exe
expect-focus frm_rd lst_dir
expect-marked frm_rd lst_dir setup.exe 1
key frm_rd tab
key frm_rd tab
key frm_rd tab
key frm_rd tab
expect-focus frm_rd btn_del
key frm_rd enter
box "$ConfirmDelete" yes question
box "$DeleteComplete" ok information
expect-exists "E:\\setup.exe" 0
sleep 300
expect-enabled frm_rd btn_del 0
expect-focus frm_rd btn_scan
expect-items frm_rd lst_dir_2 autorun.inf
menu frm_rd f_Exit
wait-exit 20
EOF

echo "keyboard: all checks passed"
