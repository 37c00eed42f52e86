// The frame of the ruled table's RTF rewrites (CDvkView::TableRewriteRtf):
// the block of lines around the caret is found, streamed out as RTF into the
// document's buffer, rewritten by one pass (table/rtfpass/) and streamed
// back in place of the block. The control does the layout. The block is
// removed and the result streamed in as two undoable steps; the stream-in
// goes through StreamInRtf, which puts back the exact spacing of the rule
// paragraphs that the control's reader drops.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fw/alloc.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "table/rtfpass/column_pass.h"
#include "table/rtfpass/table_passes.h"
#include "table/table_cells.h"
#include "view/dvkview.h"
#include "view/viewcore/statustext.h"

namespace {

namespace rp = table::rtfpass;

constexpr unsigned kStrMemoryShort = 152;  // "メモリーが足りません\r\n"
constexpr char kBufferCode[] = " 042";      // the document's buffer could not grow
constexpr char kWorkCode[] = " 043";        // the pass ran out of room
constexpr std::size_t kSpareBytes = 500;
constexpr char kRowEnding[] = "\t  ";       // typed at the end of the rows before 'D'

void ReportMemory(HWND hwnd, const char* code) {
  CString s;
  s.LoadString(kStrMemoryShort);
  fw::ShowMessageBox(hwnd, (std::string(s.GetString()) + code).c_str(), "", MB_OK);
}

// The number after "ATR:%I" in a statement, -1 when there is none.
int AtrSplit(const CString& stmt) {
  const std::string s = stmt.Str();
  const std::size_t at = s.find("ATR:%I");
  if (at == std::string::npos) return -1;
  long long n = 0;
  bool any = false;
  for (std::size_t i = at + 6; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    any = true;
    n = std::min<long long>(n * 10 + (s[i] - '0'), 1000000);
  }
  return any ? static_cast<int>(n) : -1;
}

bool RangeCommand(int command) {
  return command == '3' || command == '4' || command == '5' || command == '6' || rp::IsColumnCommand(command);
}

}  // namespace

int CDvkView::CaretOffsetInCell(long at) {
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const int line = ctrl.LineFromChar(at);
  char buf[table::kCellLineBytes + 8] = {};
  const int n = GetLineTextSjis(line, buf, static_cast<int>(table::kCellLineBytes) + 1);
  const int caret = std::max(0, GetLineStartOffset(at, 99999));
  const std::vector<table::CellSeparator> seps = table::CellSeparators(
      reinterpret_cast<const std::uint8_t*>(buf), static_cast<std::size_t>(std::max(n, 0)), static_cast<std::size_t>(caret), 0);
  if (seps.empty()) return caret;
  std::size_t start = seps.back().after;
  // The 1-point rule glyph after the TAB is no text of the cell.
  const long glyph = ctrl.LineIndex(line) + CalcLineMetrics(line, static_cast<int>(start), 1);
  long s = 0, e = 0;
  ctrl.GetSel(s, e);
  ctrl.SetSel(glyph, glyph + 1);
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  ctrl.GetSelectionCharFormat(cf);
  ctrl.SetSel(s, e);
  if (cf.yHeight > 0 && cf.yHeight < 50 && start < static_cast<std::size_t>(caret)) ++start;
  return caret - static_cast<int>(start);
}

