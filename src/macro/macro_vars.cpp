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
  // A release inside a subroutine that reaches below the names and slots its
  // call began with lowers what the return puts back: the return then drops
  // what the subroutine declared after it, and never cuts the names table
  // inside a later entry.
  const int len = MacroNameTableLength(st);
  for (int f = 0; f < st.m_nMacroCallFrames && f < kMacroCallFrames; ++f) {
    if (st.m_anMacroCallNameLen[f] > len) st.m_anMacroCallNameLen[f] = len;
    if (st.m_anMacroCallNextSlot[f] > st.m_nMacroNextSlot) st.m_anMacroCallNextSlot[f] = st.m_nMacroNextSlot;
  }
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
  // A list whose next free slot would pass the last slot is refused whole
  // (nothing declared), as one that does not fit.
  const int next = MacroDeclareVariables(state, host, *operand, state.m_nMacroNextSlot, kLastVarSlot);
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
  if (state.m_nMacroCallFrames < 0 || state.m_nMacroCallFrames >= kMacroCallFrames)
    return Fail(VarError::kOverStack, error);
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
  const int frame = state.m_nMacroCallFrames++;
  state.m_anMacroCallNextSlot[frame] = next;
  state.m_anMacroCallNameLen[frame] = len < kNameTableSize ? len : 0;
  if (len > 0 && len + 1 < kNameTableSize) {
    state.m_abMacroNameTable[len] = kNameScopeMark;
    state.m_abMacroNameTable[len + 1] = '\0';
  }
  return true;
}

void MacroReleaseSubroutine(MacroState& state) {
  if (state.m_nMacroCallFrames <= 0 || state.m_nMacroCallFrames > kMacroCallFrames) return;
  const int frame = --state.m_nMacroCallFrames;
  int callNext = state.m_anMacroCallNextSlot[frame];
  if (callNext < 0) callNext = 0;
  if (callNext > kVarSlots) callNext = kVarSlots;
  int subNext = state.m_nMacroNextSlot;
  if (subNext > kVarSlots) subNext = kVarSlots;

  // Parameters passed by reference hand their values back, the last first.
  for (int s = subNext - 1; s >= callNext; --s) {
    const int caller = state.m_anMacroVarRefSlot[s];
    if (caller >= 1 && caller <= kLastVarSlot) state.m_strMacroVars[caller] = state.m_strMacroVars[s];
  }
  std::memset(state.m_anMacroVarRefSlot + callNext, 0, sizeof(std::int32_t) * (kVarSlots - callNext));
  // Only the slots the subroutine took from the free area are emptied: a slot
  // it declared by number belongs to whoever had it before.
  EmptySlots(state, callNext, subNext);

  // The names table goes back to its text at the call (the mark with it).
  const int len = MacroNameTableLength(state);
  const int cut = state.m_anMacroCallNameLen[frame];
  if (cut >= 0 && cut < kNameTableSize && cut <= len) state.m_abMacroNameTable[cut] = '\0';
  state.m_nMacroNextSlot = callNext;
}

}  // namespace macro
