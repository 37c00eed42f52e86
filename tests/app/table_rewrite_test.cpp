// The ruled table's RTF rewrite in the control: the conversion of TAB
// lines, a column width, a column inserted, two undos, and a text above
// the table that stays.
#include <gtest/gtest.h>

#include <string>

#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class TableRewriteTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* OpenRows() {
    CDvkView* v = Open("rows.txt", "a\tbb\tc\r\nd\tee\tf\r\ng\thh\ti\r\n");
    if (!v) return nullptr;
    frame->ActivateTextPane(0, 0);
    v->GetRichEditCtrl().SetReadOnly(FALSE);
    return v;
  }
  static PARAFORMAT2 Para(CDvkView* v, int line) {
    CRichEditCtrl& c = v->GetRichEditCtrl();
    long s = 0, e = 0;
    c.GetSel(s, e);
    c.SetSel(c.LineIndex(line), c.LineIndex(line));
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    c.GetParaFormat(pf);
    c.SetSel(s, e);
    return pf;
  }
  static int Tabs(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\t')); }
  static std::string Pane104() { return g_pStatusBar ? g_pStatusBar->GetPaneText(g_pStatusBar->CommandToIndex(104)).Str() : ""; }
};

TEST_F(TableRewriteTest, TabLinesBecomeARuledTableWithARuleAfterEveryTab) {
  CDvkView* v = OpenRows();
  ASSERT_NE(nullptr, v);
  v->GetRichEditCtrl().SetSel(0, 0);
  EXPECT_EQ(0, v->TableRewriteRtf('D', 0, 0, 0, 0, -1, 0, 0));
  const std::vector<std::string> lines = shelltest::Lines(ControlText(v));
  ASSERT_GE(lines.size(), 3u);
  // Every row ends with a TAB and its rule; later rows start with a blank,
  // a TAB and a rule.
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_GE(Tabs(lines[i]), 3) << lines[i];
    if (i > 0) EXPECT_EQ(" \t", lines[i].substr(0, 2)) << lines[i];
  }
}

TEST_F(TableRewriteTest, AWidthKeyMovesTheStopsAndTwoUndosRestoreTheText) {
  CDvkView* v = OpenRows();
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& c = v->GetRichEditCtrl();
  // Stops for every row first (the conversion sets none of its own here).
  c.SetSel(0, c.GetTextLength());
  PARAFORMAT2 pf = {};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_TABSTOPS;
  pf.cTabCount = 3;
  pf.rgxTabs[0] = 600;
  pf.rgxTabs[1] = 1500;
  pf.rgxTabs[2] = 2400;
  c.SetParaFormat(pf);
  c.SetSel(3, 3);  // in "bb", column 2
  const std::string before = ControlText(v);
  v->m_bTableMoveFollowing = 1;
  EXPECT_EQ(0, v->TableRewriteRtf(39, 3, 0, 2, 0, 2, 0, 0));
  for (int line = 0; line < 3; ++line) {
    const PARAFORMAT2 p = Para(v, line);
    ASSERT_EQ(3, p.cTabCount) << line;
    EXPECT_EQ(600, p.rgxTabs[0] & 0xFFFFFF) << line;
    EXPECT_EQ(1520, p.rgxTabs[1] & 0xFFFFFF) << line;
    EXPECT_EQ(2420, p.rgxTabs[2] & 0xFFFFFF) << line;
  }
  EXPECT_EQ("width = 61", Pane104());
  EXPECT_EQ(before, ControlText(v));
  // The block removed and the block streamed in: two undo steps.
  c.Undo();
  c.Undo();
  EXPECT_EQ(before, ControlText(v));
  EXPECT_EQ(1500, Para(v, 1).rgxTabs[1] & 0xFFFFFF);
}

TEST_F(TableRewriteTest, AColumnIsInsertedInEveryRowAndTheTextAboveStays) {
  CDvkView* v = Open("t.txt", "title line\r\na\tbb\tc\tq\r\nd\tee\tf\tq\r\ng\thh\ti\tq\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  CRichEditCtrl& c = v->GetRichEditCtrl();
  c.SetReadOnly(FALSE);
  const long row = c.LineIndex(1);
  c.SetSel(row, c.GetTextLength());
  PARAFORMAT2 pf = {};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_TABSTOPS;
  pf.cTabCount = 4;
  for (int i = 0; i < 4; ++i) pf.rgxTabs[i] = 600 * (i + 1);
  c.SetParaFormat(pf);
  c.SetSel(row + 3, row + 3);
  EXPECT_EQ(0, v->TableRewriteRtf('E', row + 3, 0, 2, 0, 0, 0, 0));
  const std::vector<std::string> lines = shelltest::Lines(ControlText(v));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("title line", lines[0]);
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(4, Tabs(lines[i])) << lines[i];
}

}  // namespace
