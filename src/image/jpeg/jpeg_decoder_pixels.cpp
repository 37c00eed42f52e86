// The decoder's pixel stages: inverse DCT, upsampling and colour conversion.
// Their fixed-point arithmetic (shifts that round down) decides the output
// pixels, so every faster path computes exactly what the plain formulas do:
// the vector kernels (jpeg_kernels.h) lane by lane, the colour tables of the
// general path from the formulas' own values.
#include <cstring>

#include "image/jpeg/jpeg_colour.h"
#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/jpeg_kernels.h"

namespace jpeg {

void JDecoder::Idct(unsigned rows, int* out, int stride) {
  IdctBlock(mCoef, rows, out, stride, mPrecision == 8 ? 128 : 2048);
}

void JDecoder::IdctDcOnly(int* out, int stride) {
  // Row 0 of the first pass is (362 * dc) >> 9 throughout, the other rows 0;
  // each column pass then gives (362 * that) >> 9 throughout.
  const int e = (362 * mCoef[0]) >> 9;
  const int v = (((362 * e) >> 9) >> 2) + (mPrecision == 8 ? 128 : 2048);
  for (int y = 0; y < 8; ++y) {
    int* o = out + y * stride;
    for (int x = 0; x < 8; ++x) o[x] = v;
  }
}

void JDecoder::Replicate(int c, int h, int v, int sx, int sy) {
  const int stride = mHmax * 8;
  int* unit = mUnit[c] + (v * 8 * sy) * stride + h * 8 * sx;
  if (sx == 1 && sy == 1) {
    for (int y = 0; y < 8; ++y) std::memcpy(unit + y * stride, mPixel + y * 8, 8 * sizeof(int));
    return;
  }
  if (sx == 2 && sy == 2) {
    for (int y = 0; y < 8; ++y) {
      int* d0 = unit + (2 * y) * stride;
      int* d1 = d0 + stride;
      const int* s = mPixel + y * 8;
      for (int x = 0; x < 8; ++x) d0[2 * x] = d0[2 * x + 1] = d1[2 * x] = d1[2 * x + 1] = s[x];
    }
    return;
  }
  for (int y = 0; y < 8 * sy; ++y) {
    int* d = unit + y * stride;
    const int* s = mPixel + (y / sy) * 8;
    for (int x = 0; x < 8 * sx; ++x) d[x] = s[x / sx];
  }
}

bool JDecoder::PlanDirectUnits() {
  if (mComponents != 1 && mComponents != 3) return false;
  for (int c = 0; c < mComponents; ++c) {
    const int H = mFrame[c].h, V = mFrame[c].v;
    if (H <= 0 || V <= 0 || mHmax % H != 0 || mVmax % V != 0) return false;
    const int sx = mHmax / H, sy = mVmax / V;
    if (sx > 2 || sy > 2) return false;
    mShiftX[c] = static_cast<int8_t>(sx - 1);
    mShiftY[c] = static_cast<int8_t>(sy - 1);
    mUnitStride[c] = H * 8;
  }
  return true;
}

void JDecoder::ConvertMcu(int col, int row) {
  const int uw = mHmax * 8, uh = mVmax * 8;
  const int64_t x0 = static_cast<int64_t>(col) * uw;
  const int64_t y0 = static_cast<int64_t>(row) * uh;
  int xn = static_cast<int>(mWidth - x0 < uw ? mWidth - x0 : uw);
  if (xn <= 0) return;
  const bool chromaPairs = mComponents == 3 && mHmax == 2 * mFrame[1].h && mHmax == 2 * mFrame[2].h;
  for (int y = 0; y < uh; ++y) {
    const int64_t at = (y0 + y) * mWidth + x0;
    uint8_t* r = mRgbPA[0] + at;
    uint8_t* g = mRgbPA[1] + at;
    uint8_t* b = mRgbPA[2] + at;
    const int* py = mUnit[0] + y * uw;
    if (mComponents == 1) {
      for (int x = 0; x < xn; ++x) r[x] = g[x] = b[x] = ClampByte(py[x]);
      continue;
    }
    const int* pcb = mUnit[1] + y * uw;
    const int* pcr = mUnit[2] + y * uw;
    // Photo-flagged four-component files take luminance from the fourth
    // component plus 128.
    const int* pl = (mComponents == 4 && mPhotoFlag == 1) ? mUnit[3] + y * uw : py;
    const int add = pl == py ? 0 : 128;
    const ColourTables& t = Tables();
    int x = 0;
    if (chromaPairs) {
      // Chroma replicated two wide: one set of chroma terms for two pixels.
      for (; x + 1 < xn; x += 2)
        if (!TablePixelPair(t, py[x], py[x + 1], pcb[x], pcr[x], r + x, g + x, b + x)) break;
    }
    for (; x < xn; ++x) TablePixel(t, pl[x] + add, pcb[x], pcr[x], r + x, g + x, b + x);
  }
}

// Units hold each component's blocks side by side without replication
// (PlanDirectUnits): a pixel's sample of component c lies at
// (x >> mShiftX[c], y >> mShiftY[c]) of the component's unit, which is where
// replication would have copied it from.
void JDecoder::ConvertMcuDirect(int col, int row) {
  const int uw = mHmax * 8, uh = mVmax * 8;
  const int64_t x0 = static_cast<int64_t>(col) * uw;
  const int64_t y0 = static_cast<int64_t>(row) * uh;
  const int xn = static_cast<int>(mWidth - x0 < uw ? mWidth - x0 : uw);
  if (xn <= 0) return;
  const int sx0 = mShiftX[0], sx1 = mShiftX[1], sx2 = mShiftX[2];
  // The usual layouts: full luminance, both chroma components alike.
  const bool usual = mComponents == 3 && sx0 == 0 && sx1 == sx2;
  for (int y = 0; y < uh; ++y) {
    const int64_t at = (y0 + y) * mWidth + x0;
    uint8_t* r = mRgbPA[0] + at;
    uint8_t* g = mRgbPA[1] + at;
    uint8_t* b = mRgbPA[2] + at;
    const int* py = mUnit[0] + (y >> mShiftY[0]) * mUnitStride[0];
    if (mComponents == 1) {
      ConvertRowGrey(py, r, g, b, xn);
      continue;
    }
    const int* pcb = mUnit[1] + (y >> mShiftY[1]) * mUnitStride[1];
    const int* pcr = mUnit[2] + (y >> mShiftY[2]) * mUnitStride[2];
    if (usual) {
      ConvertRowYcc(py, pcb, pcr, sx1, r, g, b, xn);
      continue;
    }
    for (int x = 0; x < xn; ++x) ConvertByFormula(py[x >> sx0], pcb[x >> sx1], pcr[x >> sx2], r + x, g + x, b + x);
  }
}

}  // namespace jpeg
