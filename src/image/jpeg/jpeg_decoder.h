// Baseline JPEG decoder: one interleaved, Huffman-coded scan of 1, 3 or 4
// components in memory, turned into three 8-bit planes R, G, B (rows top to
// bottom, `width` bytes per row).
//
// Use: ReadHeader(data, size) -> 0 / -1 / -2; Decode() -> 0 / -1 / -2;
// GetInfo(...) hands out the planes, which the caller then owns and frees
// with JFree. -1 means memory, -2 a malformed or unsupported file. A scan
// that ends early without a restart interval is not an error: Decode returns
// 0 and the rest of the planes stays cleared.
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_bitstream.h"
#include "image/jpeg/jpeg_errors.h"
#include "image/jpeg/jpeg_huffman.h"

namespace jpeg {

// Frees the array held in *slot, allocates count ints into it (raising
// JMemoryError with `name` when that fails) and sets each to fill.
void AllocIntArray(int** slot, int count, int fill, JErr name);

class JDecoder {
 public:
  JDecoder();
  ~JDecoder();
  JDecoder(const JDecoder&) = delete;
  JDecoder& operator=(const JDecoder&) = delete;

  int ReadHeader(const uint8_t* data, int64_t size);
  int Decode();
  void GetInfo(uint8_t** r, uint8_t** g, uint8_t** b, int* width, int* height, int* components) const;

  // Largest total of the three planes in bytes; a larger frame makes Decode
  // fail with -1 before anything is allocated. 0 = the built-in ceiling.
  void SetPlaneLimit(int64_t bytes) { mPlaneLimit = bytes; }
  static constexpr int64_t kMaxPlaneBytes = 0x7FFFFFFF;

  // Header fields read so far.
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int Components() const { return mComponents; }
  int Flags() const { return mFlags; }
  int JfifKind() const { return mJfifKind; }
  int PhotoFlag() const { return mPhotoFlag; }
  int RestartInterval() const { return mRestartInterval; }
  const char* Comment() const { return mComment; }
  int DensityUnits() const { return mDensityUnits; }
  int XDensity() const { return mXDensity; }
  int YDensity() const { return mYDensity; }

  // Decode with another scan reader (same interface as JScanBits); the
  // result codes are those of Decode.
  template <class Bits>
  int DecodeWith();

  struct FrameComponent {
    uint8_t id;
    int8_t h, v, tq;
  };
  struct ScanComponent {
    uint8_t cs, td, ta;
  };

 private:
  friend struct JDecoderAccess;

  void ReadMarkers();
  int NextMarker();
  int AnalyzeMarker();
  void AnalyzeDHT(int length);
  void AnalyzeDQT(int length);
  void AnalyzeFrame();
  void AnalyzeScan();
  void AnalyzeApp(int code);
  void AnalyzeJFIF(int n);
  void AnalyzeJFXX(int n);
  int SegmentLength();
  template <class Bits>
  void DoDecode(Bits& bits);
  template <class Bits>
  bool DecodeBlock(Bits& bits, int c, const JHuffTable& dc, const JHuffLookup& dcl, const JHuffTable& ac,
                   const JHuffLookup& acl, bool firstMcu, int* out, int stride);
  // Inverse DCT of mCoef (stored transposed) into 8x8 samples at out
  // (stride ints a row). rows: bit r set when row r of the block may hold a
  // value other than 0.
  void Idct(unsigned rows, int* out, int stride);
  // Idct of a block whose AC coefficients are all 0: one value everywhere.
  void IdctDcOnly(int* out, int stride);
  // Copies mPixel into component c's unit, each sample sx by sy times.
  void Replicate(int c, int h, int v, int sx, int sy);
  void ConvertMcu(int col, int row);
  // True when every component's samples are 1 or 2 times the largest
  // factors (1 or 3 components): then blocks go straight into the units,
  // unreplicated, and ConvertMcuDirect reads them (mShiftX/Y, mUnitStride).
  bool PlanDirectUnits();
  void ConvertMcuDirect(int col, int row);
  void FreePlanes();
  void FreeUnits();

  int mPhotoFlag = 0;
  uint8_t* mRgbPA[3] = {nullptr, nullptr, nullptr};
  int* mUnit[4] = {nullptr, nullptr, nullptr, nullptr};
  int mPred[4] = {0, 0, 0, 0};
  int mCoef[64];  // transposed: column * 8 + row
  int mPixel[64];
  int mFlags = 0;
  int mWidth = 0, mHeight = 0;
  int mComponents = 0;
  int mPrecision = 0;
  char* mComment = nullptr;
  int mJfifKind = 0;
  uint8_t mVersionMajor = 0, mVersionMinor = 0;
  int mDensityUnits = 0;
  int mXDensity = 1, mYDensity = 1;
  int mXThumbnail = 0, mYThumbnail = 0;
  int mJfxxCode = 0;
  uint8_t mScanHeader[5] = {0, 0, 0, 0, 0};  // Ns, Ss, Se, Ah, Al
  FrameComponent mFrame[4];
  ScanComponent mScan[4];
  JHuffTable mHuff[2][4];
  int mQuant[4][64];
  int mState = 0;
  JInBitStream* mStream = nullptr;  // lives in mStreamStore
  int8_t mHmax = 0, mVmax = 0;
  int mRestartInterval = 0;
  int8_t mShiftX[4] = {0, 0, 0, 0}, mShiftY[4] = {0, 0, 0, 0};
  int mUnitStride[4] = {0, 0, 0, 0};

  alignas(JInBitStream) unsigned char mStreamStore[sizeof(JInBitStream)];
  int64_t mPlaneLimit = 0;
  JHuffLookup mLookup[2][4];
};

}  // namespace jpeg

#include "image/jpeg/jpeg_decoder_scan.h"
