#include "computer/run_entries.h"

#include "computer/command_line.h"
#include "platform/text.h"

namespace kestrive {

std::vector<RunValue> ReadRunValues(Platform& p, HKey key) {
  std::vector<RunValue> values;
  // Names and data come in full, so a long value is read like any other
  // and the values after it are still examined.
  for (uint32_t index = 0;; ++index) {
    RegValue v = p.reg.enumValue(key, index);
    if (v.status != kErrorSuccess) break;
    if (v.type != regtype::Sz && v.type != regtype::ExpandSz) continue;
    RunValue value;
    value.name = v.name;
    value.label = v.name.empty() && !v.data.empty() ? kDefaultValueLabel : v.name;
    value.data = TrimAtNul(std::string(v.data.begin(), v.data.end()));
    value.command = v.type == regtype::ExpandSz ? p.env.expand(value.data) : value.data;
    value.lowData = lower(value.data);
    value.lowCommand = lower(value.command);
    values.push_back(std::move(value));
  }
  return values;
}

bool NamesFile(const RunValue& value, const std::string& fileName) {
  const std::string wanted = lower(fileName);
  return contains(value.lowData, wanted) || contains(value.lowCommand, wanted);
}

bool AddRunLine(Control& list, const std::string& fileName, const RunValue& value) {
  return list.add(fileName + " | " + value.label + " | " + value.data, value.name, value.command);
}

// The unnamed value is shown as [Default] but deleted by its real name; a
// value really named [Default] keeps its name. A value name or data holding
// " | " itself would split into more pieces, which name another value and
// another file (a value called "Updater | C:\Users\me\thesis.docx" would cost
// the user a Run value "Updater" and the thesis); such a line is taken apart
// by the pieces it was made of: the file name, which no Windows name can hold
// "|" in, the value's real name kept with the line, and the data, whole.
RunLineFields FieldsOfRunLine(const Item& item) {
  std::vector<std::string> fields = split(item.text, " | ");
  RunLineFields out;
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
  out.target = ProgramNamed(item.command.empty() ? out.data : item.command, out.exe);
  return out;
}

std::string ProgramNamed(const std::string& command, const std::string& exe) {
  const std::string program = NormalizeWinPath(ExecutableOfCommand(command));
  return !program.empty() && equalsNoCase(FileNameOf(program), exe) ? program : std::string();
}

namespace {

bool OpenRunKey(Platform& p, HKey& key) {
  key = 0;
  if (p.reg.openKeyEx(HKCU, kRunKey, kRunKeyAccess, &key) == kErrorSuccess && key != 0) return true;
  if (key != 0) p.reg.closeKey(key);
  return false;
}

}  // namespace

RunKeyScan::Look RunKeyScan::look() {
  HKey there = 0;
  if (!OpenRunKey(p_, there)) return Look::NoSubkey;
  HKey key = 0;
  Look look = Look::Read;
  if (!OpenRunKey(p_, key)) {
    look = Look::NotOpened;
  } else {
    if (!read_) {
      read_ = true;
      values_ = ReadRunValues(p_, key);
    }
    p_.reg.closeKey(key);
  }
  p_.reg.closeKey(there);
  return look;
}

Finding ProfileRunFinding(Platform& p, const std::string& line, const std::string& fileName, const RunValue& value) {
  Finding f;
  f.kind = Finding::Kind::ProfileRun;
  f.line = line;
  f.file = ProgramNamed(value.command, fileName);
  f.place = RunPlaces(p).front();
  f.valueName = value.name;
  return f;
}

}  // namespace kestrive
