// The reference evaluator: one bracketed reference's contents to a number or
// to the text that stands for it.
#include <climits>
#include <cstdio>
#include <string>

#include "csv/csv_buffer.h"
#include "csv/csv_index.h"
#include "fw/sjis.h"
#include "macro/macro_address.h"
#include "macro/macro_blocks.h"
#include "macro/macro_host.h"
#include "macro/macro_names.h"
#include "macro/macro_number.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr char kRunMark = 0x05;  // contents ending in it: the last row of a run

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

long long ReadDigits(const std::string& s, size_t* pos) {
  long long v = 0;
  size_t p = *pos;
  for (; p < s.size() && IsDigit(s[p]); ++p) {
    v = v * 10 + (s[p] - '0');
    if (v > INT_MAX) v = INT_MAX;
  }
  *pos = p;
  return v;
}

// A cell ends at a double quote, '^', the field separator, a line end or NUL.
bool CellEnds(std::uint8_t c) { return c == '"' || c == '^' || c == csv::CSV_FIELD_SEP || c == '\r' || c == '\n' || c == 0; }

// The cell at text[pos] against a key: '%' any one byte, '&' any run of
// characters up to the key's next byte, "\%" "\&" "\\" those bytes. The key
// must be used up exactly at the cell's end, or end in '&'. A double-byte
// character of the key is compared whole (its second byte is never taken for
// a wildcard or a backslash), and the run of '&' steps over whole characters.
bool CellMatches(const std::uint8_t* text, std::uint32_t length, std::uint32_t pos, const std::string& key) {
  auto cell = [&](std::uint32_t i) -> std::uint8_t { return i < length ? text[i] : 0; };
  auto lead = [](std::uint8_t b) { return fw::IsSjisLeadByte(b); };
  std::uint32_t c = pos;
  if (cell(c) == '"') ++c;
  size_t k = 0;
  while (k < key.size()) {
    const std::uint8_t kc = static_cast<std::uint8_t>(key[k]);
    if (lead(kc) && k + 1 < key.size()) {
      if (cell(c) != kc || cell(c + 1) != static_cast<std::uint8_t>(key[k + 1])) return false;
      c += 2, k += 2;
      continue;
    }
    if (kc == '&') {
      if (k + 1 == key.size()) return true;
      std::uint8_t stop = static_cast<std::uint8_t>(key[k + 1]);
      if (stop == '\\' && k + 2 < key.size()) stop = static_cast<std::uint8_t>(key[k + 2]);
      while (!CellEnds(cell(c)) && cell(c) != stop) c += lead(cell(c)) && !CellEnds(cell(c + 1)) ? 2 : 1;
      if (CellEnds(cell(c))) return false;
      ++k;
      continue;
    }
    if (CellEnds(cell(c))) return false;
    if (kc == '%') {
      ++c, ++k;
      continue;
    }
    std::uint8_t want = kc;
    if (kc == '\\' && k + 1 < key.size() && (key[k + 1] == '%' || key[k + 1] == '&' || key[k + 1] == '\\'))
      want = static_cast<std::uint8_t>(key[++k]);
    if (cell(c) != want) return false;
    ++c, ++k;
  }
  return CellEnds(cell(c));
}

// The start of the line after the one at `pos` (CR LF, CR or LF end a line).
std::uint32_t NextLine(const std::uint8_t* text, std::uint32_t length, std::uint32_t pos) {
  while (pos < length && text[pos] != '\r' && text[pos] != '\n' && text[pos] != 0) ++pos;
  if (pos < length && text[pos] == '\r') ++pos;
  if (pos < length && text[pos] == '\n') ++pos;
  return pos;
}

bool AtTextEnd(const std::uint8_t* text, std::uint32_t length, std::uint32_t pos) { return pos >= length || text[pos] == 0; }

// Row keys: the row whose first cell matches. 0 when none (or the block is
// not one of the table's).
long long FindRow(const AddressScope& sc, std::string key) {
  const bool run = !key.empty() && key.back() == kRunMark;
  if (run) key.pop_back();
  long long startRow = 1;
  std::uint32_t pos = 0;
  bool inBlock = false;
  const size_t caret = key.find("^P", 1);
  if (caret != std::string::npos) {
    const std::string tail = key.substr(caret + 2);
    key.resize(caret);
    long long block;
    if (!tail.empty() && tail[0] == 'n') {
      block = MacroReadNumber(sc.state.m_strMacroVars[kSlotCurBlock], 9);
    } else {
      size_t p = 0;
      block = ReadDigits(tail, &p);
    }
    inBlock = true;
    if (!sc.table || block < 1 || block > MacroBlockCount(*sc.table)) return 0;
    if (block > 1) {
      startRow = sc.table->m_aSecRow[block];
      pos = sc.table->m_aSecScanPos[block];
    }
  }
  if (key.empty() || pos >= sc.length) return 0;
  long long row = startRow;
  long long found = 0;
  for (pos = NextLine(sc.text, sc.length, pos); !AtTextEnd(sc.text, sc.length, pos);
       pos = NextLine(sc.text, sc.length, pos)) {
    ++row;
    if (inBlock && sc.text[pos] == '!' && pos + 1 < sc.length && (sc.text[pos + 1] == '#' || sc.text[pos + 1] == '*'))
      break;
    if (CellMatches(sc.text, sc.length, pos, key)) {
      found = row;
      if (!run) break;
    } else if (found > 0) {
      break;
    }
  }
  return found;
}

