// The CSV totals and the cross tabulation on a random small table with
// random arguments, a random operand (a column list, "N" limits, '^'
// product lists, '|' explicit lists, labels), a random title line and, at
// times, a refused allocation. A success indexes again to the counts the
// table holds, ends with its grand-total row, and the totals keep every row
// (one row more in modes 0 and 2, at least that in mode 1, at most that in
// mode 3); a failure leaves the table byte-identical with the same counts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_crosstab.h"
#include "csv/csv_index.h"
#include "csv/csv_rows.h"
#include "csv/csv_table.h"
#include "csv/csv_totals.h"
#include "fuzz/csv_fuzz_check.h"
#include "fw/alloc.h"

namespace {

// The first decimal number of the text, as the view reads the "N" limit.
int FirstNumber(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] < '0' || s[i] > '9')) ++i;
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = v < 100000000 ? v * 10 + (s[i] - '0') : v;
  return static_cast<int>(v);
}

std::size_t RowCount(const std::uint8_t* t, std::uint32_t n) {
  std::vector<csv::RowSpan> rows;
  csv::SplitRows(t, n, &rows);
  return rows.size();
}

// The last line of the content (after its last row end).
std::string LastLine(const csv::Table& t) {
  const std::string s(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
  const std::size_t at = s.find_last_of("\r\n");
  return at == std::string::npos ? s : s.substr(at + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8 || size > 3000) return 0;
  const bool cross = data[0] & 1;
  const int mode = (data[0] >> 1) & 3;
  const int form = (data[0] >> 3) & 7;
  const int a1 = data[1] % 24;  // key column / firstArg (above 10: drop flag)
  const int a2 = data[2] % 5;   // key levels (4: none)
  const int a3 = data[3] & 1;   // count flag
  const int a4 = data[4] % 5;   // fourth argument
  const int failAt = data[5] % 10;  // 0: no refusal
  const std::uint32_t curLine = data[6] % 4 + 1;
  const std::size_t opLen = data[7] % 24;
  data += 8;
  size -= 8;
  const std::size_t take = opLen < size ? opLen : size;
  std::string operand(reinterpret_cast<const char*>(data), take);
  static const char* const kForms[8] = {"", "N", "N", "", "", "", ":", ""};
  operand = kForms[form] + operand;
  if (form == 3 && operand.find('^') == std::string::npos) operand += "^x,y";
  if (form == 4 && operand.find('|') == std::string::npos) operand += "|other";
  if (form == 5) operand += ":rest:sum";
  const std::string file(reinterpret_cast<const char*>(data + take), size - take);

  auto t = std::make_unique<csv::Table>();
  if (!t->LoadFileText(file.data(), file.size(), 0)) return 0;
  t->m_nCurLine = curLine;
  const std::string before(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  const auto lastRow = t->m_nLastRow;
  const auto fields = t->m_nFieldCount;
  const std::size_t rowsBefore = RowCount(t->m_pTextBuf, t->m_nTextLen);
  fuzzsupport::QuietOpHost host;
  fw::alloctest::Reset();
  if (failAt) fw::alloctest::FailFrom(failAt * 2 - 1);
  const int rc = cross ? csv::CsvCrossTabulate(*t, a1, a2 == 4 ? 0 : a2, a3, a4, operand, FirstNumber(operand), &host)
                       : csv::CsvTotals(*t, mode, a1 % 8, operand, &host);
  fw::alloctest::Reset();
  if (rc != 0) {
    if (before != std::string(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen)) __builtin_trap();
    if (t->m_nLastRow != lastRow || t->m_nFieldCount != fields || t->m_nCurLine != curLine) __builtin_trap();
    return 0;
  }
  fuzzsupport::CheckTableIndex(*t, true);
  // Totals keep every row: one grand-total row more in modes 0 and 2, at
  // least that with subtotal rows, at most that with merged rows.
  if (!cross && rowsBefore > 0 && curLine == 1) {
    const std::size_t after = RowCount(t->m_pTextBuf, t->m_nTextLen);
    if ((mode == 0 || mode == 2) && after != rowsBefore + 1) __builtin_trap();
    if (mode == 1 && after < rowsBefore + 1) __builtin_trap();
    if (mode == 3 && after > rowsBefore + 1) __builtin_trap();
  }
  // Without a '~' tail the grand-total row ends the text.
  if (file.find('~') == std::string::npos && file.find('\0') == std::string::npos) {
    const std::string last = LastLine(*t);
    if (!cross && last.compare(0, 6, "Total*") != 0) __builtin_trap();
    if (cross && last.compare(0, 5, "Total") != 0) __builtin_trap();
  }
  return 0;
}
