// Text functions of the built-in library whose results this program
// settles itself (docs/macro.md, "Designed functions"): substrings ("LF",
// "RG", "MD", "MDR", "CC", "CCR"), digit-group commas ("AC"), blank and
// character removal ("CA", "DLA"-"DLD"), counting and inserting text ("NC",
// "IL", "IR"), shifting ("SR", "SL"), tokens ("TKN", "TKB", "TKC"), cutting
// by characters ("CTR", "CTL"), alignment ("AA", "MA", "LA", "RA") and the
// prefecture of an address ("KEN", "KENR"). Counts are in characters (a
// double-byte character is one) unless a name says bytes.
#include <algorithm>
#include <string>
#include <vector>

#include "macro/macro_fn_common.h"

namespace macro {
namespace {

// The characters of `s`: each one's first byte and length.
struct Chars {
  std::vector<std::size_t> at;
  std::vector<std::size_t> len;
  explicit Chars(const std::string& s) {
    const std::string k = SjisByteKinds(s);
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (k[i] == 2) {
        ++len.back();
        continue;
      }
      at.push_back(i);
      len.push_back(1);
    }
  }
  std::size_t size() const { return at.size(); }
  // Characters [from, from + n) of s.
  std::string Sub(const std::string& s, std::size_t from, std::size_t n) const {
    if (from >= size() || n == 0) return std::string();
    const std::size_t last = std::min(size(), from + n) - 1;
    return s.substr(at[from], at[last] + len[last] - at[from]);
  }
  std::string Char(const std::string& s, std::size_t k) const { return s.substr(at[k], len[k]); }
};

// A field without its enclosing quotes; the quotes go back around the result.
struct Inner {
  std::string text;
  bool quoted = false;
  explicit Inner(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
      quoted = true;
      text = s.substr(1, s.size() - 2);
    } else {
      text = s;
    }
  }
  std::string Wrap(const std::string& v) const { return quoted ? "\"" + v + "\"" : v; }
};

void Finish(BuiltinScope& scope, BuiltinArgs& a, const FunctionField& f, const std::string& out) {
  MacroFinishFunctionField(scope, a, f);
  PutWhole(a, out);
}

std::size_t Count(int n) { return n > 0 ? static_cast<std::size_t>(n) : 0; }

// The delimiter of a "^x" form: the character after '^' ("\" before it
// taken literally); empty when the text has no '^'.
std::string Delimiter(const std::string& func) {
  const std::string k = SjisByteKinds(func);
  for (std::size_t i = 2; i < func.size(); ++i) {
    if (k[i] != 0 || func[i] != '^') continue;
    std::size_t d = i + 1;
    if (d < func.size() && func[d] == '\\' && d + 1 < func.size()) ++d;
    if (d >= func.size()) return std::string();
    const std::size_t n = d + 1 < func.size() && k[d] == 1 ? 2 : 1;
    return func.substr(d, n);
  }
  return std::string();
}

// Position of the first (or last) occurrence of `d` at a character start.
std::size_t FindAt(const std::string& s, const std::string& d, bool last) {
  const Chars c(s);
  std::size_t found = std::string::npos;
  for (std::size_t k = 0; k < c.size(); ++k) {
    if (s.compare(c.at[k], d.size(), d) == 0) {
      found = c.at[k];
      if (!last) break;
    }
  }
  return found;
}

