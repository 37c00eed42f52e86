// The parts of a long text that the view shows one at a time: each part is
// at most "outdata" bytes and ends at a line end (in one long line, at the
// last whole Shift-JIS character), as the load cuts the first part.
#pragma once

#include <cstddef>

namespace viewload {

struct TextPart {
  std::size_t start = 0;   // byte offset of the part in the document's text
  std::size_t length = 0;  // bytes of the part
  bool toEnd = false;      // the part reaches the end of the text
};

// The part after the shown one [start, start + shown): it starts where the
// shown part ends; from the last part it wraps to the first.
TextPart NextTextPart(const char* text, std::size_t len, std::size_t start, std::size_t shown, long long limit);

// The part before the one that starts at `start`: it ends there and begins
// at the first line start at most `limit` bytes before it; from the first
// part it wraps to the last (the part that ends at the text's end).
TextPart PreviousTextPart(const char* text, std::size_t len, std::size_t start, long long limit);

}  // namespace viewload
