// The end of the text in a buffer that other code may have filled with a
// NUL before its recorded length (a shared-memory block, a clipboard text,
// a file that held a NUL byte): the length to keep, so that the table's
// text length never counts a NUL.
#pragma once

#include <cstddef>

namespace csv {

// The offset of the first NUL byte among the first `len` bytes of `buf`, or
// `len` when there is none. A null `buf` gives 0. Reads only `buf[0..len)`.
std::size_t FindInLine(const char* buf, std::size_t len);

}  // namespace csv
