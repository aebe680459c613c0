// The settings catalogue, the shared registry procedures and the Registry
// Manager window, over the fake registry.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/native/machine.h"
#include "policy/frm_rm.h"
#include "policy/function.h"
#include "shell/texts.h"

using namespace kestrive;

namespace kestrive {
void PrintTo(const RegRead& r, std::ostream* os) {
  switch (r.kind) {
    case RegRead::Kind::Empty: *os << "empty"; break;
    case RegRead::Kind::Number: *os << "number " << r.number; break;
    case RegRead::Kind::Text: *os << "text \"" << r.text << "\""; break;
  }
}
}  // namespace kestrive

namespace {

const std::string CU = std::to_string(HKCU);
const std::string LM = std::to_string(HKLM);

// The writes in the log, as "root key name=value" with the key text exactly
// as it was handed to the registry.
std::vector<std::string> writes(const fake::Log& log, size_t from = 0) {
  std::vector<std::string> out;
  std::string created;
  for (size_t i = from; i < log.size(); ++i) {
    const std::string& e = log[i];
    if (e.rfind("RegCreateKey ", 0) == 0) created = e.substr(13);
    if (e.rfind("RegSetDword ", 0) == 0) {
      // "RegSetDword <key> <name> <value>"
      size_t last = e.rfind(' ');
      size_t name = e.rfind(' ', last - 1);
      out.push_back(created + " " + e.substr(name + 1, last - name - 1) + "=" + e.substr(last + 1));
    }
  }
  return out;
}

std::vector<std::string> opens(const fake::Log& log, size_t from = 0) {
  std::vector<std::string> out;
  for (size_t i = from; i < log.size(); ++i)
    if (log[i].rfind("RegOpenKey ", 0) == 0) out.push_back(log[i].substr(11));
  return out;
}

const std::string W1 = "Software\\Policies\\Microsoft\\Windows\\System\\";
const std::string W2 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\";
const std::string W3 = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System\\";
const std::string W4 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\";
const std::string W5 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\";
const std::string W6 = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\";
const std::string W7 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced\\Folder\\Hidden\\SHOWALL";
const std::string R1 = "Software\\Policies\\Microsoft\\Windows\\System";
const std::string R2 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
const std::string R3 = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const std::string R4 = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// ---- SetDwordValue --------------------------------------------------------

TEST(PolicySetDword, CreatesEveryMissingKeyAndWritesFourBytes) {
  fake::FakePlatform f;
  ASSERT_FALSE(f.reg.hasKey(HKCU, "Software\\A"));
  EXPECT_EQ(SetDwordValue(f.platform, HKCU, "Software\\A\\B\\C\\", "V", 7), kErrorSuccess);
  EXPECT_TRUE(f.reg.hasKey(HKCU, "Software\\A"));
  EXPECT_TRUE(f.reg.hasKey(HKCU, "Software\\A\\B"));
  EXPECT_EQ(f.reg.dword(HKCU, "Software\\A\\B\\C", "V"), 7u);
  // A negative number keeps its bit pattern.
  SetDwordValue(f.platform, HKCU, "Software\\A", "N", -1);
  EXPECT_EQ(f.reg.dword(HKCU, "Software\\A", "N"), 0xFFFFFFFFu);
  EXPECT_EQ(f.reg.openHandles(), 0);
}

TEST(PolicySetDword, FailuresReturnTheWriteStatusAndChangeNothing) {
  fake::FakePlatform f;
  f.reg.denyOpen(HKCU, "Software\\Locked");
  EXPECT_NE(SetDwordValue(f.platform, HKCU, "Software\\Locked", "V", 1), kErrorSuccess);
  EXPECT_FALSE(f.reg.hasValue(HKCU, "Software\\Locked", "V"));

  // HKLM without administrator rights: an existing key opens, the write is refused.
  f.reg.addKey(HKLM, "Software\\Exists");
  f.reg.denyWrites(HKLM);
  EXPECT_EQ(SetDwordValue(f.platform, HKLM, "Software\\Exists", "V", 1), kErrorAccessDenied);
  EXPECT_NE(SetDwordValue(f.platform, HKLM, "Software\\Missing", "V", 1), kErrorSuccess);
  EXPECT_FALSE(f.reg.hasKey(HKLM, "Software\\Missing"));
  EXPECT_EQ(f.reg.openHandles(), 0);
}

// ---- GetRegValue ----------------------------------------------------------

struct ReadCase {
  const char* what;
  std::function<void(fake::FakeRegistry&)> setUp;
  RegRead expected;
};

TEST(PolicyGetRegValue, ByType) {
  const std::string key = "Software\\K";
  auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  const std::vector<ReadCase> cases = {
      {"REG_SZ digit", [&](auto& r) { r.setString(HKCU, key, "V", "1"); }, RegRead::of(std::string("1"))},
      {"REG_SZ text", [&](auto& r) { r.setString(HKCU, key, "V", "hello world"); },
       RegRead::of(std::string("hello world"))},
      {"REG_SZ inner NUL",
       [&](auto& r) { r.setValue(HKCU, key, "V", regtype::Sz, bytes(std::string("ab\0cd", 5) + '\0')); },
       RegRead::of(std::string("ab"))},
      {"REG_SZ without NUL", [&](auto& r) { r.setValue(HKCU, key, "V", regtype::Sz, bytes("abc")); },
       RegRead::of(std::string("abc"))},
      {"REG_SZ empty", [&](auto& r) { r.setString(HKCU, key, "V", ""); }, RegRead::empty()},
      {"REG_SZ UTF-8", [&](auto& r) { r.setString(HKCU, key, "V", "Пуск ✓"); }, RegRead::of(std::string("Пуск ✓"))},
      {"REG_DWORD 1", [&](auto& r) { r.setDwordValue(HKCU, key, "V", 1); }, RegRead::of(1)},
      {"REG_DWORD 0", [&](auto& r) { r.setDwordValue(HKCU, key, "V", 0); }, RegRead::of(0)},
      {"REG_DWORD all bits", [&](auto& r) { r.setDwordValue(HKCU, key, "V", 0xFFFFFFFFu); }, RegRead::of(-1)},
      {"REG_DWORD too long",
       [&](auto& r) {
         r.setValue(HKCU, key, "V", regtype::Dword, {1, 0, 0, 0, 0, 0, 0, 0});
       },
       RegRead::empty()},
      {"REG_EXPAND_SZ", [&](auto& r) { r.setString(HKCU, key, "V", "1", regtype::ExpandSz); }, RegRead::empty()},
      {"REG_MULTI_SZ",
       [&](auto& r) {
         r.setValue(HKCU, key, "V", regtype::MultiSz, {'1', 0, 0});
       },
       RegRead::empty()},
      {"REG_BINARY",
       [&](auto& r) {
         r.setValue(HKCU, key, "V", regtype::Binary, {1, 0, 0, 0});
       },
       RegRead::empty()},
      {"missing value", [&](auto& r) { r.setDwordValue(HKCU, key, "Other", 1); }, RegRead::empty()},
      {"missing key", [&](auto&) {}, RegRead::empty()},
      {"key that won't open",
       [&](auto& r) {
         r.setDwordValue(HKCU, key, "V", 1);
         r.denyOpen(HKCU, key);
       },
       RegRead::empty()},
      {"other root", [&](auto& r) { r.setDwordValue(HKLM, key, "V", 1); }, RegRead::empty()},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform f;
    c.setUp(f.reg);
    EXPECT_EQ(GetRegValue(f.platform, HKCU, key, "V"), c.expected);
    EXPECT_EQ(f.reg.openHandles(), 0);
  }
}

TEST(PolicyGetRegValue, EqualsOneRule) {
  const std::vector<std::pair<RegRead, bool>> cases = {
      {RegRead::of(1), true},
      {RegRead::of(0), false},
      {RegRead::of(2), false},
      {RegRead::of(-1), false},
      {RegRead::of(std::string("1")), true},
      {RegRead::of(std::string(" 1 ")), true},
      {RegRead::of(std::string("1.0")), true},
      {RegRead::of(std::string("+1")), true},
      {RegRead::of(std::string("01")), true},
      {RegRead::of(std::string("1e0")), true},
      {RegRead::of(std::string("2")), false},
      {RegRead::of(std::string("1a")), false},
      {RegRead::of(std::string("one")), false},
      {RegRead::of(std::string("0x1")), false},
      {RegRead::of(std::string(".")), false},
      {RegRead::empty(), false},
  };
  for (const auto& [value, one] : cases) {
    SCOPED_TRACE(::testing::PrintToString(value));
    EXPECT_EQ(EqualsOne(value), one);
  }
}

// ---- EnableCommandPrompt and RestoreDefaultSettings ------------------------

TEST(PolicyProcedures, EnableCommandPromptWritesUserThenMachine) {
  fake::FakePlatform f;
  EnableCommandPrompt(f.platform);
  EXPECT_EQ(writes(f.log),
            (std::vector<std::string>{CU + " " + W1 + " DisableCMD=0", LM + " " + W1 + " DisableCMD=0"}));
  EXPECT_EQ(f.ui.yields, 0);
}

const std::vector<std::string> kRestoreWrites = {
    CU + " " + W1 + " DisableCMD=0",           CU + " " + W2 + " DisableTaskMgr=0",
    LM + " " + W3 + " DisableTaskMgr=0",       CU + " " + W4 + " NoFolderOptions=0",
    LM + " " + W4 + " NoFolderOptions=0",      CU + " " + W2 + " DisableRegistryTools=0",
    LM + " " + W3 + " DisableRegistryTools=0", CU + " " + W5 + " SuperHidden=1",
    LM + " " + W6 + " HideFileExt=1",          CU + " " + W5 + " Hidden=0",
    CU + " " + W5 + " ShowSuperHidden=0",      LM + " " + W7 + " CheckedValue=1",
};

TEST(PolicyProcedures, RestoreDefaultSettingsWritesEveryDefaultThenYieldsOnce) {
  fake::FakePlatform f;
  f.reg.setDwordValue(HKCU, W2, "DisableTaskMgr", 1);
  f.reg.setDwordValue(HKCU, W5, "Hidden", 2);
  size_t writesBeforeYield = 0;
  f.ui.onYield = [&] { writesBeforeYield = writes(f.log).size(); };
  RestoreDefaultSettings(f.platform);
  EXPECT_EQ(writes(f.log), kRestoreWrites);
  EXPECT_EQ(f.ui.yields, 1);
  EXPECT_EQ(writesBeforeYield, kDefaultSettings.size());
  EXPECT_EQ(f.reg.dword(HKCU, R2, "DisableTaskMgr"), 0u);
  EXPECT_EQ(f.reg.dword(HKCU, R4, "Hidden"), 0u);
  // DisableCMD is put back for the user only; HideFileExt under the machine's Folder key only.
  EXPECT_FALSE(f.reg.hasValue(HKLM, W1, "DisableCMD"));
  EXPECT_FALSE(f.reg.hasValue(HKCU, R4, "HideFileExt"));
  EXPECT_EQ(f.reg.dword(HKLM, W6, "HideFileExt"), 1u);
  EXPECT_EQ(f.reg.openHandles(), 0);
}

TEST(PolicyProcedures, RestoreDefaultSettingsTwiceEqualsOnce) {
  fake::FakePlatform once, twice;
  RestoreDefaultSettings(once.platform);
  RestoreDefaultSettings(twice.platform);
  size_t mid = twice.log.size();
  RestoreDefaultSettings(twice.platform);
  EXPECT_EQ(writes(twice.log, mid), kRestoreWrites);
  for (const DefaultWrite& w : kDefaultSettings) {
    SCOPED_TRACE(w.at.name);
    EXPECT_EQ(twice.reg.valueNames(w.at.root, w.at.key), once.reg.valueNames(w.at.root, w.at.key));
    EXPECT_EQ(twice.reg.dword(w.at.root, w.at.key, w.at.name), once.reg.dword(w.at.root, w.at.key, w.at.name));
  }
}

TEST(PolicyProcedures, RefusedMachineWritesCostOnlyThemselves) {
  fake::FakePlatform f;
  f.reg.denyWrites(HKLM);
  RestoreDefaultSettings(f.platform);
  EXPECT_EQ(writes(f.log).size(), kDefaultSettings.size());
  for (const DefaultWrite& w : kDefaultSettings) {
    SCOPED_TRACE(w.at.name);
    EXPECT_EQ(f.reg.hasValue(w.at.root, w.at.key, w.at.name), w.at.root == HKCU);
  }
  EXPECT_EQ(f.ui.yields, 1);
}

// ---- the Registry Manager window ------------------------------------------

struct Manager : test::Machine {
  Manager() {
    app.start();
    app.click("frm_first", "btn_c");
  }
  FrmRM* rm() { return app.find<FrmRM>("frm_RM"); }
  void open() { app.click("frm_c", "ex_fReg"); }
  // The test's own pairing of settings and boxes, so that the window pairing
  // a setting with the wrong box shows.
  std::map<SettingBox, Control*> byBox() {
    FrmRM& w = *rm();
    return {{SettingBox::NoRegistryEditor, &w.chk_NRE},  {SettingBox::DisableCmd, &w.chk_DCMD},
            {SettingBox::HideFolderOptions, &w.chk_HFO}, {SettingBox::NoTaskManager, &w.chk_NTM},
            {SettingBox::ShowHidden, &w.chk_SHFF},       {SettingBox::ShowExtensions, &w.chk_SE}};
  }
  std::map<SettingBox, int> boxes() {
    std::map<SettingBox, int> out;
    for (const auto& [setting, box] : byBox()) out[setting] = box->value;
    return out;
  }
  void set(const std::map<SettingBox, int>& states) {
    for (const auto& [setting, box] : byBox()) box->value = states.at(setting);
  }
};

std::map<SettingBox, int> states(int nre, int dcmd, int hfo, int ntm, int shff, int se) {
  return {{SettingBox::NoRegistryEditor, nre}, {SettingBox::DisableCmd, dcmd}, {SettingBox::HideFolderOptions, hfo},
          {SettingBox::NoTaskManager, ntm},    {SettingBox::ShowHidden, shff}, {SettingBox::ShowExtensions, se}};
}

TEST(PolicyManager, OpensWithReminderThenReadsInOrder) {
  Manager m;
  size_t from = m.f.log.size();
  m.open();
  ASSERT_NE(m.rm(), nullptr);
  EXPECT_EQ(m.rm()->title, "Registry Manager | Kestrive v3.0");
  const test::Box reminder =
      test::Information("Make sure you 'Run As Administrator' to do this. (For windows 7 and vista only)");
  ASSERT_EQ(m.boxesSince(0), std::vector<test::Box>{reminder});
  EXPECT_EQ(m.f.ui.boxes[0].title, "Kestrive");
  // The reminder comes before any read.
  EXPECT_EQ(test::Machine::BoxOfLogLine(m.f.log[from]), reminder);
  EXPECT_EQ(opens(m.f.log, from), (std::vector<std::string>{CU + " " + R1, CU + " " + R2, CU + " " + R3, CU + " " + R4,
                                                            CU + " " + R4, CU + " " + R2}));
  EXPECT_TRUE(writes(m.f.log, from).empty());
  EXPECT_EQ(m.f.reg.openHandles(), 0);
}

struct BoxCase {
  const char* what;
  std::function<void(fake::FakeRegistry&)> setUp;
  std::map<SettingBox, int> expected;
};

TEST(PolicyManager, BoxesFollowTheUserValues) {
  const std::vector<BoxCase> cases = {
      {"nothing set", [](auto&) {}, states(0, 0, 0, 0, 0, 1)},
      {"everything 1",
       [](auto& r) {
         r.setDwordValue(HKCU, R1, "DisableCMD", 1);
         r.setDwordValue(HKCU, R2, "DisableRegistryTools", 1);
         r.setDwordValue(HKCU, R3, "NoFolderOptions", 1);
         r.setDwordValue(HKCU, R4, "HideFileExt", 1);
         r.setDwordValue(HKCU, R4, "Hidden", 1);
         r.setDwordValue(HKCU, R2, "DisableTaskMgr", 1);
       },
       states(1, 1, 1, 1, 1, 0)},
      {"HideFileExt 0", [](auto& r) { r.setDwordValue(HKCU, R4, "HideFileExt", 0); }, states(0, 0, 0, 0, 0, 1)},
      {"HideFileExt 2", [](auto& r) { r.setDwordValue(HKCU, R4, "HideFileExt", 2); }, states(0, 0, 0, 0, 0, 1)},
      {"Hidden 2 is not shown", [](auto& r) { r.setDwordValue(HKCU, R4, "Hidden", 2); }, states(0, 0, 0, 0, 0, 1)},
      {"DisableTaskMgr as text 1", [](auto& r) { r.setString(HKCU, R2, "DisableTaskMgr", "1"); },
       states(0, 0, 0, 1, 0, 1)},
      {"DisableTaskMgr as text yes", [](auto& r) { r.setString(HKCU, R2, "DisableTaskMgr", "yes"); },
       states(0, 0, 0, 0, 0, 1)},
      {"HideFileExt as expandable text", [](auto& r) { r.setString(HKCU, R4, "HideFileExt", "1", regtype::ExpandSz); },
       states(0, 0, 0, 0, 0, 1)},
      {"only the machine's values",
       [](auto& r) {
         r.setDwordValue(HKLM, R2, "DisableTaskMgr", 1);
         r.setDwordValue(HKLM, R2, "DisableRegistryTools", 1);
         r.setDwordValue(HKLM, R4, "HideFileExt", 1);
       },
       states(0, 0, 0, 0, 0, 1)},
      {"written keys with trailing backslash", [](auto& r) { r.setDwordValue(HKCU, W1, "DisableCMD", 1); },
       states(0, 1, 0, 0, 0, 1)},
      // One setting at a time, so that each shows in its own box.
      {"registry editor only", [](auto& r) { r.setDwordValue(HKCU, R2, "DisableRegistryTools", 1); },
       states(1, 0, 0, 0, 0, 1)},
      {"folder options only", [](auto& r) { r.setDwordValue(HKCU, R3, "NoFolderOptions", 1); },
       states(0, 0, 1, 0, 0, 1)},
      {"hidden files only", [](auto& r) { r.setDwordValue(HKCU, R4, "Hidden", 1); }, states(0, 0, 0, 0, 1, 1)},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.what);
    Manager m;
    c.setUp(m.f.reg);
    m.open();
    EXPECT_EQ(m.boxes(), c.expected);
  }
}

