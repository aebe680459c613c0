// What the native tests share: the program on a machine of fakes, and the
// readers of what it did.
#pragma once

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
};

}  // namespace kestrive::test
