#include "fw/fwtext.h"

#include <string>

CString fw::LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

CString fw::FormatPlaceholders(const char* pattern, const char* a1, const char* a2) {
  std::string out;
  for (const char* p = pattern ? pattern : ""; *p; ++p) {
    if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
      const char* arg = p[1] == '1' ? a1 : a2;
      out += arg ? arg : "";
      ++p;
    } else {
      out += *p;  // a trail byte is never '%', so bytes can be copied one by one
    }
  }
  return CString(std::move(out));
}

CString fw::FormatText(unsigned id, const char* a1, const char* a2) {
  return FormatPlaceholders(LoadText(id), a1, a2);
}
