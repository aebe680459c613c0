#include "removable/frm_rd.h"

#include <vector>

#include "platform/text.h"
#include "removable/root_entries.h"
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
  on("cmb_rd_Click", [this] { cmb_rd_Click(); });
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

namespace {

const char* const kCandidateLetters = "A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T,U,V,W,X,Y,Z";

}  // namespace

bool FrmRd::confirm(const std::string& question) { return app().ask(question) && loaded(); }

void FrmRd::tell(const std::string& text, MsgKind kind) { app().message(text, kind); }

void FrmRd::Form_Load() {
  title = windowTitle("Pen Drive | ");
  FileSystem& fs = app().p.fs;
  Control& drives = ctl("cmb_rd");
  const std::vector<std::string> letters = split(kCandidateLetters, ",");
  drives.clear();
  for (const std::string& letter : letters) {
    const std::string root = letter + ":\\";
    if (!fs.driveReady(root)) continue;
    // A root holding both folders is taken for the Windows system drive.
    const bool windows = fs.exists(letter + ":\\Windows");
    const bool programFiles = fs.exists(letter + ":\\Program Files");
    if (windows && programFiles) continue;
    drives.add(root);
  }
  ctl("chkAD").value = 1;
  ctl("btn_r_dir2").enabled = false;
  ctl("btn_r").enabled = false;
}

void FrmRd::emptyLists() {
  for (const char* name : {"lst_dir", "lst_dir_2"}) {
    ctl(name).clear();
    listedRoot(ctl(name)).clear();
  }
}

// The lists name entries of the device they were filled from; shown beside
// another device they would be deleted there.
void FrmRd::btn_rsd_Click() {
  emptyLists();
  Form_Load();
  focus = "cmb_rd";
}

void FrmRd::cmb_rd_Click() {
  const std::string root = deviceRoot();
  for (const char* name : {"lst_dir", "lst_dir_2"}) {
    Control& list = ctl(name);
    if (listedRoot(list) == root) continue;
    list.clear();
    listedRoot(list).clear();
  }
}

void FrmRd::btn_scan_Click() {
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmScan)) return;
  // A drive that cannot be read is not a clean one.
  if (!app().p.fs.driveReady(deviceRoot())) {
    emptyLists();
    tell(msg::CannotReadPrefix + deviceRoot() + msg::CannotReadSuffix, MsgKind::Error);
    return;
  }
  ScanDevice();
  const bool found = !ctl("lst_dir_2").items.empty() || !ctl("lst_dir").items.empty();
  tell(found ? msg::ScanFound : msg::ScanClean);
  if (!loaded()) return;
  ctl("btn_r").enabled = true;
  ctl("btn_r_dir2").enabled = true;
}

void FrmRd::ScanDevice() {
  Control& executables = ctl("lst_dir");
  Control& viruses = ctl("lst_dir_2");
  executables.clear();
  viruses.clear();
  FileSystem& fs = app().p.fs;
  const std::string root = deviceRoot();
  listedRoot(executables) = root;
  listedRoot(viruses) = root;
  const std::string own = rd::ownProgramName(app().p.env);
  rd::forEachRootName(fs, root, [&](const std::string& name) {
    const std::string path = root + name;
    fs.setAttributes(path, attr::Normal);
    // A full list takes no more names; the rest of the root is still unhidden.
    switch (rd::classify(name, own)) {
      case rd::Verdict::Executable:
        executables.add(name);
        break;
      case rd::Verdict::Virus:
        viruses.add(name);
        break;
      case rd::Verdict::Protected:
        fs.setAttributes(path, attr::Hidden | attr::System);
        break;
      case rd::Verdict::OwnProgram:
      case rd::Verdict::Other:
        break;
    }
  });
}

void FrmRd::btn_r_Click() {
  Control& executables = ctl("lst_dir");
  executables.clear();
  // Unlike the scan, letter case counts for our own name here.
  const std::string own = rd::ownProgramName(app().p.env);
  listedRoot(executables) = deviceRoot();
  rd::forEachRootName(app().p.fs, deviceRoot(), [&](const std::string& name) {
    if (rd::hasExecutableMarker(name) && name != own) executables.add(name);
  });
}

void FrmRd::btn_r_dir2_Click() {
  Control& viruses = ctl("lst_dir_2");
  viruses.clear();
  listedRoot(viruses) = deviceRoot();
  rd::forEachRootName(app().p.fs, deviceRoot(), [&](const std::string& name) {
    if (rd::hasVirusMarker(name)) viruses.add(name);
  });
}

