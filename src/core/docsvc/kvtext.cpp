#include "core/docsvc/kvtext.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace docsvc {
namespace {

// Reasons a settings line is skipped: one table.
enum KvError { kKvBadKey, kKvNoTab, kKvTooLong, kKvNul, kKvBadSection };
const char* const kKvErrorText[] = {
    "キーに使えない文字があります",
    "キーと値の間にタブがありません",
    "行が長すぎます",
    "NUL 文字を含みます",
    "セクション名が正しくありません",
};

bool IsKeyChar(unsigned char c) { return c > 0x20 && c < 0x7F; }

bool ValidName(const std::string& s, std::size_t from, std::size_t to) {
  if (to <= from || to - from > 64) return false;
  for (std::size_t i = from; i < to; ++i)
    if (!IsKeyChar(static_cast<unsigned char>(s[i]))) return false;
  return true;
}

bool IsEndMark(const std::string& line) {
  if (line.compare(0, 5, "#end/") != 0) return false;
  for (std::size_t i = 5; i < line.size(); ++i)
    if (line[i] != ' ' && line[i] != '\t') return false;
  return true;
}

bool IsBlank(const std::string& line) {
  for (char c : line)
    if (c != ' ' && c != '\t') return false;
  return true;
}

}  // namespace

KvText ParseKvText(const std::string& bytes) {
  KvText out;
  CString section;
  auto skip = [&](int no, KvError e) { out.skipped.push_back({no, kKvErrorText[e]}); };
  ForEachLine(bytes, [&](int no, const std::string& line) {
    if (IsBlank(line) || line[0] == '~') return;
    if (line.size() > static_cast<std::size_t>(kKvMaxLine)) return skip(no, kKvTooLong);
    if (line.find('\0') != std::string::npos) return skip(no, kKvNul);
    if (IsEndMark(line)) {
      section.Empty();
      return;
    }
    if (line[0] == '[') {
      std::size_t close = line.find(']');
      if (close == std::string::npos || !ValidName(line, 1, close) || !IsBlank(line.substr(close + 1)))
        return skip(no, kKvBadSection);
      section = CString(line.substr(1, close - 1));
      return;
    }
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) return skip(no, kKvNoTab);
    if (!ValidName(line, 0, tab)) return skip(no, kKvBadKey);
    out.entries.push_back({section, CString(line.substr(0, tab)), CString(line.substr(tab + 1)), no});
  });
  return out;
}

CString OneLineValue(const CString& value) {
  std::string s = value.Str();
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
  return CString(std::move(s));
}

void AppendKvLine(std::string& out, const char* key, const CString& value) {
  out += key;
  out += '\t';
  out += OneLineValue(value).Str();
  out += "\r\n";
}

bool ParseInt(const CString& text, int* value) {
  const std::string& s = text.Str();
  std::size_t i = 0, n = s.size();
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  while (n > i && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
  if (i == n) return false;
  std::size_t d = i;
  if (s[d] == '-' || s[d] == '+') ++d;
  if (d == n || n - d > 11) return false;
  for (std::size_t k = d; k < n; ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  long long v = std::strtoll(s.substr(i, n - i).c_str(), nullptr, 10);
  if (v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseIntList(const CString& text, int* values, int count) {
  const std::string& s = text.Str();
  std::size_t pos = 0;
  for (int i = 0; i < count; ++i) {
    std::size_t comma = s.find(',', pos);
    bool last = i == count - 1;
    if (last != (comma == std::string::npos)) return false;
    std::size_t end = last ? s.size() : comma;
    if (!ParseInt(CString(s.substr(pos, end - pos)), &values[i])) return false;
    pos = end + 1;
  }
  return true;
}

}  // namespace docsvc
