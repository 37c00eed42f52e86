// The test support that needs Windows: the message loop for timers.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/pump.h"

namespace {

int g_ticks = 0;

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
  ++g_ticks;
}

TEST(MessagePump, RunsTimersUntilTheCondition) {
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, CountTick);
  ASSERT_NE(0u, timer);
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(testsupport::PumpUntil([] { return g_ticks >= 3; }, 5000));
  KillTimer(nullptr, timer);
  EXPECT_GE(g_ticks, 3);
  EXPECT_LT(GetTickCount64() - start, 4000u);
}

TEST(MessagePump, GivesUpAfterTheTimeout) {
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(testsupport::PumpUntil([] { return false; }, 120));
  const ULONGLONG took = GetTickCount64() - start;
  EXPECT_GE(took, 100u);
  EXPECT_LT(took, 2000u);
}

TEST(MessagePump, DeliversPostedMessagesAndKeepsQuit) {
  int seen = 0;
  struct Ctx {
    int* seen;
  } ctx{&seen};
  WNDCLASSA wc = {};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_APP) ++*reinterpret_cast<Ctx*>(GetWindowLongPtrA(h, GWLP_USERDATA))->seen;
    return DefWindowProcA(h, m, w, l);
  };
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TabryeTestPump";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, w);
  SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&ctx));
  PostMessageA(w, WM_APP, 0, 0);
  PostMessageA(w, WM_APP, 0, 0);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return seen == 2; }, 2000));

  // A quit ends the wait and stays in the queue for the real loop.
  PostQuitMessage(7);
  EXPECT_FALSE(testsupport::PumpUntil([] { return false; }, 2000));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(7u, m.wParam);
  DestroyWindow(w);
}

}  // namespace
