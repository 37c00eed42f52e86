// The ".xlsx" reader and the workbook layout over a package held in memory.
// The first byte chooses the display mode, the number words and "n_char";
// the rest is split at each "\n|\n" into the parts, in this order: the
// workbook relationships, the workbook, the styles, the shared strings,
// sheets 1 and 2, sheet 1's relationships, drawing 1 with its
// relationships, and legacy drawing 1 with its relationships.
// Checks: the reading ends; the cells held stay within the capacity and
// every count covers what is held; every stored value's kind code agrees
// with its length, and a number's text holds only digits, signs, points,
// commas, "%", "E" and a currency sign; shape cells are at most 200; sheet
// names fit their slots.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/ooxml_package.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"
#include "convert/xlsx_reader.h"

using namespace convert;

namespace {

const char* const kParts[] = {
    "xl/_rels/workbook.xml.rels",       "xl/workbook.xml",
    "xl/styles.xml",                    "xl/sharedStrings.xml",
    "xl/worksheets/sheet1.xml",         "xl/worksheets/sheet2.xml",
    "xl/worksheets/_rels/sheet1.xml.rels", "xl/drawings/drawing1.xml",
    "xl/drawings/_rels/drawing1.xml.rels", "xl/drawings/vmlDrawing1.vml",
    "xl/drawings/_rels/vmlDrawing1.vml.rels",
};

bool NumberText(const std::string& s) {
  for (char c : s)
    if (!std::strchr("0123456789,.-+%E$\\", c) || c == '\0') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = data[0];
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  MemoryPackage package;
  std::size_t from = 0;
  for (const char* name : kParts) {
    if (from > input.size()) break;
    std::size_t end = input.find("\n|\n", from);
    if (end == std::string::npos) end = input.size();
    package.Add(name, input.substr(from, end - from));
    from = end + 3;
  }
  WorkbookTable table;
  const std::int32_t nChar = (options & 0x40) ? 157 : 12;
  if (!table.Allocate(400, nChar)) std::abort();
  table.m_nKind = 36;
  XlsxWords words;
  words.nChar = nChar;
  words.fixedDecimals = (options & 0x04) ? 3 : 0;
  words.groupSwitch = (options & 0x08) ? 10 : (options & 0x10) ? 1 : 0;
  words.memoryLimit = (options & 0x20) ? 64 : 1 << 20;
  LoadBuffer out;
  const XlsxRead r = ReadXlsxWorkbook(package, words, table, out);
  if (r.shapeCells < 0 || r.shapeCells > kWorkbookShapeCells || table.ShapeCount() != r.shapeCells) std::abort();
  if (static_cast<std::int32_t>(table.Cells().size()) > table.Capacity()) std::abort();
  if (table.m_nCellCount < static_cast<std::int32_t>(table.Cells().size())) std::abort();
  for (std::int32_t i = 0; i < table.ValueSlots(); ++i) {
    const std::int32_t k = table.Kind(i);
    const std::int32_t n = table.Length(i);
    if (k == 0) continue;
    if (n > table.MaxChars()) std::abort();
    if (k != 1000 + n && k != 9000 + n) std::abort();
    if (k > 9000 && !NumberText(table.Text(i))) std::abort();
  }
  for (std::int32_t s = 0; s < kWorkbookSheetNames; ++s)
    if (std::strlen(table.SheetName(s)) >= static_cast<std::size_t>(kWorkbookNameBytes)) std::abort();
  WorkbookLayoutRequest req;
  static const int kModes[] = {0, 1, 2, 10};
  req.xlsMode = kModes[options & 3];
  req.nChar = nChar;
  req.rtbl = 300;
  req.outdata = 200000;
  LayoutWorkbook(table, req, out);
  WriteXlsxDamage(r.damagedPart, out);
  return 0;
}
