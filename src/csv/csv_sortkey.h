// The keys of the row sort (csv_linesort.h), built once per row so that the
// sort itself compares bytes and never reads a number.
//
// A text key is the key field after one leading double quote, up to
// kSortTextKeyMax bytes, ended by 0x06, CR, LF or NUL; keys compare as if a
// 0x06 followed them (so "ab" < "ab!" and a control byte below 0x06 sorts
// below the end of the key). A numeric key is 12 bytes, most significant
// first: the integer part of the cell number plus 2^63 (8 bytes), then its
// first 8 decimals, signed, plus 2^31 (4 bytes); an empty field gives 12 zero
// bytes and sorts first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace csv {

constexpr int kSortTextKeyMax = 122;

// The field `column0` (0-based) of the row [row, rowEnd): its first byte and
// the byte that ends it (0x06 or rowEnd). A row with fewer fields gives an
// empty field at rowEnd.
struct FieldSpan {
  const std::uint8_t* begin;
  const std::uint8_t* end;
};
FieldSpan FindField(const std::uint8_t* row, const std::uint8_t* rowEnd, int column0);

// Where the key starts after a leading bracket group: an ASCII '(' or a
// full-width "（" (after one double quote, when the field starts with one),
// up to the first ')' or "）" when the group is at most 20 bytes long, and
// the ASCII and full-width blanks after it. Characters are read with the
// table's lead-byte test (0x80-0x9F, 0xE0-0xEF, 0xFA-0xFC), so a second byte
// is never taken for a bracket. Without such a group: `begin`.
const std::uint8_t* SkipBracketGroup(const std::uint8_t* begin, const std::uint8_t* end);

// The text key of a field: its first byte (after one leading double quote)
// and its length, at most kSortTextKeyMax, cut at 0x06, CR, LF or NUL.
struct TextKey {
  const std::uint8_t* bytes;
  std::uint32_t length;
};
TextKey MakeTextKey(const std::uint8_t* begin, const std::uint8_t* end);

// The first 8 bytes of a text key followed by 0x06 and zeros, most
// significant first: comparing two such numbers orders keys that differ in
// their first 7 bytes (or are shorter) as their bytes do.
std::uint64_t TextKeyPrefix(const TextKey& k);

// Orders two text keys (<0, 0, >0) as their bytes followed by 0x06.
int CompareTextKeys(const TextKey& a, const TextKey& b);

// The numeric key of a field as two numbers that compare as its 12 bytes.
struct NumericKey {
  std::uint64_t high;  // integer part + 2^63; 0 for an empty field
  std::uint32_t low;   // 8 decimals + 2^31; 0 for an empty field
};
NumericKey MakeNumericKey(const std::uint8_t* begin, const std::uint8_t* end);

// The 12 key bytes, most significant first.
void NumericKeyBytes(const NumericKey& k, std::uint8_t out[12]);

}  // namespace csv
