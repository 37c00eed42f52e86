// The rows and cells of a worksheet: one row element per text row of the
// sheet's block and one cell per field, each with its composed cell style, as
// a formula, a number or an inline string.
#pragma once

#include <cstddef>
#include <cstdint>

#include "export/byte_writer.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_style_slots.h"

namespace csv {
struct TableFields;
}

namespace xlsx {

// The appends the worksheet writers make to the run's buffer.
class SheetOut {
 public:
  explicit SheetOut(exportcore::ByteWriter& b) : m_b(b) {}
  void Str(const char* s) { m_b.Append(s); }
  void Bytes(const void* p, std::size_t n) { m_b.Append(static_cast<const char*>(p), n); }
  void Byte(unsigned char b) { m_b.AppendByte(static_cast<char>(b)); }
  void Dec(std::int64_t v) { m_b.AppendDecimal(v); }
  std::uint64_t Size() const { return m_b.Size(); }
  bool Failed() const { return m_b.Failed(); }
  // Makes room for `bytes` more bytes; false when memory is short, with the
  // buffer still usable for what fits already.
  bool Room(std::uint64_t bytes);

 private:
  exportcore::ByteWriter& m_b;
};

// What the row walk will write: the widest row (in fields, at most 16384,
// at least the layout's column count) and the number of rows.
struct XlsxSheetExtent {
  std::uint32_t widest = 1;
  std::uint32_t rows = 0;
};
XlsxSheetExtent MeasureSheetRows(const csv::TableFields& t, const XlsxSheetLayout& layout);

// Writes every row of the sheet between "<sheetData>" and "</sheetData>".
// `spanColumns` is the spans attribute's last column. Before each row it
// makes room for the row and for `closeBytes` more (the rest of the part);
// when memory is short it stops there (result.cut), so the part can still
// be closed.
void WriteSheetRows(const csv::TableFields& t, const XlsxSheetLayout& layout, XlsxStyleSlots& slots,
                    exportcore::ByteWriter& out, XlsxSheetResult& result, std::uint32_t spanColumns,
                    std::uint64_t closeBytes);

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
