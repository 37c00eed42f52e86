// The lines before and after a sheet's table, written as preformatted text
// around it. In these lines a leading '~' is skipped, and so is a '!' before
// '#', '*' or '^' at a line start; the cell separator 0x06 and TAB become
// TAB, a line end (CR, LF or CR LF) "<br>". A '^' hides the text up to the
// next '^', the letters XL hide it up to the next ':' (both marks hidden
// too), and a line end ends any hidden stretch. The two bytes of a
// Shift-JIS character go together, hidden or shown; other bytes are copied
// as they stand, markup included.
#pragma once

#include <cstdint>

#include "export/byte_writer.h"

namespace htmlexport {

// Appends "<pre>", the lines of text[from, to) and "</pre>\r\n" (nothing
// when the range is empty).
void AppendPreLines(const char* text, std::uint32_t from, std::uint32_t to, exportcore::ByteWriter& out);

}  // namespace htmlexport
