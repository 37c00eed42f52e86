// The ".xlsx" workbook reader: the parts of an unpacked package read into
// the workbook table (workbook_table.h) that the workbook layout prints,
// as the BIFF reader fills it for ".xls" files.
//
// Order of work: the workbook relationships and sheet names with the date
// system, the number formats, the shared strings, the sheets' drawing
// relationships, then the sheets "sheet1.xml", "sheet2.xml" ... in file-
// number order (widths, then cells formatted by xlsx_values.h), and last the
// pictures and text boxes of their drawings as shape cells.
//
// A missing part leaves its tables empty and the reading goes on; the sheet
// loop ends quietly at the first missing sheet. A part that exists but
// cannot be loaded (too large for the memory setting, locked) writes the
// loader's message and reads as empty. A part that ends inside a tag, and a
// shared-string part with more strings than the index holds, end the text
// with the damage line.
#pragma once

#include <cstdint>
#include <string>

#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"
#include "convert/workbook_table.h"

namespace convert {

// The document's words the reader uses.
struct XlsxWords {
  std::int32_t nChar = 157;             // m_nChar: a text stops at plane nChar - 1
  std::int32_t fixedDecimals = 0;       // m_nFixedDecimals
  std::int32_t groupSwitch = 0;         // m_nGroupSwitch: nonzero also empties picture cells
  std::uint64_t memoryLimit = 41943040; // m_nTextBufSize: a larger part is not loaded
};

struct XlsxRead {
  int shapeCells = 0;       // picture and text-box cells added (0-200)
  std::string damagedPart;  // the first damaged part's name; empty when none
};

// Reads the workbook into `table` (allocated by the caller). Loader
// messages go to `out`.
XlsxRead ReadXlsxWorkbook(OoxmlPackage& package, const XlsxWords& words, WorkbookTable& table, LoadBuffer& out);

// The damage line: "\r\n", string 210 and the part's name in parentheses.
void WriteXlsxDamage(const std::string& part, LoadBuffer& out);

}  // namespace convert
