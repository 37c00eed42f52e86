// The rich-edit streams of the text view. Directions: StreamInRtf and
// StreamOutText put bytes into the control (EM_STREAMIN), StreamOutRtf takes
// them out (EM_STREAMOUT) into the document's m_pText. Every callback is
// bounded by the buffer it reads or writes.
//
// Line spacing: the RTF read into the control is scanned as it passes the
// callback; paragraphs whose spacing the text gives in twips ("\slN" with
// "\slmult0") are set with EM_SETPARAFORMAT afterwards wherever the control
// reports something else (one reader drops exact spacing, another keeps a
// negative value). A control that read them right is left alone.
#include <cstring>
#include <string>
#include <vector>

#include "host/doc_host.h"
#include "host/frame_host.h"
#include "fw/alloc.h"
#include "fw/sjis.h"
#include "view/dvkview.h"
#include "view/viewcore/statustext.h"
#include "view/viewload/rtfspacing.h"

namespace {

// Code page of the program's text in SF_TEXT streams.
constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);

// Bytes the control takes in: a window over up to two spans.
struct InSource {
  const char* a = nullptr;
  std::size_t aLen = 0;
  const char* b = nullptr;
  std::size_t bLen = 0;
  std::size_t pos = 0;  // over a then b
  viewload::RtfSpacingScan* scan = nullptr;
  // Progress (OutputWithProgress): percent in pane 0, Esc cancels.
  bool progress = false;
  int lastPercent = -1;
  bool cancelled = false;
  // Plain Shift-JIS text: a piece never ends between the two bytes of a
  // character or between CR and LF (the control would read each half on its
  // own).
  bool wholeChars = false;
};

DWORD CALLBACK InCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
  InSource* s = reinterpret_cast<InSource*>(cookie);
  *pcb = 0;
  if (cb <= 0) return 0;
  std::size_t total = s->aLen + s->bLen;
  if (s->progress && total) {
    int percent = static_cast<int>((static_cast<unsigned long long>(s->pos) * 100) / total);
    if (percent != s->lastPercent) {
      s->lastPercent = percent;
      if (g_pStatusBar && g_pStatusBar->m_hWnd) {
        CString t;
        t.Format(viewcore::StatusTextFor(viewcore::StatusText::kProgressPercent).format, percent);
        g_pStatusBar->SetPaneText(0, t);
      }
      if (app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort()) {
        s->cancelled = true;
        return 1;
      }
    }
  }
  LONG done = 0;
  while (done < cb && s->pos < total) {
    const char* src;
    std::size_t avail;
    if (s->pos < s->aLen) {
      src = s->a + s->pos;
      avail = s->aLen - s->pos;
    } else {
      src = s->b + (s->pos - s->aLen);
      avail = total - s->pos;
    }
    std::size_t n = static_cast<std::size_t>(cb - done);
    if (n > avail) n = avail;
    std::memcpy(buf + done, src, n);
    if (s->scan) s->scan->Feed(src, n);
    done += static_cast<LONG>(n);
    s->pos += n;
  }
  if (s->wholeChars && done > 1 && s->pos < total) {
    // Each piece starts at a character; hold a last lead byte back for the next.
    LONG i = 0;
    while (i < done) i += fw::IsSjisLeadByte(buf[i]) ? 2 : 1;
    if (i > done) {
      --done;
      --s->pos;
    }
    // Nor between CR and LF (the control would make two line ends of them).
    if (done > 1 && buf[done - 1] == '\r') {
      --done;
      --s->pos;
    }
  }
  *pcb = done;
  return 0;
}

// Bytes the control gives out, into the document's m_pText.
struct OutSink {
  app::DocHost* doc = nullptr;
  CDvkView::StreamCursor* at = nullptr;
  bool outOfMemory = false;
};

