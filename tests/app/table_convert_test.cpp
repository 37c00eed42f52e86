// The selection to a table (33179) in a rich-text document, in-process: the
// in-place ruled rows of the Ctrl form ('f' for '|' lines, 'e' otherwise),
// the "_001.rtf" copy and its overwrite question, and timer 40 putting the
// converted lines back between the paragraphs around them. Stops are checked
// against the positions the control reports for the TABs (Wine lays the text
// out in a substitute face), never against fixed numbers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/docopen/openplan.h"
#include "fw/alloc.h"
#include "fw/clipboard.h"
#include "fw/uihooks.h"
#include "macro/macro_texttotable.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;
using shelltest::Lines;

const char kBars[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs20 "
    "First paragraph\\par a|bb|c|d\\par eee|f|g|h\\par i|j|kk|l\\par Last paragraph\\par}";

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class TableConvertTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* OpenDoc(const std::string& rtf, const char* name = "doc.rtf") {
    CDvkView* v = Open(name, rtf);
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
  // The first character of paragraph `p` (the control's text is ASCII here).
  static long ParaStart(CDvkView* v, int p) {
    const std::vector<std::string> lines = Lines(ControlText(v));
    long at = 0;
    for (int i = 0; i < p && i < static_cast<int>(lines.size()); ++i)
      at += static_cast<long>(lines[static_cast<std::size_t>(i)].size()) + 1;
    return at;
  }
  // Paragraphs first..last selected whole, the last one's end included.
  static void SelectParagraphs(CDvkView* v, int first, int last) {
    v->GetRichEditCtrl().SetSel(ParaStart(v, first), ParaStart(v, last + 1));
  }
  static PARAFORMAT2 ParaFormatAt(CDvkView* v, long at) {
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    ctrl.SetSel(at, at);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    ctrl.SendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf;
  }
  static CHARFORMAT2A CharFormatAt(CDvkView* v, long at) {
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    ctrl.SetSel(at, at + 1);
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    ctrl.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }
  // Every TAB of paragraph `p` has a stop 150 twips right of its place (15
  // twips a pixel), after the stop at 0, and a one-point mark on the line
  // colour right after it.
  void ExpectRuledRow(CDvkView* v, int p) {
    SCOPED_TRACE("paragraph " + std::to_string(p));
    const std::string line = Lines(ControlText(v))[static_cast<std::size_t>(p)];
    const long start = ParaStart(v, p);
    const PARAFORMAT2 pf = ParaFormatAt(v, start);
    std::vector<long> tabs;
    for (std::size_t i = 0; i < line.size(); ++i)
      if (line[i] == '\t') tabs.push_back(start + static_cast<long>(i));
    ASSERT_FALSE(tabs.empty()) << line;
    ASSERT_EQ(static_cast<int>(tabs.size()) + 1, pf.cTabCount) << line;
    EXPECT_EQ(0, pf.rgxTabs[0] & 0xFFFFFF);
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    const long x0 = ctrl.PosFromChar(start).x;
    for (std::size_t k = 0; k < tabs.size(); ++k) {
      const long x = ctrl.PosFromChar(tabs[k]).x - x0;
      EXPECT_EQ(15 * x + 150, pf.rgxTabs[k + 1] & 0xFFFFFF) << "TAB " << k;
      const CHARFORMAT2A mark = CharFormatAt(v, tabs[k] + 1);
      EXPECT_EQ('_', line[static_cast<std::size_t>(tabs[k] - start + 1)]);
      EXPECT_EQ(20, mark.yHeight) << "TAB " << k;
      EXPECT_EQ(RGB(1, 0, 0), mark.crBackColor) << "TAB " << k;
    }
  }
  // 33179 as the menu sends it, to the text pane made the active view.
  bool SendConvert(CDvkView* v) {
    frame->ActivateTextPane(0, 0);
    if (frame->GetActiveView() != v) return false;
    frame->SendMessage(WM_COMMAND, ID_TBL_CONVERT, 0);
    return true;
  }
  // The command, then the messages until timer 40 is done:
  // the copy removed, the lock released and the reopened text in.
  bool Convert(CDvkView* v, bool ctrlForm, const char* name = "doc") {
    v->m_bCtrlButton = ctrlForm ? 1 : 0;
    if (!SendConvert(v)) return false;
    const std::string copy = File((std::string(name) + "_001.rtf").c_str());
    return testsupport::PumpUntil(
        [&] { return !FileExists(copy) && doc->m_nUpdateLockCount == 0 && !v->LoadPending(); }, 10000);
  }
};

TEST_F(TableConvertTest, CtrlFormTurnsBarLinesIntoRuledRowsInPlace) {
  CDvkView* v = OpenDoc(kBars);
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(4u, v->m_nFileKind);
  SelectParagraphs(v, 1, 3);
  ASSERT_TRUE(Convert(v, true));
  EXPECT_EQ(0u, v->m_bCtrlButton);
  EXPECT_EQ(4u, v->m_nFileKind);
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 5u) << ControlText(v);
  EXPECT_EQ("First paragraph", lines[0]);
  EXPECT_EQ("a\t_bb\t_c\t_d", lines[1]);
  EXPECT_EQ("eee\t_f\t_g\t_h", lines[2]);
  EXPECT_EQ("i\t_j\t_kk\t_l", lines[3]);
  EXPECT_EQ("Last paragraph", lines[4]);
  for (int p = 1; p <= 3; ++p) ExpectRuledRow(v, p);
  // The document is the user's file again, changed and not yet saved.
  EXPECT_STREQ(File("doc.rtf").c_str(), doc->m_strCurFile.GetString());
  EXPECT_EQ(std::string(kBars), testsupport::ReadFileBytes(File("doc.rtf")));
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  EXPECT_EQ(0, doc->m_bShiftHeld);
}

