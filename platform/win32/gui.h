// The user-interface half of the Win32 platform: real dialogs made from the
// resources mirror the toolkit-neutral windows, and user input goes back
// into them and to their handlers.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/window.h"

namespace kestrive::win32 {

class Gui : public Ui, public WindowHost {
 public:
  explicit Gui(HINSTANCE instance);
  // The dialogs still shown go with it: none may call back into a binding that is gone.
  ~Gui() override;
  // Where what the person does goes.
  void attach(EventSink& sink) { sink_ = &sink; }

  void created(Window& w) override;
  void destroyed(Window& w) override;

  int messageBox(const std::string& text, const std::string& title, uint32_t flags) override;
  void doEvents() override;
  void waitEvents(uint32_t ms) override;
  void openUrl(const std::string& address) override;
  void showOtherInstance() override;
  [[noreturn]] void endProcess() override;

  // A handler the person started is running (and no message box waits for
  // an answer): the pointer shows the wait cursor over our windows.
  bool busy() const;

  // Brings every real window in step with its model.
  void sync();
  // The message loop; returns the exit code.
  int run();

 private:
  struct Mirror {
    bool known = false;
    HWND hwnd = nullptr;  // looked up once: each lookup is a round trip to the window system
    std::string caption;
    bool enabled = true, visible = true;
    int value = 0, listIndex = -1, interval = 0;
    std::vector<std::string> texts;
    std::vector<bool> marks;
  };
  struct Shown {
    Window* model = nullptr;
    HWND hwnd = nullptr;
    HMENU menu = nullptr;
    HWND tips = nullptr;
    std::map<int, Control*> byId;
    std::map<const Control*, int> ids;
    std::map<const Control*, Mirror> mirrors;
    std::optional<std::string> title;
    std::optional<bool> visible, enabled;
    HWND lastFocus = nullptr;     // the focused control when the window was last left
    std::vector<HBITMAP> images;  // pictures enlarged for the screen, freed with the window
  };

  static INT_PTR CALLBACK dialogProc(HWND, UINT, WPARAM, LPARAM);
  INT_PTR handle(Shown& s, UINT msg, WPARAM wp, LPARAM lp);
  Shown* byHwnd(HWND h);
  void syncWindow(Shown& s);
  void syncControl(Shown& s, Control& c, int id, Mirror& m);
  void toggleMarks(Shown& s, Control& list, HWND lv, const std::vector<int>& rows);
  void dispatch(Shown& s, Control& control, Event event);
  bool isDialogMessage(MSG& m);
  void pumpMessages();
  void keepFocus(Shown& s, HWND had = nullptr);
  void passFocus(Shown& s, HWND h);
  HWND focusAfter(Shown& s, HWND from);
  void restoreCursor();
  HWND boxOwner();

  HINSTANCE instance_;
  EventSink* sink_ = nullptr;
  std::map<Window*, Shown> shown_;
  int modal_ = 0;
  bool syncing_ = false;
  int busy_ = 0;                       // handlers of clicks and menu entries under way
  int pumping_ = 0;                    // while above 0, the pump mirrors the windows once at its end
  std::vector<const Window*> asking_;  // windows whose handlers run, innermost last
  std::wstring dispText_;              // keeps list texts alive while the list paints them
};

}  // namespace kestrive::win32
