# Helpers for driving the real exe with kauto, shared by the end-to-end tests
# (tests/e2e), the benchmarks (bench/) and the demo (tools/demo.sh), which all
# run inside tools/wine-env.sh.
set -euo pipefail

source "$SOURCE_DIR/tools/texts.sh"

E2E_ROOT="$WINEPREFIX/drive_c/e2e"   # seen by Kestrive as C:\e2e
mkdir -p "$E2E_ROOT/shots"

# The prefix user's profile folder, as Kestrive sees it and on the host.
profile="C:\\users\\$(whoami)"
profile_host="$WINEPREFIX/drive_c/users/$(whoami)"

# user_folders: sets temp and startup (%TEMP% and the Startup folder as this
# Wine has them: C:\users\<user>\Temp, ...\Programs\StartUp) and their host
# paths temp_host and startup_host. It asks Wine, so only scripts that need
# them call it.
user_folders() {
  local programs="AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs" name=Startup
  temp="$("$WINE" cmd /c echo %TEMP% | tr -d '\r' | sed 's/ *$//')"
  temp_host="$("$WINE" winepath -u "$temp" 2>/dev/null | tr -d '\r')"
  [ -d "$profile_host/${programs//\\//}/StartUp" ] && name=StartUp
  startup="$profile\\$programs\\$name"
  startup_host="$profile_host/${programs//\\//}/$name"
}

# rootattrs ARGS...: the test tool that sets and counts the attributes of a
# root's entries in one process (rootattrs.exe, tests/support/rootattrs.cpp).
rootattrs() { (cd "$WINEPREFIX/drive_c" && "$WINE" "$WIN32_BUILD/rootattrs.exe" "$@" | tr -d '\r'); }

# work_folder tool|notool NAME: a folder C:\e2e\NAME holding kestrive.exe
# (and the stand-in tool when asked); prints its Windows path.
work_folder() {
  local dir="$E2E_ROOT/$2"
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$KESTRIVE_EXE" "$dir/kestrive.exe"
  if [ "$1" = tool ]; then cp "$WIN32_BUILD/pskill.exe" "$dir/pskill.exe"; fi
  echo "C:\\e2e\\$2"
}

# Runs the kauto script given on standard input.
drive() { "$WINE" "$KAUTO" - ; }

# A kauto line that saves a picture of a window as docs/NAME.png (see save_shots),
# or under KESTRIVE_SHOTS_DIR when set; NAME may name a folder of docs/ too,
# as in dpi150/startup-window.
shot() { local name="${2//\//\\}"; echo "shot $1 C:\\e2e\\shots\\$name.bmp"; }
# kauto lines that open a window's menu from the keyboard (Alt and the menu's
# letter), take its picture with the menu open, and close it again.
#   menu_shot frm_first h dpi100/startup-menu-help
menu_shot() {
  echo "keys $1 alt+$2"
  shot "$1" "$3"
  echo "keys $1 esc esc"
}
save_shots() {
  local f rel
  while IFS= read -r -d '' f; do
    rel="${f#"$E2E_ROOT/shots/"}"
    mkdir -p "${KESTRIVE_SHOTS_DIR:-$SOURCE_DIR/docs}/$(dirname "$rel")"
    # Without time stamps, a picture that did not change leaves its file as it was.
    convert "$f" -define png:exclude-chunks=date,time "${KESTRIVE_SHOTS_DIR:-$SOURCE_DIR/docs}/${rel%.bmp}.png"
    rm -f "$f"
  done < <(find "$E2E_ROOT/shots" -name '*.bmp' -print0)
}

# kauto lines of the usual way to a device: from the start-up window into
# Pen Drive, and the device chosen.
#   pen_drive_choose E
pen_drive_choose() {
  cat <<EOT
click frm_first btn_rd
wait-window frm_rd
select frm_rd cmb_rd "$1:\\"
sleep 300
EOT
}

# ... and on into a scan: Scan, and Yes to its question (checked as a
# question when the second argument says "question").
#   pen_drive_scan E [question]
pen_drive_scan() {
  pen_drive_choose "$1"
  cat <<EOT
click frm_rd btn_scan
box "$ConfirmScan" yes${2:+ $2}
EOT
}
