// Baseline JPEG encoder: three 8-bit planes R, G, B (rows top to bottom, no
// gaps) into a complete JFIF file in memory: Y, Cb, Cr at 4:2:0, one
// interleaved scan, the standard Huffman tables and one of three fixed
// quantisation table pairs chosen by the quality level (1 coarsest, 2, any
// other value finest). The same planes and parameters always give the same
// bytes.
//
// Use: JEncoder enc(r, g, b); enc.SetParams(&p); enc.SetQuality(level);
// enc.Encode() -> 0 / -1; enc.GetOutput(&data, &size).
#pragma once

#include <cstdint>

#include "image/jpeg/jpeg_bitstream.h"

namespace jpeg {

// The caller's parameter record, field by field.
struct JEncodeParams {
  int reserved0 = 0;
  int width = 0;
  int height = 0;
  int components = 3;        // set to 3 by SetParams
  int precision = 8;         // set to 8 by SetParams
  const char* comment = nullptr;  // COM text, null for none
  int field6 = 1;            // set to 1 by SetParams
  uint8_t version[4] = {1, 2, 0, 0};  // JFIF major, minor (always 1.02)
  int densityUnits = 0;
  int xDensity = 1;
  int yDensity = 1;
  int thumbWidth = 0;        // always 0
  int thumbHeight = 0;       // always 0
  int reserved13 = 0;
};

class JEncoder {
 public:
  JEncoder(const uint8_t* r, const uint8_t* g, const uint8_t* b);
  ~JEncoder();
  JEncoder(const JEncoder&) = delete;
  JEncoder& operator=(const JEncoder&) = delete;

  void SetParams(const JEncodeParams* p);
  void SetQuality(int level) { mQuality = level; }
  int Encode();
  // Start and length of the file written; null and 0 before Encode.
  void GetOutput(const uint8_t** data, int64_t* size) const;

  // The largest file the encoder can write for a picture (header, comment
  // and every block at its longest code, doubled for stuffing).
  static int64_t OutputBound(int width, int height, int commentBytes);

 private:
  friend struct JEncoderAccess;

  void WriteHeader();
  void LoadMCU(int col, int row);
  void EncodeMCU();
  void Fdct(const int* in);
  void Quantize(int cls);
  void EncodeHuffman(int c);
  void WriteEOI();

  int mQuality = 3;
  const uint8_t* mPlane[3];
  int mY[4][64];
  int mCb[64], mCr[64];
  int mWork[64];
  int mLastDc[3] = {0, 0, 0};
  JEncodeParams mParams;
  int mMcuRows = 0, mMcuCols = 0;
  JOutBitStream* mOut = nullptr;  // lives in mOutStore
  alignas(JOutBitStream) unsigned char mOutStore[sizeof(JOutBitStream)];
};

// Test hook: the quantiser's fast form for divisor q agrees with its
// reference form for every magnitude up to maxMagnitude.
bool QuantiserPlanMatchesDivision(int q, int maxMagnitude);

}  // namespace jpeg
