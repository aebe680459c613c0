#include "platform/text.h"

namespace kestrive {

namespace {

char32_t lowerCodePoint(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string lower(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
      ++i;
      continue;
    }
    // Only the two-byte sequences hold the capitals we fold; copy the rest.
    if ((b & 0xE0) == 0xC0 && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
      char32_t c = ((b & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
      appendUtf8(out, lowerCodePoint(c));
      i += 2;
      continue;
    }
    out += s[i];
    ++i;
  }
  return out;
}

bool contains(const std::string& text, const std::string& fragment) { return text.find(fragment) != std::string::npos; }
bool containsNoCase(const std::string& text, const std::string& fragment) {
  return contains(lower(text), lower(fragment));
}
bool equalsNoCase(const std::string& a, const std::string& b) { return lower(a) == lower(b); }

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    if (at == std::string::npos) break;
    out.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  out.push_back(text.substr(start));
  return out;
}

std::string TrimAtNul(const std::string& text) {
  size_t at = text.find('\0');
  return at == std::string::npos ? text : text.substr(0, at);
}

}  // namespace kestrive
