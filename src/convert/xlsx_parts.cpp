#include "convert/xlsx_parts.h"

namespace convert {

bool XlsxParts::Load(const char* path) {
  const CString name(path);
  if (!m_package.FileExists(name)) {
    m_text.Clear();
    return false;
  }
  LoadBuffer message;
  const int n = LoadPartAsSjis(m_package, name, m_limit, m_text, message);
  if (n < 0) {
    m_out.Append(message.Data(), message.Size());
    m_text.Clear();
    return false;
  }
  // A part cut inside a tag: its last '<' has no '>' after it.
  const char* t = m_text.Data();
  for (int i = m_text.Size(); i-- > 0;) {
    if (t[i] == '>') break;
    if (t[i] == '<') {
      MarkDamaged(path);
      break;
    }
  }
  return true;
}

}  // namespace convert
