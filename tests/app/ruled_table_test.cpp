// The ruled display of a CSV view in-process: the table drawn by the table
// engine (TableCommand 'D') through StreamInRtf, its rows and ruled lines as
// the control reads them, the cell arithmetic over its paragraphs, typing
// into a cell and saving, pages, 'T', the write-back and the failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;
using shelltest::Lines;

// The title is the format row: its codes (a thick line, right alignment
// in columns 2 and 3) up to the second '^', then the title text.
const char kTable[] =
    "^<2^name,^R^price,^R^qty\r\n"
    "apple,120,3\r\n"
    "\x82\xa0\x82\xa2,80,12\r\n"
    "pear,95,7\r\n";

class RuledTableTest : public shelltest::ShellFileTest {
 protected:
  // Opens `bytes` as a CSV table and switches it to the ruled display as
  // the display statement does: m_nEditMode 3 and the redisplay recipe.
  CDvkView* OpenRuled(const std::string& bytes, const char* name = "t.csv") {
    CDvkView* v = OpenTable(bytes, name);
    if (!v) return nullptr;
    v->m_nEditMode = 3;
    v->OnPageLeft();
    return v;
  }
  // The paragraph format of paragraph `para` (counted by the control's
  // paragraph ends).
  PARAFORMAT2 ParaFormatOf(CDvkView* v, int para) {
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    const std::vector<std::string> paras = v->RuledShownParagraphs();
    long at = 0;
    for (int p = 0; p < para; ++p) at += CharCount(paras[static_cast<std::size_t>(p)]) + 1;
    ctrl.SetSel(at, at);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    ctrl.SendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf;
  }
  static long CharCount(const std::string& s) {
    long n = 0;
    for (std::size_t i = 0; i < s.size(); ++i, ++n) {
      const unsigned char b = static_cast<unsigned char>(s[i]);
      if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ++i;
    }
    return n;
  }
  int FirstParaOf(CDvkView* v, viewload::RuledPara kind) {
    const viewload::RuledLayout& l = v->RuledDisplayLayout();
    for (std::size_t p = 0; p < l.kinds.size(); ++p)
      if (l.kinds[p] == kind) return static_cast<int>(p);
    return -1;
  }
  std::string TableBytes(const CDvkView* v) {
    return std::string(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  }
};

TEST_F(RuledTableTest, RowsAndRulesReadBackAsExactSpacing) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  const viewload::RuledLayout& l = v->RuledDisplayLayout();
  ASSERT_FALSE(l.Empty()) << ControlText(v);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // The display starts at its top, the caret at the start.
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(0, s);
  EXPECT_EQ(0, v->GetRichEditCtrl().GetFirstVisibleLine());
  const int row = l.ParagraphOfRow(1);  // a data row (the title follows rules: taller)
  const int rule = FirstParaOf(v, viewload::RuledPara::kRule);
  ASSERT_GE(row, 0);
  ASSERT_GE(rule, 0);
  // Rows: exact spacing of 10 x F + 30 twips, F the row argument / 5.
  const PARAFORMAT2 rp = ParaFormatOf(v, row);
  EXPECT_EQ(4, rp.bLineSpacingRule);
  EXPECT_EQ(10 * (v->RuledRowArgument() / 5) + 30, rp.dyLineSpacing);
  // Rule paragraphs: exactly 20 twips, after the re-apply of the stream-in.
  const PARAFORMAT2 lp = ParaFormatOf(v, rule);
  EXPECT_EQ(4, lp.bLineSpacingRule);
  EXPECT_EQ(20, lp.dyLineSpacing);
  // Stops: 0, then the lead-in column at 200, then the cell edges; at most 32.
  ASSERT_GE(rp.cTabCount, 3);
  EXPECT_LE(rp.cTabCount, 32);
  EXPECT_EQ(0, rp.rgxTabs[0] & 0xFFFFFF);
  EXPECT_EQ(200, rp.rgxTabs[1] & 0xFFFFFF);
  for (int i = 2; i < rp.cTabCount; ++i) EXPECT_GT(rp.rgxTabs[i] & 0xFFFFFF, rp.rgxTabs[i - 1] & 0xFFFFFF) << i;
}

TEST_F(RuledTableTest, ARuleGlyphIsOnePointOnTheLineColour) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  const int row = v->RuledDisplayLayout().ParagraphOfRow(1);
  ASSERT_GE(row, 0);
  const int at = v->GetCellCharIndex(1, 2);
  ASSERT_GE(at, 0);
  // The marker right after the cell's TAB.
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(at, at + 1);
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ctrl.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_EQ(20, cf.yHeight);
  EXPECT_EQ(RGB(1, 0, 0), cf.crBackColor);
}

