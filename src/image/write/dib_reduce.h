// Narrowing 24-bit DIB rows to 8, 4 or 1 bits with fixed colour tables.
#pragma once

#include <cstdint>

namespace img {

// Index of a pixel (B, G, R) in the fixed tables.
uint8_t Reduce8(uint8_t b, uint8_t g, uint8_t r);
uint8_t Reduce4(uint8_t b, uint8_t g, uint8_t r);
uint8_t Reduce1(uint8_t b, uint8_t g, uint8_t r);

// Writes the fixed colour table of `bits` (2, 16 or 256 entries) at table.
void WriteReducedTable(uint8_t* table, uint32_t bits);

// Reduces the 24-bit rows of src into rows of `bits` (8, 4 or 1) in dst,
// whole rows only, reading below srcLength and writing below dstLength.
// `info` holds the header and room for 256 entries after it: the header
// becomes biSize 40, biBitCount bits, biClrUsed 0, resolution 3780, biHeight
// the rows produced, biSizeImage stride x height, and the table follows it.
// Result: destination bytes written (0 for another bit count or source).
int32_t ReduceDib24(const uint8_t* src, uint8_t* dst, uint8_t* info, uint32_t bits, int32_t srcLength,
                    int32_t dstLength);

}  // namespace img
