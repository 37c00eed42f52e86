// The date and time functions of the built-in library over any bytes: each
// code with any field bytes, operand, function text, output capacity and
// source length. The source and the output are heap blocks of exactly their
// sizes, so a read at or past the source's length or a write past the
// capacity is caught. A model checks what can be known of the results:
// every call consumes exactly its field; a day serial written in the
// century layout reads back as the same serial; a time moved by n seconds
// and read back, plus its days, is the time read plus n.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "macro/macro_builtins.h"
#include "macro/macro_state.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr int kCodes[] = {7, 8, 9, 70, 71, 72, 73, 74, 75, 90, 91, 92, 93, 94, 100, 101, 102, 103, 104};

macro::MacroState& State() {
  static macro::MacroState* st = new macro::MacroState();
  return *st;
}

std::uint32_t Take(const std::uint8_t*& p, std::size_t& n, int bytes) {
  std::uint32_t v = 0;
  for (int k = 0; k < bytes && n > 0; ++k, --n) v = (v << 8) | *p++;
  return v;
}

struct Result {
  std::string out;
  int readPos = 0;
};

// One call over `text` followed by a separator, with plenty of room.
Result Run(int code, int param, const std::string& text, const char* func = "XX") {
  std::unique_ptr<std::uint8_t[]> src(new std::uint8_t[text.size() + 1]);
  std::memcpy(src.get(), text.data(), text.size());
  src[text.size()] = 0x06;
  std::uint8_t out[512];
  Result r;
  int outLen = 0;
  macro::BuiltinScope scope{State(), nullptr, nullptr, static_cast<std::uint32_t>(text.size() + 1)};
  macro::MacroCallBuiltinFunction(scope, code, &param, 1, 1, &r.readPos, &outLen, nullptr, nullptr, src.get(), out,
                                  func, "", nullptr, nullptr, nullptr, sizeof out);
  Check(outLen >= 0 && outLen <= static_cast<int>(sizeof out));
  Check(r.readPos == static_cast<int>(text.size()));
  r.out.assign(reinterpret_cast<const char*>(out), static_cast<std::size_t>(outLen));
  return r;
}

long long Number(const std::string& s) { return std::strtoll(s.c_str(), nullptr, 10); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::uint8_t* p = data;
  std::size_t n = size;
  const int code = kCodes[Take(p, n, 1) % (sizeof kCodes / sizeof kCodes[0])];
  int param = static_cast<int>(Take(p, n, 4));
  const int cap = static_cast<int>(Take(p, n, 2) % 600);
  const std::uint32_t funcLen = Take(p, n, 1) % 12;
  std::string func(reinterpret_cast<const char*>(p), std::min<std::size_t>(funcLen, n));
  p += func.size();
  n -= func.size();
  const std::uint32_t cut = Take(p, n, 2);

  // The source: exactly n bytes; its used length at most that.
  std::unique_ptr<std::uint8_t[]> src(new std::uint8_t[n ? n : 1]);
  if (n) std::memcpy(src.get(), p, n);
  const std::uint32_t length = n ? cut % static_cast<std::uint32_t>(n + 1) : 0;
  std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[cap ? cap : 1]);
  int readPos = static_cast<int>((cut >> 4) % (length + 1)), outLen = 0;
  const int start = readPos;
  macro::BuiltinScope scope{State(), nullptr, nullptr, length};
  macro::MacroCallBuiltinFunction(scope, code, &param, 1, 1, &readPos, &outLen, nullptr, nullptr, src.get(), out.get(),
                                  CString(func), CString(), nullptr, nullptr, nullptr, cap);
  Check(outLen >= 0 && outLen <= cap);
  // Every function consumes its field up to the terminator.
  std::uint32_t fe = static_cast<std::uint32_t>(start);
  while (fe < length && src[fe] != 0x06 && src[fe] != 0 && src[fe] != '\r' && src[fe] != '\n') ++fe;
  Check(static_cast<std::uint32_t>(readPos) == fe);

  // Models over the field's text (without control bytes).
  std::string field(reinterpret_cast<const char*>(src.get() + start), fe - static_cast<std::uint32_t>(start));
  if (field.size() > 200) field.resize(200);
  // A day serial through the century layout and back.
  const long long serial = static_cast<long long>(static_cast<std::uint32_t>(param) % 2958465u) + 1;
  char num[32];
  std::snprintf(num, sizeof num, "%lld", serial);
  const Result layout = Run(9, 8, num);
  if (layout.out != "EROR") {
    char want[32];
    std::snprintf(want, sizeof want, "%06lld", serial);
    Check(Run(8, 0, layout.out).out == want);
  }
  // A time of day moved and read back: the day mark's days make up the rest.
  if (!field.empty() && field[0] >= '0' && field[0] <= '9' && field.find('"') == std::string::npos) {
    const Result secs = Run(100, 0, field);
    bool digits = !secs.out.empty();
    for (char c : secs.out) digits = digits && c >= '0' && c <= '9';
    if (digits && secs.out.size() < 16) {
      const int shift = param / 2;
      const Result moved = Run(102, shift, field);
      long long days = 0;
      const std::size_t mark = moved.out.find('_');
      std::string clock = moved.out;
      if (mark != std::string::npos) {
        days = Number(moved.out.substr(mark + 1));
        if (moved.out.back() == 'M') days = -days;
        clock = moved.out.substr(0, mark);
      }
      const long long back = Number(Run(100, 0, clock).out);
      Check(back >= 0 && back < 86400);
      Check(back + days * 86400 == Number(secs.out) + shift);
    }
  }
  return 0;
}
