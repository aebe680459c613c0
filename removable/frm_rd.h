// The removable-storage cleaner: device discovery, the root scan, deletion,
// the unhide command, the marking buttons and the control-state timer.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/window.h"

namespace kestrive {

class FrmRd : public Window {
 public:
  explicit FrmRd(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override { btn_x_Click(); }

  Control& fmSD = add(Kind::Frame, "fmSD", "Select Device");
  Control& cmb_rd = add(Kind::Combo, "cmb_rd", {}, &fmSD);            // the drives that may be sticks
  Control& btn_rsd = add(Kind::Button, "btn_rsd", "Refresh", &fmSD);  // lists the drives again
  Control& btn_scan = add(Kind::Button, "btn_scan", "Scan", &fmSD);
  Control& Framec = add(Kind::Frame, "Framec", "Select file to delete: (VIRUS)");
  Control& lst_dir_2 = add(Kind::CheckList, "lst_dir_2", {}, &Framec);  // shortcuts, scripts, autorun files
  Control& btn_r_dir2 = add(Kind::Button, "btn_r_dir2", "Refresh", &Framec);
  Control& btn_s2 = add(Kind::Button, "btn_s2", "Select All", &Framec);
  Control& btn_ds2 = add(Kind::Button, "btn_ds2", "Deselect All", &Framec);
  Control& btn_d2 = add(Kind::Button, "btn_d2", "Delete", &Framec);
  Control& chkAD = add(Kind::Check, "chkAD", "&Automatic Delete All Virus (Recommended)", &Framec);
  Control& Framed = add(Kind::Frame, "Framed", "If you don't know that file, just mark then delete:");
  Control& lst_dir = add(Kind::CheckList, "lst_dir", {}, &Framed);  // executables on the root
  Control& btn_r = add(Kind::Button, "btn_r", "Refresh", &Framed);
  Control& btn_dir_sa = add(Kind::Button, "btn_dir_sa", "Select All", &Framed);
  Control& btn_dir_usa = add(Kind::Button, "btn_dir_usa", "Deselect All", &Framed);
  Control& btn_del = add(Kind::Button, "btn_del", "Delete", &Framed);
  Control& Frameddfgre34 = add(Kind::Frame, "Frameddfgre34", "Main");
  Control& btn_x = add(Kind::Button, "btn_x", "&Back", &Frameddfgre34);
  Control& T1 = add(Kind::Timer, "T1");  // keeps the buttons in step with the lists
  Control& f_1 = add(Kind::Menu, "f_1", "&File");
  Control& f_Back = add(Kind::MenuEntry, "f_Back", "&Back", &f_1);
  Control& f_1_1 = add(Kind::Separator, "f_1_1", "-", &f_1);
  Control& f_Exit = add(Kind::MenuEntry, "f_Exit", "E&xit", &f_1);
  Control& e_1 = add(Kind::Menu, "e_1", "E&xtra");
  Control& e_sa = add(Kind::MenuEntry, "e_sa", "&Show all hidden file for this device", &e_1);

  // The text of cmb_rd: a drive letter and ":\", or "".
  std::string deviceRoot() const { return cmb_rd.text(); }

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
  // The end of both Delete buttons, once their list has been rebuilt.
  void reportDeletion(const Control& list, std::initializer_list<Control*> buttons);
  // The device root a list was filled from: Delete works there and nowhere
  // else, whatever cmb_rd shows meanwhile. "" while the list was never filled.
  std::string& listedRoot(const Control& list) { return listedRoot_[&list]; }
  // Where a list's names are deleted: the root it was filled from, else the device shown.
  std::string deleteRoot(const Control& list) { return listedRoot(list).empty() ? deviceRoot() : listedRoot(list); }
  void emptyLists();
  // Adds the payloads found by the last scan of root that are still files
  // there and not listed yet.
  void listPayloads(Control& viruses, const std::string& root);
  std::map<const Control*, std::string> listedRoot_;
  // The last scan's payloads, relative to the root it scanned.
  std::vector<std::string> payloads_;
  std::string payloadRoot_;
  // Folders of the scanned root whose names have no visible character.
  std::vector<std::string> blankFolders_;
};

}  // namespace kestrive
