// The axes of a chart, the end of its plot area (the data table and the
// plot-area fill) and the legend. Every element goes where the chart format
// orders it (titles before number formats, the data table before the fill).
#include <cstdlib>
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_group_parts.h"
#include "export/chart/chart_groups.h"
#include "export/chart_fragments.h"

namespace chart {

using namespace groups;

namespace {

// A title element around the text body of a title line.
void AppendAxisTitle(ChartCall& c, std::uint32_t line) {
  std::string size = Item(c, line, 0);
  std::string text = line > 0 ? Item(c, line, 1) : std::string();
  if (size.empty()) size = "8";
  if (text.empty()) text = "999";
  c.xml.Append("<c:title>");
  c.xml.Append(exportcore::XlsxTextBodyXml(size, text, 0).c_str());
  c.xml.Append("<c:layout/><c:overlay val=\"0\"/></c:title>");
}

// The tick-label text body of an axis from item 0 of its option line.
void AppendTickLabels(ChartCall& c, std::uint32_t line) {
  std::string size = Item(c, line, 0);
  c.xml.Append(exportcore::XlsxTextBodyXml(size.empty() ? "8" : size, "", 0).c_str());
}

// Styled major gridlines from item 5 of an axis option line.
void AppendGridlines(ChartCall& c, const std::string& code) {
  c.xml.Append("<c:majorGridlines><c:spPr>");
  c.xml.Append(exportcore::XlsxLineXml(code).c_str());
  c.xml.Append("</c:spPr></c:majorGridlines>");
}

void AppendValueElement(ChartCall& c, const char* element, const std::string& value) {
  c.xml.AppendFormat("<c:%s val=\"", element);
  AppendText(c.xml, value);
  c.xml.Append("\"/>");
}

// An item that is a limit or a unit of an axis: empty unless it is a number.
std::string NumberItem(const ChartCall& c, std::uint32_t line, int n) {
  std::string text = Item(c, line, n);
  return IsNumber(text) ? text : std::string();
}

// A major unit: only a number above 0.
std::string UnitItem(const ChartCall& c, std::uint32_t line, int n) {
  std::string text = NumberItem(c, line, n);
  return !text.empty() && std::strtod(text.c_str(), nullptr) > 0 ? text : std::string();
}

void AppendOrientation(ChartCall& c, std::uint32_t line) {
  bool reversed = Item(c, line, 0).find('I') != std::string::npos;
  c.xml.AppendFormat("<c:scaling><c:orientation val=\"%s\"/>", reversed ? "maxMin" : "minMax");
}

// A display unit with its label. An empty unit (or one that is no number)
// leaves the axis without a display unit.
void AppendDisplayUnit(ChartCall& c, const std::string& unit, std::uint32_t unitLine, const char* x, const char* y,
                       int bodyMode, bool hiddenFrame) {
  if (!IsNumber(unit)) return;
  exportcore::ByteWriter& w = c.xml;
  w.Append("<c:dispUnits>");
  AppendValueElement(c, "custUnit", unit);
  w.Append("<c:dispUnitsLbl><c:layout><c:manualLayout><c:xMode val=\"edge\"/><c:yMode val=\"edge\"/>");
  std::string ux = PixelFraction(c, unitLine, 2, c.widthPx);
  std::string uy = PixelFraction(c, unitLine, 3, c.heightPx);
  if (!IsNumber(ux)) ux = x;
  if (!IsNumber(uy)) uy = y;
  AppendValueElement(c, "x", ux);
  AppendValueElement(c, "y", uy);
  w.Append("</c:manualLayout></c:layout>");
  std::string size = Item(c, unitLine, 0);
  std::string body = exportcore::XlsxTextBodyXml(size.empty() ? "8" : size, Item(c, unitLine, 1), bodyMode);
  if (hiddenFrame) {
    // A label without text has its text properties after the frame.
    const char* frame = "<c:spPr><a:noFill/><a:ln w=\"25400\"><a:noFill/></a:ln></c:spPr>";
    const bool richText = body.compare(0, 6, "<c:tx>") == 0;
    if (!richText) w.Append(frame);
    w.Append(body.c_str());
    if (richText) w.Append(frame);
  } else {
    w.Append(body.c_str());
  }
  w.Append("</c:dispUnitsLbl></c:dispUnits>");
}

// The first axis: a category axis, or the x value axis of scatter and
// bubble charts.
void WriteFirstAxis(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  const bool valueAxis = (c.kind == ChartKind::kScatter) || c.bubble;
  w.AppendFormat("<c:%s><c:axId val=\"68578688\"/>", valueAxis ? "valAx" : "catAx");
  AppendOrientation(c, c.kw.xpara);
  std::string max = NumberItem(c, c.kw.xpara, 1);
  std::string min = NumberItem(c, c.kw.xpara, 2);
  if (!max.empty()) {
    AppendValueElement(c, "max", max);
    AppendValueElement(c, "min", min.empty() ? "0" : min);
  }
  w.Append("</c:scaling>");
  w.AppendFormat("<c:delete val=\"0\"/><c:axPos val=\"%s\"/>", c.horizontal ? "l" : "b");
  std::string grid = Item(c, c.kw.xpara, 5);
  if (!grid.empty()) AppendGridlines(c, grid);
  if (c.kw.xtitle > 0) AppendAxisTitle(c, c.kw.xtitle);
  if (valueAxis) w.Append("<c:numFmt formatCode=\"#,##0_ \" sourceLinked=\"1\"/>");
  w.Append("<c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/><c:tickLblPos val=\"nextTo\"/>");
  AppendTickLabels(c, c.kw.xpara);
  w.Append("<c:crossAx val=\"68584576\"/><c:crosses val=\"autoZero\"/>");
  // A category axis has no major unit in the chart format.
  std::string majorUnit = UnitItem(c, c.kw.xpara, 3);
  if (!valueAxis) {
    w.Append("<c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/><c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/>");
    w.Append("</c:catAx>");
    return;
  }
  w.Append("<c:crossBetween val=\"midCat\"/>");
  if (!majorUnit.empty()) AppendValueElement(c, "majorUnit", majorUnit);
  AppendDisplayUnit(c, Item(c, c.kw.xpara, 4), c.kw.unit2, "0.8", "0.9", 0, true);
  w.Append("</c:valAx>");
}

void WriteValueAxis(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  w.Append("<c:valAx><c:axId val=\"68584576\"/>");
  AppendOrientation(c, c.kw.ypara);
  std::string max = NumberItem(c, c.kw.ypara, 1);
  if (max.empty() && (c.grouping == 2 || c.grouping == 4)) max = "1";
  std::string min = NumberItem(c, c.kw.ypara, 2);
  if (!max.empty()) AppendValueElement(c, "max", max);
  AppendValueElement(c, "min", min.empty() ? "0" : min);
  w.Append("</c:scaling>");
  w.AppendFormat("<c:delete val=\"0\"/><c:axPos val=\"%s\"/>", c.horizontal ? "t" : "l");
  std::string grid = Item(c, c.kw.ypara, 5);
  if (grid.empty())
    w.Append("<c:majorGridlines/>");
  else
    AppendGridlines(c, grid);
  if (c.kw.ytitle > 0) AppendAxisTitle(c, c.kw.ytitle);
  w.Append("<c:numFmt formatCode=\"#,##0_ \" sourceLinked=\"1\"/>");
  w.AppendFormat("<c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/><c:tickLblPos val=\"%s\"/>",
                 c.surface != 0 && !c.threeD ? "none" : "nextTo");
  AppendTickLabels(c, c.kw.ypara);
  const bool midCat = c.grouping == 3 || c.grouping == 4 || (c.kind == ChartKind::kScatter) || c.bubble || c.surface != 0;
  w.AppendFormat("<c:crossAx val=\"68578688\"/><c:crosses val=\"autoZero\"/><c:crossBetween val=\"%s\"/>",
                 midCat ? "midCat" : "between");
  std::string majorUnit = UnitItem(c, c.kw.ypara, 3);
  if (!majorUnit.empty()) AppendValueElement(c, "majorUnit", majorUnit);
  std::string unit = Item(c, c.kw.ypara, 4);
  AppendDisplayUnit(c, unit.empty() ? "1" : unit, c.kw.unit, "0.1", "0.05", 0, false);
  w.Append("</c:valAx>");
}

void WriteSeriesAxis(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  w.Append("<c:serAx><c:axId val=\"107024832\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling>");
  w.Append("<c:delete val=\"0\"/><c:axPos val=\"b\"/><c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/>");
  w.Append("<c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"68584576\"/></c:serAx>");
}

// The right-hand value axis and its hidden category axis.
void WriteSecondAxes(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  w.Append("<c:valAx><c:axId val=\"68600576\"/>");
  AppendOrientation(c, c.kw.ypara2);
  std::string max = NumberItem(c, c.kw.ypara2, 1);
  if (!max.empty() && max != "0") AppendValueElement(c, "max", max);
  std::string min = NumberItem(c, c.kw.ypara2, 2);
  if (min.empty()) min = NumberItem(c, c.kw.ypara, 2);
  AppendValueElement(c, "min", min.empty() ? "0" : min);
  w.Append("</c:scaling><c:delete val=\"0\"/><c:axPos val=\"r\"/>");
  std::string grid = Item(c, c.kw.ypara2, 5);
  if (!grid.empty()) AppendGridlines(c, grid);
  w.Append("<c:numFmt formatCode=\"#,##0\" sourceLinked=\"1\"/><c:majorTickMark val=\"out\"/>");
  w.Append("<c:minorTickMark val=\"none\"/>");
  if (Item(c, c.kw.ypara2, 0) == "-1") {
    w.Append("<c:tickLblPos val=\"none\"/>");
  } else {
    w.Append("<c:tickLblPos val=\"nextTo\"/>");
    AppendTickLabels(c, c.kw.ypara2);
  }
  w.Append("<c:crossAx val=\"68586496\"/><c:crosses val=\"max\"/><c:crossBetween val=\"between\"/>");
  AppendDisplayUnit(c, Item(c, c.kw.ypara2, 4), c.kw.unit2, "0.95", "0.05", 1, false);
  w.Append("</c:valAx>");

  w.Append("<c:catAx><c:axId val=\"68586496\"/>");
  w.Append("<c:scaling><c:orientation val=\"minMax\"/></c:scaling><c:delete val=\"1\"/><c:axPos val=\"b\"/>");
  if (c.kw.ytitle2 > 0) AppendAxisTitle(c, c.kw.ytitle2);
  w.Append("<c:majorTickMark val=\"out\"/><c:minorTickMark val=\"none\"/><c:tickLblPos val=\"nextTo\"/>");
  w.Append("<c:crossAx val=\"68600576\"/><c:crosses val=\"autoZero\"/>");
  w.Append("<c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/><c:lblOffset val=\"100\"/><c:noMultiLvlLbl val=\"0\"/>");
  w.Append("</c:catAx>");
}

// The data table under the plot area: a font size (left out when it is no
// plain number) and the flag letters H, V, O and M.
void WriteDataTable(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  std::string size = Item(c, c.kw.ta, 0);
  std::string flags = Item(c, c.kw.ta, 1);
  auto flag = [&](char letter) { return flags.find(letter) != std::string::npos ? '1' : '0'; };
  w.AppendFormat("<c:dTable><c:showHorzBorder val=\"%c\"/><c:showVertBorder val=\"%c\"/>", flag('H'), flag('V'));
  w.AppendFormat("<c:showOutline val=\"%c\"/><c:showKeys val=\"%c\"/>", flag('O'), flag('M'));
  w.Append("<c:txPr><a:bodyPr/><a:lstStyle/><a:p><a:pPr rtl=\"0\">");
  if (IsDigits(size))
    w.AppendFormat("<a:defRPr sz=\"%s00\" baseline=\"0\"/>", size.c_str());
  else
    w.Append("<a:defRPr baseline=\"0\"/>");
  w.Append("</a:pPr><a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr></c:dTable>");
}

void WritePlotAreaFill(ChartCall& c) {
  std::string code = Item(c, c.kw.plotarea, 1);
  std::string colour;
  if (!code.empty())
    colour = exportcore::XlsxLightColorHex(code);
  else
    colour = (c.pie || c.radarStyle != 0 || (c.threeD && !c.bubble)) ? "FFFFFE" : "FFFFE0";
  c.xml.AppendFormat("<c:spPr><a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill></c:spPr>", colour.c_str());
}

}  // namespace

void WriteLegend(ChartCall& c);

void WriteAxesAndLegend(ChartCall& c) {
  if (!c.pie) {
    WriteFirstAxis(c);
    WriteValueAxis(c);
    if (c.surface != 0) WriteSeriesAxis(c);
    if (c.kw.ypara2 > 0) WriteSecondAxes(c);
  }
  if (c.kw.ta > 0) WriteDataTable(c);
  if (c.surface == 0) WritePlotAreaFill(c);
  c.xml.Append("</c:plotArea>");
  WriteLegend(c);
}

}  // namespace chart
