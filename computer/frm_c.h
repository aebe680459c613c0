// The computer cleaner: profile-folder executables, the Run entries that
// name them, and their removal through the process-termination tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

  // Empties lst_P and fills it with the profile folder's executable names.
  void ListProfileExecutables();
  // Empties lst_V and fills it with the Run entries naming those names.
  // False when the window went away while a message was shown.
  bool ListStartupEntries();

  // The values of one key, read once per scan and matched per name.
  struct RunValues {
    struct Value {
      std::string name;     // as stored; "" for the unnamed value
      std::string label;    // as shown in the line
      std::string data;     // text as stored, without its NUL
      std::string command;  // what Windows starts: data, variables expanded for REG_EXPAND_SZ
      std::string lowData, lowCommand;
    };
    bool read = false;
    std::vector<Value> values;
  };
  bool ScanRunKey(uint32_t root, const std::string& path, const std::string& fileName, RunValues& values);
  bool ListMatchingRunValues(uint32_t root, const std::string& path, const std::string& fileName,
                             RunValues& values);
};

}  // namespace kestrive
