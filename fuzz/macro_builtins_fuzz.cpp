// The built-in function library's real handlers over any bytes: every code
// with a handler, any field bytes, operand, function text and tail, output
// capacity and source length, with a small table behind them (fill up and
// down, block, title and statistics functions), the check list, and lookup
// data built from the input. The source and the output are heap blocks of
// exactly their sizes, so that a read at or past the source's length or a
// write past the capacity is caught. Also the lookup index builder and the
// address reader of the "#" statements.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "fw/alloc.h"
#include "csv/csv_widths.h"
#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_builtins.h"
#include "macro/macro_exec_cells.h"
#include "macro/macro_lookup.h"
#include "macro/macro_state.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Fixture {
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  std::unique_ptr<csv::Table> table = std::make_unique<csv::Table>();
  std::vector<std::uint32_t> pos = std::vector<std::uint32_t>(csv::kColumnPositionSlots, 0);
  std::uint32_t checks[6] = {0, 3, 0, 5, 2, 9};
  fuzzsupport::QuietMacroHost host;
  Fixture() {
    const std::string file =
        "t1,t2,t3\r\n,\"\",x\r\n1.5,-2,\x82\xa0\r\n~ note\r\n,,\r\n!#\r\nk,v\r\n\"a,b\",7\r\n";
    table->LoadFileText(file.data(), file.size(), 64);
    st->m_strMacroFuncs[0] = ":f::";
  }
};

Fixture& Fix() {
  static Fixture f;
  return f;
}

std::uint32_t Take(const std::uint8_t*& p, std::size_t& n, int bytes) {
  std::uint32_t v = 0;
  for (int k = 0; k < bytes && n > 0; ++k, --n) v = (v << 8) | *p++;
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fixture& fx = Fix();
  const std::uint8_t* p = data;
  std::size_t n = size;
  const int code = static_cast<int>(Take(p, n, 2) % 620) - 10;
  int param = static_cast<int>(Take(p, n, 4));
  const int cap = static_cast<int>(Take(p, n, 2) % 3000);
  const std::uint32_t funcLen = Take(p, n, 1) % 24;
  std::string func(reinterpret_cast<const char*>(p), std::min<std::size_t>(funcLen, n));
  p += func.size();
  n -= func.size();
  const std::uint32_t cut = Take(p, n, 2);
  const int row = static_cast<int>(Take(p, n, 1)) - 2, col = static_cast<int>(Take(p, n, 1) % 6);
  const std::uint32_t tablePos = Take(p, n, 1);
  const std::uint32_t headLen = Take(p, n, 1);

  // The source: exactly n bytes; its used length at most that.
  std::unique_ptr<std::uint8_t[]> src(new std::uint8_t[n ? n : 1]);
  if (n) std::memcpy(src.get(), p, n);
  const std::uint32_t length = n ? cut % static_cast<std::uint32_t>(n + 1) : 0;
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[cap ? cap : 1]);
  // The text rebuilt so far: a prefix of the table's text.
  const std::uint32_t tableLen = fx.table->m_nTextLen;

  // Lookup data from the input, indexed.
  fw::Free(fx.st->m_pMacroLookup);
  fx.st->m_pMacroLookup = static_cast<char*>(fw::Alloc(n + 1));
  if (fx.st->m_pMacroLookup) {
    if (n) std::memcpy(fx.st->m_pMacroLookup, p, n);
    fx.st->m_pMacroLookup[n] = 0;
    fx.st->m_nMacroLookupLen = static_cast<std::uint32_t>(n);
  } else {
    fx.st->m_nMacroLookupLen = 0;
  }
  macro::MacroIndexLookupData(fx.st->m_pMacroLookup, fx.st->m_nMacroLookupLen, fx.st->m_aMacroLookupIndex);
  for (std::uint32_t v : fx.st->m_aMacroLookupIndex) Check(v == 0 || v < fx.st->m_nMacroLookupLen);

  macro::BuiltinScope scope{*fx.st, &fx.host, fx.table.get(), length};
  scope.outHead = fx.table->m_pTextBuf;
  scope.outHeadLen = std::min(headLen * 2, tableLen);
  scope.tablePos = tablePos % 3 == 0 ? macro::kNoTablePos : tablePos % (tableLen + 1);
  scope.columnPos = fx.pos.data();
  scope.columnPosSlots = static_cast<int>(fx.pos.size());
  scope.checkList = fx.checks;
  scope.checkListUsed = 6;
  fx.pos[0] = 0;

  int readPos = static_cast<int>((cut >> 3) % (length + 1)), outLen = 0, title = 0, stat = 0, option = 0, fill = 0,
      count = 0;
  // A remembered fill-down position anywhere in (or just past) the table.
  fill = static_cast<int>((headLen * 131u + tablePos) % (tableLen + 5));
  const int start = readPos, given = param;
  if (macro::MacroBuiltinHandler(code) != nullptr || code < 0) {
    macro::MacroCallBuiltinFunction(scope, code, &param, col, row, &readPos, &outLen, &title, &stat, src.get(),
                                    out.get(), CString(func), CString(func), &option, &fill, &count, cap);
    Check(outLen >= 0 && outLen <= cap);
    Check(readPos >= 0 && static_cast<std::uint32_t>(readPos) <= length);
    // A model of a few results: the field the call read.
    std::uint32_t fs = static_cast<std::uint32_t>(start), fe = fs;
    while (fe < length && src[fe] != 0x06 && src[fe] != 0 && src[fe] != '\r' && src[fe] != '\n') ++fe;
    const int fieldLen = static_cast<int>(fe - fs);
    const bool plain = fieldLen > 0 && src[fs] != '"' && src[fs] != '~';
    // "FL", "FR", "F0": exactly the width (what fits of it).
    if ((code == 11 || code == 12 || code == 44) && plain && given >= 0 && given != 999 && given != 998)
      Check(given <= cap ? outLen == given : outLen >= cap - 1);
    // Case functions keep the length; every field function consumes its field.
    if ((code == 22 || code == 23 || code == 24) && fieldLen <= cap) Check(outLen == fieldLen);
    if ((code == 22 || code == 23 || code == 24) && fieldLen > cap) Check(outLen >= cap - 1);
    if (code == 22 || code == 11 || code == 0 || code == 3) Check(static_cast<std::uint32_t>(readPos) == fe);
  }

  macro::CellStatementAddress where;
  std::string command = "&" + func;
  macro::MacroReadCellStatementAddress(CString(command), &where);
  return 0;
}
