// The line-type group of a chart: lines, stacked areas, surfaces and radars,
// and the line part of a combined bar-and-line chart. Series are the data
// lines after the bar series. Each group gets only the series elements the
// chart format allows in it: no markers in areas, no smoothing in areas and
// radars, no trend lines in radars and surfaces, no labels in surfaces.
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_group_parts.h"
#include "export/chart_fragments.h"

namespace chart {
namespace groups {

namespace {

// Automatic line codes by the series' place counted from the last one.
const char* const kAutoLineCodes[] = {"31R", "24B", "22BG", "23V", "21O", "23I", "21S", "21YG", "31"};
// Automatic colour codes of the eight surface bands, in band order.
const char* const kAutoBandCodes[] = {"Y", "G", "V", "B", "R", "I", "S", "O"};
// Trend-line types by their digit "1" to "6".
const char* const kTrendTypes[] = {"linear", "log", "poly", "power", "exp", "movingAvg"};

const char* AutoLineCode(int placeFromEnd) {
  constexpr int kLast = static_cast<int>(sizeof kAutoLineCodes / sizeof kAutoLineCodes[0]) - 1;
  if (placeFromEnd < 0 || placeFromEnd > kLast) return kAutoLineCodes[kLast];
  return kAutoLineCodes[placeFromEnd];
}

// One trend line from an item such as "33:R%=Avg": type digit, order digit,
// one byte skipped, then the line code with an optional "=name". An item of
// two bytes or less, or whose type digit is not 1-6, gives none.
void AppendTrendLine(exportcore::ByteWriter& w, const std::string& item) {
  if (item.size() <= 2) return;
  if (item[0] < '1' || item[0] > '6') return;
  const char* type = kTrendTypes[item[0] - '1'];
  // The order (or period): at least 2; the format allows at most 6.
  char order = item[1];
  if (order < '2' || order > '9') order = '2';
  if (order > '6') order = '6';
  std::string rest = item.substr(3);
  w.Append("<c:trendline>");
  std::size_t eq = rest.find('=');
  if (eq != std::string::npos) {
    w.Append("<c:name>");
    AppendText(w, rest.substr(eq + 1));
    w.Append("</c:name>");
    rest.resize(eq);
  }
  w.Append("<c:spPr>");
  w.Append(exportcore::XlsxLineXml(rest).c_str());
  w.AppendFormat("</c:spPr><c:trendlineType val=\"%s\"/><c:order val=\"%c\"/>", type, order);
  w.AppendFormat("<c:dispRSqr val=\"0\"/><c:dispEq val=\"%c\"/><c:trendlineLbl><c:layout/>",
                 rest.find('%') != std::string::npos ? '1' : '0');
  w.Append("<c:numFmt formatCode=\"General\" sourceLinked=\"0\"/></c:trendlineLbl></c:trendline>");
}

}  // namespace

void WriteLineTypeGroup(ChartCall& c) {
  exportcore::ByteWriter& w = c.xml;
  const SeriesNames names = ReadSeriesNames(c);
  // A plain line chart coloured by zcolr draws its lines in those colours:
  // the zcolr line (and its "Auto") serves as the zline line from here on.
  // Surfaces keep zcolr for their fills and bands.
  if (c.kw.zline == 0 && c.kw.zcolr > 0 && c.grouping == 0 && c.radarStyle == 0 && c.surface == 0) {
    c.kw.zline = c.kw.zcolr;
    c.zlineAuto = c.zcolrAuto;
    c.kw.zcolr = 0;
    c.zcolrAuto = false;
  }
  const bool area = c.grouping > 0;
  const bool radar = c.radarStyle != 0;
  const bool surface = c.surface != 0;
  const bool wireframe = c.surface == 2;
  const char* suffix = c.threeD ? "3DChart" : "Chart";
  const char* base = area ? "area" : radar ? "radar" : surface ? "surface" : "line";

  if (c.radarStyle == 2) {
    w.Append("<c:radarChart><c:radarStyle val=\"filled\"/>");
  } else if (c.radarStyle == 1) {
    w.Append("<c:radarChart><c:radarStyle val=\"marker\"/><c:varyColors val=\"1\"/>");
  } else if (surface) {
    w.AppendFormat("<c:%s%s><c:wireframe val=\"%d\"/>", base, suffix, wireframe ? 1 : 0);
  } else {
    const char* grouping = area ? (c.grouping == 4 ? "percentStacked" : "stacked") : "standard";
    w.AppendFormat("<c:%s%s><c:grouping val=\"%s\"/><c:varyColors val=\"0\"/>", base, suffix, grouping);
  }

  for (int i = c.nb; i < c.ndata; ++i) {
    w.AppendFormat("<c:ser><c:idx val=\"%d\"/><c:order val=\"%d\"/><c:tx><c:v>", i + 3, i);
    AppendText(w, SeriesName(c, names, i));
    w.Append("</c:v></c:tx><c:spPr>");
    std::string colour;
    if (c.kw.zcolr > 0) colour = c.zcolrAuto ? AutoColorCode(c.ndata - 1 - i) : Item(c, c.kw.zcolr, i);
    std::string line;
    if (c.kw.zline > 0) line = c.zlineAuto ? AutoLineCode(c.ndata - 1 - i) : Item(c, c.kw.zline, i);
    if (area || c.radarStyle == 2 || surface) {
      if (c.kw.zcolr > 0) {
        AppendFill(w, colour);
      } else {
        std::string code = Item(c, c.kw.zline, i);
        w.AppendFormat("<a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill>",
                       exportcore::XlsxColorHex(code.size() > 2 ? code.substr(2) : std::string()).c_str());
      }
      if (c.kw.zline > 0 && !wireframe) w.Append(exportcore::XlsxLineXml(line).c_str());
    } else if (c.kw.zline > 0) {
      w.Append(exportcore::XlsxLineXml(line).c_str());
    } else if (c.kw.zcolr > 0) {
      w.Append(exportcore::XlsxLineXml(colour).c_str());
    }
    w.Append("</c:spPr>");
    // Markers come before the labels in a series.
    if (!area && !surface) {
      if (c.kw.marker > 0)
        w.Append(exportcore::XlsxMarkerXml(Item(c, c.kw.marker, i)).c_str());
      else
        w.Append("<c:marker><c:symbol val=\"none\"/></c:marker>");
    }
    if (c.kw.zlabel > 0 && !surface) {
      std::string label = Item(c, c.kw.zlabel, i);
      if (!label.empty() && label != "0")
        w.Append(exportcore::XlsxDataLabelsXml(label, area ? 5 : 4).c_str());
    }
    if (c.kw.trend > 0 && !radar && !surface) AppendTrendLine(w, Item(c, c.kw.trend, i));
    if (c.nb == 0 && (!radar || i == 0)) {
      w.Append("<c:cat><c:strLit><c:ptCount val=\"51\"/>");
      AppendCategories(c);
      w.Append("</c:strLit></c:cat>");
    }
    w.Append("<c:val><c:numRef>");
    AppendValues(c, c.data[i], EmptyValue::kSkip);
    w.Append("</c:numCache></c:numRef></c:val>");
    if (!area && !radar && !surface) w.Append("<c:smooth val=\"0\"/>");
    w.Append("</c:ser>");
  }

  if (!area && !surface && !radar) {
    w.Append("<c:marker val=\"1\"/><c:smooth val=\"0\"/>");
  } else if (surface && !wireframe) {
    w.Append("<c:bandFmts>");
    for (int b = 0; b < 8; ++b) {
      std::string code = c.zcolrAuto ? kAutoBandCodes[b] : Item(c, c.kw.zcolr, b);
      w.AppendFormat("<c:bandFmt><c:idx val=\"%d\"/><c:spPr>", b);
      w.AppendFormat("<a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill>",
                     exportcore::XlsxLightColorHex(code).c_str());
      w.Append("<a:ln w=\"12700\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill>");
      w.Append("<a:prstDash val=\"solid\"/></a:ln><a:sp3d prstMaterial=\"flat\"/></c:spPr></c:bandFmt>");
    }
    w.Append("</c:bandFmts>");
  } else if (wireframe) {
    w.Append("<c:bandFmts/>");
  }

  if (c.kw.ypara2 > 0) {
    w.Append("<c:axId val=\"68586496\"/><c:axId val=\"68600576\"/>");
  } else {
    w.Append("<c:axId val=\"68578688\"/><c:axId val=\"68584576\"/>");
    if (surface) w.Append("<c:axId val=\"107024832\"/>");
  }
  // A radar group has no 3-D form: it closes as it opened.
  if (radar)
    w.Append("</c:radarChart>");
  else
    w.AppendFormat("</c:%s%s>", base, suffix);
}

}  // namespace groups
}  // namespace chart
