#include "macro/macro_paths.h"

#include <string>

#include "fw/sjis.h"
#include "macro/macro_host.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace macro {

CString MacroExpandParameters(MacroState& state, MacroHost& host, const CString& path) {
  std::string p = path.Str();
  const size_t para = p.find("&PARA");
  if (para != std::string::npos) {
    const std::string param = host.ParamPath().Str();
    if (p == "&PARA") {
      p = param;
    } else {
      // The base name of the parameter path without its extension, and its
      // folder in front of the whole path.
      const size_t dot = param.rfind('.');
      std::string name = dot == std::string::npos ? param : param.substr(0, dot);
      const size_t slash = param.rfind('\\');
      if (slash != std::string::npos) name = slash + 1 <= name.size() ? name.substr(slash + 1) : std::string();
      p.replace(para, 5, name);
      if (slash != std::string::npos) p.insert(0, param, 0, slash + 1);
    }
  }
  p = MacroSubstituteVariables(state, nullptr, CString(p), kSubstPlain).Str();
  const bool network = p.compare(0, 2, "\\\\") == 0;
  if (!network && p.find(':') == std::string::npos) {
    std::string base = state.m_strMacroVars[kSlotChangeFolder].Str();
    if (base.empty()) base = state.m_strMacroVars[kSlotMacroDir].Str();
    if (base.empty()) base = host.ListDir(host.ActiveSide() == 1 ? 1 : 2).Str();
    p.insert(0, base + "\\");
  }
  return CString(std::move(p));
}

CString MacroExpandLineEscapes(const CString& text, int mode) {
  // One pass, so that the second byte of a double-byte character (0x5C in
  // many kanji) is never read as a backslash.
  const std::string& s = text.Str();
  const size_t n = s.size();
  std::string out;
  out.reserve(n + 8);
  for (size_t i = 0; i < n;) {
    const char c = s[i];
    if (fw::IsSjisLeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
      out.append(s, i, 2);
      i += 2;
      continue;
    }
    const char d = i + 1 < n ? s[i + 1] : '\0';
    const char e = i + 2 < n ? s[i + 2] : '\0';
    if (c == '\\' && d == '\\' && (e == 'n' || e == ';')) {  // "\\n", "\\;": written as they read
      out += '\\';
      out += e;
      i += 3;
    } else if (c == '\\' && d == 'n' && (mode != 1 || n < 2 || i + 2 == n)) {
      out += "\r\n";
      i += 2;
    } else if (c == '\\' && d == ';') {
      out += static_cast<char>(0x06);
      i += 2;
    } else {
      out += c;
      ++i;
    }
  }
  return CString(std::move(out));
}

}  // namespace macro
