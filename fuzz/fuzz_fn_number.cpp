// The number functions and number formats of the built-in library over any
// bytes: one of their codes, any field bytes, operand, second operand
// (variable 155), output capacity, read position and source length. The
// source and the output are heap blocks of exactly their sizes, so that a
// read at or past the source's length or a write past the capacity is
// caught. A model checks what every call must do: the field is consumed up
// to its terminator, the output stays within the capacity, a result that
// fits is written whole, and a few results are compared with a second
// computation (column letters, remainders, signs, the bit functions).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/macro_fuzz_host.h"
#include "macro/macro_builtins.h"
#include "macro/macro_state.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr int kCodes[] = {13,  14,  17,  19,  58,  59,  76,  77,  79,  81,  82,  83,  84,  85,  86,  87,  88,
                          89,  105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120,
                          121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135};

struct Fixture {
  std::unique_ptr<macro::MacroState> st = std::make_unique<macro::MacroState>();
  fuzzsupport::QuietMacroHost host;
};

Fixture& Fix() {
  static Fixture f;
  return f;
}

std::uint32_t Take(const std::uint8_t*& p, std::size_t& n, int bytes) {
  std::uint32_t v = 0;
  for (int k = 0; k < bytes && n > 0; ++k, --n) v = (v << 8) | *p++;
  return v;
}

bool Terminator(std::uint8_t b) { return b == 0x06 || b == 0 || b == '\r' || b == '\n'; }

// The field's integer as the library reads it for the integer functions:
// decimal digits (not the second byte of a double-byte character), a '-'
// before the first, up to a '.'; stopping at the 64-bit range.
struct Int {
  bool negative = false, hex = false;
  unsigned long long magnitude = 0;
};

