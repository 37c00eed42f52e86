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

// A new row is one line: text ends at its first NUL, CR or LF.
std::string OneLine(const std::string& text) { return text.substr(0, text.find_first_of(std::string("\0\r\n", 3))); }

// The bytes of one new row, without its row end.
std::string NewRow(const std::string& text, std::uint32_t fieldCount) {
  const std::string operand = OneLine(text);
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

// The new rows of mode 5: the values of `count` variables from slot `first`
// on (slots 1 to 5180 only), as the cells of one row, or (raw) each value
// as a row of its own. An empty value or "NULL" is an empty cell.
std::vector<std::string> VariableRows(int first, int count, bool raw, const VariableValue& variables) {
  const long long from = std::max(1, first);
  const long long to = std::min<long long>(static_cast<long long>(first) + std::max(count, 1) - 1, kVariableSlotEnd - 1);
  std::vector<std::string> rows;
  std::string row;
  for (long long n = from; n <= to; ++n) {
    std::string value = OneLine(variables ? variables(static_cast<int>(n)) : std::string());
    if (value == "NULL") value.clear();
    if (raw) {
      rows.push_back(value);
      continue;
    }
    if (n > from) row += static_cast<char>(CSV_FIELD_SEP);
    row += value;
  }
  if (!raw) rows.push_back(row);
  return rows;
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
  const bool raw = mode > 9;
  if (raw) mode -= 10;
  if (mode == 4) return Listing(table, row, count, operandNumber, variables, host);
  if (mode != 1 && mode != 2 && mode != 3 && mode != 5 && mode != 6) {
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
  const auto clampRow = [total](long long r) {
    return static_cast<std::uint32_t>(std::clamp<long long>(r, 0, total));
  };
  // Where the new rows go (after the first `after` rows) and how many.
  std::uint32_t after = 0;
  long long copies = std::max(count, 1);
  switch (mode) {
    case 1:  // before the last row for row 0; at the end without a row
      after = row < 0 ? total : row == 0 ? (total ? total - 1 : 0) : clampRow(row);
      break;
    case 2:
      after = clampRow(row);
      break;
    case 3:  // rows at the end until the table holds `count` rows
      after = total;
      copies = static_cast<long long>(count) - total;
      if (copies <= 0) return table.m_nLastRow;
      break;
    case 5:  // one row of variables at the end
      after = total;
      break;
    case 6:  // at data row `row`: the title line m_nCurLine stays first
      after = clampRow(static_cast<long long>(table.m_nCurLine) + std::max(row, 1) - 1);
      break;
  }
  OutWriter out;
  try {
    std::vector<std::string> lines;
    if (mode == 5) {
      lines = VariableRows(row, count, raw, variables);
      copies = 1;
    } else {
      lines.push_back(NewRow(raw && operand.compare(0, 2, "$$") != 0 ? "$$" + operand : operand,
                             table.m_nFieldCount));
    }
    std::uint64_t each = 0;
    for (const std::string& line : lines) each += line.size() + 2;
    const std::uint64_t size = n + static_cast<std::uint64_t>(copies) * each + 2;
    if (!out.Reserve(size)) {
      ReportOpFailure(host, kInsertWork);
      return -1;
    }
    if (after > 0) CsvCopyRowRange(t, rows, 1, after, &out, 0);
    for (long long i = 0; i < copies; ++i) {
      for (const std::string& line : lines) {
        out.Put(line);
        out.PutCrLf();
      }
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
