// The operand readers of the row and line, new-row and print statements over
// any bytes: the "page" form against a block table taken from the input,
// the print numbers, margins and size index, and the new-row arguments with
// their '@' row. Each result is checked against what the reader may give.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/pattern/pattern_cstring.h"
#include "csv/csv_table.h"
#include "macro/macro_exec_rows.h"
#include "macro/macro_expr.h"
#include "macro/macro_state.h"
#include "macro_fuzz_host.h"

namespace {

std::uint32_t Word(const uint8_t* d, std::size_t n, std::size_t at) {
  std::uint32_t w = 0;
  for (std::size_t k = 0; k < 4; ++k) w = (w << 8) | (at + k < n ? d[at + k] : 0);
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  static fuzzsupport::QuietMacroHost* host = new fuzzsupport::QuietMacroHost;
  static csv::TableFields* f = new csv::TableFields;
  if (size > 4096) size = 4096;
  // The first 32 bytes: the block count (possibly past the table's 499
  // blocks), six block starts and the last row.
  *f = csv::TableFields();
  f->m_aSecRow[0] = Word(data, size, 0) % 1200;
  for (int b = 1; b <= 6; ++b) f->m_aSecRow[b] = Word(data, size, 4 * b) % 100000;
  // A table of at most 50 rows of 1-20 fields: a '@' row may be a range
  // expression, which the evaluator walks cell by cell over the table.
  f->m_nLastRow = static_cast<std::int32_t>(Word(data, size, 28) % 50);
  f->m_nFieldCount = 1 + Word(data, size, 24) % 20;
  st->m_nMacroEvalCells = 0;
  st->m_nMacroEvalCellLimit = 200;
  const std::size_t skip = std::min<std::size_t>(size, 32);
  const std::string text(reinterpret_cast<const char*>(data) + skip, size - skip);

  const std::string page = macro::MacroRowPageOperand(text, *f);
  if (text.compare(0, 4, "page") != 0) {
    if (page != text) __builtin_trap();
  } else if (page != "Eror") {
    const int b = macro::MacroPageBlockNumber(text);
    const long long count = std::min<long long>(f->m_aSecRow[0], csv::MAX_CSV_BLOCKS - 1);
    if (b < 1 || b > count) __builtin_trap();
    if (page.compare(0, std::to_string(f->m_aSecRow[b]).size() + 1, std::to_string(f->m_aSecRow[b]) + "_") != 0)
      __builtin_trap();
  }
  const int b = macro::MacroPageBlockNumber(text);
  if (b < 0 || b > 9999) __builtin_trap();

  std::int32_t words[4] = {-1, -1, -1, -1};
  if (macro::MacroPrintMarginWords(text, words) == text.empty()) __builtin_trap();
  if (!text.empty())
    for (std::int32_t w : words)
      if (w < 0 || w % 100 != 0) __builtin_trap();
  const int font = macro::MacroPrintFontIndex(text);
  if (text.empty() ? font != 0 : (font < 1 || font > 11)) __builtin_trap();

  const macro::MacroEnv env(*st, host, f);
  const CString command(text.c_str());
  const int num1 = static_cast<int>(Word(data, size, 8)), num2 = static_cast<int>(Word(data, size, 12));
  const macro::NewRowArgs a = macro::MacroNewRowArgs(env, command, num1, num2, f->m_nLastRow);
  const int base = a.mode % 10;
  if (base < 0 || base > 6 || a.mode < 0 || a.mode > 16) __builtin_trap();
  // A '@' row above 5,000,000 reads as 0; otherwise the row is num1.
  const bool at = pat::FindCharOutsideBrackets(command, '@', 0) >= 0;
  if (at ? a.row > 5000000 : a.row != num1) __builtin_trap();
  if (a.nothing && a.count != 0) __builtin_trap();
  return 0;
}
