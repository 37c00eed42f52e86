#include "csv/csv_valuelist.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <thread>

#include "csv/csv_cellbreaks.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TABRYE_VALUELIST_SSE2 1
#endif

namespace csv {

namespace {

constexpr std::uint8_t kSep = 0x06;
constexpr int kCountAt = 100;  // bytes 100-107: count, 108: NUL, 109: mark
constexpr int kMarkAt = 109;
constexpr int kCountMax = 99999999;  // what 8 characters show
constexpr std::size_t kHashSlots = 4096;  // power of two, over twice the records
// Buffers of this size or more are counted in pieces on up to that many threads.
constexpr std::size_t kValueThreadedBytes = 4u << 20;
constexpr std::size_t kValueMaxThreads = 4;

[[maybe_unused]] bool IsLineEnd(std::uint8_t c) { return c == '\r' || c == '\n' || c == 0; }

// A value's bytes for the lookup: the first 16 in two words (the bytes
// past the value zero) and its length. Values up to 16 bytes compare by
// their key alone.
struct ValueKey {
  std::uint64_t w0 = 0, w1 = 0;
  std::uint32_t n = 0;
};
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the key keeps a value's first bytes in its low bytes");

inline std::uint64_t FirstBytes(std::uint64_t w, std::size_t n) { return n >= 8 ? w : w & ((1ull << (8 * n)) - 1); }

// `v` has at least 16 readable bytes.
inline ValueKey KeyOf(const char* v, std::size_t n) {
  ValueKey k;
  std::uint64_t a, b;
  std::memcpy(&a, v, 8);
  std::memcpy(&b, v + 8, 8);
  k.w0 = FirstBytes(a, n);
  k.w1 = n > 8 ? FirstBytes(b, n - 8) : 0;
  k.n = static_cast<std::uint32_t>(n);
  return k;
}

inline std::size_t SlotOf(const ValueKey& k, const char* v) {
  std::uint64_t h = (k.w0 * 0x9E3779B97F4A7C15ull) ^ (k.w1 * 0xC2B2AE3D27D4EB4Full) ^ k.n;
  for (std::size_t i = 16; i < k.n; ++i) h = (h ^ static_cast<std::uint8_t>(v[i])) * 0x100000001B3ull;
  h ^= h >> 29;
  return static_cast<std::size_t>((h * 0xBF58476D1CE4E5B9ull) >> 40) & (kHashSlots - 1);
}

inline bool SameValue(const ValueKey& a, const ValueKey& b, const char* recordText, const char* v) {
  return a.w0 == b.w0 && a.w1 == b.w1 && a.n == b.n &&
         (a.n <= 16 || std::memcmp(recordText + 16, v + 16, a.n - 16) == 0);
}

}  // namespace

bool IsValueLeadByte(std::uint8_t c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC); }

namespace {

// The end of a value read: a lead byte cut from its trail byte goes, then a
// trailing quote not preceded by another. Returns the new length.
inline std::size_t TrimValue(const char* v, std::size_t n) {
  // Only a lead byte at the end can be one without its trail byte.
  if (n > 0 && IsValueLeadByte(static_cast<std::uint8_t>(v[n - 1]))) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!IsValueLeadByte(static_cast<std::uint8_t>(v[i]))) continue;
      if (i + 1 == n) {
        --n;
        break;
      }
      ++i;
    }
  }
  if (n >= 2 && v[n - 1] == '"' && v[n - 2] != '"') --n;
  return n;
}

// The value of one field into `out` (room for kValueTextMax bytes); its
// length. ReadListValue's reading, without a string per row.
std::size_t ReadValueInto(const std::uint8_t* field, const std::uint8_t* end, std::size_t limit, bool cellCodes,
                          char* out) {
  if (field >= end) {
    std::memcpy(out, "NULL", 4);
    return 4;
  }
  std::size_t n = 0;
  const std::uint8_t* p = field;
  if (*p == '"') {
    // An opening quote is skipped unless another quote or a control byte
    // (or the field's end) follows; a break code is cell text, not a control.
    const bool keep = p + 1 >= end || p[1] == '"' || (p[1] < 0x20 && !(cellCodes && IsCellBreakCode(p[1])));
    if (keep) out[n++] = '"';
    ++p;
  }
  for (; p < end && n < limit; ++p) {
    const std::uint8_t b = *p;
    if (cellCodes && IsCellBreakCode(b)) break;
    if (b >= 0x20) out[n++] = static_cast<char>(b);
  }
  return TrimValue(out, n);
}

