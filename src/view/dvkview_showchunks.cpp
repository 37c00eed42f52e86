// A long plain text goes into the control chunk by chunk: the first chunk at
// once, the others appended at the end on timer 26, so the window keeps
// answering keys and messages while a big file appears. Until the last chunk
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
#include "view/viewload/showchunks.h"

namespace {
constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);
}

bool CDvkView::StartChunkedShow(const char* data, std::size_t len) {
  const viewload::ShowChunkTuning& t = viewload::ShowTuning();
  app::DocHost* doc = GetDocument();
  // Plain text of the document only: a CSV table is rebuilt from the control
  // and must be whole. A pending jump needs the whole text too.
  if (!doc || !m_bShowFromDocument || m_nShowFormat != SF_TEXT || m_nSplitKind != 0) return false;
  if (len + m_strShowTail.size() <= t.oneGoLimit) return false;
  if (doc->m_nJumpLine < 0 || !doc->m_strJumpText.IsEmpty()) return false;

  // The line count is known before the text appears.
  long long lines = viewload::CountShownLines(data, len) + viewload::CountShownLines(m_strShowTail.data(), m_strShowTail.size()) - 1;
  m_nLinesShown = lines > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(lines);

  m_bChunksPending = true;
  m_nChunkPos = 0;
  m_nChunkLen = len;
  m_bChunkShownInPart = m_bShownInPart;
  m_strChunkTail.swap(m_strShowTail);
  m_bShownInPart = 1;
  m_nShownLength = 0;

  const std::size_t end = viewload::NextChunkEnd(data, len, 0, t.chunkBytes, t.longLineScan);
  StreamInBytes(data, end, std::string(), kTextFormat, nullptr, false);
  m_nChunkPos = end;
  m_nShownLength = static_cast<std::uint32_t>(end);
  GetRichEditCtrl().SendMessage(EM_EMPTYUNDOBUFFER, 0, 0);
  if (end >= len) {
    StopChunkedShow(false);
    return true;
  }
  SetTimer(view::kTimerShowMore, t.tickMs);
  return true;
}

void CDvkView::AppendAtEnd(const char* data, std::size_t len, const std::string& tail) {
  // The user's selection, scroll position and modified flag stay as they
  // were; appended text is no edit of the user's and can never be undone.
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const BOOL modified = ctrl.GetModify();
  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  POINT scroll = {};
  ctrl.SendMessage(EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ctrl.SendMessage(WM_SETREDRAW, FALSE, 0);
  ctrl.SetSel(-1, -1);
  StreamInBytes(data, len, tail, kTextFormat | SFF_SELECTION, nullptr, false);
  ctrl.SetSel(selStart, selEnd);
  ctrl.SendMessage(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  ctrl.SendMessage(WM_SETREDRAW, TRUE, 0);
  ctrl.Invalidate(FALSE);
  ctrl.SendMessage(EM_EMPTYUNDOBUFFER, 0, 0);
  ctrl.SetModify(modified);
}

void CDvkView::ShowNextChunk() {
  app::DocHost* doc = GetDocument();
  if (!m_bChunksPending || !doc || !m_hWnd) {
    KillTimer(view::kTimerShowMore);
    m_bChunksPending = false;
    return;
  }
  if (app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort()) {
    StopChunkedShow(true);
    return;
  }
  // The unshown rest starts at m_nShownLength of the document's text (a save
  // in between may have rewritten the shown part, never the rest).
  const std::size_t remaining = m_nChunkLen - m_nChunkPos;
  const std::size_t pos = m_nShownLength;
  if (!doc->m_pText || pos + remaining > doc->m_nTextLen) {
    StopChunkedShow(true);
    return;
  }
  const char* data = doc->m_pText;
  const viewload::ShowChunkTuning& t = viewload::ShowTuning();
  const std::size_t end = viewload::NextChunkEnd(data, pos + remaining, pos, t.chunkBytes, t.longLineScan);
  const bool last = end >= pos + remaining;

  AppendAtEnd(data + pos, end - pos, last ? m_strChunkTail : std::string());

  m_nChunkPos += end - pos;
  m_nShownLength = static_cast<std::uint32_t>(end);
  if (last) {
    m_strShowTail.swap(m_strChunkTail);
    StopChunkedShow(false);
    return;
  }
  if (g_pStatusBar && g_pStatusBar->m_hWnd && m_nChunkLen) {
    CString text;
    text.Format(viewcore::StatusTextFor(viewcore::StatusText::kProgressPercent).format,
                static_cast<int>(static_cast<unsigned long long>(m_nChunkPos) * 100 / m_nChunkLen));
    g_pStatusBar->SetPaneText(0, text);
  }
}

void CDvkView::StopChunkedShow(bool cut) {
  KillTimer(view::kTimerShowMore);
  if (!m_bChunksPending) return;
  m_bChunksPending = false;
  if (cut) {
    // Stopped early: what is in the control is the shown part, followed by
    // the note that the display ends there.
    std::string tail = "\r\n\r\n";
    tail += static_cast<const char*>(docopen::GetOpenText(docopen::OpenText::kDisplayOver));
    AppendAtEnd(nullptr, 0, tail);
    m_strShowTail = tail;
    m_bShownInPart = 1;
    m_nLinesShown = GetRichEditCtrl().GetLineCount();
  } else {
    m_bShownInPart = m_bChunkShownInPart;
  }
  m_strChunkTail.clear();
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, "");
}
