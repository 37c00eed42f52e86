// The colour option of 24-bit pictures, the region cut and the 3x3 filter.
#include <algorithm>

#include "image/view/pixel_access.h"
#include "image/view/transforms.h"

namespace img {
namespace {

inline uint8_t Clamp255(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

template <class Src>
inline uint8_t SubPixel(Src& r, uint64_t at, uint64_t x, int bits) {
  const uint64_t bit = x * uint64_t(bits);
  const uint8_t b = r(at + (bit >> 3));
  return uint8_t((b >> (8 - bits - int(bit & 7))) & ((1 << bits) - 1));
}

// Weights of the kernels: above, centre row, below (screen order).
struct Kernel {
  int filter;
  int w[9];
};
constexpr Kernel kKernels[] = {
    {-1, {0, 1, 0, 1, 12, 1, 0, 1, 0}},      {-2, {0, 2, 0, 2, 8, 2, 0, 2, 0}},
    {-3, {1, 1, 1, 1, 8, 1, 1, 1, 1}},       {-4, {1, 2, 1, 2, 4, 2, 1, 2, 1}},
    {-5, {1, 2, 1, 2, 2, 2, 2, 2, 2}},       {1, {0, -1, 0, -1, 20, -1, 0, -1, 0}},
    {2, {0, -2, 0, -2, 24, -2, 0, -2, 0}},   {3, {0, -4, 0, -4, 32, -4, 0, -4, 0}},
    {4, {0, -8, 0, -8, 48, -8, 0, -8, 0}},   {5, {0, -16, 0, -16, 80, -16, 0, -16, 0}},
};

const Kernel* FindKernel(int filter) {
  for (const Kernel& k : kKernels)
    if (k.filter == filter) return &k;
  return nullptr;
}

}  // namespace

bool ApplyColorOption(const PixelStep& s, int option) {
  PictureShape in;
  if (!ReadShape(s.info, &in) || in.bits != 24 || option <= 0) return false;
  const uint64_t W = uint64_t(in.width);
  const uint64_t rows = std::min<uint64_t>(uint64_t(in.height), s.dstCapacity / in.stride + 1);
  RunBounded(s, in.Size(), in.Size(), [&](auto& r, auto& w) {
    for (uint64_t row = 0; row < rows; ++row) {
      const uint64_t o = row * in.stride;
      for (uint64_t x = 0; x < W; ++x) {
        const uint64_t i = o + 3 * x;
        const int b = r(i), g = r(i + 1), red = r(i + 2);
        if (option == 1) {
          w(i, uint8_t(255 - red));
          w(i + 1, uint8_t(255 - g));
          w(i + 2, uint8_t(255 - b));
        } else {
          const int k = 128 - g;
          w(i, Clamp255(red + k));
          w(i + 1, Clamp255(b + k));
          w(i + 2, Clamp255(red - k));
        }
      }
      for (uint64_t i = 3 * W; i < in.stride; ++i) w(o + i, r(o + i));
    }
  });
  return true;
}

bool CutImageRegion(const PixelStep& s, const ImageRect& sel, int32_t* cutWidth, int32_t* cutHeight) {
  PictureShape in;
  if (!ReadShape(s.info, &in)) return false;
  int64_t v[4] = {sel.left, sel.top, sel.right, sel.bottom};
  for (int64_t& c : v)
    if (c < 0 && c > -268435456) c = 0;
  int64_t l = std::min(v[0], v[2]), r = std::max(v[0], v[2]);
  int64_t t = std::min(v[1], v[3]), b = std::max(v[1], v[3]);
  if (l > 0) --l;
  if (t > 0) --t;
  uint64_t cw = uint64_t(r - l);
  uint64_t ch = uint64_t(b - t);
  if (ch < 2) ch = 5;
  if ((cw * uint64_t(in.bits) + 7) / 8 < 2) cw = (64 + uint64_t(in.bits) - 1) / uint64_t(in.bits);
  // The first pixel taken: the lowered left at 8 bits, the one after it at
  // the other depths.
  const int64_t first = in.bits == 8 ? l : l + 1;
  if (!WriteShape(s.info, cw, ch)) return false;
  const uint64_t outStride = DibStride(cw, uint64_t(in.bits));
  const uint64_t rowBytes = (cw * uint64_t(in.bits) + 7) / 8;
  const uint64_t rows = std::min<uint64_t>(ch, s.dstCapacity / outStride + 1);
  const int64_t W = in.width, H = in.height;
  const int p = in.pixelBytes;
  CheckedSrc rd{s.src, s.srcLimit};
  CheckedDst wr{s.dst, s.dstCapacity};
  for (uint64_t row = 0; row < rows; ++row) {
    const uint64_t o = row * outStride;
    const uint64_t end = std::min<uint64_t>(outStride, s.dstCapacity - std::min<uint64_t>(o, s.dstCapacity));
    const int64_t ty = t + int64_t(ch - 1 - row);  // picture row from the top
    if (ty < 0 || ty >= H) {
      for (uint64_t k = 0; k < end; ++k) wr(o + k, 0xFF);
      continue;
    }
    const uint64_t at = uint64_t(H - 1 - ty) * in.stride;
    if (in.bits >= 8) {
      for (uint64_t k = 0; k < end; ++k) {
        const int64_t px = first + int64_t(k / uint64_t(p));
        wr(o + k, k < rowBytes && px >= 0 && px < W ? rd(at + uint64_t(px) * p + k % uint64_t(p)) : 0xFF);
      }
    } else {
      const int perByte = 8 / in.bits, mask = (1 << in.bits) - 1;
      for (uint64_t k = 0; k < end; ++k) {
        if (k >= rowBytes) {
          wr(o + k, 0xFF);
          continue;
        }
        uint8_t out = 0;
        for (int j = 0; j < perByte; ++j) {
          const int64_t px = first + int64_t(k) * perByte + j;
          const int pix = px >= 0 && px < W ? SubPixel(rd, at, uint64_t(px), in.bits) : mask;
          out = uint8_t(out | pix << (8 - in.bits * (j + 1)));
        }
        wr(o + k, out);
      }
    }
  }
  *cutWidth = int32_t(cw);
  *cutHeight = int32_t(ch);
  return true;
}

bool HasFilterKernel(int filter) { return FindKernel(filter) != nullptr; }

bool FilterImage3x3(const PixelStep& s, int filter, const ImageRect& sel) {
  PictureShape in;
  const Kernel* kern = FindKernel(filter);
  if (!kern || !ReadShape(s.info, &in) || in.bits != 24) return false;
  const int64_t W = in.width, H = in.height;
  // Columns left..right, rows height - bottom - 1 .. height - top from the
  // bottom row; right or bottom below 0: the whole width or height.
  int64_t x0 = 0, x1 = W - 1, y0 = 0, y1 = H - 1;
  if (sel.right >= 0) {
    x0 = std::max<int64_t>(0, sel.left);
    x1 = std::min<int64_t>(W - 1, sel.right);
  }
  if (sel.bottom >= 0) {
    y0 = std::max<int64_t>(0, H - int64_t(sel.bottom) - 1);
    y1 = std::min<int64_t>(H - 1, H - int64_t(sel.top));
  }
  const uint64_t st = in.stride;
  const uint64_t rows = std::min<uint64_t>(uint64_t(H), s.dstCapacity / st + 1);
  const int* k = kern->w;
  RunBounded(s, in.Size(), in.Size(), [&](auto& r, auto& w) {
    for (uint64_t yy = 0; yy < rows; ++yy) {
      const int64_t y = int64_t(yy);
      const uint64_t o = yy * st;
      const uint64_t end = std::min<uint64_t>(st, s.dstCapacity - std::min<uint64_t>(o, s.dstCapacity));
      if (y < y0 || y > y1) {
        for (uint64_t i = 0; i < end; ++i) w(o + i, r(o + i));
        continue;
      }
      // Screen "above" is the next row of the buffer.
      const bool hasUp = y + 1 < H, hasDown = y > 0;
      const uint64_t up = o + st, down = o - (hasDown ? st : 0);
      for (uint64_t i = 0; i < end; ++i) {
        const int64_t x = int64_t(i / 3);
        if (x >= W || x < x0 || x > x1) {
          w(o + i, r(o + i));
          continue;
        }
        const int c = r(o + i);
        const bool hasL = x > 0, hasR = x + 1 < W;
        auto at = [&](bool ok, uint64_t idx) { return ok ? int(r(idx)) : c; };
        int sum = k[4] * c;
        if (k[1]) sum += k[1] * at(hasUp, up + i);
        if (k[7]) sum += k[7] * at(hasDown, down + i);
        if (k[3]) sum += k[3] * at(hasL, o + i - 3);
        if (k[5]) sum += k[5] * at(hasR, o + i + 3);
        if (k[0]) sum += k[0] * at(hasUp && hasL, up + i - 3);
        if (k[2]) sum += k[2] * at(hasUp && hasR, up + i + 3);
        if (k[6]) sum += k[6] * at(hasDown && hasL, down + i - 3);
        if (k[8]) sum += k[8] * at(hasDown && hasR, down + i + 3);
        sum = sum < 0 ? 0 : sum > 4080 ? 4080 : sum;
        w(o + i, uint8_t(sum / 16));
      }
    }
  });
  return true;
}

}  // namespace img
