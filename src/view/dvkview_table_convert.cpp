// The table engine's in-place conversions of separated lines into ruled rows
// ('e' TAB-separated, 'f' '|'-separated) on the rich text the control shows.
// table/table_ruledrows.h decides where the separators are and which stops
// they give; this file measures them in the control and sets the marks and
// formats. Separators are handled left to right and each stop is set before
// the next separator is measured, so every stop lies 150 twips right of the
// place its TAB has in the finished row.
#include <algorithm>
#include <string>
#include <vector>

#include "host/doc_host.h"
#include "table/table_ruledrows.h"
#include "view/dvkview.h"

namespace {

// The face 'e' sets ("ＭＳ ゴシック", Shift-JIS character set).
constexpr char kRowFace[] = "ＭＳ ゴシック";
constexpr BYTE kRowCharset = 128;
constexpr LONG kMarkMaxTwips = 50;  // a character lower than this is a line mark

std::u16string ControlTextUtf16(HWND hwnd) {
  GETTEXTLENGTHEX gl = {GTL_DEFAULT, 1200};
  const LRESULT units = ::SendMessageW(hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
  if (units <= 0) return std::u16string();
  std::vector<wchar_t> text(static_cast<std::size_t>(units) + 2);
  GETTEXTEX gt = {};
  gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  gt.flags = GT_DEFAULT;
  gt.codepage = 1200;
  const LRESULT got =
      ::SendMessageW(hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
  if (got <= 0) return std::u16string();
  std::u16string out(static_cast<std::size_t>(got), u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(text[i]);
  return out;
}

// The vertical-line format of a mark: 1 point high on the line colour.
CHARFORMAT2A MarkFormat() {
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_SIZE | CFM_BACKCOLOR;
  cf.yHeight = table::kRuleMarkTwips;
  cf.crBackColor = table::kRuleMarkColour;
  return cf;
}

void SetStops(CRichEditCtrl& ctrl, long at, const std::vector<std::int32_t>& stops) {
  ctrl.SetSel(at, at);
  PARAFORMAT2 pf = {};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_TABSTOPS;
  pf.cTabCount = static_cast<SHORT>(std::min<std::size_t>(stops.size(), table::kMaxRuledStops));
  for (SHORT i = 0; i < pf.cTabCount; ++i) pf.rgxTabs[i] = stops[static_cast<std::size_t>(i)];
  ctrl.SetParaFormat(pf);
}

// The pixel x of character `at` from the x of its paragraph's first character.
int PixelFrom(CRichEditCtrl& ctrl, long start, long at) {
  const CPoint p0 = ctrl.PosFromChar(start);
  const CPoint p = ctrl.PosFromChar(at);
  return p.x - p0.x;
}

}  // namespace

int CDvkView::RunRuledConversion(int cmd, int firstLine, int lastLine) {
  app::DocHost* doc = GetDocument();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const int lines = ctrl.GetLineCount();
  if (!doc || lines <= 0) return 0;
  int first = firstLine, last = lastLine;
  if (first == 0 && last == 0) last = lines - 1;
  first = std::max(0, std::min(first, lines - 1));
  last = std::max(first, std::min(last, lines - 1));
  const long from = ctrl.LineIndex(first);
  const long to = ctrl.LineIndex(last) + ctrl.LineLength(ctrl.LineIndex(last));
  const std::u16string text = ControlTextUtf16(m_hWnd);
  const std::vector<long> starts = table::ParagraphStarts(text.data(), text.size(), from, to);
  // The last paragraph first: a conversion lengthens its paragraph, and the
  // starts of the paragraphs before it stay where they are.
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    const long start = *it;
    std::size_t end = static_cast<std::size_t>(start);
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    ConvertParagraphToRuledRow(cmd, start, text.substr(static_cast<std::size_t>(start), end - start));
  }
  ctrl.SetSel(starts.empty() ? from : starts.front(), starts.empty() ? from : starts.front());
  if (cmd == 'f') doc->KeyImageFields().m_bShiftHeld = 0;
  return TableWriteBack();
}

void CDvkView::ConvertParagraphToRuledRow(int cmd, long start, const std::u16string& para) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  ctrl.SetSel(start, start);
  PARAFORMAT2 pf = {};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_LINESPACING | PFM_TABSTOPS;
  ctrl.GetParaFormat(pf);
  const bool rowE = cmd == 'e';
  if (rowE) {
    // Ruled lines of a table stay as they are.
    if (table::IsRuledLine(pf.bLineSpacingRule, pf.dyLineSpacing)) return;
    // The row in the fixed-pitch face at the height it has.
    CHARFORMAT2A face = {};
    face.cbSize = sizeof face;
    face.dwMask = CFM_FACE | CFM_CHARSET;
    face.bCharSet = kRowCharset;
    lstrcpynA(face.szFaceName, kRowFace, LF_FACESIZE);
    ctrl.SetSel(start, start + static_cast<long>(para.size()));
    ctrl.SetSelectionCharFormat(face);
  }
  // 'e' takes stops from its TABs only when the paragraph has none.
  const bool measure = !rowE || pf.cTabCount == 0;
  const std::vector<int> seps = table::SeparatorChars(para.data(), para.size(), rowE ? u'\t' : u'|');
  table::RuledStops stops;
  CHARFORMAT2A mark = MarkFormat();
  long added = 0;
  for (int sep : seps) {
    const long at = start + sep + added;
    if (measure && stops.AddPixel(PixelFrom(ctrl, start, at))) SetStops(ctrl, start, stops.Stops());
    if (rowE) {
      // A TAB that carries its mark already keeps it (a row converted before).
      const std::size_t next = static_cast<std::size_t>(sep) + 1;
      if (next < para.size() && para[next] == static_cast<char16_t>(table::kRuleMarkChar)) {
        CHARFORMAT2A cf = {};
        cf.cbSize = sizeof cf;
        ctrl.SetSel(at + 1, at + 2);
        ctrl.GetSelectionCharFormat(cf);
        if ((cf.dwMask & CFM_SIZE) && cf.yHeight < kMarkMaxTwips) continue;
      }
      ctrl.SetSel(at + 1, at + 1);
      ctrl.ReplaceSel("_", FALSE);
    } else {
      ctrl.SetSel(at, at + 1);
      ctrl.ReplaceSel("\t_", FALSE);
    }
    ctrl.SetSel(at + 1, at + 2);
    ctrl.SetSelectionCharFormat(mark);
    ++added;
  }
  if (rowE) {
    // Converted rows are 240 twips high, with the stops just made.
    ctrl.SetSel(start, start);
    PARAFORMAT2 row = {};
    row.cbSize = sizeof row;
    row.dwMask = PFM_LINESPACING;
    row.bLineSpacingRule = 4;
    row.dyLineSpacing = table::kConvertedRowTwips;
    ctrl.SetParaFormat(row);
  }
}