// 34 "CC", 35 "CCR", 45 "LF"/"MD", 46 "RG"/"MDR".
void Substring(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in(f.Text());
  const std::string& s = in.text;
  const std::string func = a.strFuncText.Str();
  const int v = *a.pnParam;
  // A packed pair: ((first + 1) << 10) + second.
  const bool pair = v > 1023;
  const int first = pair ? (v >> 10) - 1 : v, second = pair ? (v & 1023) : 0;
  const std::string d = Delimiter(func);
  const bool lastOne = func.size() > 2 && func[2] == 'A';
  std::string out;
  if (a.nCode == 34 || a.nCode == 35) {
    const std::string k = SjisByteKinds(s);
    const std::size_t n = std::min(Count(first), s.size());
    if (a.nCode == 34) {
      out = s.substr(0, n);
      if (n > 0 && k[n - 1] == 1) out.pop_back();
    } else {
      std::size_t from = s.size() - n;
      if (n > 0 && k[from] == 2) ++from;
      out = s.substr(from);
    }
  } else if (!d.empty()) {
    const std::size_t p = FindAt(s, d, lastOne);
    if (a.nCode == 45) out = p == std::string::npos ? s : s.substr(0, p);
    else out = p == std::string::npos ? std::string() : s.substr(p + d.size());
  } else {
    const Chars c(s);
    const bool middle = func.compare(0, 2, "MD") == 0;
    if (a.nCode == 45 && middle) {
      // "MD a:b": b characters from the a-th (all the rest without b).
      const std::size_t from = first > 0 ? Count(first) - 1 : 0;
      out = c.Sub(s, from, pair ? Count(second) : c.size());
    } else if (a.nCode == 46 && middle) {
      // "MDR a:b": the b characters that end at the a-th from the right.
      const std::size_t endAt = first > 0 ? Count(first) - 1 : 0;  // from the right
      if (endAt < c.size()) {
        const std::size_t last = c.size() - 1 - endAt;
        const std::size_t n = pair ? std::min(Count(second), last + 1) : last + 1;
        out = c.Sub(s, last + 1 - n, n);
      }
    } else if (a.nCode == 45) {
      out = c.Sub(s, 0, Count(first));
    } else {
      const std::size_t n = std::min(Count(first), c.size());
      out = c.Sub(s, c.size() - n, n);
    }
  }
  Finish(scope, a, f, in.Wrap(out));
}

// 15 "AC": commas between digit groups of a number's integer part.
void Commas(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in(f.Text());
  const std::string& s = in.text;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  std::size_t e = i;
  while (e < s.size() && s[e] >= '0' && s[e] <= '9') ++e;
  std::size_t end = e;
  if (end < s.size() && s[end] == '.') {
    ++end;
    while (end < s.size() && s[end] >= '0' && s[end] <= '9') ++end;
  }
  if (e == i || end != s.size()) return Finish(scope, a, f, f.Text());
  std::string out = s.substr(0, i);
  for (std::size_t k = i; k < e; ++k) {
    if (k > i && (e - k) % 3 == 0) out += ',';
    out += s[k];
  }
  out += s.substr(e);
  Finish(scope, a, f, in.Wrap(out));
}

// What follows the name's delimiter (':' '^' '%' '~'), or two bytes after
// its last digit, as the name lookup splits the tail of these families.
std::string FamilyTail(const std::string& s) {
  const int len = static_cast<int>(s.size());
  int i = 0, lastDigit = -1;
  auto delim = [](char c) { return c == ':' || c == '^' || c == '%' || c == '~'; };
  for (; i < len && !delim(s[i]); ++i)
    if (s[i] >= '0' && s[i] <= '9') lastDigit = i;
  int split;
  if (i < len && i != len - 1) split = i;
  else split = lastDigit >= 0 ? lastDigit + 2 : len - 1;
  if (len <= 2 || split <= 0 || split >= len) return std::string();
  std::string t = s.substr(static_cast<std::size_t>(split));
  if (!t.empty() && delim(t[0])) t.erase(0, 1);
  return t;
}

bool IsBlankAt(const std::string& s, const Chars& c, std::size_t k) {
  return (c.len[k] == 1 && s[c.at[k]] == ' ') ||
         (c.len[k] == 2 && static_cast<unsigned char>(s[c.at[k]]) == 0x81 && s[c.at[k] + 1] == 0x40);
}

// 33 "CA": every blank and full-width blank removed.
void NoBlanks(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const Chars c(s);
  std::string out;
  for (std::size_t k = 0; k < c.size(); ++k)
    if (!IsBlankAt(s, c, k)) out += c.Char(s, k);
  Finish(scope, a, f, out);
}

