// Field functions of the built-in library: leading and trailing zeros and
// blanks, quotes, fill up and down, character filters, case, lengths, row
// and column numbers, pattern replacement, the check list, the table-block
// functions, the title cell, random numbers and the position code.
#include <algorithm>
#include <string>

#include "core/pattern/pattern.h"
#include "csv/csv_buffer.h"
#include "fw/uihooks.h"
#include "macro/macro_fn_common.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

using Kinds = std::string;

// Copies the field unchanged and consumes it.
void CopyField(BuiltinScope& scope, BuiltinArgs& a, const FunctionField& f) {
  PutWhole(a, f.Text());
  MacroFinishFunctionField(scope, a, f);
}

// Writes `text` as the field's result and consumes the field.
void Result(BuiltinScope& scope, BuiltinArgs& a, const FunctionField& f, const std::string& text) {
  PutWhole(a, text);
  MacroFinishFunctionField(scope, a, f);
}

// 0 "CZ" and 1 "CL": leading zeros or blanks (and full-width blanks).
void StripLeading(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  if (s.empty() || static_cast<unsigned char>(s[0]) <= 31) return CopyField(scope, a, f);
  const bool zeros = a.nCode == 0;
  const char fill = zeros ? '0' : ' ';
  std::string out;
  std::size_t i = 0;
  if (s[i] == '"') out += s[i++];
  if (zeros && i < s.size() && (s[i] == '+' || s[i] == '-')) out += s[i++];
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    if (c == static_cast<unsigned char>(fill)) {
      // A zero before a quote or the field's end is the value itself.
      if (zeros && (next == '"' || next < 31)) break;
      ++i;
    } else if (!zeros && c == 0x81 && next == 0x40) {
      i += 2;
    } else {
      break;
    }
  }
  out.append(s, i, std::string::npos);
  Result(scope, a, f, out);
}

// 2 "CR": trailing blanks and full-width blanks; a closing quote stays.
void StripTrailing(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  if (s.empty() || static_cast<unsigned char>(s[0]) <= 31) return CopyField(scope, a, f);
  const Kinds k = SjisByteKinds(s);
  std::size_t e = s.size();
  bool closing = false;
  if (e >= 2 && s[0] == '"' && s[e - 1] == '"' && k[e - 1] == 0) {
    closing = true;
    --e;
  }
  const std::size_t floor = s[0] == '"' ? 1 : 0;
  while (e > floor) {
    if (s[e - 1] == ' ' && k[e - 1] == 0) {
      --e;
    } else if (e >= 2 + floor && static_cast<unsigned char>(s[e - 2]) == 0x81 && s[e - 1] == 0x40 && k[e - 2] == 1) {
      e -= 2;
    } else {
      break;
    }
  }
  std::string out = s.substr(0, e);
  if (closing) out += '"';
  Result(scope, a, f, out);
}

// 3 "CQ": the enclosing quotes and every comma go.
void RemoveQuotes(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const Kinds k = SjisByteKinds(s);
  std::string out;
  int quotes = 0;
  for (std::size_t i = s.empty() || s[0] != '"' ? 0 : 1; i < s.size(); ++i) {
    if (s[i] == ',' && k[i] != 2) continue;
    if (s[i] == '"') ++quotes;
    out += s[i];
  }
  if (quotes % 2 == 1 && !out.empty() && out.back() == '"') out.pop_back();
  Result(scope, a, f, out);
}

// 4 "AQ": the field enclosed in quotes (a quoted field stays as it is).
void AddQuotes(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  std::string out;
  int quotes = 0;
  if (s.empty() || s[0] != '"') {
    out += '"';
    ++quotes;
  }
  for (char c : s) {
    if (c == '"') ++quotes;
    out += c;
  }
  if (quotes % 2 == 1) out += '"';
  Result(scope, a, f, out);
}

// An empty field for fill up and down: nothing, or a quote followed by a
// quote or the field's end.
bool EmptyField(const std::string& s) {
  if (s.empty() || static_cast<unsigned char>(s[0]) < 32) return true;
  return s[0] == '"' && (s.size() == 1 || s[1] == '"' || static_cast<unsigned char>(s[1]) < 32);
}