int CDvkView::TableRewriteRtf(int command, int caretChar, int firstLine, int column, int lastLine, int count,
                              int charPos, int colour) {
  (void)colour;  // no command reads it
  app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  app::DocTextFields& text = doc->TextFields();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  rp::PassArgs args;
  args.noShift = command == 'i';
  args.command = command == 'i' ? 'I' : command;

  long selStart = 0, selEnd = 0;
  ctrl.GetSel(selStart, selEnd);
  const int caretLine = ctrl.LineFromChar(selStart);
  const int lineCount = ctrl.GetLineCount();
  char line[table::kCellLineBytes + 8];
  int lastLen = 0;
  auto tabsOf = [&](int l) {
    const int n = GetLineTextSjis(l, line, static_cast<int>(table::kCellLineBytes) + 1);
    lastLen = n;
    return static_cast<int>(std::count(line, line + std::max(n, 0), '\t'));
  };
  const table::RewriteBlock block = table::FindRewriteBlock(caretLine, lineCount, tabsOf);

  // The caller's lines as paragraphs of the block.
  if (firstLine == 0) firstLine = ctrl.LineFromChar(caretChar);
  args.firstPara = std::max(0, firstLine - block.first);
  if (lastLine != 0) {
    args.endPara = std::max(0, lastLine - block.first);
  } else if (block.shortLine >= 0 && RangeCommand(args.command)) {
    args.endPara = block.shortLine - block.first;
  }
  args.caretChar = caretChar;
  args.column = column;
  args.count = count;
  args.charPos = charPos;

  // Room for the pass's output (the table engine's sizing: 100 bytes per
  // TAB and line, twice the text, a floor), the same for the stream-out.
  const std::uint64_t lines = static_cast<std::uint64_t>(block.last - block.first + 1);
  const std::size_t limit = rp::OutputLimit(text.m_nTextLen, static_cast<std::size_t>(block.tabs),
                                            static_cast<std::size_t>(lines), static_cast<std::size_t>(lastLen));
  if (limit >= 0x7FFFFFFFu) {
    ReportMemory(m_hWnd, kBufferCode);
    return 1;
  }
  if (text.m_nTextCapacity < limit + 1) {
    void* p = fw::Realloc(text.m_pText, limit + 1);
    if (!p) {
      ReportMemory(m_hWnd, kBufferCode);
      return 1;
    }
    text.m_pText = static_cast<char*>(p);
    text.m_nTextCapacity = static_cast<std::uint32_t>(limit + 1);
  }
  text.m_nReadEnd = text.m_nTextCapacity;

  // 'D' needs every row but the last to end in a TAB and two blanks.
  std::vector<long> typedAt;
  if (args.command == 'D') {
    for (int l = block.last - 1; l >= block.first; --l) {
      long end = GetLineEndIndex(l);
      if (end <= 0) continue;
      --end;  // before the paragraph mark
      ctrl.SetSel(end, end);
      ctrl.ReplaceSel(kRowEnding, TRUE);
      typedAt.push_back(end);
    }
  }
  auto untype = [&] {
    for (auto it = typedAt.rbegin(); it != typedAt.rend(); ++it) {
      ctrl.SetSel(*it, *it + static_cast<long>(std::strlen(kRowEnding)));
      ctrl.ReplaceSel("", FALSE);
    }
  };
  auto selectBlock = [&] {
    const long from = ctrl.LineIndex(block.first);
    long to = GetLineEndIndex(block.last);
    if (to < 0) to = ctrl.GetTextLength();
    ctrl.SetSel(std::max(0L, from), to);
  };

  // The block out as RTF.
  selectBlock();
  text.m_nReadPos = 0;
  if (StreamOutRtf(m_hWnd, 1) != 0) {
    untype();
    ctrl.SetSel(selStart, selEnd);
    ReportMemory(m_hWnd, kBufferCode);
    return 1;
  }
  text.m_nTextLen = text.m_nReadPos;
  ctrl.SetSel(selStart, selEnd);

  rp::PassFacts facts;
  {
    CHARFORMAT2A cf = {};
    cf.cbSize = sizeof cf;
    ctrl.GetSelectionCharFormat(cf);
    if (cf.yHeight > 0) facts.textSize = static_cast<int>(cf.yHeight / 10);
  }
  facts.lineCount = lineCount;
  facts.moveFollowing = m_bTableMoveFollowing != 0;
  facts.atrSplit = AtrSplit(m_strStmtCommand);
  facts.caretOffset = CaretOffsetInCell(charPos != 0 ? charPos : selStart);
  const std::string_view rtf(text.m_pText, text.m_nTextLen);
  const rp::PassResult r = rp::IsColumnCommand(args.command) ? rp::RewriteColumns(rtf, args, facts, limit)
                                                             : rp::RewriteTable(rtf, args, facts, limit);
  if (r.error != rp::PassError::kNone) {
    untype();
    ctrl.SetSel(selStart, selEnd);
    ReportMemory(m_hWnd, kWorkCode);
    return 1;
  }
  if (!r.status.empty()) SetStatus(viewcore::StatusPane::kIndicator104, CString(r.status.c_str()));
  // Nothing to change: the block stays as it is (the same text a copy of it
  // would give, without two undo steps of no effect).
  if (!r.changed) return 0;

  if (r.rtf.size() + 1 > text.m_nTextCapacity) {
    void* p = fw::Realloc(text.m_pText, r.rtf.size() + kSpareBytes);
    if (!p) {
      untype();
      ReportMemory(m_hWnd, kBufferCode);
      return 1;
    }
    text.m_pText = static_cast<char*>(p);
    text.m_nTextCapacity = static_cast<std::uint32_t>(r.rtf.size() + 1);
  }
  std::memcpy(text.m_pText, r.rtf.data(), r.rtf.size());
  text.m_pText[r.rtf.size()] = '\0';
  text.m_nTextLen = static_cast<std::uint32_t>(r.rtf.size());

  selectBlock();
  ctrl.ReplaceSel("", TRUE);
  text.m_nReadEnd = text.m_nTextLen;
  text.m_nReadPos = 0;
  text.m_nStreamLen = text.m_nTextLen;
  StreamInRtf(m_hWnd, 1);
  return 0;
}
