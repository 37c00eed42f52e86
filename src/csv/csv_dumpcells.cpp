// The cell list of a table.
#include "csv/csv_dumpcells.h"

#include <cstdio>
#include <new>
#include <vector>

#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {

int DumpCells(Table& table, OpHost* host) {
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = t ? ContentLength(table) : 0;
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kRowOrderFailed);
  const auto count = static_cast<std::uint32_t>(rows.size());
  std::uint32_t first = 0, last = 0;
  DataRows(table, count, &first, &last);
  // A first size; the writer grows for tables of many short cells (each
  // listed cell adds up to 24 bytes: two numbers, two separators, CR LF).
  OutWriter out;
  if (!out.Reserve(2ull * n + 32)) return ReportOpFailure(host, kRowOrderFailed);
  const char sep = static_cast<char>(CSV_FIELD_SEP);
  const std::string title = std::string("line") + sep + "clmn" + sep + "data\r\n";
  out.Put(title);
  for (std::uint32_t r = first; r >= 1 && r <= last; ++r) {
    const RowSpan& span = rows[r - 1];
    std::uint32_t column = 1, from = span.start;
    for (std::uint32_t i = span.start; i <= span.end; ++i) {
      if (i < span.end && t[i] != CSV_FIELD_SEP) continue;
      if (i > from) {
        char head[32];
        const int len = std::snprintf(head, sizeof head, "%u%c%u%c", r, sep, column, sep);
        out.Put(head, static_cast<std::size_t>(len));
        out.Put(t + from, i - from);
        out.PutCrLf();
      }
      ++column;
      from = i + 1;
    }
  }
  if (out.Failed() || !InstallResult(table, out, 1000)) return ReportOpFailure(host, kRowOrderFailed);
  return kOpOk;
}

}  // namespace csv