// The separators (*sep) and line ends (*end: CR, LF, NUL) among the first
// `have` bytes at p (up to 64), one bit a byte.
inline void MarksOf64(const std::uint8_t* p, std::size_t have, std::uint64_t* sep, std::uint64_t* end) {
  std::uint8_t tail[64];
  if (have < 64) {
    // The last bytes, padded with a byte that marks nothing.
    std::memset(tail, ' ', sizeof tail);
    std::memcpy(tail, p, have);
    p = tail;
  }
  std::uint64_t s = 0, e = 0;
#if TABRYE_VALUELIST_SSE2
  const __m128i vs = _mm_set1_epi8(static_cast<char>(kSep)), cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const auto ek = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)), _mm_cmpeq_epi8(x, nul))));
    const auto sk = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, vs)));
    e |= static_cast<std::uint64_t>(ek) << (16 * k);
    s |= static_cast<std::uint64_t>(sk) << (16 * k);
  }
#else
  for (int k = 0; k < 64; ++k) {
    if (IsLineEnd(p[k])) e |= 1ull << k;
    if (p[k] == kSep) s |= 1ull << k;
  }
#endif
  if (have < 64) {
    const std::uint64_t keep = (1ull << have) - 1;
    s &= keep;
    e &= keep;
  }
  *sep = s;
  *end = e;
}

// Bits of `bits` below the lowest bit of `stop` (all of them without one).
inline std::uint64_t Below(std::uint64_t bits, std::uint64_t stop) {
  return stop ? bits & ((stop & (0 - stop)) - 1) : bits;
}

// The value of the field [begin, end) of `text` (`len` bytes) into `out`;
// its length. A short field of plain bytes (no control byte, no break code,
// no opening quote) is taken 16 bytes at a time.
inline std::size_t ReadField(const std::uint8_t* text, std::size_t len, std::size_t begin, std::size_t end,
                             std::size_t limit, bool cellCodes, char* out) {
#if TABRYE_VALUELIST_SSE2
  const std::size_t n = end - begin;
  if (n > 0 && n <= 16 && n <= limit && len - begin >= 16 && text[begin] != '"') {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + begin));
    // Control bytes (x <= 0x1F exactly where min(x, 0x1F) == x) and, when
    // they are breaks, 0x7F; 0x0E is a control byte already.
    unsigned special =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x1F)), x)));
    if (cellCodes)
      special |= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(kCellCr)))));
    if ((special & ((1u << n) - 1)) == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), x);
      return TrimValue(out, n);
    }
  }
#endif
  return ReadValueInto(text + begin, text + end, limit, cellCodes, out);
}

// What the value list reads: the buffer, the column, the bytes a value
// keeps, and whether 0x7F and 0x0E are in-cell breaks.
struct ValueRead {
  const std::uint8_t* text;
  std::size_t len;
  int column;
  std::size_t limit;
  bool cellCodes;
};

// Distinct values in order of first appearance with their counts, at most
// kValueRecords of them, looked up by a hash over their bytes. All its
// memory is taken when it is made, so that counting (on a thread of the
// pieces) never allocates.
class ValueCounter {
 public:
  ValueCounter() : slots_(kHashSlots, -1) {
    entries_.reserve(kValueRecords);
    texts_.reserve(static_cast<std::size_t>(kValueRecords) * kStride);
  }

  int Size() const { return static_cast<int>(entries_.size()); }
  const char* Text(int i) const { return texts_.data() + static_cast<std::size_t>(i) * kStride; }
  std::size_t Length(int i) const { return entries_[static_cast<std::size_t>(i)].key.n; }
  std::int64_t Count(int i) const { return entries_[static_cast<std::size_t>(i)].count; }

  // `count` more of the value v (`n` bytes, at least 16 readable). False,
  // with nothing added, when it is a new value and the table is full.
  bool Add(const char* v, std::size_t n, std::int64_t count) {
    const ValueKey key = KeyOf(v, n);
    std::size_t s = SlotOf(key, v);
    for (std::int32_t r; (r = slots_[s]) >= 0; s = (s + 1) & (kHashSlots - 1)) {
      Entry& e = entries_[static_cast<std::size_t>(r)];
      if (SameValue(e.key, key, Text(r), v)) {
        e.count += count;
        return true;
      }
    }
    if (Size() >= kValueRecords) return false;
    slots_[s] = Size();
    entries_.push_back(Entry{key, count});
    texts_.resize(texts_.size() + kStride, 0);
    std::memcpy(texts_.data() + texts_.size() - kStride, v, n);
    return true;
  }

