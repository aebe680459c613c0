#include "platform/window.h"

#include <stdexcept>

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

Window::Window(App& app, std::string name) : app_(app), name_(std::move(name)) {}

Control& Window::add(Kind kind, std::string name, std::string caption, std::string parent, std::string tip) {
  auto c = std::make_unique<Control>();
  c->name = name;
  c->kind = kind;
  c->caption = std::move(caption);
  c->parent = std::move(parent);
  c->tip = std::move(tip);
  Control& ref = *c;
  byName_[name] = &ref;
  controls_.push_back(std::move(c));
  return ref;
}

Control& Window::ctl(const std::string& name) {
  auto it = byName_.find(name);
  if (it == byName_.end()) throw std::out_of_range(name_ + " has no control " + name);
  return *it->second;
}

const Control& Window::ctl(const std::string& name) const {
  return const_cast<Window*>(this)->ctl(name);
}

bool Window::has(const std::string& name) const { return byName_.count(name) != 0; }

void Window::on(const std::string& handler, std::function<void()> fn) { handlers_[handler] = std::move(fn); }

bool Window::fire(const std::string& control, const std::string& event) {
  auto it = handlers_.find(control + "_" + event);
  if (it == handlers_.end()) return false;
  // Copy: the handler may unload this window and with it the table.
  auto fn = it->second;
  fn();
  return true;
}

}  // namespace kestrive