TEST_F(RuledTableTest, TheTextHoldsTheCellsInOrder) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  const std::string text = ControlText(v);
  std::size_t at = 0;
  for (const char* cell : {"name", "price", "qty", "apple", "120", "3", "\x82\xa0\x82\xa2", "80", "12", "pear", "95",
                           "7"}) {
    const std::size_t p = text.find(cell, at);
    ASSERT_NE(std::string::npos, p) << cell << "\n" << text;
    at = p + 1;
  }
  // The format row's codes are not shown as text.
  EXPECT_EQ(std::string::npos, text.find("^"));
}

TEST_F(RuledTableTest, SelectCellMode3LandsOnTheTitlesFirstCell) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  v->SelectCell(nullptr, static_cast<int>(v->m_table.m_nCurLine) - 1, 1, 3);
  long s = 0, e = 0;
  v->GetRichEditCtrl().GetSel(s, e);
  // After the glyphs and a blank stands the title's first cell.
  const int name = v->FindTextMatchCase(static_cast<int>(s), -1, CString("name"));
  EXPECT_GE(name, s + 2);
  EXPECT_LE(name, s + 3);
  // The caret's cell reads back as that row and column.
  v->GetRichEditCtrl().SetSel(name, name);
  v->SelectCell(nullptr, 0, 0, 0);
  EXPECT_EQ(v->m_table.m_nCurLine - 1, v->m_nCurRow);
  EXPECT_EQ(1u, v->m_nCurColumn);
}

TEST_F(RuledTableTest, ATypedCellReachesTheTableAndTheSave) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  const int cell = v->GetCellCharIndex(1, 1);  // "apple"
  ASSERT_GE(cell, 0);
  const int at = v->FindTextMatchCase(cell, -1, CString("apple"));
  ASSERT_GE(at, cell);
  ASSERT_LE(at, cell + 3);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(at, at + 5);
  ASSERT_STREQ("apple", ctrl.GetSelText().GetString());
  ctrl.ReplaceSel("melon", TRUE);
  ctrl.SetModify(TRUE);
  ASSERT_EQ(0, v->RebuildCsvBuffer(33, 2));
  std::string want = std::string(kTable);
  want.replace(want.find("apple"), 5, "melon");
  for (char& c : want)
    if (c == ',') c = '\x06';
  EXPECT_EQ(want, TableBytes(v));
  ctrl.SetModify(TRUE);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  std::string saved = kTable;
  saved.replace(saved.find("apple"), 5, "melon");
  EXPECT_EQ(saved, testsupport::ReadFileBytes(File("t.csv")));
}

TEST_F(RuledTableTest, ADeletedParagraphIsRefusedAndTheTableStays) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  const std::string before = TableBytes(v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const int at = v->GetCellCharIndex(2, 0);
  const int next = v->GetCellCharIndex(3, 0);
  ASSERT_GE(at, 0);
  ASSERT_GT(next, at);
  ctrl.SetSel(at, next);
  ctrl.ReplaceSel("", TRUE);
  ctrl.SetModify(TRUE);
  fw::hooks::ExpectMessageBox("罫線表示", IDOK);
  EXPECT_EQ(-2, v->RebuildCsvBuffer(33, 2));
  EXPECT_EQ(before, TableBytes(v));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(RuledTableTest, ATransposeIsShownRuled) {
  CDvkView* v = OpenRuled("a,b,c\r\n1,2,3\r\n");
  ASSERT_NE(nullptr, v);
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  EXPECT_EQ("a\x06\x31\r\nb\x06\x32\r\nc\x06\x33\r\n", TableBytes(v));
  EXPECT_FALSE(v->RuledDisplayLayout().Empty());
  const std::string text = ControlText(v);
  EXPECT_LT(text.find('a'), text.find('1'));
  EXPECT_LT(text.find('1'), text.find('b'));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

// The panes of a split follow a ruled redisplay: rich text with its exact
// spacing, the map and the kept paragraphs, so their cells are found too.
TEST_F(RuledTableTest, SplitPanesTakeTheRuledDisplayWithItsMap) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  v->OnSplitWindow();
  std::vector<CDvkView*> others = v->OtherPanes();
  ASSERT_FALSE(others.empty());
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  const std::string shown = ControlText(v);
  const int rule = FirstParaOf(v, viewload::RuledPara::kRule);
  ASSERT_GE(rule, 0);
  for (CDvkView* o : others) {
    EXPECT_EQ(shown, ControlText(o));
    EXPECT_FALSE(o->RuledDisplayLayout().Empty());
    EXPECT_EQ(v->GetCellCharIndex(1, 1), o->GetCellCharIndex(1, 1));
    const PARAFORMAT2 lp = ParaFormatOf(o, rule);
    EXPECT_EQ(4, lp.bLineSpacingRule);
    EXPECT_EQ(20, lp.dyLineSpacing);
  }
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(RuledTableTest, TLeavesTheRichTextAndAnEmptyRange) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, v->TableCommand('T', 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_EQ(0, v->GetRichEditCtrl().GetTextLength());
  ASSERT_NE(nullptr, doc->m_pText);
  const std::string rtf(doc->m_pText, doc->m_nTextLen);
  EXPECT_EQ(0u, rtf.find("{\\rtf1"));
  EXPECT_EQ('}', rtf.find_last_not_of("\r\n") == std::string::npos ? 0 : rtf[rtf.find_last_not_of("\r\n")]);
  EXPECT_NE(std::string::npos, rtf.find("pear"));
}

TEST_F(RuledTableTest, OtherCodesRunTheFinalStepsOnly) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  const std::string text = ControlText(v);
  const int codes[] = {'1', 'E', 'J', 37, 'e', 'P', 'Z'};
  for (int code : codes) {
    EXPECT_EQ(0, v->TableCommand(code, -1, 0, 0, 0, 0, 0, 0)) << code;
    EXPECT_EQ(0, doc->m_nUpdateLockCount) << code;
  }
  EXPECT_EQ(text, ControlText(v));
}

TEST_F(RuledTableTest, AFailedOutputBufferSays038AndLeavesTheTextValid) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectMessageBox("038", IDOK);
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  const int r = v->TableCommand('T', 0, 0, 0, 0, 0, 0, 0);
  fw::alloctest::Reset();
  EXPECT_EQ(1, r);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_NE(nullptr, doc->m_pText);
  EXPECT_EQ(0u, doc->m_nTextCapacity);
}

