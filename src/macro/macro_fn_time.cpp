// Time-of-day functions of the built-in library: a time read from a field
// ("pm1:00", "23h30m00s", "1時2分3秒") written in seconds, a number of seconds
// written as a time, and a time moved by a number of seconds with the days it
// crossed. All arithmetic is in 64 bits, so no count overflows.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/docsvc/sjis_state.h"
#include "macro/macro_fn_common.h"

namespace macro {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kNumberCap = 1000000000000000LL;  // a number read saturates here

bool IsDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }

using Inner = UnquotedField;

// Copies the text of `in` from `i` up to the first digit or control byte;
// returns where it stopped.
std::uint32_t CopyToDigit(const Inner& in, std::uint32_t i, std::string* out) {
  while (i < in.n && in.b[i] >= 32 && !IsDigit(in.b[i])) {
    const std::uint32_t len = in.CharLen(i);
    if (out) out->append(reinterpret_cast<const char*>(in.b + i), len);
    i += len;
  }
  return i;
}

std::int64_t ReadNumber(const Inner& in, std::uint32_t* i) {
  std::int64_t v = 0;
  while (*i < in.n && IsDigit(in.b[*i])) v = std::min(kNumberCap, v * 10 + (in.b[(*i)++] - '0'));
  return v;
}

struct TimeRead {
  bool found = false;
  std::int64_t seconds = 0;
  std::string prefix;
};

// The time of `in`: an afternoon mark, the text before the first number
// (copied), then numbers whose following byte names the part.
TimeRead ReadTime(const Inner& in) {
  TimeRead t;
  std::uint32_t i = 0;
  bool pm = false;
  if (in.n >= 2 && (in.b[0] == 'p' || in.b[0] == 'P')) {
    if (in.b[1] == 'm' || in.b[1] == 'M') {
      pm = true;
      i = 2;
    } else if (IsDigit(in.b[1])) {
      pm = true;
      i = 1;
    }
  }
  i = CopyToDigit(in, i, pm ? nullptr : &t.prefix);
  std::int64_t part[3] = {0, 0, 0};
  int next = 0;
  while (i < in.n && in.b[i] >= 32 && next < 3) {
    if (!IsDigit(in.b[i])) {
      i += in.CharLen(i);
      continue;
    }
    const std::int64_t v = ReadNumber(in, &i);
    t.found = true;
    int p = next;
    if (i < in.n) {
      const std::uint8_t c = in.b[i];
      if (c == 'h' || c == 'H' || in.Is(i, 0x8E, 0x9E)) {         // 時
        p = 0;
      } else if (c == 'm' || c == 'M' || c == '\'' || in.Is(i, 0x95, 0xAA)) {  // 分
        p = 1;
      } else if (c == 's' || c == 'S' || c == '"' || in.Is(i, 0x95, 0x62)) {   // 秒
        p = 2;
      }
    }
    part[p] = v;
    next = p + 1;
  }
  if (pm && part[0] < 12) part[0] += 12;
  t.seconds = part[0] * 3600 + part[1] * 60 + part[2];
  return t;
}

std::string Format(const char* fmt, long long a, long long b, long long c) {
  char buf[96];
  const int n = std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return std::string(buf, n < 0 ? 0 : std::min<int>(n, sizeof buf - 1));
}

// Seconds in the layout of `style` (10 and above: a 12-hour clock).
std::string TimeLayout(int style, std::int64_t seconds) {
  std::int64_t h = seconds / 3600;
  const std::int64_t m = seconds % 3600 / 60, s = seconds % 60;
  const char* mark = nullptr;
  if (style >= 10) {
    style -= 10;
    mark = h < 12 ? "am" : "pm";
    if (h > 12) h -= 12;
  }
  std::string out;
  switch (style) {
    case 4: out = Format("%lld時%02lld分%02lld秒", h, m, s); break;
    case 3: out = Format("%lld:%02lld'%02lld\"", h, m, s); break;
    case 2: out = Format("%lld:%02lld.%02lld", h, m, s); break;
    case 1: out = Format("%02lld%02lld%02lld", h, m, s); break;
    default: out = Format("%lldh%02lldm%02llds", h, m, s); break;
  }
  if (mark) out += mark;
  return out;
}


// 100 "THS", 102 "TAS", 103 "TSS".
void TimeFunction(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  if (f.Length() == 0) return MacroFinishFunctionField(scope, a, f);
  const Inner in = SplitFieldQuotes(f);
  const TimeRead t = ReadTime(in);
  std::string text = t.prefix;
  if (t.found && a.nCode == 100) {
    char buf[32];
    const int n = std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(t.seconds));
    text.append(buf, static_cast<std::size_t>(n));
  } else if (t.found) {
    const std::int64_t shift = *a.pnParam;
    const std::int64_t moved = a.nCode == 102 ? t.seconds + shift : t.seconds - shift;
    // Into one day, counting the whole days crossed (negative: back).
    std::int64_t days = moved / kSecondsPerDay;
    std::int64_t rest = moved % kSecondsPerDay;
    if (rest < 0) {
      rest += kSecondsPerDay;
      --days;
    }
    *a.pnParam = 0;
    text += TimeLayout(0, rest);
    if (days != 0) {
      char buf[40];
      const int n = std::snprintf(buf, sizeof buf, days > 0 ? "_%03lldP" : "_%03lldM",
                                  static_cast<long long>(days > 0 ? days : -days));
      text.append(buf, static_cast<std::size_t>(n));
    }
  }
  FinishUnquoted(scope, a, f, in, text);
}

// 101 "TSH": the first number of the field as seconds, in the style's
// layout; the text before and after it is copied.
void SecondsToTime(BuiltinScope& scope, BuiltinArgs& a) {
  const FunctionField f = MacroReadFunctionField(scope, a);
  const Inner in = SplitFieldQuotes(f);
  std::string text;
  std::uint32_t i = CopyToDigit(in, 0, &text);
  if (i >= in.n || !IsDigit(in.b[i])) {
    PutWhole(a, f.Text());
    return MacroFinishFunctionField(scope, a, f);
  }
  const std::int64_t seconds = ReadNumber(in, &i);
  text += TimeLayout(*a.pnParam, seconds);
  text.append(reinterpret_cast<const char*>(in.b + i), in.n - i);
  FinishUnquoted(scope, a, f, in, text);
}

}  // namespace

void RegisterTimeFunctions(BuiltinHandler* at) {
  at[100] = TimeFunction;
  at[101] = SecondsToTime;
  at[102] = TimeFunction;
  at[103] = TimeFunction;
}

}  // namespace macro
