#include "macro/macro_names.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

#include "fw/sjis.h"
#include "macro/macro_host.h"
#include "macro/macro_number.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kMaxNameBytes = 1499;  // a declared name or initial value
constexpr int kMaxIndexText = 1500;  // a bracketed index
constexpr int kMaxIndexDigits = 50;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One entry of the names table: "185:total;", "190:tbl<3|4>;", "#:alias;".
struct NameEntry {
  int begin = 0;        // the entry's first byte
  bool hasKey = false;  // a slot number was written
  bool alias = false;   // "#", "&" or "@" entry: names no slot
  int key = 0;
  int nameBegin = 0, nameEnd = 0;  // the name as written, size included
};

template <typename F>
void ForEachEntry(const MacroState& st, int from, int to, F&& visit) {
  const char* t = st.m_abMacroNameTable;
  int p = from;
  while (p < to) {
    if (t[p] == kNameScopeMark) {
      ++p;
      continue;
    }
    int end = p;
    while (end < to && t[end] != ';') ++end;
    NameEntry e;
    e.begin = p;
    int q = p;
    e.alias = t[q] == '#' || t[q] == '&' || t[q] == '@';
    if (t[q] == '[') {
      while (q < end && t[q] != ']') ++q;
      if (q < end) ++q;
    }
    long long key = 0;
    for (; q < end && IsDigit(t[q]); ++q) {
      e.hasKey = true;
      key = key * 10 + (t[q] - '0');
      if (key > INT_MAX) key = INT_MAX;
    }
    e.key = static_cast<int>(key);
    while (q < end && t[q] != ':') ++q;
    e.nameBegin = q < end ? q + 1 : end;
    e.nameEnd = end;
    if (!visit(e)) return;
    p = end + 1;
  }
}

// The name without its size: "tbl<3|4>" -> "tbl".
std::string BaseName(const MacroState& st, const NameEntry& e) {
  int end = e.nameBegin;
  while (end < e.nameEnd && st.m_abMacroNameTable[end] != '<') ++end;
  return std::string(st.m_abMacroNameTable + e.nameBegin, end - e.nameBegin);
}

int LastScopeMark(const MacroState& st, int len) {
  for (int p = len - 1; p >= 0; --p)
    if (st.m_abMacroNameTable[p] == kNameScopeMark) return p;
  return -1;
}

int NumericValue(const MacroState& st, int slot) { return MacroReadNumber(st.m_strMacroVars[slot], 0); }

// "&D" at text[*pos]: the slot it names (0 for none); moves *pos past it.
int ReadRefSlot(const std::string& s, int* pos) {
  int p = *pos + 2;
  const int n = static_cast<int>(s.size());
  const char c = p < n ? s[p] : '\0';
  int slot = 0;
  if (c == 'T') {
    ++p;
    const char c3 = p < n ? s[p] : '\0';
    if (IsDigit(c3)) slot = c3 - '0' + 100, ++p;
    else if (c3 >= 'A' && c3 <= '~') slot = c3 + 45, ++p;
  } else if (c >= 'A' && c <= '~') {
    slot = c + 45;
    ++p;
  } else {
    long long v = 0;
    for (int k = 0; p < n && k < kMaxIndexDigits && s[p] != '>' && s[p] != '|' && s[p] != '\0'; ++p, ++k) {
      if (!IsDigit(s[p])) continue;
      v = v * 10 + (s[p] - '0');
      if (v > INT_MAX) v = INT_MAX;
    }
    slot = static_cast<int>(v);
  }
  *pos = p;
  return slot;
}

}  // namespace

int MacroNameTableLength(const MacroState& state) {
  const void* end = std::memchr(state.m_abMacroNameTable, 0, kNameTableSize);
  return end ? static_cast<int>(static_cast<const char*>(end) - state.m_abMacroNameTable) : kNameTableSize;
}

int MacroFindDeclaredSlot(const MacroState& state, const std::string& name) {
  const int len = MacroNameTableLength(state);
  const int mark = LastScopeMark(state, len);
  int found = -1;
  auto search = [&](int from) {
    ForEachEntry(state, from, len, [&](const NameEntry& e) {
      if (e.alias || BaseName(state, e) != name) return true;
      found = e.hasKey ? e.key : 0;
      return false;
    });
  };
  if (mark >= 0) search(mark + 1);
  if (found < 0) search(0);
  return found;
}

