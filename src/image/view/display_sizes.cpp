#include "image/view/display_sizes.h"

#include <algorithm>

namespace img {

DisplaySizes ComputeDisplaySizes(uint64_t imageSize, int zoomLevel, uint64_t textBufSize, uint64_t textBufSize2) {
  DisplaySizes s;
  s.level = zoomLevel >= 1 && zoomLevel <= 9 ? zoomLevel : 5;
  if (s.level < 5) s.divisor = 1 << (5 - s.level);
  if (s.level > 5) s.multiplier = 1 << (s.level - 5);
  s.imageSize = imageSize;
  if (s.level > 5)
    s.expected = uint64_t(s.multiplier) * uint64_t(s.multiplier) * imageSize;
  else if (s.level < 5 && imageSize >= 5000000)
    s.expected = imageSize / uint64_t(s.divisor) / uint64_t(s.divisor);
  else
    s.expected = imageSize;
  s.allowed = std::min(s.expected, textBufSize);
  s.inputRead = std::min(imageSize, textBufSize2);
  s.adviceForOutput = s.expected > textBufSize;
  s.advice = imageSize > textBufSize2 || s.adviceForOutput;
  if (s.advice) s.adviceMegabytes = (s.adviceForOutput ? s.expected : imageSize) / 1048576 + 1;
  return s;
}

FinalSize ComputeFinalSize(uint64_t outSize, uint64_t stride, int64_t height, uint64_t dstCapacity,
                           uint64_t textBufSize) {
  FinalSize f;
  f.height = height;
  const uint64_t keep = std::min({outSize, dstCapacity, textBufSize});
  if (outSize > keep && stride > 0) {
    f.height = std::min<int64_t>(height, int64_t(keep / stride));
    f.heightCut = true;
  }
  f.size = uint64_t(f.height > 0 ? f.height : 0) * stride;
  return f;
}

}  // namespace img
