// Variable substitution in every mode, the page-code step, file-name operands
// and operand escapes over any bytes. The input is split at 0x00 bytes: the
// text, then the values of a few slots (some refer to each other).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "csv/csv_buffer.h"
#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_paths.h"
#include "macro/macro_state.h"
#include "macro/macro_subst.h"

namespace {

using Host = fuzzsupport::QuietMacroHost;

const int kSlots[] = {1, 5, 12, 110, 118, 155, 157, 132, 5180};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The substitution as its rules read, on a plain string: find "&D" from the
// search index, replace and search again from the same index. False when it
// needs more than `limit` replacements (the comparison is then skipped).
bool Literal(macro::MacroState& st, const csv::TableFields* table, std::string s, int mode, int vi, int vj,
             int page, int limit, std::string* result) {
  if (s.empty()) {
    *result = s;
    return true;
  }
  if ((mode == 9 || page > 0) && table && s.size() > 4) macro::MacroReplacePageCode(st, *table, &s);
  auto swap = [&](char a, char b) {
    for (char& c : s)
      if (c == a) c = b;
  };
  if (mode == 4) swap('(', 0x1D), swap(')', 0x1E), swap('+', 0x1F);
  const bool keepFirst = mode == 1 || mode == 3, keepT = mode == 2 || mode == 3;
  size_t i = 0;
  int count = 0;
  for (;;) {
    size_t at = s.find("&D", i);
    if (at == 0 && keepFirst) {
      const size_t amp = s.find('&', 1);
      if (amp != 2 && amp != 3) at = s.find("&D", 3);
    }
    if (at == std::string::npos || s.size() - at < 3) break;
    size_t end = at + 3;
    long long slot = 0;
    const char c = s[at + 2];
    if (IsDigit(c)) {
      end = at + 2;
      while (end < s.size() && IsDigit(s[end])) {
        slot = slot * 10 + (s[end] - '0');
        if (slot > 1000000) slot = 1000000;
        ++end;
      }
      if (end < s.size() && s[end] == '\x01') ++end;
    } else if (c == 'T') {
      const char d = at + 3 < s.size() ? s[at + 3] : '\0';
      end = at + 4;
      if (keepT || at + 3 >= s.size()) slot = 0;
      else if (IsDigit(d)) slot = 100 + d - '0';
      else if (d >= 'A' && d <= '~') slot = d + 45;
    } else if (c >= 'A' && c <= '~' && c != 'C') {
      slot = c + 45;
    }
    const char after = end < s.size() ? s[end] : '\0';
    const char before = at > 0 ? s[at - 1] : '\0';
    const bool stays = (after == '#' && before != '&' && before != '@') || (after == '=' && before == ',') ||
                       after == '<' ||
                       ((after == '+' || after == '-' || after == 0x1F) && end + 1 < s.size() && s[end + 1] == after);
    if (slot < 1 || slot > macro::kLastVarSlot || stays) {
      i = at + 1;
      continue;
    }
    if (++count > limit) return false;
    std::string value = st.m_strMacroVars[slot].Str();
    if (slot == 118 && vi > 0) value = std::to_string(vi);
    if (slot == 119 && vj > 0) value = std::to_string(vj);
    s.replace(at, end - at, value);
    i = at;
  }
  if (mode == 4) {
    swap('+', 0x1A), swap('(', 0x1B), swap(')', 0x1C);
    swap(0x1D, '('), swap(0x1E, ')'), swap(0x1F, '+');
  }
  result->clear();
  for (char ch : s)
    if (ch != '\x01') *result += ch;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static macro::MacroState* st = new macro::MacroState;
  static csv::TableFields* table = [] {
    auto* t = new csv::TableFields;
    t->m_aSecRow[0] = 3;
    for (int b = 1; b <= 3; ++b) {
      t->m_aSecRow[b] = 1 + 10 * (b - 1);
      t->m_aSecLine[b] = 2 + 10 * (b - 1);
      t->m_aSecInfoA[b] = 9 + 10 * (b - 1);
      t->m_aSecFields[b] = 3 + b;
    }
    t->m_nLastRow = 29;
    return t;
  }();
  static Host host = [] {
    Host h;
    h.programDir = "P:\\prog";
    h.listDir1 = "L:\\one";
    h.listDir2 = "L:\\two";
    h.paramPath = "C:\\doc\\report.txt";
    return h;
  }();
  if (size > 65536) size = 65536;
  std::vector<std::string> parts(1);
  for (size_t k = 0; k < size; ++k) {
    if (data[k] == 0 && parts.size() < 1 + sizeof kSlots / sizeof kSlots[0]) parts.emplace_back();
    else parts.back() += static_cast<char>(data[k]);
  }
  for (const int slot : kSlots) st->m_strMacroVars[slot].Empty();
  // Short values keep a self-referencing one (10,000 replacements) quick.
  for (size_t k = 1; k < parts.size(); ++k) st->m_strMacroVars[kSlots[k - 1]] = CString(parts[k].substr(0, 24));
  const CString text(parts[0]);

  for (int mode : {0, 1, 2, 3, 4, 9}) {
    st->m_strMacroVars[146].Empty();
    const int page = mode == 0 ? 1 : 0;
    const CString out = macro::MacroSubstituteVariables(*st, table, text, mode, 3, 4, page);
    const std::string& o = out.Str();
    std::string expected;
    if (Literal(*st, table, text.Str(), mode, 3, 4, page, 200, &expected) && o != expected) __builtin_trap();
    if (o.size() > static_cast<size_t>(macro::kSubstMaxBytes) + text.Str().size()) __builtin_trap();
    if (o.find('\x01') != std::string::npos) __builtin_trap();
    if (mode == 4 && o.find_first_of("\x1d\x1e\x1f") != std::string::npos) __builtin_trap();
    // A text without references (and, outside mode 4, nothing to shield or
    // page) comes back without its 0x01 bytes only.
    if ((mode == 1 || mode == 2 || mode == 3) && text.Str().find("&D") == std::string::npos) {
      std::string expected;
      for (char c : text.Str())
        if (c != '\x01') expected += c;
      if (o != expected) __builtin_trap();
    }
  }
  macro::MacroExpandParameters(*st, host, text);
  const CString escaped = macro::MacroExpandLineEscapes(text, text.GetLength() % 2);
  if (text.Str().find('\\') == std::string::npos && escaped != text) __builtin_trap();
  return 0;
}