TEST_F(TableConvertTest, AnotherProgramTakingTheClipboardBeforeThePasteLosesNothing) {
  CDvkView* v = OpenDoc(kBars);
  ASSERT_NE(nullptr, v);
  SelectParagraphs(v, 1, 3);
  v->m_bCtrlButton = 1;
  ASSERT_TRUE(SendConvert(v));
  // The converted table is on the clipboard; another program replaces it
  // before timer 40 puts the table back into the document.
  std::string rtf;
  EXPECT_TRUE(fw::GetClipboardRtf(nullptr, &rtf));
  EXPECT_NE(std::string::npos, rtf.find("bb")) << rtf.substr(0, 200);
  ASSERT_TRUE(fw::SetClipboardText(nullptr, "another program's text"));
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] { return !FileExists(File("doc_001.rtf")) && doc->m_nUpdateLockCount == 0 && !v->LoadPending(); },
      10000));
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 5u) << ControlText(v);
  EXPECT_EQ("a\t_bb\t_c\t_d", lines[1]);
  EXPECT_EQ("i\t_j\t_kk\t_l", lines[3]);
  EXPECT_EQ("Last paragraph", lines[4]);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
}

TEST_F(TableConvertTest, CtrlFormKeepsTwoBarLinesAsTabRows) {
  // Two bars and no TAB: 'e' stays 'e', so the bars stay text and the rows
  // only take the row height.
  CDvkView* v = OpenDoc(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 Top\\par a|b|c\\par dd|e|f\\par End\\par}");
  ASSERT_NE(nullptr, v);
  SelectParagraphs(v, 1, 2);
  ASSERT_TRUE(Convert(v, true));
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("Top", lines[0]);
  EXPECT_EQ("a|b|c", lines[1]);
  EXPECT_EQ("dd|e|f", lines[2]);
  EXPECT_EQ("End", lines[3]);
  for (int p = 1; p <= 2; ++p) {
    const PARAFORMAT2 pf = ParaFormatAt(v, ParaStart(v, p));
    EXPECT_EQ(4, pf.bLineSpacingRule) << p;
    EXPECT_EQ(240, pf.dyLineSpacing) << p;
  }
  EXPECT_NE(4, ParaFormatAt(v, ParaStart(v, 0)).bLineSpacingRule);
}

