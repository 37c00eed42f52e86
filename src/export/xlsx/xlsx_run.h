// The state of one XLSX export run: the sheets found by the pre-scan and the
// sheet-list line, the sheet model of the sheet being written, the tables the
// worksheet, styles and package writers share, and the work buffer. It lives
// for one call of the run and is never part of the view or the document.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/chart/chart_fields.h"
#include "export/xlsx/xlsx_grid.h"
#include "export/xlsx/xlsx_shape_record.h"
#include "export/xlsx/xlsx_style_slots.h"

namespace xlsx {

// Record limits of the workbook.
constexpr int kMaxSheets = 255;           // sheets per run
constexpr int kSheetSlots = 256;          // tables by sheet number (entry 0 unused)
constexpr int kFormatRecords = 1000;      // row and column format records
constexpr int kPageBreaks = 256;          // page breaks per sheet
constexpr int kRowHeightRows = 9000;      // recorded row heights
constexpr std::uint32_t kMaxRows = 1048576;  // rows per sheet
constexpr int kMaxColumns = 16384;        // the format's last column (XFD)
constexpr int kSheetNameChars = 31;       // characters of a sheet name
constexpr int kHeadNameChars = 30;        // characters taken from a head line
constexpr int kListNameBytes = 255;       // bytes of a name on the sheet-list line

// The fixed-width format record of one row or column: '@', then '_' in every
// position except 7 and 9, which start as 0.
struct XlsxFormatRecord {
  char c[kFormatRecordLength];
  XlsxFormatRecord() { Reset(); }
  // A run sets up its 1001 column records for every sheet: one copy of the
  // blank record each.
  void Reset() { std::memcpy(c, Blank().c, sizeof c); }

 private:
  struct Bytes {
    char c[kFormatRecordLength];
  };
  static constexpr Bytes MakeBlank() {
    Bytes b{};
    b.c[0] = '@';
    for (int i = 1; i < kFormatRecordLength; ++i) b.c[i] = '_';
    b.c[7] = 0;
    b.c[9] = 0;
    return b;
  }
  static const Bytes& Blank() {
    static constexpr Bytes kBlank = MakeBlank();
    return kBlank;
  }
};

// A name given on the sheet-list line for a sheet that had one already,
// with the list position it stood at.
struct XlsxExtraName {
  std::string name;  // Shift-JIS
  std::uint32_t position = 0;
};

// Where a sheet's block lies in the CSV text (from the block index).
struct XlsxSheetBounds {
  std::uint32_t blockStart = 0;  // byte offset of the block's text
  std::uint32_t titleRow = 0;    // line number of the title row
  std::uint32_t rowLimit = 0;    // data-row count of the block + 1
  std::uint32_t endRow = 0;      // the next block's first row (or last row + 2)
  std::uint32_t endOffset = 0;   // the next block's scan position (or the text length)
  std::uint32_t columnCount = 0; // fields of the block's first line (+1 for a "!^" rule)
};

// The settings of one sheet, with their defaults.
struct XlsxSheetSettings {
  char paper = 'a';              // A4 portrait
  int scale = 100;
  int marginLeft = 8, marginRight = 8, marginTop = 10, marginBottom = 10;
  int fitWidth = 0, fitHeight = 0;
  char sheetLetter = 'A';
  char alignment = '@';
  char numberFormat = 'g';       // '_' in mode 'H' (XlsxRun::htmlMode)
  char fontSizeDigit = '4';
  unsigned char fontFlags = 0;   // the sheet's '%' flags
  int defaultColumnWidth = 2;
  int defaultRowHeight = 0;      // 0: not set
  std::string activeCell = "A1";
  std::string topLeftCell;       // empty: none
  char viewLetter = 0;           // 'u' no gridlines, 'v' no gridlines and headers
  char tabColour = 0;            // colour letter of the sheet tab
  bool pageBreakBefore = false;
  // Read from the settings line's '%' group: the default font and fill
  // colour letters ('_': none) and the font mode ('J' 0, 'M' 1, 'P' 2, 'N' 3).
  char fontColour = '_';
  char fillColour = '_';
  int fontMode = 0;
};

// The sheet model of the sheet being written.
struct XlsxSheetModel {
  std::uint32_t number = 0;  // sheet number, from 1
  XlsxSheetBounds bounds;
  std::uint32_t readStart = 0;     // offset the row walk starts at
  std::uint32_t firstRowNumber = 1;  // number of the row at readStart
  // Offsets of the lines found in the block (0: absent).
  std::uint32_t formatRow = 0;      // after "!^"
  std::uint32_t chartDefinition = 0;  // the "!$" line
  std::uint32_t formatSection = 0;  // the "!%" line
  std::uint32_t settingsLine = 0;   // the first "XL" line
  std::uint32_t settingsRow = 0;    // its row
  std::uint32_t dataEndRow = 0;     // rows from here on are no data (0: the end row)
  std::uint32_t widestFirstRows = 0;  // widest field count of the first 10 rows
  std::uint32_t lastUsedColumn = 0;   // last non-empty column over all data rows
  bool overLimitShown = false;        // "Data lines %d over limit" shown for this sheet
  XlsxSheetSettings settings;
};

struct XlsxRun {
  // --- pre-scan and sheet list ---
  std::array<std::string, kSheetSlots> XlsxSheetNames;   // by sheet number, Shift-JIS
  std::uint32_t firstSheet = 0;                          // tab opened first (0: none given)
  std::array<std::uint32_t, kSheetSlots> XlsxSheetStart{};
  std::array<std::uint32_t, kSheetSlots> XlsxSheetOrder{};  // [0]: count of listed sheets
  std::vector<XlsxExtraName> XlsxExtraNames;
  std::uint32_t sheetOneStart = 0;      // where sheet 1's rows are read from
  std::uint32_t sheetOneFirstRow = 1;   // the number of its first row
  std::uint32_t headCount = 0;          // heads seen by the pre-scan (may pass 255)

