// Number functions: trigonometric, hyperbolic, exponential and logarithmic
// functions in degrees, powers, pi, exponent notation, 64-bit bit
// operations, spreadsheet column letters, character codes, hexadecimal,
// remainder, absolute value, sign and random numbers. Each reads the
// field's number (macro_fn_numread.h), consumes the field, and writes its
// result, between double quotes when the field began with one.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/textcodec/sjis_map.h"
#include "fw/uihooks.h"
#include "macro/macro_fn_common.h"
#include "macro/macro_fn_numread.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

constexpr double kDegToRad = 0.017453292519943278;
constexpr double kRadToDeg = 57.29577951308239;
constexpr char kPiText[] = "3.14159265358979324";
constexpr int kSlotSecondOperand = 155;
constexpr std::int64_t kLastColumn = 18278;  // "ZZZ"
constexpr std::int64_t kLastSjisCode = 0xFCFF;

enum Code {
  kFsin = 105, kFcos, kFtan, kSinh, kCosh, kTanh, kAsin, kAcos, kAtan, kSqrt, kPowr, kRand, kExpn, kLogn, kLogd,
  kSqua, kCube,
  kDfpi = 125, kTne = 128, kTen = 129,
  kBand = 130, kBior, kBeor, kBnot, kBsfr, kBsfl,
  kTnr = 58, kTna = 59, kTxn = 76, kTnx = 77, kTnu = 79, kRm = 87, kAbs = 88, kSgn = 89,
};

bool IsFloatingCode(int code) { return (code >= kFsin && code <= kCube) || code == kTne || code == kTen; }

NumberReadMode ModeOf(int code) {
  if (code == kTxn) return NumberReadMode::kHex;
  return IsFloatingCode(code) ? NumberReadMode::kFloating : NumberReadMode::kInteger;
}

// Writes `result`, between double quotes when the field began with one.
void Write(BuiltinArgs& a, const FieldNumber& n, const std::string& result) {
  if (n.quoted) PutWhole(a, "\"" + result + "\"");
  else PutWhole(a, result);
}

std::string Decimal(long long v) { return std::to_string(v); }

// The floating functions 105-121.
std::string Floating(BuiltinScope& scope, int code, double v, int param) {
  if (code == kRand) return Decimal(fw::hooks::RandomBelow(32768));
  if (code >= kFsin && code <= kTanh) v *= kDegToRad;
  double r = 0;
  const bool positiveOnly = code == kSqrt || code == kPowr || code == kLogn || code == kLogd;
  if (!(positiveOnly && v <= 0)) {
    switch (code) {
      case kFsin: r = std::sin(v); break;
      case kFcos: r = std::cos(v); break;
      case kFtan: r = std::tan(v); break;
      case kSinh: r = std::sinh(v); break;
      case kCosh: r = std::cosh(v); break;
      case kTanh: r = std::tanh(v); break;
      case kAsin: r = std::asin(v); break;
      case kAcos: r = std::acos(v); break;
      case kAtan: r = std::atan(v); break;
      case kSqrt: r = std::sqrt(v); break;
      case kPowr: r = std::pow(v, ReadSecondOperand(scope.state.m_strMacroVars[kSlotSecondOperand], true)); break;
      case kExpn: r = std::exp(v); break;
      case kLogn: r = std::log(v); break;
      case kLogd: r = std::log10(v); break;
      case kSqua: r = v * v; break;
      default: r = v * v * v; break;
    }
  }
  if (code >= kAsin && code <= kAtan) r *= kRadToDeg;
  if (!std::isfinite(r)) return kNumberFailText;
  const bool negative = r < 0;
  return (negative ? "-" : "") + FormatFixed(negative ? -r : r, param);
}

// "DFPI": pi cut to n decimals (-9 is 6, at most 17; 0 is "3"; other
// negative counts the whole text).
std::string Pi(int param) {
  int n = param == -9 ? 6 : param;
  if (n > 17) n = 17;
  if (n > 0) return std::string(kPiText, static_cast<std::size_t>(n) + 2);
  if (n == 0) return "3";
  return kPiText;
}