bool MacroFindDeclaredName(const MacroState& state, const std::string& name, bool subroutineFirst,
                           DeclaredName* found) {
  const int len = MacroNameTableLength(state);
  const char* t = state.m_abMacroNameTable;
  bool hit = false;
  auto search = [&](int from) {
    ForEachEntry(state, from, len, [&](const NameEntry& e) {
      int end = e.nameBegin;
      while (end < e.nameEnd && t[end] != '<' && t[end] != '=') ++end;
      if (static_cast<size_t>(end - e.nameBegin) != name.size() || name.compare(0, name.size(), t + e.nameBegin, name.size()) != 0)
        return true;
      found->alias = e.alias ? t[e.begin] : 0;
      found->slot = e.hasKey ? e.key : 0;
      found->text = end < e.nameEnd && t[end] == '=' ? std::string(t + end + 1, e.nameEnd - end - 1) : std::string();
      hit = true;
      return false;
    });
  };
  const int mark = subroutineFirst ? LastScopeMark(state, len) : -1;
  if (mark >= 0) search(mark + 1);
  if (!hit) search(0);
  return hit;
}

int MacroParseIndexRef(const MacroState& state, const CString& text, int* pos) {
  const std::string& s = text.Str();
  const int n = static_cast<int>(s.size());
  int p = *pos < 0 ? n : *pos;
  auto at = [&](int i) { return i < n ? s[i] : '\0'; };
  long long value = 0;
  bool second = false;

  if (at(p) == '[') {
    // Up to the matching ']' (double-byte characters skipped whole) or '>'.
    int q = p + 1, depth = 0;
    while (q < n && q - p <= kMaxIndexText) {
      const char c = s[q];
      if (c == '>' || (c == ']' && depth == 0)) break;
      if (c == '[') ++depth;
      if (c == ']') --depth;
      q += fw::SjisCharLength(s.data(), n, q) > 1 ? 2 : 1;
    }
    if (q > n) q = n;
    const std::string inner = s.substr(p + 1, q - p - 1);
    p = q;
    if (at(p) == ']') ++p;
    // Names only, as the reference evaluator reads an index (kind 4): a
    // variable gives its value, a "#" alias its text's number.
    DeclaredName name;
    const bool named = MacroFindDeclaredName(state, inner, state.m_nMacroCallDepth > 0, &name);
    if (named && !name.alias && name.slot > 0 && name.slot <= kLastVarSlot) {
      value = NumericValue(state, name.slot);
    } else if (named && name.alias == '#') {
      value = MacroReadNumber(CString(name.text), 0);
    } else if (inner.compare(0, 2, "&D") == 0) {
      int ip = 0;
      const int refSlot = ReadRefSlot(inner, &ip);
      value = refSlot >= 1 && refSlot <= kLastVarSlot ? NumericValue(state, refSlot) : refSlot;
    } else {
      value = MacroReadNumber(CString(inner), 0);
    }
    if (at(p) == '>' || at(p) == '|') second = s[p++] == '|';
  } else if (at(p) == '&' && at(p + 1) == 'D') {
    const int slot = ReadRefSlot(s, &p);
    value = slot >= 1 && slot <= kLastVarSlot ? NumericValue(state, slot) : slot;
    if (at(p) == '>' || at(p) == '|') second = s[p++] == '|';
  } else {
    for (int k = 0; p < n && k < kMaxIndexDigits; ++k) {
      const char c = s[p++];
      if (c == '\0' || c == '>') break;
      if (c == '|') {
        second = true;
        break;
      }
      if (!IsDigit(c)) continue;
      value = value * 10 + (c - '0');
      if (value > INT_MAX) value = INT_MAX;
    }
  }
  if (at(p) == ']') ++p;
  *pos = p;
  if (value < 0) value = 0;
  return second ? static_cast<int>(-1 - value) : static_cast<int>(value);
}

