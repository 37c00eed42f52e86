// The chart definition readers over any text, offsets, item numbers and
// modes, and the fragment builders over the fields they read. The text lies
// in a heap block of exactly its length, so a read past it is caught. Checks:
// field and cell lengths, number texts, the cell list (in the text, at most
// 99, its 0 inside, the count in ptCount) and every fragment well-formed
// inside a root element (bytes from 0x80 stand in for converted text).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "export/chart/chart_fields.h"
#include "export/chart_fragments.h"
#include "tests/support/xml_wellformed.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckFragment(const std::string& xml) {
  std::string doc = "<r>" + xml + "</r>";
  for (char& c : doc)
    if (static_cast<unsigned char>(c) >= 0x80) c = 'x';
  Check(testsupport::XmlWellFormedProblem(doc).empty());
}

struct NoHost : chart::ChartHost {
  void ShowMessage(const CString& text) override { Check(text.GetLength() > 0); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  const int item = data[0] % 12;
  const int mode = data[1] & 1;
  const int defaultValue = static_cast<std::int8_t>(data[2]) == -1 ? chart::kChartNoDefault : data[2];
  const int kind = data[3] % 8;
  const bool starSkip = (data[4] & 1) != 0;
  const int defaultSheet = data[5] % 5;
  const std::uint32_t len = static_cast<std::uint32_t>(size - 8);
  std::unique_ptr<char[]> block(new char[len == 0 ? 1 : len]);
  if (len != 0) std::memcpy(block.get(), data + 8, len);
  chart::ChartText t{block.get(), len, 6};
  const std::int64_t p = len == 0 ? 0 : static_cast<std::int64_t>((data[6] | (data[7] << 8)) % (len + 2)) - 1;

  std::string field = chart::ChartFieldText(t, p, item, defaultValue);
  Check(field.size() <= chart::kChartFieldMax);
  const int value = chart::ChartFieldInt(t, p, item, defaultValue);
  Check(value >= 0);
  chart::ChartNumbers numbers;
  chart::ChartNumberList(t, p, numbers);
  if (p >= 0) {
    std::string cell = chart::ChartCellText(t, static_cast<std::uint32_t>(p), mode);
    Check(cell.size() <= chart::kChartCellMax);
    if (mode != chart::kChartCellLabel) Check(cell.empty() || chart::ChartIsNumberText(cell));
  }

  const std::string names[5] = {"", "A&B", "it's", "\x83^", ""};
  std::uint32_t starts[5] = {0, 0, len / 3, len / 2, len};
  chart::ChartSheetList sheets{names, starts, 5};
  chart::CellOffsetList cells;
  int sheet = -1;
  int count = -1;
  NoHost host;
  chart::ChartMessages messages;
  messages.host = &host;
  std::string head = chart::XlsxSeriesFormula(t, p, sheets, cells, sheet, defaultSheet, starSkip, messages, &count);
  Check(count >= 0 && static_cast<std::size_t>(count) <= chart::kChartMaxCells);
  Check(cells[count] == 0);
  for (int k = 0; k < count; ++k) Check(cells[k] < len);
  Check(sheet >= 1 && sheet < 5);
  Check(head.find("<c:ptCount val=\"" + std::to_string(count) + "\"/>") != std::string::npos);
  CheckFragment(head + "</c:numCache>");
  for (int k = 0; k < count; ++k) {
    std::string text = chart::ChartCellText(t, cells[k], mode);
    Check(text.size() <= chart::kChartCellMax);
  }

  CheckFragment(exportcore::XlsxMarkerXml(field));
  CheckFragment(exportcore::XlsxLineXml(field));
  CheckFragment(exportcore::XlsxDataLabelsXml(field, kind));
  CheckFragment(exportcore::XlsxTextBodyXml(field, field, mode));
  CheckFragment(exportcore::XlsxTextBodyXml(field, "", 0));
  Check(exportcore::XlsxColorHex(field).size() == 6);
  Check(exportcore::XlsxLightColorHex(field).size() == 6);
  Check(!exportcore::XlsxPatternName(value).empty());
  return 0;
}
