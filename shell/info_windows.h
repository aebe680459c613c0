// The windows that inform rather than clean.
#pragma once

#include <string>

#include "platform/window.h"

namespace kestrive {

// The release history shown by frm_h, lines ended by CR LF.
std::string releaseHistory();

class FrmHelp : public Window {
 public:
  explicit FrmHelp(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override { btn_ok_Click(); }

  Control& frmeeddf = add(Kind::Frame, "frmeeddf", "How To 'Run As Administrator'?");
  Control& Picturedcd = add(Kind::Picture, "Picturedcd", {}, &frmeeddf);  // the how-to picture
  Control& btn_ok = add(Kind::Button, "btn_ok", "&Back");

  void btn_ok_Click();
};

class FrmH : public Window {
 public:
  explicit FrmH(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override { btn_k_Click(); }

  Control& txt1 = add(Kind::Text, "txt1", releaseHistory());  // the release history, read-only
  Control& btn_k = add(Kind::Button, "btn_k", "&Ok");

  void btn_k_Click();
};

class FrmAbout : public Window {
 public:
  explicit FrmAbout(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override { btn_ok_Click(); }

  Control& Image1 = add(Kind::Picture, "Image1");  // the logo
  Control& lbl_version = add(Kind::Label, "lbl_version", "Version");
  Control& lbl_0 = add(Kind::Label, "lbl_0", "Name");
  Control& Label2 = add(Kind::Label, "Label2");  // the makers
  Control& Label1 = add(Kind::Label, "Label1");  // their page
  Control& btn_ok = add(Kind::Button, "btn_ok", "&Ok");

  void btn_ok_Click();
  void Label1_Click();
  void Label2_Click();
  void lbl_0_Click();
  void lbl_version_Click();
};

// Kept because the start-up window's Update entry names it; that entry is never enabled, so nothing opens it.
class FrmU : public Window {
 public:
  explicit FrmU(Shell& shell) : Window(shell, WindowId::Update) { title = "Update"; }
  Control& btn_k = add(Kind::Button, "btn_k", "Done");
};

// Kept as a window of the program with no title and no controls; nothing opens it.
class FrmOp : public Window {
 public:
  explicit FrmOp(Shell& shell) : Window(shell, WindowId::Options) {}
};

}  // namespace kestrive