int MacroDeclareVariables(MacroState& state, MacroHost* host, const CString& list, int next, int limit) {
  std::string L = list.Str();
  if (!L.empty() && L.back() != ';') L += ';';
  L += "    ";
  const int n = static_cast<int>(L.size());
  auto at = [&](int i) { return i < n ? L[i] : '\0'; };

  std::string entries;
  // Values are written only once the whole list is known to fit.
  std::vector<std::pair<int, std::string>> writes;
  long long running = next;
  long long highest = next;  // past every slot an item of the list took
  int i = 0;
  for (;;) {
    while (i < n && (L[i] == ' ' || L[i] == '>' || L[i] == ',' || L[i] == ';')) ++i;
    if (i >= n || L[i] == '\0') break;
    const char first = L[i];
    if (first == '#' || first == '&' || first == '@') {
      int e = i + 1;
      while (e < n && L[e] != ',' && L[e] != ';') ++e;
      entries += first;
      entries += ':';
      entries.append(L, i + 1, e - i - 1);
      entries += ';';
      i = e;
      continue;
    }

    // The slot: "B:" a letter's slot, "12:" a number, else the next one. The
    // ':' of a number lies within the item's own first four bytes and only
    // digits stand before it ("a=1:5" and "a,B:x" name no number).
    long long slot;
    enum class SlotBy { kLetter, kNumber, kRun } by;
    int colon = -1;
    for (int k = i; k < i + 4 && k < n && L[k] != ',' && L[k] != ';'; ++k) {
      if (L[k] == ':') {
        colon = k;
        break;
      }
      if (!IsDigit(L[k])) break;
    }
    if (first >= 'A' && first <= 'z' && at(i + 1) == ':') {
      slot = first + 45;
      by = SlotBy::kLetter;
      i += 2;
    } else if (colon >= 0) {
      slot = 0;
      for (int k = i; k < colon; ++k) slot = slot * 10 + (L[k] - '0');
      by = SlotBy::kNumber;
      i = colon + 1;
    } else {
      slot = running;
      by = SlotBy::kRun;
    }
    if (slot > kLastVarSlot) return 0;

    int e = i;
    while (e < n && L[e] != ',' && L[e] != ';' && L[e] != '=') ++e;
    const std::string name = L.substr(i, std::min(e - i, kMaxNameBytes));
    bool hasValue = false;
    std::string value;
    if (at(e) == '=') {
      int v = e + 1;
      while (v < n && L[v] != ',' && L[v] != ';') ++v;
      value = L.substr(e + 1, std::min(v - e - 1, kMaxNameBytes));
      hasValue = true;
      e = v;
    }
    if (e < n && at(e + 1) == '[') {
      if (host) host->ShowMessageBox("define parameter eror!\n'[' is to be after ';'");
      return -1;
    }
    i = e;

    // Array sizes.
    long long a = 0, b = 0;
    bool array = false, twoDim = false;
    const size_t lt = name.find('<');
    if (lt != std::string::npos) {
      array = true;
      const CString nameText(name);
      int p = static_cast<int>(lt) + 1;
      int r = MacroParseIndexRef(state, nameText, &p);
      if (r < 0) {
        twoDim = true;
        a = -1LL - r;
        b = MacroParseIndexRef(state, nameText, &p);
        if (b < 0) b = -1LL - b;
      } else {
        a = r;
      }
    }
    // The slots the item takes: the base and its elements. An item that
    // follows a numbered one would run on from it; where that run would
    // reach a slot of the declared area already taken (from 180 up to the
    // store's next slot or past this list's earlier items), it starts past
    // every slot taken instead, so no two declarations share a slot.
    const long long span = twoDim ? a * b + 2 : a + 1;
    const long long takenFrom = std::max<long long>(slot, kFirstDeclaredSlot);
    if (by == SlotBy::kRun && takenFrom < std::min(slot + span, highest)) slot = highest;
    const long long last = slot + span - 1;
    if (slot > kLastVarSlot || last > kLastVarSlot) return 0;

    if (twoDim) {
      char base[24];
      std::snprintf(base, sizeof base, "%c%lld", 0x0C, b);
      writes.emplace_back(static_cast<int>(slot), base);
    }
    if (hasValue && !array) {
      writes.emplace_back(static_cast<int>(slot), value);
    } else if (hasValue) {
      // "{a|b|c}": pieces into consecutive elements, at most the array's size.
      size_t p = value[0] == '{' ? 1 : 0;
      const long long firstElem = twoDim ? slot + 1 : slot;
      const long long count = twoDim ? a * b : a + 1;
      for (long long k = 0; k < count && p <= value.size(); ++k) {
        size_t bar = value.find('|', p);
        bool lastPiece = bar == std::string::npos;
        if (lastPiece) {
          bar = value.find('}', p);
          if (bar == std::string::npos) bar = value.size();
        }
        writes.emplace_back(static_cast<int>(firstElem + k), value.substr(p, bar - p));
        if (lastPiece) break;
        p = bar + 1;
      }
    }

    if (slot != 0) {
      char num[16];
      std::snprintf(num, sizeof num, "%03d", static_cast<int>(slot));
      entries += num;
    }
    entries += ':';
    entries += name;
    entries += ';';

    // The run goes on past the whole item (a numbered array's elements
    // included); a letter's slot moves it only when it ends past 180.
    const long long after = slot + span;
    if (by != SlotBy::kLetter || after > kFirstDeclaredSlot) running = after;
    if (after > highest) highest = after;
  }

  if (highest > limit) return 0;
  const int used = MacroNameTableLength(state);
  if (used + static_cast<long long>(entries.size()) >= kNameTableSize) return 0;
  std::memcpy(state.m_abMacroNameTable + used, entries.data(), entries.size());
  state.m_abMacroNameTable[used + entries.size()] = '\0';
  for (auto& w : writes) state.m_strMacroVars[w.first] = CString(std::move(w.second));
  // A slot named by number continues the list from there ("12:a,b" puts b at
  // 13), but the store's next free slot passes every slot the list took and
  // never moves below where it was, so no later declaration shares a slot.
  return static_cast<int>(highest);
}

