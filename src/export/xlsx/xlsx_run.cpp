#include "export/xlsx/xlsx_run.h"

#include <algorithm>

namespace xlsx {
namespace {

// The column records of a sheet before its codes are read, made once: every
// sheet of every run starts from a copy.
const std::vector<XlsxFormatRecord>& BlankColumnFormats() {
  static const std::vector<XlsxFormatRecord> blank(kFormatRecords + 1);
  return blank;
}

}  // namespace

void XlsxRun::ClearSheet() {
  sheet = XlsxSheetModel();
  if (htmlMode) sheet.settings.numberFormat = '_';
  XlsxColumnFormats = BlankColumnFormats();
  std::fill(XlsxColumnWidths.begin(), XlsxColumnWidths.end(), 0);
  XlsxRowFormats.clear();
  XlsxRowFormatRows.clear();
  // A byte value: the fill is one memset, not a loop over 9,000 bytes.
  std::fill(XlsxRowHeights.begin(), XlsxRowHeights.end(), std::uint8_t{18});
  ClearSection();
}

void XlsxRun::ClearSection() {
  XlsxObjects.Clear();
  XlsxMergeCount = 0;
  XlsxShapeCount = 0;
  XlsxPictureLines = 0;
  XlsxSheetProtected = false;
  XlsxConditionMarks.clear();
}

void XlsxRun::Clear() {
  htmlMode = false;
  for (auto& n : XlsxSheetNames) n.clear();
  firstSheet = 0;
  XlsxSheetStart.fill(0);
  for (int i = 0; i < kSheetSlots; ++i) XlsxSheetOrder[i] = static_cast<std::uint32_t>(i);
  XlsxSheetOrder[0] = 0;
  XlsxExtraNames.clear();
  sheetOneStart = 0;
  sheetOneFirstRow = 1;
  headCount = 0;
  XlsxChartSlots.fill(0);
  XlsxPictureCount.fill(0);
  XlsxFilterColumns.fill(0);
  XlsxFilterRow.fill(0);
  XlsxR1C1Flag = 0;
  XlsxSheetCount = 0;
  XlsxCellStyleTable.clear();
  XlsxWorkBuffer.Clear();
  XlsxHtmlBuffer.Clear();
  XlsxDrawingBuffer.Release();
  XlsxChartNumber = 1;
  XlsxChartMessages = chart::ChartMessages();
  XlsxPictureNumber = 0;
  ClearSheet();
}

}  // namespace xlsx
