// The workbook layout: prints what a workbook reader left in the workbook
// table (workbook_table.h), either as a drawn text grid of each sheet or, in
// the table modes, as comma-separated rows with one block per sheet that the
// CSV table then shows.
//
// Before either form the shape cells (pictures, comments, text boxes) get
// their texts and are merged into the cells by their (sheet, row, column)
// key. A long layout shows its progress through the converter host and stops
// at Esc (asked), Up or Down, keeping what it laid out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/workbook_table.h"

namespace convert {

class ConvertHost;

// Display modes of "xlsmode": below 10 the drawn grid (1 and 2 fit the widths
// to the texts), 10 to 13 the table form (11 with the head line and the end
// mark).
constexpr int kXlsTableModeFirst = 10;
constexpr int kXlsTableModeLast = 13;
constexpr int kXlsTableModeHeaded = 11;

struct WorkbookLayoutRequest {
  int xlsMode = 0;              // "xlsmode"
  int readerMode = 0;           // 1: "|" closes each slot, 2: the byte 0x08, else a blank
  int quickLoad = 0;            // 1: only rows 0-20 of the first sheet
  std::int32_t nChar = 157;     // "n_char": characters of a cell at most
  std::int32_t rtbl = 2000;     // "r_tbl": slots of a row block
  std::int64_t outdata = 2000000;  // "outdata": the text's bound
  ConvertHost* host = nullptr;  // progress, key peek and the Esc question; nullptr: none
};

struct WorkbookLayoutResult {
  int fileKind = 0;          // 33 when the table form was written, else 0 (kept as it was)
  bool stopped = false;      // the stop flag ended the layout early (Esc, Up, Down)
  bool bounded = false;      // the output bound ended it (string 239 written)
  bool empty = false;        // no cell at all: string 242 (or nothing when cut)
  std::int32_t cellsLaidOut = 0;
};

// Lays the table out into `out`. Sets table.m_bStop when a key stops it.
WorkbookLayoutResult LayoutWorkbook(WorkbookTable& table, const WorkbookLayoutRequest& req, LoadBuffer& out);

struct RenderJob;
// The layout as the workbook converters run it: the request from the job's
// words, the text into job.out, and kind 33 for the table form.
void LayoutWorkbookForJob(WorkbookTable& table, RenderJob& job);

// --- the steps, for tests

// Gives every shape cell its text (the picture marker by the rank of its
// picture number, or the text box's text cut at `nChar` characters) and
// returns the cells with the shape cells merged in: each goes before the
// first cell whose key is not below its own.
std::vector<WorkbookCell> MergeShapeCells(WorkbookTable& table, std::int32_t nChar);

// The heading number of a sheet counter: counter + 1 in BIFF8 and ".xlsx",
// the counter itself in BIFF5 and older.
int SheetHeadingNumber(const WorkbookTable& table, std::int32_t sheet);

// A sheet name as shown: three-byte UTF-8 characters converted to Shift-JIS.
// `wholeTest`: only when the first and fourth bytes are 0xE0 or above (the
// grid's test); otherwise every well-formed three-byte sequence.
std::string SheetNameForShow(const char* name, bool wholeTest);

// The column widths of a drawn sheet: `columnCount` + 1 entries (the last
// the 15 of the slot after the last column).
std::vector<int> GridWidths(const WorkbookTable& table, const std::vector<WorkbookCell>& sheetCells,
                            std::int32_t sheet, int columnCount, bool firstSheet, const WorkbookLayoutRequest& req);

// One CSV field: quoted (inner quotes doubled) when it holds a comma, a
// double quote or a line break (CR, LF or VT).
std::string CsvField(const std::string& text);

}  // namespace convert
