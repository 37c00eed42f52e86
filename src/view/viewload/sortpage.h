// The choices of the sort buttons and the page commands of the text view
// that need no window: which step a page command takes, the sort's key
// column and codes, and the page size of a paged table.
#pragma once

#include <cstdint>

namespace viewload {

// What the page commands (next, previous) step through.
enum class PageCase {
  kCsvTable,  // a CSV table: its pages of "bmpfile" rows
  kTextPart,  // a long text shown in parts: the next or previous part
  kOther,     // anything else: a page key to the control
};
PageCase PageCaseOf(int fileKind, int sourceView, bool shownInPart);

// The sort's key column (0-based): the caret's column plus the first column
// shown (the low 16 bits of the column word), one less in ruled-table mode
// (editMode 3, whose first column is the row heading); never below 0.
int SortKeyColumn(std::uint32_t curColumn, std::uint32_t columnPageWord, std::uint32_t editMode);

// The sort request's code as the view keeps it while the sort runs
// (m_nLastSort): column + 1 ascending, the one's complement descending.
int SortKeyCode(int column0, bool descending);

// The key argument of the row sort: the 1-based column, negated descending.
int SortKeyArgument(int column0, bool descending);

// Rows of a page: "bmpfile" (`bmpfile`, 1000 when unset); in ruled-table
// mode the view's own copy (*ruledCopy), taken from the document the first
// time (while it is 0 or less).
std::uint32_t PageSizeFor(std::uint32_t editMode, std::int32_t bmpfile, std::int32_t* ruledCopy);

}  // namespace viewload
