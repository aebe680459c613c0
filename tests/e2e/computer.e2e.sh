# The Computer cleaner through the real window: a test worm named like a
# Windows process, running from the profile folder with a quoted Run entry
# that carries an argument, is ended by the stand-in tool, deleted, its value
# removed, the settings restored, while a process of that name running from
# another folder keeps running; profile executables deleted on their own;
# the Registry Manager writes what it shows next time.
source "$SOURCE_DIR/tools/kauto-lib.sh"

app="$(work_folder tool computer)"
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
sys='HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\System'
adv='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced'
decoy="C:\\e2e\\decoy\\svchost.exe"
mkdir -p "$E2E_ROOT/decoy"
cp "$WIN32_BUILD/worm.exe" "$E2E_ROOT/decoy/svchost.exe"
cp "$WIN32_BUILD/worm.exe" "$profile_host/svchost.exe"
cp "$WIN32_BUILD/worm.exe" "$profile_host/tool.exe"
mkdir -p "$profile_host/game.exe"
trap 'rm -rf "$profile_host/svchost.exe" "$profile_host/tool.exe" "$profile_host/game.exe"' EXIT
worm_line="svchost.exe | Svc | \"\"$profile\\svchost.exe\"\" -k netsvcs"

echo "== Scan finds the worm; Delete ends it (not the decoy), deletes it, removes its value, restores the settings"
drive <<EOF
reg-set $run Svc sz """$profile\\svchost.exe"" -k netsvcs"
reg-set $run Unrelated sz "C:\\windows\\notepad.exe"
reg-set $sys DisableTaskMgr dword 1
reg-set $sys DisableRegistryTools dword 1
reg-set $adv Hidden dword 2
spawn $decoy
sleep 300
spawn $profile\\svchost.exe
sleep 500
expect-process $decoy 1
expect-process $profile\\svchost.exe 1
launch $app\\kestrive.exe $app
wait-window frm_first
click frm_first btn_c
wait-window frm_c
sleep 300
expect-enabled frm_c btn_c_r 0
expect-enabled frm_c btn_Er 0
expect-enabled frm_c btn_d 0
click frm_c btn_scan
box "$ComputerFound" ok error
expect-items frm_c lst_P svchost.exe tool.exe game.exe
expect-items frm_c lst_V "$worm_line"
expect-enabled frm_c btn_c_r 1
expect-enabled frm_c btn_Er 1
sleep 300
expect-enabled frm_c btn_d 1
$(shot frm_c computer-lists)
click frm_c btn_d
box "$SelectFile" ok information
click frm_c btn_c_ma
sleep 200
expect-marked frm_c lst_V "$worm_line" 1
click frm_c btn_d
box "$ConfirmDelete" yes question
box "$DeleteComplete" ok information
expect-process $profile\\svchost.exe 0
expect-process $decoy 1
expect-exists "$profile\\svchost.exe" 0
expect-reg $run Svc -
expect-reg $run Unrelated "C:\\windows\\notepad.exe"
expect-reg $sys DisableTaskMgr 0
expect-reg $sys DisableRegistryTools 0
expect-reg $adv Hidden 0
expect-reg $adv ShowSuperHidden 0
expect-reg $adv SuperHidden 1
expect-reg "HKCU\\Software\\Policies\\Microsoft\\Windows\\System" DisableCMD 0
expect-items frm_c lst_V
EOF

echo "== Delete of profile executables: one deleted, a folder named game.exe reported"
drive <<EOF
attach kestrive.exe
click frm_c btn_Er
sleep 300
expect-items frm_c lst_P tool.exe game.exe
mark frm_c lst_P tool.exe
mark frm_c lst_P game.exe
click frm_c btn_Ed
box "$ConfirmDelete" yes
box "$CannotDeletePrefix$profile\\game.exe$InUseComputer" ok error
box "$DeleteLeftComputer" ok information
expect-exists "$profile\\tool.exe" 0
expect-items frm_c lst_P game.exe
EOF

echo "== Registry Manager: reads HKCU, Ok writes, the next opening shows what was written"
drive <<EOF
attach kestrive.exe
reg-delete $adv HideFileExt
menu frm_c ex_fReg
box "$RunAsAdmin" ok information
wait-window frm_RM
expect-checked frm_RM chk_NTM 0
expect-checked frm_RM chk_NRE 0
expect-checked frm_RM chk_SHFF 0
expect-checked frm_RM chk_SE 1
check frm_RM chk_NTM 1
check frm_RM chk_SE 0
click frm_RM btn_okk
box "$ConfirmRegistry" no question
expect-visible frm_RM 1
expect-reg $sys DisableTaskMgr 0
click frm_RM btn_okk
box "$ConfirmRegistry" yes question
wait-window frm_c
expect-visible frm_RM 0
expect-reg $sys DisableTaskMgr 1
expect-reg $adv HideFileExt 1
expect-reg $adv Hidden 0
expect-reg $adv SuperHidden 1
menu frm_c ex_fReg
box "$RunAsAdmin" ok
wait-window frm_RM
expect-checked frm_RM chk_NTM 1
expect-checked frm_RM chk_SE 0
click frm_RM btn_zx
wait-window frm_c
expect-items frm_c lst_P game.exe
reg-set $sys DisableTaskMgr dword 0
reg-delete $adv HideFileExt
click frm_c btn_x
wait-window frm_first
menu frm_first file_1
wait-exit 20
EOF

save_shots
echo "computer: all checks passed"