// Column keys: the cell of the title line (m_nCurLine) that matches, from 1.
long long FindColumn(const AddressScope& sc, const std::string& key) {
  if (key.empty()) return 0;
  std::uint32_t pos = 0;
  if (sc.table) csv::LineToOffset(*sc.table, sc.text, sc.length, &pos, csv::kLineTitleAtCurLine, 0);
  long long column = 1;
  while (!AtTextEnd(sc.text, sc.length, pos)) {
    if (CellMatches(sc.text, sc.length, pos, key)) return column;
    while (pos < sc.length && sc.text[pos] != csv::CSV_FIELD_SEP && sc.text[pos] != '\r' && sc.text[pos] != '\n' &&
           sc.text[pos] != 0)
      ++pos;
    if (pos >= sc.length || sc.text[pos] != csv::CSV_FIELD_SEP) break;
    ++pos;
    ++column;
  }
  return 0;
}

bool IsRowKind(int kind) { return kind == kRefRowValue || kind == kRefRow || kind == kRefNestedRow; }
bool IsColumnKind(int kind) {
  return kind == kRefPlain || kind == kRefColumnValue || kind == kRefColumn || kind == kRefNestedColumn;
}

// Page-block landmarks "ptt", "pre", "pbe", "pgt", "pge", alone or with one
// digit (the block number, 1 when none). Returns false when the text is none.
bool PageLandmark(const AddressScope& sc, const std::string& s, long long* value, bool* resolved) {
  if (s.size() < 3 || s.size() > 4 || s[0] != 'p') return false;
  if (s.size() == 4 && !IsDigit(s[3])) return false;
  BlockLandmark mark;
  const std::string pair = s.substr(1, 2);
  if (pair == "bt" || !MacroBlockLandmark(pair.c_str(), &mark) || mark == BlockLandmark::kAfterTitle) return false;
  const long long block = s.size() == 4 ? s[3] - '0' : 1;
  *resolved = sc.table && MacroBlockValue(*sc.table, mark, block, value);
  return true;
}

void SetNumber(std::string* contents, long long v) { *contents = std::to_string(v); }

// Nested "[...]" of the contents, each valued in turn.
bool ReplaceNested(const AddressScope& sc, std::string* contents, int depth) {
  std::string& s = *contents;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (fw::IsSjisLeadByte(c) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (c != '[') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    int level = 0;
    for (; j < s.size() && j - i <= static_cast<size_t>(kAddressMaxContents); ++j) {
      const unsigned char d = static_cast<unsigned char>(s[j]);
      if (fw::IsSjisLeadByte(d) && j + 1 < s.size()) {
        ++j;
        continue;
      }
      if (d == '[') ++level;
      if (d == ']' && level-- == 0) break;
    }
    if (j >= s.size() || s[j] != ']') return true;  // no matching ']': left as it is
    std::string inner = s.substr(i + 1, j - i - 1);
    const char before = i > 0 ? s[i - 1] : '\0';
    const int kind = before == '&' ? kRefNestedColumn : before == '@' ? kRefNestedRow : kRefNestedValue;
    MacroEvalAddressToken(sc, &inner, kind, 0, -1, depth + 1);
    // The contents stay within their 1,500 bytes whatever a value brings.
    const size_t room = static_cast<size_t>(kAddressMaxContents) - (s.size() - (j + 1 - i));
    if (s.size() - (j + 1 - i) >= static_cast<size_t>(kAddressMaxContents)) inner.clear();
    else if (inner.size() > room) inner.resize(room);
    s.replace(i, j + 1 - i, inner);
    i += inner.size();
  }
  return true;
}

}  // namespace

