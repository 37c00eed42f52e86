#include "image/edit/region_restore.h"

#include <algorithm>

namespace image {

namespace {
constexpr int64_t kUndoFar = int64_t(1) << 60;  // beyond every buffer
}  // namespace

RestorePlan PlanRegionRestore(const CRect& rect, int imageHeight, int bits) {
  RestorePlan p;
  if (bits < 8 || bits > 32 || imageHeight < 0) return p;
  const CRect r = NormalizeRegion(rect);
  p.lines = RegionLines(r, imageHeight);
  p.imageHeight = imageHeight;
  p.left = std::min(RegionByteOffset(r.left, bits), kRegionSpanClamp);
  p.right = std::min(RegionByteOffset(r.right, bits), kRegionSpanClamp);
  p.span = RoundUp4(std::max<int64_t>(0, p.right - p.left));
  p.ok = true;
  return p;
}

int64_t RestoreUndoOffset(const RestorePlan& plan, int64_t line) {
  if (!plan.ok || !plan.lines.Contains(line) || line < 0 || line >= plan.imageHeight) return -1;
  // Past the int64 range every read is outside the data anyway.
  int64_t k;
  if (__builtin_mul_overflow(line - plan.lines.InsideFirst(plan.imageHeight), plan.span, &k)) return kUndoFar;
  return std::min(k, kUndoFar);
}

void RestoreLine(const RestorePlan& plan, int64_t line, uint8_t* row, size_t rowBytes, const uint8_t* undo,
                 size_t undoBytes) {
  const int64_t k0 = RestoreUndoOffset(plan, line);
  if (k0 < 0) return;
  // Only positions 0 .. rowBytes - 1 are written; the rest are consumed.
  const int64_t from = std::max<int64_t>(plan.left, 0);
  const int64_t to = std::min<int64_t>(plan.left + plan.span, int64_t(rowBytes));
  for (int64_t pos = from; pos < to; ++pos) {
    const int64_t k = k0 + (pos - plan.left);
    row[pos] = k < int64_t(undoBytes) ? undo[k] : kUndoOutsideByte;
  }
}

}  // namespace image
