// The fixed tone curves: maps of straight segments of one channel value chosen by
// a level (-5 to 4 have their own curve; every other level cuts the dark half
// and stretches the bright half).
#pragma once

#include <cstdint>

namespace img {

// The curve of `level` at `value` (0..255; values outside are clamped to
// that range first). Result 0..255. Read from tables filled once.
int32_t ToneCurveValue(int32_t value, int32_t level);

// The same curve computed from its formula (the tables are filled from it).
int32_t ToneCurveFormula(int32_t value, int32_t level);

}  // namespace img
