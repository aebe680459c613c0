// The computer cleaner: profile-folder executables, the Run entries that
// name them, and their removal through the process-termination tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "computer/run_entries.h"
#include "computer/startup_places.h"
#include "platform/window.h"

namespace kestrive {

class FrmC : public Window {
 public:
  explicit FrmC(Shell& shell);
  void Form_Load() override;
  void Form_Unload() override { btn_x_Click(); }

  Control& Framenufgis = add(Kind::Frame, "Framenufgis", "Main");
  Control& btn_scan = add(Kind::Button, "btn_scan", "Scan", &Framenufgis);
  Control& btn_x = add(Kind::Button, "btn_x", "&Back", &Framenufgis);
  Control& frameM = add(Kind::Frame, "frameM", "Malware:");
  // "file | value | data" per Run entry found, and a fourth field naming
  // the place for the other start-up places; each line is made from the
  // finding of the same index in `findings`.
  Control& lst_V = add(Kind::CheckList, "lst_V", {}, &frameM);
  Control& btn_c_ma = add(Kind::Button, "btn_c_ma", "Select All", &frameM);
  Control& btn_c_uma = add(Kind::Button, "btn_c_uma", "Deselect All", &frameM);
  Control& btn_c_r = add(Kind::Button, "btn_c_r", "Refresh", &frameM);
  Control& btn_d = add(Kind::Button, "btn_d", "Delete", &frameM);
  Control& Frame = add(Kind::Frame, "Frame", "Detect extention EXE at Personal Folder:");
  Control& lst_P = add(Kind::CheckList, "lst_P", {}, &Frame);  // executables in the profile folder
  Control& btn_Esa = add(Kind::Button, "btn_Esa", "Select All", &Frame);
  Control& btn_Edsa = add(Kind::Button, "btn_Edsa", "Deselect All", &Frame);
  Control& btn_Er = add(Kind::Button, "btn_Er", "Refresh", &Frame);
  Control& btn_Ed = add(Kind::Button, "btn_Ed", "Delete", &Frame);
  Control& T2 = add(Kind::Timer, "T2");  // keeps the buttons in step with the lists
  Control& f_2 = add(Kind::Menu, "f_2", "&File");
  Control& f2_Back = add(Kind::MenuEntry, "f2_Back", "&Back", &f_2);
  Control& f2_1 = add(Kind::Separator, "f2_1", "-", &f_2);
  Control& f2_Exit = add(Kind::MenuEntry, "f2_Exit", "E&xit", &f_2);
  Control& ex_0 = add(Kind::Menu, "ex_0", "E&xtra");
  Control& ex_fReg = add(Kind::MenuEntry, "ex_fReg", "&Registry Manager", &ex_0);

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
  // Empties lst_V and fills it with the Run entries naming those names, then
  // with the entries of every start-up place that start a file lying in a
  // drop folder. False when the window went away while a message was shown.
  bool ListStartupEntries();
  std::vector<Finding> findings;
  // The finding a line was made from; nullptr for a line the scan did not make.
  const Finding* FindingOf(size_t index) const;

  // A Delete goes on only with something marked and the user's yes.
  bool MarkedAndConfirmed(const Control& list);
  // The tool may be taken away while a Delete waits; without it nothing is
  // ended, and the user is told.
  bool ToolStillThere();

  // Delete for the lines of the other start-up places: every process first,
  // then files, copies and entries. False when the handler is to stop.
  struct WormRemoval {
    std::vector<Finding> marked;
    std::vector<std::string> copies;
    bool left = false;
  };
  bool EndWorms(WormRemoval& removal);
  bool RemoveWorms(WormRemoval& removal);
  // Whatever of the removed ones is there again (the worm wrote it back).
  bool WormsCameBack(const WormRemoval& removal);
};

}  // namespace kestrive