Int ReadInt(const std::uint8_t* b, std::size_t n) {
  Int v;
  std::size_t i = 0;
  if (i < n && b[i] == '"') ++i;
  const unsigned long long max = 0x7FFFFFFFFFFFFFFFull;
  if (i + 1 < n && b[i] == '0' && (b[i + 1] == 'x' || b[i + 1] == 'X')) {
    v.hex = true;
    for (i += 2; i < n; ++i) {
      const std::uint8_t c = b[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) break;
      v.magnitude = v.magnitude > (max - d) / 16 ? max : v.magnitude * 16 + d;
    }
    return v;
  }
  bool digit = false, second = false;
  for (; i < n; ++i) {
    const std::uint8_t c = b[i];
    if (second) {
      second = false;
      continue;
    }
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC)) {
      second = i + 1 < n;
      continue;
    }
    if (c >= '0' && c <= '9') {
      digit = true;
      v.magnitude = v.magnitude > (max - (c - '0')) / 10 ? max : v.magnitude * 10 + (c - '0');
    } else if (c == '-' && !digit) {
      v.negative = true;
    } else if (c == '.') {
      break;
    }
  }
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fixture& fx = Fix();
  const std::uint8_t* p = data;
  std::size_t n = size;
  const int code = kCodes[Take(p, n, 1) % (sizeof kCodes / sizeof kCodes[0])];
  // Operands near the interesting values more often than not.
  const std::uint32_t raw = Take(p, n, 4);
  int param;
  switch (raw & 3) {
    case 0: param = static_cast<int>(raw >> 2) % 24 - 9; break;
    case 1: param = static_cast<int>(raw >> 2) % 200; break;
    default: param = static_cast<int>(raw); break;
  }
  const int cap = static_cast<int>(Take(p, n, 2) % 600);
  const std::uint32_t opLen = Take(p, n, 1) % 32;
  const std::string second(reinterpret_cast<const char*>(p), opLen < n ? opLen : n);
  p += second.size();
  n -= second.size();
  const std::uint32_t cut = Take(p, n, 2);
  fx.st->m_strMacroVars[155] = CString(second);

  // The source: exactly n bytes; its used length at most that.
  std::unique_ptr<std::uint8_t[]> src(new std::uint8_t[n ? n : 1]);
  if (n) std::memcpy(src.get(), p, n);
  const std::uint32_t length = n ? cut % static_cast<std::uint32_t>(n + 1) : 0;
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[cap ? cap : 1]);
  const int start = static_cast<int>((cut >> 4) % (length + 1));
  int readPos = start, outLen = 0;
  const int given = param;

  macro::BuiltinScope scope{*fx.st, &fx.host, nullptr, length};
  Check(macro::MacroBuiltinHandler(code) != nullptr);
  macro::MacroCallBuiltinFunction(scope, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src.get(), out.get(),
                                  "XX", "", nullptr, nullptr, nullptr, cap);
  Check(outLen >= 0 && outLen <= cap);
  Check(param == given);
  // The field is consumed up to its terminator, never past the length.
  std::uint32_t fe = static_cast<std::uint32_t>(start);
  while (fe < length && !Terminator(src[fe])) ++fe;
  Check(static_cast<std::uint32_t>(readPos) == fe);
  // No result holds a byte that would end the cell or the row.
  for (int k = 0; k < outLen; ++k) Check(!Terminator(out[k]));

  const std::uint8_t* field = src.get() + start;
  const std::size_t fieldLen = fe - static_cast<std::uint32_t>(start);
  const bool quoted = fieldLen > 0 && field[0] == '"';
  const std::string got(reinterpret_cast<const char*>(out.get()), static_cast<std::size_t>(outLen));
  const std::string body = quoted && got.size() >= 2 ? got.substr(1, got.size() - 2) : got;
  const bool whole = cap >= 48;  // every integer result fits
  const Int v = ReadInt(field, fieldLen);
  const long long s = v.negative && !v.hex ? -static_cast<long long>(v.magnitude) : static_cast<long long>(v.magnitude);
  if (!whole) return 0;
  // A quoted field gives a quoted result unless the output was cut (the
  // formats copy a field that is no number as it is).
  const bool format = code == 13 || code == 14 || code == 17 || code == 19 || (code >= 81 && code <= 86) ||
                      (code >= 122 && code <= 127 && code != 125);
  if (quoted && !format && outLen < cap) Check(got.size() >= 2 && got.front() == '"' && got.back() == '"');
  switch (code) {
    case 88:
      Check(body == std::to_string(v.magnitude));
      break;
    case 89:
      Check(body == "1" || body == "-1");
      if (v.magnitude != 0) Check(body == (v.negative && !v.hex ? "-1" : "1"));
      break;
    case 87: {
      const unsigned long long d = given < 0 ? 0ull - static_cast<unsigned long long>(static_cast<long long>(given))
                                             : static_cast<unsigned long long>(given);
      const unsigned long long r = d ? v.magnitude % d : v.magnitude;
      Check(body == (v.negative && !v.hex && r ? "-" : "") + std::to_string(r));
      break;
    }
    case 58: {
      if (s < 1 || s > 18278) {
        Check(body == "???");
      } else {
        // Bijective base 26.
        std::string letters;
        for (long long k = s; k > 0; k = (k - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (k - 1) % 26));
        Check(body == letters);
      }
      break;
    }
    case 130:
    case 131:
    case 132:
    case 133:
    case 134:
    case 135: {
      // Only the fields the integer reading covers (not hexadecimal runs
      // that the model reads alike anyway).
      long long y = given;
      if (given < 0) {
        std::size_t i = 0;
        const bool minus = !second.empty() && second[0] == '-';
        if (minus) ++i;
        unsigned long long m = 0;
        for (; i < second.size() && second[i] >= '0' && second[i] <= '9'; ++i)
          m = m > (0x7FFFFFFFFFFFFFFFull - (second[i] - '0')) / 10 ? 0x7FFFFFFFFFFFFFFFull : m * 10 + (second[i] - '0');
        y = minus ? -static_cast<long long>(m) : static_cast<long long>(m);
      }
      const unsigned long long ux = static_cast<unsigned long long>(s), uy = static_cast<unsigned long long>(y);
      unsigned long long r;
      if (code == 130) r = ux & uy;
      else if (code == 131) r = ux | uy;
      else if (code == 132) r = ux ^ uy;
      else if (code == 133) r = ~ux;
      else {
        // Bit by bit.
        r = ux;
        for (long long k = 0; k < y && k < 70; ++k) {
          if (code == 135) r <<= 1;
          else r = (r >> 1) | (r & 0x8000000000000000ull);
        }
      }
      Check(body == std::to_string(static_cast<long long>(r)));
      break;
    }
    case 19:
    case 84:
    case 85:
    case 86: {
      // On a number: "FP" gives exactly n decimals, the "RZ" family a
      // multiple of 10^n without decimals.
      std::string inner(reinterpret_cast<const char*>(field), fieldLen);
      if (quoted) inner.erase(0, 1);
      if (quoted && !inner.empty() && inner.back() == '"') inner.pop_back();
      std::size_t b = 0, e = inner.size();
      while (b < e && inner[b] == ' ') ++b;
      while (e > b && inner[e - 1] == ' ') --e;
      if (b < e && (inner[b] == '-' || inner[b] == '+')) ++b;
      bool number = b < e, point = false, digit = false;
      for (std::size_t i = b; i < e && number; ++i) {
        const char c = inner[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (c == ',' && !point && digit) {}
        else if (c == '.' && !point) point = true;
        else number = false;
      }
      if (!number || !digit || given < 0 || given > 40 || static_cast<std::size_t>(cap) < fieldLen + 50) break;
      const std::size_t dot = body.find('.');
      if (code == 19) {
        Check(given == 0 ? dot == std::string::npos : body.size() - dot - 1 == static_cast<std::size_t>(given));
      } else {
        Check(dot == std::string::npos);
        Check(body == "0" || (body.size() > static_cast<std::size_t>(given) &&
                              body.find_first_not_of('0', body.size() - static_cast<std::size_t>(given)) == std::string::npos));
      }
      break;
    }
    default:
      break;
  }
  return 0;
}
