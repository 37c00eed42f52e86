#include "macro/macro_number.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_functable.h"
#include "macro/macro_names.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hex digits from `pos` up to the first other byte, saturating at INT_MAX
// like the decimal runs.
int ReadHex(const std::string& s, size_t pos) {
  std::int64_t v = 0;
  for (; pos < s.size(); ++pos) {
    int d = HexValue(s[pos]);
    if (d < 0) break;
    v = v * 16 + d;
    if (v > INT_MAX) v = INT_MAX;
  }
  return static_cast<int>(v);
}

// The operand of a four-letter function name: hex digits taken as a 32-bit
// bit pattern, so "BAND0xFFFFFFFF" is all ones and longer runs keep their low
// 32 bits.
int ReadHexBits(const std::string& s, size_t pos) {
  std::uint32_t v = 0;
  for (; pos < s.size(); ++pos) {
    int d = HexValue(s[pos]);
    if (d < 0) break;
    v = v * 16u + static_cast<std::uint32_t>(d);
  }
  return static_cast<int>(v);
}

// The whole decimal run at `*pos`, saturating at INT_MAX; leaves *pos after it.
std::int64_t ReadDecimal(const std::string& s, size_t* pos) {
  std::int64_t v = 0;
  size_t i = *pos;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > INT_MAX) v = INT_MAX;
  }
  *pos = i;
  return v;
}

int Saturate(std::int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }

bool IsRefLetter(char c) { return c >= 'A' && c <= '~'; }

// Modes 1 and 2: the slot of an "&D" reference.
int ReadVariableRef(const std::string& s, int mode, const MacroState* state) {
  const size_t at = s.find("&D");
  if (at == std::string::npos) {
    if (mode != 1 || !state) return 0;
    const size_t open = s.find('[');
    if (open == std::string::npos) return 0;
    const size_t close = s.find(']', open + 1);
    if (close == std::string::npos) return 0;
    const int slot = MacroFindDeclaredSlot(*state, s.substr(open + 1, close - open - 1));
    return slot > 0 && slot <= kLastVarSlot ? slot : 0;
  }
  if (mode == 2 && at != 0) return 0;
  const size_t p2 = at + 2, p3 = at + 3;
  const char c2 = p2 < s.size() ? s[p2] : '\0';
  const char c3 = p3 < s.size() ? s[p3] : '\0';
  if (c2 == 'T') {
    if (IsDigit(c3)) return c3 - '0' + 100;
    if (IsRefLetter(c3)) return c3 + 45;
    return 0;
  }
  if (IsRefLetter(c2)) return c2 + 45;
  if (IsDigit(c2)) {
    size_t p = p2;
    const std::int64_t v = ReadDecimal(s, &p);
    return v <= kLastVarSlot ? static_cast<int>(v) : 0;
  }
  return 0;
}

}  // namespace

int MacroReadNumber(const CString& text, int mode, const MacroState* state) {
  const std::string& s = text.Str();
  const size_t n = s.size();
  if (n == 0) return 0;
  if (mode == 9) {
    if (n > 2 && !IsDigit(s[n - 1])) return static_cast<unsigned char>(s[n - 1]) + 169;
    mode = 0;
  }
  if (mode == 1 || mode == 2) return ReadVariableRef(s, mode, state);

  size_t i = 0;
  while (i < n && !IsDigit(s[i])) ++i;
  if (i == n) return 0;
  if (s[i] == '0' && i + 1 < n && (s[i + 1] == 'x' || s[i + 1] == 'X')) return ReadHex(s, i + 2);
  const bool negative = mode == 6 && i > 0 && s[i - 1] == '-';
  size_t p = i;
  const std::int64_t a = ReadDecimal(s, &p);
  if (mode != 7 && p + 1 < n && s[p] == ':') {
    ++p;
    const std::int64_t b = ReadDecimal(s, &p);
    return Saturate(((mode == 8 ? a + 1 : a) << 10) + b);
  }
  return static_cast<int>(negative ? -a : a);
}

