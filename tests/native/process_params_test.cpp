// Another process's command line read from its memory, for both layouts.
// The 32-bit one cannot be reached on the test machine (no 32-bit processes
// under its Wine), so its offsets and address size are checked here against
// a memory image laid out as Windows lays it out.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/process_params.h"

using kestrive::win32::commandLineAt;

namespace {

// A process's memory: only the bytes put there can be read.
struct Memory {
  std::map<uint64_t, uint8_t> bytes;

  void put(uint64_t at, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  }
  void putText(uint64_t at, const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) put(at + 2 * i, text[i], 2);
  }
  bool read(uint64_t at, void* out, size_t size) const {
    std::vector<uint8_t> got(size);
    for (size_t i = 0; i < size; ++i) {
      auto b = bytes.find(at + i);
      if (b == bytes.end()) return false;
      got[i] = b->second;
    }
    std::memcpy(out, got.data(), size);
    return true;
  }
};

struct Layout {
  bool target32;
  uint64_t paramsAt, lengthAt, bufferAt;  // the PEB's field, then the parameters' two
  size_t pointer;
};
constexpr Layout k64{false, 0x20, 0x70, 0x78, 8};
constexpr Layout k32{true, 0x10, 0x40, 0x44, 4};

// The process's PEB at peb, its parameters at params and the characters at
// buffer; a 32-bit process's addresses are followed by bytes that are no
// part of them, which a read of 8 would take in.
Memory image(const Layout& l, uint64_t peb, uint64_t params, uint64_t buffer, const std::u16string& text,
             uint16_t length) {
  Memory m;
  m.put(peb + l.paramsAt, params, l.pointer);
  m.put(params + l.lengthAt, length, 2);
  m.put(params + l.bufferAt, buffer, l.pointer);
  if (l.target32) {
    m.put(peb + l.paramsAt + 4, 0xFFFFFFFF, 4);
    m.put(params + l.bufferAt + 4, 0xFFFFFFFF, 4);
  }
  m.putText(buffer, text);
  return m;
}

}  // namespace

TEST(ProcessParams, CommandLineOfEachLayout) {
  const std::u16string line = u"\"C:\\Users\\Фото\\x.exe\" /c 😀";
  const auto bytes = static_cast<uint16_t>(line.size() * 2);
  struct Case {
    const char* what;
    Layout layout;
    uint64_t peb, params, buffer;
    uint16_t length;
    bool unreadableText;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"64-bit, above 4 GiB", k64, 0x7FF6'0000'1000, 0x1'0000'2000, 0x2'0000'3000, bytes, false, line},
      {"32-bit", k32, 0x7EFD'E000, 0x0040'2000, 0x0050'3000, bytes, false, line},
      {"empty", k64, 0x1000, 0x2000, 0x3000, 0, false, u""},
      {"odd length: the last byte is no character", k32, 0x1000, 0x2000, 0x3000, 5, false, line.substr(0, 2)},
      {"characters not readable", k64, 0x1000, 0x2000, 0x3000, bytes, true, u""},
      {"longer than what is there", k32, 0x1000, 0x2000, 0x3000, static_cast<uint16_t>(bytes + 2), false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Memory m = image(c.layout, c.peb, c.params, c.buffer, c.unreadableText ? u"" : line, c.length);
    const auto read = [&m](uint64_t at, void* out, size_t size) { return m.read(at, out, size); };
    EXPECT_EQ(commandLineAt(read, c.peb, c.layout.target32), c.expected);
  }
}

TEST(ProcessParams, NothingWhenTheParametersCannotBeFound) {
  Memory m = image(k64, 0x1000, 0x2000, 0x3000, u"x", 2);
  const auto read = [&m](uint64_t at, void* out, size_t size) { return m.read(at, out, size); };
  // Read with the other layout, the same memory points nowhere.
  EXPECT_EQ(commandLineAt(read, 0x1000, true), u"");
  EXPECT_EQ(commandLineAt(read, 0x5000, false), u"");  // no PEB there
}
