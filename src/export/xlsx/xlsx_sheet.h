// The worksheet part of one sheet: the element skeleton around the rows
// (sheet properties, dimension, view, columns, protection, filter, merges,
// margins, page setup, breaks, drawing reference) and the row element's
// attributes. The rows and cells themselves come from xlsx_cells.h.
//
// The part is built as Shift-JIS text with a Shift-JIS declaration, as the
// table holds its bytes; the part sink rewrites it as UTF-8 when it stores it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_grid.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_shape_record.h"
#include "export/xlsx/xlsx_style_slots.h"

namespace csv {
struct TableFields;
}

namespace xlsx {

// The widest column a worksheet can hold, as a column number.
constexpr std::uint32_t kSheetColumns = static_cast<std::uint32_t>(kMaxColumns);
// Columns that carry an object index of the format section.
constexpr int kObjectColumns = 2000;

XlsxRecordBytes RecordBytes(const XlsxFormatRecord& r);

// One row's format record with the text row it belongs to.
struct XlsxRowFormat {
  std::uint32_t row = 0;
  XlsxRecordBytes rec;
};

// Everything one worksheet is written from: the sheet's bounds in the table
// text, its settings and its format records. The run fills one per sheet.
struct XlsxSheetLayout {
  std::uint32_t sheetNumber = 1;  // 1 to 255

  // Bounds. Text rows are numbered as the block index numbers them.
  std::uint32_t startOffset = 0;   // byte offset of the sheet's first text row
  std::uint32_t firstTextRow = 1;  // its text row number
  std::uint32_t endRow = 0;        // last text row walked (inclusive); the dimension's row
  std::uint32_t titleRow = 1;      // rows after it are data rows
  std::uint32_t rowLimit = 0;      // first text row past the table's data
  std::uint32_t blockStartLine = 0;  // the block's title line (m_aSecLine entry)
  std::uint32_t columnCount = 1;
  std::uint32_t titleLastColumn = 0;  // the title row's last filled column
  std::uint32_t titleMarkOffset = 0;  // title-range mode: the rest of this line is skipped (0 = none)
  bool titleRangeMode = false;        // 'X'
  bool skipRowMode = false;           // 'S': the line after the title row is not written

  // View and page.
  char gridLetter = 0;          // 'u', 'v', 's' hide gridlines ('v' also headers)
  std::string topLeftCell;      // empty = none
  std::string activeCell = "A1";
  std::string tabColourHex;     // RRGGBB of the tab colour, empty = none
  std::uint32_t fitWidth = 0, fitHeight = 0;
  std::uint32_t scale = 100;
  char paperLetter = 'a';
  bool protectedSheet = false;
  std::uint32_t filterRow = 0, filterFirstColumn = 0, filterLastColumn = 0;
  std::uint32_t marginLeft = 8, marginRight = 8, marginTop = 10, marginBottom = 10;  // tenths
  std::uint32_t breakStartRow = 0, rowOffset = 0;  // row break ids: row - rowOffset - 1

  // Cell defaults.
  unsigned char sizeDigit = '4';
  unsigned char defaultFlags = 0;       // style flags; bits 4-6 font family
  unsigned char defaultRowHeight = 0;   // height code, 0 = none
  unsigned char defaultAlign = '@';
  unsigned char defaultType = 'g';
  unsigned char defaultFontColour = '_';
  unsigned char defaultFillColour = '_';
  int fontMode = 0;  // 0 or 2: gothic face

  // Format records: columns by number (entry 0 unused), rows in row order.
  std::vector<XlsxRecordBytes> columnFormats;  // size 0 or up to 1001
  std::vector<bool> columnHasFormat;
  std::vector<XlsxRowFormat> rowFormats;        // ascending rows, at most 1000
  std::vector<std::int32_t> columnWidths;       // width codes by column (entry 0 unused)

  // The format section's objects (empty until the format section is read).
  XlsxObjectLayer objects;
  std::uint32_t mergeCount = 0, chartCount = 0, shapeCount = 0;

  // The colour-bar column of the view (0 = none).
  std::uint32_t colourBarColumn = 0;
  unsigned char colourBarChars[10] = {};  // marker characters (a NUL ends the list)
  std::string colourBarHex[10];           // RRGGBB of each marker's colour, empty = none
  std::uint32_t curLine = 0;  // this text row of the colour-bar column stays plain text

  bool HasColumnFormat(std::uint32_t c) const {
    return c < columnHasFormat.size() && columnHasFormat[c];
  }
};

// What writing a worksheet leaves for the later parts.
struct XlsxSheetResult {
  std::vector<std::uint8_t> rowHeights;  // pixels of the first 9000 rows (18 unset)
  std::uint32_t rowsWritten = 0;
  std::uint32_t widestRow = 0;     // columns of the widest row written
  bool drawingReferenced = false;  // "<drawing r:id=...>" written
  bool cut = false;                // the buffer ran out: rows were left out
};

// Column letters: the zero-based form takes a column index (0 = "A"), the
// one-based form a column number (1 = "A"); both run to "XFD".
std::string ColumnLettersZeroBased(std::uint32_t index);
std::string ColumnLettersOneBased(std::uint32_t column);

// Paper size attribute of a paper letter.
int PaperSizeOfLetter(char letter);

// Writes the whole worksheet part of `layout` from the table `t` into `out`
// (appended), using and growing the run's style slots. `columnWidths` of the
// layout are widened for the wide font families as the drawing later reads them.
// When `out` cannot grow, the part is closed well-formed after the last whole
// row and result.cut is set (the run reports "Too many items to convert").
// False only when even that close failed: the part is unusable.
bool WriteWorksheet(const csv::TableFields& t, XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                    exportcore::ByteWriter& out, XlsxSheetResult& result);

// The layout of the sheet the run is writing (run.sheet with the run's
// format records, widths, filter and colour-bar column, and the title row's
// last filled column read from the table).
XlsxSheetLayout SheetLayoutFromRun(const XlsxRun& run, const csv::TableFields& t);

// Writes the worksheet of run.sheet into run.XlsxWorkBuffer and stores it
// in `sink` as "xl/worksheets/sheet%d.xml". The row heights go to
// run.XlsxRowHeights, the widened widths back to run.XlsxColumnWidths, and
// the sheet's XlsxPictureCount becomes -1 (from 0) when the part refers to
// a drawing.
enum class SheetPartResult {
  kWritten,
  kCut,        // written, rows left out for lack of memory: "Too many items to convert"
  kNoMemory,   // no part could be made
  kNotStored,  // the sink refused the part (recorded as its first failure)
};
SheetPartResult WriteSheetPart(XlsxRun& run, const csv::TableFields& t, exportcore::PartSink& sink);

// The same into a string of its own (tests and fuzzing).
bool WriteWorksheetText(const csv::TableFields& t, XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                        std::string* part, XlsxSheetResult* result);

}  // namespace xlsx
