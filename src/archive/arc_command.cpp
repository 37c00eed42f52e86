#include "archive/arc_command.h"

#include <cstring>

namespace arc {

std::vector<std::string> SplitCommand(const std::string& cmd) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, any = false;
  for (char c : cmd) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
      continue;
    }
    if ((c == ' ' || c == '\t') && !quoted) {
      if (any) out.push_back(cur);
      cur.clear();
      any = false;
      continue;
    }
    cur += c;
    any = true;
  }
  if (any) out.push_back(cur);
  return out;
}

ArchiverCommand ParseUnZipCommand(const std::string& cmd) {
  ArchiverCommand c;
  std::vector<std::string> w = SplitCommand(cmd);
  std::vector<std::string> args;
  bool extract = false;
  for (const std::string& s : w) {
    if (s == "-x") {
      extract = true;
    } else if (s == "--i" || s == "-o") {
      // accepted; extraction always overwrites
    } else if (!s.empty() && s[0] == '-') {
      return c;
    } else {
      args.push_back(s);
    }
  }
  if (!extract || args.size() < 2) return c;
  c.op = 'x';
  c.archive = args[0];
  c.target = args[1];
  c.ok = args.size() == 2 || (args.size() == 3 && (args[2] == "*.*" || args[2] == "*"));
  return c;
}

ArchiverCommand ParseUnlhaCommand(const std::string& cmd) {
  ArchiverCommand c;
  std::vector<std::string> w = SplitCommand(cmd);
  if (w.empty() || (w[0] != "a" && w[0] != "x")) return c;
  std::vector<std::string> args;
  for (size_t i = 1; i < w.size(); ++i) {
    if (!w[i].empty() && w[i][0] == '-') continue;  // -x -r1 -a1
    args.push_back(w[i]);
  }
  c.op = w[0][0];
  if (c.op == 'a' && args.size() == 2) {
    c.archive = args[0];
    c.target = args[1];
    c.ok = true;
  } else if (c.op == 'x' && (args.size() == 2 || (args.size() == 3 && (args[2] == "*.*" || args[2] == "*")))) {
    c.archive = args[0];
    c.target = args[1];
    c.ok = true;
  }
  return c;
}

void WriteReport(char* out, unsigned long size, const std::string& text) {
  if (!out || size == 0) return;
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = 0;
}

}  // namespace arc
