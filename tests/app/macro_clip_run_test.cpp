// loadclip and saveclip in the running program, through the system's
// clipboard: a range copied as TAB text becomes the table, and the table
// goes back as TAB text while the view keeps its table.
#include <gtest/gtest.h>

#include <string>

#include "app/dvkdoc.h"
#include "fw/clipboard.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

class MacroClipRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
};

TEST_F(MacroClipRunTest, LoadClipTakesACopiedRangeAndSaveClipGivesItBack) {
  CDvkView* v = OpenTable("x,y\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(fw::SetClipboardText(nullptr, "品名\t数\r\n\"a,b\"\t2\r\nりんご\t3\r\n"));
  EXPECT_EQ(1, RunFile(v, "\tloadclip\r\n"));
  EXPECT_EQ(33u, v->m_nFileKind);
  EXPECT_EQ("品名,数\r\n\"a,b\",2\r\nりんご,3\r\n", v->m_table.FileText(csv::CommaFormKind::kComma));

  ASSERT_TRUE(fw::SetClipboardText(nullptr, "gone"));
  EXPECT_EQ(1, RunFile(v, "\tsaveclip\r\n"));
  std::string got;
  ASSERT_TRUE(fw::GetClipboardText(nullptr, &got));
  EXPECT_EQ("品名\t数\r\n\"a,b\"\t2\r\nりんご\t3\r\n", got);
  // The table keeps its separators.
  EXPECT_EQ("品名,数\r\n\"a,b\",2\r\nりんご,3\r\n", v->m_table.FileText(csv::CommaFormKind::kComma));

  EXPECT_EQ(1, RunFile(v, "\tsaveclip\tplain words\r\n"));
  ASSERT_TRUE(fw::GetClipboardText(nullptr, &got));
  EXPECT_EQ("plain words", got);
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
}

}  // namespace
