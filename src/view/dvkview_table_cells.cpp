// The ruled table's line and cell operations on the control: thin (rule)
// paragraphs, the caret's cell, cells selected by number or by the column
// block's pixels, vertical caret moves, row lines, row heights and the
// cells' background mark. Where the separators of a line stand is
// table/table_cells.h; the operations that only inspect put the selection
// back.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "table/table_cells.h"
#include "view/dvkview.h"

namespace {

constexpr int kDefaultSpacing = 240;  // twips of a paragraph without a spacing
constexpr int kThinBelow = 40;        // a thinner exact spacing is a rule line
constexpr int kMinSpacing = 10;
constexpr LONG kRuleGlyphHeight = 50; // twips: rule characters are lower
constexpr COLORREF kMarkColour = 1;   // RGB(1, 0, 0), the rule mark

PARAFORMAT2 ParaAt(CRichEditCtrl& ctrl, long at) {
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  ctrl.SetSel(at, at);
  PARAFORMAT2 pf = {};
  pf.cbSize = sizeof pf;
  ctrl.GetParaFormat(pf);
  ctrl.SetSel(s, e);
  return pf;
}

// Spacing in twips of a paragraph format: the exact spacing (its absolute
// value: a control may keep it negative) or the default.
int SpacingOf(const PARAFORMAT2& pf) {
  if ((pf.dwMask & PFM_LINESPACING) && pf.bLineSpacingRule != 0 && pf.dyLineSpacing != 0)
    return std::abs(static_cast<int>(pf.dyLineSpacing));
  return kDefaultSpacing;
}

bool Thin(const PARAFORMAT2& pf) {
  const int sp = (pf.dwMask & PFM_LINESPACING) && pf.bLineSpacingRule != 0 ? std::abs(static_cast<int>(pf.dyLineSpacing)) : 0;
  return sp >= 1 && sp < kThinBelow;
}

CHARFORMAT2A CharAt(CRichEditCtrl& ctrl, long at) {
  ctrl.SetSel(at, at + 1);
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ctrl.GetSelectionCharFormat(cf);
  return cf;
}

}  // namespace

bool CDvkView::IsThinLine(int line) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const int at = ctrl.LineIndex(line);
  return at >= 0 && Thin(ParaAt(ctrl, at));
}

int CDvkView::TableLineSpacing(int line, int change) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (line < 0) line = ctrl.LineFromChar(-1);
  const int at = ctrl.LineIndex(line);
  if (at < 0) return kDefaultSpacing;
  const int old = SpacingOf(ParaAt(ctrl, at));
  if (change == 0) return old;
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  ctrl.SetSel(at, at);
  PARAFORMAT2 pf = {};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_LINESPACING;
  pf.bLineSpacingRule = 4;
  pf.dyLineSpacing = std::max(kMinSpacing, old + change);
  ctrl.SetParaFormat(pf);
  ctrl.SetSel(s, e);
  return SpacingOf(ParaAt(ctrl, at));
}

int CDvkView::TableLineKind(int line) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (line == 0) line = ctrl.LineFromChar(-1);
  if (line >= ctrl.GetLineCount()) {
    // A line past the end is made first.
    long s = 0, e = 0;
    ctrl.GetSel(s, e);
    const long end = ctrl.GetTextLength();
    ctrl.SetSel(end, end);
    ctrl.ReplaceSel("\n \n", TRUE);
    ctrl.SetSel(s, e);
  }
  if (!IsThinLine(line)) return 0;
  return IsThinLine(line + 1) ? 2 : 1;
}

int CDvkView::TableRowToLine(int row, int flag) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const int count = ctrl.GetLineCount();
  int rows = 0;
  for (int line = 0; line < count; ++line) {
    if (IsThinLine(line)) continue;
    if (++rows >= row) return line + (flag == 1 ? 1 : 0);
  }
  return std::max(0, count - 1);
}

int CDvkView::TableCaretCellIndex() {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const int line = ctrl.LineFromChar(s);
  char buf[table::kCellLineBytes + 8] = {};
  const int n = GetLineTextSjis(line, buf, static_cast<int>(table::kCellLineBytes) + 1);
  const int caret = GetLineStartOffset(s, 99999);
  const int dotted = m_nFileKind == docsvc::kKindRichText ? table::kDottedFromCaret : 0;
  return table::CellIndexAt(reinterpret_cast<const std::uint8_t*>(buf), static_cast<std::size_t>(n),
                            static_cast<std::size_t>(std::max(caret, 0)), dotted, false);
}

int CDvkView::TableMoveCaretVertical(int offset, int flag) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  const int line = ctrl.LineFromChar(s);
  const int target = line + offset;
  if (target < 0 || target >= ctrl.GetLineCount()) return -1;
  const int dotted = m_nFileKind == docsvc::kKindRichText ? table::kDottedFromCaret : 0;
  char here[table::kCellLineBytes + 8] = {};
  char there[table::kCellLineBytes + 8] = {};
  const int n = GetLineTextSjis(line, here, static_cast<int>(table::kCellLineBytes) + 1);
  const int m = GetLineTextSjis(target, there, static_cast<int>(table::kCellLineBytes) + 1);
  if (n < 3 || m < 3) return -1;
  const int caret = std::max(GetLineStartOffset(s, 99999), 0);
  const int index = table::CellIndexAt(reinterpret_cast<const std::uint8_t*>(here), static_cast<std::size_t>(n),
                                       static_cast<std::size_t>(caret), dotted, true) +
                    (flag == 1 ? 1 : 0);
  const long byte = table::CaretOffsetOfCell(reinterpret_cast<const std::uint8_t*>(there), static_cast<std::size_t>(m),
                                             index, dotted);
  const long start = ctrl.LineIndex(target);
  long at;
  if (byte < 0) {
    // The line ends before that cell: the caret goes before its end.
    const long end = GetLineEndIndex(target) >= 0 ? GetLineEndIndex(target) : ctrl.GetTextLength();
    at = std::max(start, end - 1);
  } else {
    at = start + CalcLineMetrics(target, static_cast<int>(byte), 1);
  }
  ctrl.SetSel(at, at);
  return index;
}

