// The Computer window on a machine of fakes: the folders and keys worms use,
// the messages it shows, and machines set up the ways its tests need.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "computer/frm_c.h"
#include "tests/native/machine.h"

namespace kestrive::test {

inline const std::string Profile = "C:\\Users\\user";
inline const std::string Roaming = Profile + "\\AppData\\Roaming";
inline const std::string Local = Profile + "\\AppData\\Local";
inline const std::string Temp = Local + "\\Temp";
inline const std::string Startup = Roaming + "\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
inline const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::string RunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline const std::string PolicyRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";
inline const std::string Run32 = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const std::string Wscript = "C:\\Windows\\System32\\wscript.exe";
// The user's Run key as the fake registry logs it.
inline const std::string RunLog = std::to_string(HKCU) + ":software\\microsoft\\windows\\currentversion\\run";

inline const Box kAsk = Question("Are you sure to delete this file(s)?");
inline const Box kComplete = Information("Delete complete!");
inline const Box kLeft = Information("Delete complete. If that unknown file still exist, please login in Safe Mode!");
inline const Box kToolMissing = Warning("File 'pskill.exe' not found. Please redownload this program.");
inline const Box kSafeMode = Error("Error! Please login in safe mode.");
inline Box InUse(const std::string& path) {
  return Error("Cannot delete file '" + path + "' because file is being used. Try again.");
}

// The logged steps of an end request, a file change and a value removal.
// The end request goes through the system's interpreter to the working
// folder's tool by its full path.
inline std::string ToolRun(uint32_t pid) {
  return "run \"C:\\Windows\\system32\\cmd.exe\" /d /s /c \"\"C:\\Kestrive\\pskill.exe\" " + std::to_string(pid) +
         "\" style 7";
}
inline std::string SetAttr(const std::string& path) { return "setattr " + path + " 128"; }
inline std::string Del(const std::string& path) { return "delete " + path; }
inline std::string DelValue(const std::string& name) { return "RegDeleteValue " + RunLog + " [" + name + "]"; }

// One step of what the program did, as Computer::events reads it: a logged
// line, or a box as Describe writes it.
struct Step {
  std::string text;
  Step(std::string line) : text(std::move(line)) {}
  Step(const char* line) : text(line) {}
  Step(const Box& box) : text(Describe(box)) {}
  bool operator==(const Step&) const = default;
};
inline void PrintTo(const Step& step, std::ostream* os) { *os << step.text; }

// A file with content, so that copies can be told by it.
inline void PutFile(Machine& m, const std::string& path, const std::string& content = "worm") {
  m.f.fs.addFile(path);
  m.f.fs.setBytes(path, std::vector<uint8_t>(content.begin(), content.end()));
}

// The profile folder's files and the user's Run key, with every wait shown
// in the log: one yield per one-second wait.
struct Computer : Machine {
  Computer() {
    f.clock.step = 500;
    f.ui.onYield = [this] {
      f.log.push_back("yield");
      if (duringYield) duringYield();
    };
  }
  // What the user does while the program waits.
  std::function<void()> duringYield;

  void file(const std::string& name, uint32_t attributes = attr::Archive) {
    f.fs.addFile(Profile + "\\" + name, attributes);
  }
  void value(const std::string& name, const std::string& data, uint32_t type = regtype::Sz) {
    f.reg.setString(HKCU, RunKey, name, data, type);
  }
  FrmC& open() {
    app.start();
    app.click("frm_first", "btn_c");
    return w();
  }
  FrmC& w() { return *app.find<FrmC>("frm_c"); }
  void scan() { app.click("frm_c", "btn_scan"); }
  void mark(Control& list, std::vector<int> indices) {
    for (int i : indices) list.items.at(i).marked = true;
  }
  void tick() { app.tick("frm_c", "T2"); }

