// The start-up entries: the Run key's text values as the scan reads them,
// which of them name a file, and the line lst_V shows for each (and how a
// line is taken apart again by Delete).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "computer/startup_places.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace kestrive {

// The current user's start-up key; the only one the cleaner scans.
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Query, set, create subkey, enumerate, notify, create link.
inline constexpr uint32_t kRunKeyAccess = 0x3F;
// Shown in place of the key's unnamed value.
inline constexpr const char* kDefaultValueLabel = "[Default]";

struct RunValue {
  std::string name;     // as stored; "" for the unnamed value
  std::string label;    // as shown in the line
  std::string data;     // text as stored, without its NUL
  std::string command;  // what Windows starts: data, variables expanded for REG_EXPAND_SZ
  std::string lowData, lowCommand;
};

// The text values of an open key, in full and in order. Windows starts both
// REG_SZ and REG_EXPAND_SZ values, so a worm may write either; other types
// are passed over.
std::vector<RunValue> ReadRunValues(Platform& p, HKey key);

// Whether the value names the file: its name as plain text, ignoring case,
// in the data as stored or as Windows expands it. "?", "*", "#" and "[" in
// a name stand for themselves: the worm picks its own name.
bool NamesFile(const RunValue& value, const std::string& fileName);

// Adds the value's line for the file to lst_V: "file | label | data", with
// the real value name and the command kept with it; false when the list is full.
bool AddRunLine(Control& list, const std::string& fileName, const RunValue& value);

// The program the command starts, normalised, when its file name is exe;
// "" otherwise: any other file the command names is left alone.
std::string ProgramNamed(const std::string& command, const std::string& exe);

struct RunLineFields {
  std::string exe, valueName, data;
  // The file the line stands for: the program its Run value starts, when
  // that program's name is the line's file name; "" otherwise.
  std::string target;
};

// The fields of a line, as Delete takes them.
RunLineFields FieldsOfRunLine(const Item& item);

// The user's Run key as one scan looks at it: once for every profile
// executable, each look opening the key to see it is there and again to
// read it, so that each can fail with its own message. The values are read
// at the first look only: the key does not change during one scan.
class RunKeyScan {
 public:
  enum class Look { Read, NoSubkey, NotOpened };
  explicit RunKeyScan(Platform& p) : p_(p) {}
  Look look();
  const std::vector<RunValue>& values() const { return values_; }

 private:
  Platform& p_;
  bool read_ = false;
  std::vector<RunValue> values_;
};

// What Delete needs of a line of the user's Run key made for the file.
Finding ProfileRunFinding(Platform& p, const std::string& line, const std::string& fileName, const RunValue& value);

}  // namespace kestrive
