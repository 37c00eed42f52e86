#include "image/view/pixel_probe.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "fw/cstring.h"  // FW_PRINTF

namespace image {

namespace {

constexpr int64_t kInt64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t kInt64Min = std::numeric_limits<int64_t>::min();

// Map millimetres per pixel of a 300 dpi scan: 1693 / 19996.
constexpr int64_t kScanNumerator = 1693;
constexpr int64_t kScanDenominator = 19996;
constexpr double kDegreesPerRadian = 57.32484076433121;  // 180 / 3.14

int64_t SatMul(int64_t a, int64_t b) {
  int64_t r;
  if (!__builtin_mul_overflow(a, b, &r)) return r;
  return (a < 0) != (b < 0) ? kInt64Min : kInt64Max;
}

int64_t SatAbs(int64_t v) { return v == kInt64Min ? kInt64Max : v < 0 ? -v : v; }

// The whole square root of n (exact, whatever the long double's precision).
uint64_t WholeSqrt(unsigned __int128 n) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<long double>(n)));
  while (static_cast<unsigned __int128>(r) * r > n) --r;
  while (static_cast<unsigned __int128>(r + 1) * (r + 1) <= n) ++r;
  return r;
}

std::string Printf(const char* fmt, ...) FW_PRINTF(1, 2);
std::string Printf(const char* fmt, ...) {
  char buf[256];
  va_list args;
  va_start(args, fmt);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return n < 0 ? std::string() : std::string(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

}  // namespace

ProbeColour MeasureProbeColour(uint32_t colorref) {
  ProbeColour c;
  c.r = int(colorref & 0xFF);
  c.g = int(colorref >> 8 & 0xFF);
  c.b = int(colorref >> 16 & 0xFF);
  const int hi = std::max({c.r, c.g, c.b}), lo = std::min({c.r, c.g, c.b});
  c.lightness = ((hi + lo) * 100 + 255) / 510;
  const int a = 5 * (2 * c.r - c.g - c.b);
  const int b = (c.g - c.b) * 173 / 20;
  c.chroma = int((std::sqrt(double(a) * a + double(b) * b) * 100 + 1275) / 2550);
  if (c.chroma == 99) c.chroma = 100;
  c.hue = std::atan2(double(b), double(a)) * kDegreesPerRadian;
  if (c.hue < 0) c.hue += 360;
  return c;
}

RegionMeasure MeasureRegion(const CRect& sel, int mapScale, int zoomLevel) {
  // Product first, then the division, then the sign.
  auto side = [mapScale](int from, int to) {
    const int64_t pixels = int64_t(to) - from;
    return SatAbs(SatMul(SatMul(pixels, mapScale), kScanNumerator) / kScanDenominator);
  };
  RegionMeasure m;
  m.w = side(sel.left, sel.right);
  m.h = side(sel.top, sel.bottom);
  const int level = zoomLevel >= 1 && zoomLevel <= 9 ? zoomLevel : 5;
  if (level < 5) {
    m.w = SatMul(m.w, int64_t(1) << (5 - level));
    m.h = SatMul(m.h, int64_t(1) << (5 - level));
  } else if (level > 5) {
    m.w >>= level - 5;  // both are 0 or more
    m.h >>= level - 5;
  }
  m.a = SatMul(m.w, m.h) / 1000;
  const uint64_t d = WholeSqrt(static_cast<unsigned __int128>(m.w) * uint64_t(m.w) +
                               static_cast<unsigned __int128>(m.h) * uint64_t(m.h));
  m.d = d > uint64_t(kInt64Max) ? kInt64Max : int64_t(d);
  return m;
}

// The second pane's "H is not 0" and "W x 100 / H" take the measured W and H
// (after the zoom correction), so a region that measures less than a
// thousandth high leaves the pane as it is. The corners print as they are,
// the sides as 64-bit differences.
PixelProbeTexts ComputePixelProbe(const PixelProbeInput& in) {
  PixelProbeTexts out;
  int64_t scrollH = in.scrollH, scrollV = in.scrollV;
  if (in.zoomFine >= 7 && in.zoomFine <= 9) {
    scrollH = scrollH * in.zoomFine / 10;
    scrollV = scrollV * in.zoomFine / 10;
  }
  const bool noOrigin = in.origin.x == -1 && in.origin.y == -1;
  const int64_t X = int64_t(in.x) - (noOrigin ? 0 : in.origin.x) + scrollH;
  const int64_t Y = int64_t(in.y) - (noOrigin ? 0 : in.origin.y) + scrollV;

  if (in.grab && (in.grabTool == 0 || in.grabTool == 9)) {
    const ProbeColour c = MeasureProbeColour(in.probe);
    out.pane0 = Printf("XY=(% 04lld,% 04lld)  RGB=(%03d,%03d,%03d)  YCP=(%03d%%,%03d%%, %03.fdeg )", (long long)X,
                       (long long)Y, c.r, c.g, c.b, c.lightness, c.chroma, c.hue);
  }
  const RegionMeasure m = MeasureRegion(in.sel, in.mapScale, in.zoomLevel);
  if (in.sel.left >= 0) {
    out.pane0 += Printf("    W=%lld.%03lld  H=%lld.%03lld  D=%lld.%03lld  A=%lld.%03lld  (Scl=1/%d)",
                        (long long)(m.w / 1000), (long long)(m.w % 1000), (long long)(m.h / 1000),
                        (long long)(m.h % 1000), (long long)(m.d / 1000), (long long)(m.d % 1000),
                        (long long)(m.a / 1000), (long long)(m.a % 1000), in.mapScale);
  }
  if (in.pasteState == 0 && m.h != 0) {
    out.hasPane104 = true;
    out.pane104 = Printf("%3d,%3d:%3d,%3d %3lld%%", in.sel.left, in.sel.top, in.sel.right, in.sel.bottom,
                         (long long)(SatMul(m.w, 100) / m.h));
    out.pane104 += Printf(" w=%lld h=%lld", (long long)(int64_t(in.sel.right) - in.sel.left),
                          (long long)(int64_t(in.sel.bottom) - in.sel.top));
  }
  return out;
}

}  // namespace image
