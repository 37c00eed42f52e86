// Declaration lists over any bytes: declare, collect references, show names,
// release; the store and the names table must stay within their bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "macro/macro_names.h"
#include "macro/macro_state.h"
#include "macro/macro_vars.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One state for every run, put back to a fresh start each time.
  static macro::MacroState* st = new macro::MacroState;
  for (CString& v : st->m_strMacroVars) v.Empty();
  std::memset(st->m_aMacroVarFlags, 0, sizeof st->m_aMacroVarFlags);
  std::memset(st->m_anMacroVarRefSlot, 0, sizeof st->m_anMacroVarRefSlot);
  st->m_abMacroNameTable[0] = '\0';
  st->m_nMacroNextSlot = macro::kFirstDeclaredSlot;
  if (size > 8192) size = 8192;
  const CString list(reinterpret_cast<const char*>(data), static_cast<int>(size));
  const int next = size > 0 ? 180 + data[0] * 16 : 180;
  const int r = macro::MacroDeclareVariables(*st, nullptr, list, next);
  if (r < -1 || r > macro::kLastVarSlot + 1) __builtin_trap();
  if (macro::MacroNameTableLength(*st) >= macro::kNameTableSize) __builtin_trap();
  for (int slot = 175; slot < 215; ++slot) macro::MacroVariableDisplayName(*st, slot);
  if (r > 0) macro::MacroVariableDisplayName(*st, r - 1);
  macro::MacroVariableDisplayName(*st, macro::kLastVarSlot);

  int pos = 0;
  while (pos >= 0 && pos < list.GetLength()) {
    const int before = pos;
    macro::MacroParseIndexRef(*st, list, &pos);
    if (pos <= before) ++pos;
  }
  std::vector<int> slots;
  macro::MacroCollectArgumentRefs(list, &slots, st->m_aMacroVarFlags);

  // The same text as a call's arguments and a subroutine's parameters.
  CString error;
  st->m_strMacroArgs[0] = "x";
  st->m_nMacroArgCount = 1;
  if (macro::MacroSetUpReferences(*st, list, &error)) {
    macro::MacroBindParameters(*st, nullptr, list, &error);
    macro::MacroReleaseSubroutine(*st);
  }
  CString op = list;
  macro::MacroDefine(*st, nullptr, &op, &error);
  if (st->m_nMacroNextSlot < 0 || st->m_nMacroNextSlot > macro::kLastVarSlot + 1) __builtin_trap();
  return 0;
}
