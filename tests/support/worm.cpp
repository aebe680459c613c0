// A harmless stand-in for the malware the tests remove: a windowless program
// that only waits to be ended. It gives up by itself after ten minutes so
// that nothing lingers when a test run is cut short.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Linked as a console program, it would otherwise keep a console window
  // open when started from a window; a GUI-subsystem build ignores this.
  FreeConsole();
  Sleep(10 * 60 * 1000);
  return 0;
}
