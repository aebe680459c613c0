# The Computer cleaner against today's worms through the real window: a VBS
# worm with three copies (%TEMP%, %APPDATA%, the Startup folder), values in
# HKCU's and HKLM's Run keys and its script host running and writing itself
# back; an exe worm in %APPDATA% started by a quoted value with an argument;
# an exe worm in %TEMP% started from the policy's Run key. Beside them an app
# installed per user and a logon script whose host runs too. Select All,
# Delete: the worms go, the legitimate ones stay.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool computer-places)"
roaming="$profile\\AppData\\Roaming"
roaming_host="$profile_host/AppData/Roaming"
local_host="$profile_host/AppData/Local"
user_folders
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
policy_run='HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer\Run'
machine_run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
system32="$WINEPREFIX/drive_c/windows/system32"
mkdir -p "$roaming_host" "$temp_host" "$startup_host" "$local_host/Programs/Notes" "$E2E_ROOT/scripts"

# Our stand-in script host is the system's wscript.exe for this run.
cp "$system32/wscript.exe" "$E2E_ROOT/wscript.exe.saved"
cp "$WIN32_BUILD/scripthost.exe" "$system32/wscript.exe"
hosts=()
cleanup() {
  for pid in "${hosts[@]}"; do kill "$pid" 2>/dev/null || true; done
  cp "$E2E_ROOT/wscript.exe.saved" "$system32/wscript.exe" || true
  rm -f "$temp_host/nfuzbk.vbs" "$roaming_host/nfuzbk.vbs" "$startup_host/nfuzbk.vbs" "$roaming_host/svcupd.exe" \
    "$temp_host/winlogon.exe"
  rm -rf "$local_host/Programs/Notes"
  for v in nfuzbk Svcupd Notes; do "$WINE" reg delete "$run" /v "$v" /f >/dev/null 2>&1 || true; done
  for v in nfuzbk Logon; do "$WINE" reg delete "$machine_run" /v "$v" /f >/dev/null 2>&1 || true; done
  "$WINE" reg delete "$policy_run" /v winlogon /f >/dev/null 2>&1 || true
}
trap cleanup EXIT
# Started as Windows starts a Run value, by the host's own name; the worm's
# host writes its script and value back every 100 ms while it runs.
host() { WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wscript.exe=n" "$WINE" wscript.exe "$@" >/dev/null 2>&1 & hosts+=($!); }
reg_add() { "$WINE" reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null; }

vbs="$temp\\nfuzbk.vbs"
for f in "$temp_host" "$roaming_host" "$startup_host"; do printf "WScript.Sleep 100 ' worm\r\n" >"$f/nfuzbk.vbs"; done
printf "WScript.Echo \"logon\"\r\n" >"$E2E_ROOT/scripts/logon.vbs"
cp "$WIN32_BUILD/worm.exe" "$roaming_host/svcupd.exe"
cp "$WIN32_BUILD/worm.exe" "$temp_host/winlogon.exe"
cp "$WIN32_BUILD/worm.exe" "$local_host/Programs/Notes/notes.exe"
reg_add "$run" nfuzbk "wscript.exe //B \"$vbs\""
reg_add "$machine_run" nfuzbk "wscript.exe //B \"$vbs\""
reg_add "$run" Svcupd "\"$roaming\\svcupd.exe\" -autorun"
reg_add "$policy_run" winlogon "$temp\\winlogon.exe"
reg_add "$run" Notes "\"$profile\\AppData\\Local\\Programs\\Notes\\notes.exe\" --minimized"
reg_add "$machine_run" Logon "wscript.exe //B C:\\e2e\\scripts\\logon.vbs"
KESTRIVE_SCRIPTHOST_FIGHT=1 host //B "$vbs"
worm_host=$!
host //B C:\\e2e\\scripts\\logon.vbs
logon_host=$!

q='""'  # a quote inside a quoted kauto word
echo "== Scan lists the three worms in every place they start from, and nothing else"
drive <<EOF
spawn $roaming\\svcupd.exe
sleep 500
expect-process $roaming\\svcupd.exe 1
launch $app\\kestrive.exe $app
wait-window frm_first
click frm_first btn_c
wait-window frm_c
click frm_c btn_scan
box "$ComputerFound" ok error
expect-items frm_c lst_V "nfuzbk.vbs | nfuzbk | wscript.exe //B $q$vbs$q" "svcupd.exe | Svcupd | $q$roaming\\svcupd.exe$q -autorun" "winlogon.exe | winlogon | $temp\\winlogon.exe | $policy_run" "nfuzbk.vbs | nfuzbk | wscript.exe //B $q$vbs$q | $machine_run (64-bit)" "nfuzbk.vbs | nfuzbk.vbs | $startup\\nfuzbk.vbs | Startup folder"
$(shot frm_c computer-places)
EOF
kill -0 "$worm_host" && kill -0 "$logon_host"

echo "== Select All, Delete: every worm goes while it runs and fights back; the legitimate ones stay"
drive <<EOF
attach kestrive.exe
click frm_c btn_c_ma
click frm_c btn_d
box "$ConfirmDelete" yes question
box "$DeleteComplete" ok information
expect-items frm_c lst_V
expect-process $roaming\\svcupd.exe 0
sleep 500
expect-exists "$temp\\nfuzbk.vbs" 0
expect-exists "$roaming\\nfuzbk.vbs" 0
expect-exists "$startup\\nfuzbk.vbs" 0
expect-exists "$roaming\\svcupd.exe" 0
expect-exists "$temp\\winlogon.exe" 0
expect-reg $run nfuzbk -
expect-reg $machine_run nfuzbk -
expect-reg $run Svcupd -
expect-reg $policy_run winlogon -
expect-reg $run Notes "$q$profile\\AppData\\Local\\Programs\\Notes\\notes.exe$q --minimized"
expect-reg $machine_run Logon "wscript.exe //B C:\\e2e\\scripts\\logon.vbs"
expect-exists "$profile\\AppData\\Local\\Programs\\Notes\\notes.exe" 1
expect-exists "C:\\e2e\\scripts\\logon.vbs" 1
click frm_c btn_x
wait-window frm_first
menu frm_first file_1
wait-exit 20
EOF
if kill -0 "$worm_host" 2>/dev/null; then echo "the worm's script host still runs" >&2; exit 1; fi
kill -0 "$logon_host" || { echo "the logon script's host was ended" >&2; exit 1; }

save_shots
echo "computer_places: all checks passed"
