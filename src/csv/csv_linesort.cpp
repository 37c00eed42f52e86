// The row sort. Each data row gets one fixed-size record with its key (a
// numeric key whole, a text key as its first 8 bytes and where the rest lies)
// and its place among the sorted rows; the records are sorted once and the
// new text is written row by row from them into a new buffer, which replaces
// the old one only when everything needed was had.
#include "csv/csv_linesort.h"

#include <algorithm>
#include <cstring>

#include "csv/csv_fastscan.h"
#include "csv/csv_sortkey.h"
#include "fw/alloc.h"

namespace csv {
namespace {

// A numeric record: the 12 key bytes as two numbers, then the row.
struct NumRecord {
  std::uint64_t high;
  std::uint32_t low;
  std::uint32_t row;  // 0-based among the sorted rows
};

// A text record: the key's first 8 bytes (with its end), where the key lies
// in the text, its length and the row.
struct TextRecord {
  std::uint64_t prefix;
  std::uint32_t keyAt;
  std::uint32_t keyLen;
  std::uint32_t row;
};

static_assert(sizeof(NumRecord) == 16, "numeric record of 16 bytes");
static_assert(sizeof(TextRecord) <= 24, "text record of at most 24 bytes");

// Frees what it holds when the sort returns.
struct Blocks {
  void* list[6] = {};
  void* Take(void* p) {
    for (void*& slot : list)
      if (slot == nullptr) return slot = p;
    return p;
  }
  void* Release(void* p) {
    for (void*& slot : list)
      if (slot == p) slot = nullptr;
    return p;
  }
  ~Blocks() {
    for (void* p : list) fw::Free(p);
  }
};

// End of the row that starts at `p`: the first CR, LF or NUL, or `end`.
std::size_t RowEnd(const std::uint8_t* text, std::size_t p, std::size_t end) {
  return FindFirstOf(text, p, end, '\r', '\n', 0, '\r');
}

// Start of the next row after a row whose content ends at `e`: past CR LF,
// CR or LF; a NUL (or the end of the text) starts nothing after it.
std::size_t NextRow(const std::uint8_t* text, std::size_t e, std::size_t end) {
  if (e >= end || text[e] == 0) return e;
  if (text[e] == '\r' && e + 1 < end && text[e + 1] == '\n') return e + 2;
  return e + 1;
}

// Bytes of the line end before the next row's start `next` of a row that
// starts at `start`.
std::size_t LineEndBytes(const std::uint8_t* text, std::size_t start, std::size_t next) {
  if (next == start) return 0;
  const std::uint8_t last = text[next - 1];
  if (last == '\n') return next >= start + 2 && text[next - 2] == '\r' ? 2 : 1;
  return last == '\r' ? 1 : 0;
}

bool StopsRowsAfterTitle(const std::uint8_t* text, std::size_t p, std::size_t end) {
  const std::uint8_t x = p < end ? text[p] : 0;
  const std::uint8_t y = p + 1 < end ? text[p + 1] : 0;
  if (x == '~') return true;
  if (x == '!' && (y == '#' || y == '*' || y == '$' || y == '%')) return true;
  return x == 'X' && y != 'L';
}

// Start of the 0-based row `row` (rows end at CR LF, CR, LF or NUL, as the
// index counts them); false when the text has no such row.
bool FindRowStart(const std::uint8_t* text, std::size_t len, std::int64_t row, std::size_t* at) {
  std::size_t p = 0;
  for (std::int64_t r = 0; r < row; ++r) {
    const std::size_t e = RowEnd(text, p, len);
    const std::size_t next = NextRow(text, e, len);
    if (next == e) return false;
    p = next;
  }
  *at = p;
  return p < len;
}

// The 0-based rows [first, last] that are sorted; false when there is none.
bool SortedRows(const Table& t, const LineSortRequest& r, const std::uint8_t* text, std::size_t len,
                std::uint32_t* first, std::uint32_t* last) {
  const std::int64_t lastRow = t.m_nLastRow;
  std::int64_t a = 0, b = 0;
  if (r.block >= 0) {
    const std::int64_t block = r.block == 0 ? 1 : r.block;
    if (block >= MAX_CSV_BLOCKS || block > static_cast<std::int64_t>(t.BlockCount())) return false;
    a = static_cast<std::int64_t>(t.m_aSecLine[block]) + (r.firstRow > 0 ? r.firstRow : 0);
    b = static_cast<std::int64_t>(t.m_aSecInfoA[block]) - 1;
  } else {
    // From the row after the title line up to the row before the first mark
    // line ("!#", "!*", "!$", "!%", 'X' not followed by 'L', or '~').
    a = t.m_nCurLine;
    std::size_t p = 0;
    if (a > lastRow || !FindRowStart(text, len, a, &p)) return false;
    b = a - 1;
    while (b < lastRow && p < len && !StopsRowsAfterTitle(text, p, len)) {
      ++b;
      const std::size_t e = RowEnd(text, p, len);
      const std::size_t next = NextRow(text, e, len);
      if (next == e) break;
      p = next;
    }
  }
  if (b > lastRow) b = lastRow;
  if (a > b || b < 0) return false;
  *first = static_cast<std::uint32_t>(a);
  *last = static_cast<std::uint32_t>(b);
  return true;
}

int KeyColumn0(int key) {
  const std::int64_t k = key < 0 ? -static_cast<std::int64_t>(key) : key;
  return k > 0 ? static_cast<int>(k - 1) : 0;
}

template <typename Record, typename Less>
void SortRecords(Record* recs, std::uint32_t n, Less less) {
  std::sort(recs, recs + n, less);
}

}  // namespace

std::int64_t SortLines(Table& table, const LineSortRequest& request, CheckList* checks) {
  if (table.m_nLastRow <= 0 || table.m_pTextBuf == nullptr) return 0;
  const std::uint8_t* text = table.m_pTextBuf;
  const std::size_t len = table.UsedLength();
  std::uint32_t first = 0, last = 0;
  if (!SortedRows(table, request, text, len, &first, &last)) return 0;

  std::size_t p = 0;
  if (!FindRowStart(text, len, first, &p)) return 0;
  const std::uint32_t count = last - first + 1;
  Blocks blocks;
  auto* starts = static_cast<std::uint32_t*>(
      blocks.Take(fw::AllocArray(static_cast<std::size_t>(count) + 1, sizeof(std::uint32_t))));
  if (starts == nullptr) return -1;

  const bool numeric = request.numeric;
  const int column0 = KeyColumn0(request.key);
  const bool descending = request.key < 0;
  void* recBlock = blocks.Take(
      fw::AllocArray(count, numeric ? sizeof(NumRecord) : sizeof(TextRecord)));
  if (recBlock == nullptr) return -1;
  auto* nums = static_cast<NumRecord*>(recBlock);
  auto* texts = static_cast<TextRecord*>(recBlock);

  // One pass over the rows: where each starts, its key, and the new length.
  std::uint64_t rowsBytes = 0;
  std::uint32_t n = 0;
  for (; n < count; ++n) {
    const std::size_t e = RowEnd(text, p, len);
    starts[n] = static_cast<std::uint32_t>(p);
    rowsBytes += (e - p) + 2;
    FieldSpan f = FindField(text + p, text + e, column0);
    if (request.skipBracket) f.begin = SkipBracketGroup(f.begin, f.end);
    if (numeric) {
      const NumericKey k = MakeNumericKey(f.begin, f.end);
      nums[n] = {k.high, k.low, n};
    } else {
      const TextKey k = MakeTextKey(f.begin, f.end);
      texts[n] = {TextKeyPrefix(k), static_cast<std::uint32_t>(k.bytes - text), k.length, n};
    }
    const std::size_t next = NextRow(text, e, len);
    p = next;
    if (next == e) {  // no row after this one (a NUL or the end of the text)
      ++n;
      break;
    }
  }
  starts[n] = static_cast<std::uint32_t>(p);  // the tail
  const std::uint32_t rows = n;
  const std::size_t head = starts[0];
  const std::size_t tail = starts[rows];
  const std::uint64_t newLen = head + rowsBytes + (len - tail);
  if (newLen + 1 > 0xFFFFFFFFull) return -1;

  if (numeric) {
    SortRecords(nums, rows, [](const NumRecord& a, const NumRecord& b) {
      if (a.high != b.high) return a.high < b.high;
      if (a.low != b.low) return a.low < b.low;
      return a.row < b.row;
    });
  } else {
    SortRecords(texts, rows, [text](const TextRecord& a, const TextRecord& b) {
      if (a.prefix != b.prefix) return a.prefix < b.prefix;
      if (a.keyLen > 7 && b.keyLen > 7) {
        const int c = CompareTextKeys({text + a.keyAt, a.keyLen}, {text + b.keyAt, b.keyLen});
        if (c != 0) return c < 0;
      }
      return a.row < b.row;
    });
  }
  auto orderAt = [&](std::uint32_t j) -> std::uint32_t {
    const std::uint32_t i = descending ? rows - 1 - j : j;
    return numeric ? nums[i].row : texts[i].row;
  };

  // The check list: the slots that name sorted rows, and their new rows.
  std::uint32_t* moved = nullptr;
  std::uint32_t inRange = 0;
  const bool listActive = checks != nullptr && checks->m_nEntryListMode > 0 && checks->m_nEntryListPos > 0;
  if (listActive) {
    for (std::uint32_t i = 1; i < checks->UsedEnd(); ++i) {
      const std::uint32_t v = checks->Entry(i);
      if (v >= first + 1 && v - 1 - first < rows) ++inRange;
    }
    if (inRange > 0) {
      moved = static_cast<std::uint32_t*>(blocks.Take(fw::AllocArray(rows, sizeof(std::uint32_t))));
      if (moved == nullptr) return -1;
    }
  }

  const std::uint64_t capacity = std::max<std::uint64_t>(table.m_nWorkSize, newLen + 1);
  auto* out = static_cast<std::uint8_t*>(blocks.Take(fw::Alloc(static_cast<std::size_t>(capacity))));
  if (out == nullptr) return -1;

  std::memcpy(out, text, head);
  std::size_t o = head;
  for (std::uint32_t j = 0; j < rows; ++j) {
    const std::uint32_t i = orderAt(j);
    const std::size_t s = starts[i];
    const std::size_t next = starts[i + 1];
    const std::size_t body = next - s - LineEndBytes(text, s, next);
    std::memcpy(out + o, text + s, body);
    o += body;
    out[o++] = '\r';
    out[o++] = '\n';
    if (moved) moved[i] = first + j + 1;
  }
  std::memcpy(out + o, text + tail, len - tail);
  o += len - tail;
  out[o] = 0;

  if (moved) {
    // The slots that named sorted rows get the checked rows' new numbers in
    // text order (a row named twice once, a slot left over 0); every other
    // entry stays as it was.
    constexpr std::uint32_t kChecked = 0x80000000u;
    for (std::uint32_t i = 1; i < checks->UsedEnd(); ++i) {
      const std::uint32_t v = checks->Entry(i);
      if (v >= first + 1 && v - 1 - first < rows) moved[v - 1 - first] |= kChecked;
    }
    std::uint32_t slot = 1, j = 0;
    for (; slot < checks->UsedEnd(); ++slot) {
      const std::uint32_t v = checks->Entry(slot);
      if (!(v >= first + 1 && v - 1 - first < rows)) continue;
      while (j < rows && !(moved[orderAt(j)] & kChecked)) ++j;
      checks->Set(slot, j < rows ? first + j + 1 : 0);
      ++j;
    }
  }

  fw::Free(table.m_pTextBuf);
  table.m_pTextBuf = static_cast<std::uint8_t*>(blocks.Release(out));
  table.m_nWorkSize = static_cast<std::uint32_t>(capacity);
  table.m_nTextLen = static_cast<std::uint32_t>(o);
  table.Rescan();
  return static_cast<std::int64_t>(o);
}

}  // namespace csv