TEST_F(RuledTableTest, TheWriteBackTakesTheControlsRichText) {
  CDvkView* v = OpenRuled(kTable);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, v->TableWriteBack());
  const std::string rtf(doc->m_pText, doc->m_nTextLen);
  EXPECT_EQ(0u, rtf.find("{\\rtf"));
  EXPECT_NE(std::string::npos, rtf.find("pear"));
  EXPECT_GE(doc->m_nTextCapacity, doc->m_nTextLen);
}

TEST_F(RuledTableTest, PagesOfARuledTableWrapAtTheLastPage) {
  std::string t = "k,v\r\n";
  for (int i = 1; i < 25; ++i) t += "r" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  CDvkView* v = OpenTable(t);
  ASSERT_NE(nullptr, v);
  doc->m_nBmpfile = 10;
  v->m_nRuledPageSize = 0;
  v->m_nEditMode = 3;
  v->OnPageLeft();
  auto shows = [&](const char* first, const char* notShown) {
    const std::string text = ControlText(v);
    EXPECT_NE(std::string::npos, text.find(first)) << text;
    EXPECT_EQ(std::string::npos, text.find(notShown)) << text;
  };
  shows("r9", "r10");
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_EQ(10u, v->m_nPageTopRow);
  shows("r19", "r20");
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_EQ(20u, v->m_nPageTopRow);
  shows("r24", "r19");
  // Next on the last page: the first page again.
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_EQ(0u, v->m_nPageTopRow);
  shows("r9", "r10");
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

}  // namespace

namespace {

// A user's session: a Shift-JIS CSV with a directive line, a format row of
// codes (lines, colours, right alignment) and 3,000 rows, switched to the
// ruled display, paged, sorted on a column already in order, one cell typed
// over and saved: the file equals the original but for that cell.
TEST_F(RuledTableTest, AUsersSessionSavesByteForByte) {
  std::string t = "XLa\r\n^<2^\x96\xbc\x91\x4f,^R2#r^\x89\xbf\x8a\x69,^%ar^\x94\xf5\x8d\x6c\r\n";
  for (int i = 1; i <= 3000; ++i) {
    char row[64];
    std::snprintf(row, sizeof row, "k%05d,%d,\x82\xa0%d\r\n", i, i * 3, i % 7);
    t += row;
  }
  CDvkView* v = OpenRuled(t);
  ASSERT_NE(nullptr, v);
  ASSERT_FALSE(v->RuledDisplayLayout().Empty());
  frame->SendMessage(WM_COMMAND, ID_PAGE_NEXT, 0);
  EXPECT_EQ(1000u, v->m_nPageTopRow);
  // Sort the first column (already ascending): the order stays.
  const int first = v->GetCellCharIndex(1500, 1);
  ASSERT_GE(first, 0);
  v->GetRichEditCtrl().SetSel(first + 2, first + 2);
  frame->SendMessage(WM_COMMAND, ID_CSV_SORT_ASCENDING, 0);
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // Type over the price of row "k01500" (source row 1501).
  const int cell = v->GetCellCharIndex(1501, 2);
  ASSERT_GE(cell, 0);
  const int at = v->FindTextMatchCase(cell, -1, CString("4500"));
  ASSERT_GE(at, cell);
  ASSERT_LE(at, cell + 12);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(at, at + 4);
  ctrl.ReplaceSel("4501", TRUE);
  ctrl.SetModify(TRUE);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  std::string want = t;
  want.replace(want.find("k01500,4500,"), 12, "k01500,4501,");
  EXPECT_EQ(want, testsupport::ReadFileBytes(File("t.csv")));
}

}  // namespace
