// Small scanners of PDF syntax for the page and content walks: white space,
// names, values skipped whole, references and their lists, numbers of a
// dictionary, and the bytes of literal and hex strings.
//
// Every function reads buf[pos, end) only and returns a position within
// [pos, end]; nested values are followed to a bounded depth.
#pragma once

#include <cstdint>
#include <vector>

namespace convert {
namespace pdfscan {

bool IsWhite(std::uint8_t c);
bool IsDelimiter(std::uint8_t c);
bool IsRegular(std::uint8_t c);

std::int32_t SkipWhite(const std::uint8_t* buf, std::int32_t pos, std::int32_t end);
// Past the name at pos ('/' and its regular bytes).
std::int32_t SkipName(const std::uint8_t* buf, std::int32_t pos, std::int32_t end);
// The name at keyPos (its '/') ending at nameEnd is `name`.
bool NameIs(const std::uint8_t* buf, std::int32_t keyPos, std::int32_t nameEnd, const char* name);
// Past one value: a dictionary, array or string whole, else one token.
std::int32_t SkipValue(const std::uint8_t* buf, std::int32_t pos, std::int32_t end);
// "<<" at pos (after white space): the dictionary's inside [*begin, *end).
bool DictionaryAt(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int32_t* begin,
                  std::int32_t* inner);
// A reference "N G R" at pos (after white space): N, and *after past the
// 'R'; 0 when there is none.
std::int32_t ReadRef(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int32_t* after);
bool IsRefAt(const std::uint8_t* buf, std::int32_t pos, std::int32_t end);
// A reference or an array of them: at most `max` numbers added to `list`.
// The position after the value.
std::int32_t ReadRefList(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int32_t max,
                         std::vector<std::int32_t>* list);
// Up to `max` numbers at pos (an array's bracket skipped) in hundredths,
// saturated at +-10^9 of the unit; the count read.
int ReadNumbers(const std::uint8_t* buf, std::int32_t pos, std::int32_t end, std::int64_t* out, int max);
// The '/' of the top-level key `name` of the dictionary inside [begin, end),
// or -1.
std::int32_t FindKey(const std::uint8_t* buf, std::int32_t begin, std::int32_t end, const char* name);
// The first `text` in [from, to), or -1.
std::int32_t Find(const std::uint8_t* buf, std::int32_t from, std::int32_t to, const char* text);
// The bytes of the literal string whose '(' is at pos (escapes and octal
// escapes decoded, a backslash before a line end dropped); the position
// after its ')'.
std::int32_t LiteralString(const std::uint8_t* buf, std::int32_t pos, std::int32_t end,
                           std::vector<std::uint8_t>* bytes);
// The bytes of the hex string whose '<' is at pos (an odd last digit counts
// as followed by 0); the position after its '>'.
std::int32_t HexString(const std::uint8_t* buf, std::int32_t pos, std::int32_t end,
                       std::vector<std::uint8_t>* bytes);

}  // namespace pdfscan
}  // namespace convert
