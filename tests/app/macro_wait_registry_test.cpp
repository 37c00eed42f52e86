// The wait and registry statements in the running program, from real macro
// files: "waitkey" with key-downs posted to the view under the fixed clock,
// and "registry_w" / "registry" on keys of the user's hive, checked with the
// system's own reg.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "fw/clock.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

std::string Capture(const std::string& command) {
  std::string out;
  FILE* p = _popen(command.c_str(), "r");
  if (!p) return out;
  char buf[1024];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  _pclose(p);
  return out;
}

class MacroWaitRegistryTest : public shelltest::MacroShellTest {
 protected:
  void SetUp() override {
    shelltest::MacroShellTest::SetUp();
    key_ = "Software\\TabryeWaitTest_" + std::to_string(GetCurrentProcessId());
  }
  void TearDown() override {
    fw::clocktest::Release();
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    shelltest::MacroShellTest::TearDown();
  }
  int RunFile(CDvkView* v, const char* name, const std::string& text) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static std::string Var(CDvkView* v, int n) { return v->Macro().m_strMacroVars[n].GetString(); }
  std::string key_;
};

TEST_F(MacroWaitRegistryTest, WaitKeyStoresTheNameOfAPostedKey) {
  CDvkView* v = Open("k.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  fw::clocktest::Fix(1800000000, 1000);
  // The first key-down waiting is discarded; the next one is caught.
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, 'A', 0);
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_F5, 0);
  EXPECT_EQ(1, RunFile(v, "k1.rmc", "\twaitkey3\t\r\n"));
  EXPECT_EQ("F5", Var(v, 152));
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_SHIFT, 0);
  ::PostMessageA(v->m_hWnd, WM_KEYUP, VK_SHIFT, 0);
  ::PostMessageA(v->m_hWnd, WM_KEYDOWN, VK_NUMPAD0, 0);
  EXPECT_EQ(1, RunFile(v, "k2.rmc", "\twaitkey3\t\r\n"));
  EXPECT_EQ("96", Var(v, 152));
  // No key: the empty text once three seconds of the fixed clock passed.
  const std::int64_t before = fw::CurrentTime();
  EXPECT_EQ(1, RunFile(v, "k3.rmc", "\twaitkey3\t\r\n"));
  EXPECT_EQ("", Var(v, 152));
  EXPECT_GE(fw::CurrentTime() - before, 3);
}

TEST_F(MacroWaitRegistryTest, RegistryRoundTripOfMinusTwelveAsDword) {
  CDvkView* v = Open("r.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  HKEY k = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           &k, nullptr));
  RegCloseKey(k);
  const std::string text = "\tdefine\tn=-12\r\n\tdefine\tr=0\r\n"
                           "\tregistry_w:&D180\tCUn:" + key_ + ":count\r\n"
                           "\tregistry:&D181\tCUn:" + key_ + ":count\r\n";
  EXPECT_EQ(1, RunFile(v, "w.rmc", text));
  EXPECT_EQ("-12", Var(v, 181));
  EXPECT_EQ("", Var(v, 146));
  const std::string shown = Capture("reg query \"HKCU\\" + key_ + "\" /v count");
  EXPECT_NE(std::string::npos, shown.find("REG_DWORD")) << shown;
  EXPECT_NE(std::string::npos, shown.find("0xfffffff4")) << shown;
}

TEST_F(MacroWaitRegistryTest, BinaryValueOfRegAddAndTheErrors) {
  CDvkView* v = Open("b.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  Capture("reg add \"HKCU\\" + key_ + "\" /v bin /t REG_BINARY /d 0aff10 /f");
  const std::string text = "\tdefine\ta=0\r\n\tregistry:&D180\tCUb:" + key_ + ":bin\r\n";
  EXPECT_EQ(1, RunFile(v, "b.rmc", text));
  EXPECT_EQ("0aff10", Var(v, 180));
  EXPECT_EQ("", Var(v, 146));
  EXPECT_EQ(1, RunFile(v, "m.rmc", "\tdefine\ta=0\r\n\tregistry:&D180\tCU:" + key_ + ":missing\r\n"));
  EXPECT_EQ("data eror", Var(v, 180));
  EXPECT_EQ("EROR", Var(v, 146));
  EXPECT_EQ(1, RunFile(v, "n.rmc", "\tdefine\ta=0\r\n\tregistry:&D180\tCU:" + key_ + "\\none:x\r\n"));
  EXPECT_EQ("open eror", Var(v, 180));
  EXPECT_EQ("EROR", Var(v, 146));
}

}  // namespace
