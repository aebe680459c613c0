// What the native tests share: the program on a machine of fakes, and the
// readers of what it did.
#pragma once

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/kestrive.h"
#include "platform/fake/fake_platform.h"

namespace kestrive::test {

// The texts of a list's items, in order.
inline std::vector<std::string> Texts(const Control& list) {
  std::vector<std::string> out;
  for (const Item& item : list.items) out.push_back(item.text);
  return out;
}

// A message box as the user saw it: what it said, and its kind (icon and
// buttons). The only reader of boxes in the tests: compare these, never flags.
struct Box {
  std::string text;
  MsgKind kind = MsgKind::Plain;
  bool operator==(const Box&) const = default;
};

inline Box Question(std::string text) { return {std::move(text), MsgKind::Question}; }
inline Box Information(std::string text) { return {std::move(text), MsgKind::Information}; }
inline Box Error(std::string text) { return {std::move(text), MsgKind::Error}; }
inline Box Warning(std::string text) { return {std::move(text), MsgKind::Warning}; }
inline Box Plain(std::string text) { return {std::move(text), MsgKind::Plain}; }

inline Box BoxOf(const fake::FakeUi::Box& shown) { return {shown.text, static_cast<MsgKind>(shown.flags)}; }

// "question: Are you sure …": a box as one line, for failure output and for
// checking boxes in their order among other logged steps.
inline std::string Describe(const Box& box) {
  switch (box.kind) {
    case MsgKind::Question: return "question: " + box.text;
    case MsgKind::Information: return "information: " + box.text;
    case MsgKind::Error: return "error: " + box.text;
    case MsgKind::Warning: return "warning: " + box.text;
    case MsgKind::Plain: return "plain: " + box.text;
  }
  return "flags " + std::to_string(static_cast<unsigned>(box.kind)) + ": " + box.text;
}
inline void PrintTo(const Box& box, std::ostream* os) { *os << Describe(box); }

// The boxes a machine of fakes showed since `from` (a count of boxes), in order.
inline std::vector<Box> BoxesSince(const fake::FakePlatform& f, size_t from) {
  std::vector<Box> out;
  for (size_t i = from; i < f.ui.boxes.size(); ++i) out.push_back(BoxOf(f.ui.boxes[i]));
  return out;
}
inline Box LastBox(const fake::FakePlatform& f) {
  if (f.ui.boxes.empty()) throw std::logic_error("no message box was shown");
  return BoxOf(f.ui.boxes.back());
}

// A fresh machine with the program on it.
struct Machine {
  fake::FakePlatform f;
  Kestrive app{f.platform};

  // What the fakes logged since `from`, only the lines that start with `prefix`.
  std::vector<std::string> logSince(size_t from, const std::string& prefix = {}) const {
    std::vector<std::string> out;
    for (size_t i = from; i < f.log.size(); ++i)
      if (f.log[i].rfind(prefix, 0) == 0) out.push_back(f.log[i]);
    return out;
  }
  size_t logSize() const { return f.log.size(); }

  // The boxes shown since `from` (a boxCount()), in order.
  size_t boxCount() const { return f.ui.boxes.size(); }
  std::vector<Box> boxesSince(size_t from) const { return BoxesSince(f, from); }
  Box lastBox() const { return LastBox(f); }

  // The box a line of the log records ("msg <flags> <text>"), if it is one.
  static std::optional<Box> BoxOfLogLine(const std::string& line) {
    if (line.rfind("msg ", 0) != 0) return std::nullopt;
    const size_t space = line.find(' ', 4);
    if (space == std::string::npos) return std::nullopt;
    return Box{line.substr(space + 1), static_cast<MsgKind>(std::stoul(line.substr(4, space - 4)))};
  }
};

}  // namespace kestrive::test