// 173 "DLA" (everywhere), "DLB" (at the start), "DLC" (at the end), "DLD"
// (both ends): the characters of the tail after ':' removed.
void DeleteChars(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string func = a.strFuncText.Str();
  const std::string set = FunctionTail(a.strFuncText, ':');
  const Chars sc(set);
  std::vector<std::string> drop;
  for (std::size_t k = 0; k < sc.size(); ++k) drop.push_back(sc.Char(set, k));
  const Chars c(s);
  auto dropped = [&](std::size_t k) { return std::find(drop.begin(), drop.end(), c.Char(s, k)) != drop.end(); };
  const char mode = func.size() >= 3 ? func[2] : 'A';
  std::size_t b = 0, e = c.size();
  if (mode == 'B' || mode == 'D')
    while (b < e && dropped(b)) ++b;
  if (mode == 'C' || mode == 'D')
    while (e > b && dropped(e - 1)) --e;
  std::string out;
  for (std::size_t k = b; k < e; ++k)
    if (mode != 'A' || !dropped(k)) out += c.Char(s, k);
  Finish(scope, a, f, out);
}

// 38 "NC": how often the tail text stands in the field.
void CountText(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string t = FamilyTail(a.strFuncText.Str());
  long long n = 0;
  if (!t.empty()) {
    const Chars c(s);
    for (std::size_t k = 0; k < c.size(); ++k) {
      if (s.compare(c.at[k], t.size(), t) != 0) continue;
      ++n;
      // Occurrences do not overlap.
      const std::size_t next = c.at[k] + t.size();
      while (k + 1 < c.size() && c.at[k + 1] < next) ++k;
    }
  }
  *a.pnCountValue = static_cast<int>(n);
  MacroFinishFunctionField(scope, a, f);
  PutNumber(a, n);
}

// 39 "IL", 40 "IR": the tail text inserted n characters from the left or
// the right (at the far end when the field is shorter).
void Insert(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string t = FamilyTail(a.strFuncText.Str());
  const Chars c(s);
  const std::size_t n = std::min(Count(*a.pnParam), c.size());
  const std::size_t k = a.nCode == 39 ? n : c.size() - n;
  const std::size_t at = k < c.size() ? c.at[k] : s.size();
  Finish(scope, a, f, s.substr(0, at) + t + s.substr(at));
}

// 36 "SR", 37 "SL": the text moved n characters right or left within its
// own length; blanks (or the tail's first character) come in, characters
// fall out at the other end. 'C' ("SRC") rotates; 'K' ("SRK") keeps the
// characters that would fall out (the field grows).
void Shift(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const std::string func = a.strFuncText.Str();
  const char form = func.size() >= 3 ? func[2] : 0;
  const std::string tail = FamilyTail(func);
  const Chars tc(tail);
  const std::string fill = tc.size() > 0 ? tc.Char(tail, 0) : std::string(" ");
  const Chars c(s);
  const std::size_t size = c.size();
  std::vector<std::string> ch;
  for (std::size_t k = 0; k < size; ++k) ch.push_back(c.Char(s, k));
  const bool right = a.nCode == 36;
  std::size_t n = Count(*a.pnParam);
  std::vector<std::string> out;
  if (form == 'C') {
    if (size > 0) n %= size;
    for (std::size_t k = 0; k < size; ++k) out.push_back(ch[right ? (k + size - n) % size : (k + n) % size]);
  } else if (form == 'K') {
    n = std::min<std::size_t>(n, 10000);
    if (right) out.assign(n, fill);
    out.insert(out.end(), ch.begin(), ch.end());
    if (!right) out.insert(out.end(), n, fill);
  } else {
    n = std::min(n, size);
    if (right) {
      out.assign(n, fill);
      out.insert(out.end(), ch.begin(), ch.end() - static_cast<long>(n));
    } else {
      out.assign(ch.begin() + static_cast<long>(n), ch.end());
      out.insert(out.end(), n, fill);
    }
  }
  std::string text;
  for (const std::string& x : out) text += x;
  Finish(scope, a, f, text);
}

