// The scanner that builds the CSV block index (and, in mode 0, copies the
// text into the working buffer).
//
// One pass, byte by byte. Bytes at or past `length` read as NUL. In mode 0 the
// copy keeps one byte of the capacity for the terminating NUL, and every write
// (quote closing, filling) goes through Put(), which refuses past that limit.
// Offsets of the index are positions in the buffer the readers use: in mode 0
// those of m_pTextBuf, which differ from the source once a quote was closed or
// a row filled; a block's title row lies ahead of the scan when the block is
// registered, so its output offset is taken when the scan reaches that row.
//
// Following a pass (BuildCsvIndexFollowing), the text before `ready_` is
// final and ends after a LF. The scan reads the current row and the next
// one, so before it looks past a row end it waits until the next row and
// the byte after its first are final; a block title is looked up over up to 999 rows ahead, so before
// that it waits for enough LFs. Every search is bounded by `ready_`, which
// holds a row end at ready_ - 1, so the results equal those of a whole text.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "csv/csv_fastscan.h"
#include "csv/csv_index.h"

namespace csv {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// LFs a block title lookup may pass (it looks at up to 999 rows, and at the
// first byte after the last), with one to spare.
constexpr int kTitleLookAhead = 1001;

std::uint32_t NextIndexGeneration() {
  static std::atomic<std::uint32_t> generation{0};
  std::uint32_t g = ++generation;
  if (g == 0) g = ++generation;
  return g;
}

bool IsRowEnd(std::uint8_t c) { return c == '\r' || c == '\n' || c == 0; }

bool Overlaps(const std::uint8_t* a, std::uint32_t an, const std::uint8_t* b, std::uint32_t bn) {
  if (a == nullptr || b == nullptr || an == 0 || bn == 0) return false;
  auto pa = reinterpret_cast<std::uintptr_t>(a), pb = reinterpret_cast<std::uintptr_t>(b);
  return pa < pb + bn && pb < pa + an;
}

class Scanner {
 public:
  Scanner(TableFields& v, const std::uint8_t* text, std::uint32_t length, int mode, int pad,
          const IndexFollow* follow = nullptr)
      : v_(v), t_(text), n_(length), copy_(mode == kCsvScanCopy), pad_(copy_ ? pad : 0),
        follow_(copy_ ? nullptr : follow), ready_(follow_ ? 0 : length) {
    if (copy_ && v.m_pTextBuf != nullptr && v.m_nWorkSize > 0) {
      out_ = v.m_pTextBuf;
      limit_ = v.m_nWorkSize - 1;
    }
    if (mode == kCsvScanClearSecond) v_.m_aSecRow[2] = 0;
  }

  std::int32_t Run(std::uint32_t* outLength, std::uint32_t* outMaxColumns);
  bool Abandoned() const { return abandoned_; }

 private:
  // Following a pass: waits until the byte at `need` is final (or the whole
  // text is). False when the pass gave up.
  bool Gate(std::uint64_t need) {
    if (need < ready_ || ready_ >= n_) return true;
    if (!abandoned_ && follow_->wait(follow_->context, need, &ready_)) {
      ready_ = std::min(ready_, n_);
      if (ready_ > need || ready_ == n_) return true;
    }
    abandoned_ = true;
    return false;
  }
  // Waits until [from, ready_) holds `lines` LFs or the whole text is final.
  bool GateLines(std::uint32_t from, int lines) {
    std::uint32_t at = from;
    for (int seen = 0; seen < lines && ready_ < n_;) {
      const void* lf = at < ready_ ? std::memchr(t_ + at, '\n', ready_ - at) : nullptr;
      if (lf != nullptr) {
        at = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(lf) - t_) + 1;
        ++seen;
      } else if (!Gate(ready_)) {
        return false;
      }
    }
    return true;
  }

  std::uint8_t At(std::uint64_t i) const { return i < n_ ? t_[i] : 0; }
  // Position in the readers' buffer that corresponds to source position p_.
  std::uint32_t Here() const { return copy_ ? o_ : p_; }

  bool Put(std::uint8_t c) {
    if (o_ < limit_) {
      out_[o_++] = c;
      return true;
    }
    full_ = true;
    return false;
  }
  void PutNumber(std::uint32_t n) {
    char digits[12];
    int k = 0;
    do {
      digits[k++] = static_cast<char>('0' + n % 10);
      n /= 10;
    } while (n != 0);
    while (k > 0) Put(static_cast<std::uint8_t>(digits[--k]));
  }
  void CloseQuote() {
    if (!inQuote_) return;
    if (o_ > 0 && out_[o_ - 1] == '"')
      out_[o_ - 1] = ' ';
    else
      Put('"');
    inQuote_ = false;
  }

