// Where a process keeps the command line it was started with, as Windows
// lays it out in the process's memory. Written once for the 32-bit and the
// 64-bit layout, and for any reader of that memory: our own process's
// ReadProcessMemory, or the WOW64 calls that reach a 64-bit process from a
// 32-bit one.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrive::win32 {

// The command line of the process whose PEB lies at peb; "" when any part of
// it cannot be read. read(at, out, size) gives exactly size bytes of that
// process's memory or fails. The layouts are Windows' own: the parameters'
// address in the PEB, then the command line's UNICODE_STRING in the
// parameters (its length in bytes, then where its characters lie).
template <typename Read>
std::u16string commandLineAt(Read read, uint64_t peb, bool target32) {
  const uint64_t paramsAt = target32 ? 0x10 : 0x20, commandAt = target32 ? 0x40 : 0x70;
  const size_t pointer = target32 ? 4 : 8;  // the size of an address in that process
  // A 4-byte address is read into the low half of a zeroed 8-byte one.
  static_assert(std::endian::native == std::endian::little);
  uint64_t params = 0, buffer = 0;
  uint16_t length = 0;
  if (!read(peb + paramsAt, &params, pointer) || !read(params + commandAt, &length, sizeof length) ||
      !read(params + commandAt + pointer, &buffer, pointer))
    return {};
  std::u16string text(length / sizeof(char16_t), u'\0');
  if (!text.empty() && !read(buffer, text.data(), text.size() * sizeof(char16_t))) return {};
  return text;
}

}  // namespace kestrive::win32
