// The column commands' work on the check list: the shifts after a row
// deletion or insertion, the conversions between checks and a mark column,
// and the status text of the narrowing check.
//
// Entries hold 1-based row numbers (row 1 is the table's first line), as the
// check statement ("&CKL"), "#CK" and the line sort keep them; 0 is an empty
// entry. The functions here take the view's 0-based rows and convert.
// Every entry is read through the list's one reader (Entry, UsedEnd).
#include "csv/csv_colcmd.h"

#include <cstdio>

namespace csv {
namespace {

// The row ends of the working form: LF, CR LF (once) or a lone CR, as the
// table counts its rows. A line break inside a quoted cell is an in-cell
// code there (csv_cellbreaks.h), not a row end.
std::uint32_t NextLineStart(const std::uint8_t* text, std::uint32_t len, std::uint32_t p) {
  while (p < len && text[p] != '\n' && text[p] != '\r') ++p;
  if (p >= len) return len;
  if (text[p] == '\r' && p + 1 < len && text[p + 1] == '\n') ++p;
  return p + 1;
}

bool IsRowEnd(std::uint8_t c) { return c == '\n' || c == '\r'; }

}  // namespace

void ShiftChecksAfterDelete(CheckList* checks, std::uint32_t firstRow, std::uint32_t count) {
  if (checks == nullptr || count == 0) return;
  // 1-based numbers of the deleted rows: firstRow + 1 .. firstRow + count.
  const std::uint64_t lo = static_cast<std::uint64_t>(firstRow) + 1;
  const std::uint64_t hi = static_cast<std::uint64_t>(firstRow) + count;
  const std::uint32_t end = checks->UsedEnd();
  for (std::uint32_t i = 0; i < end; ++i) {
    const std::uint32_t v = checks->Entry(i);
    if (v == 0 || v < lo) continue;
    checks->Set(i, v <= hi ? 0 : static_cast<std::uint32_t>(v - count));
  }
}

void ShiftChecksAfterInsert(CheckList* checks, std::uint32_t newRow) {
  if (checks == nullptr) return;
  const std::uint64_t from = static_cast<std::uint64_t>(newRow) + 1;  // 1-based number the new row takes
  const std::uint32_t end = checks->UsedEnd();
  for (std::uint32_t i = 0; i < end; ++i) {
    const std::uint32_t v = checks->Entry(i);
    if (v != 0 && v >= from && v < 0xFFFFFFFFu) checks->Set(i, v + 1);
  }
}

const char kMarkColumnCommand[] = "&1L+\"X\"=";
const char kMarkColumnOperand[] = "\" \"";

std::uint32_t MarkCheckedRows(Table* table, const CheckList& checks, bool xlsShift, std::uint32_t minRow) {
  if (table == nullptr) return 0;
  std::uint8_t* text = table->m_pTextBuf;
  const std::uint32_t len = text ? table->UsedLength() : 0;
  std::uint32_t written = 0;
  std::uint32_t line = 0, pos = 0;  // where the last walk stopped (line index, its start)
  const std::uint32_t end = checks.UsedEnd();
  for (std::uint32_t i = 0; i < end && len > 0; ++i) {
    const std::uint32_t v = checks.Entry(i);
    if (v == 0 || v < minRow) continue;
    // 0-based line of the row (one further down in the XL-S shift state).
    const std::uint64_t target = static_cast<std::uint64_t>(v) - 1 + (xlsShift ? 1 : 0);
    if (target < line) line = pos = 0;  // the rows do not ascend here: count from the start
    while (line < target && pos < len) {
      pos = NextLineStart(text, len, pos);
      ++line;
    }
    if (line != target || pos >= len) continue;  // past the table
    // The mark column's cell opens with a quote; the byte after it takes
    // the mark unless it ends the cell or the row.
    if (text[pos] != '"' || pos + 1 >= len) continue;
    const std::uint8_t after = text[pos + 1];
    if (IsRowEnd(after) || after == CSV_FIELD_SEP || after == '"') continue;
    text[pos + 1] = '1';
    ++written;
  }
  return written;
}

std::uint32_t WriteMarksFromChecks(Table* table, CheckList* checks, bool xlsShift) {
  if (table == nullptr || checks == nullptr) return 0;
  const std::uint32_t written = MarkCheckedRows(table, *checks, xlsShift, 1);
  for (std::uint32_t i = 0; i < checks->m_nEntryListCount; ++i) checks->Set(i, 0);
  checks->m_nEntryListPos = 0;
  checks->m_nEntryListMode = 0;
  return written;
}

bool ChecksFromMarks(const Table& table, CheckList* checks, bool xlsShift, bool* full) {
  if (full) *full = false;
  if (checks == nullptr) return false;
  const std::int64_t capacity = static_cast<std::int64_t>(table.m_nLastRow) + 100;
  if (capacity <= 0 || capacity > 0x3FFFFFFF) return false;
  if (!checks->Reset(static_cast<std::uint32_t>(capacity))) return false;
  const std::uint8_t* text = table.m_pTextBuf;
  const std::uint32_t len = text ? table.UsedLength() : 0;
  std::uint32_t found = 0;
  std::uint32_t line = 0;
  // The first line (the title) is never tested.
  for (std::uint32_t p = NextLineStart(text, len, 0); p < len && found < checks->m_nEntryListCount;
       p = NextLineStart(text, len, p)) {
    ++line;
    if (len - p >= 3 && text[p] == '"' && text[p + 1] == '1' && text[p + 2] == '"') {
      const std::uint32_t row = line + 1 - (xlsShift ? 1 : 0);  // 1-based row number
      checks->Set(found++, row);
    }
  }
  checks->m_nEntryListPos = found;
  checks->m_nEntryListMode = found > 0 ? 1 : 0;
  if (full) *full = found > 0 && found + 1 >= checks->m_nEntryListCount;
  return true;
}

bool ClearChecks(CheckList* checks, std::int32_t lastRow) {
  if (checks == nullptr) return false;
  const std::int64_t capacity = static_cast<std::int64_t>(lastRow) + 100;
  if (capacity <= 0 || capacity > 0x3FFFFFFF) return false;
  if (!checks->Reset(static_cast<std::uint32_t>(capacity))) return false;
  checks->m_nEntryListPos = 0;
  checks->m_nEntryListMode = 0;
  return true;
}

std::string CheckStatusText(const CheckList& checks) {
  const std::uint32_t used = checks.UsedEnd();
  const std::uint32_t i = used > 0 ? used - 1 : 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, " Check %u lines ( %u)", static_cast<unsigned>(i),
                static_cast<unsigned>(checks.Entry(i)));
  return buf;
}

}  // namespace csv