// 49 "TKN" (runs of digits), 50 "TKB" (blank-separated words), 57 "TKC"
// (comma-separated items): the n-th token (1 without n), or nothing.
void Token(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const Chars c(s);
  std::vector<std::string> tokens;
  std::string cur;
  bool inToken = false;
  for (std::size_t k = 0; k < c.size(); ++k) {
    const std::string x = c.Char(s, k);
    bool part;
    if (a.nCode == 49) part = x.size() == 1 && x[0] >= '0' && x[0] <= '9';
    else if (a.nCode == 50) part = !IsBlankAt(s, c, k);
    else part = x != ",";
    if (part) {
      cur += x;
      inToken = true;
    } else if (inToken || a.nCode == 57) {
      tokens.push_back(cur);
      cur.clear();
      inToken = false;
    }
  }
  if (inToken || a.nCode == 57) tokens.push_back(cur);
  const std::size_t n = *a.pnParam > 0 ? Count(*a.pnParam) : 1;
  Finish(scope, a, f, n <= tokens.size() ? tokens[n - 1] : std::string());
}

// 184 "CTR": the first n characters; 185 "CTL": the last n.
void CutChars(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const Chars c(s);
  const std::size_t n = std::min(Count(*a.pnParam), c.size());
  Finish(scope, a, f, a.nCode == 184 ? c.Sub(s, 0, n) : c.Sub(s, c.size() - n, n));
}

// 174 "AA", 175 "MA", 176 "LA", 177 "RA": the text (its blanks at both
// ends dropped) placed in a width of n bytes (999 or 0: the column's
// width): left, centre, right; "AA" puts numbers right and text left. 'J'
// ("LAJ") pads with full-width blanks as far as they fit, 'L' ("LAL") also
// cuts a longer text at a character boundary.
void Align(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in(f.Text());
  std::string s = in.text;
  const Chars c0(s);
  std::size_t b = 0, e = c0.size();
  while (b < e && IsBlankAt(s, c0, b)) ++b;
  while (e > b && IsBlankAt(s, c0, e - 1)) --e;
  s = c0.Sub(s, b, e - b);
  const std::string func = a.strFuncText.Str();
  const char form = func.size() >= 3 ? func[2] : 0;
  long long width = *a.pnParam;
  if (width == 0 || width == 999 || width == 998) width = ColumnWidthFor(scope, a.nColumn);
  width = std::max<long long>(0, std::min<long long>(width, std::max(0, a.nOutCapacity) + 1));
  if (static_cast<long long>(s.size()) > width) {
    if (form == 'L') {
      const Chars c(s);
      std::size_t n = 0, bytes = 0;
      while (n < c.size() && bytes + c.len[n] <= static_cast<std::size_t>(width)) bytes += c.len[n++];
      s = s.substr(0, bytes);
    }
    return Finish(scope, a, f, in.Wrap(s));
  }
  const std::size_t pad = static_cast<std::size_t>(width) - s.size();
  int where = a.nCode - 174;  // 0 AA, 1 centre, 2 left, 3 right
  if (where == 0) {
    std::string t = s;
    t.erase(std::remove(t.begin(), t.end(), ','), t.end());
    std::size_t i = t.size() > 0 && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    bool number = i < t.size();
    int points = 0;
    for (; i < t.size() && number; ++i) {
      if (t[i] == '.') number = ++points <= 1;
      else number = t[i] >= '0' && t[i] <= '9';
    }
    where = number ? 3 : 2;
  }
  const std::size_t before = where == 3 ? pad : where == 1 ? pad / 2 : 0;
  const std::size_t after = pad - before;
  auto blanks = [&](std::size_t n) {
    std::string out;
    if (form == 'J')
      for (; n >= 2; n -= 2) out += "\x81\x40";
    return out + std::string(n, ' ');
  };
  Finish(scope, a, f, in.Wrap(blanks(before) + s + blanks(after)));
}

