// The shared registry procedures and the catalogue of the Windows settings
// that shortcut malware switches off. The computer cleaner and the Registry
// Manager both read and write through here, so every key text lives once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kestrive {

// Key texts exactly as Windows is given them: letter case and trailing
// backslash matter to anyone comparing logs, so never rebuild them.
namespace regkey {
// Writes.
inline constexpr const char* W1 = "Software\\Policies\\Microsoft\\Windows\\System\\";
inline constexpr const char* W2 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\";
inline constexpr const char* W3 = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\";
inline constexpr const char* W4 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";
inline constexpr const char* W5 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\";
inline constexpr const char* W6 = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\";
inline constexpr const char* W7 =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\SHOWALL";
// Reads.
inline constexpr const char* R1 = "Software\\Policies\\Microsoft\\Windows\\System";
inline constexpr const char* R2 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
inline constexpr const char* R3 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline constexpr const char* R4 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
}  // namespace regkey

// One registry location: root, key text, value name.
struct RegPlace {
  uint32_t root;
  const char* key;
  const char* name;
};

// Every place a setting is written, named once so that the catalogue and
// the restore sequence cannot drift apart.
namespace place {
inline constexpr RegPlace DisableCMD_CU{HKCU, regkey::W1, "DisableCMD"};
inline constexpr RegPlace DisableCMD_LM{HKLM, regkey::W1, "DisableCMD"};
inline constexpr RegPlace DisableTaskMgr_CU{HKCU, regkey::W2, "DisableTaskMgr"};
inline constexpr RegPlace DisableTaskMgr_LM{HKLM, regkey::W3, "DisableTaskMgr"};
inline constexpr RegPlace NoFolderOptions_CU{HKCU, regkey::W4, "NoFolderOptions"};
inline constexpr RegPlace NoFolderOptions_LM{HKLM, regkey::W4, "NoFolderOptions"};
inline constexpr RegPlace DisableRegistryTools_CU{HKCU, regkey::W2, "DisableRegistryTools"};
inline constexpr RegPlace DisableRegistryTools_LM{HKLM, regkey::W3, "DisableRegistryTools"};
inline constexpr RegPlace SuperHidden_CU{HKCU, regkey::W5, "SuperHidden"};
inline constexpr RegPlace Hidden_CU{HKCU, regkey::W5, "Hidden"};
inline constexpr RegPlace ShowSuperHidden_CU{HKCU, regkey::W5, "ShowSuperHidden"};
inline constexpr RegPlace HideFileExt_CU{HKCU, regkey::W5, "HideFileExt"};
inline constexpr RegPlace HideFileExt_LM{HKLM, regkey::W6, "HideFileExt"};
inline constexpr RegPlace CheckedValue_LM{HKLM, regkey::W7, "CheckedValue"};
}  // namespace place

// One write of a catalogue row, with the value for each state of its box.
struct SettingWrite {
  RegPlace at;
  int32_t checked;
  int32_t unchecked;
};

// The Registry Manager's boxes, one per setting.
enum class SettingBox { NoRegistryEditor, HideFolderOptions, DisableCmd, NoTaskManager, ShowHidden, ShowExtensions };

// One check box of the Registry Manager and what it stands for.
struct Setting {
  SettingBox box;
  std::vector<SettingWrite> writes;
  // The HKCU value that shows the box's state.
  const char* readKey;
  const char* readName;
  bool checkedWhenNotOne;  // "Show Extentions" reads HideFileExt the other way round
};

// The catalogue, in the order the Registry Manager applies it.
inline const std::array<Setting, 6> kSettings{{
    {SettingBox::NoRegistryEditor,
     {{place::DisableRegistryTools_CU, 1, 0}, {place::DisableRegistryTools_LM, 1, 0}},
     regkey::R2,
     "DisableRegistryTools",
     false},
    {SettingBox::HideFolderOptions,
     {{place::NoFolderOptions_CU, 1, 0}, {place::NoFolderOptions_LM, 1, 0}},
     regkey::R3,
     "NoFolderOptions",
     false},
    {SettingBox::DisableCmd, {{place::DisableCMD_CU, 1, 0}}, regkey::R1, "DisableCMD", false},
    {SettingBox::NoTaskManager,
     {{place::DisableTaskMgr_CU, 1, 0}, {place::DisableTaskMgr_LM, 1, 0}},
     regkey::R2,
     "DisableTaskMgr",
     false},
    // Hidden is 1 or 0, never 2; CheckedValue is 1 either way.
    {SettingBox::ShowHidden,
     {{place::SuperHidden_CU, 0, 1},
      {place::Hidden_CU, 1, 0},
      {place::ShowSuperHidden_CU, 1, 0},
      {place::CheckedValue_LM, 1, 1}},
     regkey::R4,
     "Hidden",
     false},
    {SettingBox::ShowExtensions, {{place::HideFileExt_CU, 0, 1}}, regkey::R4, "HideFileExt", true},
}};

// The order in which the Registry Manager reads its boxes.
inline constexpr std::array kSettingReadOrder{SettingBox::DisableCmd,        SettingBox::NoRegistryEditor,
                                              SettingBox::HideFolderOptions, SettingBox::ShowExtensions,
                                              SettingBox::ShowHidden,        SettingBox::NoTaskManager};

const Setting& settingFor(SettingBox box);

struct DefaultWrite {
  RegPlace at;
  int32_t value;
};

// What the cleaner puts back after removing a start-up entry. It differs
// from the catalogue on purpose: DisableCMD under HKCU only, and
// HideFileExt under the machine's Folder key.
inline constexpr auto kDefaultSettings = std::to_array<DefaultWrite>({
    {place::DisableCMD_CU, 0},
    {place::DisableTaskMgr_CU, 0},
    {place::DisableTaskMgr_LM, 0},
    {place::NoFolderOptions_CU, 0},
    {place::NoFolderOptions_LM, 0},
    {place::DisableRegistryTools_CU, 0},
    {place::DisableRegistryTools_LM, 0},
    {place::SuperHidden_CU, 1},
    {place::HideFileExt_LM, 1},
    {place::Hidden_CU, 0},
    {place::ShowSuperHidden_CU, 0},
    {place::CheckedValue_LM, 1},
});

// A value as read: a number, a text, or nothing usable. A text that is
// empty counts as nothing usable, as callers cannot tell the two apart.
struct RegRead {
  enum class Kind { Empty, Number, Text };
  Kind kind = Kind::Empty;
  int32_t number = 0;
  std::string text;

  static RegRead empty() { return {}; }
  static RegRead of(int32_t n) { return {Kind::Number, n, {}}; }
  static RegRead of(std::string t) {
    if (t.empty()) return {};
    return {Kind::Text, 0, std::move(t)};
  }
  bool operator==(const RegRead&) const = default;
};

// The number 1, or a text that reads as the number 1 (" 1", "1.0", "+1").
bool EqualsOne(const RegRead& value);

// Creates the key path as needed and writes a REG_DWORD; returns the status
// of the write (0 on success).
long SetDwordValue(Platform& p, uint32_t root, const std::string& path, const std::string& name, int32_t value);
inline long SetDwordValue(Platform& p, const RegPlace& at, int32_t value) {
  return SetDwordValue(p, at.root, at.key, at.name, value);
}

// REG_SZ as its text up to the first NUL, REG_DWORD as its number; anything
// else, and any failure, reads as empty.
RegRead GetRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name);

// Lifts the policy that forbids the command interpreter.
void EnableCommandPrompt(Platform& p);

// Every write of kDefaultSettings, then one yield to pending events.
void RestoreDefaultSettings(Platform& p);

}  // namespace kestrive
