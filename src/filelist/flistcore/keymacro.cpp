#include "filelist/flistcore/keymacro.h"

namespace flist {

KeyMacroFile ReadKeyMacroFile(const std::string& raw, bool exists) {
  KeyMacroFile out;
  if (!exists) return out;
  std::string line;
  bool comment = false;
  std::size_t used = 0;  // bytes taken from the file
  const auto finish = [&] {
    out.lines.push_back(line);
    line.clear();
    comment = false;
  };
  std::size_t i = 0;
  for (;;) {
    if (static_cast<int>(out.lines.size()) >= kKeyMacroLines) break;
    if (used >= static_cast<std::size_t>(kKeyMacroBytes) || i >= raw.size()) {
      finish();  // the end of the file (or of the bytes read) ends the line
      break;
    }
    unsigned char c = static_cast<unsigned char>(raw[i++]);
    ++used;
    if (c == '\r' && i < raw.size() && raw[i] == '\n') {
      ++i;  // text mode: CR LF is one line end
      ++used;
      c = '\n';
    }
    if (c == '\r' || c == '\n' || c == 0xFF) {
      finish();
      continue;
    }
    if (comment) continue;
    if (static_cast<signed char>(c) <= 0x20) continue;  // blanks, controls and bytes from 0x80
    if (c == '/' && i < raw.size() && raw[i] == '/') {
      comment = true;
      continue;
    }
    line += static_cast<char>(c);
    if (static_cast<int>(line.size()) >= kKeyMacroLineChars) finish();
  }
  if (static_cast<int>(out.lines.size()) > kKeyMacroLines) out.lines.resize(kKeyMacroLines);
  out.lines.push_back("END");
  if (!out.lines.empty() && out.lines[0].compare(0, 3, "DVK") == 0) out.pc = 0;
  return out;
}

}  // namespace flist