struct OkCase {
  const char* what;
  std::map<SettingBox, int> boxes;
  std::vector<std::string> writes;
};

TEST(PolicyManager, OkWritesEverySettingInCatalogueOrder) {
  const std::vector<OkCase> cases = {
      {"as opened on a clean system",
       states(0, 0, 0, 0, 0, 1),
       {CU + " " + W2 + " DisableRegistryTools=0", LM + " " + W3 + " DisableRegistryTools=0",
        CU + " " + W4 + " NoFolderOptions=0", LM + " " + W4 + " NoFolderOptions=0", CU + " " + W1 + " DisableCMD=0",
        CU + " " + W2 + " DisableTaskMgr=0", LM + " " + W3 + " DisableTaskMgr=0", CU + " " + W5 + " SuperHidden=1",
        CU + " " + W5 + " Hidden=0", CU + " " + W5 + " ShowSuperHidden=0", LM + " " + W7 + " CheckedValue=1",
        CU + " " + W5 + " HideFileExt=0"}},
      {"every box checked",
       states(1, 1, 1, 1, 1, 1),
       {CU + " " + W2 + " DisableRegistryTools=1", LM + " " + W3 + " DisableRegistryTools=1",
        CU + " " + W4 + " NoFolderOptions=1", LM + " " + W4 + " NoFolderOptions=1", CU + " " + W1 + " DisableCMD=1",
        CU + " " + W2 + " DisableTaskMgr=1", LM + " " + W3 + " DisableTaskMgr=1", CU + " " + W5 + " SuperHidden=0",
        CU + " " + W5 + " Hidden=1", CU + " " + W5 + " ShowSuperHidden=1", LM + " " + W7 + " CheckedValue=1",
        CU + " " + W5 + " HideFileExt=0"}},
      {"every box unchecked",
       states(0, 0, 0, 0, 0, 0),
       {CU + " " + W2 + " DisableRegistryTools=0", LM + " " + W3 + " DisableRegistryTools=0",
        CU + " " + W4 + " NoFolderOptions=0", LM + " " + W4 + " NoFolderOptions=0", CU + " " + W1 + " DisableCMD=0",
        CU + " " + W2 + " DisableTaskMgr=0", LM + " " + W3 + " DisableTaskMgr=0", CU + " " + W5 + " SuperHidden=1",
        CU + " " + W5 + " Hidden=0", CU + " " + W5 + " ShowSuperHidden=0", LM + " " + W7 + " CheckedValue=1",
        CU + " " + W5 + " HideFileExt=1"}},
      {"registry editor only",
       states(1, 0, 0, 0, 0, 1),
       {CU + " " + W2 + " DisableRegistryTools=1", LM + " " + W3 + " DisableRegistryTools=1",
        CU + " " + W4 + " NoFolderOptions=0", LM + " " + W4 + " NoFolderOptions=0", CU + " " + W1 + " DisableCMD=0",
        CU + " " + W2 + " DisableTaskMgr=0", LM + " " + W3 + " DisableTaskMgr=0", CU + " " + W5 + " SuperHidden=1",
        CU + " " + W5 + " Hidden=0", CU + " " + W5 + " ShowSuperHidden=0", LM + " " + W7 + " CheckedValue=1",
        CU + " " + W5 + " HideFileExt=0"}},
      {"task manager and hidden files only",
       states(0, 0, 0, 1, 1, 0),
       {CU + " " + W2 + " DisableRegistryTools=0", LM + " " + W3 + " DisableRegistryTools=0",
        CU + " " + W4 + " NoFolderOptions=0", LM + " " + W4 + " NoFolderOptions=0", CU + " " + W1 + " DisableCMD=0",
        CU + " " + W2 + " DisableTaskMgr=1", LM + " " + W3 + " DisableTaskMgr=1", CU + " " + W5 + " SuperHidden=0",
        CU + " " + W5 + " Hidden=1", CU + " " + W5 + " ShowSuperHidden=1", LM + " " + W7 + " CheckedValue=1",
        CU + " " + W5 + " HideFileExt=1"}},
  };
  for (const OkCase& c : cases) {
    SCOPED_TRACE(c.what);
    Manager m;
    m.open();
    m.set(c.boxes);
    size_t from = m.f.log.size();
    size_t boxesBefore = m.boxCount();
    int yieldsBefore = m.f.ui.yields;
    m.app.click("frm_RM", "btn_okk");
    // The question, nothing after it.
    EXPECT_EQ(m.boxesSince(boxesBefore), std::vector<test::Box>{test::Question("Are you sure to do this?")});
    EXPECT_EQ(writes(m.f.log, from), c.writes);
    EXPECT_EQ(m.f.ui.yields, yieldsBefore + 1);
    // Then it leaves as Cancel does.
    EXPECT_EQ(m.rm(), nullptr);
    Window* c2 = m.app.find("frm_c");
    ASSERT_NE(c2, nullptr);
    EXPECT_TRUE(c2->visible);
    EXPECT_TRUE(c2->enabled);
    EXPECT_EQ(m.f.reg.openHandles(), 0);
  }
}

