// The messages the end-to-end scripts, benchmarks and demo wait for come from
// tools/texts.sh; each of its texts must be the program's own, byte for byte,
// or a script would wait for a box that never comes (or answer the wrong one).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "removable/blank_folder.h"
#include "shell/texts.h"

using namespace kestrive;

namespace {

// The program's texts a script may name, by the name of their constant.
#define KESTRIVE_TEXT(ns, name) \
  { #name, ns::name }
const std::map<std::string, std::string> kProgramTexts = {
    KESTRIVE_TEXT(msg, DownloadQuestion),
    KESTRIVE_TEXT(msg, ConfirmDelete),
    KESTRIVE_TEXT(msg, ConfirmScan),
    KESTRIVE_TEXT(msg, ConfirmShowAll),
    KESTRIVE_TEXT(msg, ConfirmRegistry),
    KESTRIVE_TEXT(msg, SelectDevice),
    KESTRIVE_TEXT(msg, SelectFile),
    KESTRIVE_TEXT(msg, ScanFound),
    KESTRIVE_TEXT(msg, ScanClean),
    KESTRIVE_TEXT(msg, CannotReadPrefix),
    KESTRIVE_TEXT(msg, CannotReadSuffix),
    KESTRIVE_TEXT(msg, DeleteLeftRemovable),
    KESTRIVE_TEXT(msg, DeleteLeftComputer),
    KESTRIVE_TEXT(msg, DeleteComplete),
    KESTRIVE_TEXT(msg, ComputerClean),
    KESTRIVE_TEXT(msg, ComputerFound),
    KESTRIVE_TEXT(msg, RunAsAdmin),
    KESTRIVE_TEXT(msg, CannotDeletePrefix),
    KESTRIVE_TEXT(msg, InUseRemovable),
    KESTRIVE_TEXT(msg, InUseComputer),
    KESTRIVE_TEXT(msg, SafeMode),
    KESTRIVE_TEXT(msg, ToolMissing),
    KESTRIVE_TEXT(msg, NoSubkey),
    KESTRIVE_TEXT(msg, OpenKeyErrorPrefix),
    KESTRIVE_TEXT(rd, RestoreQuestionPrefix),
    KESTRIVE_TEXT(rd, RestoreQuestionSuffix),
};
#undef KESTRIVE_TEXT

struct Sourced {
  bool ok = false;
  std::map<std::string, std::string> vars;
};

// Every variable the file defines, with its value as bash sees it after
// sourcing the file (so quoting and expansions count as in the scripts).
Sourced Source(const std::string& path) {
  // NUL-separated pairs: a text may hold any other character.
  const std::string command =
      "env -i PATH=/usr/bin:/bin bash --norc --noprofile -c '"
      "set -eu; declare -A known; for name in $(compgen -v); do known[$name]=1; done; source \"$1\"; "
      "for name in $(compgen -v); do "
      "  [ -n \"${known[$name]:-}\" ] || [ \"$name\" = known ] || [ \"$name\" = name ] || "
      "  printf \"%s\\0%s\\0\" \"$name\" \"${!name}\"; "
      "done' bash '" +
      path + "'";
  Sourced out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::string all;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) all.append(buf, n);
  out.ok = pclose(pipe) == 0;
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = all.find('\0', start)) != std::string::npos; start = end + 1) {
    parts.push_back(all.substr(start, end - start));
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) out.vars[parts[i]] = parts[i + 1];
  return out;
}

// What in the file is not a text of the program, one line a variable.
std::vector<std::string> NotTheProgramsTexts(const Sourced& file) {
  std::vector<std::string> wrong;
  for (const auto& [name, text] : file.vars) {
    auto it = kProgramTexts.find(name);
    if (it == kProgramTexts.end()) {
      wrong.push_back(name + ": the program has no text of that name");
    } else if (it->second != text) {
      wrong.push_back(name + ": \"" + text + "\" is not the program's \"" + it->second + "\"");
    }
  }
  return wrong;
}

}  // namespace

TEST(ScriptTexts, EveryTextTheScriptsWaitForIsTheProgramsOwn) {
  const Sourced file = Source(KESTRIVE_SOURCE_DIR "/tools/texts.sh");
  ASSERT_TRUE(file.ok) << "bash could not source tools/texts.sh";
  // The texts the scripts answer most; an empty read would pass vacuously.
  for (const char* name : {"ConfirmScan", "ScanFound", "ConfirmDelete", "DeleteComplete", "ComputerFound"}) {
    EXPECT_TRUE(file.vars.count(name)) << name << " is missing from tools/texts.sh";
  }
  EXPECT_EQ(NotTheProgramsTexts(file), std::vector<std::string>{});
}

// The check itself: a file with one fault in it is caught.
TEST(ScriptTexts, ATextThatDriftedIsCaught) {
  struct Case {
    const char* what;
    const char* line;
    const char* name;
  };
  const Case cases[] = {
      {"spelling mended", "ScanFound=\"Scan complete. Delete files that you don't know.\"", "ScanFound"},
      {"a trailing space", "DeleteComplete=\"Delete complete! \"", "DeleteComplete"},
      {"a name the program lacks", "ScanDone=\"Scan complete. Delete file that you don't know.\"", "ScanDone"},
      {"an expansion that changes it", "ComputerFound=\"Done. Virus $PATH detect!\"", "ComputerFound"},
      {"a part of a text", "ConfirmDelete=\"Are you sure to delete\"", "ConfirmDelete"},
  };
  const std::string path = testing::TempDir() + "kestrive_texts_case.sh";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      std::ofstream f(path, std::ios::trunc);
      f << "# a comment\nConfirmScan=\"Are you sure to scan this device?\"\n" << c.line << "\n";
    }
    const Sourced file = Source(path);
    ASSERT_TRUE(file.ok);
    const std::vector<std::string> wrong = NotTheProgramsTexts(file);
    ASSERT_EQ(wrong.size(), 1u);
    EXPECT_EQ(wrong[0].rfind(std::string(c.name) + ":", 0), 0u) << wrong[0];
  }
  std::remove(path.c_str());
}
