// The rows and cells of a worksheet: one row element per text row of the
// sheet's block and one cell per field, each with its composed cell style, as
// a formula, a number or an inline string.
#pragma once

#include <cstddef>
#include <cstdint>

#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_style_slots.h"

namespace csv {
struct TableFields;
}

namespace xlsx {

class XlsxWorkBuffer;

// The appends the worksheet writers make to the run's buffer. Once an
// append fails (no memory to grow) Failed() stays true and further appends
// do nothing.
class SheetOut {
 public:
  explicit SheetOut(XlsxWorkBuffer& b) : m_b(b) {}
  void Str(const char* s);
  void Bytes(const void* p, std::size_t n);
  void Byte(unsigned char b);
  void Dec(std::int64_t v);
  std::uint64_t Size() const;
  void Truncate(std::uint64_t size);
  bool Failed() const;

 private:
  XlsxWorkBuffer& m_b;
};

// What the row walk will write: the widest row (in fields, at most 16384,
// at least the layout's column count) and the number of rows.
struct XlsxSheetExtent {
  std::uint32_t widest = 1;
  std::uint32_t rows = 0;
};
XlsxSheetExtent MeasureSheetRows(const csv::TableFields& t, const XlsxSheetLayout& layout);

// Writes every row of the sheet between "<sheetData>" and "</sheetData>".
// `spanColumns` is the spans attribute's last column. Stops after the row in
// which `out` failed to grow (result.cut; the caller cuts the part back to
// `*lastWholeRow`, the output size after the last complete row).
void WriteSheetRows(const csv::TableFields& t, const XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                    XlsxWorkBuffer& out, XlsxSheetResult& result, std::uint32_t spanColumns,
                    std::uint64_t* lastWholeRow);

// How a field is written, for the given type code (position 1 of the
// cell's style without its high bit) on a data row that may hold numbers.
enum class XlsxCellKind { kText, kNumber, kFormula };
struct XlsxFieldClass {
  XlsxCellKind kind = XlsxCellKind::kText;
  bool grouped = false;   // quoted with a ',' among its digits
  bool hasPoint = false;  // one '.'
  std::uint32_t formulaStart = 0;  // offset of the formula's '=' in the field
};
// `field` runs to its first byte of 31 or less (or `len`).
XlsxFieldClass ClassifyField(const unsigned char* field, std::uint32_t len, unsigned char typeCode,
                             bool numberCandidate);

}  // namespace xlsx
