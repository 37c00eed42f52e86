// The piece test of CSV conditions over any bytes: operator characters,
// operand kinds, numbers and texts. The exact scaled comparison is checked
// for antisymmetry and, where the scales lie within 19 places of each
// other, against 128-bit arithmetic; the piece results against the
// negations and swaps of their operators.
//
// Input: op first, op second, kinds (bit 0 left number, bit 1 right number),
// left mantissa (8 bytes), left scale (2), right mantissa (8), right scale
// (2), then the left text, a LF, the right text (also the pattern of ':').
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/pattern/pattern.h"
#include "macro/macro_condterm.h"
#include "macro/macro_scaled.h"

namespace {

using I128 = __int128;

struct Reader {
  const std::uint8_t* d;
  std::size_t n, i = 0;
  std::uint8_t Byte() { return i < n ? d[i++] : 0; }
  std::int64_t Mantissa() {
    std::uint64_t v = 0;
    for (int k = 0; k < 8; ++k) v = v << 8 | Byte();
    return static_cast<std::int64_t>(v);
  }
  int Scale() {
    const int raw = static_cast<std::int16_t>(Byte() << 8 | Byte());
    // Mostly small scales, sometimes the integer mark, sometimes far out.
    if ((raw & 0xFF) == 0x7F) return macro::kScaleInteger;
    if ((raw & 0xF000) == 0x7000) return raw * 1000;
    return raw % 40;
  }
};

char Pick(std::uint8_t b, const char* set) {
  const std::size_t n = std::strlen(set);
  return b % (n + 1) == n ? static_cast<char>(b) : set[b % (n + 1)];
}

int EffectiveScale(int s) { return s == macro::kScaleInteger ? 0 : s; }

// The exact order by 128-bit arithmetic when the scales lie close enough.
bool ReferenceOrder(std::int64_t a, int sa, std::int64_t b, int sb, int* order) {
  const long long x = EffectiveScale(sa), y = EffectiveScale(sb);
  const long long d = x > y ? x - y : y - x;
  if (d > 19) return false;
  I128 p = 1;
  for (long long k = 0; k < d; ++k) p *= 10;
  I128 va = a, vb = b;
  if (x < y) va *= p;  // a has fewer places: raise it
  else vb *= p;
  *order = va < vb ? -1 : va > vb ? 1 : 0;
  return true;
}

int Test(char first, char second, const macro::PieceOperand& l, const macro::PieceOperand& r,
         const pat::ConditionPattern* pattern) {
  macro::PieceOperator op;
  op.first = first;
  op.second = second;
  op.pattern = pattern;
  const int v = macro::ComparePieceOperands(op, l, r);
  if (v != 0 && v != 1) __builtin_trap();
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  Reader in{data, size};
  const char first = Pick(in.Byte(), "=!><~:");
  const char second = Pick(in.Byte(), "=!<>~#$");
  const std::uint8_t kinds = in.Byte();
  macro::PieceOperand left, right;
  left.mantissa = in.Mantissa();
  left.scale = in.Scale();
  right.mantissa = in.Mantissa();
  right.scale = in.Scale();
  left.number = kinds & 1;
  right.number = kinds & 2;
  const std::string rest(reinterpret_cast<const char*>(data) + in.i, size - in.i);
  const std::size_t lf = rest.find('\n');
  left.text = rest.substr(0, lf);
  right.text = lf == std::string::npos ? std::string() : rest.substr(lf + 1);

  // The scaled comparison: a total order, exact where 128 bits can tell.
  const int c = macro::CompareScaled(left.mantissa, left.scale, right.mantissa, right.scale);
  if (c < -1 || c > 1) __builtin_trap();
  if (macro::CompareScaled(right.mantissa, right.scale, left.mantissa, left.scale) != -c) __builtin_trap();
  if (macro::CompareScaled(left.mantissa, left.scale, left.mantissa, left.scale) != 0) __builtin_trap();
  int order = 0;
  if (ReferenceOrder(left.mantissa, left.scale, right.mantissa, right.scale, &order) && order != c) __builtin_trap();

  // The left operand's number: a text read whole is what the reader reads.
  std::int64_t m = 0;
  int s = 0;
  macro::LeftOperandNumber(left, &m, &s);
  if (!left.number && left.text.size() > 0 && left.text.front() >= '0' && left.text.front() <= '9') {
    std::int64_t pm = 0;
    int ps = 0;
    if (macro::ParseScaledNumberWhole(left.text.data(), left.text.size(), &pm, &ps) && (pm != m || ps != s))
      __builtin_trap();
  }

  pat::ConditionPattern pattern;
  if (first == ':' && right.text.size() <= 200) pattern = pat::PrepareConditionPattern(right.text);
  const pat::ConditionPattern* pp = first == ':' ? &pattern : nullptr;
  Test(first, second, left, right, pp);

  // Equality and its negation never agree, numerically or as texts.
  if (Test('=', '=', left, right, nullptr) == Test('!', '=', left, right, nullptr)) __builtin_trap();
  // "x~" is "~x" for x in "<>=!" on texts; '~' never holds on numbers.
  for (char x : {'<', '>', '=', '!'}) {
    const int a = Test(x, '~', left, right, nullptr), b = Test('~', x, left, right, nullptr);
    if (right.number ? b != 0 : a != b) __builtin_trap();
  }
  // Strict and non-strict orders agree with each other.
  const int gt = Test('>', '#', left, right, nullptr), ge = Test('>', '=', left, right, nullptr);
  const int lt = Test('<', '#', left, right, nullptr), le = Test('<', '=', left, right, nullptr);
  if (gt + le != 1 || lt + ge != 1 || (gt && lt)) __builtin_trap();
  return 0;
}
