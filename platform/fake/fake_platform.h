// In-memory platform for tests: file system, registry, process table,
// clock and scripted message boxes. Every call that changes something is
// recorded in `log`, so a test can check the exact sequence.
#pragma once

#include <string>
#include <vector>

#include "platform/fake/fake_env.h"
#include "platform/fake/fake_fs.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_ui.h"
#include "platform/fake/log.h"
#include "platform/platform.h"

namespace kestrive::fake {

class RecordingHost : public WindowHost {
 public:
  void created(Window& w) override;
  void destroyed(Window& w) override;
  std::vector<std::string> events;
};

// Everything together, with the standard machine: a system drive C:\ holding
// Windows and Program Files, the working directory C:\Kestrive holding
// pskill.exe, and the profile folder C:\Users\user.
struct FakePlatform {
  FakePlatform();
  Log log;
  FakeFs fs{log};
  FakeRegistry reg{log};
  FakeProcesses proc{log};
  FakeUi ui{log};
  FakeClock clock;
  FakeEnv env{fs};
  RecordingHost host;
  Platform platform{fs, reg, proc, ui, clock, env, host};

  // The texts of the message boxes shown so far.
  std::vector<std::string> messages() const;
};

}  // namespace kestrive::fake
