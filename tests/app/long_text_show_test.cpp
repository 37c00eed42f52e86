// A long text goes into the view chunk by chunk while the window keeps
// answering: the chunks end as the whole text, a save in between writes the
// whole file, Esc stops the appending with the document kept, and the frame
// answers messages from another thread throughout.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/fwres.h"
#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "support/temp_folder.h"
#include "view/dvkview.h"
#include "view/view_fields.h"
#include "view/viewcore/statustext.h"

namespace {

constexpr int kSjisText = SF_TEXT | SF_USECODEPAGE | (932 << 16);

// About `bytes` of numbered Japanese and ASCII lines (CR LF).
std::string LongText(std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 100);
  for (int i = 0; text.size() < bytes; ++i)
    text += "行" + std::to_string(i) + "：長いテキストの一行です。A line of a long text.\r\n";
  return text;
}

// The control's text as the view saves it: CR LF line ends, and the line end
// after the last line that the control does not give back.
std::string ControlText(CDvkView* v) {
  std::string s = v->StreamOut(kSjisText);
  std::string out;
  out.reserve(s.size() + 2);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n')) out += "\r\n";
    else out += s[i];
  }
  return out;
}

std::string Hex(const std::string& s) {
  std::string out;
  char b[4];
  for (unsigned char c : s) {
    std::snprintf(b, sizeof b, "%02X ", c);
    out += b;
  }
  return out;
}

// Equal texts, or where the first difference is (the texts are too long to print).
::testing::AssertionResult SameText(const std::string& want, const std::string& got) {
  if (want == got) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  return ::testing::AssertionFailure() << "sizes " << want.size() << " and " << got.size()
                                       << ", first difference at " << i << ": \""
                                       << Hex(want.substr(i > 8 ? i - 8 : 0, 24)) << " vs " << Hex(got.substr(i > 8 ? i - 8 : 0, 24));
}

class LongTextShowTest : public shelltest::ShellFileTest {
 protected:
  // Opens `text` and returns the view once the first chunk is in.
  CDvkView* OpenFirstChunk(const std::string& text) {
    path_ = File("long.txt");
    testsupport::WriteFileBytes(path_, text);
    if (!Start(("\"" + path_ + "\"").c_str())) return nullptr;
    CDvkView* v = frame->GetTextView(0, 0);
    if (!v || !testsupport::PumpUntil([v] { return v->GetRichEditCtrl().GetTextLength() > 0; }, 10000))
      return nullptr;
    return v;
  }
  std::string path_;
};

TEST_F(LongTextShowTest, ChunksEndAsTheWholeTextWithTheLineCountKnownAtOnce) {
  const std::string text = LongText(1200000);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  // Only part of it is in yet, and the line count is already the whole one
  // (the control shows one more line after the final line end).
  EXPECT_TRUE(v->LoadPending());
  EXPECT_LT(static_cast<std::size_t>(v->GetRichEditCtrl().GetTextLength()), text.size() / 2);
  long long lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines + 1, v->m_nLinesShown);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 60000));
  EXPECT_TRUE(SameText(text, ControlText(v)));
  EXPECT_EQ(0u, v->m_bShownInPart);
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  // Nothing of the loading can be undone.
  EXPECT_FALSE(v->GetRichEditCtrl().CanUndo());
}

TEST_F(LongTextShowTest, ASaveWhileChunksArePendingWritesTheWholeFile) {
  const std::string text = LongText(1200000);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->LoadPending());
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  ctrl.ReplaceSel("追加", TRUE);
  ASSERT_EQ(0, doc->SaveFile(path_.c_str(), 0, v));
  EXPECT_TRUE(SameText("追加" + text, testsupport::ReadFileBytes(path_)));
  // The rest still comes in after the edit, and the edit stays.
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 60000));
  EXPECT_TRUE(SameText("追加" + text, ControlText(v)));
}

TEST_F(LongTextShowTest, EscStopsTheAppendingAndASaveStillWritesEverything) {
  const std::string text = LongText(1200000);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->LoadPending());
  v->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  v->SendMessage(WM_TIMER, view::kTimerShowMore, 0);
  EXPECT_FALSE(v->LoadPending());
  EXPECT_EQ(1u, v->m_bShownInPart);
  const std::string shown = ControlText(v);
  EXPECT_LT(shown.size(), text.size());
  EXPECT_EQ(text.size(), doc->m_nTextLen);  // the document holds the whole file
  // The chunks stop for good.
  testsupport::PumpFor(300);
  EXPECT_TRUE(SameText(shown, ControlText(v)));
  ASSERT_EQ(0, doc->SaveFile(path_.c_str(), 0, v));
  EXPECT_TRUE(SameText(text, testsupport::ReadFileBytes(path_)));
}

