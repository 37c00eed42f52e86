// Text-view services: line, position, selection and cell helpers of the
// control, and the status texts they write. The byte and column rules are
// viewcore's (view/viewcore/linetext.h); this file reads the control.
//
// Positions are the control's character positions (a double-byte character
// is one, a paragraph end is one CR); the helpers read the control's text
// with EM_GETTEXTEX in code page 932 and GT_DEFAULT, so byte offsets and
// character positions convert with CharIndexOfByte / ByteOfCharIndex.
#include <cstring>
#include <string>

#include "host/doc_host.h"
#include "core/docsvc/filekind.h"
#include "host/frame_host.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/viewcore/linetext.h"
#include "view/viewcore/statustext.h"

namespace {

// The whole control text as Shift-JIS bytes, paragraph ends as CR.
std::string ControlBytes(const CRichEditCtrl& ctrl) {
  GETTEXTLENGTHEX gl = {};
  gl.flags = GTL_NUMBYTES | GTL_PRECISE;
  gl.codepage = 932;
  LRESULT n = ctrl.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (n <= 0) return std::string();
  std::string s(static_cast<std::size_t>(n) * 2 + 2, '\0');
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(s.size());
  gt.flags = GT_DEFAULT;
  gt.codepage = 932;
  LRESULT got = ctrl.SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(&s[0]));
  s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return s;
}

// Bytes of line `line` (without its end) and its first character position.
bool LineBytes(const CRichEditCtrl& ctrl, int line, std::string* bytes, long* start) {
  if (line < 0 || line >= ctrl.GetLineCount()) return false;
  long first = ctrl.LineIndex(line);
  if (first < 0) return false;
  int chars = ctrl.LineLength(first);
  std::string b(static_cast<std::size_t>(chars) * 2 + 4, '\0');
  // EM_GETLINE wants the buffer size in its first word.
  int n = ctrl.GetLine(line, &b[0], static_cast<int>(b.size()));
  b.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  while (!b.empty() && (b.back() == '\r' || b.back() == '\n')) b.pop_back();
  if (bytes) *bytes = b;
  if (start) *start = first;
  return true;
}

int StatusPaneIndex(viewcore::StatusPane pane) {
  if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return -1;
  switch (pane) {
    case viewcore::StatusPane::kPane0:
      return 0;
    case viewcore::StatusPane::kIndicator102:
      return g_pStatusBar->CommandToIndex(ID_INDICATOR_POSITION);
    case viewcore::StatusPane::kIndicator104:
      return g_pStatusBar->CommandToIndex(ID_INDICATOR_INFO);
    case viewcore::StatusPane::kPane5:
      return 5;
  }
  return -1;
}

bool IsCsvKind(std::uint32_t kind) { return docsvc::IsCsvKind(static_cast<int>(kind)); }

// Character index (from 0) of the start of field `column` in a TAB line, and
// the field count of the line.
long FieldStartChar(const std::string& line, int column) {
  std::size_t b = 0;
  for (int c = 0; c < column; ++c) {
    std::size_t t = line.find('\t', b);
    if (t == std::string::npos) return -1;
    b = t + 1;
  }
  return viewcore::CharIndexOfByte(line.data(), line.size(), b);
}

int FieldOfChar(const std::string& line, int charIndex) {
  std::size_t byte = viewcore::ByteOfCharIndex(line.data(), line.size(), charIndex);
  int field = 0;
  for (std::size_t i = 0; i < byte && i < line.size(); ++i) {
    if (line[i] == '\t') ++field;
  }
  return field;
}

std::string FieldText(const std::string& line, int column) {
  std::size_t b = 0;
  for (int c = 0; c < column; ++c) {
    std::size_t t = line.find('\t', b);
    if (t == std::string::npos) return std::string();
    b = t + 1;
  }
  std::size_t e = line.find('\t', b);
  return line.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

}  // namespace

void CDvkView::SetStatus(viewcore::StatusPane pane, const CString& text) {
  int i = StatusPaneIndex(pane);
  if (i >= 0) g_pStatusBar->SetPaneText(i, text);
}

