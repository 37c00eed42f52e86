// The chart XML's head: the declaration and chart space, the title (always
// written), the 3-D or top view, a surface's floor and walls, the plot
// area's layout; then the names from cells, the Auto flags and the gap width.
#include <cstdlib>

#include "export/chart/chart_fields.h"
#include "export/chart/chart_steps.h"
#include "export/chart_fragments.h"

namespace chart {
namespace {

std::string Item(const ChartCall& c, std::uint32_t p, int n) { return ChartFieldText(c.table, p, n, -99); }

// An item's text, or `fallback` when it is empty.
std::string ItemOr(const ChartCall& c, std::uint32_t p, int n, const char* fallback) {
  std::string s = Item(c, p, n);
  return s.empty() ? fallback : s;
}

// A number item for a numeric attribute: its text when it is a number, else
// `fallback` (a word there would make the attribute invalid).
std::string NumberOr(const ChartCall& c, std::uint32_t p, int n, const char* fallback) {
  std::string s = Item(c, p, n);
  return ChartIsNumberText(s) ? s : fallback;
}

void Attribute(ChartCall& c, const char* head, const std::string& value) {
  c.xml.Append(head);
  exportcore::AppendXmlEscaped(c.xml, value);
  c.xml.Append("\"/>");
}

void WriteTitle(ChartCall& c) {
  const std::string font = ItemOr(c, c.kw.title, 0, "8");
  // The centring estimate measures the item as written (0 when missing).
  c.titleLength = static_cast<int>(Item(c, c.kw.title, 1).size());
  const std::string text = ChartFieldText(c.table, c.kw.title, 1, 999);
  c.xml.Append("<c:title>");
  const std::string body = exportcore::XlsxTextBodyXml(font, text, 0);
  c.xml.Append(body.data(), body.size());
  c.xml.Append("<c:layout><c:manualLayout><c:xMode val=\"edge\"/><c:yMode val=\"edge\"/>");
  std::string x = Item(c, c.kw.title, 2);
  if (!ChartIsNumberText(x) || x == "0") x = ChartFraction(50 - (3 * static_cast<std::int64_t>(c.titleLength)) / 4);
  std::string y = Item(c, c.kw.title, 3);
  if (!ChartIsNumberText(y) || y == "0") y = "0.02";
  Attribute(c, "<c:x val=\"", x);
  Attribute(c, "<c:y val=\"", y);
  c.xml.Append("</c:manualLayout></c:layout><c:overlay val=\"0\"/></c:title><c:autoTitleDeleted val=\"0\"/>");
}

void WriteView(ChartCall& c) {
  if (c.threeD && !c.bubble) {
    const std::uint32_t p = c.kw.view3d;
    Attribute(c, "<c:view3D><c:rotX val=\"", NumberOr(c, p, 0, "30"));
    Attribute(c, "<c:hPercent val=\"", NumberOr(c, p, 3, c.horizontal ? "200" : "40"));
    Attribute(c, "<c:rotY val=\"", NumberOr(c, p, 1, c.pie ? "0" : "30"));
    Attribute(c, "<c:depthPercent val=\"", NumberOr(c, p, 2, "200"));
    c.xml.Append("<c:rAngAx val=\"0\"/><c:perspective val=\"10\"/></c:view3D>");
  } else if (c.surface != 0) {
    c.xml.Append("<c:view3D><c:rotX val=\"90\"/><c:rotY val=\"0\"/><c:rAngAx val=\"0\"/><c:perspective val=\"0\"/></c:view3D>");
  }
  if (c.surface != 0)
    c.xml.Append(
        "<c:floor><c:thickness val=\"0\"/></c:floor>"
        "<c:sideWall><c:thickness val=\"0\"/><c:spPr><a:solidFill><a:srgbClr val=\"FFFFE0\"/></a:solidFill></c:spPr></c:sideWall>"
        "<c:backWall><c:thickness val=\"0\"/><c:spPr><a:solidFill><a:srgbClr val=\"FFFFE0\"/></a:solidFill></c:spPr></c:backWall>");
}

// One plot-area value: plotarea item `n` in pixels of `size` (above 1), as
// written (a fraction), or the default margin `def` in hundredths (also for
// an item that is no number).
std::string PlotValue(const ChartCall& c, int n, std::int64_t size, std::int64_t def) {
  const std::string s = Item(c, c.kw.plotarea, n);
  if (s.empty() || s == "0") return ChartFraction(def);
  const std::int64_t v = ChartFieldInt(c.table, c.kw.plotarea, n, -99);
  if (v > 1) return ChartFraction(100 * v / size);
  return ChartIsNumberText(s) ? s : ChartFraction(def);
}

void WritePlotLayout(ChartCall& c) {
  c.xml.Append("<c:plotArea><c:layout><c:manualLayout>");
  if (!c.pie && c.surface == 0) c.xml.Append("<c:layoutTarget val=\"inner\"/>");
  c.xml.Append("<c:xMode val=\"edge\"/><c:yMode val=\"edge\"/>");
  const bool ytitle = c.kw.ytitle != 0, xtitle = c.kw.xtitle != 0;
  const std::int64_t w = c.widthPx, h = c.heightPx;
  Attribute(c, "<c:x val=\"", PlotValue(c, 2, w, (ytitle ? 6200 : 5000) / w));
  Attribute(c, "<c:y val=\"", PlotValue(c, 3, h, 3500 / h));
  Attribute(c, "<c:w val=\"", PlotValue(c, 4, w, 100 - (ytitle ? 7800 : 6500) / w));
  Attribute(c, "<c:h val=\"", PlotValue(c, 5, h, 100 - (xtitle ? 7400 : 6500) / h));
  c.xml.Append("</c:manualLayout></c:layout>");
}

// Item 0 of a value as written (its trailing "p" kept): up to 80 bytes, to
// a control byte or a "^" that is no second byte of a character.
std::string FirstItemAsWritten(const ChartCall& c, std::uint32_t p) {
  std::string s;
  for (std::uint32_t i = p; p != 0 && i < c.table.len && s.size() < 80; ++i) {
    const unsigned char b = static_cast<unsigned char>(c.table.text[i]);
    if (b < 32 || b == '^') break;
    s += static_cast<char>(b);
    if (ChartLeadByte(b) && i + 1 < c.table.len &&
        static_cast<unsigned char>(c.table.text[i + 1]) >= 32)
      s += c.table.text[++i];
  }
  return s;
}

// The bar group's gap width: the digits before a "p" of plotarea item 0 as
// written ("80p" gives 80); 150 without a "p" or without a number before it.
int GapWidth(const ChartCall& c) {
  const std::string item = FirstItemAsWritten(c, c.kw.plotarea);
  const std::size_t p = item.find('p');
  if (p == std::string::npos || p == 0) return 150;
  long v = 0;
  for (std::size_t i = 0; i < p; ++i) {
    if (item[i] < '0' || item[i] > '9') return 150;
    if (v <= 500) v = v * 10 + (item[i] - '0');
  }
  return static_cast<int>(v > 500 ? 500 : v);
}

}  // namespace

void WriteChartHead(ChartCall& c) {
  c.xml.Append("<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n");
  c.xml.Append(
      "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">");
  c.xml.Append("<c:date1904 val=\"0\"/><c:lang val=\"ja-JP\"/><c:roundedCorners val=\"0\"/>");
  c.xml.Append(
      "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
      "<mc:Choice Requires=\"c14\" xmlns:c14=\"http://schemas.microsoft.com/office/drawing/2007/8/2/chart\">"
      "<c14:style val=\"102\"/></mc:Choice><mc:Fallback><c:style val=\"2\"/></mc:Fallback></mc:AlternateContent>");
  c.xml.Append("<c:chart>");
  WriteTitle(c);
  WriteView(c);
  WritePlotLayout(c);

  c.namesFromCells = c.kw.zname != 0 && Item(c, c.kw.zname, 0) == "cell";
  if (c.namesFromCells) {
    c.nameCells = CellOffsetList{};
    ChartMessages quiet;
    (void)XlsxSeriesFormula(c.table, c.kw.zname, c.sheets, c.nameCells, c.sheetIndex, c.sheet, true,
                            c.messages ? *c.messages : quiet);
  }
  c.zcolrAuto = c.kw.zcolr != 0 && Item(c, c.kw.zcolr, 0) == "Auto";
  c.zlineAuto = c.kw.zline != 0 && Item(c, c.kw.zline, 0) == "Auto";
  c.gapWidth = GapWidth(c);
}

}  // namespace chart
