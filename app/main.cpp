// Kestrive's entry point: the Windows platform, the application, the loop.
#include <windows.h>
#include <commctrl.h>

#include "app/kestrive.h"
#include "platform/win32/gui.h"
#include "platform/win32/os.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES;
  InitCommonControlsEx(&icc);
  using namespace kestrive;
  win32::Win32Fs fs;
  win32::Win32Registry reg;
  win32::Win32Processes proc;
  win32::Win32Clock clock;
  win32::Win32Env env;
  win32::Gui gui(instance);
  Platform platform{fs, reg, proc, gui, clock, env, gui};
  Kestrive app(platform);
  gui.attach(app);
  app.start();
  gui.sync();
  return gui.run();
}
