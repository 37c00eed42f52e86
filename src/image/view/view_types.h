// What the display pipeline works with: the display options record as the
// transforms take it (49 words and the view's region word after them), the
// selection rectangle, and the two services it is handed (the scaler of
// 24-bit pictures and the colour engine).
#pragma once

#include <cstdint>
#include <functional>

namespace img {

constexpr int kViewOptionWords = 49;  // the record; word 0 holds its size, 196
constexpr int kRegionWord = 49;       // the view's region word after it

// Word indexes of the display options, by their field names.
namespace word {
constexpr int nSize = 0;
constexpr int clrReference = 1;
constexpr int clrReplacement = 2;
constexpr int nZoomLevel = 5;
constexpr int nColorOption = 6;
constexpr int nRotation = 7;
constexpr int nZoomFine = 10;
constexpr int nFilter = 18;
constexpr int nStretchMode = 19;
constexpr int bFlipV = 24;
constexpr int bFlipH = 25;
constexpr int nEffectStyle = 28;
constexpr int bNeedTransform = 29;
constexpr int bForceEffects = 31;
constexpr int bTo24 = 32;
constexpr int nSkipColorEngine = 35;
constexpr int bUseReplacement = 37;  // the colour engine starts from the replacement colour
constexpr int bFilterOn = 38;
constexpr int bRegionCut = 47;
constexpr int m_bRegionSet = kRegionWord;
}  // namespace word

// Passed by value: the 49 words of the record and the region word.
struct ImageViewOptions {
  int32_t w[kViewOptionWords + 1] = {196};
  int32_t& operator[](int i) { return w[i]; }
  int32_t operator[](int i) const { return w[i]; }
};

// A selection in picture pixels (left, top inclusive; right, bottom as the
// view keeps them); -1 in every member means none.
struct ImageRect {
  int32_t left = -1, top = -1, right = -1, bottom = -1;
};

// The buffers one step works on: it reads at most `srcLimit` bytes of `src`
// and writes at most `dstCapacity` bytes of `dst`; `info` is the 2000-byte
// header area (BITMAPINFOHEADER and colour table), changed in place.
struct PixelStep {
  const uint8_t* src = nullptr;
  uint8_t* dst = nullptr;
  uint8_t* info = nullptr;
  uint32_t srcLimit = 0;
  uint32_t dstCapacity = 0;
};

// Scales a 24-bit picture to (width, height) with the stretch mode; answers
// false on failure. The header in step.info is updated to the new size.
using ImageScaler = std::function<bool(const PixelStep& step, int32_t width, int32_t height, int32_t stretchMode)>;

// The colour engine: returns 1 when it wrote the 24-bit picture into dst,
// 0 when it changed the colour table in place (or changed nothing).
// `infoSize` is the load record's used header bytes (at most 2000).
using ColorEngine = std::function<int(const PixelStep& step, const ImageViewOptions& options,
                                      const ImageRect& selection, uint32_t infoSize)>;

}  // namespace img
