// The colour engine of the display: picks the colours near a reference
// colour (by channel tolerance or by hue distance), optionally only inside or
// outside the selection, and rewrites them (replacement colour, grey,
// brightness, inversion, tone curve or black-and-white threshold,
// saturation, colour balance). Pictures with a colour table have their table
// rewritten in place; 24-bit pictures are written into the destination.
#pragma once

#include <cstdint>

#include "image/view/view_types.h"

namespace img {

// Word indexes of the display options the engine reads (besides
// word::clrReference, word::clrReplacement and word::nColorOption).
namespace colorword {
constexpr int nSelectTolerance = 11;     // channel or hue tolerance of the selection
constexpr int nNeighbourLow = 14;        // similar-neighbour count, lower bound
constexpr int nNeighbourHigh = 15;       // similar-neighbour count, upper bound
constexpr int nNeighbourTolerance = 16;  // tolerance of the neighbour comparison
constexpr int nToneLevel = 17;           // below 6 a tone curve, 6-15 a threshold
constexpr int nSaturation = 20;          // percent
constexpr int nBalance = 21;             // colour-balance amount
constexpr int nBrightness = 22;          // brightness offset in steps of 8
constexpr int bNeighbourVariant = 33;    // variant of the neighbour modes
constexpr int bApplyAll = 34;            // every colour counts as selected
constexpr int bKeepBrightness = 36;
constexpr int bUseReplacement = 37;
constexpr int bSaturation = 39;
constexpr int bBalance = 40;
constexpr int bHueMode = 41;             // 0: channel tolerance; otherwise hue distance
constexpr int bInvertSelection = 42;
constexpr int bNeighbourInside = 43;     // keep counts within the bounds
constexpr int bNeighbourOutside = 44;    // keep counts outside the bounds
constexpr int bGrey = 45;
constexpr int bInvert = 46;
constexpr int bTone = 48;
}  // namespace colorword

// The twelve words that switch colour effects on (36-41 and 43-48).
constexpr int kColorEngineWords[12] = {36, 37, 38, 39, 40, 41, 43, 44, 45, 46, 47, 48};

// Channel-sum thresholds of the tone levels 6 to 15.
constexpr int32_t kToneThreshold[10] = {691, 614, 576, 538, 499, 461, 422, 384, 307, 230};

// Hue measure of a colour: 0..2048 round the hue circle (red 0, green about
// 640); a grey colour gets minus a quarter of its channel sum (-1 for black).
int32_t ColorHueCode(int32_t red, int32_t green, int32_t blue);

// Distance of hue code `a` from the reference code `c`: 0..256 between two
// hues, the code difference between two greys, 254 between a grey and a hue.
int32_t HueDistance(int32_t a, int32_t c);

// The engine. For 1 to 8 bits: the colour-table entries from the header's
// end up to `infoSize` (never past the 2000-byte area) are rewritten in place
// and the result is 0. For 24 bits: the picture is written into step.dst
// (reads below step.srcLimit, writes below step.dstCapacity) and the result
// is 1. Any other header (bit count, width or height of 0 or below) changes
// nothing and gives 0.
int ApplyColorEffects(const PixelStep& step, const ImageViewOptions& options, const ImageRect& selection,
                      uint32_t infoSize);

}  // namespace img
