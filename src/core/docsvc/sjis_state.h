// The shared Shift-JIS lead-byte tracker and the ASCII-only lower-casing of
// Shift-JIS text.
//
// Two lead-byte sets are in use. The standard one (0x81-0x9F, 0xE0-0xEF,
// 0xFA-0xFC) is the shared helper's. The CSV and table engine and a few
// routines written against it (MakeLowerSjis among them) also take 0x80 as a
// lead byte. 0x80 is no CP932 lead byte, so the two differ only on invalid
// text; both are kept because callers' edge cases are written per set.
#pragma once

#include "fw/cstring.h"

namespace docsvc {

bool IsSjisLeadByteStd(unsigned char b);   // 0x81-0x9F, 0xE0-0xEF, 0xFA-0xFC
bool IsSjisLeadByte80(unsigned char b);    // 0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC

}  // namespace docsvc

// The tracker: with *state 0 a lead byte sets it to 1 (any other byte leaves
// 0); with *state 1 it goes back to 0 whatever the byte. A byte seen while
// the state was 1 is the second byte of a double-byte character. Any state
// other than 0 counts as 1.
void IsSjisLeadByteState(unsigned char b, int* state);
inline void IsSjisLeadByteState(unsigned char b, int& state) { IsSjisLeadByteState(b, &state); }
// The same over the set with 0x80.
void IsSjisLeadByteState80(unsigned char b, int* state);
inline void IsSjisLeadByteState80(unsigned char b, int& state) { IsSjisLeadByteState80(b, &state); }
// Form that returns the new state (standard set).
inline int SjisLeadState(int state, unsigned char b) {
  IsSjisLeadByteState(b, &state);
  return state;
}

// Copy of `text` with ASCII 'A'-'Z' lowered. Left as they are: the second
// byte of a double-byte character (lead bytes of the set with 0x80) and the
// byte that follows a "~" standing right after the byte 0x01.
CString MakeLowerSjis(const CString& text);