void FrmRd::btn_d2_Click() {
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmDelete)) return;
  Control& viruses = ctl("lst_dir_2");
  const std::string root = listedRoot(viruses).empty() ? deviceRoot() : listedRoot(viruses);
  if (ctl("chkAD").value == 1) {
    DeleteListedEntries(viruses, true);
  } else {
    if (viruses.markedCount() == 0) {
      tell(msg::SelectFile);
      return;
    }
    DeleteListedEntries(viruses, false);
  }
  // Gone while a box was open, or another device chosen (which emptied the
  // lists): nothing left here to rebuild or report on.
  if (!loaded() || deviceRoot() != root) return;
  // A drive that went away lists nothing; what it still holds stays listed.
  if (app().p.fs.driveReady(root)) btn_r_dir2_Click();
  reportDeletion(viruses, {"btn_d2", "btn_s2", "btn_ds2"});
}

void FrmRd::btn_del_Click() {
  Control& executables = ctl("lst_dir");
  if (executables.markedCount() == 0) {
    tell(msg::SelectFile);
    return;
  }
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmDelete)) return;
  const std::string root = listedRoot(executables).empty() ? deviceRoot() : listedRoot(executables);
  DeleteListedEntries(executables, false);
  if (!loaded() || deviceRoot() != root) return;
  if (app().p.fs.driveReady(root)) btn_r_Click();
  reportDeletion(executables, {"btn_del", "btn_dir_sa", "btn_dir_usa"});
}

void FrmRd::reportDeletion(const Control& list, std::initializer_list<const char*> buttons) {
  if (!list.items.empty()) {
    tell(msg::DeleteLeftRemovable);
    return;
  }
  tell(msg::DeleteComplete);
  if (!loaded()) return;
  for (const char* button : buttons) ctl(button).enabled = false;
}

void FrmRd::DeleteListedEntries(Control& list, bool all) {
  FileSystem& fs = app().p.fs;
  // From the last entry down, so removing one never moves one still to visit.
  for (int i = static_cast<int>(list.items.size()) - 1; i >= 0; --i) {
    // The list may have changed while an earlier box was open.
    const int count = static_cast<int>(list.items.size());
    if (i >= count) {
      i = count;
      continue;
    }
    if (!all && !list.items[i].marked) continue;
    // The names were listed from this root; the one cmb_rd shows now may be another.
    const std::string root = listedRoot(list).empty() ? deviceRoot() : listedRoot(list);
    // Without a device the path would name the working folder; a device
    // chosen meanwhile emptied the list.
    if (root.empty() || deviceRoot() != root) return;
    const std::string path = root + list.items[i].text;
    fs.setAttributes(path, attr::Normal);
    fs.deleteFile(path);
    // Only a path that is gone counts as deleted, whatever the call said;
    // but on a drive pulled out every path is gone and nothing was deleted.
    if (fs.exists(path) || !fs.driveReady(root)) {
      tell(msg::CannotDeletePrefix + path + msg::InUseRemovable, MsgKind::Error);
      if (!loaded()) return;
    } else {
      list.items.erase(list.items.begin() + i);
    }
  }
}

void FrmRd::e_sa_Click() {
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmShowAll)) return;
  FileSystem& fs = app().p.fs;
  const std::string root = deviceRoot();
  // A root that cannot be listed (drive pulled out) yields nothing to change.
  rd::forEachRootName(fs, root, [&](const std::string& name) { fs.setAttributes(root + name, attr::Normal); });
}

void FrmRd::btn_dir_sa_Click() { ctl("lst_dir").setAllMarks(true); }
void FrmRd::btn_dir_usa_Click() { ctl("lst_dir").setAllMarks(false); }
void FrmRd::btn_s2_Click() { ctl("lst_dir_2").setAllMarks(true); }
void FrmRd::btn_ds2_Click() { ctl("lst_dir_2").setAllMarks(false); }

void FrmRd::T1_Timer() {
  ctl("btn_scan").enabled = !deviceRoot().empty();
  const bool executables = !ctl("lst_dir").items.empty();
  for (const char* name : {"btn_del", "btn_dir_sa", "btn_dir_usa"}) ctl(name).enabled = executables;
  Control& viruses = ctl("lst_dir_2");
  if (!viruses.items.empty()) {
    ctl("btn_d2").enabled = true;
    // Automatic mode deletes the whole list, so marking it means nothing.
    const bool manual = ctl("chkAD").value != 1;
    viruses.enabled = manual;
    ctl("btn_s2").enabled = manual;
    ctl("btn_ds2").enabled = manual;
  } else {
    ctl("btn_d2").enabled = false;
    ctl("btn_s2").enabled = false;
    ctl("btn_ds2").enabled = false;
  }
}

void FrmRd::btn_x_Click() {
  ctl("lst_dir").clear();
  ctl("lst_dir_2").clear();
  app().returnTo(*this, "frm_first", true);
}

void FrmRd::f_Exit_Click() { app().endProcess(); }

}  // namespace kestrive
