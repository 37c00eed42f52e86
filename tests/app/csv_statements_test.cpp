// The CSV condition statements through the view: the kept rows are shown
// again, the window-update lock is released on every exit, and the limit
// message goes through the message-box hook.
#include <gtest/gtest.h>

#include <string>

#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class CsvStatementsTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* Open(const std::string& text) {
    CDvkView* v = ShellFileTest::Open("t.csv", text);
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
};

TEST_F(CsvStatementsTest, SelectShowsTheKeptRowsAndReleasesTheLock) {
  CDvkView* v = Open("name,code,amount\r\n\x83\x5C,A,150\r\nb,B,50\r\nc,A,99\r\nd,C,101\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(2, v->MacroCsvSelectCommands("&2==A && &3>#(100) || &2==C", "&SL", 0));
  EXPECT_EQ("\x83\x5C\tA\t150\nd\tC\t101", ControlText(v));
  EXPECT_EQ(1, v->m_table.m_nLastRow);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // A failure exit releases the lock too.
  fw::hooks::ExpectMessageBox("Macro eror : abc", IDOK);
  EXPECT_EQ(0, v->MacroCsvSelectCommands("abc", "&SL", 0));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  fw::hooks::ExpectMessageBox("Macro eror : ((", IDOK);
  const std::string deep = std::string(41, '(') + "&1==a" + std::string(41, ')');
  EXPECT_EQ(0, v->MacroCsvSelectCommands(CString(deep), "&SL", 0));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(CsvStatementsTest, TheLimitMessageGoesThroughTheHook) {
  CDvkView* v = Open("v\r\n1\r\n2\r\n");
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectMessageBox("Over max 40 of && or ||", IDOK);
  std::string chain;
  for (int k = 0; k < 41; ++k) chain += (k ? " || " : "") + std::string("&1==") + std::to_string(k);
  EXPECT_EQ(2, v->MacroCsvSelectCommands(chain.c_str(), "&CKL", 0));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_EQ(2u, v->Entry(1));
  EXPECT_EQ(3u, v->Entry(2));
}

}  // namespace
