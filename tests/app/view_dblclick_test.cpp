// The text view's double-click in the running program: CSV check lines,
// in-text anchors, "::" suffixes, folder references, picture markers, the
// outside browser's hand-over, the colour code and the edit menu's New.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fw/clock.h"
#include "fw/shellexec.h"
#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class DblClickTest : public shelltest::ShellFileTest {
 protected:
  // Puts the caret at character `at` and double-clicks there.
  static void DoubleClickAt(CDvkView* v, long at) {
    v->GetRichEditCtrl().SetSel(at, at);
    v->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
  }
  // Character position of `needle` in the control's text (CR line ends).
  static long Find(CDvkView* v, const char* needle) {
    return v->FindTextMatchCase(0, -1, CString(needle));
  }
  static CHARFORMAT2A FormatAt(CDvkView* v, long at) {
    CRichEditCtrl& c = v->GetRichEditCtrl();
    long s = 0, e = 0;
    c.GetSel(s, e);
    c.SetSel(at, at + 1);
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    c.GetSelectionCharFormat(cf);
    c.SetSel(s, e);
    return cf;
  }
  static std::string Pane0() { return g_pStatusBar ? g_pStatusBar->GetPaneText(0).Str() : std::string(); }
  std::string History(int i) const { return doc->m_strHistory[i].Str(); }
};

TEST_F(DblClickTest, ACsvLineIsCheckedAndUncheckedWithoutModifyingTheText) {
  CDvkView* v = OpenTable("k,v\r\na,1\r\nb,2\r\nc,3\r\n");
  ASSERT_NE(nullptr, v);
  CRichEditCtrl& c = v->GetRichEditCtrl();
  const long line2 = c.LineIndex(2);
  c.SetModify(FALSE);
  const int first = c.GetFirstVisibleLine();
  DoubleClickAt(v, line2 + 1);
  CHARFORMAT2A cf = FormatAt(v, line2);
  EXPECT_TRUE(cf.dwEffects & CFE_UNDERLINE);
  EXPECT_EQ(0xF01010u, cf.crTextColor);
  EXPECT_FALSE(FormatAt(v, c.LineIndex(1)).dwEffects & CFE_UNDERLINE);  // no other line
  EXPECT_EQ(1u, v->m_nEntryListMode);
  EXPECT_EQ(1u, v->m_nEntryListPos);
  EXPECT_EQ(static_cast<std::uint32_t>(2 + v->m_nRowBase + 1), v->Entry(0));
  EXPECT_FALSE(c.GetModify());
  EXPECT_EQ(first, c.GetFirstVisibleLine());
  long s = -1, e = -1;
  c.GetSel(s, e);
  EXPECT_EQ(line2 + 1, s);
  EXPECT_EQ(line2 + 1, e);

  // Again: the row leaves the list (it was in the last slot) and the list is empty.
  DoubleClickAt(v, line2 + 1);
  EXPECT_FALSE(FormatAt(v, line2).dwEffects & CFE_UNDERLINE);
  EXPECT_EQ(0u, v->m_nEntryListMode);
  EXPECT_EQ(0u, v->m_nEntryListPos);
  EXPECT_EQ(0u, v->Entry(0));
  EXPECT_FALSE(c.GetModify());
}

TEST_F(DblClickTest, TheTitleLineOfAPagedTableFormatsNothingAndStoresMinusOne) {
  CDvkView* v = OpenTable("k,v\r\na,1\r\n");
  ASSERT_NE(nullptr, v);
  v->m_nRowBase = 5;
  v->m_nTitleLineFlag = 1;
  DoubleClickAt(v, 1);
  EXPECT_FALSE(FormatAt(v, 0).dwEffects & CFE_UNDERLINE);
  EXPECT_EQ(-1, static_cast<std::int32_t>(v->Entry(0)));
  // The next line is row 0 + 5 + 1 of the page.
  DoubleClickAt(v, v->GetRichEditCtrl().LineIndex(1));
  EXPECT_EQ(6u, v->Entry(1));
}

TEST_F(DblClickTest, AFullCheckListStoresNothing) {
  CDvkView* v = OpenTable("k,v\r\na,1\r\nb,2\r\n");
  ASSERT_NE(nullptr, v);
  for (std::uint32_t i = 0; i < v->m_nEntryListCount; ++i) v->Set(i, 500 + i);
  v->m_nEntryListPos = v->m_nEntryListCount;
  v->m_nEntryListMode = 1;
  DoubleClickAt(v, v->GetRichEditCtrl().LineIndex(1));
  EXPECT_EQ(" Over check line max", Pane0());
  for (std::uint32_t i = 0; i < v->m_nEntryListCount; ++i) ASSERT_EQ(500 + i, v->Entry(i));
}