// The 47 prefectures in Shift-JIS, from Hokkaido to Okinawa.
constexpr const char* kPrefectures[] = {
    "\x96\x6b\x8a\x43\x93\xb9",
    "\x90\xc2\x90\x58\x8c\xa7",
    "\x8a\xe2\x8e\xe8\x8c\xa7",
    "\x8b\x7b\x8f\xe9\x8c\xa7",
    "\x8f\x48\x93\x63\x8c\xa7",
    "\x8e\x52\x8c\x60\x8c\xa7",
    "\x95\x9f\x93\x87\x8c\xa7",
    "\x88\xef\x8f\xe9\x8c\xa7",
    "\x93\xc8\x96\xd8\x8c\xa7",
    "\x8c\x51\x94\x6e\x8c\xa7",
    "\x8d\xe9\x8b\xca\x8c\xa7",
    "\x90\xe7\x97\x74\x8c\xa7",
    "\x93\x8c\x8b\x9e\x93\x73",
    "\x90\x5f\x93\xde\x90\xec\x8c\xa7",
    "\x90\x56\x8a\x83\x8c\xa7",
    "\x95\x78\x8e\x52\x8c\xa7",
    "\x90\xce\x90\xec\x8c\xa7",
    "\x95\x9f\x88\xe4\x8c\xa7",
    "\x8e\x52\x97\x9c\x8c\xa7",
    "\x92\xb7\x96\xec\x8c\xa7",
    "\x8a\xf2\x95\x8c\x8c\xa7",
    "\x90\xc3\x89\xaa\x8c\xa7",
    "\x88\xa4\x92\x6d\x8c\xa7",
    "\x8e\x4f\x8f\x64\x8c\xa7",
    "\x8e\xa0\x89\xea\x8c\xa7",
    "\x8b\x9e\x93\x73\x95\x7b",
    "\x91\xe5\x8d\xe3\x95\x7b",
    "\x95\xba\x8c\xc9\x8c\xa7",
    "\x93\xde\x97\xc7\x8c\xa7",
    "\x98\x61\x89\xcc\x8e\x52\x8c\xa7",
    "\x92\xb9\x8e\xe6\x8c\xa7",
    "\x93\x87\x8d\xaa\x8c\xa7",
    "\x89\xaa\x8e\x52\x8c\xa7",
    "\x8d\x4c\x93\x87\x8c\xa7",
    "\x8e\x52\x8c\xfb\x8c\xa7",
    "\x93\xbf\x93\x87\x8c\xa7",
    "\x8d\x81\x90\xec\x8c\xa7",
    "\x88\xa4\x95\x51\x8c\xa7",
    "\x8d\x82\x92\x6d\x8c\xa7",
    "\x95\x9f\x89\xaa\x8c\xa7",
    "\x8d\xb2\x89\xea\x8c\xa7",
    "\x92\xb7\x8d\xe8\x8c\xa7",
    "\x8c\x46\x96\x7b\x8c\xa7",
    "\x91\xe5\x95\xaa\x8c\xa7",
    "\x8b\x7b\x8d\xe8\x8c\xa7",
    "\x8e\xad\x8e\x99\x93\x87\x8c\xa7",
    "\x89\xab\x93\xea\x8c\xa7",
};

// 95 "KEN": the prefecture at the start of an address; 96 "KENR": the rest.
void Prefecture(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in(f.Text());
  const std::string& s = in.text;
  std::size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  std::string name;
  for (const char* p : kPrefectures) {
    const std::string n(p);
    if (s.compare(b, n.size(), n) == 0) name = n;
  }
  if (a.nCode == 95) return Finish(scope, a, f, in.Wrap(name));
  Finish(scope, a, f, in.Wrap(name.empty() ? s : s.substr(b + name.size())));
}

}  // namespace

void RegisterTextFunctions(BuiltinHandler* at) {
  at[34] = at[35] = at[45] = at[46] = Substring;
  at[15] = Commas;
  at[33] = NoBlanks;
  at[173] = DeleteChars;
  at[38] = CountText;
  at[39] = at[40] = Insert;
  at[36] = at[37] = Shift;
  at[49] = at[50] = at[57] = Token;
  at[184] = at[185] = CutChars;
  at[174] = at[175] = at[176] = at[177] = Align;
  at[95] = at[96] = Prefecture;
}

}  // namespace macro
