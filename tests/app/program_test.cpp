// Starts the real Tabrye.exe, finds its window and closes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

struct Found {
  DWORD pid;
  HWND hwnd;
};

BOOL CALLBACK FindProcessWindow(HWND hwnd, LPARAM lp) {
  Found* f = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char title[64] = {};
  GetWindowTextA(hwnd, title, sizeof title);
  if (pid == f->pid && std::string(title) == "Tabry-Editor") {
    f->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

TEST(Program, StartsWithTitleAndClosesCleanly) {
  std::string exe = std::string(TABRYE_BIN_ROOT) + "/Tabrye.exe";
  std::string cmd = "\"" + exe + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi))
      << "cannot start " << exe;

  Found f = {pi.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !f.hwnd; ++i) {
    WaitForInputIdle(pi.hProcess, 100);
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&f));
    if (!f.hwnd) Sleep(50);
  }
  ASSERT_NE(nullptr, f.hwnd) << "no window titled Tabry-Editor";

  PostMessageA(f.hwnd, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}
