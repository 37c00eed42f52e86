#include "csv/csv_totals.h"

#include <cstring>
#include <new>
#include <vector>

#include "csv/csv_cellnumber.h"
#include "csv/csv_headtail.h"
#include "csv/csv_lists.h"
#include "csv/csv_out.h"
#include "csv/csv_rows.h"
#include "csv/csv_scaled.h"

namespace csv {
namespace {

constexpr int kMaxColumns = 200;  // fields read of a row; columns listed
constexpr std::uint32_t kKeyBytes = 200;

struct Span {
  const std::uint8_t* p = nullptr;
  std::uint32_t n = 0;
  bool operator==(const Span& o) const { return n == o.n && (n == 0 || std::memcmp(p, o.p, n) == 0); }
};

// Field `column0` (0-based) of the row [b, e); empty past the row's fields.
Span FieldOf(const std::uint8_t* b, const std::uint8_t* e, std::uint32_t column0) {
  for (std::uint32_t k = 0; k < column0; ++k) {
    const void* s = std::memchr(b, CSV_FIELD_SEP, static_cast<std::size_t>(e - b));
    if (!s) return Span{e, 0};
    b = static_cast<const std::uint8_t*>(s) + 1;
  }
  const void* s = std::memchr(b, CSV_FIELD_SEP, static_cast<std::size_t>(e - b));
  const std::uint8_t* f = s ? static_cast<const std::uint8_t*>(s) : e;
  return Span{b, static_cast<std::uint32_t>(f - b)};
}

void AddCell(ScaledSum& s, const CellNumber& c) {
  if (c.overflow) s.overflow = true;
  else s.Add(c.mantissa, c.scale);
}

class TotalsPass {
 public:
  TotalsPass(const std::uint8_t* t, int mode, std::uint32_t keyColumn0, const bool* summed, OutWriter& out)
      : t_(t), mode_(mode), key0_(keyColumn0), summed_(summed), out_(out) {}

  void Title(const RowSpan& r) {
    out_.Put(t_ + r.start, r.end - r.start);
    out_.Put("\x06Total\r\n", 8);
    n_ = FieldsOfRow(t_ + r.start, t_ + r.end);
  }

  void Row(const RowSpan& r) {
    const std::uint8_t* b = t_ + r.start;
    const std::uint8_t* e = t_ + r.end;
    Span key = FieldOf(b, e, key0_);
    if (key.n > kKeyBytes) key.n = kKeyBytes;
    if (!open_ || !(key == key_)) {
      if (open_) Close();
      open_ = true;
      ++groups_;
      groupRows_ = 0;
      groupOut_ = out_.Length();
      key_ = key;
    }
    ++groupRows_;
    last_ = r;
    const bool copy = mode_ != 3 || groupRows_ == 1;
    ScaledSum rowSum;
    std::uint32_t j = 0;
    for (const std::uint8_t* f = b;; ++j) {
      const void* s = std::memchr(f, CSV_FIELD_SEP, static_cast<std::size_t>(e - f));
      const std::uint8_t* fe = s ? static_cast<const std::uint8_t*>(s) : e;
      if (j >= 1 && j < kMaxColumns && summed_[j + 1]) {
        if (mode_ == 2) {
          const int c = CellIsFilled(f, fe) ? 1 : 0;
          group_[j].Add(c, 0);
          grand_[j].Add(c, 0);
          rowSum.Add(c, 0);
        } else {
          const CellNumber c = ReadCellNumber(f, fe);
          AddCell(group_[j], c);
          AddCell(grand_[j], c);
          AddCell(rowSum, c);
        }
      }
      if (!s) break;
      f = fe + 1;
    }
    if (j + 1 > n_) n_ = j + 1;
    if (!copy) return;
    out_.Put(b, r.end - r.start);
    line_.assign(1, static_cast<char>(CSV_FIELD_SEP));
    AppendScaledSum(&line_, rowSum);
    line_.append("\r\n");
    out_.Put(line_);
  }

  // The end of the table: the last run is closed (mode 1 only when there
  // was more than one key), then the grand-total row.
  void Finish() {
    if (open_ && (mode_ == 3 || groups_ > 1)) Close();
    line_.assign("Total*");
    ScaledSum all;
    for (std::uint32_t j = 1; j < n_; ++j) {
      line_.push_back(static_cast<char>(CSV_FIELD_SEP));
      if (Summed(j)) {
        AppendScaledSum(&line_, grand_[j]);
        all.Add(grand_[j]);
      } else {
        line_.append("--");
      }
    }
    line_.push_back(static_cast<char>(CSV_FIELD_SEP));
    AppendScaledSum(&line_, all);
    out_.Put(line_);
  }

 private:
  bool Summed(std::uint32_t j) const { return j >= 1 && j < kMaxColumns && summed_[j + 1]; }

