// The bar group of a chart (bar and column charts, and the bar part of a
// combined bar-and-line chart), then the line-type group when there is one.
#include "export/chart/chart_groups.h"

#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_group_parts.h"
#include "export/chart_fragments.h"

namespace chart {

using namespace groups;

namespace {

void WriteBarGroup(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  const SeriesNames names = ReadSeriesNames(c);
  const char* name = c.threeD ? "bar3DChart" : "barChart";
  const char* grouping = c.grouping == 2 ? "percentStacked"
                         : c.grouping == 1 ? "stacked"
                         : c.standard     ? "standard"
                                          : "clustered";
  w.AppendFormat("<c:%s>", name);
  w.AppendFormat("<c:barDir val=\"%s\"/>", c.horizontal ? "bar" : "col");
  w.AppendFormat("<c:grouping val=\"%s\"/><c:varyColors val=\"0\"/>", grouping);
  for (int i = 0; i < c.nb && i < c.ndata; ++i) {
    w.AppendFormat("<c:ser><c:idx val=\"%d\"/><c:order val=\"%d\"/><c:tx><c:v>", i + 1, i);
    AppendText(w, SeriesName(c, names, i));
    w.Append("</c:v></c:tx><c:spPr>");
    std::string colour = c.zcolrAuto ? AutoColorCode(c.nb - 1 - i) : Item(c, c.kw.zcolr, i);
    AppendFill(w, colour);
    if (c.kw.zline > 0 && !c.zlineAuto)
      w.Append(exportcore::XlsxLineXml(Item(c, c.kw.zline, i)).c_str());
    else
      w.Append(exportcore::XlsxLineXml("11").c_str());
    w.Append("</c:spPr><c:invertIfNegative val=\"0\"/>");
    if (c.kw.zlabel > 0) {
      std::string label = Item(c, c.kw.zlabel, i);
      if (!label.empty() && label != "0") w.Append(exportcore::XlsxDataLabelsXml(label, 0).c_str());
    }
    w.Append("<c:cat><c:strLit><c:ptCount val=\"51\"/>");
    AppendCategories(c);
    w.Append("</c:strLit></c:cat><c:val><c:numRef>");
    AppendValues(c, c.data[i], EmptyValue::kZero);
    w.Append("</c:numCache></c:numRef></c:val></c:ser>");
  }
  w.AppendFormat("<c:gapWidth val=\"%d\"/>", c.gapWidth);
  // A 3-D bar group has no overlap element.
  if (c.grouping > 0 && !c.threeD) w.Append("<c:overlap val=\"100\"/>");
  w.Append("<c:axId val=\"68578688\"/><c:axId val=\"68584576\"/>");
  w.AppendFormat("</c:%s>", name);
}

}  // namespace

void WriteBarLineGroups(ChartCall& c) {
  if (c.nb > 0) WriteBarGroup(c);
  if (c.nl > 0) WriteLineTypeGroup(c);
}

}  // namespace chart
