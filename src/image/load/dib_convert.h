// Widening DIB rows to 24 bits: 1-, 4- and 8-bit rows through their colour
// table, 16-bit rows as 5-5-5 (or by their BI_BITFIELDS masks), 32-bit rows
// by dropping the fourth byte (or by their masks). Rows follow the row rule
// (image/load/image_size.h), bottom row first.
#pragma once

#include <cstdint>

#include "image/load/image_record.h"

namespace img {

// Converts the rows of src (bit count of the header at `info`) into 24-bit
// rows in dst. Reads stay below srcLength (and below the header's
// biSizeImage when it is set), writes below dstLength; only whole rows are
// produced. The colour table starts biSize bytes after the header; entries
// beyond infoLength read as black; BI_BITFIELDS masks are the three words at
// byte 40 of the header area.
//
// Result: destination bytes written + 3. The header becomes biSize 40, 24
// bits, biClrUsed 0, resolution 3780, biHeight the rows produced and
// biSizeImage their stride x height (so it describes exactly the rows in dst).
// A 24-bit source is not converted: only biSize, biClrUsed and resolution
// are rewritten, and the result is 3.
uint32_t ConvertDibPixels(const uint8_t* src, uint8_t* dst, uint8_t* info, uint32_t srcLength, uint32_t dstLength,
                          uint32_t infoLength = kInfoArea);

}  // namespace img
