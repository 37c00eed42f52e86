// The program's string table for native test runs: the texts of
// res/strings.rc (UTF-8) put into fw's table as Shift-JIS, so the tests see
// the real texts. Under Wine the executable's resources are used as they are.
#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "fw/codepage.h"
#include "fw/strtable.h"

namespace viewtest {

inline std::string UnescapeRc(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    } else if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"') {
      out += '"';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

inline void LoadProgramStrings() {
#ifndef _WIN32
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  std::map<std::string, unsigned> ids;
  std::ifstream h(std::string(TABRYE_TEST_ROOT) + "/res/resource.h");
  for (std::string line; std::getline(h, line);) {
    std::istringstream in(line);
    std::string define, name;
    unsigned id = 0;
    if (in >> define >> name >> id && define == "#define" && name.rfind("IDS_", 0) == 0) ids[name] = id;
  }
  std::ifstream rc(std::string(TABRYE_TEST_ROOT) + "/res/strings.rc");
  for (std::string line; std::getline(rc, line);) {
    const std::size_t a = line.find_first_not_of(" \t");
    const std::size_t q1 = line.find('"');
    const std::size_t q2 = line.rfind('"');
    if (a == std::string::npos || q1 == std::string::npos || q2 <= q1) continue;
    std::string name = line.substr(a, line.find_first_of(" \t", a) - a);
    auto it = ids.find(name);
    if (it == ids.end()) continue;
    std::string text = UnescapeRc(line.substr(q1 + 1, q2 - q1 - 1));
    fw::SetStringTableEntry(it->second, fw::Utf8ToCp932(text.data(), text.size()).c_str());
  }
#endif
}

}  // namespace viewtest
