#include "computer/frm_c.h"

#include "computer/cleaner.h"
#include "computer/command_line.h"
#include "platform/text.h"
#include "policy/function.h"
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

void FrmC::Form_Load() {
  title = windowTitle("Computer | ");
  // Nothing to refresh before the first scan.
  ctl("btn_c_r").enabled = false;
  ctl("btn_Er").enabled = false;
}

// ---- listing ---------------------------------------------------------------

void FrmC::ListProfileExecutables() {
  Control& list = ctl("lst_P");
  list.clear();
  for (const std::string& name : ListExecutableNames(app().p))
    if (!list.add(name)) break;
}

bool FrmC::ListStartupEntries() {
  ctl("lst_V").clear();
  RunValues values;
  for (const std::string& name : ListExecutableNames(app().p))
    if (!ScanRunKey(HKCU, kRunKey, name, values)) return false;
  return true;
}

bool FrmC::ScanRunKey(uint32_t root, const std::string& path, const std::string& fileName, RunValues& values) {
  Platform& p = app().p;
  HKey key = 0;
  if (p.reg.openKeyEx(root, path, kRunKeyAccess, &key) != kErrorSuccess || key == 0) {
    if (key != 0) p.reg.closeKey(key);
    // Once for every name: each name is its own look at the key.
    app().message(msg::NoSubkey, MsgKind::Plain);
    return loaded();
  }
  bool goOn = ListMatchingRunValues(root, path, fileName, values);
  p.reg.closeKey(key);
  return goOn;
}

bool FrmC::ListMatchingRunValues(uint32_t root, const std::string& path, const std::string& fileName,
                                 RunValues& values) {
  Platform& p = app().p;
  HKey key = 0;
  if (p.reg.openKeyEx(root, path, kRunKeyAccess, &key) != kErrorSuccess || key == 0) {
    if (key != 0) p.reg.closeKey(key);
    app().message(msg::OpenKeyErrorPrefix + path, MsgKind::Plain);
    return loaded();
  }
  // The key does not change during one scan, so its values are read at the
  // first name and matched against every later one.
  if (!values.read) {
    values.read = true;
    // Names and data come in full, so a long value is read like any other
    // and the values after it are still examined.
    for (uint32_t index = 0;; ++index) {
      RegValue v = p.reg.enumValue(key, index);
      if (v.status != kErrorSuccess) break;
      // Windows starts both kinds of text; a worm may write either.
      if (v.type != regtype::Sz && v.type != regtype::ExpandSz) continue;
      RunValues::Value value;
      value.name = v.name;
      value.label = v.name.empty() && !v.data.empty() ? kDefaultValueLabel : v.name;
      value.data = TrimAtNul(std::string(v.data.begin(), v.data.end()));
      value.command = v.type == regtype::ExpandSz ? p.env.expand(value.data) : value.data;
      value.lowData = lower(value.data);
      value.lowCommand = lower(value.command);
      values.values.push_back(std::move(value));
    }
  }
  p.reg.closeKey(key);

  // The name is plain text: "?", "*", "#" and "[" in it stand for themselves.
  const std::string wanted = lower(fileName);
  Control& list = ctl("lst_V");
  for (const RunValues::Value& v : values.values)
    if (contains(v.lowData, wanted) || contains(v.lowCommand, wanted))
      list.add(fileName + " | " + v.label + " | " + v.data, v.name, v.command);
  return true;
}

// ---- buttons -----------------------------------------------------------------

namespace {

struct LineFields {
  std::string exe, valueName, data;
  // The file the line stands for: the program its Run value starts, when
  // that program's name is the line's file name; "" otherwise.
  std::string target;
};

// The fields of an entry line, split at " | ". The unnamed value is shown as
// [Default] but deleted by its real name; a value really named [Default]
// keeps its name. A value name or data holding " | " itself would split into
// more pieces, which name another value and another file (a value called
// "Updater | C:\Users\me\thesis.docx" would cost the user a Run value
// "Updater" and the thesis); such a line is taken apart by the pieces it was
// made of: the file name, which no Windows name can hold "|" in, the value's
// real name kept with the line, and the data, whole.
LineFields fieldsOf(const Item& item) {
  std::vector<std::string> fields = split(item.text, " | ");
  LineFields out;
  out.exe = fields[0];
  out.data = fields.size() > 2 ? fields[2] : std::string();
  out.valueName = item.data.empty() ? std::string() : (fields.size() > 1 ? fields[1] : std::string());
  const std::string head = out.exe + " | " + (item.data.empty() ? kDefaultValueLabel : item.data) + " | ";
  if (fields.size() > 3 && item.text.compare(0, head.size(), head) == 0) {
    out.valueName = item.data;
    out.data = item.text.substr(head.size());
  }
  // The data is a command line ("C:\x.exe" /s, %USERPROFILE%\x.exe): only
  // the program it starts is the worm's file, and only when it bears the
  // name that was found; any other file it names is left alone.
  const std::string program =
      NormalizeWinPath(ExecutableOfCommand(item.command.empty() ? out.data : item.command));
  if (!program.empty() && equalsNoCase(FileNameOf(program), out.exe)) out.target = program;
  return out;
}

}  // namespace

