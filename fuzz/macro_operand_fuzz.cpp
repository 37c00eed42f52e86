// Cell-address operands, address numbers, page codes, field values and
// numbering codes over any bytes, with a small fixed two-block CSV table and
// variable store. Output buffers are exactly their size on the heap.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "macro/macro_codes.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_operand.h"
#include "macro/macro_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  static csv::Table* table = [] {
    auto* t = new csv::Table;
    const char csvText[] = "a,b,c\r\n1,2.5,x\r\n\"3\",-4.25,\"q^r\"\r\n5\r\n!#\r\nt,u\r\n10,20,30\r\n";
    t->LoadFileText(csvText, sizeof csvText - 1, 64);
    return t;
  }();
  if (size < 4) return 0;
  if (size > 20000) size = 20000;
  const int colBase = static_cast<int8_t>(data[0]);
  const int rowBase = static_cast<int8_t>(data[1]);
  const int sel = data[2];
  const int size2 = 1 + data[3] % 40;
  const std::string text(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::string ctext = text.c_str();  // the operand routines read up to a NUL
  st->m_nMacroEvalCellLimit = 2000;
  st->m_nMacroEvalNestLimit = 2000;  // the same bound, sized for a fuzz unit
  st->m_strMacroVars[5] = "12";
  st->m_strMacroVars[118] = "7x";
  st->m_strMacroVars[155] = std::to_string(sel % 4).c_str();
  macro::MacroEnv env{*st, nullptr, table, &st->m_lineIndex, {}};
  const std::int32_t* lines = macro::MacroTableLineIndex(&st->m_lineIndex, *table);

  // The operand.
  int c1 = sel % 3, c2 = 0, r1 = sel % 5, r2 = 0, rs = 0, cs = 0, hash = 0;
  char kind = sel % 7 == 0 ? '%' : 0;
  const int v = macro::MacroEvalOperand(env, ctext.c_str(), &c1, &c2, &r1, &r2, &kind, colBase, rowBase, &rs, &cs,
                                       &hash, 0);
  if (hash < 0 || hash > static_cast<int>(ctext.size())) __builtin_trap();
  if (kind == 'D' && v != 0 && (v < 2 || v > macro::kLastVarSlot + 1)) __builtin_trap();

  // The value of what it names, through a buffer of `size2` bytes.
  std::unique_ptr<char[]> out(new char[static_cast<size_t>(size2)]);
  int row = r1, col = c1;
  const char type = kind == 'D' ? 'D' : kind == 0 || kind == 9 ? '@' : kind;
  const int n = macro::MacroGetFieldValue(env, sel * 3, out.get(), size2, kind == 'D' ? v : c1, type, &row, &col,
                                          sel % 2 ? lines : nullptr, sel % 3 == 0 ? 9 : 0, sel % 3, rs, cs);
  if (std::strlen(out.get()) >= static_cast<size_t>(size2)) __builtin_trap();
  if (sel % 3 != 0 && n >= size2) __builtin_trap();
  (void)n;

  // Every number of the text, read on from where the last one stopped.
  for (char axis : {'&', '@'}) {
    int pos = 0;
    for (int k = 0; k < 64 && pos < static_cast<int>(ctext.size()); ++k) {
      char mark = axis;
      const int before = pos;
      macro::MacroReadAddressNumber(env, ctext.c_str(), &pos, &mark, colBase, rowBase, 0);
      if (pos < 0 || pos > static_cast<int>(ctext.size())) __builtin_trap();
      if (pos == before) ++pos;
    }
    int ppos = sel % 5;
    char mark = axis;
    macro::MacroExpandPageCodes(env, CString(text), static_cast<int>(sel % 9), &ppos, &mark, colBase, rowBase, 0);
    if (ppos < 0) __builtin_trap();
  }

  // Numbering codes into a buffer of `size2` (and a roomy one).
  for (int cap : {size2, 3000}) {
    std::unique_ptr<char[]> buf(new char[static_cast<size_t>(cap)]);
    const int count = macro::MacroExpandNCodes(buf.get(), CString(text), cap);
    if (count < 0 || count > macro::kNCodeMax) __builtin_trap();
    if (std::strlen(buf.get()) >= static_cast<size_t>(cap)) __builtin_trap();
  }
  if (st->m_nMacroEvalDepth != 0) __builtin_trap();
  return 0;
}