TEST(PolicyManager, NoWritesNothingAndStays) {
  Manager m;
  m.open();
  m.rm()->chk_NTM.value = 1;
  auto before = m.boxes();
  size_t from = m.f.log.size();
  m.f.ui.answers = {mb::IdNo};
  m.app.click("frm_RM", "btn_okk");
  EXPECT_TRUE(writes(m.f.log, from).empty());
  ASSERT_NE(m.rm(), nullptr);
  EXPECT_TRUE(m.rm()->visible);
  EXPECT_EQ(m.boxes(), before);
  EXPECT_FALSE(m.app.find("frm_c")->visible);
  EXPECT_EQ(m.f.ui.yields, 0);
}

TEST(PolicyManager, RefusedMachineWritesStillLeaveAndKeepUserWrites) {
  Manager m;
  m.f.reg.denyWrites(HKLM);
  m.open();
  m.rm()->chk_NTM.value = 1;
  m.app.click("frm_RM", "btn_okk");
  EXPECT_EQ(m.f.reg.dword(HKCU, R2, "DisableTaskMgr"), 1u);
  EXPECT_FALSE(m.f.reg.hasValue(HKLM, W3, "DisableTaskMgr"));
  EXPECT_EQ(m.rm(), nullptr);
  EXPECT_EQ(m.boxCount(), 2u);  // reminder and question; no report
}

