// The view's timers: one dispatcher over a table of (id, tick). Most ticks
// are one-shot and kill their timer first. The decisions (jump text, RTF
// paragraphs, checked lines, the "TEMPID" walk, the media position) are
// portable (view/viewload/jumptarget.h, checkmarks.h, view/viewui/viewtimers.h);
// the ticks here carry them out on the control and the windows.
#include <cstdlib>
#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "fw/clock.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "view/dvkview.h"
#include "view/view_mci.h"
#include "view/viewload/checkmarks.h"
#include "view/viewload/jumptarget.h"
#include "view/viewui/viewtimers.h"

namespace {

constexpr DWORD kTempWindowDelayMs = 200;   // the window to close gets time to come up
constexpr UINT kTempWindowCloseWaitMs = 1000;  // a window that does not answer is left
constexpr unsigned kMciRestoreReply = 50;   // reply buffer of the restore command
constexpr unsigned kMciPositionReply = 64;
constexpr COLORREF kCheckedLineColour = RGB(16, 16, 240);
constexpr int kMaxHitsLooked = 1000000;     // a search never loops for ever

}  // namespace

void CDvkView::OnTimer(UINT_PTR id) {
  struct TimerRow {
    UINT_PTR id;
    void (CDvkView::*tick)();
  };
  static const TimerRow kRows[] = {
      {view::kTimerTempWindow, &CDvkView::TickTempWindow},    // 60
      {view::kTimerJump, &CDvkView::TickJump},                // 42
      {view::kTimerPasteTable, &CDvkView::FinishTablePaste},  // 40
      {view::kTimerShowMore, &CDvkView::ShowNextChunk},       // 26
      {view::kTimerMacroResume, &CDvkView::ResumeMacro},      // 25
      {view::kTimerEntryMarks, &CDvkView::TickCheckMarks},    // 22
      {view::kTimerImageCanvas, &CDvkView::TickImageCanvas},  // 23
      {view::kTimerRedraw, &CDvkView::TickRedraw},            // 21
      {view::kTimerLoad, &CDvkView::FinishLoad},              // 20
      {view::kTimerFillMargins, &CDvkView::TickFillMargins},  // 14
      {view::kTimerUndoRegion, &CDvkView::TickUndoRegion},    // 13
      {view::kTimerMciPos, &CDvkView::TickMciPosition},       // 12
      {view::kTimerMci, &CDvkView::TickMciRestore},           // 11
      {view::kTimerNudge, &CDvkView::TickNudge},              // 10
  };
  for (const TimerRow& r : kRows) {
    if (r.id == id) {
      (this->*r.tick)();
      return;
    }
  }
  // This pane's image tick (id m_nPaneIndex + 2, 5 in pane 0).
  if (id == ImageTimerId()) {
    TickImage();
    return;
  }
  Default();
}

// --- 60 -------------------------------------------------------------------------

void CDvkView::TickTempWindow() {
  KillTimer(view::kTimerTempWindow);
  fw::Wait(kTempWindowDelayMs);
  HWND frame = m_hWnd ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
  HWND parent = frame ? ::GetParent(frame) : nullptr;
  if (parent) parent = ::GetAncestor(parent, GA_ROOT);
  std::vector<viewui::TopWindow> windows;
  windows.reserve(viewui::kTempWindowWalkLimit);
  HWND w = ::GetTopWindow(nullptr);
  for (int i = 0; w && i < viewui::kTempWindowWalkLimit; ++i) {
    viewui::TopWindow t;
    t.handle = reinterpret_cast<std::uintptr_t>(w);
    t.exists = ::IsWindow(w) != 0;
    if (t.exists) {
      char title[256] = {};
      ::GetWindowTextA(w, title, sizeof title);
      t.title = title;
    }
    windows.push_back(t);
    if (!t.exists) break;
    w = ::GetWindow(w, GW_HWNDNEXT);
  }
  const int at = viewui::FindTempWindow(windows, reinterpret_cast<std::uintptr_t>(frame),
                                        reinterpret_cast<std::uintptr_t>(parent));
  if (at < 0) return;
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(reinterpret_cast<HWND>(windows[static_cast<std::size_t>(at)].handle), WM_CLOSE, 0, 0,
                        SMTO_ABORTIFHUNG, kTempWindowCloseWaitMs, &result);
}

