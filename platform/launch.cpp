#include "platform/launch.h"

#include <array>

#include "platform/text.h"

namespace kestrive {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits at blanks outside quotes; quotes group and are dropped. Windows'
// backslash rules before quotes are left out: paths never end in one here.
std::vector<std::string> tokens(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (isBlank(c) && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) out.push_back(cur);
  return out;
}

std::string trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The file name without folder and extension, lower case: "cmd" for
// "%windir%\system32\CMD.EXE".
std::string hostName(const std::string& program) {
  std::string name = program;
  const size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  return lower(name);
}

// The first token of a text and what follows it.
std::pair<std::string, std::string> firstToken(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && isBlank(text[at])) ++at;
  std::string token;
  bool quoted = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (isBlank(c) && !quoted) break;
    token += c;
  }
  return {token, at < text.size() ? text.substr(at) : std::string()};
}

// cmd splits its line into commands at &, &&, || and | outside quotes; ^
// makes the next character plain.
std::vector<std::string> cmdCommands(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '^' && !quoted && i + 1 < line.size()) {
      cur += line[++i];
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (!quoted && (c == '&' || c == '|')) {
      out.push_back(cur);
      cur.clear();
      if (i + 1 < line.size() && line[i + 1] == c) ++i;
      continue;
    }
    cur += c;
  }
  out.push_back(cur);
  return out;
}

const std::array<const char*, 40> kCmdBuiltins = {
    "assoc", "break",  "call",     "cd",    "chdir",    "cls",   "color",  "copy",  "date", "del",
    "dir",   "echo",   "endlocal", "erase", "exit",     "for",   "ftype",  "goto",  "if",   "md",
    "mkdir", "mklink", "move",     "path",  "pause",    "popd",  "prompt", "pushd", "rd",   "rem",
    "ren",   "rename", "rmdir",    "set",   "setlocal", "shift", "time",   "title", "type", "ver"};

bool isBuiltin(const std::string& word) {
  const std::string w = lower(word);
  for (const char* b : kCmdBuiltins)
    if (w == b) return true;
  return w == "vol" || w == "verify" || w.rfind("echo.", 0) == 0;
}

// start's switches: those taking a value take the next token.
bool startSwitchTakesValue(const std::string& sw) {
  const std::string s = lower(sw);
  return s == "/d" || s == "/node" || s == "/affinity";
}

void handCmd(const std::string& arguments, Launch& out, int depth);

// One command of a cmd line: `start [title] [switches] file ...` or `file ...`.
void handCommand(std::string command, Launch& out, int depth) {
  command = trimmed(command);
  // A group's brackets: "(start a & start b)".
  while (!command.empty() && (command.front() == '(' || command.front() == '@')) command = trimmed(command.substr(1));
  while (!command.empty() && command.back() == ')') command = trimmed(command.substr(0, command.size() - 1));
  if (command.empty()) return;
  auto [word, rest] = firstToken(command);
  if (equalsNoCase(word, "start")) {
    // A first argument in quotes is the window's title.
    std::string args = trimmed(rest);
    if (!args.empty() && args.front() == '"') args = firstToken(args).second;
    for (;;) {
      auto [token, after] = firstToken(args);
      if (token.empty()) return;
      if (token.front() == '/') {
        args = startSwitchTakesValue(token) ? firstToken(after).second : after;
        continue;
      }
      word = token;
      rest = after;
      break;
    }
  } else if (isBuiltin(word)) {
    return;
  }
  if (word.empty()) return;
  out.handed.push_back(word);
  // A host started from the line hands its own files on.
  if (depth < 4) {
    Launch inner = LaunchOf(word, rest);
    if (inner.host == "cmd")
      handCmd(rest, out, depth + 1);
    else
      for (std::string& f : inner.handed) out.handed.push_back(f);
  }
}

void handCmd(const std::string& arguments, Launch& out, int depth) {
  // Switches up to /c or /k; without one cmd runs nothing given to it.
  std::string rest = arguments;
  for (;;) {
    size_t at = 0;
    while (at < rest.size() && isBlank(rest[at])) ++at;
    if (at >= rest.size() || rest[at] != '/') return;
    size_t end = at;
    while (end < rest.size() && !isBlank(rest[end]) && rest[end] != '"') ++end;
    const std::string sw = lower(rest.substr(at, end - at));
    if (sw.rfind("/c", 0) == 0 || sw.rfind("/k", 0) == 0) {
      rest = rest.substr(at + 2);
      break;
    }
    rest = rest.substr(end);
  }
  std::string line = trimmed(rest);
  // A line in quotes loses its first and its last quote.
  if (!line.empty() && line.front() == '"') {
    const size_t last = line.rfind('"');
    line = last > 0 ? line.substr(1, last - 1) + line.substr(last + 1) : line.substr(1);
  }
  for (const std::string& command : cmdCommands(line)) handCommand(command, out, depth);
}

