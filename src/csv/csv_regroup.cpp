// Regrouping the cells of rows.
#include "csv/csv_regroup.h"

#include <algorithm>
#include <new>
#include <vector>

#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

using Cells = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

void CutCells(const std::uint8_t* t, const RowSpan& r, Cells* c) {
  c->clear();
  std::uint32_t a = r.start;
  for (std::uint32_t i = r.start; i < r.end; ++i) {
    if (t[i] == CSV_FIELD_SEP) {
      c->push_back({a, i});
      a = i + 1;
    }
  }
  c->push_back({a, r.end});
}

}  // namespace

int CsvOpRowsByPattern(Table& table, const std::string& operand, int kArg, int gArg, int third, OpHost* host) {
  (void)third;
  const std::string op = operand.substr(0, operand.find('\0'));
  const std::size_t colon = op.find(':');
  const std::string left = colon == std::string::npos ? std::string("**") : op.substr(0, colon);
  const std::string right = colon == std::string::npos ? op : op.substr(colon + 1);
  const std::uint32_t k = static_cast<std::uint32_t>(std::max(0, kArg));
  const std::uint32_t g = static_cast<std::uint32_t>(std::max(1, gArg));
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  const std::uint32_t fields = table.m_nFieldCount;
  OutWriter out;
  try {
    std::vector<std::string> pieces;
    for (std::size_t from = 0;;) {
      const std::size_t bar = right.find('|', from);
      pieces.push_back(right.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
      if (bar == std::string::npos) break;
      from = bar + 1;
    }
    std::vector<RowSpan> rows;
    if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kRegroupWork);
    const auto count = static_cast<std::uint32_t>(rows.size());
    std::uint32_t first = 0, last = 0;
    DataRows(table, count, &first, &last);
    const std::uint32_t title = first ? first - 1 : std::min<std::uint32_t>(std::max<std::uint32_t>(table.m_aSecLine[1], 1), count);
    const std::uint32_t end = first ? last : count;
    if (!out.Reserve(static_cast<std::uint64_t>(n) + 100000)) return ReportOpFailure(host, kRegroupWork);
    Cells cells;
    for (std::uint32_t r = 1; r <= count; ++r) {
      const RowSpan& s = rows[r - 1];
      if (r > end) {
        out.Put(t + s.start, n - s.start);
        break;
      }
      if (r < title) {
        out.Put(t + s.start, s.next - s.start);
        continue;
      }
      CutCells(t, s, &cells);
      const auto m = static_cast<std::uint32_t>(cells.size());
      for (std::uint32_t c = 0; c < k && c < m; ++c) {
        if (c) out.PutByte(CSV_FIELD_SEP);
        out.Put(t + cells[c].first, cells[c].second - cells[c].first);
      }
      for (std::uint32_t at = k, group = 0; at < m; at += g, ++group) {
        if (at > 0) out.PutByte(CSV_FIELD_SEP);
        if (r == title) {
          // The column's name from the left part, "**" standing for the group's first title.
          const std::string head(reinterpret_cast<const char*>(t + cells[at].first), cells[at].second - cells[at].first);
          for (std::size_t i = 0; i < left.size(); ++i) {
            if (left.compare(i, 2, "**") == 0) {
              out.Put(head);
              ++i;
            } else {
              out.PutByte(static_cast<std::uint8_t>(left[i]));
            }
          }
          continue;
        }
        for (std::uint32_t i = 0; i < g && at + i < m; ++i) {
          if (i > 0 && i - 1 < pieces.size()) out.Put(pieces[i - 1]);
          out.Put(t + cells[at + i].first, cells[at + i].second - cells[at + i].first);
        }
      }
      out.Put(t + s.end, s.next - s.end);
      if (out.Failed()) return ReportOpFailure(host, kRegroupWork);
    }
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kRegroupWork);
  }
  if (out.Failed()) return ReportOpFailure(host, kRegroupWork);
  if (!out.InstallInto(table, 1000)) return ReportOpFailure(host, kRegroupFinal);
  table.Rescan();
  if (fields > k) table.m_nFieldCount = (fields - k + g - 1) / g + k;
  return kOpOk;
}

}  // namespace csv
