// Scripted message boxes and a clock that moves only when asked.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/fake/log.h"
#include "platform/platform.h"

namespace kestrive::fake {

class FakeClock : public Clock {
 public:
  uint32_t now = 0;
  uint32_t step = 1;  // advanced on every read
  uint32_t tickCount() override {
    uint32_t t = now;
    now += step;
    return t;
  }
};

class FakeUi : public Ui {
 public:
  explicit FakeUi(Log& log) : log_(log) {}
  struct Box {
    std::string text, title;
    uint32_t flags;
  };
  std::vector<Box> boxes;
  std::deque<int> answers;  // Yes/No answers in order; an empty queue answers Yes (OK for OK boxes)
  std::vector<std::string> urls;
  int yields = 0;  // doEvents and waitEvents calls
  // The ms each waitEvents asked for. It moves the clock on by as much, or
  // by at most waitSlice when that is set (events that came sooner).
  std::vector<uint32_t> waits;
  uint32_t waitSlice = 0;
  FakeClock* clock = nullptr;
  bool ended = false;
  // Runs inside every message box / yield, e.g. to press another button meanwhile.
  std::function<void(const Box&)> onBox;
  std::function<void()> onYield;

  int messageBox(const std::string& text, const std::string& title, uint32_t flags) override;
  void doEvents() override;
  void waitEvents(uint32_t ms) override;
  void openUrl(const std::string& address) override;
  void showOtherInstance() override;
  [[noreturn]] void endProcess() override;

 private:
  Log& log_;
};

}  // namespace kestrive::fake
