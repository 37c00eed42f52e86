// The Excel BIFF reader: the record loop over a workbook stream (the
// "Workbook" or "Book" stream of a compound document, or a bare BIFF file)
// that fills the workbook table - shared strings, cell values rendered by
// their formats, formats, widths, sheet names, the picture table and the
// shape cells of pictures and text boxes. The workbook layout prints the
// table afterwards.
//
// Sheets are counted by their own start records (a BOF at the top level that
// is not the workbook globals'), so the cells, shapes and widths of the n-th
// sheet stream belong to sheet n - 1 whatever other records the writer put
// in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/workbook_table.h"

namespace convert {

struct BiffWords {
  std::int32_t openContext = 0;  // 2: the inspection listing of the string table, "<END>" at the end
  std::int32_t xlsMode = 0;
  std::int32_t xlsDecimals = 0;
  std::int32_t rtbl = 2000;      // shapes are kept at rows below it
  std::int32_t nChar = 157;      // a text box keeps nChar - 1 characters
  std::int32_t language = 0;
  bool bare = false;             // a bare BIFF file: taken as BIFF5
};

// How the record loop ended.
struct BiffRead {
  bool ended = false;            // a message that ends the conversion was written
  const char* damage = nullptr;  // the record whose damage stopped the loop (for the damage line)
  std::vector<std::string> sheetRecordNames;  // the names of the sheet records, in order
};

// Reads the records of data[start, end) into `table` (allocated by the
// caller). Picture positions are offsets into `data`. Bytes of the stream may
// be rewritten (continuation lengths) while it is read.
BiffRead ReadBiffRecords(std::uint8_t* data, std::int32_t start, std::int32_t end, const BiffWords& words,
                         WorkbookTable& table, LoadBuffer& out);

// The sheet names of a document-summary property set: the first vector of
// 8-bit strings (1E 10 00 00) in data[from, to), in order. Empty when none.
std::vector<std::string> BiffSummarySheetNames(const std::uint8_t* data, std::int32_t from, std::int32_t to);

}  // namespace convert
