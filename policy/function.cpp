#include "policy/function.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/text.h"

namespace kestrive {

namespace {

// A decimal number, optionally signed, with fraction and exponent, blanks
// around it allowed. Hex and locale forms are not settings anyone writes.
bool readNumber(const std::string& text, double* out) {
  size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return false;
  size_t e = text.find_last_not_of(" \t");
  std::string s = text.substr(b, e - b + 1);
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  *out = std::strtod(s.c_str(), nullptr);
  return true;
}

}  // namespace

const Setting& settingFor(SettingBox box) {
  for (const Setting& s : kSettings)
    if (box == s.box) return s;
  throw std::out_of_range("no setting for a box");
}

bool EqualsOne(const RegRead& value) {
  switch (value.kind) {
    case RegRead::Kind::Number: return value.number == 1;
    case RegRead::Kind::Text: {
      double d = 0;
      return readNumber(value.text, &d) && d == 1.0;
    }
    case RegRead::Kind::Empty: break;
  }
  return false;
}

long SetDwordValue(Platform& p, uint32_t root, const std::string& path, const std::string& name, int32_t value) {
  // The creation's status is not looked at: a key that could not be made
  // leaves the handle at 0, and the write then reports the failure.
  HKey key = 0;
  p.reg.createKey(root, path, &key);
  long status = p.reg.setDword(key, name, static_cast<uint32_t>(value));
  if (key != 0) p.reg.closeKey(key);
  return status;
}

RegRead GetRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name) {
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return RegRead::empty();
  RegValue v = p.reg.queryValue(key, name);
  p.reg.closeKey(key);
  if (v.status != kErrorSuccess) return RegRead::empty();
  switch (v.type) {
    case regtype::Sz: return RegRead::of(TrimAtNul(std::string(v.data.begin(), v.data.end())));
    case regtype::Dword: {
      // A REG_DWORD longer than its four bytes would not fit the reader's
      // buffer; a shorter one fills only the low bytes.
      if (v.data.size() > 4) return RegRead::empty();
      uint32_t n = 0;
      for (size_t i = 0; i < v.data.size(); ++i) n |= static_cast<uint32_t>(v.data[i]) << (8 * i);
      return RegRead::of(static_cast<int32_t>(n));
    }
    default: return RegRead::empty();
  }
}

void EnableCommandPrompt(Platform& p) {
  SetDwordValue(p, place::DisableCMD_CU, 0);
  SetDwordValue(p, place::DisableCMD_LM, 0);
}

void RestoreDefaultSettings(Platform& p) {
  for (const DefaultWrite& w : kDefaultSettings) SetDwordValue(p, w.at, w.value);
  p.ui.doEvents();
}

}  // namespace kestrive
