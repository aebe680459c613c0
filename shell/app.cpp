#include "shell/app.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "shell/texts.h"

namespace kestrive {

class App::Dispatch {
 public:
  explicit Dispatch(App& app) : app_(app) { ++app_.depth_; }
  ~Dispatch() {
    if (--app_.depth_ == 0) app_.graveyard_.clear();
  }

 private:
  App& app_;
};

App::App(Platform& platform, WindowFactory factory) : p_(platform), factory_(std::move(factory)) {}
App::~App() = default;

void App::start() {
  Dispatch d(*this);
  Window& first = load(WindowId::First);
  // The window becomes visible only once its load steps are over.
  if (first.loaded()) show(first);
}

Window* App::find(WindowId id) const {
  for (const auto& w : loaded_)
    if (w->id() == id) return w.get();
  return nullptr;
}

Window& App::load(WindowId id) {
  if (Window* w = find(id)) return *w;
  Dispatch d(*this);
  std::shared_ptr<Window> w = factory_(*this, id);
  if (!w || w->id() != id) throw std::logic_error(std::string("no window made for ") + windowName(id));
  setLoaded(*w, true);
  loaded_.push_back(w);
  p_.host.created(*w);
  w->Form_Load();
  return *w;
}

void App::unload(Window& window) {
  auto it = std::find_if(loaded_.begin(), loaded_.end(), [&](const auto& w) { return w.get() == &window; });
  if (it == loaded_.end()) return;
  std::shared_ptr<Window> keep = *it;
  loaded_.erase(it);
  setLoaded(*keep, false);
  p_.host.destroyed(*keep);
  if (depth_ > 0) graveyard_.push_back(std::move(keep));
}

std::vector<Window*> App::windows() const {
  std::vector<Window*> out;
  for (const auto& w : loaded_) out.push_back(w.get());
  return out;
}

void App::openChild(Window& parent, WindowId child) {
  parent.enabled = false;
  hide(parent);
  Window& c = load(child);
  if (c.loaded()) show(c);
}

void App::showAlongside(WindowId window) {
  Window& w = load(window);
  if (w.loaded()) show(w);
}

void App::returnTo(Window& child, WindowId parent, bool unloadChild) {
  if (unloadChild)
    unload(child);
  else
    hide(child);
  if (Window* w = find(parent)) {
    w->enabled = true;
    show(*w);
  }
}

void App::endProcess() {
  p_.ui.endProcess();
  std::terminate();  // a platform whose end returned
}

int App::message(const std::string& text, MsgKind kind) {
  return p_.ui.messageBox(text, app_name, static_cast<uint32_t>(kind));
}

bool App::event(Window& window, Control& control, Event event) {
  Dispatch d(*this);
  if (!window.loaded()) return false;
  // A disabled control or window takes no clicks, whoever sends them.
  if (event == Event::Click && (!window.enabled || !control.enabled)) return false;
  std::shared_ptr<Window> keep = window.shared_from_this();
  return keep->fire(control, event);
}

void App::close(Window& window) {
  Dispatch d(*this);
  if (!window.loaded()) return;
  std::shared_ptr<Window> keep = window.shared_from_this();
  keep->Form_Unload();
  if (keep->loaded()) unload(*keep);
}

bool App::named(const std::string& window, const std::string& control, Event event) {
  Window* w = find(window);
  return w && this->event(*w, w->ctl(control), event);
}

void App::close(const std::string& window) {
  if (Window* w = find(window)) close(*w);
}

}  // namespace kestrive
