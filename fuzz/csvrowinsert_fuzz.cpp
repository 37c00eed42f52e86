// The row insertion in its modes 1-6 and the raw forms over any table, with
// any operand, row, count and variable values: the result indexes as a scan
// of its text does, and the new rows are as many as the mode asks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_rowinsert.h"
#include "csv/csv_rows.h"
#include "csv/csv_table.h"
#include "csv_fuzz_check.h"

namespace {

std::uint32_t RowCount(const csv::Table& t, bool* shortEnd = nullptr) {
  std::vector<csv::RowSpan> rows;
  csv::SplitRows(t.m_pTextBuf, t.m_nTextLen, &rows);
  // A last line of fewer than two bytes may be left out when the result is
  // installed by a copying scan (as every table operation installs).
  if (shortEnd) *shortEnd = !rows.empty() && rows.back().next - rows.back().start < 2;
  return static_cast<std::uint32_t>(rows.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8 || size > 8192) return 0;
  static const int kModes[] = {1, 2, 3, 5, 6, 11, 12, 13, 15, 16};
  const int mode = kModes[data[0] % 10];
  const int row = static_cast<int8_t>(data[1]) * (data[2] & 0x80 ? 61 : 1);
  const int count = (data[2] & 0x7F) - 4;  // -4..123 rows (huge counts fail on size alone)
  const std::uint32_t curLine = data[3] % 6;
  const std::size_t operandLen = data[4] % 40;
  const std::string rest(reinterpret_cast<const char*>(data) + 8, size - 8);
  const std::string operand = rest.substr(0, operandLen);
  const std::string file = rest.substr(std::min(operandLen, rest.size()));
  csv::Table t;
  if (!t.LoadFileText(file.data(), file.size(), 16)) return 0;
  t.m_nCurLine = curLine;
  bool shortEnd = false;
  const std::uint32_t before = RowCount(t, &shortEnd);
  fuzzsupport::QuietOpHost host;
  // Variables: slot n holds the operand's bytes from n % 7 on.
  auto value = [&operand](int n) { return operand.substr(std::min<std::size_t>(n % 7, operand.size())); };
  const int last = csv::CsvRowInsertOrList(mode, t, row, count, operand, 0, value, &host);
  if (last < 0) return 0;
  fuzzsupport::CheckTableIndex(t, false);
  if (last != t.m_nLastRow) __builtin_trap();
  const std::uint32_t after = RowCount(t);
  const long long copies = count < 1 ? 1 : count;
  long long want = 0;
  switch (mode % 10) {
    case 3:
      want = std::max<long long>(before, count);
      break;
    case 5:
      if (mode == 5) {
        want = before + 1;
      } else {
        const long long from = row < 1 ? 1 : row;
        const long long to = std::min<long long>(static_cast<long long>(row) + copies - 1, 5180);
        want = before + (to >= from ? to - from + 1 : 0);
      }
      break;
    default:
      want = before + copies;
      break;
  }
  if (after != want && !(shortEnd && after + 1 == want)) __builtin_trap();
  return 0;
}
