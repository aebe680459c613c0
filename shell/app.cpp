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

App::App(Platform& platform, WindowFactory factory) : p(platform), factory_(std::move(factory)) {}
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
  w->loaded_ = true;
  loaded_.push_back(w);
  p.host.created(*w);
  w->Form_Load();
  return *w;
}

void App::unload(Window& window) {
  auto it = std::find_if(loaded_.begin(), loaded_.end(), [&](const auto& w) { return w.get() == &window; });
  if (it == loaded_.end()) return;
  std::shared_ptr<Window> keep = *it;
  loaded_.erase(it);
  keep->loaded_ = false;
  keep->visible = false;
  for (Control* c : keep->controls_)
    if (c->kind == Kind::Timer) c->interval = 0;
  p.host.destroyed(*keep);
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
  p.ui.endProcess();
  std::terminate();  // a platform whose end returned
}

int App::message(const std::string& text, MsgKind kind) {
  return p.ui.messageBox(text, app_name, static_cast<uint32_t>(kind));
}

bool App::event(const std::string& window, const std::string& control, const std::string& eventName) {
  Dispatch d(*this);
  Window* w = find(window);
  if (!w) return false;
  // A disabled control or window takes no clicks, whoever sends them.
  if (eventName == "Click" && (!w->enabled || !w->ctl(control).enabled)) return false;
  std::shared_ptr<Window> keep = w->shared_from_this();
  return keep->fire(control, eventName);
}

void App::close(const std::string& window) {
  Dispatch d(*this);
  Window* w = find(window);
  if (!w) return;
  std::shared_ptr<Window> keep = w->shared_from_this();
  keep->Form_Unload();
  if (keep->loaded()) unload(*keep);
}

}  // namespace kestrive
