// The one row rule and the one checked-size rule of every image loader and
// writer: 64-bit products, compared with the memory settings before anything
// is allocated.
#pragma once

#include <cstdint>

namespace img {

// Bytes per DIB row: ((width x bits + 31) >> 3) with the two low bits
// cleared, in 64 bits (width and bits as the file gives them).
inline uint64_t DibStride(uint64_t width, uint64_t bits) { return ((width * bits + 31) >> 3) & ~uint64_t(3); }

// a x b + extra when it is at most `limit`; false otherwise (the product is
// taken in 64 bits from 32-bit factors, so it cannot wrap).
inline bool SizeWithin(uint64_t a, uint64_t b, uint64_t extra, uint64_t limit, uint64_t* out) {
  if (a > 0xFFFFFFFFu || b > 0xFFFFFFFFu || extra > 0xFFFFFFFFu) return false;
  const uint64_t v = a * b + extra;
  if (v > limit) return false;
  if (out) *out = v;
  return true;
}

// Largest stride or height a picture may have.
constexpr uint32_t kMaxSide = 1000000;

}  // namespace img

namespace img {
class LoadHost;
// Largest work buffer of a loader (input copies, inflated or decoded data
// before it becomes rows): the two memory settings together.
uint64_t WorkLimit(const LoadHost& host);
// Largest pixel block a loader produces: the pixel data kept, plus slack.
uint64_t PixelLimit(const LoadHost& host);
}  // namespace img
