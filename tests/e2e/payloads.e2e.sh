# The three shortcut-worm families and the folder with no name on one stick,
# cleaned through the real window with the automatic box checked.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool payloads)"
map_drive F
stick="$DRIVES/f"
nbsp=$'\u00a0'

# The user's files, moved by the worm into a hidden folder with no name.
mkdir -p "$stick/$nbsp/Music" "$stick/$nbsp/Docs"
printf 'the user song\n' > "$stick/$nbsp/Music/song.mp3"
printf 'the user letter\n' > "$stick/$nbsp/Docs/letter.doc"
head -c 70000 /dev/urandom > "$stick/$nbsp/thesis.docx"
# The worms' files: a script at the root, a program below RECYCLER, a DLL
# named like a temp file.
printf 'worm script' > "$stick/iTunesHelper.vbe"
mkdir -p "$stick/RECYCLER/S-1-5-21-1234"
printf 'worm program' > "$stick/RECYCLER/S-1-5-21-1234/0xd80a89c7.exe"
printf 'worm library' > "$stick/~\$WQHGV.FAT32"
before="$(cd "$stick/$nbsp" && find . -type f -exec sha256sum {} + | sort)"

mklink() { "$WINE" "$WIN32_BUILD/mklink.exe" "$@"; }
mklink shell 'F:\Music.lnk' 'C:\windows\system32\cmd.exe' '/c start iTunesHelper.vbe&start Music&exit'
mklink shell 'F:\Docs.lnk' 'C:\windows\system32\cmd.exe' \
  '/c "start %cd%RECYCLER\S-1-5-21-1234\0xd80a89c7.exe &&%windir%\explorer.exe %cd%Docs"'
mklink env 'F:\USB DISK.lnk' '%hoMEdrive%\WINDOWS\System32\rundll32.exe' '~$WQHGV.FAT32,_ldr@16 desktop.ini RET TLB'
# Every root entry hidden and system, as the worm leaves them, and the folder below RECYCLER.
rootattrs set 'F:\' 6 >/dev/null
rootattrs set 'F:\RECYCLER' 6 >/dev/null

echo "== three worm families and the folder with no name: payloads listed and deleted, files back at the root"
drive <<EOF
expect-attr "F:\\iTunesHelper.vbe" 6
expect-attr "F:\\RECYCLER\\S-1-5-21-1234" 22
launch $app\\kestrive.exe $app
wait-window frm_first
$(pen_drive_scan F question)
box "$ScanFound" ok information
expect-items frm_rd lst_dir_2 Music.lnk Docs.lnk "USB DISK.lnk" iTunesHelper.vbe "RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe" "~\$WQHGV.FAT32"
expect-items frm_rd lst_dir
box "${RestoreQuestionPrefix}F:\\$RestoreQuestionSuffix" yes question
box "Moved 3 entries back to F:\\." ok information
sleep 300
$(shot frm_rd removable-payloads)
expect-checked frm_rd chkAD 1
click frm_rd btn_d2
box "$ConfirmDelete" yes question
box "$DeleteComplete" ok information
expect-items frm_rd lst_dir_2
expect-exists "F:\\Music.lnk" 0
expect-exists "F:\\USB DISK.lnk" 0
expect-exists "F:\\iTunesHelper.vbe" 0
expect-exists "F:\\RECYCLER\\S-1-5-21-1234\\0xd80a89c7.exe" 0
expect-exists "F:\\~\$WQHGV.FAT32" 0
expect-exists "F:\\RECYCLER\\S-1-5-21-1234" 1
expect-attr "F:\\Music" 16
expect-attr "F:\\thesis.docx" 0
click frm_rd btn_x
wait-window frm_first
menu frm_first file_1
wait-exit 20
EOF

after="$(cd "$stick" && find ./Music ./Docs ./thesis.docx -type f -exec sha256sum {} + | sort)"
if [ "$before" != "$after" ]; then
  echo "the user's files changed on the way back:"
  diff <(echo "$before") <(echo "$after") || true
  exit 1
fi
if [ -e "$stick/$nbsp" ]; then
  echo "the folder with no name is still there"
  exit 1
fi
save_shots
echo "the user's files are back at the root, byte for byte"
