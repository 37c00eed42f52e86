#include "filelist/flistcore/filters.h"

#include <cstring>

#include "core/docsvc/sjis_state.h"
#include "fw/datetime.h"

namespace flist {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The leading number of s[from..to) (digits only; stops at the first other
// character); -1 when there is none.
int NumberAt(const std::string& s, std::size_t from, std::size_t to) {
  if (to > s.size()) to = s.size();
  long long v = -1;
  for (std::size_t i = from; i < to && IsDigit(s[i]); ++i) {
    v = (v < 0 ? 0 : v) * 10 + (s[i] - '0');
    if (v > 100000) break;
  }
  return static_cast<int>(v);
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsDigit(c)) return false;
  return true;
}

// Position of `needle` in `hay` from `from` (Shift-JIS: the hit must start
// on a character boundary); -1 when absent.
int FindFrom(const std::string& hay, const std::string& needle, std::size_t from) {
  if (from > hay.size()) return -1;
  if (needle.empty()) return static_cast<int>(from);
  std::size_t i = 0;
  while (i < from) i += (docsvc::IsSjisLeadByteStd(static_cast<unsigned char>(hay[i])) && i + 1 < hay.size()) ? 2 : 1;
  for (; i + needle.size() <= hay.size();) {
    if (std::memcmp(hay.data() + i, needle.data(), needle.size()) == 0) return static_cast<int>(i);
    i += (docsvc::IsSjisLeadByteStd(static_cast<unsigned char>(hay[i])) && i + 1 < hay.size()) ? 2 : 1;
  }
  return -1;
}

}  // namespace

bool ParseFilterDate(const std::string& text, std::int64_t* t) {
  int year = -1, month = -1, day = -1;
  const std::size_t slash = text.find('/');
  if (slash != std::string::npos && slash > 0) {
    year = NumberAt(text, 0, slash);
    const std::size_t q = text.find('/', slash + 1);
    if (q != std::string::npos) {
      month = NumberAt(text, slash + 1, q);
      day = NumberAt(text, q + 1, text.size());
    } else {
      month = NumberAt(text, slash + 1, slash + 3);
      day = NumberAt(text, slash + 3, text.size());
    }
  } else if (slash == std::string::npos && AllDigits(text) && (text.size() == 8 || text.size() == 6 || text.size() == 4)) {
    // Digits only: YYYYMMDD, YYMMDD or YYMM (day 1).
    if (text.size() == 8) {
      year = NumberAt(text, 0, 4), month = NumberAt(text, 4, 6), day = NumberAt(text, 6, 8);
    } else if (text.size() == 6) {
      year = NumberAt(text, 0, 2), month = NumberAt(text, 2, 4), day = NumberAt(text, 4, 6);
    } else {
      year = NumberAt(text, 0, 2), month = NumberAt(text, 2, 4), day = 1;
    }
  } else if (slash == std::string::npos) {
    // Divided by other characters ("2024-01-05", "24.01.05"): the numbers in
    // order are year, month and day.
    int nums[3] = {-1, -1, -1};
    int k = 0;
    for (std::size_t i = 0; i < text.size() && k < 3;) {
      if (!IsDigit(text[i])) {
        ++i;
        continue;
      }
      std::size_t j = i;
      while (j < text.size() && IsDigit(text[j])) ++j;
      nums[k++] = NumberAt(text, i, j);
      i = j;
    }
    year = nums[0], month = nums[1], day = nums[2] < 0 ? 1 : nums[2];
  }
  if (year < 0 || month < 0) return false;
  if (day < 0) day = 0;
  if (year < 50) year += 2000;
  else if (year < 100) year += 1900;
  if (day == 0) day = 1;
  if (!(year > 1950 && year < 2050 && month >= 1 && month <= 12 && day >= 1 && day <= 31)) return false;
  *t = fw::MakeLocalTime(year, month, day, 0, 0, 0, -1);
  return *t != -1 || (year == 1970 && month == 1 && day == 1);
}

