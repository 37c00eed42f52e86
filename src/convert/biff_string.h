// Strings of an Excel BIFF8 stream (UTF-16, or its 8-bit form holding
// U+0000-U+00FF, both written in code page 932): the shared-string table's entries, cell
// texts and text-box texts. A string's characters may run on over a
// continuation record; the reader has overwritten each such record's length
// bytes with 0x20 0x20 beforehand, so a boundary inside the string data reads
// as the marker 3C 00 20 20, followed by a new flags byte (8-bit or UTF-16)
// for the rest of the string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace convert {

// A cursor over the stream bytes (the bytes themselves may be rewritten by
// the record loop, so the pointer is not const).
struct BiffCursor {
  std::uint8_t* data = nullptr;
  std::int32_t pos = 0;
  std::int32_t end = 0;      // bytes held; nothing at or after it is read
  bool contState = false;    // the last string met a continuation marker
  std::int32_t language = 0; // nonzero: a lone 0xD7 character stays as it is

  bool Has(std::int32_t n) const { return pos >= 0 && n >= 0 && pos <= end && end - pos >= n; }
  bool MarkerAt(std::int32_t at) const;
};

constexpr std::int32_t kBiffStringMaxCount = 2560;  // a larger count is a damaged position
constexpr std::size_t kBiffStringBytes = 1500;      // text collected per string at most

// One string's result: Shift-JIS text (TAB and VT as blanks, LF as VT, the
// rest blanked from a 0x02 byte on), its display width and kind code (1000 +
// length).
struct BiffString {
  std::string text;
  std::int32_t width = 0;
  std::int32_t kind = 0;
};

// Reads one string (16-bit count, flags byte, optional run count and
// extension size, the characters, the runs and the extension) at the cursor.
// A count above 2,560 backs the cursor up (3 bytes, 9 after a continuation)
// and reads once more. Returns 1; -1 for a count that stays above 2,560; -2
// for data that runs past the end or a read that leaves the cursor not
// beyond where it started (which, read again, would return there forever).
int BiffReadString(BiffCursor& cur, BiffString& out);

// Advances the cursor over n bytes of string data; a continuation marker
// counts as nothing. Stops at the end of the data.
void BiffSkipChars(BiffCursor& cur, std::int64_t n);

// The text rules of cell texts (TAB/VT to blanks, LF to VT, 0x02 blanks the
// rest, a lone 0xD7 becomes 81 7E unless `language`), applied in place.
void BiffCleanText(std::string& text, std::int32_t language);

}  // namespace convert
