// UTF-8 text helpers shared by the windows' logic.
#pragma once

#include <string>
#include <vector>

namespace kestrive {

// Lower case for name tests: ASCII, Latin-1, Greek and Cyrillic capitals.
std::string lower(const std::string& s);
bool contains(const std::string& text, const std::string& fragment);
bool containsNoCase(const std::string& text, const std::string& fragment);
bool equalsNoCase(const std::string& a, const std::string& b);
// Splits at every occurrence of the separator.
std::vector<std::string> split(const std::string& text, const std::string& separator);
// Appends one code point (lone surrogates included) in UTF-8.
void appendUtf8(std::string& out, char32_t c);
// The text up to, not including, its first NUL.
std::string TrimAtNul(const std::string& text);

}  // namespace kestrive
