#include "platform/fake/fake_env.h"

#include <algorithm>
#include <cctype>

namespace kestrive::fake {

namespace {

// The variables are kept by their names in capitals.
std::string upper(std::string name) {
  for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

std::string FakeEnv::expand(const std::string& text) {
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find('%', at);
    const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    auto it = variables.find(upper(text.substr(open + 1, close - open - 1)));
    out += text.substr(at, open - at);
    if (it == variables.end()) {
      // Unknown names stay as written; the closing % may open the next one.
      out += '%' + text.substr(open + 1, close - open - 1);
      at = close;
      continue;
    }
    out += it->second;
    at = close + 1;
  }
  return out + text.substr(std::min(at, text.size()));
}

std::string FakeEnv::variable(const std::string& name) {
  auto it = variables.find(upper(name));
  return it == variables.end() ? std::string() : it->second;
}

}  // namespace kestrive::fake
