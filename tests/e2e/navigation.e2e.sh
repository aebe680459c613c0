# Every window opened and left by every way out, through the real exe; the
# parent comes back enabled. Screenshots of every window go to docs/.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool navigation)"

# leave <window> <way out: a button, "menu:<entry>" or "close">
leave() {
  case "$2" in
    close) echo "close $1" ;;
    menu:*) echo "menu $1 ${2#menu:}" ;;
    *) echo "click $1 $2" ;;
  esac
}

open_rm() {
  cat <<EOF
menu frm_c ex_fReg
box "$RunAsAdmin" ok information
wait-window frm_RM
expect-visible frm_c 0
EOF
}

echo "== children of the start-up window"
{
  echo "launch $app\\kestrive.exe $app"
  echo "wait-window frm_first"
  for row in "frm_rd click:btn_rd btn_x" "frm_rd click:btn_rd menu:f_Back" "frm_rd click:btn_rd close" \
              "frm_c click:btn_c btn_x" "frm_c click:btn_c menu:f2_Back" "frm_c click:btn_c close" \
              "frm_h menu:help_his btn_k" "frm_h menu:help_his close" \
              "frm_about menu:help_2 btn_ok" "frm_about menu:help_2 close"; do
    set -- $row
    child="$1" how="${2%%:*}" opener="${2#*:}" way="$3"
    echo "$how frm_first $opener"
    echo "wait-window $child"
    echo "expect-visible frm_first 0"
    echo "expect-window-enabled frm_first 0"
    case "$child/$way" in
      frm_rd/btn_x) shot "$child" pen-drive-window ;;
      frm_c/btn_x) shot "$child" computer-window ;;
      frm_h/btn_k) shot "$child" history-window ;;
      frm_about/btn_ok) shot "$child" about-window ;;
    esac
    leave "$child" "$way"
    echo "wait-window frm_first"
    echo "expect-visible $child 0"
    echo "expect-window-enabled frm_first 1"
  done
  echo "menu frm_first frmfist_htraa"
  echo "wait-window frm_help"
  echo "menu frm_first frmfist_htraa"
  echo "expect-visible frm_first 1"
  echo "expect-window-enabled frm_first 1"
  shot frm_help help-window
  echo "click frm_help btn_ok"
  echo "wait-hidden frm_help"
  echo "menu frm_first frmfist_htraa"
  echo "wait-window frm_help"
  echo "close frm_help"
  echo "wait-hidden frm_help"
  echo "expect-visible frm_first 1"
} | drive

echo "== the Registry Manager and its ways back to the computer window"
{
  echo "click frm_first btn_c"
  echo "wait-window frm_c"
  for way in btn_zx menu:RM_f_back close; do
    open_rm
    if [ "$way" = btn_zx ]; then shot frm_RM registry-manager-window; fi
    leave frm_RM "$way"
    echo "wait-window frm_c"
    echo "expect-window-enabled frm_c 1"
    echo "expect-visible frm_RM 0"
  done
  open_rm
  echo "menu frm_RM RM_h_htraa"
  echo "wait-window frm_help"
  echo "expect-visible frm_RM 1"
  echo "click frm_RM btn_zx"
  echo "wait-window frm_c"
  echo "expect-visible frm_help 1"
  echo "click frm_help btn_ok"
  echo "wait-hidden frm_help"
  open_rm
  echo "menu frm_RM RM_f_exit"
  echo "wait-hidden frm_RM 20"
  echo "no-window frm_c 1"
  echo "no-window frm_first 1"
} | drive

echo "== Exit from every window ends the process"
for row in "frm_first" "frm_rd click:btn_rd f_Exit" "frm_c click:btn_c f2_Exit"; do
  set -- $row
  {
    echo "launch $app\\kestrive.exe $app"
    echo "wait-window frm_first"
    if [ "$1" = frm_first ]; then
      echo "menu frm_first file_1"
    else
      echo "click frm_first ${2#click:}"
      echo "wait-window $1"
      echo "menu $1 $3"
    fi
    echo "wait-exit 20"
    echo "no-window frm_first 1"
  } | drive
done

save_shots
echo "navigation: all checks passed"
