// Text as Windows takes it: UTF-16, converted from and to our UTF-8.
#pragma once

#include <string>

namespace kestrive::win32 {

// UTF-8 and UTF-16, where a lone surrogate keeps its number both ways, so
// that a name read from Windows addresses the same entry when given back.
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

}  // namespace kestrive::win32
