// Number formats: "MUL" and "DIV" (the field times or divided by n in the
// scaled decimals of expressions: the quotient truncated at the field's own
// decimals, the zero-division value for 0), "AP" (a decimal point n digits
// from the right), "FP" (exactly n decimals, half up), "RDU"/"RDD"/"RDM"
// (rounded up, down, half up at n decimals) and "RZU"/"RZD"/"RZM" (the same
// to a multiple of 10^n). The field must be a number: blanks around it, an
// optional sign, digits with digit-group commas and at most one decimal
// point; anything else is copied unchanged. The digits are kept as text, so
// a number of any length is exact; the result has no commas and no '+', a
// zero result no '-'.
#include <string>

#include "macro/macro_fn_common.h"
#include "macro/macro_fn_numread.h"
#include "macro/macro_state.h"

namespace macro {
namespace {

enum FormatCode { kMul = 13, kDiv = 14, kAp = 17, kFp = 19, kRdu = 81, kRdd, kRdm, kRzu, kRzd, kRzm };

enum class Rounding { kUp, kDown, kHalfUp };  // up and down: away from and towards zero

// value = digits x 10^-scale, with a sign.
struct Exact {
  bool negative = false;
  std::string digits;  // at least one digit
  std::size_t scale = 0;
  bool Zero() const { return digits.find_first_not_of('0') == std::string::npos; }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ReadExact(const std::string& s, Exact* x) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  if (b < e && (s[b] == '-' || s[b] == '+')) x->negative = s[b++] == '-';
  bool point = false;
  for (std::size_t i = b; i < e; ++i) {
    const char c = s[i];
    if (IsDigit(c)) {
      x->digits += c;
      if (point) ++x->scale;
    } else if (c == ',' && !point && !x->digits.empty()) {
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return !x->digits.empty();
}

std::string Text(const Exact& x) {
  std::string d = x.digits;
  if (d.size() <= x.scale) d.insert(0, x.scale + 1 - d.size(), '0');
  std::size_t lead = 0;
  while (lead + 1 < d.size() - x.scale && d[lead] == '0') ++lead;
  d.erase(0, lead);
  if (x.scale > 0) d.insert(d.size() - x.scale, ".");
  return (x.negative && !x.Zero() ? "-" : "") + d;
}

void Increment(std::string* d) {
  for (std::size_t i = d->size(); i-- > 0;) {
    if ((*d)[i] != '9') {
      ++(*d)[i];
      return;
    }
    (*d)[i] = '0';
  }
  d->insert(0, "1");
}

void Multiply(Exact* x, unsigned long long m) {
  unsigned long long carry = 0;
  for (std::size_t i = x->digits.size(); i-- > 0;) {
    const unsigned long long v = static_cast<unsigned long long>(x->digits[i] - '0') * m + carry;
    x->digits[i] = static_cast<char>('0' + v % 10);
    carry = v / 10;
  }
  std::string head;
  for (; carry; carry /= 10) head.insert(head.begin(), static_cast<char>('0' + carry % 10));
  x->digits.insert(0, head);
}

// Truncating division by m (m > 0).
void Divide(Exact* x, unsigned long long m) {
  unsigned long long rest = 0;
  for (char& c : x->digits) {
    rest = rest * 10 + static_cast<unsigned long long>(c - '0');
    c = static_cast<char>('0' + rest / m);
    rest %= m;
  }
}

// Rounds to `places` decimals (negative: to a multiple of 10^-places);
// with `pad`, fewer decimals are filled up with zeros.
void Round(Exact* x, long long places, Rounding mode, bool pad) {
  const long long scale = static_cast<long long>(x->scale);
  if (places >= scale) {
    if (pad) {
      x->digits.append(static_cast<std::size_t>(places - scale), '0');
      x->scale = static_cast<std::size_t>(places);
    }
    return;
  }
  const std::size_t drop = static_cast<std::size_t>(scale - places);
  if (x->digits.size() <= drop) x->digits.insert(0, drop + 1 - x->digits.size(), '0');
  const std::string dropped = x->digits.substr(x->digits.size() - drop);
  x->digits.erase(x->digits.size() - drop);
  bool up = false;
  if (mode == Rounding::kUp) up = dropped.find_first_not_of('0') != std::string::npos;
  else if (mode == Rounding::kHalfUp) up = dropped[0] >= '5';
  if (up) Increment(&x->digits);
  if (places >= 0) {
    x->scale = static_cast<std::size_t>(places);
  } else {
    x->digits.append(static_cast<std::size_t>(-places), '0');
    x->scale = 0;
  }
}

Rounding RoundingOf(int code) {
  if (code == kRdu || code == kRzu) return Rounding::kUp;
  if (code == kRdd || code == kRzd) return Rounding::kDown;
  return Rounding::kHalfUp;
}

void NumberFormat(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  MacroFinishFunctionField(scope, a, f);
  const std::string field = f.Text();
  const bool quoted = f.Quoted();
  std::string inner = quoted ? field.substr(1) : field;
  if (quoted && !inner.empty() && inner.back() == '"') inner.pop_back();
  Exact x;
  if (!ReadExact(inner, &x)) return (void)PutWhole(a, field);

  const int code = a.nCode;
  const long long param = *a.pnParam;
  // Counts past what the output can hold change nothing it shows.
  const long long room = static_cast<long long>(a.nOutCapacity) - *a.pnOutLen;
  const long long limit = room + static_cast<long long>(x.digits.size()) + 64;
  const long long n = param < 0 ? 0 : (param > limit ? limit : param);
  std::string out;
  switch (code) {
    case kMul:
    case kDiv: {
      const unsigned long long m = param < 0 ? 0ull - static_cast<unsigned long long>(param)
                                             : static_cast<unsigned long long>(param);
      if (code == kDiv && m == 0) {
        out = std::to_string(scope.state.m_nZeroDivValue);
        break;
      }
      if (code == kMul) Multiply(&x, m);
      else Divide(&x, m);
      if (param < 0) x.negative = !x.negative;
      out = Text(x);
      break;
    }
    case kAp:
      x.scale += static_cast<std::size_t>(n);
      out = Text(x);
      break;
    case kFp:
      Round(&x, n, Rounding::kHalfUp, true);
      out = Text(x);
      break;
    case kRdu:
    case kRdd:
    case kRdm:
      Round(&x, n, RoundingOf(code), false);
      out = Text(x);
      break;
    default:
      Round(&x, -n, RoundingOf(code), false);
      out = Text(x);
      break;
  }
  PutWhole(a, quoted ? "\"" + out + "\"" : out);
}

}  // namespace

void RegisterNumberFormats(BuiltinHandler* at) {
  for (int code : {kMul, kDiv, kAp, kFp, kRdu, kRdd, kRdm, kRzu, kRzd, kRzm}) at[code] = NumberFormat;
}

}  // namespace macro