TEST_F(DblClickTest, AnAnchorIsFoundFurtherDownAndFarHitsAreRecorded) {
  const std::string filler(70, 'x');
  CDvkView* v = Open("a.txt", "go #ch2# now\r\n" + filler + "\r\n<ch2> here\r\nnear #n1# <n1>\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const int before = doc->m_nHistoryCount;
  DoubleClickAt(v, Find(v, "#ch2#") + 2);
  const long hit = Find(v, "<ch2>");
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(hit, s);
  ASSERT_EQ(before + 2, doc->m_nHistoryCount);
  EXPECT_EQ("adrs://" + std::to_string(1000000 + 3), History(before));
  EXPECT_EQ("adrs://" + std::to_string(1000000 + hit), History(before + 1));

  // A hit a few characters away selects it and records nothing.
  DoubleClickAt(v, Find(v, "#n1#") + 1);
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(Find(v, "<n1>"), s);
  EXPECT_EQ(before + 2, doc->m_nHistoryCount);
}

TEST_F(DblClickTest, AHitAfterAQuoteIsSkippedAndASearchWrapsToTheTop) {
  CDvkView* v = Open("q.txt", "x <up> first\r\nlink #top# and \"<top> quoted <top> real\r\nback #up#\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  DoubleClickAt(v, Find(v, "#top#") + 2);
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(Find(v, "<top> real"), s);  // the quoted one is the link's own text
  // Nothing below the word: the search starts again at the top.
  DoubleClickAt(v, Find(v, "#up#") + 2);
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(2, s);
}

TEST_F(DblClickTest, ASuffixOpensTheFileAtItsLine) {
  testsupport::WriteFileBytes(File("bb.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
  CDvkView* v = Open("a.txt", "see bb.txt::3&2 here\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  DoubleClickAt(v, Find(v, "bb.txt") + 1);
  EXPECT_EQ("3&2", std::string(doc->m_strJumpSuffix.Str()));
  EXPECT_EQ(41, doc->m_nPaneAction);
  CDvkView* shown = frame->GetTextView(0, 0);
  ASSERT_TRUE(testsupport::PumpUntil([shown] { return !shown->LoadPending(); }, 10000));
  EXPECT_EQ("one\ntwo\nthree\nfour", ControlText(shown));
  EXPECT_EQ(2, shown->GetRichEditCtrl().LineFromChar(-1));
}

TEST_F(DblClickTest, AFolderReferenceOpensTheFolderOnTheSideAndIsRecorded) {
  const std::string dir = File("sub");
  CreateDirectoryA(dir.c_str(), nullptr);
  CDvkView* v = Open("a.txt", "folder %" + dir + " end\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  DoubleClickAt(v, Find(v, "%") + 3);
  ASSERT_GE(doc->m_nHistoryCount, 2);
  EXPECT_EQ("%1" + dir, History(doc->m_nHistoryCount - 1));
  EXPECT_EQ(dir, std::string(doc->m_strLinkTarget.Str()));
  EXPECT_EQ(dir, std::string(doc->ActivePath().Str()));
}

TEST_F(DblClickTest, AMarkerOfAPackageOpensItsMediaFileAndNamesOnlyThatFolder) {
  // A 2 x 1 24-bit bitmap.
  std::string bmp = std::string("BM") + std::string(4, '\0') + std::string(4, '\0') + std::string("\x36\0\0\0", 4);
  const char info[] = "\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x08\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0";
  bmp += std::string(info, 40);
  bmp += std::string("\xff\0\0\0\xff\0\0\0", 8);
  bmp[2] = static_cast<char>(bmp.size());
  CDvkView* v = Open("a.txt", "pic [image3.bmp] [image1] [file..\\a.txt]\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  const std::string media = File("TMP\\XLSX\\xl\\media");
  std::filesystem::create_directories(media);
  testsupport::WriteFileBytes(media + "\\image3.bmp", bmp);
  testsupport::WriteFileBytes(media + "\\image1", bmp);
  v->m_nFileKind = 36;

  DoubleClickAt(v, Find(v, "image3") + 2);
  EXPECT_EQ(3, doc->m_nExtractNo);
  EXPECT_EQ('a', doc->m_nExtractLetter);
  long s = -1, e = -1;
  v->GetRichEditCtrl().GetSel(s, e);
  EXPECT_EQ(Find(v, "[image3"), s);  // the marker with its brackets
  EXPECT_NE(std::string::npos, Title().find(media + "\\image3.bmp"));
  // The picture is beside the text, which stays (read-only: the document's
  // file is now the picture).
  CDvkView* other = frame->GetTextView(0, 1);
  ASSERT_NE(nullptr, other);
  EXPECT_EQ(12u, other->m_nFileKind);
  EXPECT_EQ("pic [image3.bmp] [image1] [file..\\a.txt]", ControlText(v));
  EXPECT_TRUE(v->GetStyle() & ES_READONLY);

  // A media file without an extension is shown from a copy named by its
  // first bytes; the file itself stays.
  v->m_nFileKind = 36;
  DoubleClickAt(v, Find(v, "image1") + 2);
  EXPECT_EQ(bmp, testsupport::ReadFileBytes(File("TMP\\image1.bmp")));
  EXPECT_EQ(bmp, testsupport::ReadFileBytes(media + "\\image1"));

  // A marker naming another folder opens nothing.
  v->m_nFileKind = 36;
  const std::string title = Title();
  DoubleClickAt(v, Find(v, "file..") + 2);
  EXPECT_EQ(title, Title());
}

TEST_F(DblClickTest, AnAddressLeftToTheViewsIsOpenedByOneOfThem) {
  testsupport::WriteFileBytes(File("cc.txt"), "page text\r\n");
  CDvkView* v = Open("a.txt", "open cc.txt now\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  doc->m_bExternalBrowser = 1;
  doc->m_nLinkMode = 1;  // shown beside the text, by the program
  const int before = doc->m_nHistoryCount;
  DoubleClickAt(v, Find(v, "cc.txt") + 1);
  EXPECT_TRUE(doc->m_strPendingAddress.IsEmpty());
  EXPECT_EQ(1u, doc->m_bLinkOpened);
  EXPECT_EQ(20, frame->m_nTextSplitMode);
  bool shown = false;
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c)
      if (CDvkView* t = frame->GetTextView(r, c)) {
        testsupport::PumpUntil([t] { return !t->LoadPending(); }, 10000);
        shown = shown || ControlText(t) == "page text";
      }
  EXPECT_TRUE(shown);
  EXPECT_EQ(before, doc->m_nHistoryCount);  // the views' route writes no entry
}

TEST_F(DblClickTest, TheBrowserHandOverFindsItsWindowOrReportsNone) {
  CDvkView* v = Open("a.txt", "web www.example.jp end\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  doc->m_bExternalBrowser = 1;
  // The shell's http handler in this prefix, for the test: a program that
  // does nothing (the prefix's own handler comes back afterwards).
  const char kHandler[] = "http\\shell\\open\\command";
  char old[1024] = {};
  LONG oldSize = sizeof old;
  const bool hadOld = RegQueryValueA(HKEY_CLASSES_ROOT, kHandler, old, &oldSize) == ERROR_SUCCESS;
  const char cmd[] = "C:\\windows\\system32\\hostname.exe";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueA(HKEY_CLASSES_ROOT, kHandler, REG_SZ, cmd, sizeof cmd - 1));
  fw::clocktest::Fix(1000000);

  fw::hooks::ScriptTopWindows({{0x1234, "Notes", CRect(0, 50, 300, 400)}});
  DoubleClickAt(v, Find(v, "www.") + 3);
  EXPECT_EQ("http://www.example.jp", std::string(fw::LastShellRequest().file.Str()));
  EXPECT_EQ("Eror fich=0 ich=999", Pane0());
  EXPECT_EQ(0, doc->m_nBrowserLink);
  EXPECT_EQ(9, frame->m_nBrowserPass);

  doc->m_nBrowserLink = 7;
  fw::hooks::ScriptTopWindows({{0x1234, "Notes", CRect(0, 50, 300, 400)},
                               {0x2345, "Top - Google Chrome", CRect(0, 0, 300, 400)},
                               {0x3456, "Test page - Google Chrome", CRect(10, 50, 310, 350)}});
  DoubleClickAt(v, Find(v, "www.") + 3);
  EXPECT_EQ("50,350 Test page - Google Chrome", Pane0());
  EXPECT_EQ(7, doc->m_nBrowserLink);
  EXPECT_EQ(1, frame->m_nBrowserPass);  // 9 after the first hand-over, 1 after a later one
  if (hadOld) RegSetValueA(HKEY_CLASSES_ROOT, kHandler, REG_SZ, old, static_cast<DWORD>(strlen(old)));
}

TEST_F(DblClickTest, TheColourCodeIsInsertedReplacedOrApplied) {
  CDvkView* v = Open("c.htm.txt", "color #ff0000; word\r\n");
  ASSERT_NE(nullptr, v);
  frame->ActivateTextPane(0, 0);
  CRichEditCtrl& c = v->GetRichEditCtrl();
  c.SetReadOnly(FALSE);
  // Nothing selected: the decimal form at the caret.
  c.SetSel(0, 0);
  fw::hooks::ExpectColorDialog(true, RGB(10, 20, 255));
  v->OnInsertColor();
  EXPECT_EQ(" 10, 20,255color #ff0000; word", ControlText(v));
  // A selected code: read as the dialog's start, replaced in the hex form.
  const long at = Find(v, "#ff0000");
  c.SetSel(at, at + 7);
  fw::hooks::ExpectColorDialog(true, RGB(0, 0, 255));
  v->OnInsertColor();
  EXPECT_EQ(" 10, 20,255color #0000ff; word", ControlText(v));
  // A selected word: coloured.
  const long w = Find(v, "word");
  c.SetSel(w, w + 4);
  fw::hooks::ExpectColorDialog(true, RGB(255, 0, 0));
  v->OnInsertColor();
  EXPECT_EQ(RGB(255, 0, 0), FormatAt(v, w + 1).crTextColor);
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

}  // namespace
