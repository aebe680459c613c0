#include "removable/frm_rd.h"

#include <unordered_set>
#include <vector>

#include "platform/text.h"
#include "removable/blank_folder.h"
#include "removable/payloads.h"
#include "removable/root_entries.h"
#include "platform/platform.h"
#include "shell/texts.h"

namespace kestrive {

FrmRd::FrmRd(Shell& shell) : Window(shell, WindowId::Removable) {
  T1.interval = 1;
  escape = &btn_x;
  bind(btn_rsd, &FrmRd::btn_rsd_Click);
  bind(cmb_rd, &FrmRd::cmb_rd_Click);
  bind(btn_scan, &FrmRd::btn_scan_Click);
  bind(btn_r, &FrmRd::btn_r_Click);
  bind(btn_r_dir2, &FrmRd::btn_r_dir2_Click);
  bind(btn_d2, &FrmRd::btn_d2_Click);
  bind(btn_del, &FrmRd::btn_del_Click);
  bind(e_sa, &FrmRd::e_sa_Click);
  bind(btn_dir_sa, &FrmRd::btn_dir_sa_Click);
  bind(btn_dir_usa, &FrmRd::btn_dir_usa_Click);
  bind(btn_s2, &FrmRd::btn_s2_Click);
  bind(btn_ds2, &FrmRd::btn_ds2_Click);
  bind(T1, &FrmRd::T1_Timer);
  bind(btn_x, &FrmRd::btn_x_Click);
  bind(f_Back, &FrmRd::btn_x_Click);
  bind(f_Exit, &FrmRd::f_Exit_Click);
}

namespace {

const char* const kCandidateLetters = "A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T,U,V,W,X,Y,Z";

}  // namespace

void FrmRd::Form_Load() {
  title = windowTitle("Pen Drive | ");
  FileSystem& fs = p().fs;
  Control& drives = cmb_rd;
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
  chkAD.value = 1;
  btn_r_dir2.enabled = false;
  btn_r.enabled = false;
}

void FrmRd::emptyLists() {
  for (Control* list : {&lst_dir, &lst_dir_2}) {
    list->clear();
    listedRoot(*list).clear();
  }
  payloads_.clear();
  payloadRoot_.clear();
  blankFolders_.clear();
}

void FrmRd::listPayloads(Control& viruses, const std::string& root) {
  if (root.empty() || root != payloadRoot_ || payloads_.empty()) return;
  std::unordered_set<std::string> listed;
  for (const Item& item : viruses.items) listed.insert(lower(item.text));
  FileSystem& fs = p().fs;
  for (const std::string& payload : payloads_) {
    if (listed.count(lower(payload))) continue;
    const std::optional<uint32_t> a = fs.attributes(root + payload);
    if (!a || (*a & attr::Directory)) continue;
    viruses.add(payload);
    listed.insert(lower(payload));
  }
}

// The lists name entries of the device they were filled from; shown beside
// another device they would be deleted there.
void FrmRd::btn_rsd_Click() {
  emptyLists();
  Form_Load();
  focus = &cmb_rd;
}

void FrmRd::cmb_rd_Click() {
  const std::string root = deviceRoot();
  for (Control* list : {&lst_dir, &lst_dir_2}) {
    if (listedRoot(*list) == root) continue;
    list->clear();
    listedRoot(*list).clear();
  }
}

void FrmRd::btn_scan_Click() {
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmScan)) return;
  // A drive that cannot be read is not a clean one.
  if (!p().fs.driveReady(deviceRoot())) {
    emptyLists();
    tell(msg::CannotReadPrefix + deviceRoot() + msg::CannotReadSuffix, MsgKind::Error);
    return;
  }
  ScanDevice();
  const bool found = !lst_dir_2.items.empty() || !lst_dir.items.empty();
  tell(found ? msg::ScanFound : msg::ScanClean);
  if (!loaded()) return;
  btn_r.enabled = true;
  btn_r_dir2.enabled = true;
  const std::string root = listedRoot(lst_dir_2);
  if (blankFolders_.empty() || root.empty()) return;
  const std::vector<std::string> folders = std::move(blankFolders_);
  blankFolders_.clear();
  if (!confirm(rd::RestoreQuestionPrefix + root + rd::RestoreQuestionSuffix)) return;
  const rd::RestoreResult result = rd::MoveBack(p().fs, root, folders);
  tell(rd::RestoreReport(result, root), result.whole() ? MsgKind::Information : MsgKind::Error);
}

void FrmRd::ScanDevice() {
  Control& executables = lst_dir;
  Control& viruses = lst_dir_2;
  executables.clear();
  viruses.clear();
  FileSystem& fs = p().fs;
  const std::string root = deviceRoot();
  listedRoot(executables) = root;
  listedRoot(viruses) = root;
  const std::string own = rd::ownProgramName(p().env);
  // What the shortcuts run is judged once the walk is done, by the
  // attributes the listing gave each entry: a payload is known by having
  // been hidden.
  rd::PayloadFinder finder(fs, root, own);
  std::vector<std::string> blank;
  rd::forEachRootEntry(fs, root, [&](const std::string& name, std::optional<uint32_t> before) {
    const std::string path = root + name;
    finder.noteEntry(name, before);
    if (rd::isBlankName(name)) blank.push_back(name);
    // A shortcut is read in the same open that unhides it.
    if (rd::isLinkName(name))
      finder.addLink(name, fs.readAndSetAttributes(path, rd::kLinkBytesMax, attr::Normal));
    else
      fs.setAttributes(path, attr::Normal);
    // A full list takes no more names; the rest of the root is still unhidden.
    switch (rd::classify(name, own)) {
      case rd::Verdict::Executable: executables.add(name); break;
      case rd::Verdict::Virus: viruses.add(name); break;
      case rd::Verdict::Protected: fs.setAttributes(path, attr::Hidden | attr::System); break;
      case rd::Verdict::OwnProgram:
      case rd::Verdict::Other: break;
    }
  });
  payloads_ = finder.payloads();
  payloadRoot_ = root;
  listPayloads(viruses, root);
  blankFolders_ = rd::BlankFolders(fs, root, blank);
}

