#include "platform/shell_link.h"

#include "platform/text.h"

namespace kestrive {

namespace {

// Windows-1252's characters for 0x80-0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Bounds-checked reads of little-endian numbers and strings; any read past
// the end marks the whole link bad.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
  bool has(size_t at, size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  uint16_t u16(size_t at) {
    if (!has(at, 2)) return fail();
    return static_cast<uint16_t>(b_[at] | (b_[at + 1] << 8));
  }
  uint32_t u32(size_t at) {
    if (!has(at, 4)) return fail();
    return static_cast<uint32_t>(b_[at]) | (static_cast<uint32_t>(b_[at + 1]) << 8) |
           (static_cast<uint32_t>(b_[at + 2]) << 16) | (static_cast<uint32_t>(b_[at + 3]) << 24);
  }
  // count characters of 1 (code page) or 2 (UTF-16) bytes, stopping at a NUL.
  std::string chars(size_t at, size_t count, bool wide) {
    const size_t unit = wide ? 2 : 1;
    if (count > b_.size() || !has(at, count * unit)) {
      bad = true;
      return {};
    }
    std::string out;
    for (size_t i = 0; i < count; ++i) {
      char32_t c;
      if (wide) {
        c = static_cast<char16_t>(b_[at + 2 * i] | (b_[at + 2 * i + 1] << 8));
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count) {
          const char32_t low = static_cast<char16_t>(b_[at + 2 * i + 2] | (b_[at + 2 * i + 3] << 8));
          if (low >= 0xDC00 && low <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++i;
          }
        }
      } else {
        c = b_[at + i];
        if (c >= 0x80 && c < 0xA0) c = kCp1252High[c - 0x80];
      }
      if (c == 0) break;
      appendUtf8(out, c);
    }
    return out;
  }
  // A NUL-terminated string starting at `at` and ending before `end`.
  std::string terminated(size_t at, size_t end, bool wide) {
    if (end > b_.size() || at > end) {
      bad = true;
      return {};
    }
    const size_t unit = wide ? 2 : 1;
    size_t n = 0;
    while (at + (n + 1) * unit <= end) {
      const bool nul = wide ? (b_[at + n * 2] == 0 && b_[at + n * 2 + 1] == 0) : b_[at + n] == 0;
      if (nul) return chars(at, n, wide);
      ++n;
    }
    bad = true;  // no terminator inside its structure
    return {};
  }
  bool bad = false;

 private:
  uint16_t fail() {
    bad = true;
    return 0;
  }
  const std::vector<uint8_t>& b_;
};

constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

namespace flag {
constexpr uint32_t HasIdList = 0x1;
constexpr uint32_t HasLinkInfo = 0x2;
constexpr uint32_t HasName = 0x4;
constexpr uint32_t HasRelativePath = 0x8;
constexpr uint32_t HasWorkingDir = 0x10;
constexpr uint32_t HasArguments = 0x20;
constexpr uint32_t HasIconLocation = 0x40;
constexpr uint32_t IsUnicode = 0x80;
}  // namespace flag

constexpr uint32_t kEnvBlockSignature = 0xA0000001;
constexpr uint32_t kEnvBlockSize = 0x314;

std::string joinPath(const std::string& base, const std::string& suffix) {
  if (suffix.empty()) return base;
  if (base.empty() || base.back() == '\\') return base + suffix;
  return base + "\\" + suffix;
}

// The path an item id list spells: a drive item, then one file-system item
// per folder and the file. Items of other kinds (a control panel, a phone)
// spell no path; "" then.
std::string idListPath(Reader& r, size_t at, size_t end) {
  std::string path;
  while (at + 2 <= end) {
    const uint16_t size = r.u16(at);
    if (size == 0) break;
    if (size < 3 || at + size > end) return {};
    const uint8_t type = static_cast<uint8_t>(r.u16(at + 2) & 0xFF);
    if ((type & 0x70) == 0x20) {  // a drive: "C:\"
      path = r.terminated(at + 3, at + size, false);
      if (r.bad) return {};
    } else if ((type & 0x70) == 0x30 && !path.empty()) {  // a file or folder
      const bool wide = (type & 0x04) != 0;
      const size_t nameAt = at + 14;
      std::string name = r.terminated(nameAt, at + size, wide);
      if (r.bad) return {};
      // The long name sits in the 0xBEEF0004 extension after the short one.
      size_t ext = nameAt + (wide ? (name.size() + 1) * 2 : name.size() + 1);
      if ((ext - at) % 2) ++ext;  // even from the item's start
      // Wine writes the same layout as version 3 with no signature.
      const uint32_t signature = ext + 8 <= at + size ? r.u32(ext + 4) : 1;
      if (!wide && (signature == 0xBEEF0004 || signature == 0)) {
        const uint16_t extSize = r.u16(ext);
        const uint16_t version = signature == 0 ? 3 : r.u16(ext + 2);
        const size_t longAt = ext + (version >= 9   ? 46
                                     : version == 8 ? 42
                                     : version == 7 ? 38
                                     : version >= 3 ? 20
                                                    : 18);
        if (ext + extSize <= at + size && longAt < ext + extSize) {
          std::string longName = r.terminated(longAt, ext + extSize, true);
          if (!r.bad && !longName.empty()) name = longName;
          r.bad = false;
        }
      }
      path = joinPath(path, name);
    } else if (type != 0x1F) {  // the computer itself is a step, anything else ends the path
      return {};
    }
    at += size;
  }
  return path;
}

std::string linkInfoPath(Reader& r, size_t at, size_t size, bool& unicode) {
  const size_t end = at + size;
  const uint32_t headerSize = r.u32(at + 4);
  const uint32_t flags = r.u32(at + 8);
  const uint32_t localOffset = r.u32(at + 16);
  const uint32_t netOffset = r.u32(at + 20);
  const uint32_t suffixOffset = r.u32(at + 24);
  if (r.bad || headerSize < 28 || headerSize > size) {
    r.bad = true;
    return {};
  }
  unicode = headerSize >= 0x24;
  std::string suffix;
  if (unicode && r.u32(at + 32) != 0)
    suffix = r.terminated(at + r.u32(at + 32), end, true);
  else if (suffixOffset != 0)
    suffix = r.terminated(at + suffixOffset, end, false);
  if (flags & 0x1) {
    std::string base;
    if (unicode && r.u32(at + 28) != 0)
      base = r.terminated(at + r.u32(at + 28), end, true);
    else
      base = r.terminated(at + localOffset, end, false);
    return joinPath(base, suffix);
  }
  if (flags & 0x2) {
    const size_t net = at + netOffset;
    const uint32_t netNameOffset = r.u32(net + 8);
    std::string name;
    if (netNameOffset > 0x14 && r.u32(net + 20) != 0)
      name = r.terminated(net + r.u32(net + 20), end, true);
    else
      name = r.terminated(net + netNameOffset, end, false);
    return joinPath(name, suffix);
  }
  return {};
}

}  // namespace

