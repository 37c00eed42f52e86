// The file statements in the running program: the file dialog answered
// through its hook, the window of another program closed by "filequit",
// hidden and read-only attributes written and read back, the folder totals
// over the document's own tree counters, and "fileuser" against a network
// provider of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "fw/clock.h"
#include "fw/netconn.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

// Answers the resource probes and the connections from lists, in turn (then
// 0), and records every call. The whole-network probe always succeeds.
class FakeNet : public fw::NetProvider {
 public:
  std::vector<DWORD> probes, connects;
  std::vector<std::string> calls;
  DWORD ProbeEnum(DWORD scope, NETRESOURCEA* r) override {
    if (!r) {
      calls.push_back("context:" + std::to_string(scope));
      return NO_ERROR;
    }
    calls.push_back(std::string("probe ") + (r->lpRemoteName ? r->lpRemoteName : ""));
    return probed_ < probes.size() ? probes[probed_++] : NO_ERROR;
  }
  DWORD AddConnection(NETRESOURCEA* r, const char* password, const char* user, DWORD flags) override {
    calls.push_back(std::string("connect ") + (r->lpRemoteName ? r->lpRemoteName : "") + " " +
                    (user ? user : "-") + "/" + (password ? password : "-") + " " + std::to_string(flags));
    return connected_ < connects.size() ? connects[connected_++] : NO_ERROR;
  }

 private:
  std::size_t probed_ = 0, connected_ = 0;
};

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
    fw::nettest::Release();
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

TEST_F(MacroFileTest, FileUserTakesTheBranchOfTheProbeResult) {
  CDvkView* v = Open("first.txt", "x\r\n");
  ASSERT_NE(nullptr, v);
  const std::string share = "\\\\srv\\share";
  const std::string statement = "\tfileuser\t" + share + ";USER=me;PWRD=pw\r\n";
  const std::string probe = "probe " + share, asked = "connect " + share + " me/pw 1";
  struct Case {
    std::vector<DWORD> probes, connects;
    const char* result;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      // Reachable already: nothing is connected.
      {{0}, {}, "", {"context:5", probe}},
      // Out of memory: probed once more, no connection, an error.
      {{8, 8}, {}, "EROR", {"context:5", probe, probe}},
      // A bad parameter: first without the user, then twice with it.
      {{87, 0},
       {5, 1326, 0},
       "",
       {"context:5", probe, "connect " + share + " -/- 1", asked, asked, probe}},
      // Any other answer: one connection with the user, which fails here.
      {{1222}, {86}, "EROR", {"context:5", probe, asked}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.probes.front());
    FakeNet net;
    net.probes = c.probes;
    net.connects = c.connects;
    fw::nettest::Install(&net);
    RunFile(v, statement);
    fw::nettest::Release();
    EXPECT_EQ(c.result, Var(v, 146));
    EXPECT_EQ(c.calls, net.calls);
  }
}

}  // namespace
