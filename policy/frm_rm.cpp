#include "policy/frm_rm.h"

#include <stdexcept>

#include "policy/function.h"
#include "platform/platform.h"
#include "shell/texts.h"

namespace kestrive {

FrmRM::FrmRM(Shell& shell) : Window(shell, WindowId::RegistryManager) {
  escape = &btn_zx;
  bind(btn_okk, &FrmRM::btn_okk_Click);
  bind(btn_zx, &FrmRM::btn_zx_Click);
  bind(RM_f_back, &FrmRM::btn_zx_Click);
  bind(RM_f_exit, &FrmRM::RM_f_exit_Click);
  bind(RM_h_htraa, &FrmRM::RM_h_htraa_Click);
}

void FrmRM::Form_Load() {
  title = windowTitle("Registry Manager | ");
  if (!tell(msg::RunAsAdmin)) return;
  Platform& p = this->p();
  for (SettingBox setting : kSettingReadOrder) {
    const Setting& s = settingFor(setting);
    bool one = EqualsOne(GetRegValue(p, HKCU, s.readKey, s.readName));
    box(setting).value = (one != s.checkedWhenNotOne) ? 1 : 0;
  }
}

Control& FrmRM::box(SettingBox setting) {
  switch (setting) {
    case SettingBox::NoRegistryEditor: return chk_NRE;
    case SettingBox::HideFolderOptions: return chk_HFO;
    case SettingBox::DisableCmd: return chk_DCMD;
    case SettingBox::NoTaskManager: return chk_NTM;
    case SettingBox::ShowHidden: return chk_SHFF;
    case SettingBox::ShowExtensions: return chk_SE;
  }
  throw std::out_of_range("no box for a setting");
}

void FrmRM::btn_okk_Click() {
  if (!confirm(msg::ConfirmRegistry)) return;
  Platform& p = this->p();
  // Every row is written, changed or not; a refused write costs only itself.
  for (const Setting& s : kSettings) {
    bool checked = box(s.box).value == 1;
    for (const SettingWrite& w : s.writes) SetDwordValue(p, w.at, checked ? w.checked : w.unchecked);
  }
  p.ui.doEvents();
  // A click during the yield may already have left the window.
  if (!loaded()) return;
  btn_zx_Click();
}
void FrmRM::btn_zx_Click() { shell().returnTo(*this, WindowId::Computer, true); }
void FrmRM::RM_h_htraa_Click() { shell().showAlongside(WindowId::Help); }
void FrmRM::RM_f_exit_Click() { shell().endProcess(); }

}  // namespace kestrive
