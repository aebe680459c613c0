// The start-up window: single instance, the tool test, the two cleaners and
// the File and Help menus.
#pragma once

#include "platform/window.h"

namespace kestrive {

class FrmFirst : public Window {
 public:
  explicit FrmFirst(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override;

  Control& btn_c = add(Kind::Button, "btn_c", "&Computer", nullptr, "For computer only");  // opens frm_c
  Control& btn_rd = add(Kind::Button, "btn_rd", "&Pen Drive", nullptr, "Example: pen drive, thum drive, etc");
  Control& lbl_V = add(Kind::Label, "lbl_V", {}, nullptr, "Click to download new version");  // the version
  Control& Label1 = add(Kind::Label, "Label1", {}, nullptr, "Press it");                     // the makers, a link
  Control& file_0 = add(Kind::Menu, "file_0", "&File");
  Control& file_1 = add(Kind::MenuEntry, "file_1", "E&xit", &file_0);
  Control& help_0 = add(Kind::Menu, "help_0", "&Help");
  Control& h_iii = add(Kind::MenuEntry, "h_iii", "&Infomation About 'Virus Shortcut'", &help_0);
  Control& frmfist_htraa = add(Kind::MenuEntry, "frmfist_htraa", "How To 'Run As Administrator'?", &help_0);
  Control& h_1xxx = add(Kind::MenuEntry, "h_1xxx", "How To Use This Program?", &help_0);
  Control& help_0a = add(Kind::Separator, "help_0a", "-", &help_0);
  Control& help_his = add(Kind::MenuEntry, "help_his", "History", &help_0);
  Control& help_3 = add(Kind::MenuEntry, "help_3", "&Update", &help_0);  // never enabled
  Control& help_d = add(Kind::MenuEntry, "help_d", "&Download new version", &help_0);
  Control& help_0b = add(Kind::Separator, "help_0b", "-", &help_0);
  Control& help_comment = add(Kind::MenuEntry, "help_comment", "&Comment About This Program", &help_0);
  Control& help_2 = add(Kind::MenuEntry, "help_2", "&About", &help_0);

  void btn_rd_Click();
  void btn_c_Click();
  void file_1_Click();
  void h_iii_Click();
  void h_1xxx_Click();
  void frmfist_htraa_Click();
  void help_his_Click();
  void help_d_Click();
  void help_comment_Click();
  void help_2_Click();
  void lbl_V_Click();
  void Label1_Click();
};

}  // namespace kestrive
