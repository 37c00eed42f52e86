// What a paint mode of the compositing does on the scaled working copy: the
// rectangle fill, the pen dot, or the flood fill at the image cursor. The
// window side carries the plan out with a solid brush of the brush colour.
#pragma once

#include <cstdint>

#include "fw/geometry.h"

namespace image {

enum class RegionPaintKind { kNone, kFillRect, kPenSquare, kPenPixels, kFloodBorder, kFloodSurface };

struct RegionPaintInput {
  int mode = 0;        // the compositing mode: 5 and 6 paint at the cursor, 8 fills
  int shapeKind = 0;   // 11: the pen
  int lineStyle = 0;   // the pen's dot size
  int imageTool = 0;   // 11: the flood fill stops at the border colour
  CPoint cursor;       // in the working copy's coordinates
  int64_t width = 0;   // the region's size
  int64_t height = 0;
};

struct RegionPaintPlan {
  RegionPaintKind kind = RegionPaintKind::kNone;
  CRect rect;          // kFillRect, kPenSquare
  CPoint pixels[4];    // kPenPixels
  int pixelCount = 0;
  CPoint at;           // the flood fill's seed
};

RegionPaintPlan PlanRegionPaint(const RegionPaintInput& in);

}  // namespace image
