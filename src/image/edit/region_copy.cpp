#include "image/edit/region_copy.h"

#include <algorithm>

namespace image {

CopyPlan PlanRegionCopy(const CopyPlanInput& in) {
  CopyPlan p;
  const int bits = in.bits;
  if (bits < 1 || bits > 32 || in.imageWidth < 0 || in.imageHeight < 0) return p;
  ClipLayout& c = p.clip;
  c.bits = bits;
  c.infoSize = in.infoSize;
  c.colours = ClipColourCount(bits, in.coloursUsed);
  if (c.infoSize < kClipInfoHeaderBytes || c.infoSize > kClipInfoLimit ||
      c.colours > (kClipInfoLimit - c.infoSize) / 4)
    return p;
  c.pixelOffset = kClipFileHeaderBytes + c.infoSize + 4 * c.colours;

  const CRect r = NormalizeRegion(in.rect);
  p.lines = RegionLines(r, in.imageHeight);
  p.imageHeight = in.imageHeight;
  p.leftByte = std::max<int64_t>(0, RegionByteOffset(r.left, bits));
  p.rightByte = std::max<int64_t>(0, RegionByteOffset(r.right, bits));
  p.span = p.rightByte - p.leftByte;
  c.stride = RoundUp4(p.span);
  c.rows = p.lines.Rows();
  c.width = p.span * 8 / bits;
  c.pixelBytes = CheckedRegionProduct(c.stride, c.rows);
  p.imageRowBytes = RowDataBytes(in.imageWidth, bits);
  const int64_t imageStride = RowStride(in.imageWidth, bits);
  p.rowBufferBytes = CheckedRegionSum(imageStride, kRegionSpareBytes);
  const int64_t file = CheckedRegionSum(c.pixelBytes, c.pixelOffset);
  p.clipBufferBytes = CheckedRegionSum(file, kRegionSpareBytes);
  p.ok = c.pixelBytes >= 0 && p.imageRowBytes >= 0 && p.rowBufferBytes >= 0 && p.clipBufferBytes >= 0 &&
         c.width <= 0x7FFFFFFF && c.rows <= 0x7FFFFFFF;
  return p;
}

int64_t ClipRowOffset(const CopyPlan& plan, int64_t line) {
  if (!plan.ok || !plan.lines.Contains(line)) return -1;
  return plan.clip.pixelOffset + (line - plan.lines.first) * plan.clip.stride;
}

void CopyClipRow(const CopyPlan& plan, int64_t line, const uint8_t* row, size_t rowBytes, uint32_t background,
                 uint8_t* out, size_t outBytes) {
  const bool lineInside = row != nullptr && line >= 0 && line < plan.imageHeight;
  const int64_t inside = lineInside ? std::min<int64_t>(plan.imageRowBytes, int64_t(rowBytes)) : 0;
  const int64_t n = std::min<int64_t>(plan.clip.stride, int64_t(outBytes));
  for (int64_t i = 0; i < n; ++i) {
    const int64_t pos = plan.leftByte + i;
    out[i] = pos < inside ? row[pos] : BackgroundByte(background, pos);
  }
}

}  // namespace image
