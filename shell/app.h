// The application's window graph: the one instance of each window, opening
// as child, showing alongside, the return steps, the message-box convention
// and the end of the process. It knows windows only through the factory it
// is given, so no window's code is needed here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/window.h"

namespace kestrive {

using WindowFactory = std::function<std::shared_ptr<Window>(Shell&, WindowId)>;

class App : public Shell, public EventSink {
 public:
  App(Platform& platform, WindowFactory factory);
  ~App() override;

  // Process start: loads the start-up window and shows it.
  void start();

  // The loaded window, or null. Names that are no window's throw.
  Window* find(WindowId id) const;
  Window* find(const std::string& name) const { return find(windowIdOf(name)); }
  template <class W>
  W* find(const std::string& name) const {
    return dynamic_cast<W*>(find(name));
  }
  // Creates the window (running its load steps) when it is not loaded yet.
  Window& load(WindowId id);
  Window& load(const std::string& name) { return load(windowIdOf(name)); }
  // Destroys the window with its state; the next use creates it afresh.
  void unload(Window& window);
  std::vector<Window*> windows() const;  // loaded ones, in creation order

  Platform& platform() override { return p_; }
  int message(const std::string& text, MsgKind kind) override;
  void show(Window& w) { w.visible = true; }
  void hide(Window& w) override { w.visible = false; }
  void openChild(Window& parent, WindowId child) override;
  void showAlongside(WindowId window) override;
  void returnTo(Window& child, WindowId parent, bool unloadChild) override;
  [[noreturn]] void endProcess() override;

  // Events from a toolkit. A window unloaded by its own handler stays
  // alive until the outermost event has returned. A window that is not
  // loaded takes none, nor does a disabled window or control take a click.
  bool event(Window& window, Control& control, Event event) override;
  // The close box: the return step, then the window is unloaded whatever it did.
  void close(Window& window) override;

  // The same by name, for the tests; a name that is no window's or
  // control's throws, a window that is not loaded takes nothing.
  bool click(const std::string& window, const std::string& control) { return named(window, control, Event::Click); }
  bool tick(const std::string& window, const std::string& timer) { return named(window, timer, Event::Timer); }
  void close(const std::string& window);

 private:
  class Dispatch;
  bool named(const std::string& window, const std::string& control, Event event);
  Platform& p_;
  WindowFactory factory_;
  std::vector<std::shared_ptr<Window>> loaded_;
  std::vector<std::shared_ptr<Window>> graveyard_;
  int depth_ = 0;
};

}  // namespace kestrive
