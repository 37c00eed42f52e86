#include "macro/macro_vars.h"

#include <cstring>
#include <vector>

#include "macro/macro_names.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

// The texts a run stops with.
enum class VarError { kDefine, kOverVariables, kOverFunctions, kOverStack };
const char* const kVarErrorText[] = {
    "Define variables Eror   ",
    "Over define variables Eror   ",
    "Over define function Eror   ",
    "Over parameter stack Eror",
};

bool Fail(VarError e, CString* error) {
  if (error) *error = kVarErrorText[static_cast<int>(e)];
  return false;
}

// The named values of a defined function's body and the slots they stand for.
const char* const kFunctionValues[][2] = {
    {"@In", "&D173"}, {"@Out", "&D174"}, {"@a", "&D175"}, {"@b", "&D176"}, {"@c", "&D177"},
};

void EmptySlots(MacroState& st, int from, int to) {  // [from, to)
  if (from < 0) from = 0;
  if (to > kVarSlots) to = kVarSlots;
  for (int s = from; s < to; ++s) st.m_strMacroVars[s].Empty();
}

bool Release(MacroState& st, const CString& target) {
  const int oldNext = st.m_nMacroNextSlot;
  if (target == CString("all")) {
    st.m_nMacroNextSlot = kFirstDeclaredSlot;
    st.m_abMacroNameTable[0] = '\0';
  } else {
    const int len = MacroNameTableLength(st);
    const std::string table(st.m_abMacroNameTable, len);
    const size_t at = target.IsEmpty() ? std::string::npos : table.find(target.Str());
    if (at != std::string::npos && at > 0) {
      // The entry's slot: the digits that end just before its ':'.
      int end = static_cast<int>(at) - 2;
      int begin = end + 1;
      while (begin > 0 && table[begin - 1] >= '0' && table[begin - 1] <= '9') --begin;
      long long slot = 0;
      for (int k = begin; k <= end && k - begin < 10; ++k) slot = slot * 10 + (table[k] - '0');
      if (begin <= end && slot >= kFirstDeclaredSlot && slot <= kLastVarSlot + 1) {
        st.m_nMacroNextSlot = static_cast<int>(slot);
        st.m_abMacroNameTable[begin] = '\0';
      }
    }
  }
  EmptySlots(st, st.m_nMacroNextSlot, oldNext);
  return true;
}

}  // namespace

bool MacroDefine(MacroState& state, MacroHost* host, CString* operand, CString* error) {
  if (operand->GetLength() > 5 && operand->Left(6) == CString("clear:")) return Release(state, operand->Mid(6));
  if (operand->IsEmpty()) return true;
  if (static_cast<unsigned char>(state.m_abMacroNameTable[0]) < 0x20) state.m_abMacroNameTable[0] = '\0';
  const int comment = operand->Find("//");
  if (comment >= 0) *operand = operand->Left(comment);
  if (operand->IsEmpty()) return true;
  const int next = MacroDeclareVariables(state, host, *operand, state.m_nMacroNextSlot);
  if (next < 0) return Fail(VarError::kDefine, error);
  // 0 means the list did not fit: the next slot stays where it was.
  if (next == 0 || next > kLastVarSlot) return Fail(VarError::kOverVariables, error);
  state.m_nMacroNextSlot = next;
  return true;
}

bool MacroDefineFunction(MacroState& state, const CString& command, const CString& body, CString* error) {
  if (state.m_nMacroFuncCount >= kFuncSlots) return Fail(VarError::kOverFunctions, error);
  CString text = body;
  for (const auto& v : kFunctionValues) text.Replace(v[0], v[1]);
  state.m_strMacroFuncs[state.m_nMacroFuncCount] = CString(":") + command.Mid(2) + "::" + text;
  ++state.m_nMacroFuncCount;
  return true;
}