TEST_F(LongTextShowTest, EscWhileABigFileIsReadKeepsThePreviousDocument) {
  const std::string first = "最初の文書\r\n";
  CDvkView* v = OpenFirstChunk(first);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  const std::string big = LongText(16u << 20);
  const std::string bigPath = File("big.txt");
  testsupport::WriteFileBytes(bigPath, big);
  frame->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  EXPECT_EQ(-1, doc->OpenFile(bigPath.c_str(), docopen::OpenMode::kPlain));
  EXPECT_EQ(first, std::string(doc->m_pText, doc->m_nTextLen));
  EXPECT_STREQ(path_.c_str(), doc->m_strCurFile.GetString());
  EXPECT_EQ(0u, doc->m_bAbort);
  EXPECT_STREQ("読み込みを中止しました。", g_pStatusBar->GetPaneText(0).GetString());
}

TEST_F(LongTextShowTest, NoChunkGoesInWhileTheEscQuestionIsUpAndYesStopsThem) {
  const std::string text = LongText(1200000);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(v->LoadPending());
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  long before = -1, during = -1;
  fw::hooks::ExpectMessageBox("中止しますか", [&] {
    before = ctrl.GetTextLength();
    // Behind a real box the timers keep ticking: long enough for every chunk.
    testsupport::PumpFor(2500);
    during = ctrl.GetTextLength();
    return IDYES;
  });
  v->PostMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  v->SendMessage(WM_TIMER, view::kTimerShowMore, 0);
  EXPECT_EQ(before, during);
  EXPECT_FALSE(v->LoadPending());
  EXPECT_EQ(0u, doc->m_bAbort);

  // The text ends part way, under the note that the loading was stopped.
  const std::string shown = v->StreamOut(kSjisText);
  const std::string note = " <読み込みを中止しました。ここから後は表示していません。>";
  ASSERT_GE(shown.size(), note.size());
  EXPECT_EQ(note, shown.substr(shown.size() - note.size()));
  EXPECT_LT(shown.size(), text.size() / 2);
  EXPECT_EQ(1u, v->m_bShownInPart);
  // Pane 5 counts the lines shown (the note's two line ends included), pane 0 says why.
  long long lines = 1;
  for (char c : shown) lines += c == '\n';
  EXPECT_EQ(lines, v->m_nLinesShown);
  CString count;
  count.Format(viewcore::StatusTextFor(viewcore::StatusText::kLineCount).format, static_cast<int>(lines));
  EXPECT_STREQ(count.GetString(), g_pStatusBar->GetPaneText(5).GetString());
  EXPECT_STREQ("読み込みを中止しました。", g_pStatusBar->GetPaneText(0).GetString());
}

TEST_F(LongTextShowTest, APercentageUnderAnOpenMenuGoesWhenTheChunksEnd) {
  const std::string text = LongText(1200000);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(testsupport::PumpUntil([] { return g_pStatusBar->GetPaneText(0).Find('%') >= 0; }, 10000));
  // A menu item is highlighted while the rest goes in, and the menu closes after.
  HMENU file = GetSubMenu(GetMenu(frame->m_hWnd), 0);
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_FILE_OPEN, MF_STRING), reinterpret_cast<LPARAM>(file));
  const CString prompt = g_pStatusBar->GetPaneText(0);
  EXPECT_EQ(-1, prompt.Find('%'));
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 60000));
  EXPECT_STREQ(prompt.GetString(), g_pStatusBar->GetPaneText(0).GetString());  // the prompt stays up
  frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_STREQ("", g_pStatusBar->GetPaneText(0).GetString());
}

