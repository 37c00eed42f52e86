// Whole CSV condition statements: a small table made from the input, a
// command and an operand, through the real evaluator. No read or write
// outside any buffer (the sanitizers); afterwards the table either indexes
// to what it holds or is byte for byte what it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "csv/csv_checklist.h"
#include "csv/csv_table.h"
#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_csvselect.h"
#include "macro/macro_state.h"

namespace {

// Operand words and statement fragments the mutator can splice.
const char* const kOperands[] = {"&SL", "&KL", "&SL2", "&KL2", "&CKN", "&SR", "&KR", "&SR1", "&KR1", "&CKL",
                                 "&ML+;", "&ML2", "&MR2c", "&MR1k", "&MK", "&MKN", "&MKC", "&MKH", "&MKH2",
                                 "&MKC1", ">", "&3=x", "&D5=&1"};

// A column range is tested once per column and each test may run the
// actions, whose values can reach the evaluator's 24 KB: "&1-9000" over a few
// rows costs seconds under the sanitizers and the fuzzer then spends its
// time there. Ranges wider than 40 columns are left to the unit tests.
bool HasWideRange(const std::string& command) {
  for (std::size_t i = 0; i + 1 < command.size(); ++i) {
    if (command[i] != '-' && command[i] != '_') continue;
    long n = 0;
    for (std::size_t k = i + 1; k < command.size() && command[k] >= '0' && command[k] <= '9' && n <= 40; ++k)
      n = n * 10 + (command[k] - '0');
    if (n > 40) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Byte 0 picks an operand word (or none: the operand comes from the input).
  const std::uint8_t pick = data[0];
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  // Three parts: table text, command, operand, split at the first two 0x01.
  const std::size_t a = rest.find('\x01');
  const std::size_t b = a == std::string::npos ? std::string::npos : rest.find('\x01', a + 1);
  const std::string tableText = rest.substr(0, a);
  const std::string command = a == std::string::npos ? std::string("&1==a") : rest.substr(a + 1, b - a - 1);
  std::string operand = b == std::string::npos ? std::string() : rest.substr(b + 1);
  if (pick < sizeof kOperands / sizeof *kOperands) operand = kOperands[pick];
  if (HasWideRange(command)) return 0;

  // One interpreter state for every input (making one is costly): the
  // variables a statement may have written are emptied first.
  static macro::MacroState* const st = new macro::MacroState();
  for (CString& v : st->m_strMacroVars)
    if (!v.IsEmpty()) v.Empty();
  csv::Table table;
  if (!table.LoadFileText(tableText.data(), tableText.size(), 64)) return 0;
  table.m_nCurLine = 1 + pick % 3;
  const std::string before(reinterpret_cast<const char*>(table.m_pTextBuf), table.m_nTextLen);
  const std::uint32_t generation = table.m_nIndexGeneration;
  csv::CheckList list;
  fuzzsupport::QuietMacroHost host;
  std::uint32_t positions[64] = {};
  macro::CsvSelectScope scope{*st, &host, table};
  scope.checkList = &list;
  scope.columnPos = positions;
  scope.columnPosSlots = 64;
  macro::MacroCsvSelectCommands(scope, CString(command), CString(operand), 0);
  if (table.m_nIndexGeneration == generation) {
    // Unchanged: the very same bytes.
    if (table.m_nTextLen != before.size() || std::memcmp(table.m_pTextBuf, before.data(), before.size()) != 0)
      std::abort();
  } else {
    if (table.m_nTextLen >= table.m_nWorkSize || table.m_pTextBuf[table.m_nTextLen] != 0) std::abort();
    const std::int32_t last = table.m_nLastRow;
    table.Rescan();
    if (table.m_nLastRow != last) std::abort();
  }
  for (std::uint32_t i = 0; i < list.UsedEnd(); ++i) (void)list.Entry(i);
  list.Release();
  return 0;
}