void FrmRd::btn_r_Click() {
  Control& executables = lst_dir;
  executables.clear();
  // Unlike the scan, letter case counts for our own name here.
  const std::string own = rd::ownProgramName(p().env);
  listedRoot(executables) = deviceRoot();
  rd::forEachRootName(p().fs, deviceRoot(), [&](const std::string& name) {
    if (rd::hasExecutableMarker(name) && name != own) executables.add(name);
  });
}

void FrmRd::btn_r_dir2_Click() {
  Control& viruses = lst_dir_2;
  viruses.clear();
  listedRoot(viruses) = deviceRoot();
  rd::forEachRootName(p().fs, deviceRoot(), [&](const std::string& name) {
    if (rd::hasVirusMarker(name)) viruses.add(name);
  });
  listPayloads(viruses, deviceRoot());
}

void FrmRd::btn_d2_Click() {
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmDelete)) return;
  Control& viruses = lst_dir_2;
  const std::string root = deleteRoot(viruses);
  if (chkAD.value == 1) {
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
  if (p().fs.driveReady(root)) btn_r_dir2_Click();
  reportDeletion(viruses, {&btn_d2, &btn_s2, &btn_ds2});
}

void FrmRd::btn_del_Click() {
  Control& executables = lst_dir;
  if (executables.markedCount() == 0) {
    tell(msg::SelectFile);
    return;
  }
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmDelete)) return;
  const std::string root = deleteRoot(executables);
  DeleteListedEntries(executables, false);
  if (!loaded() || deviceRoot() != root) return;
  if (p().fs.driveReady(root)) btn_r_Click();
  reportDeletion(executables, {&btn_del, &btn_dir_sa, &btn_dir_usa});
}

void FrmRd::reportDeletion(const Control& list, std::initializer_list<Control*> buttons) {
  if (!list.items.empty()) {
    tell(msg::DeleteLeftRemovable);
    return;
  }
  tell(msg::DeleteComplete);
  if (!loaded()) return;
  for (Control* button : buttons) button->enabled = false;
}

void FrmRd::DeleteListedEntries(Control& list, bool all) {
  rd::EntryDeletion how;
  how.rootNow = [this, &list]() -> std::string {
    // The names were listed from this root; the one cmb_rd shows now may be another.
    const std::string root = deleteRoot(list);
    // Without a device the path would name the working folder; a device
    // chosen meanwhile emptied the list.
    return root.empty() || deviceRoot() != root ? std::string() : root;
  };
  how.cannotDelete = [this](const std::string& path) {
    return tell(msg::CannotDeletePrefix + path + msg::InUseRemovable, MsgKind::Error);
  };
  rd::DeleteEntries(p().fs, list.items, all, how);
}

void FrmRd::e_sa_Click() {
  if (deviceRoot().empty()) {
    tell(msg::SelectDevice);
    return;
  }
  if (!confirm(msg::ConfirmShowAll)) return;
  FileSystem& fs = p().fs;
  const std::string root = deviceRoot();
  // A root that cannot be listed (drive pulled out) yields nothing to change.
  rd::forEachRootName(fs, root, [&](const std::string& name) { fs.setAttributes(root + name, attr::Normal); });
}

void FrmRd::btn_dir_sa_Click() { lst_dir.setAllMarks(true); }
void FrmRd::btn_dir_usa_Click() { lst_dir.setAllMarks(false); }
void FrmRd::btn_s2_Click() { lst_dir_2.setAllMarks(true); }
void FrmRd::btn_ds2_Click() { lst_dir_2.setAllMarks(false); }

void FrmRd::T1_Timer() {
  btn_scan.enabled = !deviceRoot().empty();
  const bool executables = !lst_dir.items.empty();
  for (Control* button : {&btn_del, &btn_dir_sa, &btn_dir_usa}) button->enabled = executables;
  Control& viruses = lst_dir_2;
  if (!viruses.items.empty()) {
    btn_d2.enabled = true;
    // Automatic mode deletes the whole list, so marking it means nothing.
    const bool manual = chkAD.value != 1;
    viruses.enabled = manual;
    btn_s2.enabled = manual;
    btn_ds2.enabled = manual;
  } else {
    btn_d2.enabled = false;
    btn_s2.enabled = false;
    btn_ds2.enabled = false;
  }
}

void FrmRd::btn_x_Click() {
  lst_dir.clear();
  lst_dir_2.clear();
  shell().returnTo(*this, WindowId::First, true);
}

void FrmRd::f_Exit_Click() { shell().endProcess(); }

}  // namespace kestrive
