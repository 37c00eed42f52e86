// The display run over a header, option words, a selection and buffer sizes
// taken from the input, on buffers of exactly those sizes (the sanitizer
// sees any byte outside), with a stand-in scaler and colour engine that
// check the steps they are handed. Checks: the answered size fits B and is
// the rows the header describes; a header the walks cannot handle shows
// nothing.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/display_pipeline.h"

namespace {

struct Bytes {
  const uint8_t* p;
  size_t n, at = 0;
  uint32_t U8() { return at < n ? p[at++] : 0; }
  uint32_t U16() { return U8() | U8() << 8; }
  uint32_t U32() { return U16() | U16() << 16; }
};

// The buffers the pipeline was given, to check the steps it hands on.
struct Bounds {
  const uint8_t *a, *b;
  uint32_t aSize, bSize;
  bool Inside(const uint8_t* p, uint64_t n) const {
    return (p >= a && p + n <= a + aSize) || (p >= b && p + n <= b + bSize) || n == 0;
  }
};
Bounds g_bounds;

void CheckStep(const img::PixelStep& s) {
  if (!g_bounds.Inside(s.src, s.srcLimit) || !g_bounds.Inside(s.dst, s.dstCapacity) || s.src == s.dst)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 48) return 0;
  Bytes in{data, size};
  const uint32_t mode = in.U8();
  std::vector<uint8_t> info(img::kInfoArea, 0);
  static const int kBits[] = {1, 4, 8, 16, 24, 32, 1, 24};
  img::DibHeader h;
  // Pictures of up to a few megapixels now and then; small ones keep most
  // runs fast.
  const bool big = mode == 0xFE;
  h.biWidth = int32_t(1 + in.U16() % (big ? 1536 : 48));
  h.biHeight = int32_t(1 + in.U16() % (big ? 1536 : 48));
  h.biBitCount = uint16_t(kBits[in.U8() % 8]);
  if (mode & 1) {  // a raw header: any bit count, width and height
    h.biWidth = int32_t(in.U32());
    h.biHeight = int32_t(in.U32());
    h.biBitCount = uint16_t(in.U8() % 40);
    h.biSizeImage = in.U32();
  }
  h.biClrUsed = in.U8();
  img::WriteDibHeader(info.data(), h);
  for (int k = 0; k < 48; ++k) info[40 + k] = uint8_t(in.U8());  // the first colour-table entries
  img::DisplayRequest q;
  img::ImageViewOptions& o = q.options;
  o[img::word::nZoomLevel] = int32_t(in.U8() % 11);
  o[img::word::nZoomFine] = int32_t(in.U8() % 13) - 1;
  o[img::word::nRotation] = int32_t(in.U8() % 5);
  o[img::word::nColorOption] = int32_t(in.U8() % 6) - 2;
  o[img::word::nStretchMode] = int32_t(in.U8() % 6) - 1;
  const uint32_t flags = in.U16();
  o[img::word::bFlipH] = flags & 1;
  o[img::word::bFlipV] = flags >> 1 & 1;
  o[img::word::nEffectStyle] = flags >> 2 & 3;
  o[img::word::bNeedTransform] = flags >> 4 & 1;
  o[img::word::bTo24] = flags >> 5 & 1;
  o[img::word::bFilterOn] = flags >> 6 & 1;
  o[img::word::bRegionCut] = flags >> 7 & 1;
  o[img::word::nSkipColorEngine] = flags >> 8 & 1;
  o[img::word::m_bRegionSet] = flags >> 9 & 1;
  o[img::word::nFilter] = int32_t(in.U8() % 15) - 7;
  q.selection.left = int16_t(in.U16());
  q.selection.top = int16_t(in.U16());
  q.selection.right = int16_t(in.U16());
  q.selection.bottom = int16_t(in.U16());
  q.loadState = flags >> 10 & 1;
  q.imageReduce = (flags >> 11 & 1) ? 99 : 1;
  q.textBufSize = (flags >> 12 & 1) ? 1 + in.U16() * 4 : 41943040;
  q.textBufSize2 = (flags >> 13 & 1) ? 1 + in.U16() * 4 : 41943040;
  const bool withScaler = flags >> 14 & 1, withEngine = flags >> 15 & 1;

