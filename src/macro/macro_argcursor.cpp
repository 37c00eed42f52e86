#include "macro/macro_argcursor.h"

#include <string>

namespace macro {

bool MacroNextArgAnswer(const CString& arg, std::int32_t* pos, CString* answer) {
  const std::string& s = arg.Str();
  answer->Empty();
  if (*pos < 0) *pos = 0;
  std::size_t p = static_cast<std::size_t>(*pos);
  if (p >= s.size()) return false;
  std::size_t e = p;
  // A field runs up to the next ',' or control byte.
  while (e < s.size() && s[e] != ',' && static_cast<unsigned char>(s[e]) >= 0x20) ++e;
  *answer = CString(s.data() + p, static_cast<int>(e - p));
  *pos = static_cast<std::int32_t>(e < s.size() ? e + 1 : e);
  return true;
}

}  // namespace macro
