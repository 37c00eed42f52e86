// The workbook table: what a workbook reader (the BIFF reader of ".xls"
// files, and the reader of ".xlsx" files) leaves for the workbook layout to
// print. One object per run owns all of it: the value store in character
// planes, the cell list keyed by sheet, row and column, the shape cells of
// pictures and text boxes, the format tables, the column widths, the sheet
// names, the picture table and the run's stop flag.
//
// One convention for both readers:
//   - plane 0[i] holds the length of value i's text (at most 255 and at most
//     the plane count), planes 1.. its characters, a NUL after them;
//   - the kind code of a value is 0 when empty, 1000 + length for text,
//     9000 + length for numbers (the "--" placeholder is 9002);
//   - the width table is 257 rows of 256 bytes; row 0 is the layout's
//     working row, row n the widths of sheet n (index 0 its column count,
//     column c at index c + 1).
//
// Every index that comes from a file is checked against its table here:
// values and cells beyond the capacity are counted but not stored, names
// beyond 255 sheets are not kept, width rows beyond the table reuse its last
// row, and the picture table holds 400 entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/office_pictures.h"

namespace convert {

constexpr std::int32_t kValueKindText = 1000;        // + length: text (dates too)
constexpr std::int32_t kValueKindNumber = 9000;      // + length: a number, right-aligned by the layout
constexpr std::int32_t kValueKindPlaceholder = 9002; // "--", a formula without a numeric result

constexpr int kWorkbookWidthRows = 257;
constexpr int kWorkbookWidthColumns = 256;
constexpr std::uint8_t kWorkbookDefaultWidth = 8;
constexpr int kWorkbookSheetNames = 255;
constexpr int kWorkbookNameBytes = 32;       // a name slot, NUL included
constexpr int kWorkbookFormats = 2048;       // format numbers and XF numbers
constexpr int kWorkbookShapeCells = 200;     // picture and text-box cells behind the capacity
constexpr int kWorkbookPictureUse = 1024;    // picture numbers a shape may name
constexpr std::int32_t kShapeTextBase = 512; // a shape value of 512 + n is the text box of shape cell n
constexpr std::int32_t kWorkbookMaxColumn = 500;  // columns above are kept as 500
constexpr std::int32_t kWorkbookTableSpare = 210; // the capacity is "n_tbl" less this

// Format classes of a number format.
enum WorkbookFormatClass : std::uint8_t {
  kFormatOther = 2,
  kFormatGrouped = 5,   // thousands separator
  kFormatCurrency = 6,  // thousands separator and a currency sign in quotes
  kFormatPercent = 9,
  kFormatDate = 14,
};

// One cell of the list. A shape cell's value is its picture number (below
// 512) or 512 + its number among the shape cells (a text box, whose text is
// the value at ShapeValueIndex of that number).
struct WorkbookCell {
  std::int32_t row = 0;     // from 0
  std::int32_t column = 0;  // from 0, at most 500
  std::int32_t value = 0;   // index into the value store (or the shape value)
  std::int32_t sheet = 0;   // sheet counter when the cell was read
};

class WorkbookTable {
 public:
  WorkbookTable() = default;
  WorkbookTable(const WorkbookTable&) = delete;
  WorkbookTable& operator=(const WorkbookTable&) = delete;

  // Sizes the value store for the settings: "n_char" + 6 planes of
  // "n_tbl" + 90 bytes. False when memory is short or the settings leave no
  // capacity (n_tbl of 210 or less). Resets every table to its start state.
  bool Allocate(std::int32_t tblMax, std::int32_t nChar);

  // Values and ordinary cells stored at most ("n_tbl" - 210).
  std::int32_t Capacity() const { return m_nCapacity; }
  // Characters a value keeps at most (the planes less the length plane and
  // the NUL, at most 255).
  std::int32_t MaxChars() const { return m_nMaxChars; }

  // --- value store
  // Stores `text` as value `index` with the kind code base + length (the
  // text cut at MaxChars; base kValueKindText or kValueKindNumber). False
  // (nothing stored) when the index lies outside the store.
  bool SetValue(std::int32_t index, const std::uint8_t* text, std::size_t length, std::int32_t kindBase);
  // Stores the text as the next value: returns its index, or -1 when the
  // store is full (the value is then counted in m_nValueCount but dropped).
  std::int32_t AddValue(const std::uint8_t* text, std::size_t length, std::int32_t kindBase);
  // The kind code, length and text of a value (0, 0 and "" outside the store).
  std::int32_t Kind(std::int32_t index) const;
  std::int32_t Length(std::int32_t index) const;
  std::string Text(std::int32_t index) const;
  // Character k (from 1) of value i; 0 outside the value's text.
  std::uint8_t CharAt(std::int32_t index, std::int32_t k) const;
  // True for a number's kind code (9001-9099, the right-aligned values).
  static bool IsNumberKind(std::int32_t kind) { return kind > kValueKindNumber && kind < kValueKindNumber + 100; }
  // Slots of the value store (Capacity + the shape cells' room).
  std::int32_t ValueSlots() const { return m_nSlots; }

  // --- cell list
  // Appends a cell in file order (the column kept at most 500); counted in
  // m_nCellCount always, stored while below the capacity. False when dropped.
  bool AddCell(std::int32_t row, std::int32_t column, std::int32_t value, std::int32_t sheet);
  // The cells stored, in file order.
  const std::vector<WorkbookCell>& Cells() const { return m_cells; }
  std::vector<WorkbookCell>& Cells() { return m_cells; }
  // The last cell stored (the formula string result replaces its value);
  // nullptr when none.
  WorkbookCell* LastCell() { return m_cells.empty() ? nullptr : &m_cells.back(); }

