#include "csv/csv_groupsum.h"

#include <cstring>

#include "csv/csv_buffer.h"
#include "csv/csv_cellnumber.h"

namespace csv {
namespace {

constexpr std::uint32_t kKeyBytes = 200;

using Sums = std::vector<ScaledSum>;

void AddInto(Sums& to, Sums& from) {
  for (std::size_t k = 0; k < to.size(); ++k) {
    to[k].Add(from[k]);
    from[k].Clear();
  }
}

}  // namespace

bool CsvWriteSumLine(OutWriter& out, const std::string& label, const ScaledSum* sums, std::size_t count, int flag) {
  std::string line = label;
  ScaledSum all;
  for (std::size_t k = 0; k < count; ++k) {
    line.push_back(static_cast<char>(CSV_FIELD_SEP));
    AppendScaledSum(&line, sums[k]);
    all.Add(sums[k]);
  }
  if (flag == 0) {
    line.push_back(static_cast<char>(CSV_FIELD_SEP));
    AppendScaledSum(&line, all);
  }
  line.append("\r\n");
  return out.Put(line);
}

bool WriteGroupSummary(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::size_t first, std::size_t end,
                       const GroupSummaryArgs& args, OutWriter& out) {
  if (first >= end) return !out.Failed();
  const int kf = args.keyFields >= 1 && args.keyFields <= 3 ? args.keyFields : 1;
  const std::uint32_t keyFields = static_cast<std::uint32_t>(kf);
  // The value count: the widest row's fields after the key fields.
  std::uint32_t widest = 0;
  for (std::size_t r = first; r < end; ++r) {
    const std::uint32_t n = FieldsOfRow(t + rows[r].start, t + rows[r].end);
    if (n > widest) widest = n;
  }
  std::uint32_t count = widest > keyFields ? widest - keyFields : 0;
  if (count > kSummaryValues && !args.allValues) count = kSummaryValues;
  const char sep = static_cast<char>(CSV_FIELD_SEP);
  out.Put(t + rows[first].start, rows[first].end - rows[first].start);
  if (args.titleTotal) out.Put("\x06Total", 6);
  out.PutCrLf();
  Sums cur(count), mid(count), outer(count), grand(count);
  std::string key[3], prev[3];
  bool open = false;
  std::uint32_t midLines = 0, outerLines = 0, outerSums = 0;
  std::string label;
  auto groupLine = [&]() {
    label = prev[0];
    for (int k = 1; k < kf; ++k) label.append(1, sep).append(prev[k]);
    if (args.fourthArg != 0) {
      const std::size_t at = label.rfind(sep);
      label = (at == std::string::npos ? std::string() : label.substr(0, at + 1)) + "--sum---";
    }
    CsvWriteSumLine(out, label, cur.data(), count, args.flag);
    ++midLines;
    ++outerLines;
  };
  // Closes the levels the change from prev to key ends (all of them at the
  // end of the table), innermost first.
  auto close = [&](bool all) {
    groupLine();
    if (kf == 1) {
      AddInto(grand, cur);
      return;
    }
    const bool outerEnds = all || key[0] != prev[0];
    if (kf == 2) {
      AddInto(outer, cur);
      if (outerEnds) {
        if (!(args.drop && outerLines == 1)) CsvWriteSumLine(out, prev[0] + sep + "--total--", outer.data(), count, args.flag);
        AddInto(grand, outer);
        outerLines = 0;
      }
      return;
    }
    AddInto(mid, cur);
    if (outerEnds || key[1] != prev[1]) {
      if (!(args.drop && midLines == 1)) {
        CsvWriteSumLine(out, prev[0] + sep + prev[1] + sep + "--sum--", mid.data(), count, args.flag);
        ++outerSums;
      }
      AddInto(outer, mid);
      midLines = 0;
    }
    if (outerEnds) {
      if (!(args.drop && outerLines == 1 && outerSums <= 1))
        CsvWriteSumLine(out, prev[0] + sep + "--total--" + sep + "--------", outer.data(), count, args.flag);
      AddInto(grand, outer);
      outerLines = 0;
      outerSums = 0;
    }
  };
  for (std::size_t r = first + 1; r < end && !out.Failed(); ++r) {
    const std::uint8_t* b = t + rows[r].start;
    const std::uint8_t* e = t + rows[r].end;
    std::uint32_t j = 0;
    for (const std::uint8_t* f = b;; ++j) {
      const void* s = std::memchr(f, CSV_FIELD_SEP, static_cast<std::size_t>(e - f));
      const std::uint8_t* fe = s ? static_cast<const std::uint8_t*>(s) : e;
      if (j < keyFields) {
        std::size_t n = static_cast<std::size_t>(fe - f);
        key[j].assign(reinterpret_cast<const char*>(f), n > kKeyBytes ? kKeyBytes : n);
      }
      if (!s) break;
      f = fe + 1;
    }
    for (std::uint32_t k = j + 1; k < keyFields; ++k) key[k].clear();
    if (open && (key[0] != prev[0] || key[1] != prev[1] || key[2] != prev[2])) close(false);
    open = true;
    for (int k = 0; k < 3; ++k) prev[k] = key[k];
    j = 0;
    for (const std::uint8_t* f = b;; ++j) {
      const void* s = std::memchr(f, CSV_FIELD_SEP, static_cast<std::size_t>(e - f));
      const std::uint8_t* fe = s ? static_cast<const std::uint8_t*>(s) : e;
      if (j >= keyFields) {
        const std::uint32_t v = j - keyFields;
        if (v >= count) break;
        if (args.count) {
          if (CellIsFilled(f, fe)) cur[v].Add(1, 0);
        } else {
          const CellNumber c = ReadCellNumber(f, fe);
          if (c.overflow) cur[v].overflow = true;
          else cur[v].Add(c.mantissa, c.scale);
        }
      }
      if (!s) break;
      f = fe + 1;
    }
  }
  if (open) close(true);
  label = "Total";
  for (int k = 1; k < kf; ++k) label.append(1, sep).append("*");
  CsvWriteSumLine(out, label, grand.data(), count, args.flag);
  out.Drop(2);  // no line end after the grand-total line
  return !out.Failed();
}

}  // namespace csv
