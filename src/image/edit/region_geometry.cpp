#include "image/edit/region_geometry.h"

#include <algorithm>

namespace image {

CRect NormalizeRegion(const CRect& r) {
  return CRect(std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
               std::max(r.top, r.bottom));
}

CopyRect PickCopyRect(const CRect& sel, int imageWidth, int imageHeight, int dragState) {
  CopyRect c;
  if (HasRegion(sel)) {
    c.rect = NormalizeRegion(sel);
    return c;
  }
  c.rect = CRect(0, 0, imageWidth, imageHeight);
  c.wholeImage = true;
  c.storeAsRegion = dragState == 0;
  return c;
}

bool PickRestoreRect(const CRect& sel, const CRect& clipRect, int dragState, CRect* out) {
  const CRect& r = !HasRegion(sel) && dragState > 0 ? clipRect : sel;
  if (r.right < 0) return false;
  *out = NormalizeRegion(r);
  return true;
}

int64_t LineRange::InsideFirst(int64_t height) const { return std::clamp<int64_t>(first, 0, std::max<int64_t>(height, 0)); }

int64_t LineRange::InsideEnd(int64_t height) const {
  return std::max(InsideFirst(height), std::clamp<int64_t>(end, 0, std::max<int64_t>(height, 0)));
}

LineRange RegionLines(const CRect& r, int imageHeight) {
  LineRange l;
  l.first = int64_t(imageHeight) - r.bottom;
  l.end = int64_t(imageHeight) - r.top;
  return l;
}

int64_t RegionByteOffset(int64_t x, int bits) { return bits > 8 ? x * bits / 8 : x; }

namespace {
bool UsableBits(int bits) { return bits >= 1 && bits <= 32; }
}  // namespace

int64_t RowDataBytes(int64_t width, int bits) {
  if (width < 0 || !UsableBits(bits) || width > kRegionMaxBytes) return -1;
  return (width * bits + 7) / 8;
}

int64_t RowStride(int64_t width, int bits) {
  if (width < 0 || !UsableBits(bits) || width > kRegionMaxBytes) return -1;
  return (width * bits + 31) / 32 * 4;
}

int64_t CheckedRegionProduct(int64_t a, int64_t b) {
  int64_t p;
  if (a < 0 || b < 0 || __builtin_mul_overflow(a, b, &p) || p > kRegionMaxBytes) return -1;
  return p;
}

int64_t CheckedRegionSum(int64_t a, int64_t b) {
  if (a < 0 || b < 0 || a > kRegionMaxBytes || b > kRegionMaxBytes || a + b > kRegionMaxBytes) return -1;
  return a + b;
}

}  // namespace image
