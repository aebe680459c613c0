// The Registry Manager: six settings as check boxes, written on Ok.
#pragma once

#include "platform/window.h"

namespace kestrive {

class FrmRM : public Window {
 public:
  explicit FrmRM(App& app);
  void Form_Load() override;
  void Form_Unload() override { btn_zx_Click(); }

  void btn_okk_Click();
  void btn_zx_Click();
  void RM_h_htraa_Click();
  void RM_f_exit_Click();
};

}  // namespace kestrive
