// Putting saved region bytes back into the picture: the undo buffer holds,
// for every scan line of the region that exists in the picture, one span of
// bytes in scan-line order. The window side reads each line of the region
// with GetDIBits, has RestoreLine overwrite the span, and writes it back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/geometry.h"
#include "image/edit/region_geometry.h"

namespace image {

// Both ends of a span are clamped to at most this byte position, so a
// region wider than 5,000 pixels at 24 bits loses its right part.
constexpr int64_t kRegionSpanClamp = 15000;

// What a read outside the undo data gives, and what a position left of the
// row's start saves.
constexpr uint8_t kUndoOutsideByte = 0x1F;
constexpr uint8_t kUndoLeftOfRowByte = 0x7F;

struct RestorePlan {
  bool ok = false;     // false: a bit count below 8 (nothing is restored)
  LineRange lines;     // scan lines of the rectangle
  int64_t imageHeight = 0;
  int64_t left = 0;    // byte offsets, each clamped to at most 15000 (may be negative)
  int64_t right = 0;
  int64_t span = 0;    // right - left rounded up to a multiple of 4: undo bytes per line
};

// `rect` from PickRestoreRect; `bits` the displayed bit count (8 or more).
RestorePlan PlanRegionRestore(const CRect& rect, int imageHeight, int bits);

// The first undo byte of scan line `line` (lines of the rectangle inside the
// picture take span bytes each, the lowest first); -1 for other lines.
int64_t RestoreUndoOffset(const RestorePlan& plan, int64_t line);

// Overwrites the span of scan line `line` (its bytes in `row`, rowBytes
// long) with the next undo bytes: a read position outside 0 .. undoBytes - 1
// gives 0x1F; a position left of 0 or at or past rowBytes is consumed but
// not written. Lines outside the rectangle or the picture are left alone.
void RestoreLine(const RestorePlan& plan, int64_t line, uint8_t* row, size_t rowBytes, const uint8_t* undo,
                 size_t undoBytes);

}  // namespace image
