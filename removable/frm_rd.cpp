#include "removable/frm_rd.h"

#include "shell/app.h"

namespace kestrive {

FrmRd::FrmRd(App& a) : Window(a, "frm_rd") {
  add(Kind::Frame, "fmSD", "Select Device");
  add(Kind::Combo, "cmb_rd", {}, "fmSD");
  add(Kind::Button, "btn_rsd", "Refresh", "fmSD");
  add(Kind::Button, "btn_scan", "Scan", "fmSD");
  add(Kind::Frame, "Framec", "Select file to delete: (VIRUS)");
  add(Kind::CheckList, "lst_dir_2", {}, "Framec");
  add(Kind::Button, "btn_r_dir2", "Refresh", "Framec");
  add(Kind::Button, "btn_s2", "Select All", "Framec");
  add(Kind::Button, "btn_ds2", "Deselect All", "Framec");
  add(Kind::Button, "btn_d2", "Delete", "Framec");
  add(Kind::Check, "chkAD", "Automatic Delete All Virus (Recommended)", "Framec");
  add(Kind::Frame, "Framed", "If you don't know that file, just mark then delete:");
  add(Kind::CheckList, "lst_dir", {}, "Framed");
  add(Kind::Button, "btn_r", "Refresh", "Framed");
  add(Kind::Button, "btn_dir_sa", "Select All", "Framed");
  add(Kind::Button, "btn_dir_usa", "Deselect All", "Framed");
  add(Kind::Button, "btn_del", "Delete", "Framed");
  add(Kind::Frame, "Frameddfgre34", "Main");
  add(Kind::Button, "btn_x", "Back", "Frameddfgre34");
  add(Kind::Timer, "T1").interval = 1;
  add(Kind::Menu, "f_1", "File");
  add(Kind::MenuEntry, "f_Back", "Back", "f_1");
  add(Kind::Separator, "f_1_1", "-", "f_1");
  add(Kind::MenuEntry, "f_Exit", "Exit", "f_1");
  add(Kind::Menu, "e_1", "Extra");
  add(Kind::MenuEntry, "e_sa", "Show all hidden file for this device", "e_1");

  on("btn_rsd_Click", [this] { btn_rsd_Click(); });
  on("btn_scan_Click", [this] { btn_scan_Click(); });
  on("btn_r_Click", [this] { btn_r_Click(); });
  on("btn_r_dir2_Click", [this] { btn_r_dir2_Click(); });
  on("btn_d2_Click", [this] { btn_d2_Click(); });
  on("btn_del_Click", [this] { btn_del_Click(); });
  on("e_sa_Click", [this] { e_sa_Click(); });
  on("btn_dir_sa_Click", [this] { btn_dir_sa_Click(); });
  on("btn_dir_usa_Click", [this] { btn_dir_usa_Click(); });
  on("btn_s2_Click", [this] { btn_s2_Click(); });
  on("btn_ds2_Click", [this] { btn_ds2_Click(); });
  on("T1_Timer", [this] { T1_Timer(); });
  on("btn_x_Click", [this] { btn_x_Click(); });
  on("f_Back_Click", [this] { btn_x_Click(); });
  on("f_Exit_Click", [this] { f_Exit_Click(); });
}

void FrmRd::Form_Load() { title = windowTitle("Pen Drive | "); }

void FrmRd::btn_rsd_Click() {}
void FrmRd::btn_scan_Click() {}
void FrmRd::ScanDevice() {}
void FrmRd::btn_r_Click() {}
void FrmRd::btn_r_dir2_Click() {}
void FrmRd::btn_d2_Click() {}
void FrmRd::btn_del_Click() {}
void FrmRd::DeleteListedEntries(Control&, bool) {}
void FrmRd::e_sa_Click() {}
void FrmRd::btn_dir_sa_Click() {}
void FrmRd::btn_dir_usa_Click() {}
void FrmRd::btn_s2_Click() {}
void FrmRd::btn_ds2_Click() {}
void FrmRd::T1_Timer() {}

void FrmRd::btn_x_Click() {
  ctl("lst_dir").clear();
  ctl("lst_dir_2").clear();
  app().returnTo(*this, "frm_first", true);
}

void FrmRd::f_Exit_Click() { app().endProcess(); }

}  // namespace kestrive