void CDvkView::TableSelectCells(int line, int firstCell, int lastCell) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const long start = ctrl.LineIndex(line);
  if (start < 0) return;
  long end = GetLineEndIndex(line);
  if (end < 0) end = ctrl.GetTextLength();
  // The line end without its paragraph mark.
  const long lineEnd = end > start && line + 1 < ctrl.GetLineCount() ? end - 1 : end;
  if (firstCell == -9999) {
    // By the column block's pixels: the first character reaching each bound.
    const long leftX = m_nColBlockPixFrom, rightX = m_nColBlockPixTo;
    if (rightX <= leftX) {
      ctrl.SetSel(start, start);
      return;
    }
    long from = -1, to = lineEnd;
    for (long i = start; i < lineEnd; ++i) {
      const long x = ctrl.PosFromChar(i).x;
      if (from < 0 && x >= leftX) from = i;
      if (x >= rightX) {
        to = i;
        break;
      }
    }
    if (from < 0) from = lineEnd;
    ctrl.SetSel(from, std::max(from, to));
    return;
  }
  if (firstCell == 0) firstCell = 1;
  char buf[table::kCellLineBytes + 8] = {};
  const int n = GetLineTextSjis(line, buf, static_cast<int>(table::kCellLineBytes) + 1);
  const int dotted = m_nFileKind == docsvc::kKindRichText ? table::kDottedFromSelector : 0;
  const std::vector<table::CellSeparator> seps =
      table::CellSeparators(reinterpret_cast<const std::uint8_t*>(buf), static_cast<std::size_t>(n),
                            static_cast<std::size_t>(n), dotted);
  const int total = static_cast<int>(seps.size());
  auto charOf = [&](std::size_t byte) { return start + CalcLineMetrics(line, static_cast<int>(byte), 1); };
  if (firstCell > total) {
    ctrl.SetSel(lineEnd, lineEnd);
    return;
  }
  const table::CellSeparator& first = seps[static_cast<std::size_t>(firstCell) - 1];
  long from = charOf(first.after);
  if (m_bCellSelectFromSeparator) from = std::max(start, from - 1);
  if (lastCell == 0) {
    const long at = std::min(charOf(first.at) + 2, lineEnd);
    ctrl.SetSel(at, at);
    return;
  }
  long to = lineEnd;
  if (lastCell < 0) {
    // Counted back from the line's end, over the rule characters there.
    int steps = 0;
    while (to > from && steps < 200 && CharAt(ctrl, to - 1).yHeight < kRuleGlyphHeight) {
      --to;
      ++steps;
    }
    const int cell = total + lastCell + 1;  // the cell that many back from the last
    if (cell >= firstCell && cell < total) to = std::min(to, charOf(seps[static_cast<std::size_t>(cell)].at));
  } else if (lastCell != static_cast<int>(m_table.m_nFieldCount) && lastCell < total) {
    to = charOf(seps[static_cast<std::size_t>(lastCell)].at);
  }
  ctrl.SetSel(from, std::max(from, to));
}

int CDvkView::TableSetCellMark(int mode, COLORREF colour) {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const COLORREF tableBack = doc ? doc->SettingsFields().m_clrTextBack : 0xFFFFFF;
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  auto paint = [&](long from, long to, COLORREF c) {
    ctrl.SetSel(from, to);
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BACKCOLOR;
    cf.crBackColor = c;
    ctrl.SetSelectionCharFormat(cf);
  };
  switch (mode) {
    case 0:
      paint(s, e, tableBack);
      return 0;
    case 1:
      paint(s, e, colour == 0 ? kMarkColour : colour);
      return 0;
    case 2: {
      const long from = std::min(s + 1, e);
      const bool marked = from < e && CharAt(ctrl, from).crBackColor == kMarkColour;
      paint(from, e, marked ? tableBack : 0);
      ctrl.SetSel(s, e);
      return marked ? 1 : 0;
    }
    case 9: {
      // The character after the caret; the first two of a longer selection.
      ctrl.SetSel(s, e > s + 1 ? s + 2 : s + 1);
      CHARFORMAT2A cf = {};
      cf.cbSize = sizeof cf;
      ctrl.GetSelectionCharFormat(cf);
      const PARAFORMAT2 pf = ParaAt(ctrl, s);
      ctrl.SetSel(s, e);
      const bool rulePara = (pf.dwMask & PFM_LINESPACING) && pf.bLineSpacingRule != 0 &&
                            std::abs(static_cast<int>(pf.dyLineSpacing)) < kThinBelow;
      if (!rulePara) return 9;
      return cf.crBackColor == kMarkColour ? 1 : 0;
    }
    default:
      return 0;
  }
}
