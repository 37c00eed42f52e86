// Cell mode of the command-line function evaluator: the chain applied to
// every cell of a row and column range of the CSV table, the table rebuilt
// in one buffer that grows in bounded steps, then indexed again.
#include <algorithm>
#include <cstring>
#include <vector>

#include "csv/csv_fastscan.h"
#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "fw/alloc.h"
#include "macro/macro_cmdfunc_internal.h"
#include "macro/macro_fn_lines.h"
#include "macro/macro_host.h"
#include "macro/macro_state.h"

namespace macro {
namespace cmdfunc {
namespace {

// The walk's answer when the table changed under it (a defined function's
// body that edits the table), and what is reported then.
constexpr int kTableChanged = -2;
constexpr const char* kTableChangedText = "#function changed the table : ";

// Columns for which fill down remembers its last value.
constexpr int kFillDownColumns = 65536;

// Largest rebuilt table (the view's buffer sizes are 32-bit).
constexpr std::uint64_t kCellWorkLimit = 0x7FFFFFFFull - kCellMargin;

// Bytes a cell may grow by, from the last function of the line.
std::uint64_t GrowthPerCell(const CmdFuncEntry& e) {
  const int n = e.number;
  if (n == 5 || n == 20 || (n >= 27 && n <= 29) || n == 178) return 40;
  if (n == 39 || n == 40 || n == 51) return static_cast<std::uint64_t>(e.written.GetLength()) + 2;
  if (n == 38 || (n >= 54 && n <= 56)) return 10;
  // A wrapped cell gains a break a line and its padding lines.
  if (n == kFnMLL) return std::min<std::uint64_t>(static_cast<std::uint64_t>(e.operand > 0 ? e.operand : 0) / 1000, kVarResultBytes) + 16;
  const bool sized = (n >= 10 && n <= 12) || (n >= 17 && n <= 19) || n == 42 || n == 43 || n == 47 ||
                     (n >= 81 && n <= 86);
  // A width past what one function result can hold is taken as that much:
  // the walk grows when a cell needs more, and a width of 2^31 over a small
  // table must not ask for 2 GiB before the first cell.
  if (sized && e.operand > 0) return std::min<std::uint64_t>(static_cast<std::uint64_t>(e.operand), kVarResultBytes) + 1;
  return 2;
}

// The rebuilt text: grows by `step` (at least what is asked) at most
// kCellGrowths times.
struct Work {
  std::uint8_t* p = nullptr;
  std::uint64_t len = 0, cap = 0, step = 0;
  int growths = 0;
  ~Work() { fw::Free(p); }

  bool Resize(std::uint64_t size) {
    if (size > kCellWorkLimit) return false;
    void* q = fw::Realloc(p, static_cast<std::size_t>(size));
    if (q == nullptr) return false;
    p = static_cast<std::uint8_t*>(q);
    cap = size;
    return true;
  }
  // Room for `need` more bytes and a NUL.
  bool Room(std::uint64_t need) {
    while (len + need + 1 > cap) {
      if (growths >= kCellGrowths) return false;
      ++growths;
      if (!Resize(cap + std::max(step, len + need + 1 - cap))) return false;
    }
    return true;
  }
  bool Put(const std::uint8_t* bytes, std::uint64_t n) {
    if (!Room(n)) return false;
    if (n) std::memcpy(p + len, bytes, static_cast<std::size_t>(n));
    len += n;
    return true;
  }
};

struct Walk {
  Walk(CmdFuncScope& s, const CmdFuncList& l, const csv::Table& table, int r1, int r2, int c1, int c2)
      : scope(s), list(l), t(table), a1(r1), a2(r2), a3(c1), a4(c2) {}
  CmdFuncScope& scope;
  const CmdFuncList& list;
  const csv::Table& t;
  int a1, a2, a3, a4;
  Work work;
  std::vector<std::uint8_t> scratch = std::vector<std::uint8_t>(kVarResultBytes + 1);
  std::vector<std::uint8_t> source;
  std::vector<std::uint8_t> cur;
  std::vector<int> fillDown;  // per column
  std::uint64_t cells = 0;
  bool progress = false;  // the LD family
  bool comments = false;  // the LF family also rewrites "~" lines
  // Measuring for "MLL": the cells are only counted (their lines at the
  // width of mllOperand), and the text copied as it is.
  bool measure = false;
  int mllOperand = 0;
  int mostLines = 0;
  std::vector<std::uint32_t> localPos;

