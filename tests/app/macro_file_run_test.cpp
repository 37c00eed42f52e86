// The file statements in the running program: the file dialog answered
// through its hook, the window of another program closed by "filequit",
// hidden and read-only attributes written and read back, and the folder
// totals over the document's own tree counters.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/dvkdoc.h"
#include "fw/clock.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

class MacroFileTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("f.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static std::string Var(CDvkView* v, int n) { return v->Macro().m_strMacroVars[n].GetString(); }
  void TearDown() override {
    fw::clocktest::Release();
    shelltest::MacroShellTest::TearDown();
  }
};

TEST_F(MacroFileTest, FileInputThroughTheDialogHook) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string chosen = File("pick.csv");
  fw::hooks::ExpectFileDialog({chosen});
  RunFile(v, "\tfileinput\tstart.csv\r\n");
  EXPECT_EQ("start.csv", fw::hooks::LastFileDialogOffer().name);
  EXPECT_EQ(chosen, Var(v, 115));
  EXPECT_EQ(chosen.substr(0, chosen.size() - 4), Var(v, 147));
  EXPECT_EQ(chosen.substr(0, chosen.rfind('\\')), Var(v, 125));
  EXPECT_EQ("pick.csv", Var(v, 116));
  EXPECT_EQ("pick", Var(v, 148));
  fw::hooks::ExpectFileDialog({});
  RunFile(v, "\tfileisave\tx.csv\r\n");
  EXPECT_EQ("@CANCEL", Var(v, 115));
}

TEST_F(MacroFileTest, FileQuitClosesTheWindowTitledWithTheFileName) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string target = File("quitme.txt");
  testsupport::WriteFileBytes(target, "q");
  HWND w = ::CreateWindowA("STATIC", "quitme.txt - viewer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, w);
  fw::clocktest::Fix(1700000000, 5000);
  RunFile(v, "\tfilequit\t" + target + "\r\n");
  EXPECT_FALSE(::IsWindow(w));
  if (::IsWindow(w)) ::DestroyWindow(w);
}

TEST_F(MacroFileTest, HiddenReadOnlyAttributesRoundTrip) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string f = File("h.txt");
  testsupport::WriteFileBytes(f, "h");
  ASSERT_TRUE(::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  // Wine gives every file the archive bit (1 more).
  auto ten = [&f] { return std::to_string(10 + ((::GetFileAttributesA(f.c_str()) & FILE_ATTRIBUTE_ARCHIVE) ? 1 : 0)); };
  RunFile(v, "\tfilestatus\t" + f + "\r\n");
  EXPECT_EQ(ten(), Var(v, 128));
  RunFile(v, "\tfilestatusw\t" + f + ":1:20240315:071502\r\n\tfilestatus181,182,183\t" + f + "\r\n");
  EXPECT_EQ("1", Var(v, 181));
  EXPECT_EQ("20240315", Var(v, 182));
  EXPECT_EQ("071502", Var(v, 183));
  EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), ::GetFileAttributesA(f.c_str()));
  RunFile(v, "\tfilestatusw\t" + f + ":10\r\n\tfilestatus\t" + f + "\r\n");
  EXPECT_EQ(ten(), Var(v, 128));
  ::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(MacroFileTest, FolderTotalsOverTheDocumentsCounters) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string tree = File("tree");
  ASSERT_TRUE(::CreateDirectoryA(tree.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryA((tree + "\\sub").c_str(), nullptr));
  testsupport::WriteFileBytes(tree + "\\a.bin", std::string(300, 'a'));
  testsupport::WriteFileBytes(tree + "\\sub\\b.bin", std::string(45, 'b'));
  char before[MAX_PATH] = {}, after[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, before);
  RunFile(v, "\tfileall181,182\t" + tree + "\r\n");
  ::GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_EQ("", Var(v, 146));
  EXPECT_EQ("345", Var(v, 181));
  EXPECT_EQ("2", Var(v, 182));
  EXPECT_EQ(345u, doc->m_nTreeBytes);
  EXPECT_STREQ(before, after);
}

}  // namespace
