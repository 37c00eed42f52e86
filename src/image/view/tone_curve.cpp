#include "image/view/tone_curve.h"

#include <array>

namespace img {

namespace {

// Levels -5..4 without 0 have their own curve; slot 9 is every other level.
constexpr int kCurves = 10;

int CurveSlot(int32_t level) {
  if (level >= -5 && level <= -1) return level + 5;  // 0..4
  if (level >= 1 && level <= 4) return level + 4;    // 5..8
  return 9;
}

// The S-curves of levels -3..-1 and 1..3: slope 1/2 below the knee k, 3/2
// over the next 128 values, 1/2 above.
int32_t SCurve(int32_t v, int32_t h, int32_t k) {
  if (v < k) return h;
  if (v <= k + 128) return v + h - k;
  return h + 128;
}

using Tables = std::array<std::array<uint8_t, 256>, kCurves>;

Tables MakeTables() {
  static constexpr int32_t kLevelOfSlot[kCurves] = {-5, -4, -3, -2, -1, 1, 2, 3, 4, 0};
  Tables t{};
  for (int s = 0; s < kCurves; ++s)
    for (int32_t v = 0; v < 256; ++v) t[s][v] = uint8_t(ToneCurveFormula(v, kLevelOfSlot[s]));
  return t;
}

}  // namespace

int32_t ToneCurveFormula(int32_t value, int32_t level) {
  const int32_t v = value < 0 ? 0 : value > 255 ? 255 : value;
  const int32_t h = v >> 1;
  int32_t r;
  switch (level) {
    case -5: r = 2 * v; break;
    case -4: r = v < 128 ? v + h : h + 128; break;
    case -3: r = SCurve(v, h, 16); break;
    case -2: r = SCurve(v, h, 32); break;
    case -1: r = SCurve(v, h, 48); break;
    case 1: r = SCurve(v, h, 64); break;
    case 2: r = SCurve(v, h, 80); break;
    case 3: r = SCurve(v, h, 96); break;
    case 4: r = v < 128 ? h : v + h - 128; break;
    default: r = v < 128 ? 0 : 2 * v - 255; break;
  }
  return r > 255 ? 255 : r;
}

int32_t ToneCurveValue(int32_t value, int32_t level) {
  static const Tables tables = MakeTables();
  const int32_t v = value < 0 ? 0 : value > 255 ? 255 : value;
  return tables[CurveSlot(level)][v];
}

}  // namespace img
