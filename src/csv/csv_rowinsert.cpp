// Row insertion and the variable listing.
#include "csv/csv_rowinsert.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "csv/csv_out.h"
#include "csv/csv_rows.h"

namespace csv {
namespace {

// The bytes of one new row, without its row end.
std::string NewRow(const std::string& text, std::uint32_t fieldCount) {
  // The operand is a C string of the statement: it ends at a NUL.
  const std::string operand = text.substr(0, text.find('\0'));
  if (operand.compare(0, 2, "$$") == 0) return operand.substr(2);
  if (operand.empty()) return std::string(fieldCount > 1 ? fieldCount - 1 : 0, static_cast<char>(CSV_FIELD_SEP));
  std::string row;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = operand.find(',', from);
    const std::string cell = operand.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    if (cell != "NULL") row += cell;
    if (comma == std::string::npos) break;
    row += static_cast<char>(CSV_FIELD_SEP);
    from = comma + 1;
  }
  return row;
}

int Listing(Table& table, int row, int count, int operandNumber, const VariableValue& variables, OpHost* host) {
  int last = count > 0 ? count : row;
  if (last == 0) last = operandNumber;
  if (last == 0) last = 99;
  OutWriter out;
  if (!out.Reserve(kVariableListingBytes)) {
    ReportOpFailure(host, kInsertBuffer);
    return -1;
  }
  try {
    for (int n = kFirstListedVariable; n <= last && n < kVariableSlotEnd; ++n) {
      std::string value = variables ? variables(n) : std::string();
      value.resize(std::min(value.size(), value.find('\0')));
      std::string line;
      if (value.compare(0, 2, "$$") == 0) {
        line = value.substr(2);
      } else {
        char head[24];
        std::snprintf(head, sizeof head, "\t&D%02d\t", n);
        line = head + (value.empty() ? std::string("NULL") : value);
      }
      line += "\r\n";
      // The listing and its NUL stay within the buffer's size.
      if (static_cast<std::uint64_t>(out.Length()) + line.size() + 1 > kVariableListingBytes) break;
      out.Put(line);
    }
  } catch (const std::bad_alloc&) {
    ReportOpFailure(host, kInsertBuffer);
    return -1;
  }
  if (!out.InstallInto(table, 1000)) {
    ReportOpFailure(host, kInsertBuffer);
    return -1;
  }
  return table.Rescan();
}

}  // namespace

int CsvRowInsertOrList(int mode, Table& table, int row, int count, const std::string& operand, int operandNumber,
                       const VariableValue& variables, OpHost* host) {
  if (mode > 9) mode -= 10;
  if (mode == 4) return Listing(table, row, count, operandNumber, variables, host);
  if (mode != 1 && mode != 2) {
    ReportOpFailure(host, kInsertUnknownMode);
    return -1;
  }
  const std::uint8_t* t = table.m_pTextBuf;
  const std::uint32_t n = ContentLength(table);
  std::vector<RowSpan> rows;
  if (!SplitRows(t, n, &rows)) {
    ReportOpFailure(host, kInsertWork);
    return -1;
  }
  const auto total = static_cast<std::uint32_t>(rows.size());
  std::uint32_t after = row < 0 ? 0 : std::min<std::uint32_t>(static_cast<std::uint32_t>(row), total);
  if (mode == 1 && row == 0) after = total ? total - 1 : 0;
  if (count < 1) count = 1;
  OutWriter out;
  try {
    const std::string cells = NewRow(operand, table.m_nFieldCount);
    const std::uint64_t size = n + static_cast<std::uint64_t>(count) * (cells.size() + 2) + 2;
    if (!out.Reserve(size)) {
      ReportOpFailure(host, kInsertWork);
      return -1;
    }
    if (after > 0) CsvCopyRowRange(t, rows, 1, after, &out, 0);
    for (int i = 0; i < count; ++i) {
      out.Put(cells);
      out.PutCrLf();
    }
    if (after < total) out.Put(t + rows[after].start, n - rows[after].start);
  } catch (const std::bad_alloc&) {
    ReportOpFailure(host, kInsertWork);
    return -1;
  }
  if (out.Failed()) {
    ReportOpFailure(host, kInsertWork);
    return -1;
  }
  if (!InstallResult(table, out, 1000)) {
    ReportOpFailure(host, kInsertFinal);
    return -1;
  }
  return table.m_nLastRow;
}

}  // namespace csv
