#include "policy/frm_rm.h"

#include "policy/function.h"
#include "shell/app.h"

namespace kestrive {

FrmRM::FrmRM(App& a) : Window(a, "frm_RM") {
  add(Kind::Frame, "fme_RM", "Registry Manager");
  add(Kind::Check, "chk_NRE", "No Registry Editor", "fme_RM");
  add(Kind::Check, "chk_DCMD", "Disable CMD", "fme_RM");
  add(Kind::Check, "chk_HFO", "Hide Folder Options (XP)", "fme_RM");
  add(Kind::Check, "chk_NTM", "No Task Manager", "fme_RM");
  add(Kind::Check, "chk_SHFF", "Show Hidden File And Folder", "fme_RM");
  add(Kind::Check, "chk_SE", "Show Extentions", "fme_RM");
  add(Kind::Button, "btn_okk", "Ok");
  add(Kind::Button, "btn_zx", "Cancel");
  add(Kind::Menu, "RM_f_0", "File");
  add(Kind::MenuEntry, "RM_f_back", "Back", "RM_f_0");
  add(Kind::Separator, "RM_f_s0", "-", "RM_f_0");
  add(Kind::MenuEntry, "RM_f_exit", "Exit", "RM_f_0");
  add(Kind::Menu, "RM_h", "Help");
  add(Kind::MenuEntry, "RM_h_htraa", "How To 'Run As Administrator'?", "RM_h");

  on("btn_okk_Click", [this] { btn_okk_Click(); });
  on("btn_zx_Click", [this] { btn_zx_Click(); });
  on("RM_f_back_Click", [this] { btn_zx_Click(); });
  on("RM_f_exit_Click", [this] { RM_f_exit_Click(); });
  on("RM_h_htraa_Click", [this] { RM_h_htraa_Click(); });
}

void FrmRM::Form_Load() {
  title = windowTitle("Registry Manager | ");
  app().message(msg::RunAsAdmin, MsgKind::Information);
  if (!loaded()) return;
  Platform& p = app().p;
  for (const char* box : kSettingReadOrder) {
    const Setting& s = settingFor(box);
    bool one = EqualsOne(GetRegValue(p, HKCU, s.readKey, s.readName));
    ctl(box).value = (one != s.checkedWhenNotOne) ? 1 : 0;
  }
}

void FrmRM::btn_okk_Click() {
  if (!app().ask(msg::ConfirmRegistry)) return;
  if (!loaded()) return;
  Platform& p = app().p;
  // Every row is written, changed or not; a refused write costs only itself.
  for (const Setting& s : kSettings) {
    bool checked = ctl(s.box).value == 1;
    for (const SettingWrite& w : s.writes) SetDwordValue(p, w.at, checked ? w.checked : w.unchecked);
  }
  p.ui.doEvents();
  // A click during the yield may already have left the window.
  if (!loaded()) return;
  btn_zx_Click();
}
void FrmRM::btn_zx_Click() { app().returnTo(*this, "frm_c", true); }
void FrmRM::RM_h_htraa_Click() { app().showAlongside("frm_help"); }
void FrmRM::RM_f_exit_Click() { app().endProcess(); }

}  // namespace kestrive
