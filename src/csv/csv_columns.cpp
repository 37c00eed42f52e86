// The column rewrite.
#include "csv/csv_columns.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

#include "csv/csv_lists.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

struct Field {
  std::uint32_t start, end;
};

// Writes one row's fields by the plan.
void WriteRow(const std::uint8_t* t, const RowSpan& r, const std::vector<ColumnEntry>& plan,
              std::vector<Field>& fields, OutWriter& out) {
  fields.clear();
  std::uint32_t from = r.start;
  for (std::uint32_t i = r.start; i < r.end; ++i) {
    if (t[i] == CSV_FIELD_SEP) {
      fields.push_back({from, i});
      from = i + 1;
    }
  }
  fields.push_back({from, r.end});
  bool firstOut = true;
  for (const ColumnEntry& e : plan) {
    if (!firstOut) out.PutByte(CSV_FIELD_SEP);
    firstOut = false;
    if (e.column < 1 || e.column > fields.size()) {
      if (e.number) {
        char pre[16];
        out.Put(pre, static_cast<std::size_t>(std::snprintf(pre, sizeof pre, "%02d_", static_cast<int>(e.number))));
      }
      continue;
    }
    const Field& f = fields[e.column - 1];
    std::uint32_t s = f.start;
    if (e.number) {
      if (s < f.end && t[s] == '"') {
        out.PutByte('"');
        ++s;
      }
      char pre[16];
      out.Put(pre, static_cast<std::size_t>(std::snprintf(pre, sizeof pre, "%02d_", static_cast<int>(e.number))));
    }
    out.Put(t + s, f.end - s);
  }
  out.Put(t + r.end, r.next - r.end);
}

}  // namespace

