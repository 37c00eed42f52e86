// Swapping rows and columns.
#include "csv/csv_transpose.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

struct Cell {
  std::uint32_t start, end;
};

bool WriteTransposed(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::uint32_t from, std::uint32_t to,
                     OutWriter& out) {
  // Cells of each region row.
  const std::uint32_t count = to - from + 1;
  std::vector<std::vector<Cell>> cells(count);
  std::size_t width = 0;
  for (std::uint32_t r = 0; r < count; ++r) {
    const RowSpan& s = rows[from - 1 + r];
    std::uint32_t a = s.start;
    for (std::uint32_t i = s.start; i < s.end; ++i) {
      if (t[i] == CSV_FIELD_SEP) {
        cells[r].push_back({a, i});
        a = i + 1;
      }
    }
    cells[r].push_back({a, s.end});
    width = std::max(width, cells[r].size());
  }
  if (width == 1) {
    for (std::uint32_t r = 0; r < count; ++r) {
      char name[24];
      if (r) out.PutByte(CSV_FIELD_SEP);
      out.Put(name, static_cast<std::size_t>(std::snprintf(name, sizeof name, "A%u", r + 1)));
    }
    out.PutCrLf();
  }
  for (std::size_t c = 0; c < width; ++c) {
    for (std::uint32_t r = 0; r < count; ++r) {
      if (r) out.PutByte(CSV_FIELD_SEP);
      if (c < cells[r].size()) out.Put(t + cells[r][c].start, cells[r][c].end - cells[r][c].start);
    }
    out.PutCrLf();
    if (out.Failed()) return false;
  }
  return !out.Failed();
}

}  // namespace

int CsvTransposeTable(Table& table, int variant, OpHost* host) {
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kTransposeFailed);
  const auto count = static_cast<std::uint32_t>(rows.size());
  std::uint32_t first = 0, last = 0;
  DataRows(table, count, &first, &last);
  std::uint32_t title = first ? first - 1 : std::min<std::uint32_t>(std::max<std::uint32_t>(table.m_aSecLine[1], 1), count);
  if (count == 0 || title == 0) return kOpOk;
  if (last < title) last = title;
  for (std::uint32_t r = title + 1; r <= last; ++r) {
    const std::uint8_t c = rows[r - 1].start < rows[r - 1].end ? t[rows[r - 1].start] : 0;
    if (c == '~' || c == '!') {
      last = r - 1;
      break;
    }
  }
  OutWriter out;
  try {
    if (variant == 1) {
      out.Put(t, n);
      if (n && t[n - 1] != '\n' && t[n - 1] != '\r') out.PutCrLf();
      out.Put("!#\r\n", 4);
      WriteTransposed(t, rows, title, last, out);
    } else {
      if (title > 1) out.Put(t, rows[title - 1].start);
      WriteTransposed(t, rows, title, last, out);
      if (last < count) out.Put(t + rows[last].start, n - rows[last].start);
    }
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kTransposeFailed);
  }
  if (!InstallResult(table, out, 1000)) return ReportOpFailure(host, kTransposeFailed);
  return kOpOk;
}

}  // namespace csv
