#include "view/viewui/printsetup.h"

namespace viewui {

void MarginsFromPrspace(const std::int32_t p[3], std::int32_t out[4]) {
  const std::int32_t p0 = p[0] < 0 ? 0 : p[0] % 10000;
  const std::int32_t p1 = p[1] < 0 ? 0 : p[1] % 10000;
  const std::int32_t p2 = p[2] < 0 ? 0 : p[2] % 10000;
  out[kMarginTop] = (10 * (p0 / 100) + p2 / 1000) * 100;
  out[kMarginBottom] = (10 * (p0 % 100) + (p2 % 1000) / 100) * 100;
  out[kMarginLeft] = (10 * (p1 / 100) + (p2 % 100) / 10) * 100;
  out[kMarginRight] = (10 * (p1 % 100) + p2 % 10) * 100;
}

int FillUnsetMargins(std::int32_t margins[4], const std::int32_t prspace[3]) {
  std::int32_t from[4];
  MarginsFromPrspace(prspace, from);
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    if (margins[i] != kMarginUnset) continue;
    margins[i] = from[i];
    ++n;
  }
  return n;
}

bool ParsePrintset(const CString& operand, std::int32_t margins[4]) {
  // Order of the operand's numbers -> margin words.
  static const int kTarget[4] = {kMarginLeft, kMarginTop, kMarginRight, kMarginBottom};
  const char* p = operand.GetString();
  const int len = operand.GetLength();
  if (len == 0) return false;
  int found = 0;
  int i = 0;
  while (i < len && found < 4) {
    if (p[i] < '0' || p[i] > '9') {
      ++i;
      continue;
    }
    long long v = 0;
    while (i < len && p[i] >= '0' && p[i] <= '9') {
      if (v < 100000) v = v * 10 + (p[i] - '0');
      ++i;
    }
    margins[kTarget[found++]] = static_cast<std::int32_t>(v * 100);
  }
  return true;
}

int HundredthsMmToTwips(std::int32_t v) {
  long long t = static_cast<long long>(v) * 1440;
  return static_cast<int>(t >= 0 ? (t + 1270) / 2540 : (t - 1270) / 2540);
}

TwipsRect PageDrawRect(int w, int h, const std::int32_t m[4]) {
  auto tw = [&](int i) { return m[i] == kMarginUnset || m[i] < 0 ? 0 : HundredthsMmToTwips(m[i]); };
  TwipsRect r;
  r.left = tw(kMarginLeft);
  r.top = tw(kMarginTop);
  r.right = w - tw(kMarginRight);
  r.bottom = h - tw(kMarginBottom);
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

}  // namespace viewui