TEST_F(TableConvertTest, CtrlFormMarksTabRowsAndLeavesRuledLines) {
  // TAB rows between a thin ruled line: marks after the TABs, stops from
  // their places, 240 twips; the ruled line keeps its 20 twips and no mark.
  CDvkView* v = OpenDoc(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 Top\\par "
      "x\\tab yy\\tab z\\par\\pard\\sl-20\\slmult0 -\\par\\pard p\\tab q\\tab rrr\\par\\pard End\\par}");
  ASSERT_NE(nullptr, v);
  SelectParagraphs(v, 1, 3);
  ASSERT_TRUE(Convert(v, true));
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 5u) << ControlText(v);
  EXPECT_EQ("x\t_yy\t_z", lines[1]);
  EXPECT_EQ("-", lines[2]);
  EXPECT_EQ("p\t_q\t_rrr", lines[3]);
  EXPECT_EQ("End", lines[4]);
  for (int p : {1, 3}) {
    ExpectRuledRow(v, p);
    const PARAFORMAT2 pf = ParaFormatAt(v, ParaStart(v, p));
    EXPECT_EQ(4, pf.bLineSpacingRule) << p;
    EXPECT_EQ(240, pf.dyLineSpacing) << p;
  }
  const PARAFORMAT2 rule = ParaFormatAt(v, ParaStart(v, 2));
  EXPECT_EQ(4, rule.bLineSpacingRule);
  EXPECT_EQ(20, rule.dyLineSpacing);
}

TEST_F(TableConvertTest, AnExistingCopyIsReplacedOnlyWhenTheUserSaysSo) {
  CDvkView* v = OpenDoc(kBars);
  ASSERT_NE(nullptr, v);
  const std::string copy = File("doc_001.rtf");
  testsupport::WriteFileBytes(copy, "the user's own file");
  const std::string before = ControlText(v);
  SelectParagraphs(v, 1, 3);
  fw::hooks::ExpectMessageBox("doc_001.rtf", IDCANCEL);
  v->m_bCtrlButton = 1;
  ASSERT_TRUE(SendConvert(v));
  testsupport::PumpUntil([] { return false; }, 300);  // timer 40 would come in this time
  EXPECT_EQ("the user's own file", testsupport::ReadFileBytes(copy));
  EXPECT_EQ(before, ControlText(v));
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  EXPECT_EQ(4u, v->m_nFileKind);
  EXPECT_STREQ(File("doc.rtf").c_str(), doc->m_strCurFile.GetString());
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
}


// The paragraphs of the control with exact spacing below 40 twips (rule
// paragraphs of a ruled table) read 20 twips, and there is at least one.
void ExpectRulesOf20Twips(CDvkView* v, int firstPara, int lastPara) {
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const std::vector<std::string> lines = Lines(ControlText(v));
  long at = 0;
  int rules = 0;
  for (int p = 0; p < static_cast<int>(lines.size()); ++p) {
    if (p >= firstPara && p <= lastPara) {
      ctrl.SetSel(at, at);
      PARAFORMAT2 pf = {};
      pf.cbSize = sizeof pf;
      ctrl.SendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
      if (pf.bLineSpacingRule == 4 && pf.dyLineSpacing < 40) {
        EXPECT_EQ(20, pf.dyLineSpacing) << "paragraph " << p;
        ++rules;
      }
    }
    at += static_cast<long>(lines[static_cast<std::size_t>(p)].size()) + 1;
  }
  EXPECT_GT(rules, 0) << ControlText(v);
}

// The cells in order somewhere after `from` in `text`; the position after
// the last one (npos when one is missing).
std::size_t CellsInOrder(const std::string& text, std::size_t from, const std::vector<std::string>& cells) {
  for (const std::string& c : cells) {
    const std::size_t p = text.find(c, from);
    if (p == std::string::npos) return p;
    from = p + c.size();
  }
  return from;
}

