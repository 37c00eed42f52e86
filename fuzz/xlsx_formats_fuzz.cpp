// The format codes of the XLSX export over any text: the settings line, the
// code reader of one field (as a column and as a row), and whole tables
// read into their sheet models (format row, width row, row and title
// codes), each then written as a worksheet. No record index passes its
// table: the column tables keep their 1001 entries, at most 1000 row records
// in ascending rows, every setting within its range; the worksheet stored
// as the sink stores it is well-formed XML.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "csv/csv_table.h"
#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_codes.h"
#include "export/xlsx/xlsx_prescan.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_sheetmodel.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

bool CellRefOk(const std::string& r) {
  std::size_t i = 0;
  std::uint64_t col = 0, row = 0;
  while (i < r.size() && r[i] >= 'A' && r[i] <= 'Z') col = col * 26 + static_cast<unsigned>(r[i++] - 'A' + 1);
  const std::size_t letters = i;
  while (i < r.size() && r[i] >= '0' && r[i] <= '9' && row < 100000000) row = row * 10 + static_cast<unsigned>(r[i++] - '0');
  return i == r.size() && letters > 0 && col <= 16384 && row >= 1 && row <= 1048576;
}

void CheckSettings(const xlsx::XlsxSheetSettings& s) {
  if (!((s.paper >= 'a' && s.paper <= 'z'))) Fail("paper letter", std::string(1, s.paper));
  if (s.scale < 0 || s.scale > 999) Fail("scale", std::to_string(s.scale));
  for (int m : {s.marginLeft, s.marginRight, s.marginTop, s.marginBottom})
    if (m < 0 || m > 399) Fail("margin", std::to_string(m));
  if (s.fitWidth < 0 || s.fitWidth > 999 || s.fitHeight < 0 || s.fitHeight > 999) Fail("fit", "range");
  if (s.defaultRowHeight < 0 || s.defaultRowHeight > 255) Fail("row height", std::to_string(s.defaultRowHeight));
  if (s.defaultColumnWidth < 0 || s.defaultColumnWidth > 9999) Fail("width", std::to_string(s.defaultColumnWidth));
  if (!CellRefOk(s.activeCell)) Fail("active cell", s.activeCell);
  if (!s.topLeftCell.empty() && !CellRefOk(s.topLeftCell)) Fail("top-left cell", s.topLeftCell);
  if (s.fontMode < 0 || s.fontMode > 3) Fail("font mode", std::to_string(s.fontMode));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  const char* raw = reinterpret_cast<const char*>(data);

  // One field of codes, as a column and as a row.
  for (int target = 0; target < 2; ++target) {
    xlsx::XlsxFormatRecord r;
    xlsx::XlsxCodeExtras x;
    x.columnCount = 20;
    x.belowTitle = target == 1;
    xlsx::XlsxReadCodes(raw, size, target ? xlsx::XlsxCodeTarget::kRow : xlsx::XlsxCodeTarget::kColumn, r, x);
    if (x.width != 0 && (x.width < 10002 || x.width > 10002 + 9999)) Fail("width", std::to_string(x.width));
    if (x.filter && (x.filterCode / 10000 > 9999 || x.filterCode % 10000 > 9999)) Fail("filter", "code");
  }
  // The text as a settings line.
  {
    xlsx::XlsxSheetSettings s;
    std::uint32_t r1c1 = 0;
    xlsx::XlsxReadSettingsLine(raw, size, size & 1, s, r1c1);
    CheckSettings(s);
  }

  // The text as a table: every sheet read and written.
  std::string text(raw, size);
  for (char& ch : text)
    if (ch == ',') ch = '\x06';
  csv::Table table;
  if (!table.Assign(text.data(), text.size(), 16)) return 0;
  auto run = std::make_unique<xlsx::XlsxRun>();
  const char* t = reinterpret_cast<const char*>(table.m_pTextBuf);
  const std::uint32_t len = t ? table.m_nTextLen : 0;
  if (!t) t = "";
  xlsx::XlsxPreScan(t, len, *run);
  const std::uint32_t blocks = std::min<std::uint32_t>(table.BlockCount(), 4);
  for (std::uint32_t n = 1; n <= blocks; ++n) {
    xlsx::XlsxReadSheetModel(table, t, len, n, *run);
    if (run->XlsxColumnFormats.size() != xlsx::kFormatRecords + 1) Fail("column records", "resized");
    if (run->XlsxColumnWidths.size() != xlsx::kFormatRecords + 1) Fail("column widths", "resized");
    if (run->XlsxRowFormats.size() > xlsx::kFormatRecords) Fail("row records", std::to_string(run->XlsxRowFormats.size()));
    if (run->XlsxRowFormats.size() != run->XlsxRowFormatRows.size()) Fail("row records", "rows disagree");
    for (std::size_t i = 1; i < run->XlsxRowFormatRows.size(); ++i)
      if (run->XlsxRowFormatRows[i - 1] >= run->XlsxRowFormatRows[i]) Fail("row records", "order");
    for (std::int32_t w : run->XlsxColumnWidths)
      if (w < 0 || w > 10002 + 9999) Fail("width code", std::to_string(w));
    CheckSettings(run->sheet.settings);
    if (run->XlsxR1C1Flag > 1) Fail("R1C1 flag", std::to_string(run->XlsxR1C1Flag));

    xlsx::XlsxSheetLayout layout = xlsx::SheetLayoutFromRun(*run, table);
    xlsx::XlsxSheetResult result;
    std::string part;
    if (!xlsx::WriteWorksheetText(table, layout, run->XlsxCellStyleTable, &part, &result)) continue;
    const std::string stored = exportcore::PartBytesOnDisk("xl/worksheets/sheet1.xml", part.data(), part.size());
    const std::string problem = testsupport::XmlWellFormedProblem(stored);
    if (!problem.empty()) Fail("worksheet", problem);
  }
  return 0;
}
