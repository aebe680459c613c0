// The start-up window: single instance, the tool test, the two cleaners and
// the File and Help menus.
#pragma once

#include "platform/window.h"

namespace kestrive {

class FrmFirst : public Window {
 public:
  explicit FrmFirst(App& app);
  void Form_Load() override;
  void Form_Unload() override;

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
