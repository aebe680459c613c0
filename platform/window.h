// Toolkit-neutral windows: controls are plain objects that the handlers read
// and write; a toolkit binding mirrors them on screen and feeds user input
// back into them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrive {

enum class Kind { Button, Label, Check, List, CheckList, Combo, Frame, Text, Picture, Menu, MenuEntry, Separator, Timer };

struct Item {
  std::string text;
  bool marked = false;
  // Kept with the line but not shown, e.g. the real registry value name.
  std::string data;
  // A second hidden text, e.g. the command line a Run value starts.
  std::string command;
};

// Counts and indices of a selection list are 16-bit signed numbers.
constexpr int kMaxListEntries = 32767;

struct Control {
  std::string name;
  Kind kind = Kind::Button;
  std::string caption;
  std::string tip;
  std::string parent;  // the frame or menu that holds it
  bool enabled = true;
  bool visible = true;
  int value = 0;         // check box state: 1 checked, 0 unchecked
  std::vector<Item> items;
  int listIndex = -1;    // drop-down list selection
  int interval = 0;      // timer period in ms; 0 stops it

  // Drop-down list text: the selected entry, or "" when none is chosen.
  std::string text() const;
  // False when the list is full.
  bool add(std::string text, std::string data = {}, std::string command = {});
  void clear();
  int markedCount() const;
  void setAllMarks(bool marked);
};

class App;

class Window : public std::enable_shared_from_this<Window> {
 public:
  Window(App& app, std::string name);
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const std::string& name() const { return name_; }
  std::string title;
  bool visible = false;
  bool enabled = true;
  // The control that is to get the keyboard focus; the binding moves it
  // there when it next draws the window, and clears the request.
  std::string focus;
  // False once the window is unloaded; a handler that yielded checks it.
  bool loaded() const { return loaded_; }

  Control& ctl(const std::string& name);
  const Control& ctl(const std::string& name) const;
  bool has(const std::string& name) const;
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

  // Runs the handler for an event of a control ("btn_x", "Click"); unknown
  // events do nothing. Returns whether a handler ran.
  bool fire(const std::string& control, const std::string& event);
  bool hasHandler(const std::string& handler) const { return handlers_.count(handler) != 0; }

  virtual void Form_Load() {}
  // The close box: runs the window's return step.
  virtual void Form_Unload() {}

  App& app() { return app_; }

 protected:
  Control& add(Kind kind, std::string name, std::string caption = {}, std::string parent = {}, std::string tip = {});
  void on(const std::string& handler, std::function<void()> fn);

 private:
  friend class App;
  App& app_;
  std::string name_;
  bool loaded_ = false;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<std::string, Control*> byName_;
  std::map<std::string, std::function<void()>> handlers_;
};

}  // namespace kestrive
