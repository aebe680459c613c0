#include "platform/win32/wide.h"

#include "platform/text.h"

namespace kestrive::win32 {

// Windows names are any sequence of 16-bit units, lone surrogates included
// (a registry value name can hold one). Such a unit travels as the three
// bytes UTF-8 would give its number, so that every name comes back to
// Windows exactly as it was read and never as a look-alike; the system's
// converter would turn it into U+FFFD, the name of some other value.
std::wstring widen(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    const size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len != 0 && i + len <= n;
    for (size_t k = 1; ok && k < len; ++k) {
      const unsigned char x = static_cast<unsigned char>(utf8[i + k]);
      if ((x & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (x & 0x3F);
    }
    // Overlong forms and numbers past Unicode are no characters.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[len] || c > 0x10FFFF)) ok = false;
    if (!ok) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
    i += len;
  }
  return out;
}

std::string narrow(const std::wstring& utf16) {
  std::string out;
  out.reserve(utf16.size());
  const size_t n = utf16.size();
  for (size_t i = 0; i < n; ++i) {
    char32_t c = static_cast<char16_t>(utf16[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
      const char32_t low = static_cast<char16_t>(utf16[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    appendUtf8(out, c);
  }
  return out;
}

}  // namespace kestrive::win32