TEST_F(TableConvertTest, WithoutCtrlTheLinesShowAsARuledTableAndComeBackPasted) {
  CDvkView* v = OpenDoc(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 Top paragraph\\par "
      "^<2^name|^R^price|^R^qty|note|memo\\par apple|120|3|red|a\\par pear|95|7|green|b\\par End paragraph\\par}");
  ASSERT_NE(nullptr, v);
  // The text-to-table conversion these cases go through is not built on
  // every branch yet: without it the command keeps the text as it was.
  if (v->ConvertTextToTable(1, 0, 0) == macro::kTextTableStopped)
    GTEST_SKIP() << "the text-to-table conversion is not built";
  SelectParagraphs(v, 1, 3);
  v->m_bCtrlButton = 0;
  ASSERT_TRUE(SendConvert(v));
  // The copy holds the whole document, and the table went to the clipboard
  // as the ruled display's rich text, from the CSV form of the lines.
  const std::string copy = File("doc_001.rtf");
  ASSERT_TRUE(FileExists(copy));
  const std::string saved = testsupport::ReadFileBytes(copy);
  EXPECT_NE(std::string::npos, saved.find("Top paragraph"));
  EXPECT_NE(std::string::npos, saved.find("End paragraph"));
  const std::string csvForm(reinterpret_cast<const char*>(v->m_table.m_pTextBuf), v->m_table.UsedLength());
  EXPECT_NE(std::string::npos, CellsInOrder(csvForm, 0, {"^<2^name\x06", "^R^price\x06", "^R^qty\x06", "note", "\r\n", "apple\x06",
                                                         "120\x06", "3\x06", "red", "\r\n", "pear\x06", "95\x06",
                                                         "7\x06", "green"}))
      << csvForm;
  EXPECT_EQ(std::string::npos, csvForm.find('|'));
  std::string rtf;
  ASSERT_TRUE(fw::GetClipboardRtf(v->m_hWnd, &rtf));
  EXPECT_NE(std::string::npos, rtf.find("\\sl-20")) << rtf.substr(0, 3000);
  EXPECT_EQ(std::string::npos, rtf.find("Top paragraph"));
  // Timer 40 puts the table between the two paragraphs of the document.
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] { return !FileExists(copy) && doc->m_nUpdateLockCount == 0 && !v->LoadPending(); }, 10000));
  EXPECT_EQ(4u, v->m_nFileKind);
  EXPECT_EQ(0u, v->m_nEditMode);
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 3u) << ControlText(v);
  EXPECT_EQ("Top paragraph", lines.front());
  int last = static_cast<int>(lines.size()) - 1;
  while (last > 0 && lines[static_cast<std::size_t>(last)].empty()) --last;
  EXPECT_EQ("End paragraph", lines[static_cast<std::size_t>(last)]);
  const std::string text = ControlText(v);
  EXPECT_NE(std::string::npos,
            CellsInOrder(text, 0, {"Top paragraph", "name", "price", "qty", "note", "apple", "120", "3", "red", "pear",
                                   "95", "7", "green", "End paragraph"}))
      << text;
  EXPECT_EQ(std::string::npos, text.find('|'));
  // The pasted rule paragraphs keep their 20 twips.
  ExpectRulesOf20Twips(v, 1, last - 1);
  EXPECT_STREQ(File("doc.rtf").c_str(), doc->m_strCurFile.GetString());
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
}

