#include "macro/macro_fileoperand.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "fw/path.h"
#include "fw/sjis.h"

namespace macro {

namespace {

constexpr char kUserKey[] = ";USER=";
constexpr char kPasswordKey[] = ";PWRD=";
constexpr std::size_t kKeyLength = 6;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Position just after the last separator of `path` (0 when none).
std::size_t NameStart(std::string_view path) {
  const int at = fw::LastPathSeparator(std::string(path).c_str(), static_cast<int>(path.size()));
  return at < 0 ? 0 : static_cast<std::size_t>(at) + 1;
}

// Length of the character at `i` (2 for a lead byte with a byte after it).
std::size_t CharLength(std::string_view s, std::size_t i) {
  return fw::IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Adds one decimal digit with saturation.
std::int64_t Push(std::int64_t v, int digit, bool negative) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  if (negative) return v < (kMin + digit) / 10 ? kMin : v * 10 - digit;
  return v > (kMax - digit) / 10 ? kMax : v * 10 + digit;
}

bool FixedDigits(std::string_view text, std::size_t n) {
  return text.size() == n && std::all_of(text.begin(), text.end(), IsDigit);
}

}  // namespace

std::vector<std::string> MacroSplitFileOperand(std::string_view operand, int maxParts) {
  std::vector<std::string> parts;
  if (operand.empty() || maxParts < 1) return parts;
  std::size_t start = 0;
  while (true) {
    if (static_cast<int>(parts.size()) + 1 == maxParts) {
      parts.emplace_back(operand.substr(start));
      break;
    }
    // A drive letter and its ':' at the start of the part belong to it.
    std::size_t from = start;
    if (from + 1 < operand.size() && IsAsciiLetter(operand[from]) && operand[from + 1] == ':') from += 2;
    const std::size_t colon = operand.find(':', from);
    if (colon == std::string_view::npos) {
      parts.emplace_back(operand.substr(start));
      break;
    }
    parts.emplace_back(operand.substr(start, colon - start));
    start = colon + 1;
  }
  return parts;
}

bool MacroHasWildcard(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  return name.find_first_of("*?") != std::string_view::npos;
}

bool MacroWildcardMatch(std::string_view pattern, std::string_view name) {
  // Greedy match with one back-tracking point (the last '*').
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
      continue;
    }
    if (p < pattern.size()) {
      const std::size_t pl = CharLength(pattern, p), nl = CharLength(name, n);
      bool same = false;
      if (pattern[p] == '?') {
        same = true;
      } else if (pl == nl) {
        same = pl == 1 ? Lower(pattern[p]) == Lower(name[n]) : pattern.compare(p, 2, name.substr(n, 2)) == 0;
      }
      if (same) {
        p += pattern[p] == '?' ? 1 : pl;
        n += nl;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    starN += CharLength(name, starN);
    n = starN;
    p = starP;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

LineRange MacroFindLineRange(const FileBlockReader& read, std::uint64_t fileLength, std::int64_t first,
                             std::int64_t last) {
  if (first < 1) first = 1;
  if (last == 0) last = first > std::numeric_limits<std::int64_t>::max() - kDefaultLineSpan
                            ? std::numeric_limits<std::int64_t>::max()
                            : first + kDefaultLineSpan;
  // Line k ends with the k-th line feed: the range runs from after line
  // feed first - 1 to after line feed `last`.
  const std::int64_t startFeeds = first - 1;
  LineRange r;
  r.start = fileLength;  // a first line past the end: an empty range there
  r.end = fileLength;
  bool startFound = startFeeds == 0;
  if (startFound) r.start = 0;
  if (last < first) last = std::numeric_limits<std::int64_t>::max();  // to the end, as a length of 0 would
  std::int64_t feeds = 0;
  char block[kFileLineBlock];
  std::uint64_t offset = 0;
  while (offset < fileLength) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kFileLineBlock, fileLength - offset));
    const std::size_t got = read(offset, block, want);
    if (got == 0) break;
    for (const char* at = block; (at = static_cast<const char*>(std::memchr(at, '\n', block + got - at))) != nullptr;
         ++at) {
      const std::size_t i = static_cast<std::size_t>(at - block);
      ++feeds;
      if (!startFound && feeds == startFeeds) {
        r.start = offset + i + 1;
        startFound = true;
      }
      if (feeds == last) {
        r.end = offset + i + 1;
        return r;
      }
    }
    offset += got;
    if (got < want) break;
  }
  if (offset < fileLength) {  // the file ended early: what was read is its end
    if (!startFound) r.start = offset;
    r.end = offset;
  }
  return r;
}

