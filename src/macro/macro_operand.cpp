#include "macro/macro_operand.h"

#include <climits>
#include <cstring>
#include <string>

#include "csv/csv_buffer.h"
#include "fw/sjis.h"
#include "macro/macro_expr.h"
#include "macro/macro_lines.h"
#include "macro/macro_scaled.h"
#include "macro/macro_state.h"

namespace macro {

namespace {

constexpr int kGroupResult = 200;  // result buffer of a "(...)" operand

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int Saturate(long long v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }

// Decimal digits at text[*p], saturating; *p moves past them.
long long ReadDigits(const char* text, int* p) {
  long long v = 0;
  while (IsDigit(text[*p])) {
    v = v * 10 + (text[(*p)++] - '0');
    if (v > INT_MAX) v = INT_MAX;
  }
  return v;
}

// The leading number of a variable's text: an optional '-' and digits.
long long LeadingNumber(const std::string& s) {
  int p = 0;
  const bool minus = !s.empty() && s[0] == '-';
  if (minus) p = 1;
  const long long v = ReadDigits(s.c_str(), &p);
  return minus ? -v : v;
}

// The slot of "&D..." at text[*p] (modes 1 and 2 of the number reader):
// digits (the whole run; above 5180 is no slot), a letter (+45), "T" and a
// digit (+100) or a letter (+45). *p moves past it; 0 = no slot.
int ReadVariableSlot(const char* text, int* p) {
  const char c = text[*p];
  if (IsDigit(c)) {
    const long long v = ReadDigits(text, p);
    return v >= 1 && v <= kLastVarSlot ? static_cast<int>(v) : 0;
  }
  if (c == 'T') {
    const char d = text[*p + 1];
    if (IsDigit(d)) {
      *p += 2;
      return 100 + (d - '0');
    }
    if (d >= 'A' && d <= '~') {
      *p += 2;
      return d + 45;
    }
    ++*p;
    return 0;
  }
  if (c >= 'A' && c <= '~') {
    ++*p;
    return c + 45;
  }
  return 0;
}

// A "(...)" operand: its text (without the brackets) with every '%' outside
// square brackets doubled into "%~"; *p moves past the closing ')'.
std::string TakeGroup(const char* text, int* p) {
  std::string g;
  int depth = 0, square = 0;
  int i = *p + 1;
  for (; text[i] != '\0'; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (fw::IsSjisLeadByte(c) && text[i + 1] != '\0') {
      g += text[i];
      g += text[++i];
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && depth-- == 0) {
      ++i;
      break;
    }
    if (c == '[') ++square;
    if (c == ']' && square > 0) --square;
    g += static_cast<char>(c);
    if (c == '%' && square == 0) g += '~';
  }
  *p = i;
  return g;
}

long long GroupValue(const MacroEnv& env, const std::string& group, long long base, int colBase, int rowBase,
                     int evalArg) {
  // "%+d)" and "%-d)": the base and one digit.
  if (group.size() == 4 && group[0] == '%' && group[1] == '~' && (group[2] == '+' || group[2] == '-') &&
      IsDigit(group[3]))
    return group[2] == '+' ? base + (group[3] - '0') : base - (group[3] - '0');
  std::string expr = "#(0+";
  const std::string b = std::to_string(base);
  for (size_t k = 0; k < group.size(); ++k) {
    if (group[k] == '%' && k + 1 < group.size() && group[k + 1] == '~') {
      expr += b;
      ++k;
    } else {
      expr += group[k];
    }
  }
  expr += ')';
  char out[kGroupResult];
  char kind = 0;
  std::int64_t value = 0;
  ExprContext ctx;
  ctx.env = &env;
  ctx.row = rowBase;
  ctx.column = colBase;
  ctx.evalArg = evalArg;
  if (env.table && env.lines) ctx.lineTable = MacroTableLineIndex(env.lines, *env.table);
  if (MacroEvalExpression(0, out, kGroupResult, CString(std::move(expr)), &kind, &value, &ctx) < 0 || kind != '#')
    return 0;
  // The integer part of the result.
  std::int64_t m = value;
  for (int s = ctx.scale; s > 0 && m != 0; --s) m /= 10;
  for (int s = ctx.scale; s < 0 && s > -19; ++s) m = static_cast<std::int64_t>(static_cast<std::uint64_t>(m) * 10u);
  return m;
}

}  // namespace

int MacroReadAddressNumber(const MacroEnv& env, const char* text, int* pos, char* mark, int colBase, int rowBase,
                           int evalArg) {
  const bool rowMode = *mark == '@';
  if (!rowMode) *mark = '&';
  const long long rawBase = rowMode ? rowBase : colBase;
  const long long base = rawBase <= 0 || rawBase >= kOperandNoBase ? kOperandNoBaseValue : rawBase;
  const int len = static_cast<int>(std::strlen(text));
  int p = *pos < 0 ? 0 : *pos > len ? len : *pos;
  if (p >= len) {
    *pos = p;
    *mark = 0;
    return 0;
  }
  if (text[p] == (rowMode ? '@' : '&')) ++p;
  if (text[p] == '+' || text[p] == '#' || text[p] == '=') {
    *pos = p + 1;
    *mark = text[p + 1];
    return -1;
  }
  long long v = 0;
  bool haveNumber = true;
  if (text[p] == '(') {
    const std::string group = TakeGroup(text, &p);
    v = GroupValue(env, group, base, colBase, rowBase, evalArg);
  } else if (!rowMode && p > 0 && text[p - 1] == '&' &&
             (text[p] == 'R' || text[p] == 'L' || text[p] == 'U' || text[p] == 'D')) {
    // The current column; the letter stays to be read as a step (L, R) or
    // left to the caller (U, D).
    v = base;
  } else {
    if (text[p] == '[') ++p;
    bool minus = false;
    if (text[p] == '-') {
      minus = true;
      ++p;
    }
    const char c = text[p];
    if (c == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X')) {
      p += 2;
      for (int d; (d = HexDigit(text[p])) >= 0; ++p) {
        v = v * 16 + d;
        if (v > INT_MAX) v = INT_MAX;
      }
    } else if ((c == 'i' || c == 'j' || c == 'k') && text[p + 1] == c) {
      p += 2;
      v = LeadingNumber(env.state.m_strMacroVars[kSlotVarI + (c - 'i')].Str());
    } else if (c == '%') {
      ++p;
      v = base;
    } else if (c == '&' && text[p + 1] == 'D') {
      p += 2;
      const int slot = ReadVariableSlot(text, &p);
      v = slot ? LeadingNumber(env.state.m_strMacroVars[slot].Str()) : 0;
    } else if (IsDigit(c)) {
      v = ReadDigits(text, &p);
    } else {
      haveNumber = false;
    }
    if (minus) v = -v;
    if (text[p] == ']') ++p;
  }
  (void)haveNumber;
  // A relative step after the number.
  const char s = text[p];
  const bool colStep = !rowMode && (s == 'L' || (s == 'R' && text[p + 1] != '+'));
  const bool rowStep = rowMode && (s == 'U' || s == 'D');
  if (colStep || rowStep) {
    ++p;
    long long d = 1;
    if (IsDigit(text[p])) d = ReadDigits(text, &p);
    else if (text[p] == 'C') ++p;
    if (s == 'L' || s == 'U') {
      v -= d;
      if (v < 1) v = 1;
    } else {
      v += d;
    }
  }
  *pos = p;
  *mark = text[p];
  return Saturate(v);
}

int MacroEvalOperand(const MacroEnv& env, const char* text, int* col1, int* col2, int* row1, int* row2, char* kind,
                     int colBase, int rowBase, int* rowStep, int* colStep, int* hashPos, int evalArg) {
  *rowStep = 0;
  *colStep = 0;
  *hashPos = 0;
  if (text == nullptr || text[0] == '\0') return 0;
  const bool keepSentinel = *kind == '%';
  if (colBase <= 0 && rowBase <= 0) {
    if (*col1 > 0) colBase = *col1;
    if (*row1 > 0) rowBase = *row1;
  }
  std::string t = text;
  const int given = static_cast<int>(t.size());
  int shift = 0;  // t's index + shift is the caller's index
  if (t == "&") t = "&@";
  if (t[0] == '#') {
    t.erase(0, 1);
    shift = 1;
  }
  const char* s = t.c_str();
  const int len = static_cast<int>(t.size());
  const long long fields = env.table ? env.table->m_nFieldCount : 0;
  const long long lastRow = env.table ? env.table->m_nLastRow : -1;
  int p = 0;
  int result = 0;
  bool haveColumn = false;
  *kind = '@';

  if (s[0] == '&') {
    if (s[1] == 'D' && s[2] != '\0') {
      p = 2;
      long long n;
      if (IsDigit(s[p])) {
        n = ReadDigits(s, &p) + 1;
      } else if (s[p] == 'T' && IsDigit(s[p + 1])) {
        n = 101 + (s[p + 1] - '0');
        p += 2;
      } else if (s[p] == 'T' && s[p + 1] >= 'A' && s[p + 1] <= '~') {
        n = s[p + 1] + 46;
        p += 2;
      } else {
        n = static_cast<unsigned char>(s[p]) + 46;
        ++p;
      }
      *kind = 'D';
      // Variable numbers stay within 1-5180.
      if (n < 2 || n > kLastVarSlot + 1) n = 0;
      *col1 = *col2 = static_cast<int>(n);
      if (s[p] == 'Q' || s[p] == 'q') ++p;
      return static_cast<int>(n);
    }
    if (s[1] == 'R' && s[2] == 'N') {
      *kind = '&';
      return 0;
    }
    if (s[1] == 'A' && s[2] == 'L') {
      *kind = 9;
      return 0;
    }
    if (s[1] == '@') {
      if (*col1 == 0) *col1 = 1;
      *col2 = static_cast<int>(fields);
      p = 1;
      haveColumn = true;
    } else {
      p = 0;
      char mark = '&';
      long long c1 = MacroReadAddressNumber(env, s, &p, &mark, colBase, rowBase, evalArg);
      if (c1 > kOperandNoBase && colBase < kOperandNoBase && !keepSentinel) c1 = 0;
      long long c2 = c1;
      if (s[p] == '-' || s[p] == '_') {
        const bool under = s[p] == '_';
        ++p;
        const char n = s[p];
        const bool startsNumber = IsDigit(n) || n == '(' || n == '%' || n == '[' || n == '&' || n == 'i' ||
                                  n == 'j' || n == 'k' || n == '-';
        if (under && (n == 'U' || n == 'D' || n == 'L' || n == 'R' || !startsNumber)) {
          c2 = fields;
        } else {
          char m2 = '&';
          c2 = MacroReadAddressNumber(env, s, &p, &m2, colBase, rowBase, evalArg);
          if (c2 > kOperandNoBase && colBase < kOperandNoBase && !keepSentinel) c2 = 0;
          if (c2 == 0) c2 = fields;
        }
      }
      *col1 = Saturate(c1);
      *col2 = Saturate(c2);
      haveColumn = true;
      if (c1 > 0) result = c1 >= kOperandBeyondColumn && c1 < kOperandNoBase ? kOperandBeyondColumn : Saturate(c1);
    }
  }

  if (s[p] == '@') {
    const long long after = lastRow + 2;
    const char n = s[p + 1];
    const bool startsNumber = IsDigit(n) || n == '(' || n == '%' || n == '[' || n == '&' || n == 'i' ||
                              n == 'j' || n == 'k' || n == '-' || n == '+' || n == '#' || n == '=';
    if (!startsNumber) {
      ++p;
      *row1 = *row2 = Saturate(after);
    } else {
      char mark = '@';
      long long r1 = MacroReadAddressNumber(env, s, &p, &mark, colBase, rowBase, evalArg);
      long long r2 = r1;
      if (s[p] == '-' || s[p] == '_') {
        const bool under = s[p] == '_';
        ++p;
        const char m = s[p];
        if (under && !(IsDigit(m) || m == '(' || m == '%' || m == '[' || m == '&')) {
          r2 = lastRow + 1;
        } else {
          char m2 = '@';
          r2 = MacroReadAddressNumber(env, s, &p, &m2, colBase, rowBase, evalArg);
        }
      }
      if (r1 <= 0) r1 = r2 = after;
      if (r2 <= 0) r2 = after;
      *row1 = Saturate(r1);
      *row2 = Saturate(r2);
    }
    *kind = *row1 == *row2 && (*col1 == *col2 || *col1 <= 0) ? '@' : '%';
  } else if (haveColumn) {
    *kind = *col1 == *col2 ? '@' : '%';
  }

  // Relative steps, a second one of the other axis, the field part.
  bool stepped = false;
  for (int k = 0; k < 2; ++k) {
    const char c = s[p];
    if (c != 'U' && c != 'D' && c != 'L' && c != 'R') break;
    const bool rowAxis = c == 'U' || c == 'D';
    if ((rowAxis && *rowStep != 0) || (!rowAxis && *colStep != 0)) break;
    ++p;
    long long d = IsDigit(s[p]) ? ReadDigits(s, &p) : 1;
    if (c == 'U' || c == 'L') d = -d;
    (rowAxis ? *rowStep : *colStep) = Saturate(d);
    if (!stepped) {
      *kind = c == 'U' ? 'u' : c == 'D' ? 'd' : c;
      if ((c == 'L' || c == 'R') && (s[p] == '+' || s[p] == '-')) *kind = c == 'L' ? 'l' : 'r';
    }
    stepped = true;
  }
  if (s[p] == 'E' || s[p] == 'e' || s[p] == 'T' || s[p] == 't' || s[p] == 'f') *kind = s[p++];
  if (s[p] == 'Q' || s[p] == 'q') ++p;
  if (p > 0 && p <= len && (s[p - 1] == ')' || s[p - 1] == '@')) {
    if (s[p] == '#' || s[p] == '\0') *hashPos = p + shift < given ? p + shift : given;
  }
  return result;
}

namespace {

bool RowEnds(std::uint8_t c) { return c == '\r' || c == '\n' || c == 0; }

}  // namespace

int MacroGetFieldValue(const MacroEnv& env, int offset, char* out, int outSize, int column, char type, int* row,
                       int* col, const std::int32_t* lineIndex, int mode, int quote, int rowDelta, int colDelta) {
  if (out == nullptr || outSize <= 0) return 0;
  out[0] = 0;
  const int cap = outSize - 1;
  std::string value;
  if (type == 'D') {
    const int slot = column - 1;
    if (slot >= 1 && slot <= kLastVarSlot) value = env.state.m_strMacroVars[slot].GetString();
    const int n = static_cast<int>(value.size()) < cap ? static_cast<int>(value.size()) : cap;
    std::memcpy(out, value.data(), static_cast<size_t>(n));
    out[n] = 0;
    return n;
  }
  const bool part = type == 'T' || type == 't' || type == 'E' || type == 'e' || type == 'f';
  const bool absolute = type == '@' || type == '%' || part;
  const csv::TableFields* t = env.table;
  const std::uint8_t* text = t ? t->m_pTextBuf : nullptr;
  const std::uint32_t len = t && text && t->m_nTextLen < t->m_nWorkSize ? t->m_nTextLen : 0;

  long long pos;
  long long want;  // the column, from 1
  bool past = false;
  if (absolute) {
    const long long r = *row < 0 ? -static_cast<long long>(*row) : *row;
    want = *col >= 1 ? *col : column;
    if (r < 1) past = true;
    pos = past || !t ? len : LineOffsetFromTable(*t, r - 1 > INT_MAX ? INT_MAX : static_cast<int>(r - 1), lineIndex);
    if (!past && r - 1 > 0 && static_cast<std::uint32_t>(pos) >= len) past = true;
  } else {
    want = column;
    pos = offset < 0 ? 0 : offset > static_cast<int>(len) ? len : offset;
    while (pos > 0 && text[pos - 1] != '\n') --pos;
    for (long long k = rowDelta; k < 0 && !past; ++k) {
      if (pos == 0) past = true;
      else {
        --pos;
        while (pos > 0 && text[pos - 1] != '\n') --pos;
      }
    }
    for (long long k = rowDelta; k > 0 && !past; --k) {
      const void* lf = pos < len ? std::memchr(text + pos, '\n', len - pos) : nullptr;
      if (!lf) past = true;
      else pos = static_cast<const std::uint8_t*>(lf) - text + 1;
    }
    if (!past && pos >= len && rowDelta > 0) past = true;
    want += colDelta;
  }
  long long missing = 0;
  long long start = pos;
  if (!past) {
    // To the column: count the separators of the row.
    long long c = 1;
    while (c < want) {
      while (pos < len && text[pos] != csv::CSV_FIELD_SEP && !RowEnds(text[pos])) ++pos;
      if (pos < len && text[pos] == csv::CSV_FIELD_SEP) {
        ++pos;
        ++c;
      } else {
        break;
      }
    }
    if (want < 1 || c < want) {
      missing = want < 1 ? 0 : want - c;
      past = true;
    }
    start = pos;
  }
  long long end = start;
  if (!past) {
    while (end < len && text[end] != csv::CSV_FIELD_SEP && !RowEnds(text[end])) ++end;
    long long a = start, b = end;
    if (type == 'T' && a < b && text[a] == '"') ++a;
    if (type == 'f' && b > a) {  // an empty field (or a table without text) has no '^'
      const void* caret = std::memchr(text + a, '^', static_cast<size_t>(b - a));
      if (caret) b = static_cast<const std::uint8_t*>(caret) - text;
    }
    if (type == 'E' && b > a && text[b - 1] == '"') --b;
    value.assign(reinterpret_cast<const char*>(text) + a, static_cast<size_t>(b - a));
    start = (type == 'E' || type == 'e') ? b : a;
  }
  if (quote == 1 && value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  } else if (quote == 2 && (value.empty() || value.front() != '"')) {
    value = '"' + value + '"';
  }
  const int n = static_cast<int>(value.size()) < cap ? static_cast<int>(value.size()) : cap;
  std::memcpy(out, value.data(), static_cast<size_t>(n));
  out[n] = 0;
  const int result = part ? 0 : n;
  if (mode == 9) {
    *row = result;
    *col = Saturate(missing);
    return past && missing == 0 ? -1 : static_cast<int>(start);
  }
  return result;
}

}  // namespace macro
