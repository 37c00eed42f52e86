// The Shift-JIS check 64 bytes at a time.
//
// A decode of Shift-JIS keeps every byte except a lead byte whose next byte
// cannot be a trail byte (or that ends the text): that lead is replaced. Which
// bytes are leads depends on everything before them, but only through runs of
// lead-range bytes: a byte outside the lead range always ends a character, and
// in a run of lead-range bytes (every one of which is also a trail byte) the
// bytes at an even distance from the run's start are leads, the others their
// trail bytes. So the leads of 64 bytes follow from two masks (lead range,
// trail range) and one carried bit, with a carrying add instead of a loop.
//
// The byte loop beside it gives the same answers (tests compare the two); it
// runs where SSE2 is missing and when the fast path is switched off.
#pragma once

#include <cstddef>
#include <cstdint>

namespace textcodec {

// Off: the scans below run their byte loops and detection reads every byte
// even where the rest cannot change its answer (tests and benchmarks compare).
void SetFastTextScans(bool on);
bool FastTextScansOn();

// The bytes of a 64-byte block taken as second bytes of a pair, given the
// block's lead-range mask (bit i for byte i) and *carry (1 when byte 0 is the
// second byte of a lead that ended the block before); *carry becomes the
// same for the next block.
inline std::uint64_t SjisSecondBytes(std::uint64_t leads, std::uint64_t* carry) {
  const std::uint64_t even = 0x5555555555555555ull;
  leads &= ~*carry;
  const std::uint64_t follows = leads << 1 | *carry;
  const std::uint64_t oddStarts = leads & ~even & ~follows;
  const std::uint64_t sum = oddStarts + leads;
  *carry = sum < oddStarts ? 1u : 0u;
  const std::uint64_t evenStarted = sum << 1;
  return (even ^ evenStarted) & follows;
}

// Position of the first lead byte in p[0..n) that has no trail byte after it
// (the next byte is outside the trail range, or there is none), reading from
// a character start; n when every lead has its trail byte.
std::size_t FindBrokenSjisLead(const std::uint8_t* p, std::size_t n);
std::size_t FindBrokenSjisLeadBytewise(const std::uint8_t* p, std::size_t n);

}  // namespace textcodec