  // Source bytes: the rows the header names (a few less or more at times).
  uint64_t rows = 64;
  bool rowsKnown = false;
  if (h.biWidth > 0 && h.biHeight > 0 && h.biBitCount > 0) {
    rows = img::DibStride(uint32_t(h.biWidth), h.biBitCount) * uint64_t(uint32_t(h.biHeight));
    rowsKnown = true;
  }
  const int32_t delta = int32_t(in.U8() % 9) - 4;
  if (rows > (big ? 10u << 20 : 1u << 20)) {
    rows = 64;
    rowsKnown = false;
  }
  const uint32_t srcBytes = uint32_t(int64_t(rows) + delta > 0 ? int64_t(rows) + delta : 0);
  const uint32_t slackSel = in.U8();
  // The view's slack behind A is rare here: small buffers keep runs fast.
  const uint32_t slack = slackSel < 2 ? 910000 : slackSel % 4 ? slackSel * 37 : 0;
  const uint32_t bSel = in.U16();
  static const uint32_t kTimes[] = {1, 2, 3, 4, 16, 64, 256, 1};
  uint64_t bSize = (bSel & 3) == 0 ? uint64_t(bSel >> 2) + 1 : uint64_t(rows) * kTimes[(bSel >> 2) % 8] + (bSel >> 5);
  const uint64_t most = big ? 16u << 20 : 64u << 10;
  if (bSize > most) bSize = most;
  std::vector<uint8_t> a(srcBytes + slack), b(bSize);
  const size_t rest = in.n - in.at;
  for (uint32_t i = 0; i < srcBytes && rest;) {
    const uint32_t n = uint32_t(std::min<size_t>(rest, srcBytes - i));
    std::memcpy(a.data() + i, in.p + in.at, n);
    i += n;
  }
  q.a = a.data();
  q.aSize = uint32_t(a.size());
  q.srcBytes = srcBytes;
  q.b = b.data();
  q.bSize = uint32_t(b.size());
  q.info = info.data();
  q.infoSize = 40 + 4 * (in.U8() % 257);
  g_bounds = {a.data(), b.data(), q.aSize, q.bSize};

  img::DisplayServices sv;
  if (withScaler)
    sv.scaler = [](const img::PixelStep& s, int32_t w, int32_t ht, int32_t) {
      CheckStep(s);
      if (w <= 0 || ht <= 0 || w > 4096 || ht > 4096) return false;
      img::DibHeader d = img::ReadDibHeader(s.info);
      const uint64_t st = img::DibStride(uint32_t(w), d.biBitCount);
      for (uint64_t i = 0; i < st * uint64_t(ht) && i < s.dstCapacity; ++i) s.dst[i] = i < s.srcLimit ? s.src[i] : 0;
      d.biWidth = w;
      d.biHeight = ht;
      d.biSizeImage = uint32_t(st * uint64_t(ht));
      img::WriteDibHeader(s.info, d);
      return true;
    };
  if (withEngine)
    sv.colorEngine = [](const img::PixelStep& s, const img::ImageViewOptions&, const img::ImageRect&,
                        uint32_t infoSize) {
      CheckStep(s);
      if (infoSize > img::kInfoArea) __builtin_trap();
      const uint32_t n = img::ReadDibHeader(s.info).biSizeImage;
      if (img::ReadDibHeader(s.info).biBitCount != 24) return 0;
      for (uint32_t i = 0; i < n && i < s.dstCapacity; ++i) s.dst[i] = uint8_t(~(i < s.srcLimit ? s.src[i] : 0));
      return 1;
    };

  const img::DisplayResult r = img::TransformImageForDisplay(q, sv);
  const bool walkable = (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8 || h.biBitCount == 16 ||
                         h.biBitCount == 24 || h.biBitCount == 32) &&
                        rowsKnown && srcBytes >= rows;
  if (r.size > q.bSize) __builtin_trap();
  if (r.size > 0) {
    if (!walkable && (mode & 1)) __builtin_trap();
    const img::DibHeader out = img::ReadDibHeader(info.data());
    if (out.biWidth <= 0 || out.biHeight <= 0) __builtin_trap();
    if (img::DibStride(uint32_t(out.biWidth), out.biBitCount) * uint64_t(uint32_t(out.biHeight)) != r.size)
      __builtin_trap();
    if (r.width != out.biWidth || r.height != out.biHeight) __builtin_trap();
  }
  return 0;
}
