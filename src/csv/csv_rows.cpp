// Row deletion and row order.
#include "csv/csv_rows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "csv/csv_index.h"
#include "csv/csv_lists.h"
#include "fw/alloc.h"

namespace csv {
namespace {

int PrefixText(int number, char* buf) {
  return std::snprintf(buf, 16, "%02d_", number);
}

}  // namespace

bool SplitRows(const std::uint8_t* t, std::uint32_t n, std::vector<RowSpan>* rows) {
  rows->clear();
  try {
    std::uint32_t i = 0;
    while (i < n && t[i] != 0) {
      RowSpan r{i, i, i};
      std::uint32_t j = i;
      while (j < n && t[j] != '\r' && t[j] != '\n' && t[j] != 0) ++j;
      r.end = j;
      if (j < n && t[j] == '\r') ++j;
      if (j < n && t[j] == '\n' && (j == r.end || t[j - 1] == '\r')) ++j;
      r.next = j;
      rows->push_back(r);
      i = j;
      if (r.next == r.end) break;  // no row end: the text ends here
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void CsvMarkRows(RowMarks& marks, std::uint32_t first, std::uint32_t last) {
  if (first < 1) first = 1;
  last = std::min(last, marks.Rows());
  for (std::uint32_t r = first; r <= last && r != 0; ++r) marks.Mark(r);
}

std::uint64_t CsvCopyRowRange(const std::uint8_t* text, const std::vector<RowSpan>& rows, std::uint32_t first,
                              std::uint32_t last, OutWriter* out, int number) {
  std::uint64_t bytes = 0;
  if (first < 1) first = 1;
  last = std::min<std::uint32_t>(last, static_cast<std::uint32_t>(rows.size()));
  const std::uint64_t before = out ? out->Length() : 0;
  bool ended = true;
  for (std::uint32_t r = first; r <= last && r != 0; ++r) {
    const RowSpan& s = rows[r - 1];
    std::uint32_t from = s.start;
    if (number > 0) {
      char pre[16];
      const int plen = PrefixText(number, pre);
      const bool quoted = s.start < s.end && text[s.start] == '"';
      if (quoted) ++from;
      bytes += static_cast<std::uint64_t>(plen) + (quoted ? 1 : 0);
      if (out) {
        if (quoted) out->PutByte('"');
        out->Put(pre, static_cast<std::size_t>(plen));
      }
    }
    bytes += s.next - from;
    if (out) out->Put(text + from, s.next - from);
    ended = s.next != s.end;
  }
  if (!ended) {
    bytes += 2;
    if (out) out->PutCrLf();
  }
  if (out && out->Failed()) return out->Length() - before;
  return bytes;
}

int CsvDeleteListedRows(Table& table, const std::string& spec, OpHost* host) {
  const std::uint32_t n = ContentLength(table);
  std::vector<RowSpan> rows;
  if (!SplitRows(table.m_pTextBuf, n, &rows)) return ReportOpFailure(host, kRowOrderFailed);
  const auto count = static_cast<std::uint32_t>(rows.size());
  OutWriter out;
  try {
    RowMarks marks(count);
    ListScanner scan(spec, ListReader::kDelete, count);
    ListItem item;
    while (scan.Next(&item)) {
      if (!item.Empty()) CsvMarkRows(marks, item.first, item.last);
    }
    if (!out.Reserve(n)) return ReportOpFailure(host, kRowOrderFailed);
    for (std::uint32_t r = 1; r <= count; ++r) {
      if (marks.Marked(r)) continue;
      const RowSpan& s = rows[r - 1];
      out.Put(table.m_pTextBuf + s.start, s.next - s.start);
    }
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kRowOrderFailed);
  }
  if (!out.InstallInto(table, 1000)) return ReportOpFailure(host, kRowOrderFailed);
  table.Rescan();
  return kOpOk;
}

bool BuildOrderList(const std::string& spec, std::uint32_t rows, int flag, std::vector<OrderEntry>* order) {
  order->clear();
  try {
    std::vector<bool> listed(static_cast<std::size_t>(rows) + 1, false);
    // Adds the numbers of `seq` group by group, each group `repeat` times.
    auto addSequence = [&](const std::vector<std::uint32_t>& seq, const ListItem& item, bool capped) {
      const std::size_t g = item.group >= kWholeGroup ? std::max<std::size_t>(seq.size(), 1) : item.group;
      for (std::size_t at = 0; at < seq.size(); at += g) {
        const std::size_t end = std::min(seq.size(), at + g);
        for (std::uint32_t copy = 1; copy <= item.repeat; ++copy) {
          for (std::size_t i = at; i < end; ++i) {
            if (capped && order->size() >= kOrderListMax) return;
            if (order->size() >= kOrderListMax + static_cast<std::size_t>(rows)) return;
            order->push_back({seq[i], item.numbered ? copy : 0});
            listed[seq[i]] = true;
          }
        }
      }
    };
    auto addStar = [&](const ListItem& item) {
      std::vector<std::uint32_t> seq;
      for (std::uint32_t r = 1; r <= rows; ++r) {
        if (!listed[r]) seq.push_back(r);
      }
      addSequence(seq, item, false);
    };
    ListScanner scan(spec, ListReader::kOrder, rows, flag);
    ListItem item, last;
    while (scan.Next(&item)) {
      last = item;
      if (item.star) {
        addStar(item);
      } else if (!item.Empty() && item.first <= rows) {
        const std::uint32_t to = std::min(item.last, rows);
        // Explicit items add at most kOrderListMax entries in all.
        const std::uint64_t span = static_cast<std::uint64_t>(to) - item.first + 1;
        const std::uint32_t take = static_cast<std::uint32_t>(std::min<std::uint64_t>(span, kOrderListMax));
        std::vector<std::uint32_t> seq(take);
        for (std::uint32_t i = 0; i < take; ++i) seq[i] = item.first + i;
        addSequence(seq, item, true);
      }
    }
    if (scan.TrailingPrefix()) addStar(last);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void DataRows(const Table& table, std::uint32_t rowCount, std::uint32_t* firstData, std::uint32_t* lastData) {
  // Block 1's title row: m_aSecLine[1] is its 1-based number.
  std::uint32_t title = table.m_aSecLine[1];
  if (title < 1) title = 1;
  std::uint32_t end = table.m_aSecInfoA[1];  // 0-based first row after the data
  if (end <= title || end > rowCount) end = rowCount;
  // A later block starts after block 1's data.
  if (table.BlockCount() >= 2 && table.m_aSecRow[2] >= 1 && table.m_aSecRow[2] - 1 < end &&
      table.m_aSecRow[2] - 1 > title)
    end = table.m_aSecRow[2] - 1;
  if (title >= rowCount || end <= title) {
    *firstData = *lastData = 0;
    return;
  }
  *firstData = title + 1;
  *lastData = end;
}

bool InstallByScanCopy(Table& table, const std::uint8_t* text, std::uint32_t len, std::uint32_t margin) {
  // The copy writes each byte once, at most one closing quote per field end
  // and the NUL: twice the length and two bytes hold it.
  const std::uint64_t cap = 2ull * len + 2 + margin;
  if (cap > 0xFFFFFFFFull) return false;
  auto* buf = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(cap)));
  if (!buf) return false;
  TableFields f = table;
  f.m_pTextBuf = buf;
  f.m_nWorkSize = static_cast<std::uint32_t>(cap);
  std::uint32_t outLen = 0, maxCols = 0;
  BuildCsvIndex(f, text, len, &outLen, &maxCols, kCsvScanCopy, -1);
  if (f.m_nScanNotes & kCsvScanTruncated) {  // cannot happen with the size above
    fw::Free(buf);
    return false;
  }
  fw::Free(table.m_pTextBuf);
  static_cast<TableFields&>(table) = f;
  table.m_nTextLen = outLen;
  table.m_nFieldCount = maxCols;
  // The copy may leave out a short last line after counting its row end:
  // then a scan of what was copied makes the index describe the content.
  if (f.m_nScanNotes & kCsvScanShortEnd) table.Rescan();
  return true;
}

bool InstallResult(Table& table, OutWriter& out, std::uint32_t margin) {
  if (out.Failed()) return false;
  static const std::uint8_t kEmpty[1] = {0};
  const std::uint8_t* d = out.Data();
  const std::uint32_t n = out.Length();
  if (d == nullptr || n == 0) return InstallByScanCopy(table, kEmpty, 0, margin);
  const bool plain = !std::memchr(d, '"', n) && !std::memchr(d, ',', n) && !std::memchr(d, 0, n);
  if (plain) {
    std::unique_ptr<TableFields> f;
    try {
      f = std::make_unique<TableFields>(table);
    } catch (const std::bad_alloc&) {
      return false;
    }
    std::uint32_t len = 0, cols = 0;
    BuildCsvIndex(*f, d, n, &len, &cols, kCsvScanOnly, -1);
    if (!(f->m_nScanNotes & kCsvScanShortEnd)) {
      if (!out.InstallInto(table, margin)) return false;
      // The scan's offsets are offsets in the bytes that are now the buffer.
      std::uint8_t* buf = table.m_pTextBuf;
      const std::uint32_t size = table.m_nWorkSize, used = table.m_nTextLen;
      static_cast<TableFields&>(table) = *f;
      table.m_pTextBuf = buf;
      table.m_nWorkSize = size;
      table.m_nTextLen = used;
      table.m_nFieldCount = cols;
      return true;
    }
  }
  return InstallByScanCopy(table, d, n, margin);
}

int CsvReorderRows(Table& table, const std::string& spec, int flag, OpHost* host) {
  const std::string s = CsvTrimListText(spec);
  if (s.empty() || s == "1-" || s == "1_") return kOpOk;
  const std::uint32_t n = ContentLength(table);
  const std::uint8_t* t = table.m_pTextBuf;
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kRowOrderFailed);
  const auto count = static_cast<std::uint32_t>(rows.size());
  OutWriter out;
  if (s == "rev") {
    std::uint32_t first = 0, last = 0;
    DataRows(table, count, &first, &last);
    if (first == 0) return kOpOk;
    if (!out.Reserve(static_cast<std::uint64_t>(n) + 4)) return ReportOpFailure(host, kRowOrderFailed);
    if (first > 1) CsvCopyRowRange(t, rows, 1, first - 1, &out, 0);
    for (std::uint32_t r = last; r >= first; --r) CsvCopyRowRange(t, rows, r, r, &out, 0);
    if (last < count) out.Put(t + rows[last].start, n - rows[last].start);
  } else {
    std::vector<OrderEntry> order;
    if (!BuildOrderList(s, count, flag, &order)) return ReportOpFailure(host, kRowOrderFailed);
    if (order.empty()) return kOpOk;
    std::uint64_t size = 0;
    for (const OrderEntry& e : order) size += CsvCopyRowRange(t, rows, e.row, e.row, nullptr, static_cast<int>(e.number));
    if (!out.Reserve(size)) return ReportOpFailure(host, kRowOrderFailed);
    for (const OrderEntry& e : order) CsvCopyRowRange(t, rows, e.row, e.row, &out, static_cast<int>(e.number));
  }
  if (!InstallResult(table, out, 1000)) return ReportOpFailure(host, kRowOrderFailed);
  return kOpOk;
}

}  // namespace csv
