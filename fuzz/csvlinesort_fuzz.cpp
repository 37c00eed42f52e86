// The row sort on a random small table with a random key, block, first row,
// flags, title line, check list, a tight buffer and, at times, a refused
// allocation. Against a model of the rows (rows end at CR LF, CR, LF or NUL):
// the text before the sorted rows and the tail after them are byte-identical,
// the sorted rows are the same rows (each now ending with CR LF) in key
// order, check-list entries outside the sorted rows are untouched, and the
// result indexes again. A refused allocation or nothing to sort leaves the
// table and the list as they were.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_checklist.h"
#include "csv/csv_index.h"
#include "csv/csv_linesort.h"
#include "csv/csv_sortkey.h"
#include "csv/csv_table.h"
#include "fw/alloc.h"

namespace {

struct RowSpan {
  std::size_t start, end, next;  // content [start, end), next row at `next`
};

std::vector<RowSpan> SplitRows(const std::string& s) {
  std::vector<RowSpan> rows;
  std::size_t p = 0;
  while (p < s.size()) {
    std::size_t e = p;
    while (e < s.size() && s[e] != '\r' && s[e] != '\n' && s[e] != 0) ++e;
    std::size_t next = e;
    if (e < s.size() && s[e] != 0) next = s[e] == '\r' && e + 1 < s.size() && s[e + 1] == '\n' ? e + 2 : e + 1;
    rows.push_back({p, e, next});
    if (next == e) break;
    p = next;
  }
  return rows;
}

bool Stops(const std::string& s, std::size_t p) {
  const char x = p < s.size() ? s[p] : 0, y = p + 1 < s.size() ? s[p + 1] : 0;
  return x == '~' || (x == '!' && (y == '#' || y == '*' || y == '$' || y == '%')) || (x == 'X' && y != 'L');
}

int Compare(const std::string& a, const std::string& b, int column0, bool numeric, bool bracket) {
  const auto* pa = reinterpret_cast<const std::uint8_t*>(a.data());
  const auto* pb = reinterpret_cast<const std::uint8_t*>(b.data());
  csv::FieldSpan fa = csv::FindField(pa, pa + a.size(), column0);
  csv::FieldSpan fb = csv::FindField(pb, pb + b.size(), column0);
  if (bracket) {
    fa.begin = csv::SkipBracketGroup(fa.begin, fa.end);
    fb.begin = csv::SkipBracketGroup(fb.begin, fb.end);
  }
  if (numeric) {
    std::uint8_t ka[12], kb[12];
    csv::NumericKeyBytes(csv::MakeNumericKey(fa.begin, fa.end), ka);
    csv::NumericKeyBytes(csv::MakeNumericKey(fb.begin, fb.end), kb);
    return std::memcmp(ka, kb, 12);
  }
  return csv::CompareTextKeys(csv::MakeTextKey(fa.begin, fa.end), csv::MakeTextKey(fb.begin, fb.end));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10 || size > 2500) return 0;
  csv::LineSortRequest r;
  r.key = static_cast<int8_t>(data[0]) % 5;
  r.block = data[1] % 5 - 1;
  r.firstRow = data[2] % 4;
  r.numeric = (data[2] >> 2) & 1;
  r.skipBracket = (data[2] >> 3) & 1;
  const std::uint32_t margin = data[3] % 4;
  const int failAt = (data[3] >> 2) % 6;  // 0: no refusal
  const std::uint32_t curLine = data[4] % 5;
  const std::uint32_t capacity = (data[4] >> 3) % 6;
  const bool listOn = capacity > 0;
  const std::string file(reinterpret_cast<const char*>(data + 9), size - 9);

