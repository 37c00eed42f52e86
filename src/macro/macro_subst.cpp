#include "macro/macro_subst.h"

#include <climits>
#include <cstdio>
#include <string>

#include "csv/csv_buffer.h"
#include "macro/macro_blocks.h"
#include "macro/macro_number.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr char kRefEnd = 0x01;  // may end a numbered reference: "&D12" 0x01 "5"
// Mode 4: the operators of the statement itself while values go in, and the
// ones the values brought.
constexpr char kShieldOpen = 0x1D, kShieldClose = 0x1E, kShieldPlus = 0x1F;
constexpr char kValuePlus = 0x1A, kValueOpen = 0x1B, kValueClose = 0x1C;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsRefChar(char c) { return c >= 'A' && c <= '~'; }

void ReplaceBytes(std::string* s, char from, char to) {
  for (char& c : *s)
    if (c == from) c = to;
}

// The text still to be scanned, kept reversed so that a value can be put in
// front of it (and a reference taken off) at the cost of the value alone.
class Pending {
 public:
  explicit Pending(const std::string& s) { PutInFront(s); }
  size_t Size() const { return rev_.size(); }
  // The byte k places ahead, '\0' past the end.
  char At(size_t k) const { return k < rev_.size() ? rev_[rev_.size() - 1 - k] : '\0'; }
  char Take() {
    const char c = rev_.back();
    rev_.pop_back();
    return c;
  }
  void Drop(size_t k) { rev_.resize(rev_.size() - k); }
  // The place of the first `c` at or after `from` places ahead; npos if none.
  size_t FindFrom(char c, size_t from) const {
    for (size_t k = from; k < rev_.size(); ++k)
      if (At(k) == c) return k;
    return std::string::npos;
  }
  void PutInFront(const std::string& v) {
    const size_t old = rev_.size(), n = v.size();
    rev_.resize(old + n);
    char* d = &rev_[0] + old;
    const char* src = v.data();
    for (size_t k = n; k > 0; --k) *d++ = src[k - 1];
  }
  void MoveAllTo(std::string* out) {
    const size_t old = out->size(), n = rev_.size();
    out->resize(old + n);
    char* d = &(*out)[0] + old;
    const char* src = rev_.data();
    for (size_t k = n; k > 0; --k) *d++ = src[k - 1];
    rev_.clear();
  }

 private:
  std::string rev_;
};

// The reference at the front of `p` ("&D..."): its slot (0 = no variable)
// and its length in bytes.
int ReadReference(const Pending& p, int mode, size_t* length) {
  const size_t n = p.Size();
  size_t k = 2;
  const char c = p.At(k);
  *length = 3;
  if (IsDigit(c)) {
    long long v = 0;
    for (; k < n && IsDigit(p.At(k)); ++k) {
      v = v * 10 + (p.At(k) - '0');
      if (v > INT_MAX) v = INT_MAX;
    }
    if (k < n && p.At(k) == kRefEnd) ++k;
    *length = k;
    return static_cast<int>(v);
  }
  if (c == 'T') {
    if (mode == kSubstKeepT || mode == kSubstKeepFirstAndT || n < 4) return 0;
    const char d = p.At(3);
    *length = 4;
    if (IsDigit(d)) return 100 + (d - '0');
    if (IsRefChar(d)) return d + 45;
    return 0;
  }
  if (c == 'C' || !IsRefChar(c)) return 0;
  return c + 45;
}

// The positions where the statement acts on the variable itself.
bool LeftAlone(const std::string& out, const Pending& p, size_t length) {
  const char after = p.At(length);
  const char before = out.empty() ? '\0' : out.back();
  if (after == '#' && before != '&' && before != '@') return true;
  if (after == '=' && before == ',') return true;
  if (after == '<') return true;
  if ((after == '+' || after == '-' || after == kShieldPlus) && p.At(length + 1) == after) return true;
  return false;
}

}  // namespace

