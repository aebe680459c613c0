// The application: the one instance of each window, the window graph
// (open as child, show alongside, the return steps), the message-box
// convention and the end of the process.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/window.h"
#include "shell/texts.h"

namespace kestrive {

class App {
 public:
  explicit App(Platform& platform);
  ~App();

  Platform& p;

  // Process start: loads the start-up window and shows it.
  void start();

  // The loaded window of that name, or null.
  Window* find(const std::string& name) const;
  template <class W>
  W* find(const std::string& name) const { return dynamic_cast<W*>(find(name)); }
  // Creates the window (running its load steps) when it is not loaded yet.
  Window& load(const std::string& name);
  // Destroys the window with its state; the next use creates it afresh.
  void unload(Window& window);
  std::vector<Window*> windows() const;  // loaded ones, in creation order

  void show(Window& w) { w.visible = true; }
  void hide(Window& w) { w.visible = false; }
  void openChild(Window& parent, const std::string& child);
  void showAlongside(const std::string& name);
  // Back, Ok or Cancel of a child: unload or hide it, bring the parent back.
  void returnTo(Window& child, const std::string& parent, bool unloadChild);

  [[noreturn]] void endProcess();
  int message(const std::string& text, MsgKind kind);
  bool ask(const std::string& text) { return message(text, MsgKind::Question) == mb::IdYes; }

  // Events from a toolkit or a test. A window unloaded by its own handler
  // stays alive until the outermost event has returned.
  bool click(const std::string& window, const std::string& control) { return event(window, control, "Click"); }
  bool tick(const std::string& window, const std::string& timer) { return event(window, timer, "Timer"); }
  bool event(const std::string& window, const std::string& control, const std::string& eventName);
  // The close box: the return step, then the window is unloaded whatever it did.
  void close(const std::string& window);

 private:
  class Dispatch;
  std::shared_ptr<Window> create(const std::string& name);
  std::vector<std::shared_ptr<Window>> loaded_;
  std::vector<std::shared_ptr<Window>> graveyard_;
  int depth_ = 0;
};

}  // namespace kestrive