  auto t = std::make_unique<csv::Table>();
  if (!t->LoadFileText(file.data(), file.size(), margin)) return 0;
  t->m_nCurLine = curLine;
  csv::CheckList list;
  if (listOn) {
    if (!list.Reset(capacity)) return 0;
    for (std::uint32_t i = 1; i < capacity; ++i) list.Set(i, data[4 + i] % 24);
    list.m_nEntryListPos = data[5] % (capacity + 3);
    list.m_nEntryListMode = 1;
  }
  std::vector<std::uint32_t> entriesBefore(list.m_pEntryList, list.m_pEntryList + capacity);
  const std::string before(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  const auto fieldsBefore = std::make_unique<csv::TableFields>(*t);

  // The model's sorted rows.
  const std::vector<RowSpan> rows = SplitRows(before);
  std::int64_t first = 0, last = -1;
  const std::int64_t lastRow = std::min<std::int64_t>(t->m_nLastRow, static_cast<std::int64_t>(rows.size()) - 1);
  if (r.block >= 0) {
    const int b = r.block == 0 ? 1 : r.block;
    if (b <= static_cast<int>(t->BlockCount())) {
      first = static_cast<std::int64_t>(t->m_aSecLine[b]) + r.firstRow;
      last = std::min<std::int64_t>(static_cast<std::int64_t>(t->m_aSecInfoA[b]) - 1, lastRow);
    }
  } else {
    first = curLine;
    last = first - 1;
    while (last + 1 <= lastRow && !Stops(before, rows[static_cast<std::size_t>(last + 1)].start)) ++last;
  }
  const bool sorts = t->m_nLastRow > 0 && first <= last;

  fw::alloctest::Reset();
  if (failAt) fw::alloctest::FailAt(failAt);
  const std::int64_t rc = csv::SortLines(*t, r, listOn ? &list : nullptr);
  fw::alloctest::Reset();
  const std::string after(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  const std::vector<std::uint32_t> entriesAfter(list.m_pEntryList, list.m_pEntryList + capacity);
  list.Release();

  if (rc <= 0) {
    if (rc == 0 && sorts) __builtin_trap();
    if (rc == -1 && !failAt) __builtin_trap();
    if (after != before || !csv::SameBlockIndex(*fieldsBefore, *t) || entriesAfter != entriesBefore) __builtin_trap();
    return 0;
  }
  if (!sorts || rc != static_cast<std::int64_t>(t->m_nTextLen)) __builtin_trap();

  // Head, tail, the same rows, in key order.
  const RowSpan& a = rows[static_cast<std::size_t>(first)];
  const RowSpan& z = rows[static_cast<std::size_t>(last)];
  const std::string head = before.substr(0, a.start), tail = before.substr(z.next);
  if (after.size() < head.size() + tail.size()) __builtin_trap();
  if (after.compare(0, head.size(), head) != 0 || after.compare(after.size() - tail.size(), tail.size(), tail) != 0)
    __builtin_trap();
  std::vector<std::string> was, now;
  for (std::int64_t i = first; i <= last; ++i) {
    const RowSpan& s = rows[static_cast<std::size_t>(i)];
    was.push_back(before.substr(s.start, s.end - s.start));
  }
  const std::string middle = after.substr(head.size(), after.size() - head.size() - tail.size());
  for (std::size_t p = 0; p < middle.size();) {
    const std::size_t e = middle.find("\r\n", p);
    if (e == std::string::npos) __builtin_trap();
    now.push_back(middle.substr(p, e - p));
    p = e + 2;
  }
  const int column0 = r.key == 0 ? 0 : std::abs(r.key) - 1;
  for (std::size_t i = 1; i < now.size(); ++i) {
    const int c = Compare(now[i - 1], now[i], column0, r.numeric, r.skipBracket);
    if (r.key < 0 ? c < 0 : c > 0) __builtin_trap();
  }
  std::sort(was.begin(), was.end());
  std::sort(now.begin(), now.end());
  if (was != now) __builtin_trap();

  // Entries that name no sorted row, and slots past the used end, stay.
  const std::uint32_t usedEnd = std::min<std::uint32_t>(capacity, data[5] % (capacity + 3));
  for (std::uint32_t i = 1; i < capacity; ++i) {
    const std::uint32_t v = entriesBefore[i];
    const bool named = i < usedEnd && v >= first + 1 && v <= last + 1;
    if (!named && entriesAfter[i] != v) __builtin_trap();
    if (named && entriesAfter[i] != 0 && (entriesAfter[i] < first + 1 || entriesAfter[i] > last + 1)) __builtin_trap();
  }

  auto f = std::make_unique<csv::TableFields>(*t);
  std::uint32_t len = 0, cols = 0;
  const std::int32_t again = csv::BuildCsvIndex(*f, t->m_pTextBuf, t->m_nTextLen, &len, &cols, csv::kCsvScanOnly, -1);
  if (again != t->m_nLastRow || !csv::SameBlockIndex(*f, *t) || t->m_pTextBuf[t->m_nTextLen] != 0 ||
      t->m_nTextLen >= t->m_nWorkSize)
    __builtin_trap();
  return 0;
}
