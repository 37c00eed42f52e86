// Pictures for the display pipeline's tests: a header area with a colour
// table, random rows at any depth, pixel reads by (x, y from the top), and a
// transform run on buffers of exactly the sizes it may use.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/view_types.h"

namespace imgview {

struct TestPic {
  std::vector<uint8_t> info = std::vector<uint8_t>(img::kInfoArea, 0);
  std::vector<uint8_t> px;
  img::DibHeader H() const { return img::ReadDibHeader(info.data()); }
  int W() const { return H().biWidth; }
  int Ht() const { return H().biHeight; }
  int Bits() const { return H().biBitCount; }
  uint64_t Stride() const { return img::DibStride(uint32_t(W()), uint32_t(Bits())); }
  // Pixel (x, y from the top) as an index or as its p bytes, low byte first.
  uint32_t At(int x, int y) const {
    const int bits = Bits();
    const uint64_t row = (uint64_t(Ht()) - 1 - y) * Stride();
    if (bits < 8) {
      const uint64_t bit = uint64_t(x) * bits;
      return (px[row + bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
    }
    uint32_t v = 0;
    for (int k = 0; k < bits / 8; ++k) v |= uint32_t(px[row + uint64_t(x) * (bits / 8) + k]) << (8 * k);
    return v;
  }
  void Set(int x, int y, uint32_t v) {
    const int bits = Bits();
    const uint64_t row = (uint64_t(Ht()) - 1 - y) * Stride();
    if (bits < 8) {
      const uint64_t bit = uint64_t(x) * bits;
      const int sh = int(8 - bits - bit % 8);
      uint8_t& b = px[row + bit / 8];
      b = uint8_t((b & ~(((1 << bits) - 1) << sh)) | (v << sh));
      return;
    }
    for (int k = 0; k < bits / 8; ++k) px[row + uint64_t(x) * (bits / 8) + k] = uint8_t(v >> (8 * k));
  }
};

// A w x h picture at `bits` with random pixels (padding 0) and, up to 8 bits,
// a random colour table of 2^bits entries.
inline TestPic MakePic(int w, int h, int bits, uint32_t seed) {
  TestPic p;
  img::DibHeader hd;
  hd.biWidth = w;
  hd.biHeight = h;
  hd.biBitCount = uint16_t(bits);
  hd.biSizeImage = uint32_t(img::DibStride(uint32_t(w), uint32_t(bits)) * uint32_t(h));
  hd.biClrUsed = bits <= 8 ? 1u << bits : 0;
  img::WriteDibHeader(p.info.data(), hd);
  std::mt19937 rng(seed);
  if (bits <= 8)
    for (uint32_t k = 0; k < (1u << bits); ++k)
      for (int c = 0; c < 3; ++c) p.info[40 + 4 * k + c] = uint8_t(rng());
  p.px.assign(hd.biSizeImage, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.Set(x, y, uint32_t(rng()) & (bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1));
  return p;
}

// Runs `fn(step)` from p into a new picture whose buffer has exactly
// `capacity` bytes (the expected output size when 0), reading exactly p's rows.
template <class Fn>
inline bool RunStep(const TestPic& p, TestPic* out, Fn fn, uint64_t capacity = 0) {
  out->info = p.info;
  std::vector<uint8_t> src(p.px);
  std::vector<uint8_t> dst(capacity ? capacity : 1);
  img::PixelStep s{src.data(), nullptr, out->info.data(), uint32_t(src.size()), 0};
  if (capacity == 0) {
    // First learn the output size on a scratch header, then run for real.
    std::vector<uint8_t> info(p.info);
    std::vector<uint8_t> big(1);
    img::PixelStep probe{src.data(), big.data(), info.data(), uint32_t(src.size()), 1};
    if (!fn(probe)) return false;
    const img::DibHeader h = img::ReadDibHeader(info.data());
    dst.assign(h.biSizeImage ? h.biSizeImage : 1, 0xCD);
  }
  s.dst = dst.data();
  s.dstCapacity = uint32_t(dst.size());
  if (!fn(s)) return false;
  out->px = dst;
  out->px.resize(img::ReadDibHeader(out->info.data()).biSizeImage);
  return true;
}

}  // namespace imgview
