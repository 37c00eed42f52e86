// Copying a region into the clip: the plan of one copy (which scan lines,
// which bytes of each, the clip's header layout and sizes) and the fill of
// one clip row from one picture row. The window side reads each scan line
// with GetDIBits (lines below 0 are not read) and hands it over; bytes that
// lie outside the picture take the background colour.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/geometry.h"
#include "image/edit/region_clip.h"
#include "image/edit/region_geometry.h"

namespace image {

struct CopyPlanInput {
  CRect rect;                // the rectangle from PickCopyRect (normalised)
  int imageWidth = 0;        // the displayed picture
  int imageHeight = 0;
  int bits = 24;             // its bit count; 24 for a copy from the screen
  int64_t infoSize = kClipInfoHeaderBytes;  // its info header size (40 from the screen)
  uint32_t coloursUsed = 0;  // its colours-used field (0 from the screen)
};

struct CopyPlan {
  bool ok = false;           // false: a size past the limits (the memory message)
  LineRange lines;           // scan lines height - bottom .. height - top
  int64_t leftByte = 0;      // first byte of the span in a picture row (>= 0)
  int64_t rightByte = 0;     // end of the span (>= leftByte)
  int64_t span = 0;          // rightByte - leftByte
  int64_t imageHeight = 0;   // rows of the picture
  int64_t imageRowBytes = 0; // bytes of a picture row that hold pixels
  int64_t rowBufferBytes = 0;  // the row buffer: picture stride + spare bytes
  int64_t clipBufferBytes = 0; // the clip: file bytes + spare bytes
  ClipLayout clip;           // stride = span rounded up to 4; pixel bytes = stride x rows
};

// Plans one copy; every size is checked (64-bit, at most kRegionMaxBytes).
CopyPlan PlanRegionCopy(const CopyPlanInput& in);

// Where the clip row of scan line `line` starts in the clip (rows bottom-up,
// the first scan line first); -1 when the line is not one of the plan's.
int64_t ClipRowOffset(const CopyPlan& plan, int64_t line);

// Fills one clip row (plan.clip.stride bytes, at most outBytes) for scan line
// `line`: position p runs from leftByte over one stride; a byte with p below
// the picture row's pixel bytes, on a line inside the picture (0 .. height -
// 1), is copied from `row` (rowBytes long, nullptr when the line was not
// read); every other byte is the background colour by p mod 3. Never reads
// past rowBytes.
void CopyClipRow(const CopyPlan& plan, int64_t line, const uint8_t* row, size_t rowBytes, uint32_t background,
                 uint8_t* out, size_t outBytes);

}  // namespace image
