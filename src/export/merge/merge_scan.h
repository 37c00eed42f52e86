// The two byte-text tools the merge edits package parts with: a forward
// scanner that finds the first of two patterns (and, in copy mode, streams
// what it passes into an output while replacing the first pattern), and a
// reader of one attribute value or element text up to its end.
//
// Both stay inside the text they are given: nothing is read at or past
// `textLen`, and no pattern is taken as found unless it lies wholly inside.
#pragma once

#include <cstddef>
#include <string>

#include "export/byte_writer.h"

namespace merge {

constexpr std::size_t kMaxReplacementBytes = 256;  // bytes of a replacement that are written
constexpr std::size_t kMaxValueBytes = 255;        // bytes a read value keeps

enum ScanResult : int {
  kScanNone = 0,    // neither pattern before a limit
  kScanFirst = 1,   // the first pattern (replaced in copy mode)
  kScanSecond = 2,  // the second pattern (copied to the output)
};

// Scans `text` from *pos for `first` or `second`, whichever stands first; at
// one place the first pattern wins. Copy mode is on when `replacement` is not
// empty and `out` is given: every byte passed goes to `out`, a found first
// pattern is replaced by (at most 256 bytes of) `replacement`, a found second
// pattern is copied. Outside copy mode nothing is written except the bytes of
// a found second pattern after its first one (when `out` is given).
//
// On a find *pos is just behind the pattern. The scan stops with kScanNone
// when *pos reaches `textLimit` (at most `textLen`) or the output reaches
// `outLimit` bytes (or cannot grow); *pos stays there. An empty first
// pattern is found at once (the replacement is written in copy mode); an
// empty second pattern never matches.
int ScanCopyToPattern(const char* text, std::size_t* pos, std::size_t textLimit, exportcore::ByteWriter* out,
                      std::size_t outLimit, const char* first, const char* replacement, const char* second);

// Reads from text[pos] up to and including the first '"' or '<' and returns
// the position after that terminator (or `textLen` when there is none). The
// bytes before it go to `value`, at most 255 of them: a longer value is cut
// there and the reading still moves past its terminator.
//
// Mode 1 converts three-byte UTF-8 characters to Shift-JIS on the way
// (a byte of 0xE0 or above, not the second byte of a two-byte character,
// followed by two bytes of 0x80 or above); with `noCharConv` their bytes are
// copied. Other modes copy the bytes unchanged. A converted character that is
// '"' or '<' ends the value as the byte itself would.
std::size_t ReadAttrValueSjis(int mode, const char* text, std::size_t textLen, std::size_t pos, std::string* value,
                              bool noCharConv = false);

}  // namespace merge