TEST(PolicyManager, ReopeningShowsReminderAgainAndTheValuesJustWritten) {
  Manager m;
  m.open();
  m.rm()->chk_DCMD.value = 1;
  m.rm()->chk_SHFF.value = 1;
  m.rm()->chk_SE.value = 0;
  m.app.click("frm_RM", "btn_okk");
  ASSERT_EQ(m.rm(), nullptr);
  m.open();
  EXPECT_EQ(m.lastBox(),
            test::Information("Make sure you 'Run As Administrator' to do this. (For windows 7 and vista only)"));
  EXPECT_EQ(m.boxCount(), 3u);
  EXPECT_EQ(m.boxes(), states(0, 1, 0, 0, 1, 0));
}

TEST(PolicyManager, CancelWritesNothingAndReturns) {
  Manager m;
  m.open();
  size_t from = m.f.log.size();
  m.app.click("frm_RM", "btn_zx");
  EXPECT_TRUE(writes(m.f.log, from).empty());
  EXPECT_EQ(m.rm(), nullptr);
  EXPECT_TRUE(m.app.find("frm_c")->visible);
}

TEST(PolicyManager, WindowLeftDuringTheYieldIsNotLeftTwice) {
  Manager m;
  m.open();
  bool once = false;
  m.f.ui.onYield = [&] {
    if (once) return;
    once = true;
    // Cancel, then straight back into a fresh Registry Manager.
    m.app.click("frm_RM", "btn_zx");
    m.open();
  };
  m.app.click("frm_RM", "btn_okk");
  // The fresh window stays in front; the old Ok must not bring frm_c back.
  ASSERT_NE(m.rm(), nullptr);
  EXPECT_TRUE(m.rm()->visible);
  EXPECT_FALSE(m.app.find("frm_c")->visible);
  EXPECT_FALSE(m.app.find("frm_c")->enabled);
}

TEST(PolicyManager, OkPressedAgainDuringTheYield) {
  Manager m;
  m.open();
  int nested = 0;
  m.f.ui.onYield = [&] {
    if (nested++ == 0) m.app.click("frm_RM", "btn_okk");
  };
  size_t from = m.f.log.size();
  m.app.click("frm_RM", "btn_okk");
  EXPECT_EQ(writes(m.f.log, from).size(), 24u);
  EXPECT_EQ(m.rm(), nullptr);
  EXPECT_TRUE(m.app.find("frm_c")->visible);
  EXPECT_TRUE(m.app.find("frm_c")->enabled);
}

}  // namespace
