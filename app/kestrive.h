// The composition root: the one place that knows every window of the
// program and makes them for the window graph.
#pragma once

#include <memory>

#include "shell/app.h"

namespace kestrive {

std::shared_ptr<Window> MakeWindow(Shell& shell, WindowId id);

// The application with all of its windows.
class Kestrive : public App {
 public:
  explicit Kestrive(Platform& platform) : App(platform, MakeWindow) {}
};

}  // namespace kestrive
