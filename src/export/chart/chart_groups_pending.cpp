// Until the group and axis writers land: no groups, and the plot area closed.
#include "export/chart/chart_call.h"
#include "export/chart/chart_groups.h"

namespace chart {
void WriteBarLineGroups(ChartCall&) {}
void WritePieGroup(ChartCall&) {}
void WriteScatterBubbleGroup(ChartCall&) {}
void WriteAxesAndLegend(ChartCall& c) { c.xml.Append("</c:plotArea>"); }
}  // namespace chart
