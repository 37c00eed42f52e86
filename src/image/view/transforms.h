// The pixel transforms of the display: each reads the picture the header at
// step.info describes from step.src and writes the transformed picture into
// step.dst, then writes the new width, height and image size into the header.
// Reads at or past step.srcLimit repeat the last value read; writes at or
// past step.dstCapacity are dropped; nothing is allocated. Each answers false
// (header unchanged, nothing to show) for a header it cannot walk: a bit
// count other than 1, 4, 8, 16, 24 and 32, a width or height of 0 or less,
// or a new size that does not fit the header's fields.
#pragma once

#include <cstdint>

#include "image/view/view_types.h"

namespace img {

// Left-right mirror.
bool MirrorImageRows(const PixelStep& step);

// Rows in reverse order.
bool FlipImageRows(const PixelStep& step);

// Clockwise rotation by `quarterTurns` (1, 2 or 3; other values fail).
bool RotateImage(const PixelStep& step, int quarterTurns);

// Enlargement by `multiplier` (2, 4, 8 or 16) with the fine factor `fine`
// (6-9; any other value, and any value at 1 and 4 bits, counts as none),
// by the repeat patterns of enlarge_patterns.
bool EnlargeImage(const PixelStep& step, int multiplier, int fine);

// Reduction by `divisor` (1, 2, 4, 8 or 16) with the fine factor `fine`
// (1-9; other values, and any value at 1 and 4 bits, count as none).
// `ink` is the blue byte of colour 0 (the 1-bit rule); `stretchMode` 3
// samples by the pattern's counts.
bool ReduceImage(const PixelStep& step, int divisor, int fine, int ink, int stretchMode);

// The colour option of a 24-bit picture: 1 swaps and inverts red and blue
// and inverts green; any other positive value shifts the colours by the
// distance of green from 128.
bool ApplyColorOption(const PixelStep& step, int option);

// The region cut: the selection (already in pixels of this picture) made
// into the cut rectangle by the rules of the cut; `*cut` receives the cut
// width and height.
bool CutImageRegion(const PixelStep& step, const ImageRect& selection, int32_t* cutWidth, int32_t* cutHeight);

// Whether `filter` names one of the ten 3x3 kernels (-5..-1, 1..5).
bool HasFilterKernel(int filter);

// The 3x3 filter of a 24-bit picture over the selection (right or bottom
// below 0: the whole width or height); pixels outside it are copied.
bool FilterImage3x3(const PixelStep& step, int filter, const ImageRect& selection);

// One repeat pattern of the enlargement or skip pattern of the reduction:
// up to eight counts used in order, restarted when exhausted.
struct StepPattern {
  uint8_t count[8] = {};
  int length = 0;
  int baseSkip = 0;  // the reduction's s
};

// The enlargement's counts for (multiplier, fine); every count m without a
// fine factor.
StepPattern EnlargePattern(int multiplier, int fine);

// The reduction's counts and base skip for (divisor, fine).
StepPattern ReducePattern(int divisor, int fine);

}  // namespace img
