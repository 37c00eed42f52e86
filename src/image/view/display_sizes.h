// The sizes of one display run: the divisor or multiplier of the zoom level,
// the output the zoom leads one to expect (E), the part of it the output
// setting allows (A), the input read, and the final size after the
// transforms with the height cut that keeps it within the limits. Products
// are taken in 64 bits: 16 x 16 x a picture of a few megabytes passes 2^32.
#pragma once

#include <cstdint>

namespace img {

struct DisplaySizes {
  int level = 5;         // 1-9; any other zoom level counts as 5 (1:1)
  int divisor = 1;       // d: 2, 4, 8, 16 for levels 4, 3, 2, 1
  int multiplier = 1;    // m: 2, 4, 8, 16 for levels 6, 7, 8, 9
  uint64_t imageSize = 0;
  uint64_t expected = 0;   // E
  uint64_t allowed = 0;    // A: E, at most the output setting
  uint64_t inputRead = 0;  // the image size, at most the input setting
  // The " [OVER! set " advice: shown when the image is larger than the input
  // setting or E larger than the output setting; `adviceForOutput` names the
  // output setting ("pict out"), else the input setting ("pict file");
  // `adviceMegabytes` is the setting that would be needed.
  bool advice = false;
  bool adviceForOutput = false;
  uint64_t adviceMegabytes = 0;
};

// `textBufSize` is the output setting ("membuf"), `textBufSize2` the input
// setting ("membuf2").
DisplaySizes ComputeDisplaySizes(uint64_t imageSize, int zoomLevel, uint64_t textBufSize, uint64_t textBufSize2);

struct FinalSize {
  uint64_t size = 0;    // whole rows kept: height x stride
  int64_t height = 0;   // rows kept
  bool heightCut = false;
};

// The picture the transforms made (`outSize` bytes, `height` rows of
// `stride`) kept within the destination and the output setting: when it is
// larger, the height is cut to the rows that fit.
FinalSize ComputeFinalSize(uint64_t outSize, uint64_t stride, int64_t height, uint64_t dstCapacity,
                           uint64_t textBufSize);

}  // namespace img
