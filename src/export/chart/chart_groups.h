// Chart groups and axes of one chart definition: the bar and line-type
// groups, the pie group, the scatter and bubble group, then the axes, the
// plot-area end, the data table and the legend. Each appends to the chart
// XML of the call state; the block reader calls them in this order.
#pragma once

namespace chart {

struct ChartCall;

// The bar group when the block has bar series, then the line-type group
// (line, area, surface or radar) when it has line series.
void WriteBarLineGroups(ChartCall& c);

// The pie group: one series from the first data line.
void WritePieGroup(ChartCall& c);

// The scatter or bubble group: series from consecutive data lines.
void WriteScatterBubbleGroup(ChartCall& c);

// The axes (none for a pie), the plot-area fill and end, the data table
// and the legend.
void WriteAxesAndLegend(ChartCall& c);

}  // namespace chart