  // Scan only: past the first field nothing but 0x06 and the row ends can
  // change the state (a caret mark counts in the first field only, and the
  // separator that ends it clears the mark); in the first field also '^',
  // and '<' '>' after it. The scan moves straight to the next such byte, or
  // to the last byte, which ends the text.
  void SkipQuietBytes() {
    if (!skips_ || p_ + 1 >= n_) return;
    const std::size_t last = ready_ - 1;  // a row end, or the last byte
    if (f_ > 1) {
      // Past the first field a separator only counts: straight to the row
      // end (or the last byte), with the separators on the way counted.
      std::uint32_t seps = 0;
      p_ = static_cast<std::uint32_t>(FindRowEndCountingSeparators(t_, p_, last, &seps));
      f_ += seps;
      return;
    }
    static const std::uint8_t kFirstField[] = {CSV_FIELD_SEP, '\r', '\n', 0, '^', '<', '>'};
    p_ = static_cast<std::uint32_t>(FindFirstOfSet(t_, p_, last, kFirstField, caret_ ? 7 : 5));
  }

  // Scan only, at a row start among the data rows of a block (state 3, no
  // marks pending, the column count settled): a row that only counts (it
  // starts with neither '~' nor '!', has no '^' and no NUL, enough fields
  // not to end the data, and a CR or LF end) changes nothing but the row
  // numbers, when the row after it is such a row too (steps 7-13 look at
  // that row's first bytes and its first field). Such runs are passed in
  // bulk; the last row of a run is scanned as usual.
  void SkipPlainRun() {
    if (!skips_ || s_ != 3 || gtMark_ || caret_ || N_ < 10 || f_ != 1 || row_ <= T_ + 1 || p_ >= ready_) return;
    std::uint32_t rows = 0;
    const std::size_t next = SkipPlainRows(t_, p_, ready_, K_ <= 2 ? 1 : 2, &rows);
    p_ = static_cast<std::uint32_t>(next);
    row_ += rows;
    N_ += rows;
  }

  void SetTitle(std::uint32_t block, std::uint32_t srcOffset);
  void ResolveTitles();
  void RegisterBlock();
  void DataEndSearch(std::uint8_t x, std::uint8_t y, bool textEnds);
  void FinishIndex();

  TableFields& v_;
  const std::uint8_t* t_;
  std::uint32_t n_;
  bool copy_;
  bool skips_ = !copy_ && FastScansOn();  // scan only, fast paths on
  int pad_;
  const IndexFollow* follow_;
  std::uint32_t ready_;  // bytes before it are final
  bool abandoned_ = false;
  std::uint8_t* out_ = nullptr;
  std::uint32_t limit_ = 0;  // bytes that may be written before the NUL
  std::uint32_t o_ = 0;      // bytes written
  bool full_ = false;

  std::uint32_t p_ = 0;  // source position
  std::uint32_t b_ = 1;  // block number
  int s_ = 1;            // block state
  std::uint32_t row_ = 0, f_ = 1, K_ = 0, M_ = 0, N_ = 0, T_ = 0, W_ = 0;
  std::uint32_t R_ = 0, P_ = 0;
  bool inQuote_ = false, caret_ = false, gtMark_ = false;
  std::uint32_t rowStartSrc_ = 0, rowStartOut_ = 0;
  bool rowCounted_ = false;

  // Titles whose output offset is still to be taken (mode 0): blocks in
  // order of registration; their title rows come in the same order.
  std::uint32_t pendingSrc_[MAX_CSV_BLOCKS];
  std::uint32_t queue_[MAX_CSV_BLOCKS];
  std::uint32_t qHead_ = 0, qTail_ = 0;
  bool endFound_[MAX_CSV_BLOCKS] = {};
};

void Scanner::SetTitle(std::uint32_t block, std::uint32_t srcOffset) {
  if (!copy_) {
    v_.m_aSecOffset[block] = srcOffset;
    return;
  }
  if (srcOffset == p_) {
    v_.m_aSecOffset[block] = o_;
    pendingSrc_[block] = kNone;
    return;
  }
  pendingSrc_[block] = srcOffset;
  v_.m_aSecOffset[block] = o_ + (srcOffset - p_);  // estimate until reached
  queue_[qTail_++] = block;
}

