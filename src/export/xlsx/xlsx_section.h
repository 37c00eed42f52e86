// The format section of a sheet ("!%" and the lines after it, up to a line
// beginning "!*", "!#", "!$", "$$", a NUL or the end of the text): format
// lines become object records (regions, merges, the filter, text boxes,
// conditions), shape and picture lines are handed to the shape-line reader,
// and the objects that cover cells are laid on the sheet's object grid.
//
// A format line has three fields separated by 0x06: the kind letters, the
// format codes and the positions. The positions are "if:" and a condition
// (the next field: the command), or up to seven numbers (from-column,
// from-row, to-column, to-row, rotation, two adjusts), columns also as one
// or two capital letters, a '%' after a column or number starting an offset
// (the value becomes number * 100000 + offset; a '-' offset adds 90000, or
// gives 99999 from 9999 on), and a '^' that copies the record for another
// set of numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/xlsx/xlsx_grid.h"
#include "export/xlsx/xlsx_run.h"
#include "fw/cstring.h"

namespace xlsx {

// What the reader needs of the sheet.
struct XlsxSectionInput {
  const char* text = nullptr;     // the table text (working form)
  std::uint64_t length = 0;
  std::uint64_t sectionStart = 0; // offset of the "!%" line
  std::uint32_t columnCount = 1;  // the sheet's columns
  unsigned char sizeDigit = '4';  // the sheet's size digit
  unsigned char defaultFill = '_';  // the sheet's default fill letter
  bool htmlMode = false;          // mode 'H': a merge line's rest is ignored
  // Column format records by column number (entry 0 unused), for the size
  // digit a '%' colour letter takes; may be null.
  const std::vector<XlsxFormatRecord>* columnFormats = nullptr;
};

// What the reader leaves for the grid, the worksheet and the drawing.
struct XlsxSectionObjects {
  std::vector<XlsxShapeRecord> records;  // at most 500, in line order
  std::uint32_t mergeCount = 0;     // merge lines ('M')
  std::uint32_t shapeCount = 0;     // shape lines and text boxes
  std::uint32_t pictureLines = 0;   // picture lines ("pi", "Im")
  bool protectedSheet = false;      // 'P' in a kind field
  // The filter of kind 'F': from-column, from-row, to-column (0: none).
  std::uint32_t filterFromColumn = 0, filterRow = 0, filterToColumn = 0;
  bool hasRegions = false;     // records laid on cells
  bool hasConditions = false;  // "if:" records
  std::uint32_t linesRefused = 0;  // lines past the 500th record
};

// Reads the format section that starts at in.sectionStart.
void XlsxReadSectionLines(const XlsxSectionInput& in, XlsxSectionObjects& out);

// The record a format line starts from: '@', '_' in positions 1 to 8 and
// from 10 on, NUL in position 9, the sheet's default fill in 6 and its size
// digit in 8.
XlsxShapeRecord NewFormatRecord(unsigned char defaultFill, unsigned char sizeDigit);

// True when a format record carries no format (its first 16 positions are
// those it started from); its kind letter is then raised by one.
bool RecordHasNoFormat(const XlsxShapeRecord& r, unsigned char defaultFill, unsigned char sizeDigit);

// The number of rows the grid of a sheet gets: the sheet's rows + 2.
std::uint64_t SectionGridRows(std::uint64_t sheetRows);

}  // namespace xlsx

namespace csv {
struct TableFields;
}

namespace xlsx {

class XlsxRunHost;
class XlsxConditionSelector;

// The sheet step of the run: reads the format section of run.sheet (when it
// has one) into run.XlsxObjects with the counts, protection and filter,
// allocates the grid for a sheet with region or condition objects, runs the
// conditions through `selector` (none: conditions mark nothing) and lays
// the regions. 0, or -1 after string 152 with "  abuff#=%d " (no grid) or
// "  fbuff#=%d " (no table for the conditions); the view's table is only read.
int XlsxSheetFormatSection(XlsxRun& run, const csv::TableFields& t, XlsxRunHost& host,
                           XlsxConditionSelector* selector, bool htmlMode = false);

// String 152 followed by `tail` (formatted with the view's text length).
CString XlsxMemoryText(const char* tail, std::uint64_t textLen);

}  // namespace xlsx