 private:
  static constexpr std::size_t kStride = 112;  // a text and its zero bytes, over 16
  std::vector<std::int32_t> slots_;
  struct Entry {
    ValueKey key;
    std::int64_t count;
  };
  std::vector<Entry> entries_;  // 32 bytes: a lookup reads one line of them
  std::vector<char> texts_;
};

// Counts the values of the lines from `from` (a line start) up to `to`;
// `title`: the first of them is the title row. False when a value past the
// last record appeared (the count stops there). The lines are walked 64
// bytes at a time over their separators and line ends only; once a line's
// field is found, the separators after it up to the line's end are dropped
// from the walk.
bool CountLines(const ValueRead& r, std::size_t from, std::size_t to, bool title, ValueCounter* out) {
  constexpr std::size_t kNoPos = ~static_cast<std::size_t>(0);
  const std::uint8_t* const text = r.text;
  char v[kValueTextMax + 1] = {};
  // The current line: its start, its separators so far, its field's bounds.
  std::size_t line = from, fieldBegin = r.column == 0 ? from : kNoPos, fieldEnd = kNoPos;
  int seps = 0;
  // A line ends at q: its value is counted, and the next line starts.
  auto endLine = [&](std::size_t q, std::size_t next) {
    if (fieldBegin != kNoPos && fieldEnd == kNoPos) fieldEnd = q;
    // A line without separators has no cells to list (a blank line).
    const bool hasCell = fieldBegin != kNoPos && (seps > 0 || fieldBegin < fieldEnd);
    const std::size_t b = fieldBegin, e = fieldEnd;
    line = next;
    fieldBegin = r.column == 0 ? next : kNoPos;
    fieldEnd = kNoPos;
    seps = 0;
    if (title) {
      title = false;
      return true;
    }
    if (!hasCell) return true;
    const std::size_t n = ReadField(text, r.len, b, e, r.limit, r.cellCodes, v);
    return n == 0 || out->Add(v, n, 1);
  };
  bool skipFirst = false;  // bit 0 of this block is a line end taken with the one before
  for (std::size_t at = from; at < to; at += 64) {
    std::uint64_t sep, end;
    MarksOf64(text + at, to - at, &sep, &end);
    std::uint64_t walk = sep | end;
    if (skipFirst) walk &= ~1ull;
    skipFirst = false;
    if (fieldEnd != kNoPos) walk &= ~Below(sep, end & walk);
    while (walk) {
      const unsigned k = static_cast<unsigned>(__builtin_ctzll(walk));
      walk &= walk - 1;
      const std::size_t q = at + k;
      if ((sep >> k) & 1) {
        ++seps;
        if (fieldBegin != kNoPos) {
          // The field ends here; the rest of the line changes nothing.
          fieldEnd = q;
          walk &= ~Below(sep, end & walk);
        } else if (seps == r.column) {
          fieldBegin = q + 1;
        }
        continue;
      }
      // The line ends at q; a CR or LF right after a CR or LF goes with it.
      std::size_t next = q + 1;
      if (text[q] != 0 && next < to && (text[next] == '\r' || text[next] == '\n')) {
        ++next;
        if (k + 1 < 64) walk &= ~(1ull << (k + 1));
        else skipFirst = true;
      }
      if (!endLine(q, next)) return false;
    }
  }
  // A last line without a line end.
  return line >= to || endLine(to, to);
}

