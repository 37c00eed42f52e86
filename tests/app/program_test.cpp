// Starts the real Tabrye.exe: its window, a clean exit, and the numbers of
// copies running together.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/instance.h"
#include "res/resource.h"
#include "res/test/testres.h"

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

// One running copy of the program.
class Copy {
 public:
  Copy() {
    std::string exe = std::string(TABRYE_BIN_ROOT) + "/Tabrye.exe";
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    started_ = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != FALSE;
  }
  ~Copy() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      Close();
      if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 9);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Pid() const { return pi_.dwProcessId; }
  // Waits for the main window.
  HWND Window() {
    Found f = {pi_.dwProcessId, nullptr};
    for (int i = 0; i < 200 && !f.hwnd; ++i) {
      WaitForInputIdle(pi_.hProcess, 100);
      EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&f));
      if (!f.hwnd) Sleep(50);
    }
    return f.hwnd;
  }
  void Close() {
    if (HWND h = Window()) PostMessageA(h, WM_CLOSE, 0, 0);
  }
  // Exit code after WM_CLOSE, or -1 when it does not end.
  long CloseAndWait() {
    Close();
    if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
    DWORD code = 1;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION pi_ = {};
};

int SlotOf(DWORD pid) {
  app::InstanceRegistry reg;  // reads the program's block without taking a slot
  DWORD pids[app::InstanceRegistry::kSlots] = {};
  if (!reg.ReadSlots(pids)) return -2;
  for (int i = 0; i < app::InstanceRegistry::kSlots; ++i) {
    if (pids[i] == pid) return i;
  }
  return -1;
}

}  // namespace

TEST(Program, StartsWithTitleAndClosesCleanly) {
  Copy copy;
  ASSERT_TRUE(copy.Started()) << "cannot start Tabrye.exe";
  ASSERT_NE(nullptr, copy.Window()) << "no window titled Tabry-Editor";
  EXPECT_EQ(0, copy.CloseAndWait());
}

TEST(Program, CopiesAreNumberedFromZeroAndNumbersAreReused) {
  auto first = std::make_unique<Copy>();
  auto second = std::make_unique<Copy>();
  ASSERT_TRUE(first->Started());
  ASSERT_TRUE(second->Started());
  ASSERT_NE(nullptr, first->Window());
  ASSERT_NE(nullptr, second->Window());
  int a = SlotOf(first->Pid()), b = SlotOf(second->Pid());
  EXPECT_TRUE((a == 0 && b == 1) || (a == 1 && b == 0)) << a << " " << b;

  // The copy numbered 0 ends; the next copy takes its number.
  std::unique_ptr<Copy>& zero = a == 0 ? first : second;
  EXPECT_EQ(0, zero->CloseAndWait());
  zero.reset();
  Copy third;
  ASSERT_TRUE(third.Started());
  ASSERT_NE(nullptr, third.Window());
  EXPECT_EQ(0, SlotOf(third.Pid()));
  EXPECT_EQ(0, third.CloseAndWait());
}

// The program carries its own resources and the framework's texts, but none of
// the resources only the tests use (those are linked into the test programs).
TEST(Program, CarriesNoTestResources) {
  const std::string exe = std::string(TABRYE_BIN_ROOT) + "/Tabrye.exe";
  HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(nullptr, m) << exe;
  char text[64] = {};
  EXPECT_GT(LoadStringA(m, IDS_FW_UNTITLED, text, sizeof text), 0);
  EXPECT_NE(nullptr, FindResourceA(m, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(241)));  // the toolbar
  EXPECT_EQ(nullptr, FindResourceA(m, MAKEINTRESOURCEA(IDR_FW_TEST_FRAME), RT_MENU));
  EXPECT_EQ(nullptr, FindResourceA(m, MAKEINTRESOURCEA(IDD_FW_TEST), RT_DIALOG));
  EXPECT_EQ(0, LoadStringA(m, IDS_TEST_JAPANESE, text, sizeof text));
  FreeLibrary(m);
  // This test program has them.
  EXPECT_NE(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_FW_TEST_FRAME), RT_MENU));
}