  // Ends the open run: mode 1 writes its subtotal row; mode 3 replaces a
  // run of several rows by its merged row.
  void Close() {
    const bool write = mode_ == 1 || (mode_ == 3 && groupRows_ > 1);
    if (write) {
      if (mode_ == 3) out_.Drop(out_.Length() - groupOut_);
      const std::uint8_t* b = t_ + last_.start;
      const std::uint8_t* e = t_ + last_.end;
      line_.clear();
      ScaledSum all;
      for (std::uint32_t j = 0; j < n_; ++j) {
        if (j) line_.push_back(static_cast<char>(CSV_FIELD_SEP));
        if (Summed(j)) {
          AppendScaledSum(&line_, group_[j]);
          all.Add(group_[j]);
        } else if (j == 0 && mode_ == 1) {
          line_.append("total");
        } else {
          const Span f = FieldOf(b, e, j);
          line_.append(reinterpret_cast<const char*>(f.p), f.n);
        }
      }
      line_.push_back(static_cast<char>(CSV_FIELD_SEP));
      AppendScaledSum(&line_, all);
      line_.append("\r\n");
      out_.Put(line_);
    }
    for (auto& g : group_) g.Clear();
  }

  const std::uint8_t* t_;
  const int mode_;
  const std::uint32_t key0_;
  const bool* summed_;
  OutWriter& out_;
  std::uint32_t n_ = 1;
  bool open_ = false;
  std::uint32_t groups_ = 0, groupRows_ = 0, groupOut_ = 0;
  Span key_;
  RowSpan last_{0, 0, 0};
  ScaledSum group_[kMaxColumns], grand_[kMaxColumns];
  std::string line_;
};

}  // namespace

int CsvTotals(Table& table, int mode, int keyColumn, const std::string& operand, OpHost* host) {
  if (mode < 0 || mode > 3) mode = 0;
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  const std::uint32_t key0 = keyColumn > 1 ? static_cast<std::uint32_t>(keyColumn - 1) : 0;
  std::uint32_t headLines = 0;
  try {
    bool summed[kMaxColumns + 1] = {};
    const std::string list = CsvTrimListText(operand.substr(0, operand.find('\0')));
    if (list.empty()) {
      for (bool& s : summed) s = true;
    } else {
      std::uint32_t entries[kMaxColumns + 1] = {};
      const int got = CsvParseIndexList(list, table.m_nFieldCount, kMaxColumns, entries);
      for (int k = 0; k < got; ++k) {
        if (entries[k] >= 1 && entries[k] <= kMaxColumns) summed[entries[k]] = true;
      }
      if (mode == 3) {
        if (key0 + 1 <= kMaxColumns) summed[key0 + 1] = false;
      } else {
        summed[1] = true;
      }
    }
    std::vector<RowSpan> rows;
    OutWriter out;
    if (!SplitRows(t, n, &rows) || !out.Reserve(static_cast<std::uint64_t>(n) + n / 4 + 4096))
      return ReportOpFailure(host, kTotalsOutput);
    const HeadTail ht = FindHeadTail(t, rows, n, table.m_nCurLine);
    headLines = ht.headLines;
    // The head and the tail, held aside while the table is rewritten.
    OutWriter saved;
    if (!saved.Reserve(static_cast<std::uint64_t>(ht.headEnd) + (n - ht.tailStart) + 1) ||
        !saved.Put(t, ht.headEnd) || !saved.Put(t + ht.tailStart, n - ht.tailStart))
      return ReportOpFailure(host, kTotalsSaveArea);
    TotalsPass pass(t, mode, key0, summed, out);
    if (ht.firstRow < ht.endRow) {
      const RowSpan& title = rows[ht.firstRow];
      pass.Title(title);
    } else {
      out.Put("\x06Total\r\n", 8);
    }
    for (std::uint32_t r = ht.firstRow + 1; r < ht.endRow && !out.Failed(); ++r) pass.Row(rows[r]);
    pass.Finish();
    if (out.Failed()) return ReportOpFailure(host, kTotalsOutput);
    OutWriter whole;
    const std::uint64_t size = static_cast<std::uint64_t>(saved.Length()) + out.Length();
    if (!whole.Reserve(size + 1) || !whole.Put(saved.Data(), ht.headEnd) || !whole.Put(out.Data(), out.Length()) ||
        !whole.Put(saved.Data() + ht.headEnd, saved.Length() - ht.headEnd))
      return ReportOpFailure(host, kTotalsReplace);
    if (!whole.InstallInto(table, 16)) return ReportOpFailure(host, kTotalsReplace);
  } catch (const std::bad_alloc&) {
    return ReportOpFailure(host, kTotalsOutput);
  }
  table.Rescan();
  table.m_nCurLine = headLines + 1;
  return kOpOk;
}

}  // namespace csv
