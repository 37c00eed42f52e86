#include "csv/csv_crosstab.h"

#include <algorithm>
#include <new>
#include <vector>

#include "csv/csv_groupsum.h"
#include "csv/csv_headtail.h"
#include "csv/csv_linesort.h"
#include "csv/csv_out.h"
#include "csv/csv_pivot.h"
#include "csv/csv_pivotkeys.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

// Label fields the pivot keeps at most (a row has no more fields than this
// anyway in any table that loads).
constexpr int kMaxLabels = 510;

}  // namespace

int CsvCrossTabulate(Table& table, int firstArg, int keyLevels, int countFlag, int fourthArg,
                     const std::string& operand, int number, OpHost* host) {
  const bool drop = firstArg > 10;
  const int labels = std::min(std::max(drop ? firstArg - 10 : firstArg, 0), kMaxLabels);
  const int levels = keyLevels >= 1 && keyLevels <= 3 ? keyLevels : 0;
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  int stage = kTotalsSaveArea;
  std::uint32_t headLines = 0;
  try {
    std::vector<RowSpan> rows;
    if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kTotalsSaveArea);
    const HeadTail ht = FindHeadTail(t, rows, n, table.m_nCurLine);
    headLines = ht.headLines;
    // Head and tail held aside; the table's rows copied into a work text,
    // with one empty row when there is no data row.
    OutWriter saved, work;
    const std::uint32_t bodyStart = ht.firstRow < rows.size() ? rows[ht.firstRow].start : ht.headEnd;
    const std::uint32_t bodyEnd = ht.firstRow < ht.endRow ? rows[ht.endRow - 1].end : bodyStart;
    if (!saved.Reserve(static_cast<std::uint64_t>(ht.headEnd) + (n - ht.tailStart) + 1) ||
        !saved.Put(t, ht.headEnd) || !saved.Put(t + ht.tailStart, n - ht.tailStart) ||
        !work.Reserve(static_cast<std::uint64_t>(bodyEnd - bodyStart) + table.m_nFieldCount + 3) ||
        !work.Put(t + bodyStart, bodyEnd - bodyStart))
      return ReportOpFailure(host, kTotalsSaveArea);
    if (ht.endRow < ht.firstRow + 2) {
      work.PutCrLf();
      // An empty row as wide as the table.
      work.PutRepeat(CSV_FIELD_SEP, table.m_nFieldCount > 1 ? table.m_nFieldCount - 1 : 0);
    }
    if (work.Failed()) return ReportOpFailure(host, kTotalsSaveArea);
    stage = kSummaryOutput;
    OutWriter summary;
    if (!summary.Reserve(4096)) return ReportOpFailure(host, kSummaryOutput);
    // The text the summary reads: the work text itself, or the pivot of it.
    OutWriter pivot;
    Table sorted;
    const std::uint8_t* src = work.Data();
    std::uint32_t srcLen = work.Length();
    if (levels > 0) {
      stage = kPivotSort;
      PivotLayout layout;
      layout.labels = static_cast<std::uint32_t>(labels);
      layout.values = static_cast<std::uint32_t>(std::min(std::max(fourthArg, 1), 3));
      layout.keyStart0 = static_cast<std::uint32_t>(labels) + 1 + static_cast<std::uint32_t>(std::max(fourthArg - 1, 0));
      layout.levels = levels;
      layout.count = countFlag == 1;
      if (!sorted.Assign(work.Data(), work.Length(), 16)) return ReportOpFailure(host, kPivotSort);
      sorted.m_nCurLine = 1;
      for (int k = levels - 1; k >= 0; --k) {
        LineSortRequest req;
        req.key = static_cast<int>(layout.keyStart0) + 1 + k;
        req.block = 0;
        if (SortLines(sorted, req, nullptr) < 0) return ReportOpFailure(host, kPivotSort);
      }
      const std::uint8_t* st = sorted.m_pTextBuf;
      const std::uint32_t sn = ContentLength(sorted);
      std::vector<RowSpan> srows;
      if (!SplitRows(st, sn, &srows)) return ReportOpFailure(host, kPivotSort);
      const PivotOperand op = ReadPivotOperand(operand, levels, number);
      std::vector<PivotEntry> list;
      if (op.form == PivotListForm::kData) {
        std::vector<PivotKey> keys;
        keys.reserve(srows.size());
        for (std::size_t r = 1; r < srows.size(); ++r)
          keys.push_back(ReadPivotKey(st + srows[r].start, st + srows[r].end, layout));
        BuildPivotKeys(keys, levels, op.limit, &list);
      } else {
        list = op.listed;
      }
      ClosePivotKeys(levels, op, &list);
      const std::uint64_t columns = static_cast<std::uint64_t>(list.size()) * layout.values + 1;
      if (!pivot.Reserve(static_cast<std::uint64_t>(srows.size()) * (columns + 8) + sn + 4096) ||
          !WritePivotRows(st, srows, 0, srows.size(), layout, list, op, pivot))
        return ReportOpFailure(host, kPivotSort);
      sorted.Clear();
      work.Drop(work.Length());
      src = pivot.Data();
      srcLen = pivot.Length();
    }
    stage = kSummaryFull;
    std::vector<RowSpan> srcRows;
    if (!SplitRows(src, srcLen, &srcRows)) return ReportOpFailure(host, kSummaryFull);
    GroupSummaryArgs args;
    args.keyFields = labels >= 1 && labels <= 3 ? labels : 1;
    args.drop = drop;
    args.count = countFlag == 1;
    args.fourthArg = levels == 0 ? fourthArg : 0;
    args.allValues = levels > 0;
    args.flag = levels;
    args.titleTotal = levels == 0;
    if (!WriteGroupSummary(src, srcRows, 0, srcRows.size(), args, summary))
      return ReportOpFailure(host, kSummaryFull);
    stage = kSummaryReplace;
    OutWriter whole;
    if (!whole.Reserve(static_cast<std::uint64_t>(saved.Length()) + summary.Length() + 1) ||
        !whole.Put(saved.Data(), ht.headEnd) || !whole.Put(summary.Data(), summary.Length()) ||
        !whole.Put(saved.Data() + ht.headEnd, saved.Length() - ht.headEnd) || !whole.InstallInto(table, 16))
      return ReportOpFailure(host, kSummaryReplace);
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, stage);
  }
  table.Rescan();
  table.m_nCurLine = headLines + 1;
  return kOpOk;
}

}  // namespace csv
