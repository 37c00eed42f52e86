// The tag search of the package converters. There is no XML parser: an
// element is recognised by its leading characters at the read position, and
// an attribute by a literal search for its name, "=" and the opening quote
// near the position; the value after the match is read as the mode says.
//
// The text is a part as LoadPartAsSjis left it (or any buffer with its
// readable length): every read at or past `readable` counts as NUL, and a
// negative position reads as NUL too, so no search leaves its buffer.
#pragma once

#include <cstddef>

#include "convert/ooxml_part.h"
#include "fw/cstring.h"

namespace convert {

// Modes of FindInTag (below 10: inside the tag the position stands in;
// 10-19: skip the tag first, then search the text after it; 20 and above:
// as mode - 20, but the search does not stop at the end of the tag).
enum : int {
  kTagInteger = 0,      // the integer after the match ("in" multiplies by 72)
  kTagColumn = 1,       // column letters after the match (A = 1, AA = 27)
  kTagFormatClass = 2,  // the number-format class of the code after the match
  kTagMoveTo = 7,       // the position moves just past the match; 1
  kTagFound = 8,        // 1 when found
  kTagSkip = 9,         // skip the rest of the tag; 0
  kTagAfter = 10,       // + 0..9: skip the tag, then search as that mode
  kTagUnbounded = 20,   // + 0..9: search past the end of the tag
};

// The search window: characters looked at from the position.
constexpr int kTagWindow = 1500;
// The tag skip stops after this many characters.
constexpr int kTagSkipLimit = 500;

// Searches from *pos for `pattern` (two characters or more) and returns the
// value read after it, 0 when not found. *pos changes only with the skip of
// modes 9-19 and with mode 7.
// (The pattern as a C string costs no copy: the walkers call this for every
// element of large parts.)
int FindInTag(const char* pattern, const char* text, std::size_t readable, int* pos, int mode);
inline int FindInTag(const char* pattern, const PartText& text, int* pos, int mode) {
  return FindInTag(pattern, text.Data(), text.Readable(), pos, mode);
}
inline int FindInTag(const CString& pattern, const char* text, std::size_t readable, int* pos, int mode) {
  return FindInTag(pattern.GetString(), text, readable, pos, mode);
}
inline int FindInTag(const CString& pattern, const PartText& text, int* pos, int mode) {
  return FindInTag(pattern.GetString(), text.Data(), text.Readable(), pos, mode);
}

// Reads one token at *pos after skipping one double quote: mode 0 up to 10
// decimal digits, mode 1 up to 4 letters "A"-"Z" as a column number; any
// other mode 0. *pos moves past every character looked at, the one that
// ended the token included.
int ReadCellToken(const char* text, std::size_t readable, int* pos, int mode);
inline int ReadCellToken(const PartText& text, int* pos, int mode) {
  return ReadCellToken(text.Data(), text.Readable(), pos, mode);
}

}  // namespace convert