void CDvkView::OnTextChanged() {
  if (LoadPending()) return;
  CFrameWnd* frame = GetParentFrame();
  if (!frame || frame->GetActiveView() != this) return;
  m_nLinesShown = GetRichEditCtrl().GetLineCount();
  SetStatus(viewcore::StatusPane::kPane5, viewcore::FormatStatus(viewcore::StatusText::kLineCount, m_nLinesShown));
}

int CDvkView::GetLineTextSjis(int line, char* buf, int size) {
  if (!buf || size <= 0) return 0;
  std::string b;
  if (!LineBytes(GetRichEditCtrl(), line, &b, nullptr)) {
    buf[0] = 0;
    return 0;
  }
  return viewcore::CopyLineSjis(b.data(), b.size(), buf, size);
}

int CDvkView::GetLineEndIndex(int line) {
  const CRichEditCtrl& ctrl = GetRichEditCtrl();
  int count = ctrl.GetLineCount();
  if (line < 0 || line >= count) return -1;
  if (line + 1 < count) return ctrl.LineIndex(line + 1);
  GETTEXTLENGTHEX gl = {};
  gl.flags = GTL_NUMCHARS | GTL_PRECISE;
  gl.codepage = 932;
  return static_cast<int>(ctrl.SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
}

int CDvkView::GetLineStartOffset(int pos, int delta) {
  const CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (pos < 0) return 0;
  std::string b;
  long start = 0;
  if (!LineBytes(ctrl, ctrl.LineFromChar(pos), &b, &start)) return 0;
  return viewcore::LineColumnOfChar(b.data(), b.size(), static_cast<int>(pos - start),
                                    viewcore::TabWidthForDelta(delta));
}

int CDvkView::CalcLineMetrics(int line, int units, int mode) {
  std::string b;
  if (!LineBytes(GetRichEditCtrl(), line, &b, nullptr)) return 0;
  return viewcore::CalcLineMetrics(b.data(), b.size(), units, mode);
}

int CDvkView::HasSelection() {
  long s = 0, e = 0;
  GetRichEditCtrl().GetSel(s, e);
  return s != e ? 1 : 0;
}

int CDvkView::FindTextMatchCase(int from, int to, const CString& text) {
  const std::string t = ControlBytes(GetRichEditCtrl());
  int bf = from <= 0 ? 0 : static_cast<int>(viewcore::ByteOfCharIndex(t.data(), t.size(), from));
  int bt = to < 0 ? -1 : static_cast<int>(viewcore::ByteOfCharIndex(t.data(), t.size(), to));
  int at = viewcore::FindTextMatchCase(t.data(), t.size(), bf, bt, text);
  return at < 0 ? -1 : viewcore::CharIndexOfByte(t.data(), t.size(), static_cast<std::size_t>(at));
}

CString CDvkView::SelectCell(CString* result, int position, int column, int mode) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (mode == 3) {
    // Row `position` (the title line when negative), column `column`.
    int line = position >= 0 ? position : static_cast<int>(m_table.m_nCurLine) - 1;
    // Ruled-table mode counts three header lines above the rows: they stand
    // for the paragraphs in front of the table's rows, which the paragraph
    // map skips, so the row is the position's.
    if (m_nEditMode == 3) line += 3;
    if (line < 0) line = 0;
    ctrl.LineScroll(-ctrl.GetFirstVisibleLine());
    int row = line + static_cast<int>(m_nPageTopRow);
    if (ShowsRuledDisplay()) row = (position >= 0 ? position : static_cast<int>(m_table.m_nCurLine) - 1) +
                                   static_cast<int>(m_nPageTopRow);
    int at = GetCellCharIndex(row, column);
    if (at < 0) at = ctrl.LineIndex(line < ctrl.GetLineCount() ? line : ctrl.GetLineCount() - 1);
    if (at < 0) at = 0;
    ctrl.SetSel(at, at);
    m_nCurColumn = static_cast<std::uint32_t>(column < 0 ? 0 : column);
    if (result) result->Empty();
    return CString();
  }
  // Modes 0 and 1: the cell at the caret.
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  int line = ctrl.LineFromChar(s);
  std::string b;
  long start = 0;
  // In the ruled display the caret's paragraph and its source row.
  std::uint32_t ruledRow = 0;
  const bool ruled = RuledRowAt(s, &ruledRow, &b, &start, nullptr) && ruledRow != 0xFFFFFFFFu;
  if (!ruled && !LineBytes(ctrl, line, &b, &start)) return CString();
  int field = FieldOfChar(b, static_cast<int>(s - start));
  m_nCurColumn = static_cast<std::uint32_t>(field);
  m_nCurRow = ruled ? ruledRow : static_cast<std::uint32_t>(line) + m_nPageTopRow;
  CString cell(FieldText(b, field).c_str());
  if (mode == 1) {
    // Select the cell's text.
    long from = start + FieldStartChar(b, field);
    std::string f = FieldText(b, field);
    ctrl.SetSel(from, from + viewcore::CharIndexOfByte(f.data(), f.size(), f.size()));
  }
  if (result) *result = cell;
  return cell;
}

