#include "shell/app.h"

#include <algorithm>
#include <exception>

#include "computer/frm_c.h"
#include "policy/frm_rm.h"
#include "removable/frm_rd.h"
#include "shell/frm_first.h"
#include "shell/info_windows.h"

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

App::App(Platform& platform) : p(platform) {}
App::~App() = default;

std::shared_ptr<Window> App::create(const std::string& name) {
  if (name == "frm_first") return std::make_shared<FrmFirst>(*this);
  if (name == "frm_rd") return std::make_shared<FrmRd>(*this);
  if (name == "frm_c") return std::make_shared<FrmC>(*this);
  if (name == "frm_RM") return std::make_shared<FrmRM>(*this);
  if (name == "frm_help") return std::make_shared<FrmHelp>(*this);
  if (name == "frm_h") return std::make_shared<FrmH>(*this);
  if (name == "frm_about") return std::make_shared<FrmAbout>(*this);
  if (name == "frm_u") return std::make_shared<FrmU>(*this);
  if (name == "frm_op") return std::make_shared<FrmOp>(*this);
  return nullptr;
}

void App::start() {
  Dispatch d(*this);
  Window& first = load("frm_first");
  // The window becomes visible only once its load steps are over.
  if (first.loaded()) show(first);
}

Window* App::find(const std::string& name) const {
  for (const auto& w : loaded_)
    if (w->name() == name) return w.get();
  return nullptr;
}

Window& App::load(const std::string& name) {
  if (Window* w = find(name)) return *w;
  Dispatch d(*this);
  std::shared_ptr<Window> w = create(name);
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
  for (auto& c : keep->controls_)
    if (c->kind == Kind::Timer) c->interval = 0;
  p.host.destroyed(*keep);
  if (depth_ > 0) graveyard_.push_back(std::move(keep));
}

std::vector<Window*> App::windows() const {
  std::vector<Window*> out;
  for (const auto& w : loaded_) out.push_back(w.get());
  return out;
}

void App::openChild(Window& parent, const std::string& child) {
  parent.enabled = false;
  hide(parent);
  Window& c = load(child);
  if (c.loaded()) show(c);
}

void App::showAlongside(const std::string& name) {
  Window& w = load(name);
  if (w.loaded()) show(w);
}

void App::returnTo(Window& child, const std::string& parent, bool unloadChild) {
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
  if (eventName == "Click" && (!w->enabled || (w->has(control) && !w->ctl(control).enabled))) return false;
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
