// Character boundaries of Shift-JIS text for the pattern engine.
//
// A double-byte character is a lead byte (fw::IsSjisLeadByte) followed by a
// valid trail byte (0x40-0x7E, 0x80-0xFC). A lead byte followed by anything
// else stands alone, so a broken pair never swallows a line end or a 0x06.
#pragma once

#include "fw/sjis.h"

namespace pat {
namespace detail {

inline bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Byte-class table: bit 0 lead byte, bit 1 trail byte, bit 2 ASCII upper-case letter.
struct ByteClasses {
  unsigned char bits[256];
  ByteClasses() {
    for (int c = 0; c < 256; ++c) {
      unsigned char b = 0;
      if (fw::IsSjisLeadByte(static_cast<unsigned char>(c))) b |= 1;
      if (IsTrailByte(static_cast<unsigned char>(c))) b |= 2;
      if (c >= 'A' && c <= 'Z') b |= 4;
      bits[c] = b;
    }
  }
};
// Filled at start-up (pattern_escape.cpp); only read afterwards.
extern const ByteClasses g_byteClasses;
inline const ByteClasses& Classes() { return g_byteClasses; }

inline bool IsLead(unsigned char c) { return Classes().bits[c] & 1; }
inline bool IsTrail(unsigned char c) { return Classes().bits[c] & 2; }
inline unsigned char FoldAscii(unsigned char c) {
  return (Classes().bits[c] & 4) ? static_cast<unsigned char>(c + 32) : c;
}

// Length (1 or 2) of the character at s[pos]; never reaches `end`.
inline int CharLen(const unsigned char* s, int pos, int end) {
  return (IsLead(s[pos]) && pos + 1 < end && IsTrail(s[pos + 1])) ? 2 : 1;
}

// Whether `pos` starts a character, given that `known` (<= pos) does.
// Counts the lead-valued bytes right before pos: the byte before such a run
// can only be a single character or a trail, so the run starts a character
// and its bytes pair up from there.
inline bool IsBoundary(const unsigned char* s, int known, int pos) {
  if (pos <= known) return true;
  int k = 0;
  int i = pos - 1;
  while (i >= known && IsLead(s[i])) {
    ++k;
    --i;
  }
  return (k % 2) == 0 || !IsTrail(s[pos]);
}

inline bool IsAsciiWordChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

}  // namespace detail
}  // namespace pat