int MacroEvalAddressToken(const AddressScope& sc, std::string* contents, int kind, int index1, int index2, int depth) {
  std::string& s = *contents;
  // Nesting is bounded in depth and, since one level may ask for several
  // nested references ("&:x=[x][x]"), in the evaluations under one reference.
  if (depth == 0) {
    sc.nestedCalls = 0;
    sc.nestingExceeded = false;
  }
  if (sc.nestingExceeded || depth > kAddressMaxDepth || ++sc.nestedCalls > kAddressMaxNested) {
    if (!sc.nestingExceeded && sc.host) sc.host->ShowMessageBox("stack over eror");
    sc.nestingExceeded = true;  // everything still under this reference ends at once
    s = "0";
    return 0;
  }
  MacroState& st = sc.state;
  const csv::TableFields* t = sc.table;
  // 1. "#" after the sigil asks for the number as a plain value.
  if ((kind == kRefRow || kind == kRefColumn) && !s.empty() && s[0] == '#') {
    s.erase(0, 1);
    kind = kind == kRefRow ? kRefRowValue : kRefColumnValue;
  }
  if (kind != kRefIndex) {
    // 3. Page-block landmarks.
    long long v = 0;
    bool resolved = false;
    if (PageLandmark(sc, s, &v, &resolved)) {
      if (!resolved || v < 0) {
        s = "0";
        return 0;
      }
      SetNumber(&s, v);
      return static_cast<int>(v > INT_MAX ? INT_MAX : v);
    }
    // 4. Counting from the end.
    if ((s.compare(0, 3, "re-") == 0 || s.compare(0, 3, "be-") == 0) && s.size() > 3 && IsDigit(s[3])) {
      size_t p = 3;
      const long long n = ReadDigits(s, &p);
      if (!t) {
        s = "0";
        return 0;
      }
      v = s[0] == 'r' ? static_cast<long long>(t->m_nFieldCount) - n : static_cast<long long>(t->m_nLastRow) - n + 1;
      SetNumber(&s, v);
      return static_cast<int>(v < INT_MIN ? INT_MIN : v);
    }
    // 5. Indirection through a variable.
    const size_t ref = s.find("&D");
    if (ref != std::string::npos && ref + 2 < s.size()) {
      const int slot = MacroReadNumber(CString(s.substr(ref)), 1);
      const CString& value = st.m_strMacroVars[slot];
      if (slot >= 1 && slot <= kLastVarSlot && value.GetLength() >= 1 && value.GetLength() <= 499) s = value.Str();
    }
    // 6. Nested brackets.
    ReplaceNested(sc, &s, depth);
  }

  auto byName = [&](int* result) -> bool {
    if (st.m_abMacroNameTable[0] == '\0' || !(kind < 10 || kind == kRefNestedValue)) return false;
    DeclaredName name;
    if (!MacroFindDeclaredName(st, s, st.m_nMacroCallDepth > 0, &name)) return false;
    if (name.alias == '#') {
      s = name.text;
      *result = kAddressRewritten;
      return true;
    }
    long long slot;
    if (name.alias) {
      if (kind == kRefIndex || kind == kRefSlot) return false;
      std::string target = name.text;
      slot = MacroEvalAddressToken(sc, &target, name.alias == '&' ? kRefNestedColumn : kRefNestedRow, index1, index2,
                                   depth + 1);
      if (slot < 1) return false;
      SetNumber(&s, slot);
      *result = kAddressRewritten;
      return true;
    }
    slot = name.slot;
    if (index2 < 0) {
      slot += index1;
    } else if (slot >= 1 && slot <= kLastVarSlot) {
      const CString& base = st.m_strMacroVars[slot];
      long long rowLength = 0;
      if (base.GetLength() > 0 && base[0] == 0x0C) rowLength = MacroReadNumber(base.Mid(1), 7);
      slot += 1 + static_cast<long long>(index1) * rowLength + index2;
    }
    if (slot < 1 || slot > kLastVarSlot) return false;  // no variable of the store
    if (kind == kRefSlot) {
      SetNumber(&s, slot);
    } else if (kind == kRefNestedValue) {
      s = st.m_strMacroVars[slot].Str();
    } else {
      s = "&D" + std::to_string(slot);
    }
    *result = kAddressRewritten;
    return true;
  };
  auto byKey = [&](long long* found) -> bool {
    if (sc.length == 0 || !sc.text || kind == kRefIndex) return false;
    long long v = 0;
    if (IsRowKind(kind)) v = FindRow(sc, s);
    else if (IsColumnKind(kind)) v = FindColumn(sc, s);
    if (v < 1) return false;
    if (index2 < 0) v += index1;
    *found = v;
    return true;
  };

  int named = 0;
  long long found = 0;
  const bool keysFirst = kind == kRefRowValue || kind == kRefColumnValue || kind == kRefRow || kind == kRefColumn;
  if (keysFirst) {
    if (byKey(&found)) {
      SetNumber(&s, found);
      return static_cast<int>(found > INT_MAX ? INT_MAX : found);
    }
    if (byName(&named)) return named;
  } else {
    if (byName(&named)) return named;
    if (byKey(&found)) {
      SetNumber(&s, found);
      return static_cast<int>(found > INT_MAX ? INT_MAX : found);
    }
  }
  if (kind == kRefRowValue && t) {
    const int v = t->m_nLastRow + 10;
    SetNumber(&s, v);
    return v;
  }
  s = "0";
  return 0;
}

}  // namespace macro
