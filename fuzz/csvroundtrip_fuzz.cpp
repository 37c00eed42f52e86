// A CSV file of any bytes loaded into a table and saved without an edit:
// the same bytes come back (a 0x06 byte of the file, which the working form
// cannot tell from a separator, as ','). The same holds after the display
// was taken back unedited in both display forms. Any bytes taken as a
// working form give a comma form that loads back into the same fields (a
// line break inside a quoted cell stays an in-cell code, never a row end).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "csv/csv_fileform.h"
#include "csv/csv_table.h"
#include "view/viewload/csvrebuild.h"
#include "view/viewload/csvshow.h"

namespace {

// Separators and row ends of a working form, in order.
std::string Shape(const std::string& w) {
  std::string s;
  for (char c : w)
    if (c == '\x06' || c == '\r' || c == '\n') s += c;
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string expect(reinterpret_cast<const char*>(data), size);
  for (char& c : expect)
    if (c == '\x06') c = ',';

  auto table = std::make_unique<csv::Table>();
  if (!table->LoadFileText(data, size, 16)) std::abort();
  if (table->FileText(csv::CommaFormKind::kComma) != expect) std::abort();
  if (table->m_pTextBuf[table->m_nTextLen] != 0) std::abort();

  for (bool hide : {false, true}) {
    viewload::CsvShowOptions o;
    o.hideQuotes = hide;
    std::string shown, rebuilt;
    viewload::AppendCsvShown(table->m_pTextBuf, table->UsedLength(), o, shown);
    viewload::RebuildWorkingForm(table->m_pTextBuf, table->UsedLength(), o, shown.data(), shown.size(), rebuilt);
    auto again = std::make_unique<csv::Table>();
    if (!again->Assign(rebuilt.data(), rebuilt.size(), 0)) std::abort();
    again->m_bCellCodesAreData = table->m_bCellCodesAreData;
    if (again->FileText(csv::CommaFormKind::kComma) != expect) std::abort();
  }

  // The input as a working form (edited rows of any shape).
  const std::string work(reinterpret_cast<const char*>(data), size);
  const std::string file = csv::ToCommaForm(data, size, csv::CommaFormKind::kComma);
  if (file.find('\x06') != std::string::npos) std::abort();
  std::string loaded(file.size(), '\0');
  csv::CommasToFieldSeparators(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(),
                               reinterpret_cast<std::uint8_t*>(&loaded[0]));
  if (Shape(loaded) != Shape(work)) std::abort();
  return 0;
}
