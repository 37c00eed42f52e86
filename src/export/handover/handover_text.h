// The hand-over text of the spreadsheet export: the table as TAB text with
// the quotes of its fields removed, followed by a blank line and the "F="
// line that tells the workbook's own macro where to save. It is built from
// a copy of the table (the view's buffer is never touched) and sized by a
// counting pass before it is written, so no part of it is ever cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fw/cstring.h"

namespace handover {

// The sheet suffix of a template argument: a ':' within its last three
// characters (argument longer than 5) or at its start (argument longer
// than 1). True with *suffix the text after the last ':' and *arg cut
// before it; false leaves both as they are.
bool SplitSheetSuffix(CString* arg, CString* suffix);

// The text before conversion: the table's bytes up to its first NUL with
// every 0x06 as TAB, then CR LF CR LF and "F=" + ("N+1;" when sheet > 0) +
// target, without a line end.
std::string HandoverSource(const std::uint8_t* table, std::size_t len, int sheet, const CString& target);

// The converted text's length (the counting pass) and the text itself,
// without a NUL. The conversion works line by line:
//   - a line's first byte is kept ("!#" keeps the '#' and the byte after
//     it, which then counts as the line's lead byte);
//   - a lead "X" followed by "L" marks a block: after "L", "x" up to the next
//     '#' (within 49 bytes) is kept, else one byte; when "S" comes there,
//     that line and the next are kept as they stand, and in the line after
//     them every run of digits N (0 < N < 900) becomes N asterisks at the
//     next byte at or below the space;
//   - elsewhere a '"' before a byte below 0x20 or '^', or after a byte below
//     0x20, is dropped (so a field's or line's opening and closing quotes go;
//     the text's very first byte is the only line start that keeps one).
std::size_t HandoverConvertedLength(const std::string& source);
std::string ConvertHandover(const std::string& source);

}  // namespace handover
