// The BIFF reader and the workbook layout over any stream. The first byte
// chooses the display mode (0, 1, 2 or 11), quick load, the inspection
// listing and the bare form; the rest is the stream, in an exact-size copy
// so that a read past it is found.
// Checks: the reading ends; the cells and values held stay within the
// capacity and every count covers what is held; every stored value's kind
// code agrees with its length; shape cells are at most 200 and the picture
// table at most 400; sheet names fit their slots.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/biff_reader.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"

using namespace convert;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  static const int kModes[] = {0, 1, 2, 11};
  std::vector<std::uint8_t> stream(data + 1, data + size);
  WorkbookTable table;
  if (!table.Allocate(600, 40)) std::abort();
  BiffWords w;
  w.xlsMode = kModes[options & 3];
  w.openContext = (options & 0x08) ? 2 : 0;
  w.bare = (options & 0x10) != 0;
  w.nChar = 40;
  w.rtbl = 300;
  w.xlsDecimals = (options >> 5) & 3;
  LoadBuffer out;
  const BiffRead r = ReadBiffRecords(stream.data(), 0, static_cast<std::int32_t>(stream.size()), w, table, out);
  if (static_cast<std::int32_t>(table.Cells().size()) > table.Capacity()) std::abort();
  if (table.m_nCellCount < static_cast<std::int32_t>(table.Cells().size())) std::abort();
  if (table.m_nValueCount > table.Capacity() && table.Kind(table.Capacity()) != 0 && table.ShapeCount() == 0) std::abort();
  for (std::int32_t i = 0; i < table.ValueSlots(); ++i) {
    const std::int32_t k = table.Kind(i);
    const std::int32_t n = table.Length(i);
    if (k == 0) continue;
    if (n > table.MaxChars()) std::abort();
    if (k != 1000 + n && k != 9000 + n) std::abort();
  }
  if (table.ShapeCount() > kWorkbookShapeCells || table.m_pictures.Count() > OfficePictureTable::kMax) std::abort();
  for (std::int32_t s = 0; s < kWorkbookSheetNames; ++s)
    if (std::strlen(table.SheetName(s)) >= static_cast<std::size_t>(kWorkbookNameBytes)) std::abort();
  if (r.ended) return 0;
  WorkbookLayoutRequest req;
  req.xlsMode = w.xlsMode;
  req.readerMode = (options >> 2) & 1 ? 1 : 0;
  req.quickLoad = (options & 0x80) ? 1 : 0;
  req.nChar = 40;
  req.rtbl = 300;
  req.outdata = 200000;
  LayoutWorkbook(table, req, out);
  return 0;
}
