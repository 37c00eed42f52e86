// The link join on random pairs of small texts with random options, key
// columns, column selections and insertBefore, and at times a refused
// allocation. A success indexes again and has one row per table data row
// and the title (more only under "b"); a failure leaves the table
// byte-identical with the same counts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_joinkeys.h"
#include "csv/csv_linkjoin.h"
#include "csv/csv_otherfile.h"
#include "csv/csv_table.h"
#include "fuzz/csv_fuzz_check.h"
#include "fw/alloc.h"

namespace {

struct Host final : csv::LinkJoinHost {
  int ReportMessage(int, const CString&) override { return 1; }
  bool PollEscape(const std::string&) override { return stopAt > 0 && ++polls >= stopAt; }
  int polls = 0, stopAt = 0;
};

// Non-empty rows after the first row end (CR LF, CR or LF).
std::size_t DataRows(const std::uint8_t* t, std::size_t n) {
  std::size_t rows = 0, i = 0, len = 0;
  bool first = true;
  while (i < n) {
    if (t[i] == '\r' || t[i] == '\n') {
      if (!first && len) ++rows;
      first = false;
      len = 0;
      i += t[i] == '\r' && i + 1 < n && t[i + 1] == '\n' ? 2 : 1;
    } else {
      ++len;
      ++i;
    }
  }
  if (!first && len) ++rows;
  return rows;
}

// The record sort against a plain sort of whole keys: the cells of the
// input (split at commas and line ends) as keys, given order for ties.
void CheckRecordOrder(const std::uint8_t* d, std::size_t n) {
  std::vector<std::string> keys;
  std::vector<std::uint8_t> store(n + 1);
  for (std::size_t b = 0; b <= n;) {
    std::size_t e = b;
    while (e < n && d[e] != ',' && d[e] != '\n') ++e;
    std::uint32_t len = 0;
    const std::uint8_t* k = csv::KeyOfCell(d + b, d + e, store.data(), &len);
    keys.emplace_back(reinterpret_cast<const char*>(k), len);
    b = e + 1;
  }
  const std::size_t m = keys.size();
  auto* recs = static_cast<csv::JoinRecord*>(fw::Alloc(m * sizeof(csv::JoinRecord)));
  if (!recs) __builtin_trap();
  for (std::size_t i = 0; i < m; ++i) {
    std::memset(&recs[i], 0, sizeof recs[i]);
    recs[i].key = reinterpret_cast<const std::uint8_t*>(keys[i].data());
    recs[i].keyLen = static_cast<std::uint32_t>(keys[i].size());
  }
  std::vector<std::uint32_t> want(m);
  for (std::uint32_t i = 0; i < m; ++i) want[i] = i;
  std::stable_sort(want.begin(), want.end(), [&](std::uint32_t x, std::uint32_t y) {
    const std::string& a = keys[x];
    const std::string& b = keys[y];
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    return c ? c < 0 : a.size() < b.size();
  });
  if (!csv::SortJoinRecords(&recs, m)) __builtin_trap();
  for (std::size_t i = 0; i < m; ++i)
    if (recs[i].index != want[i] || recs[i].key != reinterpret_cast<const std::uint8_t*>(keys[want[i]].data()))
      __builtin_trap();
  fw::Free(recs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char kOptions[] = {0, 's', 'b', 'p', 'q', 'e', '1'};
  static const char* const kColumns[] = {"", "!", "2,1", "!1,3", "3,#1,2", "#2", "*", "!#2,1", "9,1", "1-"};
  if (size < 6 || size > 4000) return 0;
  csv::LinkJoinArgs a;
  a.option1 = kOptions[data[0] % 7];
  a.option2 = (data[0] >> 3) & 1 ? 'b' : 0;
  a.keyColumn = data[1] % 4;
  a.otherKeyColumn = (data[1] >> 2) % 4;
  a.insertBefore = (data[1] >> 4) % 5;
  a.otherColumns = kColumns[data[2] % 10];
  const int failAt = data[3] % 12;  // 0: none
  const int stopAt = data[3] >= 240 ? 1 : 0;
  const std::uint8_t* rest = data + 5;
  const std::size_t n = size - 5;
  const std::size_t cut = n ? (data[4] * n) / 256 : 0;
  auto t = std::make_unique<csv::Table>();
  if (!t->LoadFileText(rest, cut, 16)) return 0;
  const std::string before(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  const std::int32_t lastBefore = t->m_nLastRow;
  const std::uint32_t fieldsBefore = t->m_nFieldCount;
  const std::size_t tableRows = DataRows(t->m_pTextBuf, std::strlen(reinterpret_cast<const char*>(t->m_pTextBuf)));
  csv::MemorySource src(rest + cut, n - cut);
  Host host;
  host.stopAt = stopAt;
  fw::alloctest::Reset();
  fw::alloctest::FailAt(failAt);
  const int rc = csv::CsvLinkJoin(*t, src, a, &host);
  fw::alloctest::Reset();
  CheckRecordOrder(rest, n);
  if (rc == 0) {
    fuzzsupport::CheckTableIndex(*t, false);
    std::size_t rows = 0;
    for (std::uint32_t i = 0; i + 1 < t->m_nTextLen; ++i) rows += t->m_pTextBuf[i] == '\r' && t->m_pTextBuf[i + 1] == '\n';
    const bool both = a.option1 == 'b' || a.option2 == 'b';
    if (rows < tableRows + 1 || (!both && rows != tableRows + 1)) __builtin_trap();
    if (static_cast<std::size_t>(t->m_nLastRow) + 1 != rows) __builtin_trap();
  } else {
    if (rc != -1) __builtin_trap();
    if (before != std::string(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen)) __builtin_trap();
    if (t->m_nLastRow != lastBefore || t->m_nFieldCount != fieldsBefore) __builtin_trap();
  }
  return 0;
}
