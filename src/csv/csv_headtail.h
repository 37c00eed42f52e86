// The lines around a table that the totals and the cross tabulation hold
// aside while they rewrite it: the head (the lines before the title line
// m_nCurLine) and the comment tail ('~' lines at the end).
//
// The tail: stepping back from the end over at most 50 lines (never into the
// title row), every line that begins with '~' moves the cut to the line end
// in front of it; a run of '~' lines that reaches into those 50 lines is
// followed up to its first line, so a long comment block comes back whole.
// The tail starts with the line end of the row before it.
#pragma once

#include <cstdint>
#include <vector>

#include "csv/csv_rows.h"

namespace csv {

struct HeadTail {
  std::uint32_t headEnd = 0;    // bytes of the head (0: none)
  std::uint32_t headLines = 0;  // lines in the head
  std::uint32_t firstRow = 0;   // index in `rows` of the title row
  std::uint32_t endRow = 0;     // index in `rows` past the last table row
  std::uint32_t tailStart = 0;  // offset of the tail (== n: none)
};

// `rows` split from the content `t` (`n` bytes); `curLine` the 1-based
// title line. The table rows are rows[firstRow, endRow); when a tail
// follows, it begins at the row end of the last of them.
HeadTail FindHeadTail(const std::uint8_t* t, const std::vector<RowSpan>& rows, std::uint32_t n,
                      std::uint32_t curLine);

}  // namespace csv
