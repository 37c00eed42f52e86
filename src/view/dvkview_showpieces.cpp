// A long plain text goes into the control piece by piece: the first piece at
// once, the others appended at the end on timer 26, so the window keeps
// answering keys and messages while a big file appears. Until the last piece
// is in, the view counts as showing the text in part (m_bShownInPart with the
// bytes appended so far), so a save at any moment writes the whole document.
// Esc (through the frame's abort question) stops the appending; what is shown
// then stays, with the "display over" note, as a text cut by "outdata" does.
#include <cstring>

#include "core/docopen/opentexts.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "view/dvkview.h"
#include "view/viewcore/statustext.h"
#include "view/viewload/showpieces.h"

namespace {
constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);
}

bool CDvkView::StartPiecewiseShow(const char* data, std::size_t len) {
  const viewload::ShowPieceTuning& t = viewload::ShowTuning();
  app::DocHost* doc = GetDocument();
  // Plain text of the document only: a CSV table is rebuilt from the control
  // and must be whole. A pending jump needs the whole text too.
  if (!doc || !m_bShowFromDocument || m_nShowFormat != SF_TEXT || m_nSplitKind != 0) return false;
  if (len + m_strShowTail.size() <= t.onePieceLimit) return false;
  if (doc->m_nJumpLine < 0 || !doc->m_strJumpText.IsEmpty()) return false;

  // The line count is known before the text appears.
  long long lines = viewload::CountShownLines(data, len) + viewload::CountShownLines(m_strShowTail.data(), m_strShowTail.size()) - 1;
  m_nLinesShown = lines > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(lines);

  m_bPiecesPending = true;
  m_nPiecePos = 0;
  m_nPieceLen = len;
  m_bPieceShownInPart = m_bShownInPart;
  m_strPieceTail.swap(m_strShowTail);
  m_strShowTail.clear();
  m_bShownInPart = 1;
  m_nShownLength = 0;

  const std::size_t end = viewload::NextPieceEnd(data, len, 0, t.pieceBytes, t.longLineScan);
  StreamInBytes(data, end, std::string(), kTextFormat, nullptr, false);
  m_nPiecePos = end;
  m_nShownLength = static_cast<std::uint32_t>(end);
  GetRichEditCtrl().SendMessage(EM_EMPTYUNDOBUFFER, 0, 0);
  if (end >= len) {
    StopPiecewiseShow(false);
    return true;
  }
  SetTimer(view::kTimerShowMore, t.tickMs);
  return true;
}

void CDvkView::ShowNextPiece() {
  app::DocHost* doc = GetDocument();
  if (!m_bPiecesPending || !doc || !m_hWnd) {
    KillTimer(view::kTimerShowMore);
    m_bPiecesPending = false;
    return;
  }
  if (app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort()) {
    StopPiecewiseShow(true);
    return;
  }
  // The unshown rest starts at m_nShownLength of the document's text (a save
  // in between may have rewritten the shown part, never the rest).
  const std::size_t remaining = m_nPieceLen - m_nPiecePos;
  const std::size_t pos = m_nShownLength;
  if (!doc->m_pText || pos + remaining > doc->m_nTextLen) {
    StopPiecewiseShow(true);
    return;
  }
  const char* data = doc->m_pText;
  const viewload::ShowPieceTuning& t = viewload::ShowTuning();
  const std::size_t end = viewload::NextPieceEnd(data, pos + remaining, pos, t.pieceBytes, t.longLineScan);
  const bool last = end >= pos + remaining;

  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const BOOL modified = ctrl.GetModify();
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  POINT scroll = {};
  ctrl.SendMessage(EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ctrl.SendMessage(WM_SETREDRAW, FALSE, 0);
  ctrl.SetSel(-1, -1);
  StreamInBytes(data + pos, end - pos, last ? m_strPieceTail : std::string(), kTextFormat | SFF_SELECTION, nullptr,
                false);
  ctrl.SetSel(selStart, selEnd);
  ctrl.SendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ctrl.SendMessage(WM_SETREDRAW, TRUE, 0);
  ctrl.Invalidate(FALSE);
  // Appended pieces are no edit of the user's and can never be undone.
  ctrl.SendMessage(EM_EMPTYUNDOBUFFER, 0, 0);
  ctrl.SetModify(modified);

  m_nPiecePos += end - pos;
  m_nShownLength = static_cast<std::uint32_t>(end);
  if (last) {
    m_strShowTail.swap(m_strPieceTail);
    StopPiecewiseShow(false);
    return;
  }
  if (g_pStatusBar && g_pStatusBar->m_hWnd && m_nPieceLen) {
    CString text;
    text.Format(viewcore::StatusTextFor(viewcore::StatusText::kProgressPercent).format,
                static_cast<int>(static_cast<unsigned long long>(m_nPiecePos) * 100 / m_nPieceLen));
    g_pStatusBar->SetPaneText(0, text);
  }
}

void CDvkView::StopPiecewiseShow(bool cut) {
  KillTimer(view::kTimerShowMore);
  if (!m_bPiecesPending) return;
  m_bPiecesPending = false;
  if (cut) {
    // Stopped early: what is in the control is the shown part, followed by
    // the note that the display ends there.
    std::string tail = "\r\n\r\n";
    tail += static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDisplayOver));
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    const BOOL modified = ctrl.GetModify();
    long selStart = 0, selEnd = 0;
    ctrl.GetSel(selStart, selEnd);
    ctrl.SetSel(-1, -1);
    StreamInBytes(nullptr, 0, tail, kTextFormat | SFF_SELECTION, nullptr, false);
    ctrl.SetSel(selStart, selEnd);
    ctrl.SendMessage(EM_EMPTYUNDOBUFFER, 0, 0);
    ctrl.SetModify(modified);
    m_strShowTail = tail;
    m_bShownInPart = 1;
    m_nLinesShown = ctrl.GetLineCount();
  } else {
    m_bShownInPart = m_bPieceShownInPart;
  }
  m_strPieceTail.clear();
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, "");
}
