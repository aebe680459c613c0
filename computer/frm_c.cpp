#include "computer/frm_c.h"

#include "computer/cleaner.h"
#include "computer/command_line.h"
#include "computer/processes.h"
#include "computer/worm_removal.h"
#include "policy/function.h"
#include "shell/texts.h"

namespace kestrive {

FrmC::FrmC(Shell& shell) : Window(shell, WindowId::Computer) {
  T2.interval = 1;
  escape = &btn_x;
  bind(btn_scan, &FrmC::btn_scan_Click);
  bind(btn_c_r, &FrmC::btn_c_r_Click);
  bind(btn_Er, &FrmC::btn_Er_Click);
  bind(btn_d, &FrmC::btn_d_Click);
  bind(btn_Ed, &FrmC::btn_Ed_Click);
  bind(btn_c_ma, &FrmC::btn_c_ma_Click);
  bind(btn_c_uma, &FrmC::btn_c_uma_Click);
  bind(btn_Esa, &FrmC::btn_Esa_Click);
  bind(btn_Edsa, &FrmC::btn_Edsa_Click);
  bind(T2, &FrmC::T2_Timer);
  bind(btn_x, &FrmC::btn_x_Click);
  bind(f2_Back, &FrmC::btn_x_Click);
  bind(f2_Exit, &FrmC::f2_Exit_Click);
  bind(ex_fReg, &FrmC::ex_fReg_Click);
}

void FrmC::Form_Load() {
  title = windowTitle("Computer | ");
  // Nothing to refresh before the first scan.
  btn_c_r.enabled = false;
  btn_Er.enabled = false;
}

// ---- listing ---------------------------------------------------------------

void FrmC::ListProfileExecutables() {
  Control& list = lst_P;
  list.clear();
  for (const std::string& name : ListExecutableNames(p()))
    if (!list.add(name)) break;
}

bool FrmC::ListStartupEntries() {
  lst_V.clear();
  findings.clear();
  RunKeyScan runKey(p());
  for (const std::string& name : ListExecutableNames(p())) {
    // Once for every name: each name is its own look at the key.
    switch (runKey.look()) {
      case RunKeyScan::Look::NoSubkey:
        if (!tell(msg::NoSubkey, MsgKind::Plain)) return false;
        continue;
      case RunKeyScan::Look::NotOpened:
        if (!tell(std::string(msg::OpenKeyErrorPrefix) + kRunKey, MsgKind::Plain)) return false;
        continue;
      case RunKeyScan::Look::Read: break;
    }
    for (const RunValue& v : runKey.values())
      if (NamesFile(v, name) && AddRunLine(lst_V, name, v))
        findings.push_back(ProfileRunFinding(p(), lst_V.items.back().text, name, v));
  }
  // A value of the user's Run key already shown for the same file keeps
  // its one line.
  auto shown = [this](const Finding& f) {
    for (const Finding& s : findings)
      if (s.kind == Finding::Kind::ProfileRun && s.valueName == f.valueName && SameFilePath(s.file, f.file))
        return true;
    return false;
  };
  for (Finding& f : FindWorms(p(), GetDropFolders(p()))) {
    if (f.kind == Finding::Kind::Value && IsProfileRunKey(f.place) && shown(f)) continue;
    if (!lst_V.add(f.line)) break;
    findings.push_back(std::move(f));
  }
  return true;
}

const Finding* FrmC::FindingOf(size_t index) const {
  if (index >= findings.size() || index >= lst_V.items.size()) return nullptr;
  return findings[index].line == lst_V.items[index].text ? &findings[index] : nullptr;
}

// ---- buttons -----------------------------------------------------------------

void FrmC::btn_scan_Click() {
  lst_V.clear();
  lst_P.clear();
  ListProfileExecutables();
  if (!ListStartupEntries()) return;
  // The verdict rests on the start-up entries alone.
  bool found = !lst_V.items.empty();
  for (Control* b : {&btn_c_ma, &btn_c_uma, &btn_d}) b->enabled = found;
  if (found)
    tell(msg::ComputerFound, MsgKind::Error);
  else
    tell(msg::ComputerClean, MsgKind::Information);
  if (!loaded()) return;
  btn_c_r.enabled = true;
  btn_Er.enabled = true;
}

void FrmC::btn_c_r_Click() {
  lst_V.clear();
  ListStartupEntries();
}

void FrmC::btn_Er_Click() {
  lst_P.clear();
  ListProfileExecutables();
}

void FrmC::btn_d_Click() {
  if (!MarkedAndConfirmed(lst_V)) return;
  Platform& p = this->p();

  // The marked lines of the other start-up places, taken now: the waits
  // below let other clicks change the list.
  WormRemoval worms;
  for (size_t i = 0; i < lst_V.items.size(); ++i) {
    const Finding* f = FindingOf(i);
    if (lst_V.items[i].marked && f && f->kind != Finding::Kind::ProfileRun) worms.marked.push_back(*f);
  }

  // Every listed executable is asked to end first, marked or not.
  std::vector<std::string> running;
  for (const Item& item : lst_P.items) running.push_back(item.text);
  const std::string folder = GetProfileFolder(p);
  for (const std::string& name : running) {
    if (!ToolStillThere()) return;
    if (!folder.empty()) EndProcessByName(p, folder + "\\" + name);
  }

  // A worm that runs writes its files and values back: all its processes
  // end before anything of it is touched.
  if (!worms.marked.empty() && (!EndWorms(worms) || !RemoveWorms(worms))) return;

  // The waits below let other clicks run: the list is looked up afresh by
  // index each time round, and a line's fields are copied before any wait.
  for (size_t i = 0; i < lst_V.items.size(); ++i) {
    const Item& item = lst_V.items[i];
    if (!item.marked) continue;
    // Lines of the other places were removed above; a line the scan did
    // not make and that carries no command of the Run key is no entry.
    const Finding* made = FindingOf(i);
    if (made ? made->kind != Finding::Kind::ProfileRun : item.command.empty()) continue;
    const RunLineFields line = FieldsOfRunLine(item);
    const std::string& path = line.target;

    if (!ToolStillThere()) return;
    EndProcessByName(p, path);
    WaitMilliseconds(p, 1000);
    if (!loaded()) return;
    if (!path.empty()) {
      p.fs.setAttributes(path, attr::Normal);
      p.fs.deleteFile(path);
      RetryDeleteWhileExists(p, path);
    }
    DeleteRegValue(p, HKCU, kRunKey, line.valueName);
    RestoreDefaultSettings(p);
    if (!loaded()) return;
    if (!path.empty() && p.fs.exists(path)) {
      tell(msg::SafeMode, MsgKind::Error);
      return;
    }
  }

  if (!ListStartupEntries()) return;
  // Without the profile folder the rescan finds nothing whatever is left.
  const bool judged = !GetProfileFolder(p).empty();
  const bool back = WormsCameBack(worms);
  tell(judged && !back && lst_V.items.empty() ? msg::DeleteComplete : msg::DeleteLeftComputer, MsgKind::Information);
}

bool FrmC::EndWorms(WormRemoval& removal) {
  Platform& p = this->p();
  if (!ToolStillThere()) return false;
  const DropFolders drops = GetDropFolders(p);
  std::vector<std::string> files;
  auto addTo = [](std::vector<std::string>& to, const std::string& path) {
    for (const std::string& f : to)
      if (SameFilePath(f, path)) return false;
    to.push_back(path);
    return true;
  };
  // Copies are told by their content, so they are found before any file goes.
  for (const Finding& f : removal.marked) {
    if (f.file.empty() || !addTo(files, f.file)) continue;
    for (const std::string& copy : CopiesOf(p, drops, f.file))
      if (addTo(files, copy)) removal.copies.push_back(copy);
  }
  EndProcessesRunning(p, files);
  WaitMilliseconds(p, 1000);
  return loaded();
}

bool FrmC::RemoveWorms(WormRemoval& removal) {
  Platform& p = this->p();
  for (const Finding& f : removal.marked)
    if (!f.file.empty() && p.fs.exists(f.file)) DeleteWormFile(p, f.file);
  for (const std::string& copy : removal.copies) DeleteWormFile(p, copy);
  for (const Finding& f : removal.marked) {
    RemoveStartupEntry(p, f);
    RestoreDefaultSettings(p);
    if (!loaded()) return false;
  }
  return true;
}

bool FrmC::WormsCameBack(const WormRemoval& removal) {
  Platform& p = this->p();
  for (const Finding& f : removal.marked)
    if ((!f.file.empty() && p.fs.exists(f.file)) || StartupEntryPresent(p, f)) return true;
  for (const std::string& copy : removal.copies)
    if (p.fs.exists(copy)) return true;
  return false;
}

void FrmC::btn_Ed_Click() {
  if (!MarkedAndConfirmed(lst_P)) return;
  Platform& p = this->p();

  // The entries marked now, each once: removing one must not skip the next.
  std::vector<std::string> names;
  for (const Item& item : lst_P.items)
    if (item.marked) names.push_back(item.text);

  bool allGone = true;
  for (const std::string& name : names) {
    if (!ToolStillThere()) return;
    // Without the folder the path would point at the root of the drive.
    const std::string folder = GetProfileFolder(p);
    const std::string path = folder.empty() ? name : folder + "\\" + name;
    if (!folder.empty()) EndProcessByName(p, path);
    WaitMilliseconds(p, 1000);
    if (!loaded()) return;
    if (!folder.empty()) {
      p.fs.setAttributes(path, attr::Normal);
      p.fs.deleteFile(path);
    }
    if (folder.empty() || p.fs.exists(path)) {
      allGone = false;
      tell(msg::CannotDeletePrefix + path + msg::InUseComputer, MsgKind::Error);
      if (!loaded()) return;
      continue;
    }
    // The list may have been relisted meanwhile; find the entry by its name.
    auto& items = lst_P.items;
    for (auto it = items.begin(); it != items.end(); ++it)
      if (it->text == name) {
        items.erase(it);
        break;
      }
  }

  // A folder that can no longer be found would list nothing and look clean.
  if (GetProfileFolder(p).empty())
    allGone = false;
  else
    ListProfileExecutables();
  tell(allGone && lst_P.items.empty() ? msg::DeleteComplete : msg::DeleteLeftComputer, MsgKind::Information);
}

bool FrmC::MarkedAndConfirmed(const Control& list) {
  if (list.markedCount() == 0) {
    tell(msg::SelectFile, MsgKind::Information);
    return false;
  }
  return confirm(msg::ConfirmDelete);
}

bool FrmC::ToolStillThere() {
  if (ToolPresent(p())) return true;
  tell(msg::ToolMissing, MsgKind::Warning);
  return false;
}

void FrmC::btn_c_ma_Click() { lst_V.setAllMarks(true); }
void FrmC::btn_c_uma_Click() { lst_V.setAllMarks(false); }
void FrmC::btn_Esa_Click() { lst_P.setAllMarks(true); }
void FrmC::btn_Edsa_Click() { lst_P.setAllMarks(false); }

void FrmC::T2_Timer() {
  bool lines = !lst_V.items.empty();
  for (Control* b : {&btn_c_ma, &btn_c_uma, &btn_d}) b->enabled = lines;
  bool names = !lst_P.items.empty();
  for (Control* b : {&btn_Esa, &btn_Edsa, &btn_Ed}) b->enabled = names;
}

void FrmC::btn_x_Click() {
  lst_V.clear();
  findings.clear();
  lst_P.clear();
  shell().returnTo(*this, WindowId::First, true);
}

void FrmC::ex_fReg_Click() { shell().openChild(*this, WindowId::RegistryManager); }
void FrmC::f2_Exit_Click() { shell().endProcess(); }

}  // namespace kestrive
