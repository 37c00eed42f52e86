// Whether the sort buttons sort a column as numbers or as text: field c of
// up to 40 rows after the title line, each counted as a text row when it
// holds a text sign and at least 4 significant bytes.
#include <cstddef>
#include <cstdint>

#include "csv/csv_fastscan.h"
#include "csv/csv_linesort.h"
#include "csv/csv_sortkey.h"

namespace csv {
namespace {

constexpr int kRowsLooked = 40;
constexpr int kTextRowsAllowed = 2;
constexpr int kTextRowLength = 4;

// Blanks, control bytes and double quotes before a field's first
// significant byte.
bool Insignificant(std::uint8_t c) { return c <= 0x20 || c == 0x7F || c == '"'; }

bool TextSign(std::uint8_t c) {
  if (c >= 0x3A) return c != 0x5C && c != '@';
  switch (c) {
    case '/': case '!': case '#': case '%': case '&': case '\'': case '(': case ')': case '*':
      return true;
    default:
      return false;
  }
}

bool IsTextRow(const std::uint8_t* b, const std::uint8_t* e) {
  const std::uint8_t* p = b;
  while (p < e && Insignificant(*p)) ++p;
  const std::size_t significant = static_cast<std::size_t>(e - p);
  bool sign = false;
  for (const std::uint8_t* q = p; q < e && !sign; ++q) sign = TextSign(*q) || (*q == '-' && q > p);
  return sign && significant >= kTextRowLength;
}

}  // namespace

bool ColumnLooksNumeric(const TableFields& table, int column0) {
  const std::uint8_t* text = table.m_pTextBuf;
  std::size_t len = text == nullptr || table.m_nWorkSize == 0 ? 0 : table.m_nTextLen;
  if (len >= table.m_nWorkSize && len > 0) len = table.m_nWorkSize - 1;
  if (column0 < 0) column0 = 0;
  std::size_t p = 0;
  // Past the lines up to and including the title line.
  for (std::uint32_t line = 0; line < table.m_nCurLine && p < len; ++line) {
    const std::size_t e = FindFirstOf(text, p, len, '\r', '\n', 0, '\r');
    if (e >= len || text[e] == 0) return true;
    p = e + (text[e] == '\r' && e + 1 < len && text[e + 1] == '\n' ? 2 : 1);
  }
  int textRows = 0;
  for (int looked = 0; looked < kRowsLooked && p < len; ++looked) {
    const std::size_t e = FindFirstOf(text, p, len, '\r', '\n', 0, '\r');
    const FieldSpan f = FindField(text + p, text + e, column0);
    if (IsTextRow(f.begin, f.end)) ++textRows;
    if (e >= len || text[e] == 0) break;
    p = e + (text[e] == '\r' && e + 1 < len && text[e + 1] == '\n' ? 2 : 1);
  }
  return textRows <= kTextRowsAllowed;
}

bool SortKeysNumeric(const TableFields& table, int column0, int shiftHeld, bool ctrlHeld) {
  bool numeric = ColumnLooksNumeric(table, column0);
  if (shiftHeld == 1) numeric = true;
  if (ctrlHeld) numeric = false;
  return numeric;
}

}  // namespace csv