// A large buffer is counted in pieces on several threads, each piece from a
// line start after a LF, and the pieces' values are joined in order: a value
// first met in a later piece comes after every value of the pieces before,
// so the order of first appearance is the one-pass order. (Where a piece
// starts does not change which lines hold text: only an empty line can
// differ in how line ends pair up, and it lists nothing.) False when the
// buffer is not worth cutting, or when more values than the records hold
// appear: the one pass then finds where the count stops.
bool CountInPieces(const ValueRead& r, ValueCounter* out) {
  if (r.len < kValueThreadedBytes) return false;
  const unsigned cores = std::thread::hardware_concurrency();
  const std::size_t pieces = std::min<std::size_t>(cores ? cores : 1, kValueMaxThreads);
  if (pieces < 2) return false;
  std::vector<std::size_t> starts{0};
  for (std::size_t k = 1; k < pieces; ++k) {
    const std::size_t at = std::max(starts.back(), r.len / pieces * k);
    const void* lf = at < r.len ? std::memchr(r.text + at, '\n', r.len - at) : nullptr;
    if (!lf) break;
    starts.push_back(static_cast<std::size_t>(static_cast<const std::uint8_t*>(lf) - r.text) + 1);
  }
  starts.push_back(r.len);
  const std::size_t count = starts.size() - 1;
  std::vector<ValueCounter> parts(count);
  std::vector<char> whole(count, 0);
  auto countPiece = [&](std::size_t k) { whole[k] = CountLines(r, starts[k], starts[k + 1], k == 0, &parts[k]); };
  std::vector<std::thread> helpers;
  helpers.reserve(count);
  std::size_t k = 1;
  for (; k < count; ++k) {
    try {
      helpers.emplace_back(countPiece, k);
    } catch (...) {
      break;  // no more threads: the rest is counted here
    }
  }
  countPiece(0);
  for (std::size_t j = k; j < count; ++j) countPiece(j);
  for (auto& h : helpers) h.join();
  for (std::size_t j = 0; j < count; ++j) {
    if (!whole[j]) return false;
    for (int i = 0; i < parts[j].Size(); ++i)
      if (!out->Add(parts[j].Text(i), parts[j].Length(i), parts[j].Count(i))) return false;
  }
  return true;
}

}  // namespace

std::string ReadListValue(const std::uint8_t* field, const std::uint8_t* end, int width, bool cellCodes) {
  char buf[kValueTextMax + 1];
  const std::size_t limit = static_cast<std::size_t>(std::clamp(width, 1, kValueTextMax));
  return std::string(buf, ReadValueInto(field, end, limit, cellCodes, buf));
}

void ValueTable::Build(const std::uint8_t* text, std::size_t len, int column, int width, bool cellCodes) {
  rec_.clear();
  overflow_ = false;
  if (!text || column < 0) return;
  const ValueRead read{text, len, column, static_cast<std::size_t>(std::clamp(width, 1, kValueTextMax)), cellCodes};
  ValueCounter values;
  if (!CountInPieces(read, &values)) {
    values = ValueCounter();
    overflow_ = !CountLines(read, 0, len, true, &values);
  }
  rec_.assign(static_cast<std::size_t>(values.Size()) * kValueRecordSize, 0);
  for (int i = 0; i < values.Size(); ++i) {
    std::memcpy(Rec(i), values.Text(i), values.Length(i));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%8d", static_cast<int>(std::min<std::int64_t>(values.Count(i), kCountMax)));
    std::memcpy(Rec(i) + kCountAt, buf, 8);
    Rec(i)[kCountAt + 8] = 0;
    Rec(i)[kMarkAt] = ' ';
  }
  if (overflow_) {
    // A new value after the 1000th: the last record says so.
    char* last = Rec(kValueRecords - 1);
    std::memset(last, 0, kCountAt);
    std::memcpy(last, kValueOverText, std::strlen(kValueOverText));
  }
}

std::string ValueTable::Text(int i) const {
  if (i < 0 || i >= Used()) return std::string();
  const char* r = Record(i);
  return std::string(r, strnlen(r, kCountAt));
}

int ValueTable::Count(int i) const {
  if (i < 0 || i >= Used()) return 0;
  return std::atoi(std::string(Record(i) + kCountAt, 8).c_str());
}

bool ValueTable::Marked(int i) const { return i >= 0 && i < Used() && Record(i)[kMarkAt] == '*'; }

void ValueTable::SetMark(int i, bool chosen) {
  if (i >= 0 && i < Used()) Rec(i)[kMarkAt] = chosen ? '*' : ' ';
}

void ValueTable::ClearMarks() {
  for (int i = 0; i < Used(); ++i) Rec(i)[kMarkAt] = ' ';
}

