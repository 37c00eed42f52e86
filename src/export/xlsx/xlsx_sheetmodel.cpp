#include "export/xlsx/xlsx_sheetmodel.h"

#include <algorithm>
#include <cstring>

#include "csv/csv_index.h"
#include "export/byte_writer.h"
#include "export/xlsx/xlsx_codes.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_text_lines.h"

namespace xlsx {
namespace {

constexpr char kSep = '\x06';
// Rows after the title row that mode 'H' may give a record of their own.
constexpr std::uint32_t kHtmlOwnRecordRows = 9;

using textlines::Begins;
using textlines::IsSettingsLine;
using textlines::Line;
using textlines::LineAt;

// A '^' in [from, to) that is not after '\' and not a trail byte.
bool HasCodeMark(const char* t, std::uint32_t from, std::uint32_t to) {
  std::uint32_t i = from;
  while (i < to) {
    std::size_t k = exportcore::SjisPairLength(t, i, to);
    if (k == 1 && t[i] == '^' && !(i > from && t[i - 1] == '\\')) return true;
    i += static_cast<std::uint32_t>(k);
  }
  return false;
}

// The start of the line before the one at `s` (s when there is none).
std::uint32_t PreviousLine(const char* t, std::uint32_t s) {
  if (s == 0) return 0;
  std::uint32_t p = s - 1;  // the LF (or CR) ending the line before
  if (p > 0 && t[p] == '\n' && t[p - 1] == '\r') --p;
  while (p > 0 && t[p - 1] != '\n' && t[p - 1] != '\r') --p;
  return p;
}

}  // namespace

XlsxFormatRecord& XlsxRowRecord(XlsxRun& run, std::uint32_t row) {
  auto& rows = run.XlsxRowFormatRows;
  auto it = std::lower_bound(rows.begin(), rows.end(), row);
  std::size_t at = static_cast<std::size_t>(it - rows.begin());
  if (it != rows.end() && *it == row) return run.XlsxRowFormats[at];
  rows.insert(it, row);
  run.XlsxRowFormats.insert(run.XlsxRowFormats.begin() + static_cast<std::ptrdiff_t>(at), XlsxFormatRecord());
  return run.XlsxRowFormats[at];
}

int XlsxMeasureCell(const char* cell, std::size_t len, char format, int fontMode) {
  int bytes = 2;
  bool counting = false;
  int d = 0, counted = 0;
  for (std::size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(cell[i]);
    if (c > 0x20) {
      ++bytes;
      counting = true;
    } else if (c == 0x20 && counting) {
      ++bytes;
    }
    if (c <= 0x20) continue;
    ++counted;
    if (c >= '0' && c <= '9') {
      if (d >= 0) ++d;
    } else if (c == '-' && counted <= 4) {
      if (d >= 0) ++d;
    } else if (c == '.' || c == '\\' || (c >= ':' && c <= '@')) {
      d = -d;
    } else if (c == '/' || c > '@') {
      d = -1;
    }
  }
  if (d < -1) d = -d;
  int w;
  const unsigned char f = static_cast<unsigned char>(format);
  const char base = static_cast<char>(f & 0x7F);
  if (base == 'i' || base == 'm' || base == 'd')
    w = d + 3;
  else if (base >= '1' && base <= '9' && d > 0)
    w = d + (base - '0') + 4;
  else
    w = bytes;
  if ((f & 0x80) && d > 0) w += (d - 1) / 3;
  if (w > 9 && d < 5) w += 1;
  if (fontMode == 1 || fontMode == 2)
    w = w + w / 4 + 2;
  else if (w > 11)
    w = w + 4 - w / 4;
  else
    w = w + 2 - w / 4;
  return w;
}

XlsxSheetBounds XlsxSheetBoundsOf(const csv::TableFields& t, const char* text, std::uint32_t len,
                                  std::uint32_t number) {
  XlsxSheetBounds b;
  const std::uint32_t blocks = t.BlockCount();
  if (number < 1 || number > blocks || number >= csv::MAX_CSV_BLOCKS) return b;
  b.blockStart = std::min(t.m_aSecScanPos[number], len);
  b.titleRow = t.m_aSecLine[number];
  b.rowLimit = t.m_aSecInfoA[number] + 1;
  const bool more = number + 1 <= blocks && number + 1 < csv::MAX_CSV_BLOCKS;
  b.endRow = more ? t.m_aSecRow[number + 1] : static_cast<std::uint32_t>(t.m_nLastRow + 2);
  b.endOffset = more ? std::min(t.m_aSecScanPos[number + 1], len) : len;
  // The column count is that of the block's title line (its m_aSecOffset
  // entry), not of a settings or head line the block's scan starts at: a
  // settings line's one field would leave every column past the first out
  // of the breaks, the dimension and the row codes' field.
  std::uint32_t countFrom = b.blockStart;
  const std::uint32_t titleLine = t.m_aSecOffset[number];
  if (titleLine > b.blockStart && titleLine < b.endOffset) countFrom = titleLine;
  b.columnCount = csv::CountRowFields(reinterpret_cast<const std::uint8_t*>(text), len, countFrom);
  return b;
}

XlsxSheetNotes XlsxReadSheetModel(const csv::TableFields& t, const char* text, std::uint32_t len,
                                  std::uint32_t number, XlsxRun& run) {
  XlsxSheetNotes notes;
  run.ClearSheet();
  XlsxSheetModel& m = run.sheet;
  m.number = number;
  m.bounds = XlsxSheetBoundsOf(t, text, len, number);
  XlsxSheetBounds& b = m.bounds;
  if (b.columnCount == 0) return notes;
  std::uint32_t firstRow = (number < csv::MAX_CSV_BLOCKS) ? t.m_aSecRow[number] : 1;
  m.readStart = b.blockStart;
  if (number == 1 && run.sheetOneStart > 0) {
    m.readStart = std::min(run.sheetOneStart, len);
    firstRow = run.sheetOneFirstRow;
  }
  m.firstRowNumber = firstRow;

  // Step 1: a "!^" line just before the block moves its rows up by one.
  if (b.blockStart > 0) {
    Line before = LineAt(text, len, PreviousLine(text, b.blockStart));
    if (Begins(text, before, "!^") && b.endRow > 0 && b.titleRow > 0 && b.rowLimit > 0) {
      --b.endRow;
      --b.titleRow;
      --b.rowLimit;
    }
  }
  // Step 2: the workbook's row limit.
  if (b.endRow > kMaxRows) {
    notes.overLimit = true;
    notes.overLimitRow = b.endRow;
    m.overLimitShown = true;
    b.endRow = kMaxRows;
  }

  // Column widths start at the default width.
  std::fill(run.XlsxColumnWidths.begin() + 1, run.XlsxColumnWidths.end(), m.settings.defaultColumnWidth);

  // Step 3: the walk over the block's lines.
  std::uint32_t row = firstRow;
  std::uint32_t dataEnd = 0;
  std::uint32_t lastDataRow = 0;
  std::uint32_t firstLineEnd = 0;
  for (std::uint32_t s = m.readStart; s < len && s < b.endOffset && text[s] != '\0' && row < b.endRow;) {
    const Line l = LineAt(text, len, s);
    if (s == m.readStart) firstLineEnd = l.end;
    if (Begins(text, l, "!^")) {
      if (!m.formatRow) m.formatRow = s + 2;
      s = l.next > s ? l.next : len;
      continue;
    }
    if (Begins(text, l, "!$") || Begins(text, l, "!%")) {
      const bool chart = text[s + 1] == '$';
      if (chart && !m.chartDefinition) m.chartDefinition = s;
      if (!chart && !m.formatSection) m.formatSection = s;
      if (!dataEnd || row < dataEnd) dataEnd = row;
    } else if ((Begins(text, l, "!#") || Begins(text, l, "!*")) && row > firstRow + 2) {
      break;
    } else if (IsSettingsLine(text, l)) {
      if (!m.settingsRow) {  // the offset of a first line is 0: the row tells
        m.settingsLine = s;
        m.settingsRow = row;
      }
    } else if (l.end - l.start == 2 && Begins(text, l, "$$")) {
      if (m.settingsRow && !dataEnd) dataEnd = row;
    } else if (Begins(text, l, "~") || Begins(text, l, "!")) {
      // comment lines and other special lines are no data rows
    } else if (!dataEnd) {
      std::uint32_t fields = 1, lastFilled = 0, col = 1;
      for (std::uint32_t i = l.start; i < l.end; ++i) {
        if (text[i] == kSep) {
          ++fields;
          ++col;
        } else {
          lastFilled = col;
        }
      }
      if (row < firstRow + 10) m.widestFirstRows = std::max(m.widestFirstRows, fields);
      m.lastUsedColumn = std::max(m.lastUsedColumn, lastFilled);
      lastDataRow = row;
    }
    ++row;
    s = l.next > s ? l.next : len;
  }
  m.dataEndRow = dataEnd;
  if (dataEnd && dataEnd < b.endRow) b.endRow = dataEnd;
  // The column count's one more field for a "!^" rule, judged on the line
  // the count was taken from (the title line when the scan starts at a
  // settings or head line).
  if (m.formatRow) {
    std::uint32_t from = m.readStart;
    const std::uint32_t titleLine = number < csv::MAX_CSV_BLOCKS ? t.m_aSecOffset[number] : 0;
    if (titleLine > b.blockStart && titleLine < b.endOffset && titleLine < len) from = titleLine;
    const std::uint32_t lineEnd = from == m.readStart ? firstLineEnd : LineAt(text, len, from).end;
    if (lineEnd > from) {
      const char* f = text + from;
      const char* fieldEnd = static_cast<const char*>(std::memchr(f, kSep, lineEnd - from));
      const std::uint32_t firstField = fieldEnd ? static_cast<std::uint32_t>(fieldEnd - f) : lineEnd - from;
      if (HasCodeMark(text, from, from + firstField) && text[lineEnd - 1] != kSep) ++b.columnCount;
    }
  }

  // Step 4: a sheet without a name takes its first data line.
  if (number < static_cast<std::uint32_t>(kSheetSlots) && run.XlsxSheetNames[number].empty() && !m.settingsRow &&
      b.titleRow <= 1 && m.readStart < len) {
    unsigned char c = static_cast<unsigned char>(text[m.readStart]);
    if (c != '!' && c != '~' && !(m.readStart + 1 < len && c == 'X' && text[m.readStart + 1] == 'L')) {
      const Line l = LineAt(text, len, m.readStart);
      run.XlsxSheetNames[number] = XlsxFitSheetName(XlsxHeadNameText(text + l.start, l.end - l.start));
    }
  }

  // The codes: settings lines, the format and width rows, row and title codes.
  XlsxReadSheetCodes(t, text, len, run);

  // The records of a plain table. The title row without codes of its own is
  // centred between borders.
  const std::uint32_t title = b.titleRow;
  bool titleCodes = m.formatRow != 0;
  if (m.settingsRow) {
    const Line l = LineAt(text, len, m.settingsLine);
    titleCodes = titleCodes || HasCodeMark(text, l.start, l.end);
  }
  if (title > 0 && b.blockStart > 0) {
    // The block's head line, the line just before its title row.
    const std::uint32_t titleOffset = number < csv::MAX_CSV_BLOCKS ? std::min(t.m_aSecOffset[number], len) : 0;
    if (titleOffset > 0) {
      const Line head = LineAt(text, len, PreviousLine(text, titleOffset));
      if (Begins(text, head, "!#") || Begins(text, head, "!*")) titleCodes = titleCodes || HasCodeMark(text, head.start, head.end);
    }
  }
  if (title > 0 && title < b.endRow && !titleCodes) {
    XlsxFormatRecord& r = XlsxRowRecord(run, title);
    r.c[10] = '2';
    r.c[11] = '2';
    r.c[0] = 'p';
    r.c[1] = 's';
  }

  // The table end and the comment row after it; the measured widths.
  const bool measure = m.settings.sheetLetter == 'A' || m.settings.sheetLetter == 's';
  bool ended = false;
  row = firstRow;
  for (std::uint32_t s = m.readStart; s < len && s < b.endOffset && text[s] != '\0' && row < b.endRow &&
                                      run.XlsxRowFormats.size() < static_cast<std::size_t>(kFormatRecords);) {
    const Line l = LineAt(text, len, s);
    if (Begins(text, l, "!^")) {
      s = l.next > s ? l.next : len;
      continue;
    }
    const bool special = Begins(text, l, "!") || Begins(text, l, "~") || IsSettingsLine(text, l);
    // Mode 'H': the nine rows after the title row whose first field is empty
    // get a row record each, so that they start class groups of their own.
    if (run.htmlMode && !special && row > title && row - title <= kHtmlOwnRecordRows &&
        (l.end == l.start || text[l.start] == kSep))
      XlsxRowRecord(run, row);
    if (!special && row == title && !m.formatRow) {
      // The title row serves as the format row: its fields' bytes before a
      // '^', plus 2, widen their columns.
      std::uint32_t col = 1, count = 0;
      bool codes = false;
      for (std::uint32_t i = l.start; i <= l.end && col <= static_cast<std::uint32_t>(kFormatRecords); ++i) {
        if (i == l.end || text[i] == kSep) {
          const std::int32_t w = static_cast<std::int32_t>(count) + 2;
          if (w > run.XlsxColumnWidths[col]) run.XlsxColumnWidths[col] = w;
          ++col;
          count = 0;
          codes = false;
        } else if (text[i] == '^' && !(i > l.start && text[i - 1] == '\\')) {
          codes = true;
        } else if (!codes) {
          ++count;
        }
      }
    }
    if (!special && row > title && row < b.rowLimit && measure) {
      // Measured widths of the data cells.
      std::uint32_t col = 1, cellStart = l.start;
      for (std::uint32_t i = l.start; i <= l.end && col <= static_cast<std::uint32_t>(kFormatRecords); ++i) {
        if (i == l.end || text[i] == kSep) {
          const XlsxFormatRecord& cr = run.XlsxColumnFormats[col];
          char format = cr.c[1] == '_' ? m.settings.numberFormat : cr.c[1];
          int mode = ((cr.c[7] & 0x70) ? (cr.c[7] & 0x70) : (m.settings.fontFlags & 0x70)) >> 4;
          int w = XlsxMeasureCell(text + cellStart, i - cellStart, format, mode);
          if (w > run.XlsxColumnWidths[col]) run.XlsxColumnWidths[col] = w;
          ++col;
          cellStart = i + 1;
        }
      }
    }
    if (!special && row >= title && !ended) {
      // Is this the table's last row?
      const Line after = LineAt(text, len, l.next);
      const bool textEnds = l.next >= len || text[l.next] == '\0' || l.next >= b.endOffset;
      const bool ends = textEnds || Begins(text, after, "!%") || Begins(text, after, "!$") ||
                        Begins(text, after, "!#") || Begins(text, after, "!*") || Begins(text, after, "$$") ||
                        ((Begins(text, after, "!") || Begins(text, after, "~")) && row + 1 >= b.rowLimit);
      if (ends && row > title) {
        ended = true;
        // The bottom border goes to the row before the row limit, or to the
        // last data row when the limit lies past the text.
        const std::uint32_t mark = std::min(b.rowLimit > 0 ? b.rowLimit - 1 : row, row);
        XlsxFormatRecord& r = XlsxRowRecord(run, mark);
        if (r.c[11] != '0' && r.c[11] != '1' && r.c[11] != '2') r.c[11] = '2';
        if (Begins(text, after, "~") && !textEnds && row + 1 < b.endRow &&
            run.XlsxRowFormats.size() < static_cast<std::size_t>(kFormatRecords)) {
          const bool had = std::binary_search(run.XlsxRowFormatRows.begin(), run.XlsxRowFormatRows.end(), row + 1);
          XlsxFormatRecord& c = XlsxRowRecord(run, row + 1);
          if (had) {
            if (c.c[5] == '_') c.c[5] = 'D';
            if (c.c[6] == '_') c.c[9] = static_cast<char>(c.c[9] | 0x01);
          } else {
            c.c[5] = 'D';
            c.c[6] = 'c';
            c.c[9] = 0x01;
          }
        }
      }
    }
    ++row;
    s = l.next > s ? l.next : len;
  }
  (void)lastDataRow;
  // At most 1000 row records are collected: the table end's record may
  // have made one more.
  if (run.XlsxRowFormats.size() > static_cast<std::size_t>(kFormatRecords)) {
    run.XlsxRowFormats.resize(kFormatRecords);
    run.XlsxRowFormatRows.resize(kFormatRecords);
  }

  // The width codes at the end of the collection.
  // Explicit widths (n + 10002) read n + 2 from here on, on every sheet:
  // a "w" code of the first line serving as the format row would otherwise
  // reach the worksheet as 10000 and more, which the wide-font rule then
  // widens past the modulus and the drawing reads as a huge column.
  for (auto& w : run.XlsxColumnWidths)
    if (w >= 10000) w -= 10000;
  if (m.settings.sheetLetter == 's') m.settings.sheetLetter = 'S';
  return notes;
}

}  // namespace xlsx
