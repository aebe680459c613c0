// The cleaners' waits through the real binding: the window system's timers
// and messages from other threads run while a wait lasts, as they do for the
// windows' T1 and T2 and a click during a deletion.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "computer/processes.h"
#include "platform/win32/gui.h"
#include "platform/win32/os.h"

using namespace kestrive;

namespace {

int g_ticks = 0;
int g_posted = 0;

void CALLBACK countTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

LRESULT CALLBACK countPosted(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    ++g_posted;
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

struct RealPlatform {
  win32::Win32Fs fs;
  win32::Win32Registry reg;
  win32::Win32Processes proc;
  win32::Gui gui{GetModuleHandleW(nullptr)};
  win32::Win32Clock clock;
  win32::Win32Env env;
  Platform platform{fs, reg, proc, gui, clock, env, gui};
};

TEST(Win32Wait, TimersAndMessagesFromOtherThreadsRunDuringAWait) {
  RealPlatform real;
  WNDCLASSW wc{};
  wc.lpfnWndProc = countPosted;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KestriveWaitTest";
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND target = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(target, nullptr);
  g_ticks = g_posted = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 20, countTick);
  ASSERT_NE(timer, 0u);
  std::thread poster([target] {
    Sleep(100);
    PostMessageW(target, WM_APP, 0, 0);
  });

  WaitMilliseconds(real.platform, 400);
  poster.join();
  KillTimer(nullptr, timer);

  EXPECT_EQ(g_posted, 1);
  // Every 20 ms for 400 ms; a busy machine may swallow some.
  EXPECT_GE(g_ticks, 5);
  DestroyWindow(target);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace
