#include "export/chart/chart_writer.h"

#include <cstdio>
#include <vector>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_groups.h"
#include "export/chart/chart_steps.h"
#include "export/part_sink.h"

namespace chart {
namespace {

// The chart groups of the block's kind, then the axes and the legend.
void WriteGroups(ChartCall& c) {
  switch (c.kind) {
    case ChartKind::kBar:
    case ChartKind::kLine:
    case ChartKind::kRadar:
    case ChartKind::kSurface:
      WriteBarLineGroups(c);
      break;
    case ChartKind::kPie:
      WritePieGroup(c);
      break;
    case ChartKind::kScatter:
    case ChartKind::kBubble:
      WriteScatterBubbleGroup(c);
      break;
    case ChartKind::kNone:
      break;
  }
  WriteAxesAndLegend(c);
}

}  // namespace

int XlsxWriteChart(exportcore::ByteWriter& drawing, std::uint32_t blockOffset, int sheet, const ChartSheetList& sheets,
                   int* chartIndex, int* chartNumber, const std::int32_t* columnWidths, int widthCount, int pixelScale,
                   std::uint32_t blockStart, const csv::TableFields& table, exportcore::PartSink& sink,
                   ChartMessages* messages) {
  ChartCall c;
  c.table = ChartTextOf(table);
  if (!c.table.text) c.table.text = "";
  c.sheets = sheets;
  c.sheet = sheet;
  c.columnWidths = columnWidths;
  c.columnWidthCount = columnWidths ? widthCount : 0;
  c.pixelScale = pixelScale;
  c.callerValue = blockStart;
  c.messages = messages;
  if (sheets.names && sheet >= 0 && static_cast<std::size_t>(sheet) < sheets.count) c.sheetName = sheets.names[sheet];
  c.dataStart = ChartSheetDataStart(c.table.text, c.table.len, sheet);
  // The series formulas read the chart's own sheet from its data start.
  std::vector<std::uint32_t> starts;
  if (sheets.starts && sheet >= 0 && static_cast<std::size_t>(sheet) < sheets.count) {
    starts.assign(sheets.starts, sheets.starts + sheets.count);
    starts[static_cast<std::size_t>(sheet)] = c.dataStart;
    c.sheets.starts = starts.data();
  }
  c.chartIndex = 1;
  c.chartNumber = chartNumber ? *chartNumber : 1;
  if (chartIndex) *chartIndex = 1;

  const std::size_t drawingStart = drawing.Size();
  int written = 0;
  c.blockStart = blockOffset;
  for (;;) {
    c.ResetForNextBlock();
    ReadChartBlock(c);
    ClassifyChart(c);
    ChartSeriesCounts(c);
    // A block without a size or without a chart group is not drawn.
    if (c.kind != ChartKind::kNone && ChartLayout(c)) {
      WriteChartHead(c);
      WriteGroups(c);
      WriteChartEnd(c);
      char path[40];
      std::snprintf(path, sizeof path, "xl/charts/chart%d.xml", c.chartNumber);
      if (!sink.WritePart(path, c.xml)) {
        drawing.Truncate(drawingStart);
        if (chartNumber) *chartNumber = c.chartNumber;
        return -1;
      }
      if (c.chartIndex == 1) AppendDrawingHead(drawing);
      AppendChartAnchor(c, drawing);
      ++c.chartIndex;
      ++c.chartNumber;
      ++written;
    }
    // Another "!$" block follows directly: it goes into the same drawing.
    if (c.terminator != '$' || c.blockEnd >= c.table.len) break;
    c.blockStart = c.blockEnd;
  }
  if (chartIndex) *chartIndex = c.chartIndex;
  if (chartNumber) *chartNumber = c.chartNumber;
  if (written == 0) {
    drawing.Truncate(drawingStart);
    return -1;
  }
  AppendDrawingEnd(drawing);
  return c.blockEnd > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(c.blockEnd);
}

}  // namespace chart