void ValueTable::Sort(int mode) {
  if (mode != kSortUp && mode != kSortDown && mode != kSortCount) return;
  std::vector<int> order(static_cast<std::size_t>(Used()));
  std::iota(order.begin(), order.end(), 0);
  const char* base = rec_.data();
  auto rec = [base](int i) { return reinterpret_cast<const unsigned char*>(base + static_cast<std::size_t>(i) * kValueRecordSize); };
  // Only the record's own 110 bytes are compared; equal records keep their
  // order (stable sort).
  if (mode == kSortCount) {
    std::stable_sort(order.begin(), order.end(), [&rec](int a, int b) {
      const int c = std::memcmp(rec(a) + kCountAt, rec(b) + kCountAt, kValueRecordSize - kCountAt);
      if (c != 0) return c > 0;
      return std::memcmp(rec(a), rec(b), kCountAt) > 0;
    });
  } else {
    const bool up = mode == kSortUp;
    std::stable_sort(order.begin(), order.end(), [&rec, up](int a, int b) {
      const int c = std::memcmp(rec(a), rec(b), kValueRecordSize);
      return up ? c < 0 : c > 0;
    });
  }
  std::vector<char> sorted(rec_.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    std::memcpy(sorted.data() + k * kValueRecordSize, Record(order[k]), kValueRecordSize);
  }
  rec_.swap(sorted);
}

std::string ValueTable::Line(int i) const {
  if (i < 0 || i >= Used()) return std::string();
  const char* r = Record(i);
  std::string line(r + kCountAt, 8);
  if (i == kValueRecords - 1) line[7] = ' ';
  line.push_back(r[kMarkAt]);
  line += "\t ";
  line += Text(i);
  return line;
}

std::vector<std::string> ValueTable::Lines() const {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(Used()));
  for (int i = 0; i < Used(); ++i) out.push_back(Line(i));
  return out;
}

std::string ValueTable::ItemCountText() const { return Full() ? std::string("Over") : std::to_string(Used()); }

int StepValueWidth(int width, int delta) {
  if (width >= kValueWidthStart) return 6;
  return std::clamp(width + delta, 1, 99);
}

std::string ConditionValueOfLine(const std::string& line) {
  const std::string v = line.size() > 11 ? line.substr(11) : std::string();
  return v == "NULL" ? v : "|" + v;
}

namespace {

bool EndsWith(const std::string& s, const std::string& t) {
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool StartsWith(const std::string& s, const std::string& t) { return s.compare(0, t.size(), t) == 0 && s.size() >= t.size(); }

int CountOf(const std::string& s, const char* t) {
  int n = 0;
  for (std::size_t at = s.find(t); at != std::string::npos; at = s.find(t, at + 2)) ++n;
  return n;
}

}  // namespace

std::string AddConditionValue(const std::string& c, const std::string& v, const std::string& initial) {
  if (c.size() < 3) return v;
  if (EndsWith(c, "||") || EndsWith(c, "&&")) return c + " " + v;
  if (EndsWith(c, "|| ") || EndsWith(c, "&& ")) return c + v;
  if (c == initial) return v;
  return c + " || " + v;
}

std::string RemoveConditionValue(const std::string& c, const std::string& v) {
  if (c == v) return std::string();
  if (EndsWith(c, " " + v)) {
    std::string r = c.substr(0, c.size() - v.size() - 1);
    if (EndsWith(r, " ||")) r.resize(r.size() - 3);
    return r;
  }
  if (StartsWith(c, v + " ")) {
    std::string r = c.substr(v.size() + 1);
    if (StartsWith(r, "|| ")) r.erase(0, 3);
    return r;
  }
  const std::string mid = " || " + v + " ";
  std::string r = c;
  for (std::size_t at = r.find(mid); at != std::string::npos; at = r.find(mid, at + 1)) r.replace(at, mid.size(), " ");
  return r;
}

int CountConditionJoiners(const std::string& c) { return CountOf(c, "||") + CountOf(c, "&&"); }

std::string ToggleValue(ValueTable& table, int i, const std::string& cond, const std::string& initial, bool* warn) {
  if (warn) *warn = false;
  if (i < 0 || i >= table.Used()) return cond;
  const std::string v = ConditionValueOfLine(table.Line(i));
  if (!table.Marked(i)) {
    table.SetMark(i, true);
    const std::string c = AddConditionValue(cond, v, initial);
    if (warn) *warn = CountConditionJoiners(c) >= kConditionJoinerWarn;
    return c;
  }
  table.SetMark(i, false);
  return RemoveConditionValue(cond, v);
}

}  // namespace csv
