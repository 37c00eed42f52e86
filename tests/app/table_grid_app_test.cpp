// New tables in a rich-text view, in-process: the blank ruled table of
// MakeTable(1), command 33178 with and without selected lines (the control's
// text read back through EM_GETTEXTEX, the rule row's spacing through
// EM_GETPARAFORMAT), and the text back from a selection that holds a
// picture larger than the room reserved for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

// The control's text in CP932, paragraph ends as they come.
std::string Text932(CDvkView* v) {
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  std::string s(static_cast<std::size_t>(ctrl.GetTextLength()) * 2 + 16, '\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(s.size());
  gt.flags = GT_DEFAULT;
  gt.codepage = 932;
  const LRESULT got = ctrl.SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(&s[0]));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

// The words of a text: runs of printable bytes (cells, rows and marks of
// the control's table form fall between them).
std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  for (unsigned char c : s) {
    if (c > ' ' && c < 0x7F) {
      cur += static_cast<char>(c);
    } else if (!cur.empty()) {
      out.push_back(cur);
      cur.clear();
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

class TableGridAppTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* OpenRtf(const std::string& body) {
    CDvkView* v = Open("d.rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\\f0\\fs24 " + body + "}");
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
  // Selects lines first..last of the control with their line ends.
  static void SelectLines(CDvkView* v, int first, int last) {
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    ctrl.SetSel(ctrl.LineIndex(first), ctrl.LineIndex(last + 1));
  }
  // The character position of the first `what`.
  static long FindChar(CDvkView* v, const char* what) {
    FINDTEXTEXA ft = {};
    ft.chrg.cpMin = 0;
    ft.chrg.cpMax = -1;
    ft.lpstrText = what;
    return v->GetRichEditCtrl().FindText(FR_DOWN | FR_MATCHCASE, &ft);
  }
  // The paragraph format at character `at`.
  static PARAFORMAT2 ParaAt(CDvkView* v, long at) {
    CRichEditCtrl& ctrl = v->GetRichEditCtrl();
    ctrl.SetSel(at, at);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    ctrl.SendMessage(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf;
  }
};

TEST_F(TableGridAppTest, BlankTableInAnEmptyRichTextView) {
  CDvkView* v = OpenRtf("");
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(4u, v->m_nFileKind);
  // The empty view's working buffer has no room for the table: it grows.
  ASSERT_LT(v->m_table.m_nWorkSize, 60u);
  EXPECT_EQ(0, v->MakeTable(1));
  EXPECT_EQ(5, v->m_table.m_nLastRow);
  EXPECT_EQ(6u, v->m_table.m_nFieldCount);
  // Six row paragraphs of six cells, the first cell of the first row "..".
  const std::vector<std::string> lines = shelltest::Lines(shelltest::ControlText(v));
  std::vector<std::string> rows;
  for (const std::string& l : lines) {
    if (std::count(l.begin(), l.end(), '\t') >= 6) rows.push_back(l);
  }
  ASSERT_EQ(6u, rows.size()) << shelltest::ControlText(v);
  EXPECT_EQ(std::vector<std::string>{".."}, Words(rows[0]));
  for (std::size_t r = 1; r < rows.size(); ++r) EXPECT_TRUE(Words(rows[r]).empty()) << r << ": " << rows[r];
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
  // Other values change nothing.
  EXPECT_EQ(7, v->MakeTable(7));
}

TEST_F(TableGridAppTest, NewTableWithoutSelectionInsertsTheTemplateAsAGrid) {
  CDvkView* v = OpenRtf("before\\par after\\par");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const long at = ctrl.LineIndex(1);  // the start of "after"
  ctrl.SetSel(at, at);
  v->SendMessage(WM_COMMAND, ID_TBL_NEW, 0);
  const std::string text = Text932(v);
  const std::vector<std::string> want = {"before", "Title", "A1", "A2", "A3", "A4", "A5", "A6",
                                         "..",     "..",    "..", "after"};
  EXPECT_EQ(want, Words(text)) << text;
  // The template's lines are table rows now, "before" and "after" are not.
  EXPECT_TRUE(ParaAt(v, FindChar(v, "Title")).wEffects & PFE_TABLE);
  EXPECT_TRUE(ParaAt(v, FindChar(v, "A6")).wEffects & PFE_TABLE);
  EXPECT_FALSE(ParaAt(v, FindChar(v, "before")).wEffects & PFE_TABLE);
  EXPECT_FALSE(ParaAt(v, FindChar(v, "after")).wEffects & PFE_TABLE);
  EXPECT_TRUE(ctrl.GetModify());
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(TableGridAppTest, TemplateModeTwoOnlyInsertsMidLineOnALineOfItsOwn) {
  CDvkView* v = OpenRtf("before after\\par");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const long mid = FindChar(v, " after");
  ctrl.SetSel(mid, mid);
  EXPECT_EQ(0, v->InsertTableTemplate(2));
  const std::vector<std::string> lines = shelltest::Lines(shelltest::ControlText(v));
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ("before", lines[0]);
  EXPECT_EQ("Title", lines[1]);
  EXPECT_EQ("  A1\t  A2\t  A3\t  A4\t  A5\t  A6", lines[2]);
  EXPECT_EQ("..\t..\t..\t\t\t", lines[7]);
  EXPECT_EQ(" after", lines[8]);
  EXPECT_FALSE(ParaAt(v, FindChar(v, "Title")).wEffects & PFE_TABLE);
}

TEST_F(TableGridAppTest, NewTableWithSelectedLinesMakesThemTheGrid) {
  CDvkView* v = OpenRtf("top\\par a|b\\par -\\par c|d\\par bottom\\par");
  ASSERT_NE(nullptr, v);
  SelectLines(v, 1, 3);
  v->SendMessage(WM_COMMAND, ID_TBL_NEW, 0);
  const std::string text = Text932(v);
  // No template; the bars became cell boundaries and the "-" line a rule.
  EXPECT_EQ((std::vector<std::string>{"top", "a", "b", "c", "d", "bottom"}), Words(text)) << text;
  EXPECT_EQ(std::string::npos, text.find('|')) << text;
  // The rule row keeps its 20 twips; the text rows are taller.
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const long aAt = FindChar(v, "a");
  const long cAt = FindChar(v, "c");
  ASSERT_GT(cAt, aAt);
  bool ruleSeen = false;
  for (long p = aAt; p < cAt; ++p) {
    const PARAFORMAT2 pf = ParaAt(v, p);
    if (pf.bLineSpacingRule == 4 && pf.dyLineSpacing == 20) ruleSeen = true;
  }
  EXPECT_TRUE(ruleSeen);
  const PARAFORMAT2 row = ParaAt(v, aAt);
  EXPECT_EQ(4, row.bLineSpacingRule);
  EXPECT_GT(row.dyLineSpacing, 60);
  EXPECT_TRUE(row.wEffects & PFE_TABLE);
  EXPECT_FALSE(ParaAt(v, FindChar(v, "bottom")).wEffects & PFE_TABLE);
  (void)ctrl;
}

TEST_F(TableGridAppTest, ATableAtTheEndSurvivesSaveAndReopen) {
  CDvkView* v = OpenRtf("first\\par {\\b bold} last\\par");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(-1, -1);  // the document's end
  v->SendMessage(WM_COMMAND, ID_TBL_NEW, 0);
  const std::vector<std::string> want = {"first", "bold", "last", "Title", "A1", "A2", "A3",
                                         "A4",    "A5",   "A6",   "..",    "..", ".."};
  ASSERT_EQ(want, Words(Text932(v))) << Text932(v);
  ctrl.SetModify(TRUE);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  const std::string saved = testsupport::ReadFileBytes(File("d.rtf"));
  EXPECT_NE(std::string::npos, saved.find("\\trowd")) << saved.substr(0, 400);
  ASSERT_EQ(0, doc->OpenFile(File("d.rtf").c_str(), docopen::OpenMode::kPlain));
  CDvkView* again = frame->GetTextView(0, 0);
  ASSERT_NE(nullptr, again);
  ASSERT_TRUE(testsupport::PumpUntil([again] { return !again->LoadPending(); }, 10000));
  EXPECT_EQ(want, Words(Text932(again))) << Text932(again);
  EXPECT_TRUE(ParaAt(again, FindChar(again, "A6")).wEffects & PFE_TABLE);
}

TEST_F(TableGridAppTest, WithoutMemoryNothingChanges) {
  CDvkView* v = OpenRtf("top\\par a|b\\par c|d\\par");
  ASSERT_NE(nullptr, v);
  const std::string before = Text932(v);
  // The blank table: its buffer cannot grow.
  const std::uint32_t tableLen = v->m_table.m_nTextLen;
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(1);
  fw::hooks::ExpectMessageBox("\x83\x81\x83\x82\x83\x8a\x81\x5b", IDOK);  // "メモリー"
  EXPECT_EQ(-1, v->MakeTable(1));
  fw::alloctest::Reset();
  EXPECT_EQ(tableLen, v->m_table.m_nTextLen);
  EXPECT_EQ(before, Text932(v));
  // The grid table: the document's text buffer cannot grow to hold it.
  doc->m_pText = static_cast<char*>(fw::Realloc(doc->m_pText, 16));
  ASSERT_NE(nullptr, doc->m_pText);
  doc->m_nTextCapacity = 16;
  doc->m_nTextLen = 0;
  doc->m_pText[0] = 0;
  SelectLines(v, 1, 2);
  fw::alloctest::FailFrom(1);
  fw::hooks::ExpectMessageBox(" 037", IDOK);
  v->SendMessage(WM_COMMAND, ID_TBL_NEW, 0);
  fw::alloctest::Reset();
  EXPECT_EQ(before, Text932(v));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(0, doc->m_nUpdateLockCount);
}

TEST_F(TableGridAppTest, NewTableOutsideRichTextChangesNothing) {
  CDvkView* v = Open("t.txt", "a|b\r\nc|d\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const std::string before = Text932(v);
  v->GetRichEditCtrl().SetSel(0, -1);
  v->SendMessage(WM_COMMAND, ID_TBL_NEW, 0);
  EXPECT_EQ(before, Text932(v));
}

// An enhanced metafile of many records: its hex in the rich text is far
// longer than 8 times the selection plus 100,000 bytes.
std::string BigPictureRtf() {
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  for (int i = 0; i < 6000; ++i) Rectangle(dc, i % 97, i % 89, 20 + i % 31, 20 + i % 29);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  const UINT size = GetEnhMetaFileBits(emf, 0, nullptr);
  std::vector<BYTE> bits(size);
  GetEnhMetaFileBits(emf, size, bits.data());
  DeleteEnhMetaFile(emf);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (BYTE b : bits) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return "{\\pict\\emfblip\\picw2000\\pich2000\\picwgoal1000\\pichgoal1000 " + hex + "}";
}

TEST_F(TableGridAppTest, TextBackFromASelectionWithAPicture) {
  const std::string pict = BigPictureRtf();
  ASSERT_GT(pict.size(), 200000u);
  CDvkView* v = OpenRtf("\\pard\\sl-300\\slmult0 a\\tab " + pict + "\\tab b\\par\\pard\\sl-20\\slmult0 \\tab \\par");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, -1);
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const int len = v->ExtractTableText(0);
  ASSERT_GT(len, 0);
  const std::string got(doc->m_pText, static_cast<std::size_t>(len));
  EXPECT_EQ(std::string("a|\x81\xa0|b\r\n"), got.substr(0, 8)) << got;
  // The stream grew the buffer for the picture's data and stayed inside it.
  EXPECT_LT(static_cast<std::uint32_t>(len), doc->m_nTextCapacity);
  EXPECT_EQ(0, doc->m_pText[len]);
  // The selection is as it was.
  long s2 = 0, e2 = 0;
  ctrl.GetSel(s2, e2);
  EXPECT_EQ(s, s2);
  EXPECT_EQ(e, e2);
}

}  // namespace
