// The command-line function evaluator over any bytes, with test handlers
// (groups through a test evaluator or the expression evaluator itself):
// variable mode, cell mode, classify-only, SPL and ATR over a small fixed
// table. Checks that no handler is handed an output past its capacity, that
// results stay within their bounds, and that the table stays well formed
// (a NUL after its text, within its buffer, an index that a fresh scan
// gives again).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "csv/csv_index.h"
#include "csv/csv_table.h"
#include "csv/csv_widths.h"
#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_builtins.h"
#include "macro/macro_cmdfunc.h"
#include "macro/macro_lines.h"
#include "macro/macro_state.h"

namespace {

using Host = fuzzsupport::QuietMacroHost;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Every handler first checks what it is handed.
void Entry(macro::BuiltinArgs& a) {
  Check(a.pOut != nullptr && a.nOutCapacity >= 0 && *a.pnOutLen >= 0 && *a.pnOutLen <= a.nOutCapacity);
}
void Upper(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  Entry(a);
  std::string f = a.Field(s).Str();
  for (char& c : f) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  a.Put(f.data(), static_cast<int>(f.size()));
}
void Grow(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  Entry(a);
  const CString f = a.Field(s);
  const int n = (*a.pnParam & 0xFFFF) % 7000;
  a.Put(f);
  a.Put(std::string(static_cast<std::size_t>(n), 'g').c_str(), n);
}
void Bytes(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  Entry(a);
  // Separators, quotes and line ends in results.
  a.Put(a.Field(s));
  a.Put("\x06\"\r\n", 4);
}
void Quote(macro::BuiltinScope&, macro::BuiltinArgs& a) {
  Entry(a);
  a.Put("\"", 1);
}
void Echo(macro::BuiltinScope& s, macro::BuiltinArgs& a) {
  Entry(a);
  a.Put(a.Field(s));
  a.Put(a.strArgText);
}

int g_evalCalls = 0;
int Eval(macro::CmdFuncScope& scope, const CString& expr, char* out, int capacity) {
  Check(capacity == macro::kGroupResultBytes);
  // Now and then a group calls a chain again (nesting), or gives a long result.
  if (++g_evalCalls % 3 == 0) macro::MacroEvalCommandLineFunctions(scope, 0, 0, -1, 190, CString("#UP(1)"));
  const int n = expr.GetLength() % 5 == 0 ? capacity - 1 : std::snprintf(out, static_cast<std::size_t>(capacity), "%d", expr.GetLength());
  if (expr.GetLength() % 5 == 0) {
    std::memset(out, '7', static_cast<std::size_t>(n));
    out[n] = 0;
  }
  return n;
}

const char kTable[] =
    "t1,t2,t3\r\nab,\"(x,y)\",c\r\nde,f,gh\r\n~note\r\n!#\r\nk,v\r\n1,(a:b:c)\r\n2,q\r\n3,r\r\n";

void CheckTable(const csv::Table& t) {
  Check(t.m_pTextBuf != nullptr && t.m_nTextLen < t.m_nWorkSize && t.m_pTextBuf[t.m_nTextLen] == 0);
  Check(t.BlockCount() >= 1 && t.BlockCount() < static_cast<std::uint32_t>(csv::MAX_CSV_BLOCKS));
  auto fresh = std::make_unique<csv::TableFields>();
  std::uint32_t len = 0, cols = 0;
  const std::int32_t last = csv::BuildCsvIndex(*fresh, t.m_pTextBuf, t.m_nTextLen, &len, &cols, csv::kCsvScanOnly, -1);
  Check(last == t.m_nLastRow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5 || size > 4096) return 0;
  static const bool registered = [] {
    macro::MacroSetBuiltinHandler(22, Upper);   // UP
    macro::MacroSetBuiltinHandler(23, Grow);    // LW
    macro::MacroSetBuiltinHandler(40, Grow);    // IR
    macro::MacroSetBuiltinHandler(11, Grow);    // FL
    macro::MacroSetBuiltinHandler(177, Grow);   // RA
    macro::MacroSetBuiltinHandler(24, Bytes);   // TU
    macro::MacroSetBuiltinHandler(3, Quote);    // CQ
    macro::MacroSetBuiltinHandler(51, Echo);    // RP
    macro::MacroSetBuiltinHandler(62, Echo);    // SUM
    macro::MacroSetBuiltinHandler(20, Upper);   // LD
    macro::MacroSetBuiltinHandler(45, Upper);   // LF
    return true;
  }();
  (void)registered;
  auto st = std::make_unique<macro::MacroState>();
  st->m_nMacroEvalCellLimit = 2000;  // the bounds, sized for a fuzz unit
  st->m_nMacroEvalNestLimit = 300;
  auto table = std::make_unique<csv::Table>();
  Check(table->LoadFileText(kTable, sizeof kTable - 1, 16));
  Host host;
  std::uint32_t pos[64] = {};
  macro::CmdFuncScope scope{*st};
  scope.host = &host;
  scope.table = table.get();
  scope.columnPos = pos;
  scope.columnPosSlots = 64;
  macro::MacroLineIndex lines;
  scope.lines = &lines;
  // Groups: none, a test evaluator, or the expression evaluator itself.
  scope.evalExpression = (data[0] & 0x80) ? ((data[0] & 0x40) ? macro::MacroCmdFuncExpression : Eval) : nullptr;
  g_evalCalls = 0;

  // Byte 0: the argument form; bytes 1-4: small numbers; the rest: the line.
  const auto arg = [&](int k) { return static_cast<int>(static_cast<std::int8_t>(data[k])); };
  const CString text(reinterpret_cast<const char*>(data + 5), static_cast<int>(size - 5));
  int a1 = arg(1), a2 = arg(2), a3 = arg(3), a4 = arg(4);
  switch (data[0] & 3) {
    case 0: a1 = a2 = 0, a3 = -1; break;          // variable mode, any slot
    case 1: a3 = -1; break;                        // slot 170
    case 2: a3 = a4 = macro::kClassifyOnly; break; // classify only
    default: break;                                // cell mode (or SPL, ATR)
  }
  st->m_strMacroVars[0] = "zero";
  st->m_strMacroVars[170] = "work";
  const int rc = macro::MacroEvalCommandLineFunctions(scope, a1, a2, a3, a4, text);
  Check(rc >= -1);
  Check(st->m_nFuncLineDepth == 0 && st->m_nMacroEvalDepth == 0);
  for (int slot : {0, 170, 190}) Check(st->m_strMacroVars[slot].GetLength() <= macro::kVarResultBytes);
  Check(st->m_strMacroVars[5181].IsEmpty());
  CheckTable(*table);
  Check(pos[0] <= 62);
  return 0;
}