ListFilter ParseListFilter(const std::string& raw) {
  ListFilter f;
  std::string text(static_cast<const char*>(MakeLowerSjis(CString(raw.c_str()))));
  if (text.empty()) return f;
  f.set = true;
  if (text[0] == '+') {
    f.orFlag = true;
    text.erase(0, 1);
  }
  if (!text.empty() && (text[0] == '!' || text[0] == '<' || text[0] == '>')) {
    f.op = text[0];
    text.erase(0, 1);
  }
  if (f.op != '<' && f.op != '>') {
    // "*" stands for any text: a leading one is dropped (Windows names never
    // hold "*"), one further on divides the pattern.
    if (!text.empty() && text[0] == '*') text.erase(0, 1);
    const std::size_t star = text.find('*');
    if (star != std::string::npos && star > 0) {
      f.pattern = text.substr(0, star);
      f.suffix = text.substr(star + 1);
      f.starPos = static_cast<int>(star);
    } else {
      f.pattern = text;
    }
    return f;
  }
  std::size_t unit = std::string::npos;
  for (std::size_t i = 1; i < text.size(); ++i)
    if (text[i] == 'm' || text[i] == 'k' || text[i] == 'b') {
      unit = i;
      break;
    }
  if (unit != std::string::npos) {
    std::uint64_t v = 0;
    for (char c : text) {
      if (IsDigit(c)) v = v * 10 + static_cast<unsigned>(c - '0');
      else if (c == 'k') v *= 1024;
      else if (c == 'm') v *= 1048576;
      v &= 0xFFFFFFFFull;  // the limit is a 32-bit value
    }
    f.sizeLimit = static_cast<std::uint32_t>(v);
    return f;
  }
  if (text.size() > 3) f.dateValid = ParseFilterDate(text, &f.dateLimit);
  return f;
}

std::string DescribeFilters(const std::string& f1, const std::string& f2, const std::string& f3) {
  if (f1.empty() && f2.empty() && f3.empty()) return std::string();
  std::string d = "[" + f1 + "]";
  const auto join = [](const std::string& t) {
    if (!t.empty() && t[0] == '+') return "+[" + t.substr(1) + "]";
    return "&[" + t + "]";
  };
  if (!f2.empty()) d += join(f2);
  if (!f3.empty()) {
    if (!f2.empty() && f2[0] == '+' && f3[0] != '+') d = "(" + d + ")";
    d += join(f3);
  }
  return d;
}

WalkConditions ConditionsFromFilters(const ListFilter f[3]) {
  WalkConditions c;
  for (int i = 0; i < 3; ++i) {
    WalkCondition& w = c.cond[i];
    if (!f[i].set) continue;
    c.any = true;
    w.op = f[i].op;
    if (w.op == '<' || w.op == '>') {
      w.sizeLimit = f[i].sizeLimit;
      // A date that did not read leaves the limit at 0 (1970).
      w.dateLimit = f[i].dateValid ? f[i].dateLimit : 0;
      continue;
    }
    w.text = f[i].pattern;
    if (f[i].starPos > 0) {
      w.second = f[i].suffix;
      w.distance = f[i].starPos;
    }
  }
  c.join2 = f[1].set && f[1].orFlag ? '+' : ' ';
  c.join3 = f[2].set && f[2].orFlag ? '+' : ' ';
  return c;
}

namespace {

bool ConditionHolds(const WalkCondition& w, const std::string& name, std::uint64_t size, std::int64_t time) {
  if (w.op == '<' || w.op == '>') {
    if (w.sizeLimit > 0) return w.op == '>' ? size >= w.sizeLimit : size < w.sizeLimit;
    return w.op == '>' ? time >= w.dateLimit : time < w.dateLimit;
  }
  if (w.text.empty() && w.second.empty()) return true;  // an empty condition holds (also after "!")
  std::string text = w.text;
  bool anchored = false;
  if (!text.empty() && text[0] == '|') {
    anchored = true;
    text.erase(0, 1);
  }
  int r = FindFrom(name, text, 0);
  if (anchored && r > 0) r = -1;
  if (r >= 0 && w.distance > 0) r = FindFrom(name, w.second, static_cast<std::size_t>(r) + static_cast<std::size_t>(w.distance));
  if (w.op == '!') r = -1 - r;
  return r >= 0;
}

}  // namespace

bool FilePasses(const WalkConditions& c, const std::string& matchName, std::uint64_t size, std::int64_t time) {
  if (!c.any) return true;
  bool r = ConditionHolds(c.cond[0], matchName, size, time);
  const bool r2 = ConditionHolds(c.cond[1], matchName, size, time);
  r = c.join2 == '+' ? (r || r2) : (r && r2);
  const bool r3 = ConditionHolds(c.cond[2], matchName, size, time);
  r = c.join3 == '+' ? (r || r3) : (r && r3);
  return r;
}

}  // namespace flist