// Called at each row start of mode 0.
void Scanner::ResolveTitles() {
  while (qHead_ < qTail_) {
    std::uint32_t blk = queue_[qHead_];
    std::uint32_t src = pendingSrc_[blk];
    if (src != kNone && src > rowStartSrc_) return;
    if (src == rowStartSrc_) v_.m_aSecOffset[blk] = rowStartOut_;
    pendingSrc_[blk] = kNone;
    ++qHead_;
  }
}

void Scanner::RegisterBlock() {
  if (b_ + 1 >= static_cast<std::uint32_t>(MAX_CSV_BLOCKS)) {
    // The index has no entry for this block: its rows stay unindexed rows
    // after the last block.
    v_.m_nScanNotes |= kCsvScanBlockLimit;
    return;
  }
  if (!GateLines(p_, kTitleLookAhead)) return;
  ++b_;
  v_.m_aSecRow[b_] = row_ + 1;
  v_.m_aSecScanPos[b_] = Here();
  std::uint32_t off = p_;
  int r = LineToOffset(v_, t_, n_, &off, kLineBlockTitle, static_cast<int>(row_));
  T_ = static_cast<std::uint32_t>(r) + 1;
  v_.m_aSecLine[b_] = T_;
  SetTitle(b_, off);
  W_ = CountRowFields(t_, n_, off);
  v_.m_aSecFields[b_] = W_;
  endFound_[b_] = false;
}

void Scanner::DataEndSearch(std::uint8_t x, std::uint8_t y, bool textEnds) {
  const std::uint8_t L = At(rowStartSrc_);
  const std::uint32_t here = Here();
  const std::uint32_t before = here > 0 ? here - 1 : 0;
  // A "$^" line after the data end lets the data rows go on.
  if (f_ >= K_ && s_ == 4 && L != '~' && L != '!' && !textEnds && !gtMark_) {
    s_ = 3;
    R_ = 0;
  }
  if (s_ != 3) return;
  bool candidate = false;
  if (gtMark_) {
    candidate = true;
  } else {
    bool marker = x == '!' && (y == '$' || y == '%' || y == '*' || y == '#');
    bool ordinary = x != '~' && !marker && !textEnds;
    if (!(ordinary && (f_ >= 3 || (f_ == 2 && K_ <= 2)))) {
      candidate = true;
      if (f_ == 3 && K_ > 2) {
        if (x == '!') {
          R_ = row_ - 1;
          P_ = rowStartOut_;
        } else {
          R_ = row_;
          P_ = before;
        }
      } else if (f_ == 1 && K_ == 1) {
        R_ = row_ + 1;
        P_ = here;
      } else if (((f_ <= 2 && K_ > 2) || f_ <= 1) && !textEnds && row_ > 5) {
        R_ = row_ - 1;
        P_ = rowStartOut_;
      } else {
        R_ = row_;
        P_ = (x == '~' || x == '!') ? here : before;
      }
    }
  }
  if (candidate && R_ > 0) {
    s_ = (x == '!' && (y == '$' || y == '%')) ? 5 : 4;
    if (b_ < static_cast<std::uint32_t>(MAX_CSV_BLOCKS)) {
      v_.m_aSecInfoA[b_] = R_;
      v_.m_aSecInfoB[b_] = P_;
      endFound_[b_] = true;
    }
  }
}

void Scanner::FinishIndex() {
  const std::uint32_t end = copy_ ? o_ : std::min(p_, n_);
  // Titles the copy never reached (truncated or short end) point at the end.
  while (qHead_ < qTail_) {
    std::uint32_t blk = queue_[qHead_++];
    if (pendingSrc_[blk] != kNone) v_.m_aSecOffset[blk] = end;
  }
  for (std::uint32_t k = 1; k <= b_; ++k) {
    // A block whose data end was not found has its data rows up to the end of
    // the text (rather than the data end of an earlier scan).
    if (!endFound_[k]) {
      v_.m_aSecInfoA[k] = row_;
      v_.m_aSecInfoB[k] = end;
    }
    if (copy_) {
      v_.m_aSecOffset[k] = std::min(v_.m_aSecOffset[k], end);
      v_.m_aSecScanPos[k] = std::min(v_.m_aSecScanPos[k], end);
      v_.m_aSecInfoB[k] = std::min(v_.m_aSecInfoB[k], end);
    }
  }
}

