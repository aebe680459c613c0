// The fields of a shortcut (.lnk) file read from its bytes alone. Nothing is
// resolved or looked up: asking the shell to resolve a link can reach the
// network or start its target, and the links read here are a worm's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrive {

struct ShellLink {
  std::string target;     // from the link info, else the item id list, else the relative path; "" when none
  std::string envTarget;  // the environment-variable block's target, unexpanded; "" when none
  std::string arguments;  // UTF-8, whether stored as Unicode or in the code page
  std::string workingDir;
  std::string relativePath;
};

// nullopt when the bytes are no shortcut or a part of them runs past their
// end. Code-page strings are read as Windows-1252: the code page of the
// machine that wrote the link is not known here.
std::optional<ShellLink> ParseShellLink(const std::vector<uint8_t>& bytes);

}  // namespace kestrive