DWORD CALLBACK OutCallback(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
  OutSink* s = reinterpret_cast<OutSink*>(cookie);
  app::DocHost* d = s->doc;
  *pcb = 0;
  if (cb <= 0) return 0;
  std::uint64_t need = static_cast<std::uint64_t>(s->at->pos) + static_cast<std::uint64_t>(cb);
  if (need >= s->at->end) {
    // Grow rather than cut: half again, with room for a NUL the caller may add.
    std::uint64_t cap = d->TextFields().m_nTextCapacity;
    std::uint64_t want = need + 1 + cap / 2 + 65536;
    if (want > 0xFFFFFFFFull) want = 0xFFFFFFFFull;
    void* p = want > need ? fw::Realloc(d->TextFields().m_pText, static_cast<std::size_t>(want)) : nullptr;
    if (!p) {
      // Keep what fits before m_nReadEnd and stop the stream.
      s->outOfMemory = true;
      std::uint32_t room = s->at->end > s->at->pos ? s->at->end - s->at->pos : 0;
      LONG n = static_cast<LONG>(room < static_cast<std::uint32_t>(cb) ? room : static_cast<std::uint32_t>(cb));
      if (n > 0) {
        std::memcpy(d->TextFields().m_pText + s->at->pos, buf, static_cast<std::size_t>(n));
        s->at->pos += static_cast<std::uint32_t>(n);
      }
      *pcb = n;
      return 1;
    }
    d->TextFields().m_pText = static_cast<char*>(p);
    d->TextFields().m_nTextCapacity = static_cast<std::uint32_t>(want);
    s->at->end = d->TextFields().m_nTextCapacity - 1;
  }
  std::memcpy(d->TextFields().m_pText + s->at->pos, buf, static_cast<std::size_t>(cb));
  s->at->pos += static_cast<std::uint32_t>(cb);
  *pcb = cb;
  return 0;
}

}  // namespace

long CDvkView::StreamInBytes(const char* data, std::size_t len, const std::string& tail, int format,
                             viewload::RtfSpacingScan* scan, bool progress) {
  InSource src;
  src.a = data ? data : "";
  src.aLen = data ? len : 0;
  src.b = tail.data();
  src.bLen = tail.size();
  src.scan = scan;
  src.progress = progress;
  src.wholeChars = (format & SF_RTF) == 0;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
  es.pfnCallback = InCallback;
  long n = GetRichEditCtrl().StreamIn(format, es);
  if (progress && g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, "");
  return n;
}

int CDvkView::StreamInRtf(HWND hwnd, int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  StreamCursor at;
  at.pos = doc->TextFields().m_nReadPos;
  at.end = doc->TextFields().m_nReadEnd;
  at.len = doc->TextFields().m_nStreamLen;
  doc->TextFields().m_nStreamLen = 0;
  return StreamInRtf(hwnd, mode, at);
}

