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

enum class Kind {
  Button,
  Label,
  Check,
  List,
  CheckList,
  Combo,
  Frame,
  Text,
  Picture,
  Menu,
  MenuEntry,
  Separator,
  Timer
};

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
  const Control* parent = nullptr;  // the frame or menu that holds it
  bool enabled = true;
  bool visible = true;
  int value = 0;  // check box state: 1 checked, 0 unchecked
  std::vector<Item> items;
  int listIndex = -1;  // drop-down list selection
  int interval = 0;    // timer period in ms; 0 stops it
  // The letter Alt (or the letter alone) presses; 0 for none.
  char accessKey = 0;
  std::function<void()> handler;

  // Drop-down list text: the selected entry, or "" when none is chosen.
  std::string text() const;
  // False when the list is full.
  bool add(std::string text, std::string data = {}, std::string command = {});
  void clear();
  int markedCount() const;
  void setAllMarks(bool marked);
};

// The text a button, check box, frame or menu shows for a control: an '&'
// of the caption is doubled so that it shows as itself, and the access key
// is marked (only underlined: the caption stays as it is).
std::string MarkedCaption(const Control& c);

// Message kinds: icon and buttons as the platform's flags.
enum class MsgKind : unsigned { Question = 0x24, Information = 0x40, Error = 0x10, Warning = 0x30, Plain = 0x00 };

// The program's windows. Code names a window by its id, so a misspelt one
// does not compile; the name is its identity in the resources, the
// automation tool and the tests.
enum class WindowId { First, Removable, Computer, RegistryManager, Help, History, About, Update, Options };
const char* windowName(WindowId id);
// The id of a window name; a name that is none of them throws.
WindowId windowIdOf(const std::string& name);

class Window;
struct Platform;

// What reaches a control's handler: a press (button, check box, menu entry,
// a drop-down list's choice) or a timer's tick.
enum class Event { Click, Timer };

// What a window may ask of the application it belongs to: the platform,
// message boxes, and moves between windows. Windows see no more of it.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual Platform& platform() = 0;
  virtual int message(const std::string& text, MsgKind kind) = 0;
  bool ask(const std::string& text);
  virtual void hide(Window& w) = 0;
  // Disables and hides the parent, then shows the child.
  virtual void openChild(Window& parent, WindowId child) = 0;
  virtual void showAlongside(WindowId window) = 0;
  // Back, Ok or Cancel of a child: unload or hide it, bring the parent back.
  virtual void returnTo(Window& child, WindowId parent, bool unloadChild) = 0;
  [[noreturn]] virtual void endProcess() = 0;

 protected:
  // Only the window graph marks a window loaded, or gone with its timers.
  static void setLoaded(Window& w, bool loaded);
};

class Window : public std::enable_shared_from_this<Window> {
 public:
  Window(Shell& shell, WindowId id);
  virtual ~Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowId id() const { return id_; }
  const std::string& name() const { return name_; }
  std::string title;
  bool visible = false;
  bool enabled = true;
  // The control that is to get the keyboard focus; the binding moves it
  // there when it next draws the window, and clears the request.
  Control* focus = nullptr;
  // The button Esc presses: the window's way back; none where leaving
  // would end the process.
  Control* escape = nullptr;
  // False once the window is unloaded; a handler that yielded checks it.
  bool loaded() const { return loaded_; }

  // By name, for the binding and the tests; an unknown name throws.
  Control& ctl(const std::string& name);
  const Control& ctl(const std::string& name) const;
  bool has(const std::string& name) const;
  const std::vector<Control*>& controls() const { return controls_; }

  // Runs the handler of one of the window's controls for the event its
  // kind takes (Timer for a timer, Click for the rest). Returns whether a
  // handler ran.
  bool fire(Control& control, Event event);

  virtual void Form_Load() {}
  // The close box: runs the window's return step.
  virtual void Form_Unload() {}

  Shell& shell() { return shell_; }
  Platform& p() { return shell_.platform(); }

 protected:
  // Declares a control; the window's members are made by it, in order. An
  // '&' in the caption marks its access key (the caption keeps the letter).
  Control& add(Kind kind, std::string name, std::string caption = {}, Control* parent = nullptr, std::string tip = {});
  // The handler of a control's event (Click, or Timer for a timer).
  template <class W>
  void bind(Control& c, void (W::*handler)()) {
    W* self = static_cast<W*>(this);
    c.handler = [self, handler] { (self->*handler)(); };
  }
  // Message boxes that a handler goes on after: a box may outlive the
  // window, so both say whether it is still loaded.
  bool confirm(const std::string& question);  // Yes, and the window still there
  bool tell(const std::string& text, MsgKind kind = MsgKind::Information);

 private:
  friend class Shell;
  Shell& shell_;
  WindowId id_;
  std::string name_;
  bool loaded_ = false;
  std::vector<std::unique_ptr<Control>> owned_;
  std::vector<Control*> controls_;
  std::map<std::string, Control*> byName_;
};

}  // namespace kestrive
