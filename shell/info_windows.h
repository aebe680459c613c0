// The windows that inform rather than clean.
#pragma once

#include <string>

#include "platform/window.h"

namespace kestrive {

// The release history shown by frm_h, lines ended by CR LF.
std::string releaseHistory();

class FrmHelp : public Window {
 public:
  explicit FrmHelp(App& app);
  void Form_Load() override;
  void Form_Unload() override { btn_ok_Click(); }
  void btn_ok_Click();
};

class FrmH : public Window {
 public:
  explicit FrmH(App& app);
  void Form_Load() override;
  void Form_Unload() override { btn_k_Click(); }
  void btn_k_Click();
};

class FrmAbout : public Window {
 public:
  explicit FrmAbout(App& app);
  void Form_Load() override;
  void Form_Unload() override { btn_ok_Click(); }
  void btn_ok_Click();
};

// Nothing opens these two.
class FrmU : public Window {
 public:
  explicit FrmU(App& app);
};

class FrmOp : public Window {
 public:
  explicit FrmOp(App& app);
};

}  // namespace kestrive
