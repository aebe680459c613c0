#include "computer/frm_c.h"

#include "shell/app.h"

namespace kestrive {

FrmC::FrmC(App& a) : Window(a, "frm_c") {
  add(Kind::Frame, "Framenufgis", "Main");
  add(Kind::Button, "btn_scan", "Scan", "Framenufgis");
  add(Kind::Button, "btn_x", "Back", "Framenufgis");
  add(Kind::Frame, "frameM", "Malware:");
  add(Kind::CheckList, "lst_V", {}, "frameM");
  add(Kind::Button, "btn_c_ma", "Select All", "frameM");
  add(Kind::Button, "btn_c_uma", "Deselect All", "frameM");
  add(Kind::Button, "btn_c_r", "Refresh", "frameM");
  add(Kind::Button, "btn_d", "Delete", "frameM");
  add(Kind::Frame, "Frame", "Detect extention EXE at Personal Folder:");
  add(Kind::CheckList, "lst_P", {}, "Frame");
  add(Kind::Button, "btn_Esa", "Select All", "Frame");
  add(Kind::Button, "btn_Edsa", "Deselect All", "Frame");
  add(Kind::Button, "btn_Er", "Refresh", "Frame");
  add(Kind::Button, "btn_Ed", "Delete", "Frame");
  add(Kind::Timer, "T2").interval = 1;
  add(Kind::Menu, "f_2", "File");
  add(Kind::MenuEntry, "f2_Back", "Back", "f_2");
  add(Kind::Separator, "f2_1", "-", "f_2");
  add(Kind::MenuEntry, "f2_Exit", "Exit", "f_2");
  add(Kind::Menu, "ex_0", "Extra");
  add(Kind::MenuEntry, "ex_fReg", "Registry Manager", "ex_0");

  on("btn_scan_Click", [this] { btn_scan_Click(); });
  on("btn_c_r_Click", [this] { btn_c_r_Click(); });
  on("btn_Er_Click", [this] { btn_Er_Click(); });
  on("btn_d_Click", [this] { btn_d_Click(); });
  on("btn_Ed_Click", [this] { btn_Ed_Click(); });
  on("btn_c_ma_Click", [this] { btn_c_ma_Click(); });
  on("btn_c_uma_Click", [this] { btn_c_uma_Click(); });
  on("btn_Esa_Click", [this] { btn_Esa_Click(); });
  on("btn_Edsa_Click", [this] { btn_Edsa_Click(); });
  on("T2_Timer", [this] { T2_Timer(); });
  on("btn_x_Click", [this] { btn_x_Click(); });
  on("f2_Back_Click", [this] { btn_x_Click(); });
  on("f2_Exit_Click", [this] { f2_Exit_Click(); });
  on("ex_fReg_Click", [this] { ex_fReg_Click(); });
}

void FrmC::Form_Load() { title = windowTitle("Computer | "); }

void FrmC::btn_scan_Click() {}
void FrmC::btn_c_r_Click() {}
void FrmC::btn_Er_Click() {}
void FrmC::btn_d_Click() {}
void FrmC::btn_Ed_Click() {}
void FrmC::btn_c_ma_Click() {}
void FrmC::btn_c_uma_Click() {}
void FrmC::btn_Esa_Click() {}
void FrmC::btn_Edsa_Click() {}
void FrmC::T2_Timer() {}

void FrmC::btn_x_Click() {
  ctl("lst_V").clear();
  ctl("lst_P").clear();
  app().returnTo(*this, "frm_first", true);
}

void FrmC::ex_fReg_Click() { app().openChild(*this, "frm_RM"); }
void FrmC::f2_Exit_Click() { app().endProcess(); }

}  // namespace kestrive