bool MacroBindParameters(MacroState& state, MacroHost* host, const CString& operand, CString* error) {
  const int old = state.m_nMacroNextSlot;
  const int next = MacroDeclareVariables(state, host, operand, old);
  if (next < 0) return Fail(VarError::kDefine, error);
  if (next == 0 || next > kLastVarSlot + 1) return Fail(VarError::kOverStack, error);
  state.m_nMacroNextSlot = next;
  // Parameter k takes argument k; the slot after the last parameter takes the
  // argument after the last one, as the call hands them over.
  for (int k = 0; k <= next - old && k < kMacroArgs; ++k) {
    const int slot = old + k;
    if (slot >= kVarSlots) break;
    CString value = k < state.m_nMacroArgCount ? state.m_strMacroArgs[k] : CString();
    if (value == CString("NULL")) value.Empty();
    state.m_strMacroVars[slot] = value;
  }
  return true;
}

bool MacroSetUpReferences(MacroState& state, const CString& arguments, CString* error) {
  std::vector<int> refs;
  const int count = MacroCollectArgumentRefs(arguments, &refs, state.m_aMacroVarFlags);
  const int next = state.m_nMacroNextSlot;
  if (static_cast<long long>(next) + count > kLastVarSlot + 1) {
    for (int k = 0; k < count; ++k)
      if (refs[k] >= 0 && refs[k] <= kLastVarSlot) state.m_aMacroVarFlags[refs[k]] &= ~kVarByRefMark;
    return Fail(VarError::kOverStack, error);
  }
  for (int k = 0; k < count; ++k) {
    const int caller = refs[k];
    if (caller < 1 || caller > kLastVarSlot || !(state.m_aMacroVarFlags[caller] & kVarByRefMark)) continue;
    const int param = next + k;
    if (param < kVarSlots) state.m_anMacroVarRefSlot[param] = caller;
    state.m_aMacroVarFlags[caller] &= ~kVarByRefMark;
  }
  const int len = MacroNameTableLength(state);
  if (len > 0 && len + 1 < kNameTableSize) {
    state.m_abMacroNameTable[len] = kNameScopeMark;
    state.m_abMacroNameTable[len + 1] = '\0';
  }
  return true;
}

void MacroReleaseSubroutine(MacroState& state) {
  const int len = MacroNameTableLength(state);
  if (len >= kNameTableSize) return;
  char* table = state.m_abMacroNameTable;
  if (len > 0 && table[len - 1] == kNameScopeMark) {
    // Nothing declared: only the links the call set up go.
    table[len - 1] = '\0';
    for (int s = state.m_nMacroNextSlot; s >= 0 && s < kVarSlots; ++s) state.m_anMacroVarRefSlot[s] = 0;
    return;
  }
  int mark = len - 1;
  while (mark >= 0 && table[mark] != kNameScopeMark) --mark;

  // The subroutine's entries: their slots, and where its declarations began.
  const int oldNext = state.m_nMacroNextSlot;
  int newNext = oldNext;
  std::vector<int> bases;
  for (int p = mark + 1; p < len;) {
    int end = p;
    while (end < len && table[end] != ';') ++end;
    long long slot = -1;
    if (table[p] >= '0' && table[p] <= '9') {
      slot = 0;
      for (int q = p; q < end && table[q] >= '0' && table[q] <= '9' && slot <= kLastVarSlot; ++q)
        slot = slot * 10 + (table[q] - '0');
    }
    if (slot >= kFirstDeclaredSlot && slot <= kLastVarSlot) {
      bases.push_back(static_cast<int>(slot));
      if (slot < newNext) newNext = static_cast<int>(slot);
    }
    p = end + 1;
  }

  // Parameters passed by reference hand their values back, the last first.
  for (int s = (oldNext < kVarSlots ? oldNext : kVarSlots) - 1; s >= newNext; --s) {
    const int caller = state.m_anMacroVarRefSlot[s];
    if (caller >= 1 && caller <= kLastVarSlot) state.m_strMacroVars[caller] = state.m_strMacroVars[s];
  }
  for (int s = newNext; s < kVarSlots; ++s) state.m_anMacroVarRefSlot[s] = 0;
  for (int s : bases) state.m_strMacroVars[s].Empty();
  EmptySlots(state, newNext, oldNext + 1);
  table[mark >= 0 ? mark : 0] = '\0';
  state.m_nMacroNextSlot = newNext;
}

}  // namespace macro
