// Rich text (RTF) as plain Shift-JIS text: paragraph breaks, tab stops of
// table rows padded with blanks, page and section marks; font tables, style
// sheets and other destinations left out. With an open context of 2 or more
// the RTF is shown as it stands (the inspection dump) instead.
//
// Two callers: the converter table's RTF row (a file of its own) and the Word
// reader, whose main stream may turn out to be RTF; it passes the stream's
// bytes with `fromWord` set, and the text then begins "##word format##\n".
#pragma once

#include <cstddef>
#include <cstdint>

#include "convert/load_buffer.h"

namespace convert {

// The document's words the RTF reader uses.
struct RtfWords {
  int m_nConvStyle = 0;     // 1: a cell's last padding blank is "|"; the dump decodes \'hh escapes
  int m_nDumpBreaks = 0;    // 1: the dump starts a line before "\fs2 " and "\highlight1"
  int m_nOpenContext = 0;   // 2 or more: the inspection dump instead of the text
  bool fromWord = false;    // handed over by the Word reader (its main stream is RTF)
  std::int64_t outdata = 0; // the dump stops 2 bytes before this write position (0: no bound)
};

// Reads the RTF in [data, data + length) up to a NUL or 0x1A byte and appends
// its text to `out`. Returns the number of bytes appended. Never reads past
// `length`; any input gives some text (possibly none), never a failure.
std::int64_t ConvertRtfToText(const std::uint8_t* data, std::size_t length, LoadBuffer& out,
                              const RtfWords& words);

}  // namespace convert