  // --- per sheet, by sheet number ---
  std::array<std::uint32_t, kSheetSlots> XlsxChartSlots{};
  std::array<std::int32_t, kSheetSlots> XlsxPictureCount{};
  std::array<std::uint32_t, kSheetSlots> XlsxFilterColumns{};
  std::array<std::uint32_t, kSheetSlots> XlsxFilterRow{};
  std::uint32_t XlsxR1C1Flag = 0;
  std::uint32_t XlsxSheetCount = 0;     // sheets written (the last sheet number)

  // --- the sheet being written ---
  XlsxSheetModel sheet;
  // Column records and width codes by column number from 1 (entry 0 unused).
  std::vector<XlsxFormatRecord> XlsxColumnFormats = std::vector<XlsxFormatRecord>(kFormatRecords + 1);
  std::vector<std::int32_t> XlsxColumnWidths = std::vector<std::int32_t>(kFormatRecords + 1, 0);
  // Row records in row order, with the row each belongs to.
  std::vector<XlsxFormatRecord> XlsxRowFormats;
  std::vector<std::uint32_t> XlsxRowFormatRows;

  // --- output ---
  exportcore::ByteWriter XlsxWorkBuffer;  // the part being built
  // Mode 'H': the page's head (its CSS classes); the body is XlsxWorkBuffer.
  exportcore::ByteWriter XlsxHtmlBuffer;
  // The drawing of the sheet being written: the chart anchors from the first
  // one on, stored once when the sheet is done. Its own buffer, so that a
  // part built meanwhile never overwrites it.
  exportcore::ByteWriter XlsxDrawingBuffer;
  std::int32_t XlsxChartNumber = 1;       // the number of the next chart part
  // The chart writer's message host and the sheet names it has reported
  // missing (each shown once in a run).
  chart::ChartMessages XlsxChartMessages;

  // --- worksheet and cells ---
  // Pixel heights of the first rows of the sheet being written (18 each).
  std::vector<std::uint8_t> XlsxRowHeights = std::vector<std::uint8_t>(kRowHeightRows, 18);
  // Distinct composed cell styles; slot 0 is the default, a cell's s is its
  // slot (size() slots, [i] the record of slot i).
  XlsxStyleSlots XlsxCellStyleTable;
  // The view's colour-bar column (0: none), its marker characters (a NUL
  // ends the list) with a colour letter each, and the view's current line,
  // whose row of that column stays plain text.
  std::uint32_t colourBarColumn = 0;
  std::array<char, 10> colourBarChars{};
  std::array<char, 10> colourBarCodes{};
  std::uint32_t curLine = 0;

  // --- styles and package ---

  // --- drawn objects and pictures ---
  // (The format section's objects of the sheet being written are
  // XlsxObjects.shapes, below.)
  // Picture lines of the run so far: the n-th is "xl/media/image<n>.png".
  std::int32_t XlsxPictureNumber = 0;

  // Mode 'H' (the HTML page): the sheets' default number format is '_',
  // and the nine rows after a title row whose first field is empty get a
  // row record each. Set after Clear(), which puts mode 0 back.
  bool htmlMode = false;

  XlsxRun() { Clear(); }

  // --- the format section of the sheet being written (xlsx_section.h) ---
  XlsxObjectLayer XlsxObjects;  // object records, the object grid, the overlap list
  std::uint32_t XlsxMergeCount = 0;    // merge lines of the section
  std::uint32_t XlsxShapeCount = 0;    // shape lines and text boxes
  std::uint32_t XlsxPictureLines = 0;  // picture lines of the section
  bool XlsxSheetProtected = false;     // 'P' in a kind field
  std::vector<XlsxConditionMark> XlsxConditionMarks;  // mode 'H': cells the conditions marked
  void ClearSection();

  // Back to the state at the start of a run (the work buffer keeps its memory).
  void Clear();
  // The per-sheet tables set up again for the next sheet.
  void ClearSheet();
};

}  // namespace xlsx