int MacroReadWideNumbers(std::string_view s, std::size_t pos, std::int64_t* out, int count) {
  auto plain = [&](std::size_t i, char c) { return s[i] == c && (i == 0 || s[i - 1] != '\\'); };
  int read = 0;
  const std::size_t n = s.size();
  for (int k = 0; k < count && pos < n; ++k) {
    while (pos < n && !IsDigit(s[pos]) && s[pos] != '-') {
      if (plain(pos, ':')) return read;
      ++pos;
    }
    if (pos >= n) return read;
    bool negative = false;
    if (s[pos] == '-') {
      negative = true;
      ++pos;
    }
    std::int64_t v = 0;
    while (pos < n && IsDigit(s[pos])) v = Push(v, s[pos++] - '0', negative);
    out[k] = v;
    ++read;
    while (pos < n && !plain(pos, ',')) {
      if (plain(pos, ':')) return read;
      ++pos;
    }
    ++pos;  // past the ','
  }
  return read;
}

bool MacroReadSaturatedDigits(std::string_view text, std::int64_t* value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  if (i >= text.size()) return false;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    v = Push(v, text[i] - '0', negative);
  }
  *value = v;
  return true;
}

NetUserOperand MacroReadNetUserOperand(std::string_view operand) {
  NetUserOperand r;
  const std::size_t user = operand.find(kUserKey);
  const std::size_t password = operand.find(kPasswordKey);
  const std::size_t firstKey = std::min(user, password);
  std::string_view resource = operand.substr(0, firstKey == std::string_view::npos ? operand.size() : firstKey);
  // At most kNetResourceBytes bytes, never half a character.
  std::size_t cut = 0;
  while (cut < resource.size()) {
    const std::size_t len = CharLength(resource, cut);
    if (cut + len > kNetResourceBytes) break;
    cut += len;
  }
  r.resource = std::string(resource.substr(0, cut));
  // Each value runs to the other key (when it comes later) or to the end.
  auto value = [&](std::size_t at, std::size_t other) {
    const std::size_t from = at + kKeyLength;
    const std::size_t to = other != std::string_view::npos && other > at ? other : operand.size();
    return std::string(operand.substr(from, to - from));
  };
  if (user != std::string_view::npos) {
    r.user = value(user, password);
    r.hasUser = true;
  }
  if (password != std::string_view::npos) {
    r.password = value(password, user);
    r.hasPassword = true;
  }
  return r;
}

int MacroAttributeSum(unsigned bits) {
  int sum = 0;
  if (bits & 0x01) sum += 8;   // read-only
  if (bits & 0x02) sum += 2;   // hidden
  if (bits & 0x04) sum += 4;   // system
  if (bits & 0x10) sum += 16;  // folder
  if (bits & 0x20) sum += 1;   // archive
  return sum;
}

unsigned MacroAttributeBits(std::int64_t sum) {
  if (sum < 0) return 0;
  unsigned bits = 0;
  if (sum & 8) bits |= 0x01;
  if (sum & 2) bits |= 0x02;
  if (sum & 4) bits |= 0x04;
  if (sum & 1) bits |= 0x20;
  return bits;
}

bool MacroReadFileDate(std::string_view text, int* year, int* month, int* day) {
  if (!FixedDigits(text, 8)) return false;
  std::int64_t v = 0;
  if (!MacroReadSaturatedDigits(text, &v)) return false;
  const int y = static_cast<int>(v / 10000), m = static_cast<int>(v / 100 % 100), d = static_cast<int>(v % 100);
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1980 || y > 2107 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (m == 2 && d == 29 && !leap) return false;
  *year = y, *month = m, *day = d;
  return true;
}

bool MacroReadFileTime(std::string_view text, int* hour, int* minute, int* second) {
  if (!FixedDigits(text, 6)) return false;
  std::int64_t v = 0;
  if (!MacroReadSaturatedDigits(text, &v)) return false;
  const int h = static_cast<int>(v / 10000), mi = static_cast<int>(v / 100 % 100), s = static_cast<int>(v % 100);
  if (h > 23 || mi > 59 || s > 59) return false;
  *hour = h, *minute = mi, *second = s;
  return true;
}

ChosenPathParts MacroChosenPathParts(std::string_view path) {
  ChosenPathParts r;
  const int sep = fw::LastPathSeparator(std::string(path).c_str(), static_cast<int>(path.size()));
  const std::size_t nameAt = sep < 0 ? 0 : static_cast<std::size_t>(sep) + 1;
  const std::string_view name = path.substr(nameAt);
  const std::size_t dot = name.rfind('.');
  r.withoutExt = std::string(dot == std::string_view::npos ? path : path.substr(0, nameAt + dot));
  if (sep < 0) {
    r.folder = std::string(path);
    r.nameWithoutExt = std::string(path);
    return r;
  }
  r.folder = std::string(path.substr(0, static_cast<std::size_t>(sep)));
  r.name = std::string(name);
  r.hasName = true;
  r.nameWithoutExt = std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
  return r;
}

}  // namespace macro
