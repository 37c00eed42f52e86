#include "export/html/html_sheet.h"

#include <algorithm>

namespace htmlexport {
namespace {

bool LineBegins(const char* t, std::uint32_t start, std::uint32_t end, char a, char b) {
  return end - start >= 2 && t[start] == a && t[start + 1] == b;
}

}  // namespace

HtmlSheetFrame HtmlFrameOf(const xlsx::XlsxRun& run) {
  const xlsx::XlsxSheetModel& m = run.sheet;
  HtmlSheetFrame f;
  f.number = m.number;
  std::uint32_t columns = m.bounds.columnCount;
  if (m.formatRow != 0 && columns > 1) --columns;
  f.lastColumn = std::clamp<std::uint32_t>(columns, 1, static_cast<std::uint32_t>(xlsx::kMaxColumns));
  f.title = m.bounds.titleRow;
  f.firstTableRow = m.firstRowNumber + 1;
  f.tableEnd = std::min(m.bounds.rowLimit, m.bounds.endRow);
  f.skipRow = m.settings.sheetLetter == 'S' && m.formatRow == 0;
  return f;
}

HtmlSheetLines::HtmlSheetLines(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text,
                               std::uint32_t len)
    : m_text(text),
      m_end(std::min(std::max(run.sheet.bounds.endOffset, run.sheet.readStart), len)),
      m_pos(std::min(run.sheet.readStart, len)),
      m_row(run.sheet.firstRowNumber),
      m_title(frame.title),
      m_skipRow(frame.skipRow) {
  // A sheet whose block offsets say nothing (no index) reads to the text end.
  if (m_end <= m_pos) m_end = len;
}

bool HtmlSheetLines::Next(HtmlSheetLine* line) {
  if (m_pos >= m_end || m_text[m_pos] == '\0') return false;
  HtmlSheetLine l;
  l.start = m_pos;
  std::uint32_t p = m_pos;
  while (p < m_end && m_text[p] != '\r' && m_text[p] != '\n' && m_text[p] != '\0') ++p;
  l.end = p;
  if (p < m_end && m_text[p] == '\r') ++p;
  if (p < m_end && m_text[p] == '\n') ++p;
  l.next = p;
  m_pos = p;
  l.formatRow = LineBegins(m_text, l.start, l.end, '!', '^');
  l.row = m_row;
  if (l.formatRow) {
    l.gridRow = ++m_gridRow;
  } else {
    l.headLine = LineBegins(m_text, l.start, l.end, '!', '*');
    l.widthRow = m_skipRow && m_row == m_title + 1;
    if (!l.headLine && !l.widthRow) l.gridRow = ++m_gridRow;
    ++m_row;
  }
  *line = l;
  return true;
}

std::vector<std::uint32_t> HtmlGridRowsToRows(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text,
                                              std::uint32_t len, std::uint64_t gridRows) {
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(gridRows) + 1, 0);
  HtmlSheetLines lines(run, frame, text, len);
  HtmlSheetLine l;
  while (lines.Next(&l) && l.gridRow <= gridRows)
    if (l.gridRow > 0 && !l.formatRow) rows[l.gridRow] = l.row;
  return rows;
}

const xlsx::XlsxFormatRecord& HtmlColumnRecord(const xlsx::XlsxRun& run, std::uint32_t c) {
  static const xlsx::XlsxFormatRecord kBlank;
  return c >= 1 && c < run.XlsxColumnFormats.size() ? run.XlsxColumnFormats[c] : kBlank;
}

}  // namespace htmlexport