TEST_F(TableConvertTest, ANewUserConvertsBothWaysSavesAndReopens) {
  const std::string body =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 Before the table.\\par "
      "^<2^a|b|c|d|x\\par e|f|g|h|y\\par i|j|k|l|z\\par After the table.\\par}";
  testsupport::WriteFileBytes(File("other.rtf"), body);
  CDvkView* v = OpenDoc(body);
  ASSERT_NE(nullptr, v);
  // The text-to-table conversion these cases go through is not built on
  // every branch yet: without it the command keeps the text as it was.
  if (v->ConvertTextToTable(1, 0, 0) == macro::kTextTableStopped)
    GTEST_SKIP() << "the text-to-table conversion is not built";
  // 1. The block as a ruled table.
  SelectParagraphs(v, 1, 3);
  ASSERT_TRUE(Convert(v, false));
  std::string text = ControlText(v);
  EXPECT_EQ(0u, text.find("Before the table."));
  EXPECT_NE(std::string::npos, CellsInOrder(text, 17, {"a", "b", "c", "d", "x", "e", "f", "g", "h", "y", "i", "j", "k", "l", "z",
                                                      "After the table."}))
      << text;
  // 4. Saved and opened again: both paragraphs and the table are there.
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_FALSE(FileExists(File("doc_001.rtf")));
  ASSERT_EQ(0, doc->OpenFile(File("doc.rtf").c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !v->LoadPending(); }, 10000));
  EXPECT_EQ(text, ControlText(v));
  ExpectRulesOf20Twips(v, 1, static_cast<int>(Lines(text).size()) - 2);

  // 2. Another copy with Ctrl: the lines become ruled rows in place.
  ASSERT_EQ(0, doc->OpenFile(File("other.rtf").c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !v->LoadPending(); }, 10000));
  frame->ActivateTextPane(0, 0);
  SelectParagraphs(v, 1, 3);
  ASSERT_TRUE(Convert(v, true, "other"));
  std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ("Before the table.", lines[0]);
  EXPECT_EQ("^<2^a\t_b\t_c\t_d\t_x", lines[1]);
  EXPECT_EQ("After the table.", lines[4]);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  ASSERT_EQ(0, doc->OpenFile(File("other.rtf").c_str(), docopen::OpenMode::kPlain));
  ASSERT_TRUE(testsupport::PumpUntil([&] { return !v->LoadPending(); }, 10000));
  lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ("Before the table.", lines[0]);
  EXPECT_EQ("i\t_j\t_k\t_l\t_z", lines[3]);
  EXPECT_EQ("After the table.", lines[4]);
  ExpectRuledRow(v, 3);
}

TEST_F(TableConvertTest, RichTextStreamedIntoTheMiddleKeepsItsRuleSpacing) {
  // The paste of timer 40 in small: a rule paragraph and a row streamed in
  // between two paragraphs read their exact spacing, and the paragraph
  // after them keeps its own.
  CDvkView* v = OpenDoc(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 Top\\par\\pard\\sl-300\\slmult0 End\\par}");
  ASSERT_NE(nullptr, v);
  const std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0\\fs20 \\pard\\sl-20\\slmult0 \\highlight1 x\\par"
      "\\pard\\sl-270\\slmult0 row\\par}";
  doc->m_pText = static_cast<char*>(fw::Realloc(doc->m_pText, rtf.size() + 1));
  ASSERT_NE(nullptr, doc->m_pText);
  std::memcpy(doc->m_pText, rtf.c_str(), rtf.size() + 1);
  doc->m_nTextCapacity = static_cast<std::uint32_t>(rtf.size() + 1);
  doc->m_nTextLen = static_cast<std::uint32_t>(rtf.size());
  const long at = ParaStart(v, 1);
  ASSERT_EQ(300, ParaFormatAt(v, at).dyLineSpacing);
  v->GetRichEditCtrl().SetSel(at, at);
  CDvkView::StreamCursor cur;
  cur.end = doc->m_nTextLen;
  cur.len = doc->m_nTextLen;
  v->StreamInRtf(v->m_hWnd, 1, cur);
  const std::vector<std::string> lines = Lines(ControlText(v));
  ASSERT_GE(lines.size(), 4u) << ControlText(v);
  EXPECT_EQ("Top", lines[0]);
  EXPECT_EQ("x", lines[1]);
  EXPECT_EQ("row", lines[2]);
  const struct {
    int para;
    LONG twips;
  } want[] = {{1, 20}, {2, 270}};
  for (const auto& w : want) {
    const PARAFORMAT2 pf = ParaFormatAt(v, ParaStart(v, w.para));
    EXPECT_EQ(4, pf.bLineSpacingRule) << w.para;
    EXPECT_EQ(w.twips, pf.dyLineSpacing) << w.para;
  }
  int endPara = 3;
  while (endPara < static_cast<int>(lines.size()) && lines[static_cast<std::size_t>(endPara)] != "End") ++endPara;
  ASSERT_LT(endPara, static_cast<int>(lines.size()));
  const PARAFORMAT2 endPf = ParaFormatAt(v, ParaStart(v, endPara));
  EXPECT_EQ(300, endPf.dyLineSpacing);
}

}  // namespace
