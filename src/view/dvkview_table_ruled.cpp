// The ruled display of a CSV view (m_nEditMode 3): the table drawn through
// TableCommand('D'), and the cell arithmetic of the text-view services over
// its paragraphs. Rows and control lines differ here (rule and mark
// paragraphs, the lead-in column, the glyphs in front of each cell); the
// renderer's paragraph-to-row map and the paragraph kinds read from its rich
// text relate them (view/viewload/ruledview.h).
#include <algorithm>
#include <cstring>
#include <string>

#include "core/docsvc/filekind.h"
#include "host/doc_host.h"
#include "view/dvkview.h"
#include "view/viewcore/linetext.h"
#include "view/viewcore/viewsize.h"
#include "view/viewload/sortpage.h"

namespace {

constexpr int kTextFormat = SF_TEXT | SF_USECODEPAGE | (932 << 16);
constexpr std::uint32_t kBufferMargin = 100000;  // spare bytes after a rebuilt table
// Shown when the ruled display no longer matches its rows.
constexpr const char* kRuledMismatch =
    "罫線表示の行が表の行と合わなくなっています（行の追加・削除）。\n表には戻せません。表は元のままです。";

// Characters of a paragraph (a double-byte character counts once).
long CharsOf(const std::string& s) { return viewcore::CharIndexOfByte(s.data(), s.size(), s.size()); }

}  // namespace

bool CDvkView::ShowsRuledTable() const {
  return m_nFileKind == docsvc::kKindCsv && m_nSourceView == 0 && m_nEditMode == 3 && m_table.m_pTextBuf;
}

bool CDvkView::ShowsRuledDisplay() const {
  return m_nFileKind == docsvc::kKindCsv && m_nSourceView == 0 && m_table.m_pTextBuf && !m_ruledLayout.Empty();
}

int CDvkView::RuledRowArgument() const {
  const app::DocHost* doc = GetDocument();
  if (!doc) return 0;
  viewcore::SizeIndexes sizes{doc->SettingsFields().m_nTxtsiz, doc->SettingsFields().m_nTblsiz};
  // Twips are twentieths of a point: tenths are half of them.
  return viewcore::DisplayFontHeightTwips(sizes, docsvc::kKindCsv, 0) / 2;
}

void CDvkView::ClearRuledLayout() {
  m_ruledLayout = viewload::RuledLayout();
  m_aRuledShown.clear();
}

void CDvkView::ShowRuledTable() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  ClearRuledLayout();
  // The page window of a long table: "bmpfile" rows (the ruled display
  // keeps its own copy of the page size) from m_nPageTopRow.
  const std::int64_t rows = static_cast<std::int64_t>(m_table.m_nLastRow < 0 ? 0 : m_table.m_nLastRow) + 1;
  const std::uint32_t size = viewload::PageSizeFor(3, doc->SettingsFields().m_nBmpfile, &m_nRuledPageSize);
  int first = 0, last = 0;
  if (size > 0 && rows > static_cast<std::int64_t>(size)) {
    if (m_nPageTopRow >= rows) m_nPageTopRow = 0;
    first = static_cast<int>(m_nPageTopRow);
    last = static_cast<int>(std::min<std::int64_t>(rows - 1, static_cast<std::int64_t>(m_nPageTopRow) + size - 1));
    // Row 0 to the end would read as "the whole table": name the last row.
  } else {
    m_nPageTopRow = 0;
  }
  m_bRuledDrawing = true;
  const int drawn = TableCommand('D', RuledRowArgument(), 0, first, last, 0, 0, 1);
  m_bRuledDrawing = false;
  if (drawn != 0) return;
  // The stream-in leaves the caret after the table: the display starts at
  // its top (the commands that redisplay put the caret back themselves).
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  ctrl.SetSel(0, 0);
  ctrl.LineScroll(-ctrl.GetFirstVisibleLine());
  // The paragraphs as shown, and what each of them is.
  const app::DocTextFields& t = doc->TextFields();
  std::vector<viewload::RuledPara> kinds =
      viewload::ClassifyRuledParagraphs(t.m_pText, t.m_pText ? std::min(t.m_nTextLen, t.m_nTextCapacity) : 0);
  m_aRuledShown = viewload::SplitParagraphs(StreamOut(kTextFormat));
  // The control keeps or folds a final paragraph mark: one more or less.
  // Anything else means it read the paragraphs otherwise, and the cell
  // arithmetic falls back to the plain lines.
  const std::size_t have = m_aRuledShown.size();
  if (have != kinds.size() && have + 1 != kinds.size() && have != kinds.size() + 1) {
    ClearRuledLayout();
    return;
  }
  m_ruledLayout = viewload::RuledLayout::Make(std::move(kinds), m_pParaRowMap, m_pParaRowMap ? m_nParaRowMapSize : 0);
  GetRichEditCtrl().SetModify(FALSE);
  // The other panes of a split take the ruled display with its layout.
  if (m_nSplitKind != 0) SyncPanes(0);
}

