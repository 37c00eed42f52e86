// "loadnet" in the running program against the test web server (the CTest
// fixture "inet", Python's http.server on 127.0.0.1): the page becomes a
// kind-35 table of its text; a page that is not there leaves the table.
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "support/inet_servers.h"
#include "view/dvkview.h"

namespace {

class MacroLoadNetTest : public shelltest::MacroShellTest {
 protected:
  void SetUp() override {
    shelltest::MacroShellTest::SetUp();
    REQUIRE_INET_SERVERS();
    host = "127.0.0.1:" + std::to_string(testsupport::ServerPort("http"));
    name = std::string("macro_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root = testsupport::InetDir() + "\\http\\";
  }
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  std::string host, name, root;
};

TEST_F(MacroLoadNetTest, ThePageBecomesAKind35Table) {
  CDvkView* v = OpenTable("old,row\r\n");
  ASSERT_NE(nullptr, v);
  const std::string page = "<html><body><p>" + name + " first</p><p>second line</p></body></html>\n";
  ASSERT_TRUE(testsupport::WriteBytesA(root + name + ".htm", page));
  const std::string before(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  RunFile(v, "\tloadnet\thttp://" + host + "/" + name + ".htm\r\n");
  EXPECT_TRUE(testsupport::WaitForLog("http", "\"GET /" + name + ".htm HTTP/1.1\" 200"));
  const std::string text(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  if (doc->m_strOpenMessage.Find("Dorviktmp.htm") >= 0) {
    // A build whose open cannot show pages: the open said so, and the
    // table is the one it was.
    EXPECT_EQ(before, text);
    fw::hooks::Reset();
    return;
  }
  EXPECT_EQ(35u, v->m_nFileKind);
  EXPECT_EQ(35, doc->m_nFileKind);
  EXPECT_NE(std::string::npos, text.find(name + " first")) << text;
  EXPECT_EQ(std::string::npos, text.find("<p>")) << text;

  // A page that is not there: the table stays.
  const std::string kept(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  fw::hooks::ExpectMessageBox("Dorviktmp.htm", IDOK);
  RunFile(v, "\tloadnet\thttp://" + host + "/" + name + "_gone.htm\r\n");
  fw::hooks::Reset();
  EXPECT_EQ(kept, std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength()));
}

}  // namespace