  int MeasureWidth(int col) {
    const int width = mllOperand % 1000;
    if (width != 0 && width != 999) return width;
    if (col < 1 || col >= csv::kMaxPositionColumns) return 0;
    std::uint32_t* pos = scope.columnPos;
    int slots = scope.columnPosSlots;
    if (pos == nullptr || slots < 3) {
      if (localPos.empty()) localPos.assign(csv::kColumnPositionSlots, 0);
      pos = localPos.data();
      slots = csv::kColumnPositionSlots;
    }
    if (pos[0] == 0) csv::ComputeColumnWidths(t, scope.titleLine, pos, slots, 1, -1, 1, 1, csv::kWidthPlain);
    return static_cast<int>(csv::ColumnWidthAt(pos, slots, col));
  }

  // The chain over one cell, its result appended. False when the result
  // cannot be held (the cell is left out of the copy then).
  bool Cell(const std::uint8_t* cell, std::uint32_t len, int row, int col) {
    if (measure) {
      std::string text(reinterpret_cast<const char*>(cell), len);
      if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
      mostLines = std::max(mostLines, CellLineCount(text, MeasureWidth(col)));
      return work.Put(cell, len);
    }
    cur.assign(cell, cell + len);
    CellPlace place;
    place.outHead = work.p;
    place.outHeadLen = static_cast<std::uint32_t>(work.len);
    place.tablePos = static_cast<std::uint32_t>(cell - t.m_pTextBuf);
    // Fill down remembers, per column, where it last found a value.
    if (col >= 1 && col <= kFillDownColumns) {
      if (fillDown.size() < static_cast<std::size_t>(col)) fillDown.resize(static_cast<std::size_t>(col), 0);
      place.fillDown = &fillDown[static_cast<std::size_t>(col) - 1];
    }
    for (int k = 0; k + 1 < list.count; ++k) {
      const int got = RunEntry(scope, list.entries[k], reinterpret_cast<const char*>(cur.data()),
                               static_cast<int>(cur.size()), row, col, scratch.data(), kVarResultBytes, &source,
                               &place);
      cur.assign(scratch.data(), scratch.data() + got);
    }
    const CmdFuncEntry& last = list.entries[list.count - 1];
    for (;;) {
      place.outHead = work.p;  // the buffer may have moved while growing
      const std::uint64_t room = work.cap - work.len - 1;
      const int cap = static_cast<int>(std::min<std::uint64_t>(room, 0x7FFFFFF0ull));
      const int got = RunEntry(scope, last, reinterpret_cast<const char*>(cur.data()), static_cast<int>(cur.size()),
                               row, col, work.p + work.len, cap, &source, &place);
      if (got < cap || room > 0x7FFFFFF0ull) {
        // A NUL would end the table: the result ends before one.
        const void* nul = std::memchr(work.p + work.len, 0, static_cast<std::size_t>(got));
        std::uint64_t n = nul ? static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(nul) - (work.p + work.len))
                              : static_cast<std::uint64_t>(got);
        if (n > 0 && work.p[work.len + n - 1] == csv::CSV_FIELD_SEP) --n;
        work.len += n;
        return true;
      }
      // The result may have been cut: grow and run the last function again.
      if (!work.Room(room + 1)) return false;
    }
  }

  // Copies the rest of the text from `from` unchanged (one more allocation
  // when the steps are used up). False when memory is short.
  bool Rest(std::uint32_t from, std::uint32_t n) {
    const std::uint64_t need = n - from;
    if (work.len + need + 1 > work.cap && !work.Resize(work.len + need + 1)) return false;
    std::memcpy(work.p + work.len, t.m_pTextBuf + from, static_cast<std::size_t>(need));
    work.len += need;
    return true;
  }

  void TooMany() {
    CString text;
    if (!text.LoadFromTable(kStrTooManyReplacements)) text.Format("String %u", kStrTooManyReplacements);
    if (scope.host) scope.host->ReportMessage(2, text);
  }

