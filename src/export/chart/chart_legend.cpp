// The legend of a chart, from the sampl line: a letter layout (L, T, B or
// none) or a layout by coordinates, its fill and its text size. A position
// that is not a number leaves the manual layout out, so the legend stands at
// the right.
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_group_parts.h"
#include "export/chart_fragments.h"

namespace chart {

using namespace groups;

void WriteLegend(ChartCall& c);

void WriteLegend(ChartCall& c) {
  if (c.kw.sampl == 0) return;
  std::string place = Item(c, c.kw.sampl, 2);
  if (place == "0") return;
  exportcore::ByteWriter& w = c.xml;

  std::string x, y, width, height;
  if (place.empty() || place == "L" || place == "T" || place == "B") {
    std::string item3 = Item(c, c.kw.sampl, 3);
    y = item3;
    if (place == "T" || place == "B") {
      x = "0.5";
      y = place == "T" ? "0.2" : "0.7";
    } else if (place == "L") {
      x = "0.2";
    }
    if (item3 == "B") y = "0.7";
    if (item3 == "T") y = "0.2";
  } else {
    x = PixelFraction(c, c.kw.sampl, 2, c.widthPx);
    y = PixelFraction(c, c.kw.sampl, 3, c.heightPx);
    width = PixelFraction(c, c.kw.sampl, 4, c.widthPx);
    height = PixelFraction(c, c.kw.sampl, 5, c.heightPx);
  }
  // A legend 100 pixels wide beside lines on flat unstacked charts, else 70;
  // 14 pixels high for each series.
  const bool wide = (c.nl > 0 || c.kw.ypara2 > 0) && c.grouping == 0 && !c.threeD;
  if (width.empty() && c.widthPx > 0) width = Fraction((wide ? 10000 : 7000) / c.widthPx);
  if (height.empty() && c.heightPx > 0) height = Fraction(static_cast<long long>(c.ndata) * 1400 / c.heightPx);

  w.Append("<c:legend><c:legendPos val=\"r\"/>");
  if (IsNumber(x) && IsNumber(y) && IsNumber(width) && IsNumber(height)) {
    w.Append("<c:layout><c:manualLayout><c:xMode val=\"edge\"/><c:yMode val=\"edge\"/>");
    w.AppendFormat("<c:x val=\"%s\"/><c:y val=\"%s\"/>", x.c_str(), y.c_str());
    w.AppendFormat("<c:w val=\"%s\"/><c:h val=\"%s\"/>", width.c_str(), height.c_str());
    w.Append("</c:manualLayout></c:layout>");
  }
  std::string fill = Item(c, c.kw.sampl, 1);
  w.AppendFormat("<c:overlay val=\"0\"/><c:spPr><a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill>",
                 fill.empty() ? "FFFFFF" : exportcore::XlsxLightColorHex(fill).c_str());
  w.Append("<a:ln w=\"3175\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill>");
  w.Append("<a:prstDash val=\"solid\"/></a:ln></c:spPr>");
  std::string size = Item(c, c.kw.sampl, 0);
  w.Append(exportcore::XlsxTextBodyXml(size.empty() ? "8" : size, "", 0).c_str());
  w.Append("</c:legend>");
}

}  // namespace chart