std::int32_t Scanner::Run(std::uint32_t* outLength, std::uint32_t* outMaxColumns) {
  std::fill(std::begin(pendingSrc_), std::end(pendingSrc_), kNone);
  v_.m_nScanNotes = 0;

  // Set-up: block 1.
  if (!GateLines(0, kTitleLookAhead)) return kIndexAbandoned;
  std::uint32_t off = 0;
  int r = LineToOffset(v_, t_, n_, &off, kLineBlockTitle, 0);
  T_ = static_cast<std::uint32_t>(r);
  v_.m_aSecLine[1] = T_ + 1;
  v_.m_aSecRow[1] = 1;
  v_.m_aSecScanPos[1] = 0;
  SetTitle(1, off);
  W_ = CountRowFields(t_, n_, off);
  v_.m_aSecFields[1] = W_;
  N_ = At(0) != '~' ? 1 : 0;

  if (n_ == 0) {
    row_ = 1;  // an empty text is one empty row
  } else {
    bool newRow = true;
    for (;;) {
      if (newRow) {
        SkipPlainRun();
        rowStartSrc_ = p_;
        rowStartOut_ = Here();
        rowCounted_ = false;
        newRow = false;
        if (copy_) ResolveTitles();
      }
      const std::uint32_t cpos = Here();
      const std::uint8_t c = t_[p_++];

      // 1. Title and data-end marks.
      if (f_ == 1 && caret_ && (c == '<' || c == '>')) {
        if (c == '<') {
          T_ = row_;
          v_.m_aSecLine[b_] = row_;
          v_.m_aSecOffset[b_] = rowStartOut_;
          pendingSrc_[b_] = kNone;
        } else {
          R_ = row_;
          P_ = cpos;
          gtMark_ = true;
        }
      } else if (c == '^') {
        caret_ = f_ == 1 ? !caret_ : false;
      }

      // 2. Copy.
      const bool atEnd = p_ >= n_;
      if (copy_) {
        if (c == '"') inQuote_ = !inQuote_;
        if (c == CSV_FIELD_SEP || IsRowEnd(c)) CloseQuote();
        if (c != 0) Put(c);
        if (atEnd) CloseQuote();  // the end of the text ends the field too
        if (full_) break;
      }

      // 3. Field and row ends.
      if (c == CSV_FIELD_SEP) {
        ++f_;
        caret_ = false;
        if (!atEnd) {
          SkipQuietBytes();
          continue;
        }
      } else if (!IsRowEnd(c)) {
        if (!atEnd) {
          SkipQuietBytes();
          continue;
        }
      }

      // 4. A row ended.
      ++row_;
      rowCounted_ = true;
      newRow = true;

      // 5. Filling short rows.
      if (pad_ >= 1 && f_ < static_cast<std::uint32_t>(pad_)) {
        const bool endWritten = c == '\r' || c == '\n';
        if (endWritten) --o_;
        for (std::uint32_t col = f_ + 1; col <= static_cast<std::uint32_t>(pad_) && !full_; ++col) {
          Put(CSV_FIELD_SEP);
          if (row_ == 1) {
            Put('A');
            PutNumber(col);
          }
        }
        if (endWritten) Put(c);
        f_ = static_cast<std::uint32_t>(pad_) + 1;
        if (full_) break;
      }

      // 6. Column count from the first nine non-comment lines of the block.
      if (f_ > K_ && At(rowStartSrc_) != '~' && N_ < 10 && row_ >= T_) {
        K_ = std::min(f_, W_);
        M_ = std::max(M_, K_);
      }

      // 7. A next line ending in "$^".
      {
        std::uint64_t q = std::uint64_t(p_) + 1;
        // Steps 7-13 read the next row and the two bytes at its start (past a
        // CR LF, which step 8 steps over).
        if (!Gate(q + 1)) break;
        if (q < n_) q = FindControlByte(t_, static_cast<std::size_t>(q), ready_);
        if (q >= 2 && At(q - 2) == '$' && At(q - 1) == '^') f_ = K_ + 3;
      }

      // 8. CR LF is one row end.
      if (c == '\r' && At(p_) == '\n') {
        ++p_;
        if (copy_) {
          Put('\n');
          if (full_) break;
        }
      }

      // 9. The next line.
      const std::uint8_t x = At(p_), y = At(std::uint64_t(p_) + 1);
      const bool textEnds = x == 0;
      if (x != '~') ++N_;

      // 10. Data end and marker lines.
      DataEndSearch(x, y, textEnds);
      if (x == '!' && (y == '$' || y == '%')) s_ = 5;
      f_ = 1;

      // 11. Block start.
      if (x == '!' && (y == '#' || y == '*')) {
        if (s_ > 2) RegisterBlock();
        if (abandoned_) break;
        s_ = 1;
        K_ = 0;
        N_ = 0;
      }

      // 12. Title row reached / passed.
      if (row_ == T_) s_ = 2;
      if (row_ == T_ + 1) s_ = 3;

      // 13. A final line of fewer than two bytes is left out.
      if ((c == '\r' || c == '\n') && (x == 0 || y == 0 || std::uint64_t(p_) + 2 > n_) && K_ > 3) {
        if (x != 0) v_.m_nScanNotes |= kCsvScanShortEnd;
        break;
      }

      // 14. Loop tail.
      if (p_ >= n_ || c == 0) break;
    }
    if (full_) {
      v_.m_nScanNotes |= kCsvScanTruncated;
      // The row the copy stopped in counts when any of it was written.
      if (!rowCounted_ && o_ > rowStartOut_) ++row_;
    }
  }

  if (abandoned_) return kIndexAbandoned;
  if (copy_ && out_ != nullptr) out_[o_] = 0;
  FinishIndex();
  *outLength = copy_ ? o_ : 0;
  *outMaxColumns = M_;
  v_.m_nLastRow = static_cast<std::int32_t>(row_) - 1;
  v_.m_aSecRow[0] = b_;
  v_.m_bScanDone = 1;
  return v_.m_nLastRow;
}

}  // namespace

