#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/instance.h"

namespace {

std::string UniqueName(const char* test) {
  return "Local\\TabryeTestInstances_" + std::string(test) + "_" + std::to_string(GetCurrentProcessId());
}

}  // namespace

TEST(InstanceRegistry, CopiesTakeTheLowestFreeSlot) {
  std::string name = UniqueName("lowest");
  app::InstanceRegistry first(name.c_str()), second(name.c_str()), third(name.c_str());
  EXPECT_EQ(0, first.Acquire());
  EXPECT_EQ(1, second.Acquire());
  first.Release();
  EXPECT_EQ(0, third.Acquire());
  EXPECT_EQ(1, second.Number());
}

TEST(InstanceRegistry, SlotOfAnEndedProcessIsFree) {
  std::string name = UniqueName("ended");
  // A short-lived child takes slot 0 by writing its pid there: emulate that
  // with the pid of a process that has already ended.
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  char cmd[] = "cmd.exe /c exit 0";
  ASSERT_TRUE(CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 10000);
  DWORD deadPid = pi.dwProcessId;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  {
    app::InstanceRegistry reg(name.c_str());
    ASSERT_EQ(0, reg.Acquire());
    HANDLE h = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(nullptr, h);
    DWORD* block = static_cast<DWORD*>(MapViewOfFile(h, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(nullptr, block);
    // slot 0 starts after magic and version: {pid, reserved, startTime}
    block[2] = deadPid;
    app::InstanceRegistry other(name.c_str());
    EXPECT_EQ(0, other.Acquire()) << "a slot whose process ended must be reused";
    UnmapViewOfFile(block);
    CloseHandle(h);
  }
}
