// The removable-storage cleaner: device discovery, the root scan, deletion,
// the unhide command, the marking buttons and the control-state timer.
#pragma once

#include <initializer_list>
#include <map>
#include <string>

#include "platform/window.h"
#include "shell/texts.h"

namespace kestrive {

class FrmRd : public Window {
 public:
  explicit FrmRd(App& app);
  void Form_Load() override;
  void Form_Unload() override { btn_x_Click(); }

  // The text of cmb_rd: a drive letter and ":\", or "".
  std::string deviceRoot() const { return ctl("cmb_rd").text(); }

  void btn_rsd_Click();
  void cmb_rd_Click();
  void btn_scan_Click();
  void ScanDevice();
  void btn_r_Click();
  void btn_r_dir2_Click();
  void btn_d2_Click();
  void btn_del_Click();
  void DeleteListedEntries(Control& list, bool all);
  void e_sa_Click();
  void btn_dir_sa_Click();
  void btn_dir_usa_Click();
  void btn_s2_Click();
  void btn_ds2_Click();
  void T1_Timer();
  void btn_x_Click();
  void f_Exit_Click();

 private:
  // Message boxes; a box may outlive the window, so callers check loaded().
  bool confirm(const std::string& question);  // Yes, and the window still there
  void tell(const std::string& text, MsgKind kind = MsgKind::Information);
  // The end of both Delete buttons, once their list has been rebuilt.
  void reportDeletion(const Control& list, std::initializer_list<const char*> buttons);
  // The device root a list was filled from: Delete works there and nowhere
  // else, whatever cmb_rd shows meanwhile. "" while the list was never filled.
  std::string& listedRoot(const Control& list) { return listedRoot_[&list]; }
  void emptyLists();
  std::map<const Control*, std::string> listedRoot_;
};

}  // namespace kestrive