void FrmC::btn_scan_Click() {
  ctl("lst_V").clear();
  ctl("lst_P").clear();
  ListProfileExecutables();
  if (!ListStartupEntries()) return;
  // The verdict rests on the start-up entries alone.
  bool found = !ctl("lst_V").items.empty();
  for (const char* b : {"btn_c_ma", "btn_c_uma", "btn_d"}) ctl(b).enabled = found;
  if (found)
    app().message(msg::ComputerFound, MsgKind::Error);
  else
    app().message(msg::ComputerClean, MsgKind::Information);
  if (!loaded()) return;
  ctl("btn_c_r").enabled = true;
  ctl("btn_Er").enabled = true;
}

void FrmC::btn_c_r_Click() {
  ctl("lst_V").clear();
  ListStartupEntries();
}

void FrmC::btn_Er_Click() {
  ctl("lst_P").clear();
  ListProfileExecutables();
}

void FrmC::btn_d_Click() {
  if (ctl("lst_V").markedCount() == 0) {
    app().message(msg::SelectFile, MsgKind::Information);
    return;
  }
  if (!app().ask(msg::ConfirmDelete) || !loaded()) return;
  Platform& p = app().p;

  // Every listed executable is asked to end first, marked or not.
  std::vector<std::string> running;
  for (const Item& item : ctl("lst_P").items) running.push_back(item.text);
  const std::string folder = GetProfileFolder(p);
  for (const std::string& name : running) {
    if (!ToolPresent(p)) {
      app().message(msg::ToolMissing, MsgKind::Warning);
      return;
    }
    if (!folder.empty()) EndProcessByName(p, folder + "\\" + name);
  }

  // The waits below let other clicks run: the list is looked up afresh by
  // index each time round, and a line's fields are copied before any wait.
  for (size_t i = 0; i < ctl("lst_V").items.size(); ++i) {
    const Item& item = ctl("lst_V").items[i];
    if (!item.marked) continue;
    const LineFields line = fieldsOf(item);
    const std::string& path = line.target;

    if (!ToolPresent(p)) {
      app().message(msg::ToolMissing, MsgKind::Warning);
      return;
    }
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
      app().message(msg::SafeMode, MsgKind::Error);
      return;
    }
  }

  if (!ListStartupEntries()) return;
  // Without the profile folder the rescan finds nothing whatever is left.
  const bool judged = !GetProfileFolder(p).empty();
  app().message(judged && ctl("lst_V").items.empty() ? msg::DeleteComplete : msg::DeleteLeftComputer,
                MsgKind::Information);
}

void FrmC::btn_Ed_Click() {
  if (ctl("lst_P").markedCount() == 0) {
    app().message(msg::SelectFile, MsgKind::Information);
    return;
  }
  if (!app().ask(msg::ConfirmDelete) || !loaded()) return;
  Platform& p = app().p;

  // The entries marked now, each once: removing one must not skip the next.
  std::vector<std::string> names;
  for (const Item& item : ctl("lst_P").items)
    if (item.marked) names.push_back(item.text);

  bool allGone = true;
  for (const std::string& name : names) {
    if (!ToolPresent(p)) {
      app().message(msg::ToolMissing, MsgKind::Warning);
      return;
    }
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
      app().message(msg::CannotDeletePrefix + path + msg::InUseComputer, MsgKind::Error);
      if (!loaded()) return;
      continue;
    }
    // The list may have been relisted meanwhile; find the entry by its name.
    auto& items = ctl("lst_P").items;
    for (auto it = items.begin(); it != items.end(); ++it)
      if (it->text == name) {
        items.erase(it);
        break;
      }
  }

  // A folder that can no longer be found would list nothing and look clean.
  if (GetProfileFolder(p).empty()) allGone = false;
  else ListProfileExecutables();
  app().message(allGone && ctl("lst_P").items.empty() ? msg::DeleteComplete : msg::DeleteLeftComputer,
                MsgKind::Information);
}

void FrmC::btn_c_ma_Click() { ctl("lst_V").setAllMarks(true); }
void FrmC::btn_c_uma_Click() { ctl("lst_V").setAllMarks(false); }
void FrmC::btn_Esa_Click() { ctl("lst_P").setAllMarks(true); }
void FrmC::btn_Edsa_Click() { ctl("lst_P").setAllMarks(false); }

void FrmC::T2_Timer() {
  bool lines = !ctl("lst_V").items.empty();
  for (const char* b : {"btn_c_ma", "btn_c_uma", "btn_d"}) ctl(b).enabled = lines;
  bool names = !ctl("lst_P").items.empty();
  for (const char* b : {"btn_Esa", "btn_Edsa", "btn_Ed"}) ctl(b).enabled = names;
}

void FrmC::btn_x_Click() {
  ctl("lst_V").clear();
  ctl("lst_P").clear();
  app().returnTo(*this, "frm_first", true);
}

void FrmC::ex_fReg_Click() { app().openChild(*this, "frm_RM"); }
void FrmC::f2_Exit_Click() { app().endProcess(); }

}  // namespace kestrive
