// The computer cleaner: profile-folder executables, the Run entries that
// name them, and their removal through the process-termination tool.
#pragma once

#include <string>

#include "platform/window.h"

namespace kestrive {

class FrmC : public Window {
 public:
  explicit FrmC(App& app);
  void Form_Load() override;
  void Form_Unload() override { btn_x_Click(); }

  void btn_scan_Click();
  void btn_c_r_Click();
  void btn_Er_Click();
  void btn_d_Click();
  void btn_Ed_Click();
  void btn_c_ma_Click();
  void btn_c_uma_Click();
  void btn_Esa_Click();
  void btn_Edsa_Click();
  void T2_Timer();
  void btn_x_Click();
  void ex_fReg_Click();
  void f2_Exit_Click();
};

}  // namespace kestrive