namespace {

const FuncName* FindName(const std::string& name, FuncMatch match) {
  for (int k = 0; k < kFuncNameCount; ++k) {
    const FuncName& f = kFuncNames[k];
    if (f.match == match && name == f.name) return &f;
  }
  return nullptr;
}

// ":name" (cut before a further ':'): the first defined function whose text
// is ":name::body".
int LookupDefined(const MacroState& state, const CString& text) {
  const int cut = text.Find(':', 1);
  const std::string key = (cut > 0 ? text.Left(cut) : text).Str() + "::";
  const int count = state.m_nMacroFuncCount < kFuncSlots ? state.m_nMacroFuncCount : kFuncSlots;
  for (int k = 0; k < count; ++k)
    if (state.m_strMacroFuncs[k].Str().compare(0, key.size(), key) == 0) return kDefinedFuncBase + k;
  return 0;
}

// "FNname:..." / "FNDname:..." become "RP:...:$Nname", a replace call.
void RewriteFn(CString* text) {
  const CString& t = *text;
  int pos = t.Find("nc:", 2);
  if (pos < 0) pos = t.Find(':', 2);
  if (pos <= 0 || pos >= t.GetLength()) return;
  const int nameAt = t.GetLength() >= 3 && t[2] == 'D' ? 3 : 2;
  const CString name = pos > nameAt ? t.Mid(nameAt, pos - nameAt) : CString();
  *text = CString("RP") + t.Mid(pos) + ":$N" + name;
}

// Four-byte names: -9 without digits, one or two digits, or "0x" and hex.
int FourByteOperand(const std::string& s) {
  if (s.size() < 5) return -9;
  if (s[4] == '0' && s.size() > 6 && (s[5] == 'x' || s[5] == 'X')) return ReadHexBits(s, 6);
  if (!IsDigit(s[4])) return -9;
  int v = s[4] - '0';
  if (s.size() > 5 && IsDigit(s[5])) v = v * 10 + (s[5] - '0');
  return v;
}

bool IsDelimiter(char c) { return c == ':' || c == '^' || c == '%' || c == '~'; }

// The SR, SL, CN, IL and IR families: the tail starts at the first of
// ':' '^' '%' '~', or two bytes after the last digit. Returns the split
// position, or -1 when there is no tail.
int SplitFamilyTail(const std::string& s) {
  const int len = static_cast<int>(s.size());
  int i = 0, lastDigit = -1;
  for (; i < len && !IsDelimiter(s[i]); ++i)
    if (IsDigit(s[i])) lastDigit = i;
  int split;
  if (i < len && i != len - 1) split = i;
  else split = lastDigit >= 0 ? lastDigit + 2 : len - 1;
  if (len <= 2 || split <= 0 || split >= len) return -1;
  return split;
}

std::string CutAtColon(const std::string& s) {
  const size_t c = s.find(':');
  return c == std::string::npos ? s : s.substr(0, c);
}

}  // namespace

int MacroLookupFunctionCode(const MacroState& state, CString* text, CString* tail, int* number) {
  if (*text == CString("SQ")) *text = "SQUA";
  if (text->GetLength() > 0 && (*text)[0] == ':') return LookupDefined(state, *text);
  tail->Empty();
  if (text->GetLength() >= 2 && (*text)[0] == 'F' && (*text)[1] == 'N') RewriteFn(text);

  const std::string& s = text->Str();
  const int len = static_cast<int>(s.size());
  if (len >= 4) {
    const FuncName* f = FindName(s.substr(0, 4), FuncMatch::kFour);
    if (f) {
      *number = FourByteOperand(s);
      return f->number;
    }
  }

  // The name: three bytes when the third is a letter-like byte (not '^'),
  // else two; a text of fewer than two bytes matches nothing.
  std::string name;
  int nextAt;
  if (len >= 3 && static_cast<unsigned char>(s[2]) >= 'A' && s[2] != '^') {
    name = s.substr(0, 3);
    nextAt = 3;
  } else {
    name = len >= 2 ? s.substr(0, 2) : std::string("  ");
    nextAt = 2;
  }
  const char next = nextAt < len ? s[nextAt] : '\0';
  const FuncName* f = FindName(name, FuncMatch::kName);
  if (!f && len >= 2) f = FindName(s.substr(0, 2), FuncMatch::kFamily);
  int code = f ? f->number : 0;
  if (code == 1 && IsDigit(next)) code = 48;
  if (code == 2 && IsDigit(next)) code = 16;
  if (code == 95 && next == 'R') code = 96;

  std::string head = s;  // the part the operand is read from
  if (code >= 36 && code <= 40) {
    const int split = SplitFamilyTail(s);
    if (split > 0) {
      *tail = CString(s.substr(split));
      head = s.substr(0, split);
    }
  } else if (code == 20 || code == 173) {
    const int colon = text->Find(':', 2);
    if (colon > 0 && colon < len - 1) *tail = text->Mid(colon + 1);
  }

  int operand;
  if (code == 34 || code == 35 || code == 45 || code == 46) {
    operand = MacroReadNumber(*text, 8);
  } else if (code >= 60 && code <= 68) {
    if (len >= 4 && (s[3] == 'C' || s[3] == '@')) {
      operand = MacroReadNumber(*text, 7);
      code += 100;
    } else {
      operand = MacroReadNumber(*text, 0);
    }
  } else {
    std::string part = (code >= 36 && code <= 40) || code == 20 || code == 173 ? head : s.substr(len < 2 ? len : 2);
    if (code != 51) part = CutAtColon(part);
    operand = MacroReadNumber(CString(part), 0);
  }

  if ((code == 11 || code == 12 || (code >= 174 && code <= 177)) && operand == 0) operand = 999;
  if (code == 20 && len >= 3) {
    int add = 0;
    if (s.compare(0, 3, "LDT") == 0) add = 10000;
    else if (s.compare(0, 3, "LDC") == 0) add = 20000;
    else if (s.compare(0, 3, "LDN") == 0) add = 30000;
    operand = Saturate(static_cast<std::int64_t>(operand) + add);
  }
  *number = operand;
  return code;
}

}  // namespace macro