int MacroCollectArgumentRefs(const CString& text, std::vector<int>* slots, std::uint32_t* flags) {
  const std::string& s = text.Str();
  const int n = static_cast<int>(s.size());
  auto at = [&](int i) { return i < n ? s[i] : ' '; };
  int count = 0;
  int p = 0;
  while (p < n && count < kLastVarSlot) {
    const unsigned char c = static_cast<unsigned char>(s[p]);
    int slot;
    if (c == '&') {
      if (at(p + 1) == 'D' && at(p + 2) == 'T' && (IsDigit(at(p + 3)) || (at(p + 3) >= 'A' && at(p + 3) <= '~'))) {
        // "&DT" and a digit or letter: one reference.
        const char d = at(p + 3);
        slot = IsDigit(d) ? d - '0' + 100 : d + 45;
        p += 4;
      } else {
        p += at(p + 1) == 'D' ? 2 : 1;
        continue;
      }
    } else if (c < '0' || c == 'T' || (c >= ':' && c <= '@') || c >= 0x7F) {
      ++p;
      continue;
    } else if (IsDigit(static_cast<char>(c))) {
      long long v = 0;
      for (; p < n && IsDigit(s[p]); ++p) {
        v = v * 10 + (s[p] - '0');
        if (v > INT_MAX) v = INT_MAX;
      }
      slot = static_cast<int>(v);
    } else {
      slot = c + 45;
      ++p;
    }
    // A '*' right after the whole reference passes it by reference.
    if (p < n && s[p] == '*') {
      if (flags && slot >= 0 && slot <= kLastVarSlot) flags[slot] |= kVarByRefMark;
      ++p;
    } else if (p < n && IsDigit(static_cast<char>(c))) {
      ++p;  // the byte that ended the number
    }
    if (slots) slots->push_back(slot);
    ++count;
  }
  if (count > 0 && slots) slots->push_back(0);
  return count;
}

CString MacroVariableDisplayName(const MacroState& state, int slot) {
  const int len = MacroNameTableLength(state);
  bool done = false;
  CString result;
  bool haveBest = false;
  NameEntry best;
  ForEachEntry(state, 0, len, [&](const NameEntry& e) {
    if (!e.hasKey) return true;
    if (e.key == slot && slot >= kFirstDeclaredSlot) {
      result = CString(BaseName(state, e));
      done = true;
      return false;
    }
    if (e.key == 9999) {
      done = true;
      return false;
    }
    if (e.key < slot && (!haveBest || e.key > best.key)) {
      best = e;
      haveBest = true;
    }
    return true;
  });
  if (done || !haveBest) return result;
  const std::string name(state.m_abMacroNameTable + best.nameBegin, best.nameEnd - best.nameBegin);
  const size_t lt = name.find('<');
  if (lt == std::string::npos) return CString();
  const std::string base = name.substr(0, lt);
  int p = static_cast<int>(lt) + 1;
  int r = MacroParseIndexRef(state, CString(name), &p);
  const long long a = r < 0 ? -1LL - r : r;
  const int baseSlot = best.key;
  const CString& head = state.m_strMacroVars[baseSlot];
  long long rowLen = 0;
  if (head.GetLength() > 0 && head[0] == 0x0C) rowLen = MacroReadNumber(head.Mid(1), 7);
  CString out;
  if (rowLen > 0) {
    const long long k = static_cast<long long>(slot) - baseSlot - 1;
    if (k < 0 || k >= a * rowLen) return CString();
    out.Format("%s<%lld|%lld>", base.c_str(), k / rowLen, k % rowLen);
  } else {
    const long long k = static_cast<long long>(slot) - baseSlot;
    if (k > a) return CString();
    out.Format("%s<%lld>", base.c_str(), k);
  }
  return out;
}

}  // namespace macro
