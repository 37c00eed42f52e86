// Mirror, upside-down flip and quarter turns: each output pixel is taken
// from the source pixel its mapping names. Pixels of 8 bits and more move as
// whole p-byte groups; at 1 and 4 bits each output byte is built from the
// pixels it holds (first pixel in the high bits), so the first pixel of a
// row always starts its first byte, whatever the width. Bits and bytes past
// the width are 0.
#include <algorithm>

#include "image/view/pixel_access.h"
#include "image/view/transforms.h"

namespace img {
namespace {

// Pixel x of the row starting at `at`, at 1 or 4 bits.
template <class Src>
inline uint8_t SubPixel(Src& r, uint64_t at, uint64_t x, int bits) {
  const uint64_t bit = x * uint64_t(bits);
  const uint8_t b = r(at + (bit >> 3));
  return uint8_t((b >> (8 - bits - int(bit & 7))) & ((1 << bits) - 1));
}

// Writes the outW x outH picture whose pixel (X, Y) (Y counted from the top)
// is the source pixel map(X, Y) gives.
template <class Map>
bool Remap(const PixelStep& s, const PictureShape& in, uint64_t outW, uint64_t outH, Map map) {
  const uint64_t outStride = DibStride(outW, uint64_t(in.bits));
  if (!WriteShape(s.info, outW, outH)) return false;
  // Only rows that start inside the destination are worth walking.
  const uint64_t rows = std::min<uint64_t>(outH, s.dstCapacity / outStride + 1);
  const int p = in.pixelBytes;
  RunBounded(s, in.Size(), outStride * outH, [&](auto& r, auto& w) {
    for (uint64_t row = 0; row < rows; ++row) {
      const uint64_t y = outH - 1 - row;  // from the top
      const uint64_t o = row * outStride;
      const uint64_t room = std::min<uint64_t>(outStride, s.dstCapacity - std::min<uint64_t>(o, s.dstCapacity));
      if (in.bits >= 8) {
        const uint64_t xEnd = std::min<uint64_t>(outW, room / uint64_t(p) + 1);
        for (uint64_t X = 0; X < xEnd; ++X) {
          uint64_t sx, sy;
          map(X, y, &sx, &sy);
          const uint64_t at = (uint64_t(in.height) - 1 - sy) * in.stride + sx * uint64_t(p);
          for (int k = 0; k < p; ++k) w(o + X * p + k, r(at + k));
        }
        for (uint64_t i = outW * p; i < room; ++i) w(o + i, 0);
      } else {
        const int perByte = 8 / in.bits;
        for (uint64_t j = 0; j < room; ++j) {
          uint8_t v = 0;
          for (int k = 0; k < perByte; ++k) {
            const uint64_t X = j * perByte + k;
            if (X >= outW) break;
            uint64_t sx, sy;
            map(X, y, &sx, &sy);
            const uint64_t at = (uint64_t(in.height) - 1 - sy) * in.stride;
            v = uint8_t(v | SubPixel(r, at, sx, in.bits) << (8 - in.bits * (k + 1)));
          }
          w(o + j, v);
        }
      }
    }
  });
  return true;
}

}  // namespace

bool MirrorImageRows(const PixelStep& s) {
  PictureShape in;
  if (!ReadShape(s.info, &in)) return false;
  const uint64_t W = uint64_t(in.width);
  // 24 bits, the common case, row by row without the mapping.
  if (in.bits == 24) {
    if (!WriteShape(s.info, W, uint64_t(in.height))) return false;
    const uint64_t rows = std::min<uint64_t>(uint64_t(in.height), s.dstCapacity / in.stride + 1);
    RunBounded(s, in.Size(), in.Size(), [&](auto& r, auto& w) {
      for (uint64_t row = 0; row < rows; ++row) {
        const uint64_t o = row * in.stride;
        for (uint64_t x = 0; x < W; ++x) {
          const uint64_t si = o + (W - 1 - x) * 3, di = o + x * 3;
          w(di, r(si));
          w(di + 1, r(si + 1));
          w(di + 2, r(si + 2));
        }
        for (uint64_t i = W * 3; i < in.stride; ++i) w(o + i, 0);
      }
    });
    return true;
  }
  return Remap(s, in, W, uint64_t(in.height), [W](uint64_t X, uint64_t Y, uint64_t* x, uint64_t* y) {
    *x = W - 1 - X;
    *y = Y;
  });
}

bool FlipImageRows(const PixelStep& s) {
  PictureShape in;
  if (!ReadShape(s.info, &in)) return false;
  const uint64_t H = uint64_t(in.height);
  if (!WriteShape(s.info, uint64_t(in.width), H)) return false;
  const uint64_t used = (uint64_t(in.width) * uint64_t(in.bits) + 7) / 8;
  const uint64_t rows = std::min<uint64_t>(H, s.dstCapacity / in.stride + 1);
  RunBounded(s, in.Size(), in.Size(), [&](auto& r, auto& w) {
    for (uint64_t row = 0; row < rows; ++row) {
      const uint64_t o = row * in.stride, i0 = (H - 1 - row) * in.stride;
      for (uint64_t i = 0; i < used; ++i) w(o + i, r(i0 + i));
      for (uint64_t i = used; i < in.stride; ++i) w(o + i, 0);
    }
  });
  return true;
}

bool RotateImage(const PixelStep& s, int q) {
  PictureShape in;
  if (!ReadShape(s.info, &in)) return false;
  const uint64_t W = uint64_t(in.width), H = uint64_t(in.height);
  if (q == 2)
    return Remap(s, in, W, H, [W, H](uint64_t X, uint64_t Y, uint64_t* x, uint64_t* y) {
      *x = W - 1 - X;
      *y = H - 1 - Y;
    });
  if (q == 1)
    return Remap(s, in, H, W, [H](uint64_t X, uint64_t Y, uint64_t* x, uint64_t* y) {
      *x = Y;
      *y = H - 1 - X;
    });
  if (q == 3) {
    uint64_t outW = H;
    // A left turn at 4 bits drops the last column of an odd width when its
    // row has fewer than 7 spare nibbles (the source's bottom row).
    if (in.bits == 4 && (outW & 1) && 2 * DibStride(outW, 4) - outW < 7) --outW;
    return Remap(s, in, outW, W, [W](uint64_t X, uint64_t Y, uint64_t* x, uint64_t* y) {
      *x = W - 1 - Y;
      *y = X;
    });
  }
  return false;
}

}  // namespace img
