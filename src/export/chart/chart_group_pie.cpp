// The pie group: one series from the first data line whose slices are data
// points, each with its own colour, explosion, outline and label.
#include <string>

#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_group_parts.h"
#include "export/chart/chart_groups.h"
#include "export/chart_fragments.h"

namespace chart {

using namespace groups;

namespace {

constexpr int kMaxPoints = 100;
// Automatic (pale) point colours by point index; index 8 on takes the last.
const char* const kAutoPointCodes[] = {"r", "b", "g", "y", "o", "i", "s", "v", "a"};

const char* AutoPointCode(int k) { return kAutoPointCodes[k < 8 ? k : 8]; }

// The explosion written before a "p" after the first byte of a zline item
// ("20p31R" gives 20), or empty when the item has none or it is no number.
std::string PointExplosion(const std::string& item, std::string* lineCode) {
  std::size_t p = item.find('p', 1);
  if (item.empty() || p == std::string::npos) {
    *lineCode = item;
    return std::string();
  }
  *lineCode = item.substr(p + 1);
  std::string explosion = item.substr(0, p);
  return IsDigits(explosion) ? explosion : std::string();
}

}  // namespace

void WritePieGroup(ChartCall& c) {
  if (!c.pie || c.ndata < 1) return;
  exportcore::ByteWriter& w = c.xml;
  const char* name = c.threeD ? "pie3DChart" : "pieChart";
  w.AppendFormat("<c:%s><c:varyColors val=\"1\"/>", name);
  w.Append("<c:ser><c:idx val=\"3\"/><c:order val=\"0\"/><c:tx><c:v>");
  AppendText(w, Item(c, c.kw.title, 1));
  w.Append("</c:v></c:tx><c:spPr><a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill>");
  w.Append("<a:ln w=\"6350\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill>");
  w.Append("<a:prstDash val=\"solid\"/></a:ln></c:spPr>");
  // Item 0 of the plot area is read without its trailing "p": "10p" is 10.
  std::string explosion = Item(c, c.kw.plotarea, 0);
  if (IsDigits(explosion)) {
    w.Append("<c:explosion val=\"");
    w.Append(explosion.c_str());
    w.Append("\"/>");
  }

  const bool autoColours = c.zcolrAuto || c.kw.zcolr == 0;
  for (int k = 0; k < kMaxPoints; ++k) {
    std::string colour = autoColours ? AutoPointCode(k) : Item(c, c.kw.zcolr, k);
    if (colour.empty()) break;
    w.AppendFormat("<c:dPt><c:idx val=\"%d\"/><c:bubble3D val=\"0\"/>", k);
    std::string lineCode;
    if (c.kw.zline > 0) {
      std::string pointExplosion = PointExplosion(Item(c, c.kw.zline, k), &lineCode);
      if (!pointExplosion.empty()) {
        w.Append("<c:explosion val=\"");
        w.Append(pointExplosion.c_str());
        w.Append("\"/>");
      }
    }
    w.Append("<c:spPr>");
    AppendFill(w, colour);
    if (c.kw.zline > 0 && !c.zlineAuto) {
      w.Append(exportcore::XlsxLineXml(lineCode).c_str());
    } else {
      w.Append("<a:ln w=\"6350\"><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill>");
      w.Append("<a:prstDash val=\"solid\"/></a:ln>");
    }
    w.Append("</c:spPr></c:dPt>");
  }

  if (c.kw.zlabel > 0) {
    w.Append("<c:dLbls>");
    // Items 1 onward label single points; an item "0" skips its point and
    // the first empty item ends them.
    for (int j = 0; j + 1 < kMaxPoints; ++j) {
      std::string code = Item(c, c.kw.zlabel, j + 1);
      if (code.empty()) break;
      if (code == "0") continue;
      w.AppendFormat("<c:dLbl><c:idx val=\"%d\"/><c:layout/><c:spPr/>", j);
      w.Append(exportcore::XlsxDataLabelsXml(code, 1).c_str());
      w.Append("</c:dLbl>");
    }
    // Item 0 is the label format of every point.
    std::string all = Item(c, c.kw.zlabel, 0);
    if (!all.empty() && all != "0") {
      std::string labels = exportcore::XlsxDataLabelsXml(all, 1);
      w.Append(labels.c_str());
      // A "Q" in the code has written the leader lines already.
      if (labels.find("<c:showLeaderLines") == std::string::npos) w.Append("<c:showLeaderLines val=\"1\"/>");
    }
    w.Append("</c:dLbls>");
  }

  w.Append("<c:cat><c:strLit><c:ptCount val=\"51\"/>");
  AppendCategories(c);
  w.Append("</c:strLit></c:cat><c:val><c:numRef>");
  AppendValues(c, c.data[0], EmptyValue::kZero);
  w.Append("</c:numCache></c:numRef></c:val></c:ser>");
  w.Append(exportcore::XlsxDataLabelsXml("AB", 0).c_str());
  w.AppendFormat("</c:%s>", name);
}

}  // namespace chart