int CDvkView::StreamInRtf(HWND hwnd, int mode, const StreamCursor& at) {
  app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  const char* buf = mode == 2 ? doc->TextFields().m_pText2 : doc->TextFields().m_pText;
  std::uint32_t limit = mode == 2 ? doc->TextFields().m_nText2Len : doc->TextFields().m_nTextCapacity;
  std::uint32_t from = at.pos;
  std::uint32_t end = at.end ? at.end : (mode == 2 ? doc->TextFields().m_nText2Len : doc->TextFields().m_nTextLen);
  if (end > limit) end = limit;
  if (at.len && from + static_cast<std::uint64_t>(at.len) < end) end = from + at.len;
  std::size_t len = 0;
  if (buf && from < end) {
    const void* nul = std::memchr(buf + from, 0, end - from);
    len = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - (buf + from)) : end - from;
  }

  HWND target = hwnd ? hwnd : m_hWnd;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const bool other = target != m_hWnd;
  CHARRANGE sel = {};
  ::SendMessageA(target, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  const BOOL modified = static_cast<BOOL>(::SendMessageA(target, EM_GETMODIFY, 0, 0));
  viewload::RtfSpacingScan scan;
  // A stream into a selection: the spacing goes to the paragraphs it put
  // in, not to the ones after it.
  GETTEXTLENGTHEX gl = {GTL_DEFAULT, 1200};
  const long before = other ? 0 : static_cast<long>(::SendMessageW(target, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
  // The paragraph the selection ends in keeps its format: a stream that
  // ends with a paragraph mark hands the control its last paragraph's
  // format for the text that follows.
  PARAFORMAT2 follows = {};
  follows.cbSize = sizeof follows;
  if (!other && mode != 0) {
    ctrl.SetSel(sel.cpMax, sel.cpMax);
    ctrl.GetParaFormat(follows);
    ctrl.SetSel(sel);
  }
  InSource src;
  src.a = buf ? buf + from : "";
  src.aLen = len;
  src.scan = &scan;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&src);
  es.pfnCallback = InCallback;
  int format = SF_RTF | (mode != 0 ? SFF_SELECTION : 0);
  if (other)
    ::SendMessageA(target, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
  else
    ctrl.StreamIn(format, es);
  if (!other) {
    if (mode != 0) {
      const long after = static_cast<long>(::SendMessageW(target, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
      const long inserted = after - (before - (sel.cpMax - sel.cpMin));
      ApplyRtfSpacingIn(scan, sel.cpMin, inserted >= 0 ? sel.cpMin + inserted : -1);
      const long next = sel.cpMin + inserted;
      if (inserted > 0 && next < after) {
        CHARRANGE now = {};
        ctrl.GetSel(now);
        ctrl.SetSel(next - 1, next);
        const CString last = ctrl.GetSelText();
        if (last.GetLength() == 1 && (last[0] == '\r' || last[0] == '\n')) {
          ctrl.SetSel(next, next);
          ctrl.SetParaFormat(follows);
        }
        ctrl.SetSel(now);
      }
    } else {
      ApplyRtfSpacing(scan, 0);
    }
    if (mode != 0) ::SendMessageA(target, EM_SETMODIFY, modified, 0);
  }
  return 0;
}

int CDvkView::StreamOutRtf(HWND hwnd, int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  StreamCursor at;
  at.pos = doc->TextFields().m_nReadPos;
  at.end = doc->TextFields().m_nReadEnd;
  const int r = StreamOutRtf(hwnd, mode, at);
  doc->TextFields().m_nReadPos = at.pos;
  doc->TextFields().m_nReadEnd = at.end;
  return r;
}

int CDvkView::StreamOutRtf(HWND hwnd, int mode, StreamCursor& at) {
  app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  // An end unset or past the buffer: the buffer's end (less a NUL).
  const std::uint32_t capacity = doc->TextFields().m_nTextCapacity;
  if (at.end == 0 || at.end > capacity) at.end = capacity ? capacity - 1 : 0;
  if (at.pos > at.end) at.pos = at.end;
  OutSink sink;
  sink.doc = doc;
  sink.at = &at;
  EDITSTREAM es = {};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&sink);
  es.pfnCallback = OutCallback;
  HWND target = hwnd ? hwnd : m_hWnd;
  ::SendMessageA(target, EM_STREAMOUT, SF_RTF | (mode == 1 ? SFF_SELECTION : 0), reinterpret_cast<LPARAM>(&es));
  if (sink.outOfMemory) {
    ReportMessage(1, CString());
    return -1;
  }
  return 0;
}

void CDvkView::StreamOutText() {
  app::DocHost* doc = GetDocument();
  const char* data = m_pShowData;
  std::size_t len = m_nShowLen;
  if (m_bShowFromDocument) {
    // From the start of the shown part (0 unless a text is shown in parts).
    std::size_t have = doc && doc->TextFields().m_pText ? doc->TextFields().m_nTextLen : 0;
    const std::size_t start = m_nShownStart <= have ? m_nShownStart : have;
    data = doc && doc->TextFields().m_pText ? doc->TextFields().m_pText + start : nullptr;
    have -= start;
    if (len > have) len = have;
  }
  if (m_nShowFormat == SF_RTF && doc && data == doc->TextFields().m_pText) {
    StreamCursor at;
    at.end = static_cast<std::uint32_t>(len);
    at.len = static_cast<std::uint32_t>(len);
    StreamInRtf(m_hWnd, 0, at);
    return;
  }
  if (m_nShowFormat == SF_RTF) {
    viewload::RtfSpacingScan scan;
    StreamInBytes(data, len, m_strShowTail, SF_RTF, &scan, false);
    ApplyRtfSpacing(scan, 0);
    return;
  }
  StreamInBytes(data, len, m_strShowTail, kTextFormat, nullptr, false);
}

void CDvkView::OutputWithProgress() {
  app::DocHost* doc = GetDocument();
  if (m_nShowFormat == SF_RTF) {
    StreamOutText();
    return;
  }
  const char* data = m_pShowData;
  std::size_t len = m_nShowLen;
  if (m_bShowFromDocument) {
    // From the start of the shown part (0 unless a text is shown in parts).
    std::size_t have = doc && doc->TextFields().m_pText ? doc->TextFields().m_nTextLen : 0;
    const std::size_t start = m_nShownStart <= have ? m_nShownStart : have;
    data = doc && doc->TextFields().m_pText ? doc->TextFields().m_pText + start : nullptr;
    have -= start;
    if (len > have) len = have;
  }
  if (doc) doc->UpdateFields().m_bAbort = 0;
  StreamInBytes(data, len, m_strShowTail, kTextFormat, nullptr, true);
}

void CDvkView::ApplyRtfSpacing(viewload::RtfSpacingScan& scan, long base) { ApplyRtfSpacingIn(scan, base, -1); }

void CDvkView::ApplyRtfSpacingIn(viewload::RtfSpacingScan& scan, long base, long end) {
  scan.Finish();
  if (scan.Spacings().empty()) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  // The control's text in UTF-16: one unit per character position.
  GETTEXTLENGTHEX gl = {GTL_DEFAULT, 1200};
  LRESULT units = ::SendMessageW(m_hWnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (units < 0) return;
  std::vector<wchar_t> text(static_cast<std::size_t>(units) + 2);
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  gt.flags = GT_DEFAULT;
  gt.codepage = 1200;
  LRESULT got = ::SendMessageW(m_hWnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
  if (got < 0) return;
  // Paragraph starts from the paragraph that holds `base` on.
  long n = static_cast<long>(got);
  if (base > n) base = n;
  long first = base;
  while (first > 0 && text[static_cast<std::size_t>(first - 1)] != L'\r') --first;
  std::vector<long> starts{first};
  // Only paragraphs that start inside the streamed text when text follows
  // it (end -1, or an end at the text's end: all of them).
  const bool bounded = end >= 0 && end < n;
  for (long i = base; i < n && (!bounded || i + 1 < end); ++i)
    if (text[static_cast<std::size_t>(i)] == L'\r') starts.push_back(i + 1);
  // The control may keep a final paragraph end of the stream or fold it into
  // its own: one paragraph more or less. Anything else means the layout of
  // paragraphs is not the scanned one: the control's reading stays.
  std::uint32_t have = static_cast<std::uint32_t>(starts.size());
  std::uint32_t scanned = scan.Paragraphs();
  if (have != scanned && have + 1 != scanned && have != scanned + 1) return;

  CHARRANGE saved = {};
  ctrl.GetSel(saved);
  const BOOL modified = ctrl.GetModify();
  for (const viewload::ParaSpacing& sp : scan.Spacings()) {
    if (sp.paragraph >= have) continue;
    long at = starts[sp.paragraph];
    ctrl.SetSel(at, at);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    ctrl.GetParaFormat(pf);
    if ((pf.dwMask & PFM_LINESPACING) && pf.bLineSpacingRule == sp.rule && pf.dyLineSpacing == sp.twips) continue;
    PARAFORMAT2 set = {};
    set.cbSize = sizeof set;
    set.dwMask = PFM_LINESPACING;
    set.bLineSpacingRule = static_cast<BYTE>(sp.rule);
    set.dyLineSpacing = sp.twips;
    ctrl.SetParaFormat(set);
  }
  ctrl.SetSel(saved);
  ctrl.SetModify(modified);
}
