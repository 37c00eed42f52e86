// The LD functions: a cell looked up in the lookup data file (macro_lookup.h)
// by its first field. "LD n" writes field n of the first matching line (2
// without n), "LDT" the rest of that line after its first field, "LDC" the
// number of matching lines, "LDN" the line number of the first. Fields of
// the data file are separated by ',' or TAB. No match writes nothing
// ("LDC" and "LDN": "0").
#include <string>

#include "macro/macro_fn_common.h"
#include "macro/macro_lookup.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

bool IsSep(char c) { return c == ',' || c == '\t'; }

void Lookup(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  std::string key = f.Text();
  if (key.size() >= 2 && key.front() == '"' && key.back() == '"') key = key.substr(1, key.size() - 2);
  const int v = *a.pnParam;
  const int kind = v >= 30000 ? 3 : v >= 20000 ? 2 : v >= 10000 ? 1 : 0;  // LD, LDT, LDC, LDN
  int column = v - kind * 10000;
  if (column <= 0) column = 2;
  const MacroState& st = scope.state;
  const char* d = st.m_pMacroLookup;
  const std::uint32_t n = d ? st.m_nMacroLookupLen : 0;

  // Where to start: the key's first line through the index, or the first
  // line (after a "$$" header) when the data or the key has no index.
  const bool indexed = n >= 2 && d[0] == '$' && d[1] == '$';
  std::uint32_t p = 0;
  std::uint32_t line = 1;
  bool sameKeyOnly = false;
  if (indexed && key.size() >= 2) {
    const std::uint32_t k = MacroLookupKey(static_cast<unsigned char>(key[0]), static_cast<unsigned char>(key[1]));
    if (k >= kFirstLookupKey) {
      p = st.m_aMacroLookupIndex[k];
      if (p == 0 || p >= n) p = n;  // no line of that key
      sameKeyOnly = true;
    }
  }
  if (p == 0 && indexed) {
    while (p < n && d[p] != '\r' && d[p] != '\n') ++p;
  }
  if (p > 0 && p < n) {
    // The line number of the line at p.
    for (std::uint32_t i = 0; i < p; ++i)
      if (d[i] == '\n' || (d[i] == '\r' && (i + 1 >= n || d[i + 1] != '\n'))) ++line;
  }
  long long count = 0, firstLine = 0;
  std::string found;
  while (p < n) {
    // Step over the line break before a line.
    if (d[p] == '\r' || d[p] == '\n') {
      if (d[p] == '\r' && p + 1 < n && d[p + 1] == '\n') ++p;
      ++p;
      ++line;
      continue;
    }
    std::uint32_t e = p;
    while (e < n && d[e] != '\r' && d[e] != '\n') ++e;
    if (sameKeyOnly && key.size() >= 2 && e - p >= 2 &&
        MacroLookupKey(static_cast<unsigned char>(d[p]), static_cast<unsigned char>(d[p + 1])) !=
            MacroLookupKey(static_cast<unsigned char>(key[0]), static_cast<unsigned char>(key[1])))
      break;
    std::uint32_t s = p;
    while (s < e && !IsSep(d[s])) ++s;
    if (s - p == key.size() && key.compare(0, key.size(), d + p, s - p) == 0) {
      if (count == 0) {
        firstLine = line;
        if (kind == 1) {
          found.assign(d + (s < e ? s + 1 : e), d + e);
        } else {
          std::uint32_t q = p;
          for (int c = 1; c < column && q < e; ++c) {
            while (q < e && !IsSep(d[q])) ++q;
            if (q < e) ++q;
            else q = e + 1;
          }
          if (q <= e) {
            std::uint32_t qe = q;
            while (qe < e && !IsSep(d[qe])) ++qe;
            found.assign(d + q, d + qe);
          }
        }
      }
      ++count;
      if (kind < 2) break;
    }
    p = e;
  }
  if (kind == 2) return PutNumber(a, count);
  if (kind == 3) return PutNumber(a, firstLine);
  PutWhole(a, found);
}

}  // namespace

void RegisterLookupFunctions(BuiltinHandler* at) { at[20] = Lookup; }

}  // namespace macro
