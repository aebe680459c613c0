#include "platform/fake/fake_ui.h"

namespace kestrive::fake {

int FakeUi::messageBox(const std::string& text, const std::string& title, uint32_t flags) {
  log_.push_back("msg " + std::to_string(flags) + " " + text);
  Box box{text, title, flags};
  boxes.push_back(box);
  if (onBox) onBox(box);
  if ((flags & 0x0F) != mb::YesNo) return mb::IdOk;
  if (answers.empty()) return mb::IdYes;
  int a = answers.front();
  answers.pop_front();
  return a;
}

void FakeUi::doEvents() {
  ++yields;
  if (onYield) onYield();
}

void FakeUi::waitEvents(uint32_t ms) {
  waits.push_back(ms);
  if (clock) clock->now += waitSlice != 0 && waitSlice < ms ? waitSlice : ms;
  doEvents();
}

void FakeUi::openUrl(const std::string& address) {
  log_.push_back("url " + address);
  urls.push_back(address);
}

void FakeUi::showOtherInstance() { log_.push_back("show other instance"); }

void FakeUi::endProcess() {
  ended = true;
  log_.push_back("end");
  throw ProcessEnded{};
}

}  // namespace kestrive::fake