bool CDvkView::RuledRowAt(long pos, std::uint32_t* row, std::string* text, long* paraStart, int* paraOut) {
  if (!ShowsRuledDisplay()) return false;
  const std::vector<std::string> paras = viewload::SplitParagraphs(StreamOut(kTextFormat));
  long start = 0;
  int para = 0;
  for (; para < static_cast<int>(paras.size()); ++para) {
    const long chars = CharsOf(paras[static_cast<std::size_t>(para)]);
    if (pos <= start + chars) break;
    start += chars + 1;
  }
  if (para >= static_cast<int>(paras.size())) {
    if (paras.empty()) return false;
    para = static_cast<int>(paras.size()) - 1;
    start -= CharsOf(paras.back()) + 1;
  }
  if (row) *row = m_ruledLayout.RowOfParagraph(para);
  if (text) *text = paras[static_cast<std::size_t>(para)];
  if (paraStart) *paraStart = start;
  if (paraOut) *paraOut = para;
  return true;
}

int CDvkView::RuledCellCharIndex(int row, int column) {
  if (!ShowsRuledDisplay() || row < 0) return -1;
  int para = m_ruledLayout.ParagraphOfRow(static_cast<std::uint32_t>(row));
  if (para < 0) {
    // A row the display does not show as a row (a directive or format
    // line, a row of another page): the first shown row after it.
    for (std::size_t p = 0; p < m_ruledLayout.kinds.size() && para < 0; ++p)
      if (m_ruledLayout.kinds[p] == viewload::RuledPara::kRow && m_ruledLayout.rows[p] != viewload::kNoRow &&
          m_ruledLayout.rows[p] >= static_cast<std::uint32_t>(row))
        para = static_cast<int>(p);
    if (para < 0) para = m_ruledLayout.FirstRowParagraph();
    if (para < 0) return -1;
  }
  const std::vector<std::string> paras = viewload::SplitParagraphs(StreamOut(kTextFormat));
  if (para >= static_cast<int>(paras.size())) return -1;
  long start = 0;
  for (int p = 0; p < para; ++p) start += CharsOf(paras[static_cast<std::size_t>(p)]) + 1;
  const std::string& text = paras[static_cast<std::size_t>(para)];
  const long at = viewload::FieldStart(text, column < 0 ? 0 : column);
  if (at < 0) return static_cast<int>(start);
  return static_cast<int>(start + viewcore::CharIndexOfByte(text.data(), text.size(), static_cast<std::size_t>(at)));
}

int CDvkView::RuledCaretPosition() {
  long s = 0, e = 0;
  GetRichEditCtrl().GetSel(s, e);
  std::uint32_t row = viewload::kNoRow;
  if (!RuledRowAt(s, &row, nullptr, nullptr, nullptr) || row == viewload::kNoRow) return 0;
  return row >= m_nPageTopRow ? static_cast<int>(row - m_nPageTopRow) : 0;
}

int CDvkView::RebuildFromRuledDisplay() {
  const std::vector<std::string> now = viewload::SplitParagraphs(StreamOut(kTextFormat));
  std::string rebuilt;
  viewload::RuledRebuildError err = viewload::RuledRebuildError::kNone;
  if (!viewload::RebuildFromRuledDisplay(m_table.m_pTextBuf, m_table.UsedLength(), m_ruledLayout, m_aRuledShown,
                                         now, rebuilt, &err)) {
    ReportMessage(2, CString(kRuledMismatch));
    return -2;
  }
  if (!m_table.Assign(rebuilt.data(), rebuilt.size(), kBufferMargin)) {
    ReportMessage(1, CString());
    return -1;
  }
  // What is shown now is what the table holds.
  m_aRuledShown = now;
  return 0;
}
