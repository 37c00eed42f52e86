#include "app/shell/args.h"

namespace app {

CString CommandLineArguments(const char* full) {
  if (!full) return CString();
  const char* p = full;
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return CString(p);
}

std::vector<std::string> SplitArguments(const CString& text) {
  std::vector<std::string> args;
  std::string cur;
  bool inQuote = false, any = false;
  for (int i = 0; i < text.GetLength(); ++i) {
    char c = text[i];
    if (c == '"') {
      inQuote = !inQuote;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuote) {
      if (any) args.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) args.push_back(cur);
  return args;
}

}  // namespace app