  // 1 done, 0 stopped early (the rest copied), -1 no memory, kTableChanged.
  int Run() {
    const std::uint8_t* b = t.m_pTextBuf;
    const std::uint32_t n = t.UsedLength();
    const std::uint32_t generation = t.m_nIndexGeneration;
    const std::uint32_t blocks = std::min<std::uint32_t>(t.BlockCount(), csv::MAX_CSV_BLOCKS - 1);
    std::uint32_t blk = 1;
    std::uint32_t i = 0;
    for (long long row = 1; i < n && b[i] != 0; ++row) {
      const auto e = static_cast<std::uint32_t>(csv::FindFirstOf(b, i, n, '\r', '\n', 0, '\r'));
      std::uint32_t next = e;
      if (next < n && b[next] == '\r') ++next;
      if (next < n && b[next] == '\n') ++next;
      while (blk + 1 <= blocks && t.m_aSecRow[blk + 1] <= row) ++blk;
      const bool candidate = blk <= blocks && row > t.m_aSecLine[blk] && row <= t.m_aSecInfoA[blk] &&
                             (b[i] != '~' || comments);
      const bool inRows = row >= a1 && (a2 < 0 || row <= a2);
      if (!candidate || !inRows) {
        if (!work.Put(b + i, next - i)) return TooManyRest(i, n);
        i = next;
        continue;
      }
      std::uint32_t p = i;
      for (int col = 1;; ++col) {
        const void* sep = std::memchr(b + p, csv::CSV_FIELD_SEP, e - p);
        const std::uint32_t ce = sep ? static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(sep) - b) : e;
        if (col >= a3 && (a4 < 0 || col <= a4)) {
          const std::uint64_t before = work.len;
          const bool held = Cell(b + p, ce - p, static_cast<int>(row), col);
          // A defined function's body may have changed the table under the
          // walk: nothing more is read from it and nothing is written back.
          if (t.m_pTextBuf != b || t.m_nIndexGeneration != generation || t.UsedLength() != n) return kTableChanged;
          if (!held) {
            work.len = before;
            return TooManyRest(p, n);
          }
          ++cells;
          if (progress && cells % kProgressCells == 0 && scope.host) {
            CString done;
            done.Format("%dKbyte done", static_cast<int>(work.len / 1024));
            scope.host->SetStatusText(0, done);
            if (scope.host->CheckEscapeAbort()) return Rest(ce, n) ? 0 : -1;
          }
        } else if (!work.Put(b + p, ce - p)) {
          return TooManyRest(p, n);
        }
        if (ce >= e) break;
        if (!work.Put(b + ce, 1)) return TooManyRest(ce, n);
        p = ce + 1;
      }
      if (!work.Put(b + e, next - e)) return TooManyRest(e, n);
      i = next;
    }
    return 1;
  }

  int TooManyRest(std::uint32_t from, std::uint32_t n) {
    TooMany();
    return Rest(from, n) ? 0 : -1;
  }
};

bool EndsWithTwoLineEnds(const std::uint8_t* p, std::uint64_t n) {
  return n >= 4 && std::memcmp(p + n - 4, "\r\n\r\n", 4) == 0;
}

}  // namespace

