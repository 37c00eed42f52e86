// Function texts and the number reader over any bytes, with a few defined
// functions and declared names in place.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "macro/macro_number.h"
#include "macro/macro_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = [] {
    auto* s = new macro::MacroState;
    s->m_strMacroFuncs[0] = ":sqr::&D173*2";
    s->m_strMacroFuncs[1] = ":sq::&D173*&D173";
    s->m_nMacroFuncCount = 2;
    std::strcpy(s->m_abMacroNameTable, "180:a;181:tbl<3>;\x05" "185:b;");
    return s;
  }();
  if (size > 4096) size = 4096;
  const CString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
  for (int mode : {0, 1, 2, 6, 7, 8, 9}) {
    const int v = macro::MacroReadNumber(text, mode, st);
    if ((mode == 1 || mode == 2) && (v < 0 || v > macro::kLastVarSlot)) __builtin_trap();
  }
  CString t = text, tail;
  int number = 0;
  const int code = macro::MacroLookupFunctionCode(*st, &t, &tail, &number);
  if (code < 0 || code > 599 || tail.GetLength() > t.GetLength()) __builtin_trap();
  return 0;
}