// Seconds since `t0`.
double SecondsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TEST_F(LongTextShowTest, NewAfterALongTextIsReadyWithinSeconds) {
  // 5 MB: the view shows its first 2 MB ("outdata"), about 35,000 lines.
  // Emptying that control in place froze the program for minutes.
  const std::string text = LongText(5u << 20);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 120000));
  ASSERT_GT(v->GetRichEditCtrl().GetLineCount(), 30000);
  v->CycleBackgroundColor(1);
  const COLORREF back = v->m_clrViewBack;
  const CPoint firstChar = v->GetRichEditCtrl().PosFromChar(0);
  CRect place;
  v->GetWindowRect(&place);

  const auto t0 = std::chrono::steady_clock::now();
  frame->SendMessage(WM_COMMAND, ID_FILE_NEW, 0);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 30000));
  const double seconds = SecondsSince(t0);
  std::printf("new after the long text: %.3f s\n", seconds);
  EXPECT_LT(seconds, 3.0);

  // The same view in the same pane shows the empty document and takes text
  // in the display font on its background.
  ASSERT_EQ(v, frame->GetTextView(0, 0));
  EXPECT_EQ(v, CWnd::FromHandlePermanent(v->m_hWnd));
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  EXPECT_EQ(0, ctrl.GetTextLength());
  EXPECT_EQ(0u, doc->m_nTextLen);
  EXPECT_FALSE(ctrl.CanUndo());
  EXPECT_EQ(back, ctrl.SendMessage(EM_SETBKGNDCOLOR, FALSE, back));
  v->SendMessage(WM_CHAR, 'a', 0);
  EXPECT_EQ(firstChar, ctrl.PosFromChar(0));  // the text starts where it did
  CRect placeAfter;
  v->GetWindowRect(&placeAfter);
  EXPECT_EQ(place, placeAfter);
  ctrl.SetSel(0, 1);
  EXPECT_EQ("a", std::string(ctrl.GetSelText()));
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ctrl.GetSelectionCharFormat(cf);
  EXPECT_STREQ(doc->m_strProfnt.GetString(), cf.szFaceName);
  EXPECT_EQ(SHIFTJIS_CHARSET, cf.bCharSet);
}

TEST_F(LongTextShowTest, OpenAfterALongTextIsReadyWithinSeconds) {
  // 1 MB, all of it shown (about 17,000 lines): emptying it took minutes.
  const std::string text = LongText(1u << 20);
  CDvkView* v = OpenFirstChunk(text);
  ASSERT_NE(nullptr, v);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 60000));
  // A rich text comes next: it replaces the control's text in one stream.
  const std::string rtfPath = File("next.rtf");
  testsupport::WriteFileBytes(rtfPath, "{\\rtf1\\ansi\\ansicpg932 {\\b next} file\\par}");

  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_NE(nullptr, AfxGetApp()->OpenDocumentFile(rtfPath.c_str()));
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 30000));
  const double seconds = SecondsSince(t0);
  std::printf("open after the long text: %.3f s\n", seconds);
  EXPECT_LT(seconds, 3.0);
  EXPECT_EQ("next file", v->StreamOut(SF_TEXT).substr(0, 9));
  EXPECT_EQ(v, frame->GetTextView(0, 0));
}

TEST_F(LongTextShowTest, TheWindowAnswersWhileABigTextAppears) {
  const std::string text = LongText(20u << 20);
  path_ = File("big.txt");
  testsupport::WriteFileBytes(path_, text);
  ASSERT_TRUE(Start("$$"));
  std::atomic<bool> stop{false};
  std::atomic<int> pings{0}, late{0};
  std::atomic<long long> worstMs{0};
  HWND hwnd = frame->m_hWnd;
  std::thread pinger([&] {
    while (!stop) {
      auto a = std::chrono::steady_clock::now();
      DWORD_PTR r = 0;
      if (!SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 200, &r)) late++;
      long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - a).count();
      if (ms > worstMs) worstMs = ms;
      pings++;
      Sleep(20);
    }
  });
  doc->OnOpenDocument(path_.c_str());
  CDvkView* v = frame->GetTextView(0, 0);
  const bool done = testsupport::PumpUntil([v] { return !v->LoadPending(); }, 60000);
  stop = true;
  pinger.join();
  ASSERT_TRUE(done);
  std::printf("pings %d, over 200 ms %d, worst %lld ms\n", pings.load(), late.load(), worstMs.load());
  // A loaded machine may delay a ping now and then, never the whole load.
  EXPECT_GT(pings.load(), 10);
  EXPECT_LE(late.load() * 10, pings.load());
  EXPECT_LT(worstMs.load(), 1000);
}

}  // namespace
