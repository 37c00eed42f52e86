// Condition objects of a format section ("if:" in the positions field): the
// cells a condition selects take the object's format.
//
// For each condition object in record order, the sheet's own lines (from
// its start, a leading "!*" line left out, up to a line "!%" or "!$"; in
// skip-row mode the line after the title row left out) are copied into a
// table of the step's own and indexed; the condition (its '=' written "==")
// runs through the CSV selection with the command that writes the marker
// "zz%02d" (the record's number) into the selected cells: the next field
// with every "nn" replaced by the marker, or "&=zz%02d". The marked cells
// are written into the object grid. The view's table is only read.
#pragma once

#include <cstdint>
#include <vector>

#include "csv/csv_table.h"
#include "export/xlsx/xlsx_grid.h"
#include "fw/cstring.h"

namespace xlsx {

// The CSV selection the step runs, on the step's own table (its field
// count and title line set for the call); the result is the statement's.
class XlsxConditionSelector {
 public:
  virtual ~XlsxConditionSelector() = default;
  virtual int Select(csv::Table& table, const CString& condition, const CString& command) = 0;
};

struct XlsxConditionInput {
  const char* text = nullptr;  // the view's table text (read only)
  std::uint64_t length = 0;
  std::uint64_t sheetStart = 0;   // offset of the sheet's first line
  std::uint64_t sheetEnd = 0;     // offset where the sheet's text ends
  std::uint64_t sectionStart = 0, sectionEnd = 0;  // a condition's text lies in here
  std::uint32_t columnCount = 1;  // the sheet's columns
  std::uint32_t titleLine = 1;    // the title row, counted in the sheet's own lines
  bool skipRow = false;           // skip-row mode ('S')
  bool htmlMode = false;          // mode 'H': the marked cells are also listed
};

// The longest condition text taken.
constexpr int kConditionTextMax = 1000;

// The condition with every single '=' (not after '\', '>', '<', '!', '~' or
// '=', not before ':' or '=') written "=="; empty for three bytes or fewer.
std::string ConditionText(const char* p, std::uint64_t n);
// The command of object number k: the `field` (when it begins with a byte
// above the blank other than '/') with every "nn" replaced by the marker,
// else "&=zz%02d".
std::string ConditionCommand(const char* field, std::uint64_t n, std::uint32_t k);

// Runs every condition object of `layer` (the grid allocated) and writes
// the marked cells into the grid; in mode 'H' also lists them in *marks.
// False when the step's table cannot be had (*neededBytes: its size);
// the grid and the view's text are then as before the failing object.
bool XlsxResolveConditions(const XlsxConditionInput& in, XlsxObjectLayer& layer, XlsxConditionSelector& selector,
                           std::vector<XlsxConditionMark>* marks, std::uint64_t* neededBytes);

// The sheet's own lines as the step copies them (for tests and the sizes).
std::uint64_t ConditionLinesBytes(const XlsxConditionInput& in);

}  // namespace xlsx