// Field `col` (from 1) of the line [from, end) of `b`: its bytes up to the
// first byte below 32.
bool LineField(const std::uint8_t* b, std::uint32_t from, std::uint32_t end, int col, std::string* out,
               std::uint32_t* at = nullptr) {
  std::uint32_t p = from;
  for (int c = 1; c < col; ++c) {
    while (p < end && b[p] != csv::CSV_FIELD_SEP && b[p] != '\r' && b[p] != '\n' && b[p] != 0) ++p;
    if (p >= end || b[p] != csv::CSV_FIELD_SEP) return false;
    ++p;
  }
  std::uint32_t e = p;
  while (e < end && b[e] >= 32) ++e;
  out->assign(reinterpret_cast<const char*>(b + p), e - p);
  if (at) *at = p;
  return true;
}

// 5 "FU": an empty field takes the same column of the row above, as the
// output already holds it (a "~" line above is passed over).
void FillUp(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  if (!EmptyField(s)) return CopyField(scope, a, f);
  if (a.nRow <= 2) return;  // writes nothing, consumes nothing
  MacroFinishFunctionField(scope, a, f);
  const std::uint8_t* o = scope.outHead;
  if (o == nullptr) return;
  // The line before the current one, as the output holds it.
  auto lfBefore = [&](std::uint32_t end, std::uint32_t* at) {
    for (std::uint32_t p = end; p > 0; --p) {
      if (o[p - 1] == '\n') {
        *at = p - 1;
        return true;
      }
    }
    return false;
  };
  std::uint32_t lf1 = 0, lf2 = 0;
  if (!lfBefore(scope.outHeadLen, &lf1)) return;
  std::uint32_t start = lfBefore(lf1, &lf2) ? lf2 + 1 : 0;
  std::uint32_t end = lf1;
  if (start < end && o[start] == '~') {
    if (start == 0) return;
    end = lf2;
    std::uint32_t lf3 = 0;
    start = lfBefore(lf2, &lf3) ? lf3 + 1 : 0;
  }
  std::string value;
  if (LineField(o, start, end, a.nColumn, &value)) PutWhole(a, value);
}

// 178 "FD": an empty field takes the first value below it in the same
// column of the table, up to the next block.
void FillDown(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const csv::TableFields* t = scope.table;
  if (!EmptyField(s) || t == nullptr || scope.tablePos == kNoTablePos || a.nRow == t->m_nLastRow + 1)
    return CopyField(scope, a, f);
  const std::uint8_t* b = t->m_pTextBuf;
  const std::uint32_t n = std::min(t->m_nTextLen, t->m_nWorkSize);
  std::uint32_t p = scope.tablePos;
  if (b == nullptr || p >= n) return CopyField(scope, a, f);
  // The value found for an empty cell above, when it stands below this one.
  const int memo = *a.pnFillDownPos;
  if (memo > 0 && static_cast<std::uint32_t>(memo) > p + f.Length() && static_cast<std::uint32_t>(memo) < n) {
    std::uint32_t e = static_cast<std::uint32_t>(memo);
    while (e < n && b[e] >= 32) ++e;
    PutWhole(a, std::string(reinterpret_cast<const char*>(b + memo), e - static_cast<std::uint32_t>(memo)));
    return MacroFinishFunctionField(scope, a, f);
  }
  while (p < n && b[p] != '\n' && b[p] != 0) ++p;
  for (;;) {
    if (p >= n || b[p] == 0) return CopyField(scope, a, f);
    ++p;  // past the LF
    if (p >= n || b[p] == 0) return CopyField(scope, a, f);
    if (b[p] == '!' && p + 1 < n && (b[p + 1] == '#' || b[p + 1] == '*')) return CopyField(scope, a, f);
    std::uint32_t e = p;
    while (e < n && b[e] != '\n' && b[e] != 0) ++e;
    std::string value;
    std::uint32_t at = 0;
    if (LineField(b, p, e, a.nColumn, &value, &at) && !value.empty() && value != "\"\"" && value[0] != '~') {
      if (at <= 0x7FFFFFFFu) *a.pnFillDownPos = static_cast<int>(at);
      PutWhole(a, value);
      return MacroFinishFunctionField(scope, a, f);
    }
    p = e;
  }
}

