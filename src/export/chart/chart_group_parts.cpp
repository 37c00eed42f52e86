// Pieces the chart groups and the axes share.
#include "export/chart/chart_group_parts.h"

#include <cstdio>
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart_fragments.h"

namespace chart {
namespace groups {

namespace {

const char* const kAutoColorCodes[] = {"R", "B", "G", "Y", "O", "I", "S", "V", "A"};

}  // namespace

std::string Item(const ChartCall& c, std::uint32_t p, int n) {
  if (p == 0) return std::string();
  return ChartFieldText(c.table, p, n, kChartNoDefault);
}

int ItemInt(const ChartCall& c, std::uint32_t p, int n) {
  if (p == 0) return 0;
  return ChartFieldInt(c.table, p, n, kChartNoDefault);
}

void AppendText(exportcore::ByteWriter& w, const std::string& text) { exportcore::AppendXmlEscaped(w, text); }

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char ch : text)
    if (ch < '0' || ch > '9') return false;
  return true;
}

std::string Fraction(long long percent) {
  if (percent < 0) percent = 0;
  if (percent > 99) percent = 99;
  char buf[8];
  std::snprintf(buf, sizeof buf, "0.%02d", static_cast<int>(percent));
  return buf;
}

std::string PixelFraction(const ChartCall& c, std::uint32_t p, int n, std::int64_t size) {
  long long v = ItemInt(c, p, n);
  if (v > 1 && size > 0) return Fraction(100 * v / size);
  return Item(c, p, n);
}

const char* AutoColorCode(int placeFromEnd) {
  constexpr int kLast = static_cast<int>(sizeof kAutoColorCodes / sizeof kAutoColorCodes[0]) - 1;
  if (placeFromEnd < 0 || placeFromEnd > kLast) return kAutoColorCodes[kLast];
  return kAutoColorCodes[placeFromEnd];
}

std::string SeriesFormula(ChartCall& c, std::uint32_t p, bool starSkip, CellOffsetList& cells, int& count) {
  ChartMessages ownMessages;
  ChartMessages& messages = c.messages ? *c.messages : ownMessages;
  count = 0;
  return XlsxSeriesFormula(c.table, p, c.sheets, cells, c.sheetIndex, c.sheet, starSkip, messages, &count);
}

SeriesNames ReadSeriesNames(ChartCall& c) {
  SeriesNames names;
  if (c.namesFromCells) SeriesFormula(c, c.kw.zname, true, names.cells, names.count);
  return names;
}

std::string SeriesName(const ChartCall& c, const SeriesNames& names, int i) {
  if (c.namesFromCells) {
    if (i >= 0 && i < names.count) return ChartCellText(c.table, names.cells[i], kChartCellLabel);
    return "data" + std::to_string(i);
  }
  return Item(c, c.kw.zname, i);
}

void AppendFill(exportcore::ByteWriter& w, const std::string& code) {
  if (!code.empty() && code[0] >= '0' && code[0] <= '9') {
    int pattern = 10 * (code[0] - '0');
    if (code.size() > 1) pattern += code[1] - '0';
    std::string colour = exportcore::XlsxColorHex(code.size() > 2 ? code.substr(2) : std::string());
    w.AppendFormat("<a:pattFill prst=\"%s\"><a:fgClr><a:srgbClr val=\"%s\"/></a:fgClr>",
                   exportcore::XlsxPatternName(pattern).c_str(), colour.c_str());
    w.Append("<a:bgClr><a:schemeClr val=\"bg1\"/></a:bgClr></a:pattFill>");
    return;
  }
  w.AppendFormat("<a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill>", exportcore::XlsxColorHex(code).c_str());
}

void AppendCategories(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  if (Item(c, c.kw.xname, 0) == "cell") {
    CellOffsetList cells{};
    int count = 0;
    SeriesFormula(c, c.kw.xname, false, cells, count);
    for (int k = 0; k < count; ++k) {
      std::string text = ChartCellText(c.table, cells[k], kChartCellLabel);
      if (text.empty()) continue;
      w.AppendFormat("<c:pt idx=\"%d\"><c:v>", k);
      AppendText(w, text);
      w.Append("</c:v></c:pt>");
    }
    return;
  }
  // Item by item up to the first empty one, at most as many as a cell
  // range gives.
  for (int k = 0; k < static_cast<int>(kChartMaxCells); ++k) {
    std::string text = Item(c, c.kw.xname, k);
    if (text.empty()) break;
    w.AppendFormat("<c:pt idx=\"%d\"><c:v>", k);
    AppendText(w, text);
    w.Append("</c:v></c:pt>");
  }
}

void AppendValues(ChartCall& c, std::uint32_t dataLine, EmptyValue empty) {
  exportcore::ByteWriter& w = c.xml;
  CellOffsetList cells{};
  int count = 0;
  w.Append(SeriesFormula(c, dataLine, false, cells, count).c_str());
  for (int k = 0; k < count; ++k) {
    // The number text of a cell that holds no number comes back empty.
    std::string value = ChartCellText(c.table, cells[k], kChartCellNumber);
    if (!IsNumber(value)) {
      if (empty == EmptyValue::kSkip) continue;
      value = "0";
    }
    w.AppendFormat("<c:pt idx=\"%d\"><c:v>%s</c:v></c:pt>", k, value.c_str());
  }
}

}  // namespace groups
}  // namespace chart