bool MacroReplacePageCode(MacroState& state, const csv::TableFields& table, std::string* text) {
  std::string& s = *text;
  const size_t i = s.find("n]");
  if (i == std::string::npos || i < 3) return false;
  // Exactly the code: "[pXXn]" (six bytes) or "[XXn]" (five).
  size_t from;
  if (i >= 4 && s[i - 4] == '[' && s[i - 3] == 'p') from = i - 4;
  else if (s[i - 3] == '[') from = i - 3;
  else return false;
  BlockLandmark mark;
  if (!MacroBlockLandmark(s.c_str() + i - 2, &mark)) return false;
  const long long block = MacroReadNumber(state.m_strMacroVars[kSlotCurBlock], 9);
  long long value = 0;
  if (!MacroBlockValue(table, mark, block, &value) || value <= 0) return false;
  s.replace(from, i + 2 - from, std::to_string(value));
  return true;
}

CString MacroSubstituteVariables(MacroState& state, const csv::TableFields* table, const CString& text, int mode,
                                 int valueI, int valueJ, int pageFlag) {
  if (text.IsEmpty()) return text;
  std::string s = text.Str();
  if ((mode == kSubstPageCode || pageFlag > 0) && table && s.size() > 4) MacroReplacePageCode(state, *table, &s);
  const bool shield = mode == kSubstShield;
  if (shield) {
    ReplaceBytes(&s, '(', kShieldOpen);
    ReplaceBytes(&s, ')', kShieldClose);
    ReplaceBytes(&s, '+', kShieldPlus);
  }
  const bool keepFirst = mode == kSubstKeepFirst || mode == kSubstKeepFirstAndT;

  // Bytes before the scan position are final and go to `out`; a value that
  // replaces a reference goes in front of the rest and is scanned in turn.
  std::string out;
  out.reserve(s.size());
  Pending rest(s);
  int replacements = 0;
  while (rest.Size() > 0) {
    if (rest.Size() >= 3 && rest.At(0) == '&' && rest.At(1) == 'D') {
      // Modes 1 and 3: a reference at the very start of the text stays,
      // unless the next '&' lies at index 2 or 3.
      if (keepFirst && out.empty()) {
        const size_t amp = rest.FindFrom('&', 1);
        if (amp != 2 && amp != 3) {
          for (int k = 0; k < 3 && rest.Size() > 0; ++k) out += rest.Take();
          continue;
        }
      }
      size_t length = 0;
      const int slot = ReadReference(rest, mode, &length);
      if (slot >= 1 && slot <= kLastVarSlot && !LeftAlone(out, rest, length)) {
        if (replacements >= kSubstMaxReplacements) {
          state.m_strMacroVars[kSlotLastResult] = "EROR";
          break;
        }
        char num[16];
        if (slot == kSlotVarI && valueI > 0) {
          std::snprintf(num, sizeof num, "%d", valueI);
          state.m_strMacroVars[kSlotVarI] = num;
        } else if (slot == kSlotVarJ && valueJ > 0) {
          std::snprintf(num, sizeof num, "%d", valueJ);
          state.m_strMacroVars[kSlotVarJ] = num;
        }
        const std::string& value = state.m_strMacroVars[slot].Str();
        if (static_cast<long long>(out.size() + rest.Size() - length + value.size()) > kSubstMaxBytes) {
          state.m_strMacroVars[kSlotLastResult] = "EROR";
          break;
        }
        rest.Drop(length);
        rest.PutInFront(value);
        ++replacements;
        continue;
      }
    }
    out += rest.Take();
  }
  rest.MoveAllTo(&out);
  s.swap(out);

  if (shield) {
    ReplaceBytes(&s, '+', kValuePlus);
    ReplaceBytes(&s, '(', kValueOpen);
    ReplaceBytes(&s, ')', kValueClose);
    ReplaceBytes(&s, kShieldOpen, '(');
    ReplaceBytes(&s, kShieldClose, ')');
    ReplaceBytes(&s, kShieldPlus, '+');
  }
  std::string result;
  result.reserve(s.size());
  for (char c : s)
    if (c != kRefEnd) result += c;
  return CString(std::move(result));
}

}  // namespace macro
