// Pictures and text boxes of ".xlsx" sheets as shape cells of the workbook
// table: a picture shows its media file name in brackets at its anchor
// cell, a text box its text in a cell below the sheet's data, headed by the
// reference of the cell it is anchored at ("(C05): ").
#pragma once

#include "convert/workbook_table.h"
#include "convert/xlsx_parts.h"
#include "convert/xlsx_reader.h"

namespace convert {

// What the sheets left for their drawings, by sheet file number (1-255).
struct XlsxSheetDrawings {
  int drawing[256] = {};     // "drawing%d.xml" of the sheet; 0 none
  int legacy[256] = {};      // "vmlDrawing%d.vml" of the sheet; 0 none
  int largestRow[256] = {};  // the largest row number with a cell
};

// Adds the shape cells of every sheet's drawings (at most 200 in all) and
// returns how many were added.
int ReadXlsxDrawings(XlsxParts& parts, const XlsxWords& words, XlsxSheetDrawings& sheets, WorkbookTable& table);

}  // namespace convert