// The first token not starting with '/' (or '-' where given).
void handFirstNonSwitch(const std::vector<std::string>& args, Launch& out, bool dashes = false) {
  for (const std::string& a : args) {
    if (a.empty() || a.front() == '/' || (dashes && a.front() == '-')) continue;
    out.handed.push_back(a);
    return;
  }
}

void handRundll32(const std::string& arguments, Launch& out) {
  std::string args = trimmed(arguments);
  std::string file;
  if (!args.empty() && args.front() == '"') {
    const size_t close = args.find('"', 1);
    file = args.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    const size_t end = args.find_first_of(", \t");
    file = args.substr(0, end);
  }
  if (!file.empty()) out.handed.push_back(file);
}

void handPowershell(const std::vector<std::string>& args, bool pwsh, Launch& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string a = lower(args[i]);
    // -File and its abbreviations down to -f, with / or - before it.
    const bool file = a.size() >= 2 && (a[0] == '-' || a[0] == '/') && std::string("file").rfind(a.substr(1), 0) == 0;
    if (file && i + 1 < args.size()) {
      out.handed.push_back(args[i + 1]);
      return;
    }
  }
  // pwsh takes a first argument that is no parameter as the file to run.
  if (pwsh && !args.empty() && !args[0].empty() && args[0].front() != '-' && args[0].front() != '/')
    out.handed.push_back(args[0]);
}

}  // namespace

Launch LaunchOf(const std::string& program, const std::string& arguments) {
  Launch out;
  out.program = program;
  const std::string name = hostName(program);
  if (name == "cmd") {
    out.host = name;
    handCmd(arguments, out, 0);
  } else if (name == "wscript" || name == "cscript" || name == "mshta") {
    out.host = name;
    handFirstNonSwitch(tokens(arguments), out);
  } else if (name == "rundll32") {
    out.host = name;
    handRundll32(arguments, out);
  } else if (name == "regsvr32") {
    out.host = name;
    for (const std::string& a : tokens(arguments))
      if (!a.empty() && a.front() != '/' && a.front() != '-') out.handed.push_back(a);
  } else if (name == "powershell" || name == "pwsh") {
    out.host = name;
    handPowershell(tokens(arguments), name == "pwsh", out);
  }
  return out;
}

Launch LaunchOfCommandLine(const std::string& commandLine) {
  size_t at = 0;
  while (at < commandLine.size() && isBlank(commandLine[at])) ++at;
  std::string program, rest;
  if (at < commandLine.size() && commandLine[at] == '"') {
    const size_t close = commandLine.find('"', at + 1);
    program = commandLine.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
    rest = close == std::string::npos ? std::string() : commandLine.substr(close + 1);
  } else {
    const std::string low = lower(commandLine);
    size_t end = std::string::npos;
    for (size_t hit = low.find(".exe", at); hit != std::string::npos; hit = low.find(".exe", hit + 1)) {
      size_t e = hit + 4;
      while (e < low.size() && low[e] == '.') ++e;
      if (e == low.size() || isBlank(low[e])) {
        end = e;
        break;
      }
    }
    if (end == std::string::npos) {
      end = at;
      while (end < commandLine.size() && !isBlank(commandLine[end])) ++end;
    }
    program = commandLine.substr(at, end - at);
    rest = commandLine.substr(end);
  }
  return LaunchOf(program, rest);
}

bool RunsAsProgram(const std::string& path) {
  static const std::array<const char*, 15> kRun = {"exe", "com", "bat", "cmd", "pif", "scr", "vbs", "vbe",
                                                   "js",  "jse", "wsf", "wsh", "hta", "msi", "cpl"};
  const size_t slash = path.find_last_of("\\/");
  std::string name = lower(slash == std::string::npos ? path : path.substr(slash + 1));
  // Windows drops trailing dots and blanks of a name: "x.exe." runs x.exe.
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string ext = name.substr(dot + 1);
  for (const char* e : kRun)
    if (ext == e) return true;
  return false;
}

}  // namespace kestrive
