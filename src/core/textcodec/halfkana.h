// Half-width katakana (JIS X 0201, bytes 0xA1-0xDF) to full-width Shift-JIS.
#pragma once

namespace textcodec {

// The full-width Shift-JIS pair (lead * 256 + trail) of the half-width byte
// `b`, looking at the byte after it (`next`): when `next` is the voiced
// (0xDE) or semi-voiced (0xDF) mark and the letter takes it, the marked
// letter is returned with 0x10000 added (the caller consumes `next` too and
// takes the low 16 bits). 0 for a byte outside 0xA1-0xDF.
int ConvertHalfKanaToFull(int b, int next);

}  // namespace textcodec