int CDvkView::GetCellCharIndex(int row, int column) {
  if (ShowsRuledDisplay()) return RuledCellCharIndex(row, column);
  int line = row - static_cast<int>(m_nPageTopRow);
  std::string b;
  long start = 0;
  if (!LineBytes(GetRichEditCtrl(), line, &b, &start)) return -1;
  long at = FieldStartChar(b, column < 0 ? 0 : column);
  return at < 0 ? -1 : static_cast<int>(start + at);
}

void CDvkView::UpdatePositionDisplay(int mode) {
  (void)mode;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  int line = ctrl.LineFromChar(e);
  long start = ctrl.LineIndex(line);
  int shownColumn = static_cast<int>(e - (start < 0 ? 0 : start)) + 1;
  // The ruled display: the caret's source row and cell (its TAB field).
  std::uint32_t ruledRow = 0;
  std::string para;
  long paraStart = 0;
  const bool ruled = RuledRowAt(e, &ruledRow, &para, &paraStart, nullptr) && ruledRow != 0xFFFFFFFFu;
  if (ruled) {
    line = static_cast<int>(ruledRow - (ruledRow >= m_nPageTopRow ? m_nPageTopRow : 0));
    shownColumn = FieldOfChar(para, static_cast<int>(e - paraStart)) + 1;
  }
  CString t = viewcore::FormatStatus(viewcore::StatusText::kCaretPosition, line + 1, shownColumn);
  SetStatus(viewcore::StatusPane::kIndicator102, t);
  if (m_hWnd && ::GetFocus() == m_hWnd) ::ShowCaret(m_hWnd);
  // The block of the caret's row (the block starts hold 1-based rows), kept
  // plus 1: the row sort takes m_nCaretBlock - 1 as its block.
  if (IsCsvKind(m_nFileKind)) {
    std::uint32_t row = static_cast<std::uint32_t>(line) + m_nPageTopRow + 1;
    std::uint32_t block = 1;
    for (std::uint32_t b = 1; b <= m_table.BlockCount() && b < csv::MAX_CSV_BLOCKS; ++b)
      if (m_table.m_aSecRow[b] <= row) block = b;
    m_nCaretBlock = block + 1;
  }
}

void CDvkView::ShowRangeStatus() {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  int line = ctrl.LineFromChar(s);
  long start = ctrl.LineIndex(line);
  int from = static_cast<int>(s - start) + 1;
  int to = static_cast<int>((ctrl.LineFromChar(e) == line ? e : start + ctrl.LineLength(start)) - start) + 1;
  if (IsCsvKind(m_nFileKind)) {
    // Columns of a table are its fields.
    std::string b;
    if (LineBytes(ctrl, line, &b, nullptr)) {
      from = FieldOfChar(b, from - 1) + 1;
      to = FieldOfChar(b, to - 1) + 1;
    }
  }
  SetStatus(viewcore::StatusPane::kPane0,
            viewcore::FormatStatus(viewcore::StatusText::kRange, line + 1, from, to < from ? from : to));
}

CString CDvkView::GetSourcePath() {
  app::DocHost* doc = GetDocument();
  if (!doc || m_strScratchSource.IsEmpty()) return m_strViewPath;
  CString scratch = doc->PathFields().m_strProgramDir + "\\TMP\\DorvikE";
  CString head = m_strViewPath.Left(scratch.GetLength());
  if (head.CompareNoCase(scratch) == 0) return m_strScratchSource;
  return m_strViewPath;
}
