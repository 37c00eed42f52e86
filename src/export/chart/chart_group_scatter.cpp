// The scatter and bubble groups: every series takes its x values, y values
// and, for bubbles, sizes from consecutive data lines (two or three a
// series). Defaults go by the series' place counted from the last one.
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_group_parts.h"
#include "export/chart/chart_groups.h"
#include "export/chart_fragments.h"

namespace chart {

using namespace groups;

namespace {

// By the series' place from the end (0 = last); the last entry serves every
// earlier series.
const char* const kBubbleLetters = "RBYGOISVA";
const char* const kBubbleLineCodes[] = {"11R", "11B", "11Y", "11G", "11O", "11I", "11S", "11V", "11A"};
const char* const kScatterLineCodes[] = {"21R", "21B", "23BG", "22V", "21O", "23I", "21S", "21YG", "31"};
const char* const kScatterSymbols[] = {"18", "11", "13", "15", "12", "14", "16", "17", "19"};

int Place(int p) { return p < 0 || p > 8 ? 8 : p; }

// The default fill of a bubble by its colour letter.
const char* BubbleFill(char letter) {
  switch (letter) {
    case 'R': return "FF8080";
    case 'S': return "9999FF";
    case 'Y': return "FFCC00";
    case 'G': return "339966";
    case 'O': return "FF9900";
    case 'I': return "FF99CC";
    case 'B': return "3366FF";
    case 'V': return "CC99FF";
    default: return "CCCCCC";
  }
}

// One value cache (x, y or sizes): the cells that are empty or no number are
// left out while the following points keep their places.
void AppendCache(ChartCall& c, const char* open, std::uint32_t dataLine, const char* close) {
  c.xml.Append(open);
  AppendValues(c, dataLine, EmptyValue::kSkip);
  c.xml.Append(close);
}

}  // namespace

void WriteScatterBubbleGroup(ChartCall& c) {
  if (!(c.kind == ChartKind::kScatter) && !c.bubble) return;
  exportcore::ByteWriter& w = c.xml;
  const SeriesNames names = ReadSeriesNames(c);
  const bool bubble = c.bubble;
  const int perSeries = bubble ? 3 : 2;
  const int count = c.ndata / perSeries;
  const bool noLines = Item(c, c.kw.graph, 0) == "XYNL";
  if (bubble)
    w.Append("<c:bubbleChart><c:varyColors val=\"0\"/>");
  else
    w.Append("<c:scatterChart><c:scatterStyle val=\"lineMarker\"/><c:varyColors val=\"0\"/>");

  for (int s = 0; s < count; ++s) {
    const int k = perSeries * s;
    if (k + perSeries > c.ndata || k + perSeries > kMaxDataLines) break;
    const int p = Place(count - 1 - s);
    w.AppendFormat("<c:ser><c:idx val=\"%d\"/><c:order val=\"%d\"/><c:tx><c:v>", s + 3, s);
    AppendText(w, SeriesName(c, names, s));
    w.Append("</c:v></c:tx><c:spPr>");
    if (bubble) {
      std::string fill = (c.zcolrAuto || c.kw.zcolr == 0) ? BubbleFill(kBubbleLetters[p])
                                                       : exportcore::XlsxColorHex(Item(c, c.kw.zcolr, s));
      w.AppendFormat("<a:solidFill><a:srgbClr val=\"%s\"/></a:solidFill>", fill.c_str());
    }
    if (noLines) {
      w.Append("<a:ln w=\"25400\"><a:noFill/></a:ln>");
    } else {
      std::string line = c.zlineAuto ? (bubble ? kBubbleLineCodes[p] : kScatterLineCodes[p]) : Item(c, c.kw.zline, s);
      w.Append(exportcore::XlsxLineXml(line).c_str());
    }
    w.Append("</c:spPr>");
    if (bubble) w.Append("<c:invertIfNegative val=\"0\"/>");
    // A scatter series has its marker before its labels; a bubble has none.
    if (!bubble) {
      if (c.kw.marker > 0)
        w.Append(exportcore::XlsxMarkerXml(Item(c, c.kw.marker, s)).c_str());
      else
        w.Append(exportcore::XlsxMarkerXml(kScatterSymbols[p]).c_str());
    }
    if (c.kw.zlabel > 0) {
      std::string label = Item(c, c.kw.zlabel, s);
      if (!label.empty() && label != "0") w.Append(exportcore::XlsxDataLabelsXml(label, 0).c_str());
    }
    AppendCache(c, "<c:xVal><c:numRef>", c.data[k], "</c:numCache></c:numRef></c:xVal>");
    AppendCache(c, "<c:yVal><c:numRef>", c.data[k + 1], "</c:numCache></c:numRef></c:yVal>");
    if (bubble) {
      AppendCache(c, "<c:bubbleSize><c:numRef>", c.data[k + 2], "</c:numCache></c:numRef></c:bubbleSize>");
      w.AppendFormat("<c:bubble3D val=\"%d\"/>", c.threeD ? 1 : 0);
    } else {
      w.Append("<c:smooth val=\"0\"/>");
    }
    w.Append("</c:ser>");
  }

  if (bubble) {
    // The scale is plotarea item 0, "100" when empty; "50pw" is 50 with the
    // bubble width (not its area) standing for the size.
    std::string scale = Item(c, c.kw.plotarea, 0);
    char mode = 0;
    std::size_t pp = scale.find('p', 1);
    if (!scale.empty() && pp != std::string::npos) {
      if (pp + 1 < scale.size()) mode = scale[pp + 1];
      scale.resize(pp);
    }
    if (!IsDigits(scale)) scale = "100";
    w.AppendFormat("<c:bubbleScale val=\"%s\"/>", scale.c_str());
    if (mode == 'w') w.Append("<c:sizeRepresents val=\"w\"/>");
  }
  w.AppendFormat("<c:axId val=\"68578688\"/><c:axId val=\"68584576\"/></c:%s>",
                 bubble ? "bubbleChart" : "scatterChart");
}

}  // namespace chart