// 6 "C0": trailing zeros of a decimal fraction.
void TrailingZeros(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const Kinds k = SjisByteKinds(s);
  std::string out;
  std::size_t i = 0;
  if (i < s.size() && s[i] == '"') out += s[i++];
  auto isNum = [&](std::size_t j) { return k[j] == 0 && ((s[j] >= '0' && s[j] <= '9') || s[j] == '.' || s[j] == ','); };
  while (i < s.size() && !isNum(i) && !(s[i] == '"' && k[i] == 0)) out += s[i++];
  bool point = false;
  while (i < s.size() && isNum(i)) {
    point = point || s[i] == '.';
    out += s[i++];
  }
  if (point) {
    while (!out.empty() && out.back() == '0') out.pop_back();
    if (!out.empty() && out.back() == '.') out.pop_back();
  }
  out.append(s, i, std::string::npos);
  Result(scope, a, f, out);
}

// 21 "SN", 41 "SD", 26 "SA": the bytes of one class.
void Filter(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const std::string s = f.Text();
  const Kinds k = SjisByteKinds(s);
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    bool keep;
    if (c < 32) {
      keep = true;
    } else if (k[i] == 2) {
      keep = false;
    } else if (a.nCode == 21) {
      keep = (c >= '0' && c <= '9') || c == '"' || c == '+' || c == '-' || c == '.' || c == ' ' || c == ',' ||
             c == '\\';
    } else if (a.nCode == 41) {
      keep = (c >= '0' && c <= '9') || c == '"';
    } else {
      keep = c < 0x80;
    }
    if (keep) out += s[i];
  }
  Result(scope, a, f, out);
}

// 22 "UP", 23 "LW", 24 "TU": ASCII letters only, never a second byte.
void Case(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  std::string s = f.Text();
  const Kinds k = SjisByteKinds(s);
  bool first = true;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (k[i] == 2) continue;
    char& c = s[i];
    const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
    if (a.nCode == 22) {
      if (lower) c = static_cast<char>(c - 32);
    } else if (a.nCode == 23) {
      if (upper) c = static_cast<char>(c + 32);
    } else if (c != '"') {
      if (first) {
        if (lower) c = static_cast<char>(c - 32);
      } else if (upper) {
        c = static_cast<char>(c + 32);
      }
      first = false;
    }
  }
  Result(scope, a, f, s);
}

// 25 "LEN", 54 "DN", 55 "LN", 56 "RN".
void Numbers(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  long long n = 0;
  const std::uint32_t len = f.Length();
  switch (a.nCode) {
    case 25:
      n = len;
      break;
    case 54:
      n = len;
      if (f.Quoted()) n -= (len >= 2 && f.bytes[len - 1] == '"') ? 2 : 1;
      break;
    case 55:
      n = *a.pnParam = a.nRow;
      break;
    default:
      n = *a.pnParam = a.nColumn;
      break;
  }
  MacroFinishFunctionField(scope, a, f);
  PutNumber(a, n);
}

// 51 "RP": the pattern engine over the field.
void Replace(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  int readPos = static_cast<int>(f.start);
  int outLen = *a.pnOutLen;
  const unsigned flags = static_cast<unsigned>(*a.pnParam) | pat::kFlagReplaceMode | pat::kFlagOneField;
  const int got = pat::MatchPattern(reinterpret_cast<const char*>(a.pSource), reinterpret_cast<char*>(a.pOut),
                                    a.strFuncText.Str(), a.strArgText.Str(), &readPos, &outLen,
                                    static_cast<int>(f.end), flags, a.nOutCapacity, 0, 0, nullptr);
  if (got < 0 || outLen > a.nOutCapacity || outLen < *a.pnOutLen) return CopyField(scope, a, f);
  *a.pnOutLen = outLen;
  if (got > 0) scope.state.m_nMacroReplaceTotal += got;
  MacroFinishFunctionField(scope, a, f);
}

