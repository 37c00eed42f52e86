#include "macro/macro_argcursor.h"

#include <string>

#include "macro/macro_state.h"

namespace macro {

bool MacroNextArgAnswer(const CString& arg, std::int32_t* pos, CString* answer) {
  if (pos == nullptr) return false;
  const std::string s = arg.Str();
  const std::int32_t at = *pos;
  if (at < 0 || at >= kMacroArgPosLimit || static_cast<std::size_t>(at) >= s.size()) return false;
  std::size_t end = static_cast<std::size_t>(at);
  while (end < s.size() && s[end] != ',' && static_cast<unsigned char>(s[end]) >= 0x20) ++end;
  if (answer) *answer = CString(s.substr(static_cast<std::size_t>(at), end - static_cast<std::size_t>(at)).c_str());
  // Past the ','; a field ended otherwise is the last one.
  const std::size_t next = end < s.size() && s[end] == ',' ? end + 1 : s.size();
  *pos = next > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<std::int32_t>(next);
  return true;
}

MacroArgScope::MacroArgScope(MacroState& st, int mode, const CString& arg, bool nested)
    : st_(st), restore_(nested), arg_(st.m_strMacroArg), mode_(st.m_nMacroRunMode), pos_(st.m_nMacroArgPos) {
  // A resumed run goes on with the list and the position it had; a
  // statement or text run inside a run shares the outer run's.
  if (!nested && st.m_nMacroResumePos != 0) return;
  if (nested && (mode == 1 || mode == 4)) return;
  st.m_strMacroArg = arg;
  st.m_nMacroRunMode = mode;
  st.m_nMacroArgPos = 0;
}

MacroArgScope::~MacroArgScope() {
  if (!restore_) return;
  st_.m_strMacroArg = arg_;
  st_.m_nMacroRunMode = mode_;
  st_.m_nMacroArgPos = pos_;
}

}  // namespace macro
