// A long plain text goes into the control chunk by chunk: the first chunk at
// once, the others appended at the end on timer 26, so the window keeps
// answering keys and messages while a big file appears. Until the last chunk
// is in, the view counts as showing the text in part (m_bShownInPart with the
// bytes appended so far), so a save at any moment writes the whole document.
// Esc (through the frame's abort question) stops the appending; no chunk goes
// in while the question is up. What is shown then stays, with a note that
// the user stopped the loading, and the line count of what is shown.
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
  if (doc->PathFields().m_nJumpLine < 0 || !doc->PathFields().m_strJumpText.IsEmpty()) return false;

  // The line count is known before the text appears.
  long long lines = viewload::CountShownLines(data, len, m_strShowTail.data(), m_strShowTail.size());
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
    StopChunkedShow(ChunkStop::kDone);
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
  // Ticks that come while the Esc question is up (its box dispatches them)
  // wait for the answer: the loading must not end behind the question.
  if (m_bAskingToStop) return;
  app::DocHost* doc = GetDocument();
  if (!m_bChunksPending || !doc || !m_hWnd) {
    KillTimer(view::kTimerShowMore);
    m_bChunksPending = false;
    return;
  }
  if (app::g_pFrameHost) {
    m_bAskingToStop = true;
    const bool stop = app::g_pFrameHost->CheckEscapeAbort() != 0;
    m_bAskingToStop = false;
    if (stop) {
      doc->UpdateFields().m_bAbort = 0;  // answered here; nothing else is to stop
      StopChunkedShow(ChunkStop::kStoppedByUser);
      return;
    }
    if (!m_bChunksPending) return;  // a new text came meanwhile
  }
  // The unshown rest starts m_nShownLength bytes into the shown part, which
  // starts at m_nShownStart of the document's text (a save in between may
  // have rewritten the shown part, never the rest).
  const std::size_t remaining = m_nChunkLen - m_nChunkPos;
  const std::size_t pos = m_nShownLength;
  const std::size_t base = m_nShownStart;
  if (!doc->TextFields().m_pText || base > doc->TextFields().m_nTextLen ||
      pos + remaining > doc->TextFields().m_nTextLen - base) {
    StopChunkedShow(ChunkStop::kTextGone);
    return;
  }
  const char* data = doc->TextFields().m_pText + base;
  const viewload::ShowChunkTuning& t = viewload::ShowTuning();
  const std::size_t end = viewload::NextChunkEnd(data, pos + remaining, pos, t.chunkBytes, t.longLineScan);
  const bool last = end >= pos + remaining;

  AppendAtEnd(data + pos, end - pos, last ? m_strChunkTail : std::string());

  m_nChunkPos += end - pos;
  m_nShownLength = static_cast<std::uint32_t>(end);
  if (last) {
    m_strShowTail.swap(m_strChunkTail);
    StopChunkedShow(ChunkStop::kDone);
    return;
  }
  if (g_pStatusBar && g_pStatusBar->m_hWnd && m_nChunkLen) {
    CString text;
    text.Format(viewcore::StatusTextFor(viewcore::StatusText::kProgressPercent).format,
                static_cast<int>(static_cast<unsigned long long>(m_nChunkPos) * 100 / m_nChunkLen));
    g_pStatusBar->SetPaneText(0, text);
  }
}

void CDvkView::StopChunkedShow(ChunkStop why) {
  KillTimer(view::kTimerShowMore);
  if (!m_bChunksPending) return;
  m_bChunksPending = false;
  CString pane0;
  if (why == ChunkStop::kDone) {
    m_bShownInPart = m_bChunkShownInPart;
  } else {
    // Stopped early: what is in the control is the shown part, followed by
    // the note why the display ends there, and the line count is its own.
    const bool byUser = why == ChunkStop::kStoppedByUser;
    std::string tail = "\r\n\r\n";
    tail += static_cast<const char*>(
        docopen::GetOpenText(byUser ? docopen::OpenText::kShowStopped : docopen::OpenText::kDisplayOver));
    AppendAtEnd(nullptr, 0, tail);
    m_strShowTail = tail;
    m_bShownInPart = 1;
    app::DocHost* doc = GetDocument();
    long long lines = 0;
    if (doc && doc->TextFields().m_pText && m_nShownStart <= doc->TextFields().m_nTextLen &&
        m_nShownLength <= doc->TextFields().m_nTextLen - m_nShownStart)
      lines = viewload::CountShownLines(doc->TextFields().m_pText + m_nShownStart, m_nShownLength, tail.data(),
                                        tail.size());
    else
      lines = GetRichEditCtrl().GetLineCount();
    m_nLinesShown = lines > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(lines);
    if (g_pStatusBar && g_pStatusBar->m_hWnd) {
      CString t;
      t.Format(viewcore::StatusTextFor(viewcore::StatusText::kLineCount).format, m_nLinesShown);
      g_pStatusBar->SetPaneText(5, t);
    }
    if (byUser) pane0 = docopen::GetOpenText(docopen::OpenText::kLoadStopped);
  }
  m_strChunkTail.clear();
  // The percentage goes (a prompt over pane 0 keeps this beneath it).
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, pane0);
}
