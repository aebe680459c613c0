#include "platform/fake/fake_platform.h"

#include "platform/window.h"

namespace kestrive::fake {

void RecordingHost::created(Window& w) { events.push_back("create " + w.name()); }
void RecordingHost::destroyed(Window& w) { events.push_back("destroy " + w.name()); }

FakePlatform::FakePlatform() {
  ui.clock = &clock;
  fs.addDrive("C:\\");
  fs.addDir("C:\\Windows");
  fs.addDir("C:\\Program Files");
  fs.addDir("C:\\Kestrive");
  fs.addFile(std::string("C:\\Kestrive\\") + kToolName);
  fs.addFile("C:\\Kestrive\\kestrive.exe");
  fs.addDir("C:\\Users\\user");
  fs.cwd = "C:\\Kestrive";
  reg.addKey(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  // The stand-in tool: the system's cmd.exe running the working folder's
  // The tool with a pid ends that process, when the tool is there.
  proc.onRun = [this](const std::string& program, const std::string& cmd) {
    const std::string tool = "\"\"" + env.workingFolder() + "\\" + kToolName + "\" ";
    const size_t at = cmd.find(tool);
    if (program != env.systemFolder() + "\\cmd.exe" || at == std::string::npos || !fs.exists(kToolName)) return;
    proc.stop(static_cast<uint32_t>(std::stoul(cmd.substr(at + tool.size()))));
  };
}

std::vector<std::string> FakePlatform::messages() const {
  std::vector<std::string> out;
  for (const auto& b : ui.boxes) out.push_back(b.text);
  return out;
}

}  // namespace kestrive::fake
