#include "platform/window.h"

#include <stdexcept>

#include "platform/platform.h"

namespace kestrive {

std::string Control::text() const {
  if (listIndex < 0 || listIndex >= static_cast<int>(items.size())) return {};
  return items[listIndex].text;
}

bool Control::add(std::string text, std::string data, std::string command) {
  if (static_cast<int>(items.size()) >= kMaxListEntries) return false;
  items.push_back(Item{std::move(text), false, std::move(data), std::move(command)});
  return true;
}

void Control::clear() {
  items.clear();
  listIndex = -1;
}

int Control::markedCount() const {
  int n = 0;
  for (const Item& item : items) n += item.marked ? 1 : 0;
  return n;
}

void Control::setAllMarks(bool marked) {
  for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) items[i].marked = marked;
}

namespace {

struct NamedWindow {
  WindowId id;
  const char* name;
};
constexpr NamedWindow kWindows[] = {
    {WindowId::First, "frm_first"},        {WindowId::Removable, "frm_rd"}, {WindowId::Computer, "frm_c"},
    {WindowId::RegistryManager, "frm_RM"}, {WindowId::Help, "frm_help"},    {WindowId::History, "frm_h"},
    {WindowId::About, "frm_about"},        {WindowId::Update, "frm_u"},     {WindowId::Options, "frm_op"},
};

}  // namespace

std::string MarkedCaption(const Control& c) {
  std::string text;
  for (char ch : c.caption) {
    if (ch == '&') text += '&';
    text += ch;
  }
  if (c.accessKey) {
    size_t at = text.find(c.accessKey);
    if (at != std::string::npos && (at == 0 || text[at - 1] != '&')) text.insert(at, 1, '&');
  }
  return text;
}

const char* windowName(WindowId id) {
  for (const NamedWindow& w : kWindows)
    if (w.id == id) return w.name;
  throw std::invalid_argument("no such window id");
}

WindowId windowIdOf(const std::string& name) {
  for (const NamedWindow& w : kWindows)
    if (name == w.name) return w.id;
  throw std::invalid_argument("no window named " + name);
}

bool Shell::ask(const std::string& text) { return message(text, MsgKind::Question) == mb::IdYes; }

void Shell::setLoaded(Window& w, bool loaded) {
  w.loaded_ = loaded;
  if (loaded) return;
  w.visible = false;
  for (Control* c : w.controls_)
    if (c->kind == Kind::Timer) c->interval = 0;
}

Window::Window(Shell& shell, WindowId id) : shell_(shell), id_(id), name_(windowName(id)) {}

Control& Window::add(Kind kind, std::string name, std::string caption, Control* parent, std::string tip) {
  if (byName_.count(name)) throw std::logic_error(name_ + " declares " + name + " twice");
  auto c = std::make_unique<Control>();
  c->name = name;
  c->kind = kind;
  // An '&' marks the access key, as in a resource script; "&&" is an '&'.
  size_t marked = std::string::npos;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&' && !c->accessKey) {
        c->accessKey = caption[i];
        marked = c->caption.size();
      }
    }
    c->caption += caption[i];
  }
  // The key is kept as a letter, shown on its first place in the caption.
  if (c->accessKey && c->caption.find(c->accessKey) != marked)
    throw std::logic_error(name_ + "." + name + " marks a letter that stands earlier in its caption");
  c->parent = parent;
  c->tip = std::move(tip);
  Control& ref = *c;
  byName_[name] = &ref;
  controls_.push_back(&ref);
  owned_.push_back(std::move(c));
  return ref;
}

Control& Window::ctl(const std::string& name) {
  auto it = byName_.find(name);
  if (it == byName_.end()) throw std::out_of_range(name_ + " has no control " + name);
  return *it->second;
}

const Control& Window::ctl(const std::string& name) const { return const_cast<Window*>(this)->ctl(name); }

bool Window::has(const std::string& name) const { return byName_.count(name) != 0; }

bool Window::fire(Control& control, Event event) {
  const Event own = control.kind == Kind::Timer ? Event::Timer : Event::Click;
  if (event != own || !control.handler) return false;
  // Copy: the handler may unload this window.
  auto fn = control.handler;
  fn();
  return true;
}

bool Window::confirm(const std::string& question) { return shell_.ask(question) && loaded_; }

bool Window::tell(const std::string& text, MsgKind kind) {
  shell_.message(text, kind);
  return loaded_;
}

}  // namespace kestrive
