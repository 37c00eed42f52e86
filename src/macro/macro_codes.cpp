#include "macro/macro_codes.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "macro/macro_blocks.h"
#include "macro/macro_expr.h"
#include "macro/macro_number.h"
#include "macro/macro_operand.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

// The codes in the order they are looked for.
const char* const kNCodes[] = {"&LN", "&TN", "&BN", "&KN", "&DN", "&SN", "&HN", "&RN", "&CN", "&UN", "&PN"};
// Short forms written before the search.
const char* const kNCodeAliases[][2] = {{"LNT", "TN"}, {"LNP", "BN"}, {"HNR", "KN"}};
constexpr int kNoStartDefault = 1;  // a code without a start number counts from 1

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void ReplaceAll(std::string* s, const char* from, const char* to) {
  const size_t n = std::strlen(from), m = std::strlen(to);
  for (size_t at = s->find(from); at != std::string::npos; at = s->find(from, at + m)) s->replace(at, n, to);
}

// The token of the code at `params` (the bytes after "&XN", blanks appended);
// *used is the number of parameter bytes it takes.
std::string MakeToken(char letter, const std::string& params, size_t* used) {
  size_t i = 0;
  int width = 0;
  char fill = 'N';
  size_t digits = 0;
  while (digits < 2 && IsDigit(params[i + digits])) ++digits;
  if (params[i + digits] == 'Z' || params[i + digits] == 'S') {
    for (size_t k = 0; k < digits; ++k) width = width * 10 + (params[i + k] - '0');
    if (digits == 0) width = 12;
    fill = params[i + digits];
    i += digits + 1;
  }
  bool minus = false;
  if (params[i] == '-') {
    minus = true;
    ++i;
  }
  long long start = 0;
  bool haveStart = false;
  while (IsDigit(params[i])) {
    start = start * 10 + (params[i++] - '0');
    if (start > 0x7FFFFFFF) start = 0x7FFFFFFF;
    haveStart = true;
  }
  if (!haveStart) start = kNoStartDefault;
  if (minus) start = -start;
  char dir = 'U';
  if (params[i] == 'D' || params[i] == 'U' || params[i] == 'C') dir = params[i++];
  *used = i;

  std::string tok(kNCodeTokenSize, '\0');
  tok[0] = kNCodeLead;
  tok[1] = letter;
  tok[2] = static_cast<char>('0' + width);
  tok[3] = fill;
  tok[4] = dir;
  const std::uint32_t bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(start));
  int flags = 0;
  for (int k = 0; k < 4; ++k) {
    std::uint8_t b = static_cast<std::uint8_t>(bits >> (24 - 8 * k));
    if (b < 0x30) {
      b = static_cast<std::uint8_t>(b + 0x30);
      flags |= 8 >> k;
    }
    tok[6 + k] = static_cast<char>(b);
  }
  tok[5] = static_cast<char>('0' + flags);
  return tok;
}

}  // namespace

int MacroExpandNCodes(char* out, const CString& text, int size) {
  if (out == nullptr || size <= 0) return 0;
  std::string s = text.Str();
  for (const auto& a : kNCodeAliases) ReplaceAll(&s, a[0], a[1]);
  const size_t cap = static_cast<size_t>(size);
  int count = 0;
  while (count < kNCodeMax) {
    size_t at = std::string::npos;
    for (const char* code : kNCodes) {
      at = s.find(code);
      if (at != std::string::npos) break;
    }
    if (at == std::string::npos) break;
    const std::string params = s.substr(at + 3) + std::string(10, ' ');
    size_t used = 0;
    const std::string tok = MakeToken(s[at + 1], params, &used);
    // The text before the code keeps at most size - 10 bytes; the rest is
    // cut at the buffer's size.
    const size_t keep = cap > kNCodeTokenSize ? cap - kNCodeTokenSize : 0;
    std::string next = s.substr(0, at < keep ? at : keep) + tok;
    const size_t restAt = at + 3 + used;
    if (restAt < s.size()) next += s.substr(restAt);
    if (next.size() > cap) next.resize(cap);
    s.swap(next);
    ++count;
  }
  const size_t n = s.size() < cap ? s.size() : cap - 1;
  std::memcpy(out, s.data(), n);
  out[n] = 0;
  return count;
}

int MacroExpandPageCodes(const MacroEnv& env, const CString& text, int length, int* pos, char* mark, int colBase,
                         int rowBase, int evalArg) {
  std::string s = text.Str();
  if (length > 0 && static_cast<size_t>(length) < s.size()) s.resize(static_cast<size_t>(length));
  // The text stops at its first NUL for the reader.
  s.resize(std::strlen(s.c_str()));
  BlockLandmark landmark;
  if (s.size() > 2 && s[0] == '[' && s[1] == 'p' && s.size() >= 6 && s[4] == 'n' && s[5] == ']' &&
      MacroBlockLandmark(s.c_str() + 2, &landmark) && env.table) {
    const long long block = MacroReadNumber(env.state.m_strMacroVars[kSlotCurBlock], 9);
    long long value = -1;
    if (MacroBlockValue(*env.table, landmark, block, &value) && value >= 0)
      s = std::to_string(value) + "   " + s.substr(6);
  }
  return MacroReadAddressNumber(env, s.c_str(), pos, mark, colBase, rowBase, evalArg);
}

}  // namespace macro