// The position of `row` among the check list's entries, 0 when the row is
// not checked. Entries are read from 0: the check statement fills the list
// from entry 0, the narrowing check from entry 1 (its entry 0 stays 0).
int CheckListPosition(const BuiltinScope& scope, int row) {
  int position = 0;
  for (std::uint32_t i = 0; scope.checkList != nullptr && i < scope.checkListUsed; ++i) {
    const std::uint32_t v = scope.checkList[i];
    if (v == 0) continue;
    ++position;
    if (row > 0 && v == static_cast<std::uint32_t>(row)) return position;
  }
  return 0;
}

// 97 "CK": "1" for a checked row; the field is not consumed.
void Checked(BuiltinScope& scope, BuiltinArgs& a) { a.Put(CheckListPosition(scope, a.nRow) > 0 ? "1" : "0", 1); }

// 139 "CKN": the row's place in the check list.
void CheckedPosition(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  PutNumber(a, CheckListPosition(scope, a.nRow));
}

// 182 "LNM", 183 "PN", 186 "BN", 187 "TN": the row in its table block.
void Block(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  long long first = 1, title = 1, curLine = 1;
  int block = 1;
  if (const csv::TableFields* t = scope.table) {
    const int count = static_cast<int>(std::min<std::uint32_t>(t->BlockCount(), csv::MAX_CSV_BLOCKS - 1));
    for (int k = 1; k <= count; ++k) {
      if (t->m_aSecRow[k] == 0 || t->m_aSecRow[k] > static_cast<std::uint32_t>(std::max(a.nRow, 0))) break;
      block = k;
    }
    first = t->m_aSecRow[block];
    title = t->m_aSecLine[block];
    curLine = t->m_nCurLine;
  }
  const long long row = a.nRow;
  int kind;
  if (row < curLine || row < title) kind = 1;
  else if (row == title) kind = 2;
  else if (row < title + 2) kind = 3;
  else kind = 4;
  *a.pnParam = kind;
  switch (a.nCode) {
    case 182:
      PutNumber(a, kind);
      break;
    case 183:
      PutNumber(a, block);
      break;
    case 186:
      PutNumber(a, row - first);
      break;
    default:
      PutNumber(a, row - title + 1);
      break;
  }
}

// 69 "TTL": the cell of this column in the table's title row.
void Title(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  const csv::TableFields* t = scope.table;
  if (t == nullptr || t->m_pTextBuf == nullptr) return;
  const std::uint8_t* b = t->m_pTextBuf;
  const std::uint32_t n = std::min(t->m_nTextLen, t->m_nWorkSize);
  std::uint32_t p = 0;
  for (std::uint32_t line = 1; line < t->m_nCurLine; ++line) {
    while (p < n && b[p] != '\n' && b[p] != 0) ++p;
    if (p >= n || b[p] == 0) return;
    ++p;
  }
  std::uint32_t e = p;
  while (e < n && b[e] != '\n' && b[e] != 0) ++e;
  std::string value;
  if (LineField(b, p, e, a.nColumn, &value)) PutWhole(a, value);
}

// 52 "RAN": a whole number from 1 to n (32767 without n).
void RandomNumber(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  const std::uint32_t n = *a.pnParam > 0 ? static_cast<std::uint32_t>(*a.pnParam) : 32767u;
  PutNumber(a, static_cast<long long>(fw::hooks::RandomBelow(n)) + 1);
}

// 138 "POS": reads its mode and number; the field is copied unchanged.
void Position(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  CopyField(scope, a, f);
}

}  // namespace

void RegisterFieldFunctions(BuiltinHandler* at) {
  at[0] = at[1] = StripLeading;
  at[2] = StripTrailing;
  at[3] = RemoveQuotes;
  at[4] = AddQuotes;
  at[5] = FillUp;
  at[178] = FillDown;
  at[6] = TrailingZeros;
  at[21] = at[41] = at[26] = Filter;
  at[22] = at[23] = at[24] = Case;
  at[25] = at[54] = at[55] = at[56] = Numbers;
  at[51] = Replace;
  at[97] = Checked;
  at[139] = CheckedPosition;
  at[182] = at[183] = at[186] = at[187] = Block;
  at[69] = Title;
  at[52] = RandomNumber;
  at[138] = Position;
}

}  // namespace macro
