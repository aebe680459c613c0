// Shortcut files written byte by byte, as a worm's tool may write them: the
// forms the shell itself never produces (a target only in the
// environment-variable block, strings in the code page) and broken ones.
// Shared by the native tests and the Wine test programs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrive::test {

struct LinkSpec {
  std::string localPath{};  // link info's local base path; "" for no link info
  bool infoUnicode = false;
  std::string idListPath{};  // "C:\dir\file": a drive item and one item per part; "" for no list
  std::string relativePath{}, workingDir{}, arguments{};
  std::string envTarget{};  // the environment-variable block's target; "" for none
  bool unicode = true;      // string data in UTF-16, else in the code page (Latin-1 characters only)
};

namespace link_detail {

inline std::u16string Utf16(const std::string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (size_t k = 1; k < len && i + k < s.size(); ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

// Latin-1 bytes for the characters below U+0100; anything else becomes '?'.
inline std::string Latin1(const std::string& s) {
  std::string out;
  for (char16_t c : Utf16(s)) out += c < 0x100 ? static_cast<char>(c) : '?';
  return out;
}

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
inline void PutWide(std::vector<uint8_t>& b, const std::string& s, bool nul = true) {
  for (char16_t c : Utf16(s)) Put16(b, c);
  if (nul) Put16(b, 0);
}
inline void PutNarrow(std::vector<uint8_t>& b, const std::string& s, bool nul = true) {
  for (char c : Latin1(s)) b.push_back(static_cast<uint8_t>(c));
  if (nul) b.push_back(0);
}

}  // namespace link_detail

inline std::vector<uint8_t> LinkBytes(const LinkSpec& spec) {
  using namespace link_detail;
  std::vector<uint8_t> b;
  uint32_t flags = 0;
  if (!spec.idListPath.empty()) flags |= 0x1;
  if (!spec.localPath.empty()) flags |= 0x2;
  if (!spec.relativePath.empty()) flags |= 0x8;
  if (!spec.workingDir.empty()) flags |= 0x10;
  if (!spec.arguments.empty()) flags |= 0x20;
  if (spec.unicode) flags |= 0x80;
  if (!spec.envTarget.empty()) flags |= 0x200;
  Put32(b, 0x4C);
  const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  b.insert(b.end(), clsid, clsid + 16);
  Put32(b, flags);
  b.resize(0x4C, 0);
  if (!spec.idListPath.empty()) {
    std::vector<uint8_t> list;
    // My Computer, then the drive, then each part as a file item in the code page.
    const uint8_t computer[] = {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                                0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    list.insert(list.end(), computer, computer + sizeof computer);
    const std::string& p = spec.idListPath;
    std::vector<uint8_t> drive = {0, 0, 0x2F};
    PutNarrow(drive, p.substr(0, 3));
    drive.resize(25, 0);
    drive[0] = static_cast<uint8_t>(drive.size());
    list.insert(list.end(), drive.begin(), drive.end());
    size_t at = 3;
    while (at < p.size()) {
      size_t end = p.find('\\', at);
      if (end == std::string::npos) end = p.size();
      std::vector<uint8_t> item = {0, 0, static_cast<uint8_t>(end == p.size() ? 0x32 : 0x31), 0};
      item.resize(14, 0);
      PutNarrow(item, p.substr(at, end - at));
      if (item.size() % 2) item.push_back(0);
      item[0] = static_cast<uint8_t>(item.size() & 0xFF);
      item[1] = static_cast<uint8_t>(item.size() >> 8);
      list.insert(list.end(), item.begin(), item.end());
      at = end + 1;
    }
    Put16(list, 0);
    Put16(b, static_cast<uint32_t>(list.size()));
    b.insert(b.end(), list.begin(), list.end());
  }
  if (!spec.localPath.empty()) {
    std::vector<uint8_t> info;
    const uint32_t header = spec.infoUnicode ? 0x24 : 0x1C;
    std::vector<uint8_t> volume;
    Put32(volume, 0x11);  // size
    Put32(volume, 3);     // fixed drive
    Put32(volume, 0x1234);
    Put32(volume, 0x10);  // label offset
    volume.push_back(0);
    std::vector<uint8_t> base, suffix, wideBase, wideSuffix;
    PutNarrow(base, spec.localPath);
    suffix.push_back(0);
    PutWide(wideBase, spec.localPath);
    Put16(wideSuffix, 0);
    const uint32_t volumeAt = header;
    const uint32_t baseAt = volumeAt + static_cast<uint32_t>(volume.size());
    const uint32_t suffixAt = baseAt + static_cast<uint32_t>(base.size());
    const uint32_t wideBaseAt = suffixAt + static_cast<uint32_t>(suffix.size());
    const uint32_t wideSuffixAt = wideBaseAt + static_cast<uint32_t>(wideBase.size());
    const uint32_t total = spec.infoUnicode ? wideSuffixAt + static_cast<uint32_t>(wideSuffix.size()) : wideBaseAt;
    Put32(info, total);
    Put32(info, header);
    Put32(info, 1);  // volume id and local base path
    Put32(info, volumeAt);
    Put32(info, baseAt);
    Put32(info, 0);
    Put32(info, suffixAt);
    if (spec.infoUnicode) {
      Put32(info, wideBaseAt);
      Put32(info, wideSuffixAt);
    }
    info.insert(info.end(), volume.begin(), volume.end());
    info.insert(info.end(), base.begin(), base.end());
    info.insert(info.end(), suffix.begin(), suffix.end());
    if (spec.infoUnicode) {
      info.insert(info.end(), wideBase.begin(), wideBase.end());
      info.insert(info.end(), wideSuffix.begin(), wideSuffix.end());
    }
    b.insert(b.end(), info.begin(), info.end());
  }
  for (const std::string* s : {&spec.relativePath, &spec.workingDir, &spec.arguments}) {
    if (s->empty()) continue;
    if (spec.unicode) {
      Put16(b, static_cast<uint32_t>(Utf16(*s).size()));
      PutWide(b, *s, false);
    } else {
      Put16(b, static_cast<uint32_t>(Latin1(*s).size()));
      PutNarrow(b, *s, false);
    }
  }
  if (!spec.envTarget.empty()) {
    std::vector<uint8_t> block;
    Put32(block, 0x314);
    Put32(block, 0xA0000001);
    PutNarrow(block, spec.envTarget);
    block.resize(8 + 260, 0);
    PutWide(block, spec.envTarget);
    block.resize(0x314, 0);
    b.insert(b.end(), block.begin(), block.end());
  }
  Put32(b, 0);  // terminal block
  return b;
}

}  // namespace kestrive::test