int CellMode(CmdFuncScope& scope, const CmdFuncList& given, int a1, int a2, int a3, int a4) {
  if (scope.table == nullptr) return -1;
  // "MLL" gives every cell of the range as many lines as the cell that
  // needs the most: the range is measured first (at the width of the
  // function's operand), and 1000 x that count joins the operand.
  const CmdFuncList* chain = &given;
  CmdFuncList measured;
  for (int k = 0; k < given.count; ++k) {
    if (given.entries[k].number != kFnMLL || given.entries[k].operand < 0 || given.entries[k].operand >= 1000) continue;
    if (chain == &given) {
      measured = given;
      chain = &measured;
    }
    Walk m(scope, given, *scope.table, a1, a2, a3, a4);
    m.measure = true;
    m.mllOperand = given.entries[k].operand;
    if (!m.work.Resize(std::uint64_t(scope.table->UsedLength()) + kCellMargin) || m.Run() != 1) break;
    measured.entries[k].operand += 1000 * std::min(m.mostLines, 1000000);
  }
  const CmdFuncList& list = *chain;
  csv::Table& t = *scope.table;
  Walk w(scope, list, t, a1, a2, a3, a4);
  w.work.p = static_cast<std::uint8_t*>(fw::Alloc(1000));
  if (w.work.p == nullptr) {
    if (scope.host) scope.host->ReportMessage(kErrNoWorkBuffer, CString());
    return -1;
  }
  w.work.cap = 1000;
  const CmdFuncEntry& last = list.entries[list.count - 1];
  for (int k = 0; k < list.count; ++k) {
    w.progress = w.progress || list.entries[k].number == kFnLD;
    w.comments = w.comments || list.entries[k].number == kFnLF;
  }

  if (list.widthFlag > 0 && scope.columnPos != nullptr) {
    csv::ComputeColumnWidths(t, scope.titleLine, scope.columnPos, scope.columnPosSlots, a3, a4, a1, a2,
                             list.widthFlag - 1);
  }

  // The estimate, with the range clamped to the table first.
  const std::uint32_t n = t.UsedLength();
  const long long rowsAll = t.m_nLastRow + 1 > 0 ? t.m_nLastRow + 1 : 0;
  const long long colsAll = t.m_nFieldCount > 0 ? t.m_nFieldCount : 1;
  const long long r1 = std::max(a1, 1), r2 = a2 < 0 ? rowsAll : std::min<long long>(a2, rowsAll);
  const long long c1 = std::max(a3, 1), c2 = a4 < 0 ? colsAll : std::min<long long>(a4, colsAll);
  const std::uint64_t rows = r2 >= r1 ? static_cast<std::uint64_t>(r2 - r1 + 1) : 0;
  const std::uint64_t cols = c2 >= c1 ? static_cast<std::uint64_t>(c2 - c1 + 1) : 0;
  const std::uint64_t growth = GrowthPerCell(last);
  std::uint64_t step = rows * cols;  // at most 2^31 * 2^32
  step = step > kCellWorkLimit / growth ? kCellWorkLimit : step * growth;
  w.work.step = step;
  const std::uint64_t size = std::min<std::uint64_t>(std::uint64_t(n) + step + kCellMargin, kCellWorkLimit);
  if (!w.work.Resize(size)) {
    if (scope.host) scope.host->ReportMessage(kErrNoWorkBuffer, CString());
    return -1;
  }

  const bool endedTwice = EndsWithTwoLineEnds(t.m_pTextBuf, n);
  const int walked = w.Run();
  if (walked == kTableChanged) {
    if (scope.host) scope.host->ReportMessage(2, CString(kTableChangedText) + last.written);
    return -1;
  }
  if (walked < 0) {
    if (scope.host) scope.host->ReportMessage(kErrNoWorkBuffer, CString());
    return -1;
  }
  // A result that left an empty last line behind loses it.
  if (!endedTwice && EndsWithTwoLineEnds(w.work.p, w.work.len)) w.work.len -= 2;
  w.work.p[w.work.len] = 0;

  // The view's buffer: the new length and the margin, then indexed again
  // while the text is copied into it.
  const std::uint64_t viewSize = w.work.len + kCellMargin;
  void* q = viewSize <= 0xFFFFFFFFull ? fw::Realloc(t.m_pTextBuf, static_cast<std::size_t>(viewSize)) : nullptr;
  if (q == nullptr) {
    if (scope.host) scope.host->ReportMessage(kErrNoViewBuffer, CString());
    return -1;
  }
  t.m_pTextBuf = static_cast<std::uint8_t*>(q);
  t.m_nWorkSize = static_cast<std::uint32_t>(viewSize);
  std::uint32_t outLen = 0, outMax = 0;
  const auto len = static_cast<std::uint32_t>(w.work.len);
  // A result the copying scan can change nothing in (no double quote, comma
  // or NUL) is taken over as it is and indexed by the block-wise scan,
  // unless that scan would leave out a short last line.
  if (!std::memchr(w.work.p, '"', len) && !std::memchr(w.work.p, ',', len) && !std::memchr(w.work.p, 0, len)) {
    std::memcpy(t.m_pTextBuf, w.work.p, len);
    t.m_pTextBuf[len] = 0;
    t.m_nTextLen = len;
    csv::BuildCsvIndex(t, t.m_pTextBuf, len, &outLen, &outMax, csv::kCsvScanOnly, -1);
    if (!(t.m_nScanNotes & csv::kCsvScanShortEnd)) {
      t.m_nFieldCount = outMax;
      return 1;
    }
  }
  csv::BuildCsvIndex(t, w.work.p, len, &outLen, &outMax, csv::kCsvScanCopy, -1);
  t.m_nTextLen = outLen;
  t.m_nFieldCount = outMax;
  return 1;
}

}  // namespace cmdfunc
}  // namespace macro
