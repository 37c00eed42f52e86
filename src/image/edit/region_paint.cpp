#include "image/edit/region_paint.h"

#include <algorithm>

namespace image {

namespace {

constexpr int kPenShape = 11;
constexpr int kFloodToBorder = 11;
constexpr int kLargeDot = 2;  // from this size the dot is a filled square

int ClampCoord(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); }

}  // namespace

RegionPaintPlan PlanRegionPaint(const RegionPaintInput& in) {
  RegionPaintPlan p;
  if (in.mode == 8) {
    p.kind = RegionPaintKind::kFillRect;
    p.rect = CRect(0, 0, ClampCoord(in.width), ClampCoord(in.height));
    return p;
  }
  if (in.mode != 5 && in.mode != 6) return p;
  const int x = in.cursor.x, y = in.cursor.y;
  if (in.shapeKind == kPenShape) {
    if (in.lineStyle >= kLargeDot) {
      p.kind = RegionPaintKind::kPenSquare;
      p.rect = CRect(x, y, ClampCoord(int64_t(x) + in.lineStyle), ClampCoord(int64_t(y) + in.lineStyle));
      return p;
    }
    p.kind = RegionPaintKind::kPenPixels;
    p.pixels[p.pixelCount++] = CPoint(x, y);
    if (in.lineStyle == 1) {
      // Size 1 is a 2 x 2 dot: the point and its right, lower and lower-right
      // neighbours.
      p.pixels[p.pixelCount++] = CPoint(ClampCoord(int64_t(x) + 1), y);
      p.pixels[p.pixelCount++] = CPoint(x, ClampCoord(int64_t(y) + 1));
      p.pixels[p.pixelCount++] = CPoint(ClampCoord(int64_t(x) + 1), ClampCoord(int64_t(y) + 1));
    }
    return p;
  }
  p.kind = in.imageTool == kFloodToBorder ? RegionPaintKind::kFloodBorder : RegionPaintKind::kFloodSurface;
  p.at = CPoint(x, y);
  return p;
}

}  // namespace image
