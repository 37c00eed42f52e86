// Page arithmetic of a CSV table shown a page of rows at a time: the first
// row shown after "next page" and "previous page". Next on the last page
// wraps to the first; previous on the first wraps to the last page; a
// result below 5 becomes 0.
#pragma once

#include <cstdint>

namespace csv {

struct PageStep {
  std::uint32_t pageTop = 0;       // first row shown now (m_nPageTopRow)
  std::int64_t lastRow = 0;        // index of the table's last row
  std::uint32_t pageSize = 1000;   // rows a page ("bmpfile", or the ruled view's copy)
  bool byLines = false;            // Ctrl: step by the lines the window shows
  std::int64_t pageLines = 0;      // lines the window shows
  std::int64_t caretDistance = 0;  // caret line less the first visible line
};

// The page that shows the table's last row: pageTop + pageSize passes
// lastRow (the page shows rows pageTop to pageTop + pageSize - 1). The same
// test serves the normal and the ruled-table display.
bool OnLastPage(const PageStep& s);
// Next: the top plus the page size, 0 on the last page. With byLines the
// top moves down by the line step, never past lastRow.
std::uint32_t NextPageTop(const PageStep& s);
// Previous: the top less the page size; from the first page the last page's
// top, (lastRow / pageSize) x pageSize. With byLines the top moves up by the
// line step. Both: a result below 5 becomes 0; a page size of 0 counts as 1.
std::uint32_t PreviousPageTop(const PageStep& s);

}  // namespace csv
