// The environment of a standard machine, every answer a member a test can change.
#pragma once

#include <map>
#include <string>

#include "platform/fake/fake_fs.h"
#include "platform/platform.h"

namespace kestrive::fake {

class FakeEnv : public Env {
 public:
  explicit FakeEnv(FakeFs& fs) : fs_(fs) {}
  bool previous = false;
  std::string exe = "kestrive";
  std::string profile = "C:\\Users\\user";
  std::string system = "C:\\Windows\\system32";
  // Names are matched ignoring case, as Windows does.
  std::map<std::string, std::string> variables = {{"USERPROFILE", "C:\\Users\\user"},
                                                  {"SYSTEMROOT", "C:\\Windows"},
                                                  {"APPDATA", "C:\\Users\\user\\AppData\\Roaming"},
                                                  {"LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local"},
                                                  {"TEMP", "C:\\Users\\user\\AppData\\Local\\Temp"}};
  std::string startup = "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup";
  bool twoViews = true;
  bool previousInstance() override { return previous; }
  std::string exeBaseName() override { return exe; }
  std::string profileFolder() override { return profile; }
  std::string systemFolder() override { return system; }
  std::string workingFolder() override { return fs_.cwd; }
  std::string expand(const std::string& text) override;
  std::string variable(const std::string& name) override;
  std::string startupFolder() override { return startup; }
  bool twoRegistryViews() override { return twoViews; }

 private:
  FakeFs& fs_;
};

}  // namespace kestrive::fake
