// The list's key-macro file "Dorvik.mcr": read into the list-macro table
// when a pane is built. Portable.
#pragma once

#include <string>
#include <vector>

namespace flist {

constexpr int kListMacroSlots = 201;     // m_aListMacroLines
constexpr int kKeyMacroLines = 199;      // lines kept; "END" follows the last
constexpr int kKeyMacroLineChars = 250;  // characters per line
constexpr int kKeyMacroBytes = 3000;     // bytes read at most

struct KeyMacroFile {
  std::vector<std::string> lines;  // the lines, then "END"
  int pc = -1;                     // 0 when the first line begins with "DVK", else -1
};

// Reads the bytes of the file (as a text-mode read gives them: CR LF is
// one line end). `exists` false gives no lines and -1.
KeyMacroFile ReadKeyMacroFile(const std::string& bytes, bool exists = true);

}  // namespace flist