std::optional<ShellLink> ParseShellLink(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  if (bytes.size() < 0x4C || r.u32(0) != 0x4C) return std::nullopt;
  for (size_t i = 0; i < 16; ++i)
    if (bytes[4 + i] != kLinkClsid[i]) return std::nullopt;
  const uint32_t flags = r.u32(0x14);
  ShellLink link;
  size_t at = 0x4C;
  std::string idTarget;
  if (flags & flag::HasIdList) {
    const uint16_t size = r.u16(at);
    if (!r.has(at + 2, size)) return std::nullopt;
    idTarget = idListPath(r, at + 2, at + 2 + size);
    r.bad = false;  // an id list spelling no path still leaves the rest readable
    at += 2 + size;
  }
  std::string infoTarget;
  bool infoUnicode = false;
  if (flags & flag::HasLinkInfo) {
    const uint32_t size = r.u32(at);
    if (r.bad || size < 4 || !r.has(at, size)) return std::nullopt;
    infoTarget = linkInfoPath(r, at, size, infoUnicode);
    r.bad = false;
    at += size;
  }
  const bool wide = (flags & flag::IsUnicode) != 0;
  auto counted = [&](uint32_t bit) -> std::string {
    if (!(flags & bit)) return {};
    const uint16_t count = r.u16(at);
    std::string text = r.chars(at + 2, count, wide);
    at += 2 + static_cast<size_t>(count) * (wide ? 2 : 1);
    return text;
  };
  counted(flag::HasName);
  link.relativePath = counted(flag::HasRelativePath);
  link.workingDir = counted(flag::HasWorkingDir);
  link.arguments = counted(flag::HasArguments);
  counted(flag::HasIconLocation);
  if (r.bad) return std::nullopt;
  // Extra data: blocks until one smaller than 4 bytes.
  while (r.has(at, 4)) {
    const uint32_t size = r.u32(at);
    if (size < 4) break;
    if (size < 8 || !r.has(at, size)) return std::nullopt;
    if (r.u32(at + 4) == kEnvBlockSignature && size >= kEnvBlockSize) {
      std::string wideTarget = r.chars(at + 8 + 260, 260, true);
      link.envTarget = !wideTarget.empty() ? wideTarget : r.chars(at + 8, 260, false);
      if (r.bad) return std::nullopt;
    }
    at += size;
  }
  // The link info's code-page path loses what the code page cannot spell;
  // the item id list keeps long names in Unicode.
  if (!infoTarget.empty() && infoUnicode)
    link.target = infoTarget;
  else if (!idTarget.empty())
    link.target = idTarget;
  else if (!infoTarget.empty())
    link.target = infoTarget;
  else
    link.target = link.relativePath;
  return link;
}

}  // namespace kestrive
