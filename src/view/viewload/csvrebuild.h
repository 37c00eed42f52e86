// The CSV working buffer rebuilt from the text the rich edit shows (the
// inverse of AppendCsvShown): what the user typed into the table goes back
// into the 0x06 form, and everything the user did not change keeps its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "view/viewload/csvshow.h"

namespace viewload {

struct CsvRebuildStats {
  std::uint32_t rowsKept = 0;     // shown rows taken over unchanged (their original bytes)
  std::uint32_t rowsRebuilt = 0;  // rows built from the shown text
  std::uint32_t rowsOutside = 0;  // rows outside the shown page, copied as they were
};

// Builds the new working buffer into `out` from the old one (`buf`, `len`
// bytes) and the control's text `shown`
// (`shownLen` bytes; rows end in CR LF, a lone CR or a lone LF), which was
// made from `buf` with `options`:
// - rows before options.firstRow and after the shown page are copied as
//   they are (a paged table keeps its other pages);
// - shown rows that equal their original's shown form (matched from the top
//   and from the bottom, so inserted and deleted rows move nothing) keep
//   their original bytes, row end included;
// - other rows: a TAB outside double quotes becomes 0x06; the row ends as
//   the original row in its place did (a new row as the table's first row,
//   CR LF without one), so an LF table stays an LF table. With hidden
//   quotes a field equal to the original field's shown form keeps the
//   original bytes; a changed field that holds a comma, a quote or a TAB is
//   written in quotes (its quotes doubled), so the comma form and the
//   loader read it back as one field.
// Empty lines that end `shown` beyond the page's own empty last rows are the
// control's paragraph marks, not rows (when the page ends in a row end).
// The display ends at a NUL in `buf`; the bytes from it on follow the rows
// unchanged.
void RebuildWorkingForm(const std::uint8_t* buf, std::size_t len, const CsvShowOptions& options,
                        const char* shown, std::size_t shownLen, std::string& out,
                        CsvRebuildStats* stats = nullptr);

}  // namespace viewload
