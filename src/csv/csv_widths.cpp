// Column widths of the fixed-width table display.
#include "csv/csv_widths.h"

#include "csv/csv_index.h"
#include "fw/alloc.h"

namespace csv {
namespace {

// Where the walk stands relative to the current block's title row.
enum WalkState { kBeforeTitle = 1, kAtTitle = 2, kMeasuring = 3, kPastComment = 4 };

bool IsBlank(std::uint8_t c) { return c == ' ' || c == '\t'; }
bool EndsField(std::uint8_t c) { return c == CSV_FIELD_SEP || c == 0 || c == '\r' || c == '\n'; }

// Start of the line after the one at i: CR LF, a lone CR or a lone LF end a
// line, as in the scanner. n when there is none.
std::uint32_t NextLine(const std::uint8_t* t, std::uint32_t n, std::uint32_t i) {
  while (i < n) {
    const std::uint8_t c = t[i++];
    if (c == 0) return n;
    if (c == '\n') return i;
    if (c == '\r') {
      if (i < n && t[i] == '\n') ++i;
      return i;
    }
  }
  return n;
}

// Adds the fields of the line at `off` to the widths of firstCol..lastCol.
void MeasureLine(const std::uint8_t* t, std::uint32_t n, std::uint32_t off, int firstCol, int lastCol, bool trim,
                 std::uint32_t* widths) {
  std::uint32_t p = off;
  for (int col = 1; col < firstCol; ++col) {
    while (p < n && !EndsField(t[p])) ++p;
    if (p >= n || t[p] != CSV_FIELD_SEP) return;
    ++p;
  }
  for (int col = firstCol; col <= lastCol; ++col) {
    std::uint32_t s = p, e = p;
    while (e < n && !EndsField(t[e])) ++e;
    const std::uint32_t end = e;
    while (s < e && (t[s] == '"' || (trim && IsBlank(t[s])))) ++s;
    while (e > s && (t[e - 1] == '"' || (trim && IsBlank(t[e - 1])))) --e;
    if (e - s > widths[col]) widths[col] = e - s;
    if (end >= n || t[end] != CSV_FIELD_SEP) return;
    p = end + 1;
  }
}

}  // namespace

std::uint32_t ColumnWidthAt(const std::uint32_t* positions, int slots, int col) {
  if (positions == nullptr || slots < 3 || col < 1) return 0;
  const std::uint32_t count = positions[0];
  if (col > static_cast<int>(count) || col + 1 >= slots) return 0;
  const std::uint32_t start = positions[col], next = positions[col + 1];
  return next >= start + kColumnGap ? next - start - kColumnGap : 0;
}

int ComputeColumnWidths(const TableFields& v, std::uint32_t titleLine, std::uint32_t* positions, int slots,
                        int firstCol, int lastCol, int firstRow, int lastRow, int mode) {
  if (positions == nullptr || slots < 4) return 0;
  std::uint32_t columns = v.m_nFieldCount > positions[0] ? v.m_nFieldCount : positions[0];
  if (columns > static_cast<std::uint32_t>(slots - 2)) columns = static_cast<std::uint32_t>(slots - 2);
  if (columns < 2) return 0;
  const int last = static_cast<int>(columns);

  if (firstCol == -1) firstCol = lastCol;
  if (lastCol < 1 || lastCol > last) lastCol = last;
  if (firstCol < 1) firstCol = 1;
  if (firstRow == lastRow || lastRow < 1) {
    if (firstRow == lastRow) firstRow = 1;
    lastRow = v.m_nLastRow + 1 > 0 ? v.m_nLastRow + 1 : 0;
  }
  if (firstRow < 1) firstRow = 1;

  // The widths of the columns measured (one per column of the table).
  auto* widths = static_cast<std::uint32_t*>(fw::AllocArray(columns + 1u, sizeof(std::uint32_t)));
  if (widths == nullptr) return 0;
  for (int c = 1; c <= last; ++c) {
    widths[c] = (c >= firstCol && c <= lastCol) ? 0 : ColumnWidthAt(positions, slots, c);
  }

  const std::uint8_t* t = v.m_pTextBuf;
  std::uint32_t n = 0;
  if (t != nullptr && v.m_nWorkSize > 0) n = v.m_nTextLen < v.m_nWorkSize ? v.m_nTextLen : v.m_nWorkSize - 1;
  std::int64_t title = titleLine > 0 ? titleLine : 1;
  int state = kBeforeTitle;
  const bool trim = mode >= kWidthTrimBlanks;
  std::uint32_t off = 0;
  for (std::int64_t line = 1; firstCol <= lastCol && off < n && t[off] != 0 && line <= lastRow; ++line) {
    const std::uint32_t next = NextLine(t, n, off);
    const std::uint8_t a = t[off], b = off + 1 < n ? t[off + 1] : 0;
    if (line > title && a == '!' && (b == '*' || b == '#')) {
      // A new table block: its title row is looked up from the next line.
      std::uint32_t at = next;
      title = static_cast<std::int64_t>(LineToOffset(v, t, n, &at, kLineBlockTitle, static_cast<int>(line))) + 1;
      state = kBeforeTitle;
      off = next;
      continue;
    }
    if (state == kBeforeTitle && line >= title) {
      state = mode >= kWidthFromTitle ? kMeasuring : kAtTitle;
    } else if (state == kAtTitle) {
      state = kMeasuring;
    }
    if (a == '~') {
      if (state == kMeasuring) state = kPastComment;
    } else if (state == kMeasuring && line >= firstRow) {
      MeasureLine(t, n, off, firstCol, lastCol, trim, widths);
    }
    off = next;
  }

  positions[0] = columns;
  positions[1] = 0;
  for (int c = 1; c <= last; ++c) {
    const std::uint64_t nextStart = std::uint64_t(positions[c]) + widths[c] + kColumnGap;
    positions[c + 1] = nextStart > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(nextStart);
  }
  fw::Free(widths);
  return 0;
}

}  // namespace csv
