// The number formats of an ".xlsx" workbook ("xl/styles.xml"): the class of
// every workbook-defined format code, and the cell formats that name a
// format by its id. A cell's style index gives its format class.
#pragma once

#include <cstdint>
#include <vector>

#include "convert/ooxml_part.h"

namespace convert {

constexpr int kXlsxFormatIds = 2000;    // format ids kept (0-1999)
constexpr int kXlsxCellFormats = 2000;  // cell formats kept

class XlsxStyles {
 public:
  XlsxStyles();
  // Reads the "<numFmts>" classes and the "<cellXfs>" list of the part.
  void Read(const PartText& text);
  // The format class of style index `s` (the cell's "s="); 0 (General) for
  // index 0, an index no cell format has, or a format id of 2000 or more.
  std::int32_t CellClass(std::int32_t s) const;
  // The number-format id of style index `s` (-1 when none).
  std::int32_t FormatId(std::int32_t s) const;

 private:
  std::vector<std::int32_t> m_classOfId;  // format id -> class
  std::vector<std::int32_t> m_cellFormat; // cell-format index -> format id
};

}  // namespace convert
