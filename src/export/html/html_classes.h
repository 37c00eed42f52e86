// The CSS classes of one sheet, written into the page's head:
//
//   1. the column list: columns 1 to the table's last, leaving out a column
//      above 9 whose format record equals the one listed before it (a cell
//      uses the greatest listed column not above its own);
//   2. when the first row record lies below the first table row, one class
//      per listed column for that table row, from the column record alone;
//   3. one class per row record (in row order, at most 1000) and listed
//      column, merged from the row record RF, the column record CF and the
//      sheet's default alignment SD;
//   4. one class per cell of each region of the format section (a trailing
//      "A"), its borders on the region's edges and the row's and column's
//      inside it.
//
// Class names are ".xs" with the row (two digits), the column (three) and
// the sheet (two), wider numbers in full. A cell uses the class group of the
// greatest listed row not above its row, 9999 when there is none.
#pragma once

#include <cstdint>
#include <vector>

#include "export/byte_writer.h"
#include "export/html/html_sheet.h"
#include "export/xlsx/xlsx_run.h"

namespace htmlexport {

// The row of a cell outside every class group.
constexpr std::uint32_t kNoGroupRow = 9999;

// What the body needs to name a cell's class.
struct HtmlClassIndex {
  std::vector<std::uint32_t> columns;    // listed columns, ascending
  std::vector<std::uint32_t> groupRows;  // rows starting a class group, ascending
  // The row record of each group (index into run.XlsxRowFormats; -1 for
  // the group of step 2, which has none).
  std::vector<long> groupRecords;

  // The greatest listed column not above c (the first listed one below it).
  std::uint32_t ListedColumn(std::uint32_t c) const;
  // The index of the group of `row`, or -1 when none.
  long GroupOf(std::uint32_t row) const;
};

// The merged code of step 3 for row record `rf` at row `row`, column
// record `cf` at column `column`, the sheet's default alignment `sd` and
// title row `title`. Exposed for tests.
void HtmlMergeClassCode(const char* rf, std::uint32_t row, const char* cf, std::uint32_t column, unsigned char sd,
                        std::uint32_t title, char out[xlsx::kFormatRecordLength]);

// Why a class could not be written in full.
struct HtmlClassNotes {
  bool cssShort = false;  // a class's declarations could not be had (code 123)
};

// Writes the classes of run.sheet into `head` and fills `index`. The
// declarations of a class whose StyleCodeToCss ran out of memory are left
// out (its "}" stays) and notes.cssShort is set.
void HtmlWriteSheetClasses(const xlsx::XlsxRun& run, const HtmlSheetFrame& frame, const char* text, std::uint32_t len,
                           exportcore::ByteWriter& head, HtmlClassIndex& index, HtmlClassNotes& notes);

}  // namespace htmlexport