std::int32_t BuildCsvIndex(TableFields& v, const std::uint8_t* text, std::uint32_t length,
                           std::uint32_t* outLength, std::uint32_t* outMaxColumns, int mode,
                           int padColumns) {
  std::uint32_t lenDummy = 0, maxDummy = 0;
  if (outLength == nullptr) outLength = &lenDummy;
  if (outMaxColumns == nullptr) outMaxColumns = &maxDummy;
  *outLength = 0;
  if (text == nullptr) length = 0;
  // A mode 0 copy writes ahead of what it reads (closing quotes, filling):
  // a source inside the destination is copied aside first.
  std::vector<std::uint8_t> aside;
  if (mode == kCsvScanCopy && Overlaps(text, length, v.m_pTextBuf, v.m_nWorkSize)) {
    aside.assign(text, text + length);
    text = aside.data();
  }
  v.m_nIndexGeneration = NextIndexGeneration();
  Scanner s(v, text, length, mode, padColumns);
  return s.Run(outLength, outMaxColumns);
}

std::int32_t BuildCsvIndexFollowing(TableFields& v, const std::uint8_t* text, std::uint32_t length,
                                    std::uint32_t* outMaxColumns, const IndexFollow& follow) {
  std::uint32_t lenDummy = 0, maxDummy = 0;
  if (outMaxColumns == nullptr) outMaxColumns = &maxDummy;
  if (text == nullptr) length = 0;
  static_assert(kIndexAbandoned < -1, "the abandoned mark is no row number");
  Scanner s(v, text, length, kCsvScanOnly, -1, &follow);
  const std::int32_t last = s.Run(&lenDummy, outMaxColumns);
  if (s.Abandoned()) return kIndexAbandoned;
  v.m_nIndexGeneration = NextIndexGeneration();
  return last;
}

bool SameBlockIndex(const TableFields& a, const TableFields& b) {
  return a.m_nLastRow == b.m_nLastRow && a.m_nScanNotes == b.m_nScanNotes && a.m_nFieldCount == b.m_nFieldCount &&
         std::memcmp(a.m_aSecOffset, b.m_aSecOffset, sizeof a.m_aSecOffset) == 0 &&
         std::memcmp(a.m_aSecLine, b.m_aSecLine, sizeof a.m_aSecLine) == 0 &&
         std::memcmp(a.m_aSecRow, b.m_aSecRow, sizeof a.m_aSecRow) == 0 &&
         std::memcmp(a.m_aSecScanPos, b.m_aSecScanPos, sizeof a.m_aSecScanPos) == 0 &&
         std::memcmp(a.m_aSecInfoA, b.m_aSecInfoA, sizeof a.m_aSecInfoA) == 0 &&
         std::memcmp(a.m_aSecInfoB, b.m_aSecInfoB, sizeof a.m_aSecInfoB) == 0 &&
         std::memcmp(a.m_aSecFields, b.m_aSecFields, sizeof a.m_aSecFields) == 0;
}

}  // namespace csv
