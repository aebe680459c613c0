// Which program a shortcut or start-up entry starts, and which files it hands
// to a command interpreter or a script or DLL host. Pure text: nothing is
// expanded, resolved or looked up, as the text is a worm's.
#pragma once

#include <string>
#include <vector>

namespace kestrive {

struct Launch {
  std::string program;              // as given (may hold %VARS%, may be relative)
  std::string host;                 // the host program's name in lower case ("cmd", "rundll32"), "" for none
  std::vector<std::string> handed;  // files given to the host, as written, without their quotes
};

// The hosts: cmd (/c and /k: each command of a &, &&, || or | chain, `start`
// with its title and switches skipped; a host started by cmd adds what it is
// handed), wscript and cscript (switches skipped), mshta, rundll32 ("file,entry"),
// regsvr32 (its switches skipped, every DLL), powershell and pwsh (-File,
// -f; pwsh's first argument too). The host is known by its file name without
// folder and extension, letter case ignored. A program that is no host hands
// nothing.
Launch LaunchOf(const std::string& program, const std::string& arguments);

// For a whole command line (a Run value): the program is the first token in
// quotes, else the text up to the first ".exe" that ends a token, else the
// first token; then LaunchOf on the rest.
Launch LaunchOfCommandLine(const std::string& commandLine);

// Windows starts the file as a program or script when opened, judged by its
// extension (exe, com, bat, cmd, pif, scr, vbs, vbe, js, jse, wsf, wsh, hta,
// msi, cpl); a document or a folder is opened, not run.
bool RunsAsProgram(const std::string& path);

}  // namespace kestrive