// The bit functions over 64-bit integers; shifts by any count behave as if
// done bit by bit.
std::int64_t Bits(int code, std::int64_t x, std::int64_t y) {
  const std::uint64_t ux = static_cast<std::uint64_t>(x), uy = static_cast<std::uint64_t>(y);
  switch (code) {
    case kBand: return static_cast<std::int64_t>(ux & uy);
    case kBior: return static_cast<std::int64_t>(ux | uy);
    case kBeor: return static_cast<std::int64_t>(ux ^ uy);
    case kBnot: return static_cast<std::int64_t>(~ux);
    case kBsfr:
      if (y <= 0) return x;
      if (y >= 64) return x < 0 ? -1 : 0;
      return x < 0 ? ~static_cast<std::int64_t>(~ux >> y) : static_cast<std::int64_t>(ux >> y);
    default:
      if (y <= 0) return x;
      if (y >= 64) return 0;
      return static_cast<std::int64_t>(ux << y);
  }
}

// "TNR": 1 is "A", 27 "AA", 703 "AAA", 18278 "ZZZ"; others "???".
std::string ColumnLetters(std::int64_t n) {
  if (n < 1 || n > kLastColumn) return "???";
  std::string s;
  if (n >= 703) {
    const std::int64_t m = n - 27;
    s += static_cast<char>('@' + m / 676);
    s += static_cast<char>('A' + (m % 676) / 26);
    s += static_cast<char>('A' + (m % 676) % 26);
  } else if (n >= 27) {
    s += static_cast<char>('@' + (n - 1) / 26);
    s += static_cast<char>('A' + (n - 1) % 26);
  } else {
    s += static_cast<char>('@' + n);
  }
  return s;
}

// "TNA": the bytes of a Shift-JIS code.
std::string SjisBytes(std::int64_t code) {
  if (code < 0 || code > kLastSjisCode) return "??";
  std::string s;
  if (code > 0xFF) s += static_cast<char>(code >> 8);
  s += static_cast<char>(code & 0xFF);
  MakeCellSafe(&s);
  return s;
}

// "TNU": the code-page-932 form of a UTF-16 code, "?" without one.
std::string UnicodeBytes(std::int64_t code) {
  if (code < 0 || code > 0xFFFF) return "?";
  const std::uint16_t sjis = textcodec::UnicodeToSjis(static_cast<char32_t>(code));
  if (sjis == textcodec::kNoSjis) return "?";
  return SjisBytes(sjis);
}

std::string Hex(std::uint64_t v) {
  char buf[24];
  const int len = std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(v));
  return std::string(buf, static_cast<std::size_t>(len));
}

void NumberFunction(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  const int code = a.nCode;
  const int param = *a.pnParam;
  const FieldNumber n = ReadFieldNumber(f.bytes, f.Length(), ModeOf(code));
  std::string out;
  if (code >= kFsin && code <= kCube) {
    out = Floating(scope, code, n.value, param);
  } else if (code == kTne || code == kTen) {
    out = std::isfinite(n.value) ? FormatExponent(n.value, param) : kNumberFailText;
  } else if (code == kDfpi) {
    out = Pi(param);
  } else if (code >= kBand && code <= kBsfl) {
    const std::int64_t y =
        param >= 0 ? param : ReadSecondInteger(scope.state.m_strMacroVars[kSlotSecondOperand]);
    out = Decimal(Bits(code, n.Signed(), y));
  } else {
    switch (code) {
      case kTnr: out = ColumnLetters(n.Signed()); break;
      case kTna: out = SjisBytes(n.Signed()); break;
      case kTnu: out = UnicodeBytes(n.Signed()); break;
      case kTxn: out = Decimal(n.Signed()); break;
      case kTnx: out = (param == 1 ? "0x" : "") + Hex(static_cast<std::uint64_t>(n.Signed())); break;
      case kRm: {
        // The remainder of the magnitude, with the field's sign; by 0 the
        // field's integer itself (as "%" in expressions).
        const std::uint64_t divisor = param < 0 ? 0u - static_cast<std::uint64_t>(static_cast<std::int64_t>(param))
                                                : static_cast<std::uint64_t>(param);
        const std::uint64_t r = divisor == 0 ? n.magnitude : n.magnitude % divisor;
        out = (n.negative && r != 0 ? "-" : "") + std::to_string(r);
        break;
      }
      case kAbs: out = std::to_string(n.magnitude); break;
      case kSgn: out = n.negative && n.nonZero ? "-1" : "1"; break;
      default: out = f.Text(); return (void)PutWhole(a, out);  // a code of the family without a function
    }
  }
  Write(a, n, out);
}

}  // namespace

void RegisterNumberFunctions(BuiltinHandler* at) {
  for (int code : {58, 59, 76, 77, 79, 87, 88, 89}) at[code] = NumberFunction;
  // 105-135 (122-124, 126 and 127 have no function: their field is copied).
  for (int code = 105; code <= 135; ++code) at[code] = NumberFunction;
  RegisterNumberFormats(at);
}

}  // namespace macro
