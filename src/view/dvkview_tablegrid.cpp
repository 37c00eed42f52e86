// New tables in a rich-text view: the blank ruled table made in the CSV
// buffer (MakeTable), the table template and the grid table of selected
// lines (InsertTableTemplate, command 33178), and the text back from a
// selected table (ExtractTableText). Rows, cells and escapes are decided in
// table/table_grid.h and the rewrite in table/table_extract.h; this file
// reads the lines and their positions from the control and streams.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "fw/alloc.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "table/table_blank.h"
#include "table/table_extract.h"
#include "table/table_grid.h"
#include "view/dvkview.h"

namespace {

constexpr unsigned kStrMemoryShort = 152;  // "メモリーが足りません\r\n"

// The table template: a title line, a header of six cells, four empty rows
// and a last row of dots.
const char kTableTemplate[] =
    "Title\r\n  A1\t  A2\t  A3\t  A4\t  A5\t  A6\r\n"
    "\t\t\t\t\t\r\n\t\t\t\t\t\r\n\t\t\t\t\t\r\n\t\t\t\t\t\r\n"
    "..\t..\t..\t\t\t\r\n";

// String 152, the place (" 035") after it.
void ShowMemoryShort(HWND owner, const char* place) {
  CString text;
  text.LoadString(kStrMemoryShort);
  text += place;
  fw::ShowMessageBox(owner, text, "", MB_OK);
}

// The document's text buffer grown to at least `need` bytes (its capacity
// and readable end stored); false, buffer unchanged, when it cannot be had.
bool GrowText(app::DocTextFields& t, std::uint64_t need) {
  if (need >= 0xFFFFFFFFull) return false;
  if (t.m_pText && t.m_nTextCapacity >= need) return true;
  void* p = fw::Realloc(t.m_pText, static_cast<std::size_t>(need));
  if (!p) return false;
  t.m_pText = static_cast<char*>(p);
  t.m_nTextCapacity = static_cast<std::uint32_t>(need);
  t.m_nReadEnd = t.m_nTextCapacity;
  return true;
}

// The rows' exact heights set again from character `from` on, after the
// stream-in: a reader that drops exact spacing (Wine's) leaves every row at
// the default height, and the stream-in's own re-apply counts paragraphs,
// which one table row is several of.
void ApplyGridRowHeights(CRichEditCtrl& ctrl, HWND wnd, long from, const std::vector<table::GridRowShape>& rows) {
  if (rows.empty()) return;
  // The control's text in UTF-16: one unit per character position.
  GETTEXTLENGTHEX gl = {GTL_DEFAULT, 1200};
  const LRESULT units = ::SendMessageW(wnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (units <= 0) return;
  std::vector<wchar_t> text(static_cast<std::size_t>(units) + 2);
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  gt.flags = GT_DEFAULT;
  gt.codepage = 1200;
  const LRESULT got =
      ::SendMessageW(wnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
  if (got <= 0) return;
  const long n = static_cast<long>(got);
  // Every cell of the control's table form ends with a mark (a TAB, or BEL in
  // the newer controls), and the marks of a row's end (and of the next row's
  // start) follow its last cell; cells hold no TAB of their own.
  auto rowMark = [](wchar_t c) { return c == L'\r' || c == L'\n' || (c >= 0xFFF9 && c <= 0xFFFB); };
  long pos = from < 0 ? 0 : from;
  for (const table::GridRowShape& row : rows) {
    while (pos < n && rowMark(text[static_cast<std::size_t>(pos)])) ++pos;
    const long start = pos;
    int cells = 0;
    while (pos < n && cells < row.cells) {
      const wchar_t c = text[static_cast<std::size_t>(pos)];
      if (c == L'\t' || c == 0x07) ++cells;
      ++pos;
    }
    if (cells < row.cells) break;
    ctrl.SetSel(start, pos);
    PARAFORMAT2 set = {};
    set.cbSize = sizeof set;
    set.dwMask = PFM_LINESPACING;
    set.bLineSpacingRule = 4;
    set.dyLineSpacing = row.twips;
    ctrl.SetParaFormat(set);
  }
}

}  // namespace

int CDvkView::MakeTable(int how) {
  if (how == 1) {
    // The blank table goes into the CSV buffer from its start; the buffer
    // of an empty view may be smaller, so it grows first.
    if (!table::WriteBlankTable(m_table)) {
      ShowMemoryShort(m_hWnd, "");
      return -1;
    }
    return TableCommand('N', -1, 0, 0, 0, 0, 0, 0);
  }
  if (how == 0) {
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    long s = 0, e = 0;
    ctrl.GetSel(s, e);
    int first = 0, last = 0;
    if (e > s && s > 0) {
      first = ctrl.LineFromChar(s);
      last = ctrl.LineFromChar(e);
    }
    ConvertTextToTable(1, first, last);
    return TableCommand('D', -1, 0, first, last, 0, 0, 0);
  }
  return how;
}

int CDvkView::InsertTableTemplate(int mode) {
  if (m_nFileKind != docsvc::kKindRichText || !m_hWnd) return -1;
  if (mode != 1 && mode != 2) return ConvertLinesToGrid();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  // The template never replaces a selection: it goes in at the caret (the
  // selection's end). Its first line must be a line of its own, or the
  // conversion would take the text before the caret into the title row.
  const int caretLine = ctrl.LineFromChar(e);
  const bool lineStart = ctrl.LineIndex(caretLine) == e;
  ctrl.SetSel(e, e);
  std::string text = lineStart ? "" : "\r\n";
  text += kTableTemplate;
  ctrl.ReplaceSel(text.c_str(), TRUE);
  long end = 0, endTo = 0;
  ctrl.GetSel(end, endTo);
  if (mode == 2) return 0;
  const long first = lineStart ? e : ctrl.LineIndex(caretLine + 1);
  ctrl.SetSel(first, end);
  return ConvertLinesToGrid();
}

int CDvkView::ConvertLinesToGrid() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return -1;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const int firstLine = ctrl.LineFromChar(s);
  int lastLine = ctrl.LineFromChar(e);
  // A selection that ends at a line's start does not take that line.
  if (lastLine > firstLine && ctrl.LineIndex(lastLine) == e) --lastLine;
  // The header's size: the selection's character height in half-points.
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ctrl.GetSelectionCharFormat(cf);
  const int size = cf.yHeight > 0 ? static_cast<int>(cf.yHeight / 10) : 24;

  UpdateLockGuard lock(*this);
  ctrl.HideSelection(TRUE, FALSE);
  const BOOL modified = ctrl.GetModify();
  std::vector<table::GridLine> lines;
  std::vector<char> buf(table::kGridLineLimit + 1);
  for (int line = firstLine; line <= lastLine; ++line) {
    table::GridLine g;
    const int n = GetLineTextSjis(line, buf.data(), static_cast<int>(buf.size()));
    g.text.assign(buf.data(), static_cast<std::size_t>(std::max(0, n)));
    // Separator positions from the line's own start, so a scrolled view or a
    // left margin does not move the cells.
    const long start = ctrl.LineIndex(line);
    const int left = ctrl.PosFromChar(start).x;
    for (std::uint32_t c : table::GridSeparatorChars(g.text)) g.edgePixels.push_back(ctrl.PosFromChar(start + c).x - left);
    g.edgePixels.push_back(ctrl.PosFromChar(start + table::GridCharCount(g.text)).x - left);
    ctrl.SetSel(start, start);
    PARAFORMAT2 pf = {};
    pf.cbSize = sizeof pf;
    ctrl.GetParaFormat(pf);
    if ((pf.dwMask & PFM_LINESPACING) && pf.bLineSpacingRule == 4) g.spacingTwips = pf.dyLineSpacing;
    lines.push_back(std::move(g));
  }

  auto giveUp = [&](const char* place) {
    ctrl.SetSel(s, e);
    ctrl.HideSelection(FALSE, FALSE);
    ShowMemoryShort(m_hWnd, place);
    return -1;
  };
  std::string rtf;
  std::vector<table::GridRowShape> shapes;
  try {
    rtf = table::WriteGridTable(lines, size, &shapes);
  } catch (const std::bad_alloc&) {
    return giveUp(" 036");
  }
  app::DocTextFields& t = doc->TextFields();
  if (!GrowText(t, static_cast<std::uint64_t>(rtf.size()) + 1000)) return giveUp(" 037");
  std::memcpy(t.m_pText, rtf.data(), rtf.size());
  t.m_pText[rtf.size()] = 0;
  t.m_nTextLen = static_cast<std::uint32_t>(rtf.size());

  // The lines go with their last line end, so no empty paragraph is left
  // after the table.
  const long from = ctrl.LineIndex(firstLine);
  const long to = GetLineEndIndex(lastLine);
  ctrl.SetSel(from, to < from ? from : to);
  t.m_nReadPos = 0;
  t.m_nReadEnd = t.m_nTextCapacity;
  t.m_nStreamLen = t.m_nTextLen;
  StreamInRtf(m_hWnd, 1);
  ApplyGridRowHeights(ctrl, m_hWnd, from, shapes);
  ctrl.SetModify(modified || !rtf.empty());
  ctrl.SetSel(s, s);
  ctrl.HideSelection(FALSE, FALSE);
  return 0;
}

int CDvkView::ExtractTableText(int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return -1;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const std::uint64_t selLen = e > s ? static_cast<std::uint64_t>(e - s) : 0;
  app::DocTextFields& t = doc->TextFields();
  if (!GrowText(t, 8 * selLen + 100000)) {
    ShowMemoryShort(m_hWnd, " 035");
    return -1;
  }
  // The selection and one character more, out as rich text with the
  // selection hidden. The stream-out grows the buffer when a picture's data
  // is longer than the room reserved for it.
  ctrl.HideSelection(TRUE, FALSE);
  ctrl.SetSel(s, e + 1);
  t.m_nReadPos = 0;
  t.m_nReadEnd = t.m_nTextCapacity - 1;
  const int streamed = StreamOutRtf(m_hWnd, 1);
  ctrl.SetSel(s, e);
  ctrl.HideSelection(FALSE, FALSE);
  if (streamed != 0) return -1;  // the shortage is reported
  const std::uint32_t got = std::min(t.m_nReadPos, t.m_nTextCapacity - 1);
  const std::size_t len = table::RewriteTableRtf(t.m_pText, got, mode);
  t.m_pText[len] = 0;
  t.m_nTextLen = static_cast<std::uint32_t>(len);
  t.m_nReadPos = 0;
  return static_cast<int>(len);
}

void CDvkView::OnTableNew() {
  if (m_nFileKind != docsvc::kKindRichText || !m_hWnd) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  // Selected lines (more than one) become the grid table; otherwise the
  // template goes in at the caret and is converted.
  const bool lines = e > s && ctrl.LineFromChar(s) != ctrl.LineFromChar(e - 1);
  InsertTableTemplate(lines ? 0 : 1);
}