// --- 42 -------------------------------------------------------------------------

long CDvkView::FindUnquotedHit(const CString& text, int hit) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long from = 0;
  int found = 0;
  for (int n = 0; n < kMaxHitsLooked; ++n) {
    const long at = FindTextMatchCase(from, -1L, text);
    if (at < 0) return -1;
    bool quoted = false;
    if (at > 0) {
      wchar_t before[2] = {};
      TEXTRANGEW tr = {};
      tr.chrg.cpMin = at - 1;
      tr.chrg.cpMax = at;
      tr.lpstrText = before;
      ::SendMessageW(ctrl.m_hWnd, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&tr));
      quoted = before[0] == L'"';
    }
    if (!quoted && ++found >= hit) return at;
    from = at + 1;
  }
  return -1;
}

long CDvkView::ParagraphStart(std::uint32_t paragraph) {
  if (paragraph == 0) return 0;
  // The text with one CR per paragraph end, as the control counts characters.
  GETTEXTLENGTHEX gl = {GTL_DEFAULT | GTL_NUMCHARS, 1200};
  const LRESULT n = ::SendMessageW(m_hWnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (n <= 0) return 0;
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  gt.flags = GT_DEFAULT;
  gt.codepage = 1200;
  const LRESULT got = ::SendMessageW(m_hWnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                     reinterpret_cast<LPARAM>(&text[0]));
  long lastStart = 0;
  std::uint32_t seen = 0;
  for (LRESULT i = 0; i < got; ++i) {
    if (text[static_cast<std::size_t>(i)] != L'\r') continue;
    if (i + 1 >= got) break;  // the final paragraph end starts nothing
    lastStart = static_cast<long>(i + 1);
    if (++seen == paragraph) return lastStart;
  }
  return lastStart;
}

void CDvkView::TickJump() {
  KillTimer(view::kTimerJump);
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  // Taking the jump text is the end of the request.
  const CString jump = doc->PathFields().m_strJumpText;
  doc->PathFields().m_strJumpText.Empty();
  const viewload::JumpTarget t = viewload::ParseJumpText(jump, static_cast<std::size_t>(jump.GetLength()));
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long at = -1;
  switch (t.kind) {
    case viewload::JumpKind::kNone:
      return;
    case viewload::JumpKind::kSearch:
      at = FindUnquotedHit(CString(t.text.c_str()), t.hit);
      break;
    case viewload::JumpKind::kLine:
      if (m_nFileKind == docsvc::kKindRichText) {
        const app::DocTextFields& text = doc->TextFields();
        const std::size_t len = text.m_pText ? text.m_nTextLen : 0;
        at = ParagraphStart(viewload::RtfJumpParagraph(text.m_pText, len, t.line));
      } else {
        GETTEXTLENGTHEX gl = {GTL_DEFAULT | GTL_NUMCHARS, 1200};
        const LRESULT n = ::SendMessageW(m_hWnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
        const long lineStart = t.line >= 1 && t.line <= ctrl.GetLineCount() ? ctrl.LineIndex(t.line - 1) : -1;
        at = viewload::JumpCaret(lineStart, t.column, n > 0 ? static_cast<long>(n) : 0);
      }
      break;
  }
  // Nothing found: the caret and the view stay where they are.
  if (at < 0) return;
  ctrl.SetSel(at, at);
  ctrl.LineScroll(ctrl.LineFromChar(at) - ctrl.GetFirstVisibleLine());
  UpdatePositionDisplay(0);
}

// --- 21, 22 ----------------------------------------------------------------------

void CDvkView::TickRedraw() {
  KillTimer(view::kTimerRedraw);
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  doc->RedrawAllViews();
  doc->UpdateFields().m_nRedrawState = 0;
}

void CDvkView::TickCheckMarks() {
  KillTimer(view::kTimerEntryMarks);
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  viewload::CheckMarkPlace place;
  place.lineShift = m_nLineShift;
  place.ruled = m_nEditMode == 3;
  place.hasTitle = m_bTableHasTitle != 0;
  place.lineCount = ctrl.GetLineCount();
  const std::vector<std::int32_t> lines = viewload::CheckMarkLines(*this, place);
  // The marks are no edit: the modified flag is kept as it was.
  const BOOL modified = ctrl.GetModify();
  doc->BeginUpdateLock(this);
  ctrl.SendMessage(EM_HIDESELECTION, 1, 0);
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  // Selecting a line scrolls it into view, and so does putting the old
  // selection back: the view stays where the redisplay left it.
  POINT scroll = {};
  ctrl.SendMessage(EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  for (std::int32_t line : lines) {
    const long start = ctrl.LineIndex(line);
    if (start < 0) continue;
    ctrl.SetSel(start, start + ctrl.LineLength(start));
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    ctrl.SendMessage(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    cf.dwMask = CFM_COLOR | CFM_UNDERLINE;
    cf.dwEffects = CFE_UNDERLINE;
    cf.crTextColor = kCheckedLineColour;
    ctrl.SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  }
  ctrl.SetSel(selStart, selEnd);
  ctrl.SendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ctrl.SendMessage(EM_HIDESELECTION, 0, 0);
  doc->EndUpdateLock();
  ctrl.SetModify(modified);
}

// --- 10, 11, 12, 14 ----------------------------------------------------------------

void CDvkView::TickNudge() {
  CWnd* frame = app::g_pFrameHost ? app::g_pFrameHost->FrameWnd() : GetParentFrame();
  if (frame && frame->m_hWnd) {
    CRect r;
    frame->GetWindowRect(&r);
    ::SetWindowPos(frame->m_hWnd, HWND_TOP, r.left - 1, r.top, r.Width(), r.Height(), SWP_SHOWWINDOW);
  }
  m_bNudge = 0;
  KillTimer(view::kTimerNudge);
}

void CDvkView::TickMciRestore() {
  CString command;
  command.Format("window \"%s\" state restore", static_cast<const char*>(m_strViewPath));
  char reply[kMciRestoreReply] = {};
  view::MciSend(command, reply, sizeof reply);
  KillTimer(view::kTimerMci);
}

void CDvkView::TickMciPosition() {
  app::DocHost* doc = GetDocument();
  viewui::MediaTickState s;
  s.mediumPlays = m_bMediaPlay != 0;
  s.soundPlays = doc && doc->UpdateFields().m_bSoundPlay != 0;
  s.length = m_nMediaLength;
  s.loopPlay = m_bMediaLoop != 0;
  s.loopStart = m_nLoopStart;
  s.loopEnd = m_nLoopEnd;
  if (doc) {
    s.soundPosition = doc->UpdateFields().m_nSoundCount1;
    s.soundLength = doc->UpdateFields().m_nSoundCount2;
  }
  if (s.mediumPlays && !s.soundPlays) {
    CString command;
    command.Format("status \"%s\" position ", static_cast<const char*>(m_strViewPath));
    char reply[kMciPositionReply] = {};
    view::MciSend(command, reply, sizeof reply);
    s.position = std::atoi(reply);
    m_nMediaPosition = s.position;
  }
  const viewui::MediaTick t = viewui::PlanMediaTick(s);
  if (t.kill) {
    KillTimer(view::kTimerMciPos);
    return;
  }
  if (t.play) {
    CString command;
    command.Format("play \"%s\" from %d", static_cast<const char*>(m_strViewPath), t.from);
    char reply[kMciPositionReply] = {};
    view::MciSend(command, reply, sizeof reply);
  }
}

void CDvkView::TickFillMargins() {
  KillTimer(view::kTimerFillMargins);
  app::DocHost* doc = GetDocument();
  if (doc && doc->UpdateFields().m_nPrintSetState == 2) InitPrintMargins();
}
