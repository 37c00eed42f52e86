#include "macro/macro_condterm.h"

#include <cstring>
#include <vector>

#include "fw/sjis.h"
#include "macro/macro_expr.h"
#include "macro/macro_scaled.h"
#include "core/pattern/pattern.h"

namespace macro {

namespace {

// What a text left operand compares as against a number when it is no number.
constexpr std::int64_t kNotANumberValue = 65535;

// The largest power of ten a 64-bit unsigned value holds.
constexpr int kMaxPow10 = 19;

std::uint64_t Pow10(int n) {
  std::uint64_t p = 1;
  for (int k = 0; k < n; ++k) p *= 10u;
  return p;
}

long long EffectiveScale(int scale) { return scale == kScaleInteger ? 0 : scale; }

// Compares a x 10^-sa with b x 10^-sb for a, b > 0 without forming any
// product that could pass 64 bits.
int CompareMagnitudes(std::uint64_t a, long long sa, std::uint64_t b, long long sb) {
  if (sa == sb) return a < b ? -1 : a > b ? 1 : 0;
  if (sa > sb) return -CompareMagnitudes(b, sb, a, sa);
  // Now a x 10^d against b, d > 0.
  const long long d = sb - sa;
  if (d > kMaxPow10) return 1;  // a x 10^20 or more passes every 64-bit b
  const std::uint64_t p = Pow10(static_cast<int>(d));
  const std::uint64_t q = b / p, r = b % p;
  if (a != q) return a > q ? 1 : -1;
  return r == 0 ? 0 : -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view DropQuotes(std::string_view s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

// Byte order of CP932 texts: unsigned bytes, then the shorter first.
int CompareBytes(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
  if (c != 0) return c < 0 ? -1 : 1;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool StartsWith(std::string_view text, std::string_view part) {
  return text.size() >= part.size() && (part.empty() || std::memcmp(text.data(), part.data(), part.size()) == 0);
}

// Whether `part` stands in `text` at a character start, so that an ASCII
// part never matches the trail byte of a double-byte character ("\" in "ソ").
bool Contains(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  if (part.size() > text.size() || text.size() > 0x7FFFFFF0u) return false;
  const int len = static_cast<int>(text.size());
  const std::size_t last = text.size() - part.size();
  for (int pos = 0; pos >= 0 && static_cast<std::size_t>(pos) <= last;
       pos += fw::SjisCharLength(text.data(), len, pos)) {
    if (std::memcmp(text.data() + pos, part.data(), part.size()) == 0) return true;
  }
  return false;
}

bool TextsEqual(std::string_view left, std::string_view right) {
  if (left == right) return true;
  if (right == "NULL") return left.empty();
  // "NULL+\"\"" as written reaches here joined by the evaluator: "NULL\"\"".
  if (right == "NULLQ" || right == "NULL\"\"" || right == "NULL+\"\"") return left.empty() || left == "\"\"";
  return false;
}

int CompareNumbers(char first, char second, int c) {
  switch (first) {
    case '=':
      if (second == '>') return c >= 0;
      if (second == '<') return c <= 0;
      if (second == '!') return c != 0;
      return c == 0;
    case '!':
      if (second == '>') return c <= 0;
      if (second == '<') return c >= 0;
      return c != 0;
    case '>':
      if (second == '=') return c >= 0;
      if (second == '!') return c <= 0;
      return c > 0;
    case '<':
      if (second == '=') return c <= 0;
      if (second == '!') return c >= 0;
      return c < 0;
    default:  // '~' and ':' never hold on numbers
      return 0;
  }
}

int CompareTexts(const PieceOperator& op, std::string_view left, std::string_view right) {
  char first = op.first, second = op.second;
  if ((first == '<' || first == '>' || first == '=' || first == '!') && (second == '~' || second == '!')) {
    const char t = first;
    first = second;
    second = t;
  }
  switch (first) {
    case '=':
      return TextsEqual(left, right) ? 1 : 0;
    case '!':
      return TextsEqual(left, right) ? 0 : 1;
    case '>': {
      const int c = CompareBytes(left, right);
      return second == '=' ? c >= 0 : c > 0;
    }
    case '<': {
      const int c = CompareBytes(left, right);
      return second == '=' ? c <= 0 : c < 0;
    }
    case ':': {
      // The compiled pattern carries the whole-text choice of the second
      // character ('=' whole text, '>' anywhere). A quoted cell matches as
      // written or by its value inside the quotes, so "|東京" (a prefix, as
      // the narrowing dialog writes it) and the cell's own text "\"東京\""
      // (the dialog's first condition) both meet the cell "東京".
      if (!op.pattern) return 0;
      if (pat::MatchConditionPattern(*op.pattern, left)) return 1;
      if (left.size() >= 2 && left.front() == '"' && left.back() == '"')
        return pat::MatchConditionPattern(*op.pattern, left.substr(1, left.size() - 2)) ? 1 : 0;
      return 0;
    }
    case '~':
      if (second == '=') return StartsWith(left, right) ? 1 : 0;
      if (second == '!') return StartsWith(left, right) ? 0 : 1;
      if (second == '>') return Contains(left, right) ? 1 : 0;
      if (second == '<') return Contains(right, left) ? 1 : 0;
      return 0;
    default:
      return 0;
  }
}

}  // namespace

PieceOperand EvaluatePieceOperand(ExprContext& ctx, int lineOffset, const CString& text) {
  // One buffer per thread: the row loop values two operands on every row.
  thread_local std::vector<char> buffer;
  const int size = kExprWorkBuffer + 1;
  if (buffer.size() < static_cast<std::size_t>(size)) buffer.resize(static_cast<std::size_t>(size));
  buffer[0] = 0;
  char kind = 0;
  std::int64_t value = 0;
  int n = MacroEvalExpression(lineOffset, buffer.data(), size, text, &kind, &value, &ctx);
  if (n < 0) n = 0;
  if (n > size - 1) n = size - 1;
  PieceOperand r;
  r.text.assign(buffer.data(), static_cast<std::size_t>(n));
  if (kind == '#') {
    r.number = true;
    r.mantissa = value;
    r.scale = ctx.scale == kScaleInteger ? 0 : ctx.scale;
  } else if (r.text.empty()) {
    r.number = true;  // an empty result is the number 0
  }
  return r;
}

void LeftOperandNumber(const PieceOperand& left, std::int64_t* mantissa, int* scale) {
  if (left.number) {
    *mantissa = left.mantissa;
    *scale = left.scale == kScaleInteger ? 0 : left.scale;
    return;
  }
  *mantissa = 0;
  *scale = 0;
  std::string_view s = Trim(DropQuotes(Trim(left.text)));
  if (s.empty()) return;  // an empty text (or an empty pair of quotes) is 0
  // The number prefix: "#0", "#0.00", "#\"1,200\"" read as the number after it.
  if (s.front() == '#') s = Trim(DropQuotes(Trim(s.substr(1))));
  if (!s.empty() && ParseScaledNumberWhole(s.data(), s.size(), mantissa, scale)) return;
  *mantissa = kNotANumberValue;
  *scale = 0;
}

int CompareScaled(std::int64_t leftMantissa, int leftScale, std::int64_t rightMantissa, int rightScale) {
  const int ls = leftMantissa < 0 ? -1 : leftMantissa > 0 ? 1 : 0;
  const int rs = rightMantissa < 0 ? -1 : rightMantissa > 0 ? 1 : 0;
  if (ls != rs || ls == 0) return ls < rs ? -1 : ls > rs ? 1 : 0;
  // Same sign, both non-zero: compare the magnitudes (INT64_MIN has one too).
  const std::uint64_t a = ls < 0 ? 0u - static_cast<std::uint64_t>(leftMantissa) : static_cast<std::uint64_t>(leftMantissa);
  const std::uint64_t b = rs < 0 ? 0u - static_cast<std::uint64_t>(rightMantissa) : static_cast<std::uint64_t>(rightMantissa);
  const int c = CompareMagnitudes(a, EffectiveScale(leftScale), b, EffectiveScale(rightScale));
  return ls < 0 ? -c : c;
}

int ComparePieceOperands(const PieceOperator& op, const PieceOperand& left, const PieceOperand& right) {
  if (right.number) {
    std::int64_t m = 0;
    int s = 0;
    LeftOperandNumber(left, &m, &s);
    return CompareNumbers(op.first, op.second, CompareScaled(m, s, right.mantissa, right.scale));
  }
  return CompareTexts(op, left.text, right.text);
}

int MacroCsvTestPiece(ExprContext& ctx, int lineOffset, const PieceOperator& op, char kind, const CString& left,
                      const CString& right) {
  if (kind == kPieceKindAlways) return 1;
  const PieceOperand l = EvaluatePieceOperand(ctx, lineOffset, left);
  const PieceOperand r = EvaluatePieceOperand(ctx, lineOffset, right);
  return ComparePieceOperands(op, l, r);
}

}  // namespace macro
