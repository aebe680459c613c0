// Computer window's controls and waits: selection buttons, the timer, the tick wrap, clicks during Delete's waits.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "computer/cleaner.h"
#include "computer/command_line.h"
#include "computer/frm_c.h"
#include "computer/processes.h"
#include "shell/texts.h"
#include "tests/native/computer_fixture.h"

using namespace kestrive;
using namespace kestrive::test;

namespace {

// ---- selection buttons and the timer ----------------------------------------------

TEST_F(ComputerControls, SelectionButtonsMarkTheirOwnList) {
  file("a.exe");
  file("b.exe");
  value("A", "C:\\Users\\user\\a.exe");
  value("B", "C:\\Users\\user\\b.exe");
  open();
  scan();
  struct Step {
    const char* button;
    int marksV, marksP;
  };
  for (const Step& s :
       {Step{"btn_c_ma", 2, 0}, Step{"btn_Esa", 2, 2}, Step{"btn_c_uma", 0, 2}, Step{"btn_Edsa", 0, 0}}) {
    SCOPED_TRACE(s.button);
    app.click("frm_c", s.button);
    EXPECT_EQ(w().lst_V.markedCount(), s.marksV);
    EXPECT_EQ(w().lst_P.markedCount(), s.marksP);
  }
}

TEST_F(ComputerControls, OpensWithRefreshDisabled) {
  open();
  EXPECT_EQ(w().title, "Computer | Kestrive v3.0");
  EXPECT_FALSE(w().btn_c_r.enabled);
  EXPECT_FALSE(w().btn_Er.enabled);
  EXPECT_EQ(w().T2.interval, 1);
  EXPECT_TRUE(Texts(w().lst_V).empty());
  EXPECT_TRUE(Texts(w().lst_P).empty());
}

TEST_F(ComputerControls, TimerFollowsTheLists) {
  open();
  struct State {
    bool lines, names;
  };
  for (const State& s :
       {State{false, false}, State{true, false}, State{false, true}, State{true, true}, State{false, false}}) {
    SCOPED_TRACE(std::to_string(s.lines) + std::to_string(s.names));
    w().lst_V.clear();
    w().lst_P.clear();
    if (s.lines) w().lst_V.add("a.exe | A | C:\\a.exe", "A");
    if (s.names) w().lst_P.add("a.exe");
    // Scan, Back and the Refresh buttons are not the timer's.
    w().btn_c_r.enabled = false;
    w().btn_Er.enabled = true;
    w().btn_scan.enabled = false;
    tick();
    for (const Control* b : {&w().btn_c_ma, &w().btn_c_uma, &w().btn_d}) EXPECT_EQ(b->enabled, s.lines) << b->name;
    for (const Control* b : {&w().btn_Esa, &w().btn_Edsa, &w().btn_Ed}) EXPECT_EQ(b->enabled, s.names) << b->name;
    EXPECT_FALSE(w().btn_c_r.enabled);
    EXPECT_TRUE(w().btn_Er.enabled);
    EXPECT_FALSE(w().btn_scan.enabled);
    EXPECT_TRUE(w().btn_x.enabled);
  }
}

// ---- waits --------------------------------------------------------------------------------

struct WaitCase {
  uint32_t now, step, ms, slice;
  std::vector<uint32_t> waits;  // what each wait for events asked for
};

// Each wait for events asks only for what is left, measured across a wrap of
// the tick counter, and the waiting goes on when events end one early.
TEST(ComputerWait, AsksForWhatIsLeftAcrossTheTickWrap) {
  for (const WaitCase& w :
       {WaitCase{0, 500, 1000, 0, {500}}, WaitCase{0, 1, 1000, 0, {999}}, WaitCase{0, 1000, 1000, 0, {}},
        WaitCase{0xFFFFFF00u, 100, 1000, 0, {900}}, WaitCase{0xFFFFFFFFu, 1, 3, 0, {2}},
        WaitCase{0xFFFFFC18u, 0, 1000, 300, {1000, 700, 400, 100}}, WaitCase{0xFFFFFFF0u, 10, 100, 40, {90, 40}},
        WaitCase{5, 1, 0, 0, {}}}) {
    SCOPED_TRACE(std::to_string(w.now) + " step " + std::to_string(w.step) + " slice " + std::to_string(w.slice));
    fake::FakePlatform f;
    f.clock.now = w.now;
    f.clock.step = w.step;
    f.ui.waitSlice = w.slice;
    WaitMilliseconds(f.platform, w.ms);
    EXPECT_EQ(f.ui.waits, w.waits);
    EXPECT_EQ(f.ui.yields, static_cast<int>(w.waits.size()));
  }
}

// ---- clicks that arrive during the waits of Delete -------------------------------------

// What the user does while Delete waits: each row arranges a Computer, marks,
// presses Delete, does something at one of its yields, and says what must hold
// afterwards. Fields left empty are not checked.
struct ReentryComputer : Computer {
  std::map<std::string, uint32_t> pids;  // processes by the names rows give them
};

struct ReentryCase {
  const char* what{};
  std::function<void(ReentryComputer&)> arrange{};  // before the window opens
  const char* select{};                             // clicked to mark; none: the first line of lst_V
  const char* press{};                              // the Delete button
  int atYield{};                                    // 1 is the first
  std::function<void(ReentryComputer&)> during{};
  // Afterwards:
  bool ends = false;                                                      // the program ended (Exit)
  bool windowStays = true;                                                // frm_c still loaded
  std::vector<Step> steps{};                                              // logged from the press on, all of them
  std::vector<Step> endsWith{};                                           // the last of them
  std::vector<Box> shown{};                                               // from the press on
  std::optional<Box> last{};                                              // the last box
  std::vector<std::string> present{}, absent{};                           // files
  std::optional<std::vector<std::string>> userValues{}, machineValues{};  // names in each Run key
  std::optional<std::vector<std::string>> lines{};                        // lst_V
  std::vector<std::string> running{}, stopped{};                          // processes by their names in pids
};

std::function<void(ReentryComputer&)> Click(const char* button) {
  return [button](ReentryComputer& m) { m.app.click("frm_c", button); };
}

// c.exe and the user's value C that starts it.
void OneLine(ReentryComputer& m) {
  m.file("c.exe");
  m.value("C", "C:\\Users\\user\\c.exe");
}
// c.exe and d.exe, each started by a value of its own.
void TwoLines(ReentryComputer& m) {
  OneLine(m);
  m.file("d.exe");
  m.value("D", "C:\\Users\\user\\d.exe");
}
// The VBS worm beside the user's logon script and app, its host running.
void VbsWormAround(ReentryComputer& m) {
  MakeDropFolders(m);
  const VbsWorm v = PlantVbsWorm(m);
  m.pids = {{"worm", v.worm}, {"logon", v.logon}};
}

TEST(ComputerReentry, ClicksDuringTheWaitsOfDelete) {
  const std::string c = Profile + "\\c.exe", d = Profile + "\\d.exe", a = Profile + "\\a.exe", b = Profile + "\\b.exe";
  const std::string script = Temp + "\\nfuzbk.vbs";
  const std::vector<ReentryCase> cases = {
      {.what = "Back during the wait of a line's deletion",
       .arrange = OneLine,
       .select = nullptr,
       .press = "btn_d",
       .atYield = 1,
       .during = Click("btn_x"),
       .windowStays = false,
       .steps = {kAsk, "yield"},
       .present = {c},
       .userValues = {{"C"}}},
      {.what = "Back from the menu during the yield after the settings restore",
       .arrange =
           [](ReentryComputer& m) {
             OneLine(m);
             m.f.fs.lock(Profile + "\\c.exe");  // would end in the safe-mode message
           },
       .select = nullptr,
       .press = "btn_d",
       .atYield = 2,
       .during = Click("f2_Back"),
       .windowStays = false,
       .endsWith = {"yield"},
       .shown = {kAsk}},
      {.what = "Delete again during the wait: both lines again, then a rescan that empties the list",
       .arrange = TwoLines,
       .select = "btn_c_ma",
       .press = "btn_d",
       .atYield = 1,
       .during = Click("btn_d"),
       .shown = {kAsk, kAsk, kComplete, kComplete},
       .absent = {c, d},
       .userValues = std::vector<std::string>{},
       .lines = std::vector<std::string>{}},
      {.what = "Scan during the wait clears the remaining marks",
       .arrange = TwoLines,
       .select = "btn_c_ma",
       .press = "btn_d",
       .atYield = 1,
       .during = Click("btn_scan"),
       .last = kLeft,
       .userValues = {{"D"}},
       .lines = {{"d.exe | D | C:\\Users\\user\\d.exe"}}},
      {.what = "both lists emptied during the wait",
       .arrange = TwoLines,
       .select = "btn_c_ma",
       .press = "btn_d",
       .atYield = 1,
       .during =
           [](ReentryComputer& m) {
             m.w().lst_V.clear();
             m.w().lst_P.clear();
           },
       .steps = {kAsk, "yield", SetAttr(c), Del(c), DelValue("C"), "restore", "yield", kLeft}},
      {.what = "Refresh during a file deletion clears the marks; both marked files still go, once each",
       .arrange =
           [](ReentryComputer& m) {
             m.file("a.exe");
             m.file("b.exe");
           },
       .select = "btn_Esa",
       .press = "btn_Ed",
       .atYield = 1,
       .during = Click("btn_Er"),
       .steps = {kAsk, "yield", SetAttr(a), Del(a), "yield", SetAttr(b), Del(b), kComplete}},
      {.what = "Back during a file deletion",
       .arrange = [](ReentryComputer& m) { m.file("a.exe"); },
       .select = "btn_Esa",
       .press = "btn_Ed",
       .atYield = 1,
       .during = Click("btn_x"),
       .windowStays = false,
       .steps = {kAsk, "yield"},
       .present = {a}},
      {.what = "Exit during the wait ends at once",
       .arrange = OneLine,
       .select = nullptr,
       .press = "btn_d",
       .atYield = 1,
       .during = Click("f2_Exit"),
       .ends = true,
       .present = {c}},
      {.what = "Back during the wait of a worm's removal touches nothing",
       .arrange = VbsWormAround,
       .select = "btn_c_ma",
       .press = "btn_d",
       .atYield = 1,
       .during = Click("btn_x"),
       .windowStays = false,
       .present = {script},
       .machineValues = {{"nfuzbk", "Logon"}}},
  };
  // The worms marked when Delete was confirmed go, once each, whatever the
  // clicks of the wait do to the list; what the user is told is what is left.
  std::vector<ReentryCase> all = cases;
  for (const char* button : {"btn_scan", "btn_c_r", "btn_c_uma", "btn_d"})
    all.push_back({.what = button,
                   .arrange = VbsWormAround,
                   .select = "btn_c_ma",
                   .press = "btn_d",
                   .atYield = 1,
                   .during = Click(button),
                   .last = kComplete,
                   .absent = {script},
                   .machineValues = {{"Logon"}},
                   .running = {"logon"},
                   .stopped = {"worm"}});
  for (const ReentryCase& r : all) {
    SCOPED_TRACE(r.what);
    ReentryComputer m;
    r.arrange(m);
    m.open();
    m.scan();
    if (r.select)
      m.app.click("frm_c", r.select);
    else
      m.mark(m.w().lst_V, {0});
    int yields = 0;
    m.duringYield = [&] {
      if (++yields == r.atYield) r.during(m);
    };
    const size_t from = m.logSize();
    const size_t boxes = m.boxCount();
    if (r.ends) {
      EXPECT_THROW(m.app.click("frm_c", r.press), ProcessEnded);
      EXPECT_TRUE(m.f.ui.ended);
    } else {
      m.app.click("frm_c", r.press);
    }

    EXPECT_GE(yields, r.atYield) << "the program never waited that often";
    if (!r.ends) {
      EXPECT_EQ(m.app.find("frm_c") != nullptr, r.windowStays);
      if (!r.windowStays) {
        EXPECT_TRUE(m.app.find("frm_first")->visible);
      }
    }
    const std::vector<Step> steps = m.events(from);
    if (!r.steps.empty()) {
      EXPECT_EQ(steps, r.steps);
    }
    if (!r.endsWith.empty()) {
      ASSERT_GE(steps.size(), r.endsWith.size());
      EXPECT_EQ(std::vector<Step>(steps.end() - r.endsWith.size(), steps.end()), r.endsWith);
    }
    if (!r.shown.empty()) {
      EXPECT_EQ(m.boxesSince(boxes), r.shown);
    }
    if (r.last) {
      EXPECT_EQ(m.lastBox(), *r.last);
    }
    for (const std::string& path : r.present) EXPECT_TRUE(m.f.fs.has(path)) << path;
    for (const std::string& path : r.absent) EXPECT_FALSE(m.f.fs.has(path)) << path;
    if (r.userValues) {
      EXPECT_EQ(m.f.reg.valueNames(HKCU, RunKey), *r.userValues);
    }
    if (r.machineValues) {
      EXPECT_EQ(m.f.reg.valueNames(HKLM, RunKey), *r.machineValues);
    }
    if (r.lines) {
      EXPECT_EQ(Texts(m.w().lst_V), *r.lines);
    }
    for (const std::string& p : r.running) EXPECT_TRUE(m.f.proc.running(m.pids.at(p))) << p;
    for (const std::string& p : r.stopped) EXPECT_FALSE(m.f.proc.running(m.pids.at(p))) << p;
  }
}

}  // namespace
