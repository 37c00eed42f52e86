// Blank-aligned text of a table.
#include "csv/csv_fixedwidth.h"

#include "csv/csv_out.h"
#include "csv/csv_widths.h"

namespace csv {
namespace {

bool IsControl(std::uint8_t c) { return c < 0x20; }

}  // namespace

int CsvToFixedWidthText(Table& table, std::uint32_t* positions, int slots, std::uint32_t titleLine, OpHost* host) {
  if (slots < 3) return kOpOk;
  if (positions[0] < table.m_nFieldCount) {
    ComputeColumnWidths(table, titleLine, positions, slots, 1, -1, 1, 1, kWidthTrimBlanks);
  }
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  const std::uint32_t described = positions[0];
  OutWriter out;
  if (!out.Reserve(static_cast<std::uint64_t>(n) + 100)) return ReportOpFailure(host, kFixedWidthOutput);
  std::uint64_t rowStart = 0;  // output offset of the current row
  std::uint32_t column = 1;    // 1-based column of the field being written
  std::uint8_t prev = 0x0A;    // the input byte before (a row start counts as a control byte)
  std::uint8_t prev2 = 0x0A;
  std::uint32_t fieldStart = 0;  // output offset of the field
  for (std::uint32_t i = 0; i <= n; ++i) {
    const std::uint8_t c = i < n ? t[i] : 0;
    const bool atEnd = i == n;
    if (c == CSV_FIELD_SEP || c == '\r' || c == '\n' || atEnd) {
      // A closing quote, or a quote before a final '^', becomes a blank.
      std::uint8_t* o = const_cast<std::uint8_t*>(out.Data());
      const std::uint32_t len = out.Length();
      if (len > fieldStart && prev == '"' && !IsControl(prev2)) o[len - 1] = ' ';
      if (len >= fieldStart + 2 && prev == '^' && prev2 == '"') o[len - 2] = ' ';
      if (c == CSV_FIELD_SEP) {
        ++column;
        std::uint64_t at = out.Length() - rowStart;
        std::uint64_t want = at + 1;
        if (column <= described + 1 && static_cast<int>(column) < slots) want = positions[column];
        // A field past its column's end still gets one blank after it.
        out.PutRepeat(' ', want > at ? want - at : (out.LastByte() == ' ' ? 0 : 1));
        fieldStart = out.Length();
      } else if (!atEnd) {
        out.PutByte(c);
        if (c == '\n' || !(i + 1 < n && t[i + 1] == '\n')) {
          rowStart = out.Length();
          column = 1;
        }
        fieldStart = out.Length();
      }
      if (out.Failed()) return ReportOpFailure(host, kFixedWidthOutput);
      prev2 = prev;
      prev = c;
      if (atEnd) break;
      continue;
    }
    // An opening quote (after a control byte or at a row start) is a blank.
    out.PutByte(c == '"' && IsControl(prev) ? ' ' : c);
    prev2 = prev;
    prev = c;
  }
  if (out.Failed()) return ReportOpFailure(host, kFixedWidthOutput);
  if (!out.InstallInto(table, 1000)) return ReportOpFailure(host, kFixedWidthReplace);
  table.Rescan();
  return kOpOk;
}

}  // namespace csv
