// The scan loop of JDecoder, written once for any scan reader: the library
// uses the table-driven JScanBits; the tests run the same loop over the
// bit-by-bit reader to check that both give the same planes.
#pragma once

#include <cstring>

#include "image/jpeg/jpeg_tables.h"

namespace jpeg {

namespace detail {

inline int Clamp16(int64_t v) {
  return v < -32768 ? -32768 : v > 32767 ? 32767 : static_cast<int>(v);
}

// The sign extension of an s-bit value read from the data: a value whose top
// bit is 0 stands for a negative number. A negative reader result (a marker
// met inside the value: -code, or -99 at the end) is kept as the value.
inline int Extend(int v, int s) {
  if (v >= 0 && (v & (1 << (s - 1))) == 0) v += 1 - (1 << s);
  return v;
}

}  // namespace detail

template <class Bits>
int JDecoder::DecodeWith() {
  if ((mFlags & (1 | 2 | 16)) == 0 || mStream == nullptr) return -2;
  try {
    Bits bits(*mStream);
    DoDecode(bits);
    FreeUnits();
    return 0;
  } catch (const JMemoryError&) {
  } catch (const JIndexError&) {
  } catch (const JBufferError&) {
  } catch (const JDataFormatError&) {
    FreeUnits();
    FreePlanes();
    return -2;
  } catch (const JNotSupported&) {
    FreeUnits();
    FreePlanes();
    return -2;
  }
  FreeUnits();
  FreePlanes();
  return -1;
}

// Decodes one block into mCoef (dequantised, transposed: column * 8 + row)
// and runs the inverse DCT into out (stride ints a row). False when decoding
// of the image ends here.
template <class Bits>
bool JDecoder::DecodeBlock(Bits& bits, int c, const JHuffTable& dc, const JHuffLookup& dcl, const JHuffTable& ac,
                           const JHuffLookup& acl, bool firstMcu, int* out, int stride) {
  const int* q = mQuant[mFrame[c].tq & 3];
  // mCoef is all 0 here: the entries set below are put back to 0 after the
  // IDCT (cheaper than clearing the block each time).
  uint8_t set[64];
  int nset = 0;
  int s = bits.Symbol(dc, dcl);
  if (s < 0) return false;
  if (s > 15) ThrowFormat(mStream->Position(), JErr::DcCategory);
  int diff = 0;
  if (s > 0) {
    diff = detail::Extend(bits.Bits(s), s);
    if (firstMcu && diff == -255) diff = 172;
  }
  mPred[c] = detail::Clamp16(static_cast<int64_t>(mPred[c]) + diff);
  mCoef[0] = detail::Clamp16(static_cast<int64_t>(mPred[c]) * q[0]);
  int acSeen = 0;
  unsigned rows = 1;  // rows of the block that hold a coefficient
  for (int k = 1; k < 64;) {
    int r, val;
    const int32_t f = bits.AcFast(acl);
    if (f != 0) {
      if (f & JHuffLookup::kAcEob) break;
      r = (f >> 8) & 15;
      val = f >> 16;  // arithmetic shift: the value is the high half
    } else {
      const int sym = bits.Symbol(ac, acl);
      if (sym < 0) return false;
      if (sym == 0) break;
      r = sym >> 4;
      const int size = sym & 15;
      val = 0;
      if (size == 0) {
        if (r != 15) ThrowFormat(mStream->Position(), JErr::WrongHuffmanValue);
      } else {
        val = detail::Extend(bits.Bits(size), size);
      }
    }
    if (k + r > 63) return false;
    const int n = kZigzag[k + r];
    const int nt = ((n & 7) << 3) | (n >> 3);
    mCoef[nt] = detail::Clamp16(static_cast<int64_t>(val) * q[n]);
    set[nset++] = static_cast<uint8_t>(nt);
    rows |= 1u << (n >> 3);
    acSeen |= val;
    k += r + 1;
  }
  if (acSeen == 0) {
    IdctDcOnly(out, stride);
  } else {
    Idct(rows, out, stride);
  }
  mCoef[0] = 0;
  for (int i = 0; i < nset; ++i) mCoef[set[i]] = 0;
  return true;
}

template <class Bits>
void JDecoder::DoDecode(Bits& bits) {
  if (mHmax <= 0 || mVmax <= 0 || mComponents <= 0) ThrowFormat(mStream->Position(), JErr::NoFrame);
  if (mWidth <= 0 || mHeight <= 0) ThrowFormat(mStream->Position(), JErr::FrameSize);
  if (mScanHeader[0] != mComponents) ThrowNotSupported(0xDA, mStream->Position());
  const int64_t blocksX = (static_cast<int64_t>(mWidth) + 7) / 8;
  const int64_t blocksY = (static_cast<int64_t>(mHeight) + 7) / 8;
  const int64_t mcusX = (blocksX + mHmax - 1) / mHmax;
  const int64_t mcusY = (blocksY + mVmax - 1) / mVmax;
  const int64_t planeBytes = mHmax * mVmax * mcusX * mcusY * 64;
  const int64_t limit = (mPlaneLimit > 0 && mPlaneLimit < kMaxPlaneBytes) ? mPlaneLimit : kMaxPlaneBytes;
  if (planeBytes > limit / 3) ThrowMemory(planeBytes, JErr::PlaneLimit);

  static const JErr kPlaneErr[3] = {JErr::Plane0, JErr::Plane1, JErr::Plane2};
  for (int i = 0; i < 3; ++i) {
    // Cleared so that an early end never shows old memory.
    mRgbPA[i] = static_cast<uint8_t*>(JAllocZeroed(static_cast<std::size_t>(planeBytes)));
    if (mRgbPA[i] == nullptr) ThrowMemory(planeBytes, kPlaneErr[i]);
  }
  static const JErr kUnitErr[4] = {JErr::Unit1, JErr::Unit2, JErr::Unit3, JErr::Unit4};
  const int unitInts = mHmax * mVmax * 64;
  for (int i = 0; i < 4; ++i) {
    AllocIntArray(&mUnit[i], unitInts, i == 0 ? 0 : 128, kUnitErr[i]);
  }
  for (int i = 0; i < 4; ++i) mPred[i] = 0;
  std::memset(mCoef, 0, sizeof mCoef);

  for (int c = 0; c < mComponents; ++c) {
    mLookup[0][mScan[c].td].Build(mHuff[0][mScan[c].td]);
    mLookup[1][mScan[c].ta].Build(mHuff[1][mScan[c].ta]);
  }

  const bool direct = PlanDirectUnits();
  bits.Start();
  int restartCount = 0;
  for (int64_t row = 0; row < mcusY; ++row) {
    for (int64_t col = 0; col < mcusX; ++col) {
      const bool firstMcu = row == 0 && col == 0;
      for (int c = 0; c < mComponents; ++c) {
        const int H = mFrame[c].h, V = mFrame[c].v;
        const int sx = mHmax / H, sy = mVmax / V;
        const int td = mScan[c].td, ta = mScan[c].ta;
        for (int v = 0; v < V; ++v) {
          for (int h = 0; h < H; ++h) {
            int* out = direct ? mUnit[c] + v * 8 * mUnitStride[c] + h * 8 : mPixel;
            const int stride = direct ? mUnitStride[c] : 8;
            if (!DecodeBlock(bits, c, mHuff[0][td], mLookup[0][td], mHuff[1][ta], mLookup[1][ta], firstMcu, out,
                             stride))
              return;
            if (!direct) Replicate(c, h, v, sx, sy);
          }
        }
      }
      if (direct) {
        ConvertMcuDirect(static_cast<int>(col), static_cast<int>(row));
      } else {
        ConvertMcu(static_cast<int>(col), static_cast<int>(row));
      }
      if (mRestartInterval != 0 && ++restartCount == mRestartInterval) {
        restartCount = 0;
        bits.Stop();
        int m = NextMarker();
        if (m >= 0xD0 && m <= 0xD7) {
          for (int i = 0; i < 4; ++i) mPred[i] = 0;
        }
        bits.Start();
      }
    }
  }
}

}  // namespace jpeg
