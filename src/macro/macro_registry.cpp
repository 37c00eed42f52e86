#include "macro/macro_registry.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "macro/macro_host.h"
#include "macro/macro_number.h"
#include "macro/macro_run.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr const char* kRootCodes[] = {"RT", "CU", "LM", "KU", "CF"};
constexpr std::size_t kShortestOperand = 6;
constexpr std::size_t kClosingSearchFrom = 5;  // the ':' after the key path, in the first two forms
constexpr int kSlotCount = kVarSlots - 1;      // slots 0-5180 take a value
constexpr std::size_t kHexDigitsMax = 9000;

bool TypeOfLetter(char c, std::uint32_t* type) {
  switch (c) {
    case 's':
      *type = kRegSz;
      return true;
    case 'e':
      *type = kRegExpandSz;
      return true;
    case 'b':
      *type = kRegBinary;
      return true;
    case 'n':
      *type = kRegDword;
      return true;
    case 'm':
      *type = kRegMultiSz;
      return true;
    default:
      if (c >= '1' && c <= '9') {
        *type = static_cast<std::uint32_t>(c - '0');
        return true;
      }
      return false;
  }
}

bool IsRootCode(const std::string& code) {
  for (const char* r : kRootCodes)
    if (code == r) return true;
  return false;
}

// The digit value of the write's hexadecimal arithmetic.
int HexValue(unsigned char c) {
  if (c > '`') return c - 0x57;
  if (c > '@') return c - 0x37;
  return c - 0x30;
}

}  // namespace

RegistryOperand MacroParseRegistryOperand(const CString& operand) {
  const std::string& s = operand.Str();
  RegistryOperand r;
  const std::size_t first = s.find(':');
  if (first == std::string::npos || first == 0) return r;
  std::size_t start = 0, close = std::string::npos;
  if (s.size() >= kShortestOperand && first <= 4) {
    r.root = CString(s.substr(0, 2));
    if (s[2] == ':') {
      start = 3;
    } else {
      if (!TypeOfLetter(s[2], &r.type)) return r;
      start = 4;
    }
    if (!IsRootCode(s.substr(0, 2))) return r;
    close = s.find(':', kClosingSearchFrom);
  } else if (first >= 5) {
    r.root = "CU";
    close = first;
  }
  if (close == std::string::npos) return r;
  r.keyPath = close > start ? CString(s.substr(start, close - start)) : CString();
  r.valueName = CString(s.substr(close + 1));
  r.ok = true;
  return r;
}

int MacroRegistrySlot(const CString& command) {
  const std::string& s = command.Str();
  const std::size_t colon = s.find(':');
  if (colon == std::string::npos) return -1;
  std::size_t i = colon + 1;
  if (s.compare(i, 2, "&D") == 0) {
    const int slot = MacroReadNumber(CString(s.substr(i)), 2);
    return slot > 0 ? slot : -1;
  }
  const bool minus = i < s.size() && s[i] == '-';
  if (minus) ++i;
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
  long long v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) v = std::min<long long>(v * 10 + (s[i] - '0'), INT_MAX);
  return static_cast<int>(minus ? -v : v);
}

CString MacroRegistryDataToText(std::uint32_t type, const std::string& data) {
  if (type == kRegDword) {
    unsigned char b[4] = {};
    std::memcpy(b, data.data(), std::min<std::size_t>(data.size(), 4));
    const std::int32_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                                     (static_cast<std::uint32_t>(b[2]) << 16) |
                                                     (static_cast<std::uint32_t>(b[3]) << 24));
    CString text;
    text.Format("%d", v);
    return text;
  }
  if (type == kRegBinary) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : data) {
      if (text.size() + 2 > kHexDigitsMax) break;
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
    return CString(text);
  }
  const std::size_t nul = data.find('\0');
  return CString(data.substr(0, nul == std::string::npos ? data.size() : nul));
}

std::string MacroRegistryTextToData(std::uint32_t type, const CString& text) {
  const std::string& s = text.Str();
  std::string out;
  if (type == kRegDword) {
    std::size_t i = 0;
    const bool minus = i < s.size() && s[i] == '-';
    if (minus) ++i;
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      v = v * 10 + (s[i] - '0');
      if (v > 2147483648LL) v = 2147483648LL;
    }
    if (minus) v = -v;
    const std::int32_t d = static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    const std::uint32_t u = static_cast<std::uint32_t>(d);
    for (int k = 0; k < 4; ++k) out += static_cast<char>((u >> (8 * k)) & 0xFF);
    return out;
  }
  if (type == kRegBinary) {
    std::size_t i = 0;
    for (;;) {
      while (i < s.size() && s[i] == ' ') ++i;
      if (i >= s.size()) break;
      const int hi = HexValue(static_cast<unsigned char>(s[i++]));
      while (i < s.size() && s[i] == ' ') ++i;
      if (i >= s.size()) break;
      const int lo = HexValue(static_cast<unsigned char>(s[i++]));
      out += static_cast<char>((hi * 16 + lo) & 0xFF);
    }
    return out;
  }
  out = s;
  out += '\0';
  return out;
}

Outcome MacroRunRegistry(MacroState& st, MacroHost& host) {
  const bool write = st.m_strStmtCommand.Left(10) == CString("registry_w");
  st.m_strLastResult().Empty();
  const int slot = MacroRegistrySlot(st.m_strStmtCommand);
  const bool slotOk = slot >= 0 && slot < kSlotCount;
  // The error text goes to the variable of a read that names one.
  auto fail = [&](const char* text) {
    if (!write && slotOk) st.m_strMacroVars[slot] = text;
    st.m_strLastResult() = "EROR";
    return Outcome::kNext;
  };
  const RegistryOperand op = MacroParseRegistryOperand(st.m_strStmtOperand);
  if (!op.ok) return fail(kRegKeyNameError);
  if (!slotOk) return fail(kRegSlotError);
  if (write) {
    const std::string data = MacroRegistryTextToData(op.type, st.m_strMacroVars[slot]);
    const int r = host.WriteRegistryValue(op.keyPath, op.valueName, op.type, data);
    if (r == kRegistryNoKey) return fail(kRegOpenError);
    if (r != kRegistryOk) st.m_strLastResult() = "EROR";
    return Outcome::kNext;
  }
  std::uint32_t type = 0;
  std::string data;
  const int r = host.ReadRegistryValue(op.keyPath, op.valueName, kRegistryReadLimit, &type, &data);
  if (r == kRegistryNoKey) return fail(kRegOpenError);
  if (r != kRegistryOk) return fail(kRegDataError);
  st.m_strMacroVars[slot] = MacroRegistryDataToText(type, data);
  return Outcome::kNext;
}

Outcome MacroExecRegistry(MacroRunContext& rc) { return MacroRunRegistry(rc.state, rc.host); }

}  // namespace macro
