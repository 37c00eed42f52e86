// The code-conversion functions of the built-in library over any bytes:
// each code with any field bytes, operand, output capacity and source
// length. The source and the output are heap blocks of exactly their
// sizes, so a read at or past the source's length or a write past the
// capacity is caught. Checked besides: no result byte ends a cell or a row,
// the read position stays in the source (at the field's end for the field
// converters), and ASCII passes "UTF8", "EUCC" and "BASE"'s copies unchanged.
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

constexpr int kCodes[] = {140, 141, 142, 143, 144, 27, 28, 29, 30, 31, 32, 78, 80, 179};

std::uint32_t Take(const std::uint8_t*& p, std::size_t& n, int bytes) {
  std::uint32_t v = 0;
  for (int k = 0; k < bytes && n > 0; ++k, --n) v = (v << 8) | *p++;
  return v;
}

bool IsTerminator(std::uint8_t b) { return b == 0 || b == 0x06 || b == '\r' || b == '\n'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static macro::MacroState* st = new macro::MacroState();
  static fuzzsupport::QuietMacroHost host;
  const std::uint8_t* p = data;
  std::size_t n = size;
  const int code = kCodes[Take(p, n, 1) % (sizeof kCodes / sizeof kCodes[0])];
  int param = static_cast<int>(Take(p, n, 2)) - 100;
  const int cap = static_cast<int>(Take(p, n, 2) % 400);
  const std::uint32_t cut = Take(p, n, 2);

  std::unique_ptr<std::uint8_t[]> src(new std::uint8_t[n ? n : 1]);
  if (n) std::memcpy(src.get(), p, n);
  const std::uint32_t length = n ? cut % static_cast<std::uint32_t>(n + 1) : 0;
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[cap ? cap : 1]);

  macro::BuiltinScope scope{*st, &host, nullptr, length};
  int readPos = static_cast<int>((cut >> 5) % (length + 1)), outLen = 0;
  const std::uint32_t start = static_cast<std::uint32_t>(readPos);
  macro::MacroCallBuiltinFunction(scope, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src.get(), out.get(),
                                  CString("XX"), CString(), nullptr, nullptr, nullptr, cap);
  Check(outLen >= 0 && outLen <= cap);
  Check(readPos >= 0 && static_cast<std::uint32_t>(readPos) <= length);
  for (int k = 0; k < outLen; ++k) Check(!IsTerminator(out[k]));

  std::uint32_t fe = start;
  while (fe < length && !IsTerminator(src[fe])) ++fe;
  if (code != 78 && code != 80 && code != 144) Check(static_cast<std::uint32_t>(readPos) == fe);
  if (code == 144) Check(static_cast<std::uint32_t>(readPos) >= start);
  // An ASCII field (no escape, no '=' or control byte) passes UTF8 and EUCC unchanged.
  bool ascii = true;
  for (std::uint32_t k = start; k < fe; ++k) ascii = ascii && src[k] >= 0x20 && src[k] < 0x80;
  if (ascii && (code == 140 || code == 141) && fe - start <= static_cast<std::uint32_t>(cap)) {
    Check(outLen == static_cast<int>(fe - start));
    Check(std::memcmp(out.get(), src.get() + start, fe - start) == 0);
  }
  // Base64 never writes more than three bytes per four characters, plus copies.
  if (code == 143) Check(outLen <= static_cast<int>(fe - start));
  return 0;
}
