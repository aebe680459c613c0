// The Registry Manager: six settings as check boxes, written on Ok.
#pragma once

#include "platform/window.h"

namespace kestrive {

enum class SettingBox;

class FrmRM : public Window {
 public:
  explicit FrmRM(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override { btn_zx_Click(); }

  Control& fme_RM = add(Kind::Frame, "fme_RM", "Registry Manager");
  // The settings; box() pairs each with its entry of the setting catalogue.
  Control& chk_NRE = add(Kind::Check, "chk_NRE", "No Registry Editor", &fme_RM);
  Control& chk_DCMD = add(Kind::Check, "chk_DCMD", "&Disable CMD", &fme_RM);
  Control& chk_HFO = add(Kind::Check, "chk_HFO", "Hide Folder Options (XP)", &fme_RM);
  Control& chk_NTM = add(Kind::Check, "chk_NTM", "No Task Manager", &fme_RM);
  Control& chk_SHFF = add(Kind::Check, "chk_SHFF", "Show Hidden File And Folder", &fme_RM);
  Control& chk_SE = add(Kind::Check, "chk_SE", "Show Extentions", &fme_RM);
  Control& btn_okk = add(Kind::Button, "btn_okk", "&Ok");    // writes every setting
  Control& btn_zx = add(Kind::Button, "btn_zx", "&Cancel");  // back to frm_c
  Control& RM_f_0 = add(Kind::Menu, "RM_f_0", "&File");
  Control& RM_f_back = add(Kind::MenuEntry, "RM_f_back", "&Back", &RM_f_0);
  Control& RM_f_s0 = add(Kind::Separator, "RM_f_s0", "-", &RM_f_0);
  Control& RM_f_exit = add(Kind::MenuEntry, "RM_f_exit", "E&xit", &RM_f_0);
  Control& RM_h = add(Kind::Menu, "RM_h", "&Help");
  Control& RM_h_htraa = add(Kind::MenuEntry, "RM_h_htraa", "&How To 'Run As Administrator'?", &RM_h);

  // The box that shows a setting.
  Control& box(SettingBox setting);

  void btn_okk_Click();
  void btn_zx_Click();
  void RM_h_htraa_Click();
  void RM_f_exit_Click();
};

}  // namespace kestrive
