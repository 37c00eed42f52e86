#include "export/chart/chart_fields.h"

namespace chart {

bool ChartLeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF) || (c >= 0xFA && c <= 0xFC); }
std::string ChartFieldText(const ChartText&, std::int64_t, int, int) { return {}; }
int ChartFieldInt(const ChartText&, std::int64_t, int, int) { return 0; }
std::string ChartCellText(const ChartText&, std::uint32_t, int) { return {}; }
bool ChartIsNumberText(const std::string&) { return false; }
void ChartNumberList(const ChartText&, std::int64_t, ChartNumbers& list) { list.fill(0); }
std::string XlsxSeriesFormula(const ChartText&, std::int64_t, const ChartSheetList&, CellOffsetList& cells, int& sheetIndex,
                              int, bool, ChartMessages&, int* pointCount) {
  cells.fill(0);
  sheetIndex = 1;
  if (pointCount) *pointCount = 0;
  return {};
}

}  // namespace chart