bool BuildColumnPlan(const std::string& list, std::uint32_t columns, bool deleteFlag, std::uint32_t limit,
                     std::vector<ColumnEntry>* plan, bool* unchanged) {
  plan->clear();
  const std::string s = CsvTrimListText(list);
  *unchanged = s == "1-" || s == "1_";
  if (*unchanged) return true;
  if (limit == 0 || limit > kColumnListMax) limit = kColumnListMax;
  try {
    std::vector<bool> listed(static_cast<std::size_t>(columns) + 1, false);
    ListScanner scan(s, ListReader::kColumns, columns);
    ListItem item, last;
    auto addGroups = [&](const std::vector<std::uint32_t>& seq, const ListItem& it, bool capped) {
      const std::size_t g = it.group >= kWholeGroup ? std::max<std::size_t>(seq.size(), 1) : it.group;
      for (std::size_t at = 0; at < seq.size(); at += g) {
        const std::size_t end = std::min(seq.size(), at + g);
        for (std::uint32_t copy = 1; copy <= it.repeat; ++copy) {
          for (std::size_t i = at; i < end; ++i) {
            if (capped && plan->size() >= limit) return;
            if (plan->size() >= static_cast<std::size_t>(limit) + columns) return;
            plan->push_back({seq[i], it.numbered ? copy : 0});
            if (seq[i] <= columns) listed[seq[i]] = true;
          }
        }
      }
    };
    auto addStar = [&](const ListItem& it) {
      std::vector<std::uint32_t> seq;
      for (std::uint32_t c = 1; c <= columns; ++c) {
        if (!listed[c]) seq.push_back(c);
      }
      addGroups(seq, it, false);
    };
    while (scan.Next(&item)) {
      last = item;
      if (item.star) {
        if (!deleteFlag) addStar(item);
      } else if (item.noColumn) {
        addGroups({kNoColumn}, item, true);
      } else if (!item.Empty()) {
        const std::uint64_t span = static_cast<std::uint64_t>(item.last) - item.first + 1;
        const auto take = static_cast<std::uint32_t>(std::min<std::uint64_t>(span, limit));
        std::vector<std::uint32_t> seq(take);
        for (std::uint32_t i = 0; i < take; ++i) seq[i] = item.first + i;
        addGroups(seq, item, true);
      }
    }
    if (scan.TrailingPrefix() && !deleteFlag) addStar(last);
    if (deleteFlag) {
      plan->clear();
      for (std::uint32_t c = 1; c <= columns; ++c) {
        if (!listed[c]) plan->push_back({c, 0});
      }
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

std::uint32_t WidestRow(const std::uint8_t* t, std::uint32_t len, std::uint32_t rows) {
  std::uint32_t widest = 0, fields = 1, row = 0;
  for (std::uint32_t i = 0; i < len && t[i] != 0 && row < rows; ++i) {
    const std::uint8_t c = t[i];
    if (c == CSV_FIELD_SEP) {
      ++fields;
    } else if (c == '\r' || c == '\n') {
      widest = std::max(widest, fields);
      fields = 1;
      if (c == '\r' && i + 1 < len && t[i + 1] == '\n') ++i;
      ++row;
    }
  }
  if (row < rows) widest = std::max(widest, fields);
  return widest;
}

bool RewriteColumnsText(const std::uint8_t* t, std::uint32_t len, std::uint32_t rewriteRows,
                        const std::vector<ColumnEntry>& plan, OutWriter& out) {
  std::vector<RowSpan> rows;
  if (!SplitRows(t, len, &rows)) return false;
  std::vector<Field> fields;
  try {
    for (std::uint32_t r = 0; r < rows.size(); ++r) {
      const RowSpan& s = rows[r];
      if (r >= rewriteRows) {
        out.Put(t + s.start, len - s.start);
        break;
      }
      if (s.start == s.end || t[s.start] == '~') {
        out.Put(t + s.start, s.next - s.start);
      } else {
        WriteRow(t, s, plan, fields, out);
      }
      if (out.Failed()) return false;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return !out.Failed();
}

int CsvRewriteColumnsText(std::string& text, std::uint32_t columns, int deleteFlag, std::uint32_t limit,
                          const std::string& list, OpHost* host) {
  const auto* t = reinterpret_cast<const std::uint8_t*>(text.data());
  if (text.size() > OutWriter::kMaxBytes) return ReportOpFailure(host, kRewriteTooLarge);
  const auto len = static_cast<std::uint32_t>(text.size());
  columns = std::max(columns, WidestRow(t, len, 0xFFFFFFFFu));
  std::vector<ColumnEntry> plan;
  bool unchanged = false;
  if (!BuildColumnPlan(list, columns, deleteFlag != 0, limit, &plan, &unchanged)) return ReportOpFailure(host, kRewriteFailed);
  if (unchanged) return kOpOk;
  OutWriter out;
  if (!RewriteColumnsText(t, len, 0xFFFFFFFFu, plan, out))
    return ReportOpFailure(host, out.TooLarge() ? kRewriteTooLarge : kRewriteFailed);
  try {
    text.assign(reinterpret_cast<const char*>(out.Data() ? out.Data() : reinterpret_cast<const std::uint8_t*>("")),
                out.Length());
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kRewriteFailed);
  }
  return kOpOk;
}

int CsvRewriteColumns(int mode, Table& table, int columns, std::uint32_t limit, int deleteFlag,
                      const std::string& list, const std::string& command, OpHost* host) {
  if (columns < 0) {
    columns = columns == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -columns;
    mode = 6;
  }
  // The row step works on a copy, so that a failure of either step leaves
  // the table as it was.
  std::unique_ptr<Table> ordered;
  if (mode == 1 && command.size() > 3 && (command.compare(0, 3, "&R:") == 0 || command.compare(0, 3, "&&:") == 0)) {
    try {
      ordered = std::make_unique<Table>();
    } catch (const std::bad_alloc&) {
      return ReportOpFailure(host, kRewriteFailed);
    }
    if (!ordered->CopyFrom(table)) return ReportOpFailure(host, kRewriteFailed);
    const int rc = CsvReorderRows(*ordered, command.substr(3), 0, host);
    if (rc != kOpOk) return rc;
  }
  Table& source = ordered ? *ordered : table;
  const std::uint8_t* t = source.m_pTextBuf;
  const std::uint32_t n = ContentLength(source);
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) return ReportOpFailure(host, kRewriteFailed);
  std::uint32_t first = 0, last = 0;
  DataRows(source, static_cast<std::uint32_t>(rows.size()), &first, &last);
  const std::uint32_t region = first == 0 ? static_cast<std::uint32_t>(rows.size()) : last;
  const std::uint32_t width = std::max<std::uint32_t>(static_cast<std::uint32_t>(columns), WidestRow(t, n, region));
  std::vector<ColumnEntry> plan;
  bool unchanged = false;
  if (!BuildColumnPlan(list, width, deleteFlag != 0, limit, &plan, &unchanged)) return ReportOpFailure(host, kRewriteFailed);
  if (unchanged) {
    if (ordered) table.TakeContentOf(*ordered);
    return kOpOk;
  }
  OutWriter out;
  if (!RewriteColumnsText(t, n, region, plan, out)) {
    return ReportOpFailure(host, out.TooLarge() ? kRewriteTooLarge : kRewriteFailed);
  }
  if (!out.InstallInto(source, 1000)) return ReportOpFailure(host, kRewriteFailed);
  source.Rescan();
  if (ordered) table.TakeContentOf(*ordered);
  return kOpOk;
}

}  // namespace csv
