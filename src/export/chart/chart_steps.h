// The steps of one chart writer call, in the order the writer runs them:
// the sheet's data start, the block reading, the kind and counts, the layout,
// the head, then (after the chart groups and the axes) the end of the chart
// XML and the drawing anchor.
#pragma once

#include <cstdint>
#include <string>

#include "export/chart/chart_call.h"

namespace exportcore {
class ByteWriter;
}

namespace chart {

// Where sheet n's table data begin in the text: for sheet 1 the start, or
// the second line when the text begins "!*"; for a later sheet the byte
// after the "!" that starts its block (counting every "!#" and "!*"), moved
// past its line when that byte is '*'. 0 when the text has fewer blocks.
std::uint32_t ChartSheetDataStart(const char* text, std::uint32_t len, int n);

// Reads the block whose "!$" line starts at c.blockStart: the keyword value
// offsets (the later line wins), at most kMaxDataLines data lines, the end
// offset and the terminator byte.
void ReadChartBlock(ChartCall& c);

// The kind, the grouping and the flags from item 0 of the graph line, then
// the bar and line series counts.
void ClassifyChart(ChartCall& c);
void ChartSeriesCounts(ChartCall& c);

// Pixels of the columns from `first` up to but not including `end` (both
// from 1) by the sheet's width codes and pixel scale.
std::int64_t ChartColumnPixels(const ChartCall& c, std::int64_t first, std::int64_t end);

// The pixel size and the anchor values from the graph line. False when the
// chart has no size (a width or height of 0 or less in pixels).
bool ChartLayout(ChartCall& c);

// "0.%02d" of v, v clamped to 0-99.
std::string ChartFraction(std::int64_t v);

// The chart XML from its declaration to the plot area's layout, then the
// names from cells, the Auto flags and the gap width.
void WriteChartHead(ChartCall& c);

// The end of the chart XML after the legend: the chart's end, the
// background fill and the print settings.
void WriteChartEnd(ChartCall& c);

// The drawing part's head (before its first chart) and one chart's anchor
// with its graphic frame; and the drawing's end.
void AppendDrawingHead(exportcore::ByteWriter& drawing);
void AppendChartAnchor(const ChartCall& c, exportcore::ByteWriter& drawing);
void AppendDrawingEnd(exportcore::ByteWriter& drawing);

}  // namespace chart