  // --- shape cells (behind the capacity, at most 200)
  // Appends a shape cell; false when 200 are held.
  bool AddShapeCell(std::int32_t row, std::int32_t column, std::int32_t value, std::int32_t sheet);
  const std::vector<WorkbookCell>& ShapeCells() const { return m_shapes; }
  std::int32_t ShapeCount() const { return static_cast<std::int32_t>(m_shapes.size()); }
  // The value index of shape cell n's text (Capacity + n).
  std::int32_t ShapeValueIndex(std::int32_t n) const { return m_nCapacity + n; }
  // Marks a picture number a shape names (1-1023; others ignored).
  void UsePicture(std::int32_t number);
  bool PictureUsed(std::int32_t number) const;
  // The rank of a picture number among the used ones below it (0 for the
  // lowest).
  std::int32_t PictureRank(std::int32_t number) const;

  // --- formats (format number -> class and decimals; XF number -> format)
  void SetFormat(std::int32_t number, std::uint8_t formatClass, std::uint8_t decimals);
  std::uint8_t FormatClass(std::int32_t number) const;     // kFormatOther outside the table
  std::uint8_t FormatDecimals(std::int32_t number) const;  // 0 outside the table
  // Appends the next XF's format number (XFs beyond 2,048 are not kept).
  void AddXf(std::int32_t formatNumber);
  // The format of an XF; 3 (the built-in "#,##0") for an XF number or format
  // number of 2,048 or more, 0 (as read) for an XF no record gave.
  std::int32_t XfFormat(std::int32_t xf) const;
  std::int32_t XfCount() const { return m_nXfCount; }

  // --- column widths (257 x 256; row 0 the layout's working row)
  // Starts the width row of the next sheet: 255 columns of width 8. Rows
  // beyond the table reuse the last row.
  void NextWidthRow();
  // The row the readers fill now (1.. once a sheet started; 0 before).
  std::int32_t WidthRow() const { return m_nWidthRow; }
  // Row `sheet` of the table, clamped into it.
  std::uint8_t* WidthRowAt(std::int32_t row);
  const std::uint8_t* WidthRowAt(std::int32_t row) const;
  // Sets the width of columns first..last (clamped to 0..254) in the current
  // row, at index column + 1.
  void SetColumnWidths(std::int32_t first, std::int32_t last, std::uint8_t width);
  // Sets the column count (index 0) of the current row, clamped to 1..255.
  void SetColumnCount(std::int32_t count);

  // --- sheet names (255 slots of 32 bytes)
  // Stores the name of sheet `index` (from 0); beyond 255 nothing is kept.
  // The name is cut at 31 bytes.
  void SetSheetName(std::int32_t index, const std::uint8_t* name, std::size_t length);
  // The name of sheet `index` ("" when none is kept).
  const char* SheetName(std::int32_t index) const;
  std::int32_t SheetNameCount() const { return m_nSheetNames; }

  // --- the reader's counters and words
  std::int32_t m_nValueCount = 0;  // values read (also those beyond the capacity)
  std::int32_t m_nCellCount = 0;   // cells read (also those beyond the capacity)
  std::int32_t m_nSheet = 0;       // sheet counter of the cells
  std::int32_t m_nSheetCount = 0;  // sheets the reader met (the name and heading count)
  std::int32_t m_nFirstRecordLength = 0;  // BIFF flavour: 16 BIFF8, 8 BIFF5/7 and bare BIFF
  int m_nKind = 3;                 // 3 ".xls", 36 ".xlsx"
  bool m_bDate1904 = false;        // the 1904 date system (serial days + 1,462)
  bool m_bStreamsWhole = true;     // the streams were read whole (not cut at the buffer limit)
  bool m_bStop = false;            // the run's stop flag: the reader's and the layout's
  // The widths: row 0 the layout's working row, row n sheet n.
  std::uint8_t m_abColumnWidth[kWorkbookWidthRows][kWorkbookWidthColumns] = {};
  OfficePictureTable m_pictures;   // picture entries of the drawing group (400)

 private:
  std::int32_t m_nCapacity = 0;
  std::int32_t m_nSlots = 0;       // values the planes hold
  std::int32_t m_nPlanes = 0;
  std::int32_t m_nMaxChars = 0;
  // m_nPlanes planes of m_nSlots bytes. Only plane 0 (the lengths) starts
  // zeroed: a character plane is read only below its value's length, so the
  // pages of the planes a workbook never fills are never touched.
  std::unique_ptr<std::uint8_t[]> m_planes;
  std::vector<std::int32_t> m_kinds;    // kind code per value
  std::vector<WorkbookCell> m_cells;
  std::vector<WorkbookCell> m_shapes;
  std::uint8_t m_abPictureUsed[kWorkbookPictureUse] = {};
  std::uint8_t m_abFormatClass[kWorkbookFormats] = {};
  std::uint8_t m_abFormatDecimals[kWorkbookFormats] = {};
  std::int32_t m_anXfFormat[kWorkbookFormats] = {};
  std::int32_t m_nXfCount = 0;
  std::int32_t m_nWidthRow = 0;
  char m_acSheetName[kWorkbookSheetNames][kWorkbookNameBytes] = {};
  std::int32_t m_nSheetNames = 0;
};

}  // namespace convert
