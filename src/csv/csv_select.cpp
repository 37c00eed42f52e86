// Column selection.
#include "csv/csv_select.h"

#include <algorithm>
#include <new>
#include <vector>

#include "csv/csv_lists.h"
#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

constexpr std::size_t kLeftPartBytes = 99;

}  // namespace

int CsvOpSelectColumns(Table& table, const std::string& operand, int keepRows, int column, OpHost* host) {
  const std::string op = operand.substr(0, operand.find('\0'));
  const std::size_t colon = op.find(':');
  std::string left = colon == std::string::npos ? std::string() : op.substr(0, std::min(colon, kLeftPartBytes));
  const std::string right = colon == std::string::npos ? op : op.substr(colon + 1);
  if (left == "NULL") left.clear();
  const std::uint32_t lead = static_cast<std::uint32_t>(std::max(0, column));
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  OutWriter out;
  std::uint32_t listed = 0;
  try {
    std::vector<std::uint32_t> cols;
    if (!right.empty() && right[0] == '#') {
      std::uint64_t step = 0;
      for (std::size_t i = 1; i < right.size() && right[i] >= '0' && right[i] <= '9' && step < kSelectListMax; ++i)
        step = step * 10 + static_cast<unsigned>(right[i] - '0');
      if (step == 0) step = 1;
      for (std::uint64_t c = lead + 1ull; c <= table.m_nFieldCount && cols.size() < kSelectListMax; c += step)
        cols.push_back(static_cast<std::uint32_t>(c));
    } else {
      cols.resize(kSelectListMax + 1);
      cols.resize(static_cast<std::size_t>(CsvParseIndexList(right, table.m_nFieldCount, kSelectListMax, cols.data())));
    }
    listed = static_cast<std::uint32_t>(cols.size());
    std::vector<RowSpan> rows;
    if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kSelectWork);
    std::uint32_t first = 0, last = 0;
    DataRows(table, static_cast<std::uint32_t>(rows.size()), &first, &last);
    const std::uint32_t regionEnd = first ? last : static_cast<std::uint32_t>(rows.size());
    if (!out.Reserve(static_cast<std::uint64_t>(n) + 100000)) return ReportOpFailure(host, kSelectWork);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> cells;
    for (std::uint32_t r = 0; r < rows.size(); ++r) {
      const RowSpan& s = rows[r];
      if (r >= regionEnd) {
        out.Put(t + s.start, n - s.start);
        break;
      }
      if (r < static_cast<std::uint32_t>(std::max(0, keepRows))) {
        out.Put(t + s.start, s.next - s.start);
        continue;
      }
      cells.clear();
      std::uint32_t a = s.start;
      for (std::uint32_t i = s.start; i < s.end; ++i) {
        if (t[i] == CSV_FIELD_SEP) {
          cells.push_back({a, i});
          a = i + 1;
        }
      }
      cells.push_back({a, s.end});
      bool any = false;
      for (std::uint32_t c = 0; c < lead && c < cells.size(); ++c) {
        if (any) out.PutByte(CSV_FIELD_SEP);
        out.Put(t + cells[c].first, cells[c].second - cells[c].first);
        any = true;
      }
      for (std::uint32_t c : cols) {
        if (any) out.PutByte(CSV_FIELD_SEP);
        any = true;
        if (c >= 1 && c <= cells.size()) {
          out.Put(t + cells[c - 1].first, cells[c - 1].second - cells[c - 1].first);
        } else {
          out.Put(left);
        }
      }
      out.Put(t + s.end, s.next - s.end);
      if (out.Failed()) return ReportOpFailure(host, kSelectWork);
    }
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kSelectWork);
  }
  if (out.Failed()) return ReportOpFailure(host, kSelectWork);
  if (!out.InstallInto(table, 1000)) return ReportOpFailure(host, kSelectFinal);
  table.Rescan();
  table.m_nFieldCount = lead + listed;
  return kOpOk;
}

}  // namespace csv