  // What happened since `from` (a log size): end requests, file changes,
  // value removals, the settings restore, yields, and boxes.
  std::vector<Step> events(size_t from) const {
    std::vector<Step> out;
    for (size_t i = from; i < f.log.size(); ++i) {
      const std::string& e = f.log[i];
      if (auto box = BoxOfLogLine(e)) out.push_back(*box);
      for (const char* keep : {"run ", "setattr ", "delete ", "RegDeleteValue ", "yield"})
        if (e.rfind(keep, 0) == 0) out.push_back(e);
      if (e.rfind("RegSetDword ", 0) == 0 && e.find(" CheckedValue ") != std::string::npos) out.push_back("restore");
    }
    return out;
  }
  // The boxes shown since `from` (a log size).
  std::vector<Box> messages(size_t from) const {
    std::vector<Box> out;
    for (size_t i = from; i < f.log.size(); ++i)
      if (auto box = BoxOfLogLine(f.log[i])) out.push_back(*box);
    return out;
  }
};

// A machine of its own for each row of a table: one second per two clock reads.
struct Fresh : Machine {
  Fresh() { f.clock.step = 500; }
  void file(const std::string& path) { f.fs.addFile(path); }
  void value(const std::string& name, const std::string& data, uint32_t type = regtype::Sz) {
    f.reg.setString(HKCU, RunKey, name, data, type);
  }
  FrmC& scan() {
    app.start();
    app.click("frm_first", "btn_c");
    app.click("frm_c", "btn_scan");
    return *app.find<FrmC>("frm_c");
  }
  std::vector<std::string> lines() { return Texts(app.find<FrmC>("frm_c")->lst_V); }
};

// The folders worms drop their copies in, and the script host.
inline void MakeDropFolders(Machine& m) {
  for (const std::string& folder : {Roaming, Local, Temp, Startup, std::string("C:\\Windows\\System32")})
    m.f.fs.addDir(folder);
  m.f.fs.addFile(Wscript);
}

// The VBS worm as it lies on a PC: three copies, values in the user's and
// the machine's Run keys, its host running; beside it a host running the
// user's logon script and an app installed per user.
struct VbsWorm {
  std::string script = Temp + "\\nfuzbk.vbs";
  uint32_t worm = 0, logon = 0;
};
inline VbsWorm PlantVbsWorm(Machine& m) {
  VbsWorm v;
  for (const std::string& folder : {Temp, Roaming, Startup}) PutFile(m, folder + "\\nfuzbk.vbs");
  m.f.reg.setString(HKCU, RunKey, "nfuzbk", "wscript.exe //B \"" + v.script + "\"");
  m.f.reg.setString(HKLM, RunKey, "nfuzbk", "wscript.exe //B \"" + v.script + "\"");
  PutFile(m, "C:\\Scripts\\logon.vbs", "logon");
  m.f.reg.setString(HKLM, RunKey, "Logon", "wscript.exe //B C:\\Scripts\\logon.vbs");
  PutFile(m, Local + "\\Programs\\Notes\\notes.exe", "notes");
  m.f.reg.setString(HKCU, RunKey, "Notes", "\"" + Local + "\\Programs\\Notes\\notes.exe\"");
  v.worm = m.f.proc.startWith(Wscript, "\"" + Wscript + "\" //B \"" + v.script + "\"");
  v.logon = m.f.proc.startWith(Wscript, "\"" + Wscript + "\" //B C:\\Scripts\\logon.vbs");
  return v;
}

// A PC with the program on it, the drop folders made, one second per two
// clock reads.
struct Pc : Machine {
  Pc() {
    f.clock.step = 500;
    MakeDropFolders(*this);
  }
  void file(const std::string& path, const std::string& content = "worm") { PutFile(*this, path, content); }
  void value(uint32_t root, const std::string& key, const std::string& name, const std::string& data,
             uint32_t type = regtype::Sz) {
    f.reg.setString(root, key, name, data, type);
  }
  FrmC& scan() {
    if (!app.find("frm_c")) {
      app.start();
      app.click("frm_first", "btn_c");
    }
    app.click("frm_c", "btn_scan");
    return w();
  }
  FrmC& w() { return *app.find<FrmC>("frm_c"); }
  std::vector<std::string> lines() { return Texts(w().lst_V); }
  // Select All, Delete; the boxes shown meanwhile.
  std::vector<Box> deleteAll() {
    const size_t shown = boxCount();
    app.click("frm_c", "btn_c_ma");
    app.click("frm_c", "btn_d");
    return boxesSince(shown);
  }
  size_t firstLog(const std::string& prefix) const {
    for (size_t i = 0; i < f.log.size(); ++i)
      if (f.log[i].rfind(prefix, 0) == 0) return i;
    return f.log.size();
  }
  size_t lastLog(const std::string& prefix) const {
    for (size_t i = f.log.size(); i-- > 0;)
      if (f.log[i].rfind(prefix, 0) == 0) return i;
    return f.log.size();
  }
};

struct VbsPc : Pc, VbsWorm {
  VbsPc() : VbsWorm(PlantVbsWorm(*this)) {}
};

// The suites of the Computer window's tests: a Computer each.
class ComputerBase : public ::testing::Test, protected Computer {};
class ComputerProfile : public ComputerBase {};
class ComputerScan : public ComputerBase {};
class ComputerDeleteEntries : public ComputerBase {};
class ComputerDeleteFiles : public ComputerBase {};
class ComputerControls : public ComputerBase {};

}  // namespace kestrive::test
