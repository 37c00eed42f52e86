// The user dialog's definition and binding readers and the design writer
// over any bytes: the first byte chooses the design flag, the variable
// numbers and the control letters; the rest is the definition text, a NUL,
// then the binding text. Every slot and variable stays in range, the OK rule
// writes only variables 1-5,180, and the definition part of the design text
// read back gives slots 0-3 their lines again when no line holds a byte the
// entry syntax uses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "macro/macro_state.h"
#include "macro/macro_userdlg.h"

namespace {

bool Clean(const CString& text) {
  return text.Str().find_first_of("#;>\r\n") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static macro::MacroState* st = new macro::MacroState();
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = rest.find('\0');
  const CString v1(cut == std::string::npos ? rest : rest.substr(0, cut));
  const CString v2(cut == std::string::npos ? std::string() : rest.substr(cut + 1));

  for (int k = 0; k <= 200; ++k) st->m_strMacroVars[k].Empty();
  st->m_strMacroVars[142] = "var142";
  macro::UserDialogState& d = st->m_userDialog;
  d.ClearSlots();
  macro::UserDialogReadDefinition(d, v1, (flags & 1) != 0);
  macro::UserDialogReadBindings(d, v2, st->m_strMacroVars);
  static const char kKinds[] = "EMmLlKRPIUDTBWOC";
  for (int k = 0; k < macro::kUserDialogSlots; ++k) {
    if (d.m_nItemVar[k] < 0 || d.m_nItemVar[k] > macro::kLastVarSlot) std::abort();
    d.m_chItemKind[k] = kKinds[(k + flags) % (sizeof kKinds - 1)];
    d.m_nItemCurSel[k] = (k * 7 + flags) % 5;
  }

  const int numbers[] = {0, 110, 142, 169, 170, 5180};
  const int n1 = numbers[(flags >> 1) % 6], n2 = numbers[(flags >> 4) % 6];
  const CString text = macro::UserDialogDesignText(d, n1, n2);
  if (text.Str().compare(0, 3, "\t&D") != 0) std::abort();
  if (text.GetLength() < 3 || text.Str().compare(text.Str().size() - 3, 3, "\n\n\n") != 0) std::abort();

  // The OK rule: nothing beyond the store, slot 0 untouched.
  macro::UserDialogCollectOk(d, *st);
  if (!st->m_strMacroVars[0].IsEmpty() || !st->m_strMacroVars[5181].IsEmpty()) std::abort();

  // Read back: slots 0-3 carry no value entry, so their lines come back.
  bool clean = true;
  for (int k = 0; k < macro::kUserDialogSlots && clean; ++k)
    clean = Clean(d.m_strItemDef[k]) && Clean(d.m_strItemLink[k]) && Clean(d.m_strItemValue[k]);
  if (clean) {
    macro::UserDialogState back;
    macro::UserDialogReadDefinition(back, text, false);
    for (int k = 0; k <= 3; ++k) {
      if (d.m_strItemDef[k].IsEmpty()) continue;
      if (!(back.m_strItemDef[k] == d.m_strItemDef[k])) std::abort();
    }
  }
  return 0;
}
