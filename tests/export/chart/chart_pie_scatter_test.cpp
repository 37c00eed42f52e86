// The pie group (points, explosions, per-point labels) and the scatter and
// bubble groups (series from consecutive data lines, defaults counted from
// the last series, skipped empty cells).
#include <gtest/gtest.h>

#include <string>

#include "export/chart/chart_test_support.h"
#include "export/chart/chart_groups.h"
#include "export/chart_fragments.h"

namespace {

using charttest::ChartFixture;
using charttest::Count;
using charttest::Has;
using charttest::Nth;
using chart::ChartKind;

ChartFixture PointTable() {
  return ChartFixture{{"n", "x", "y", "s"}, {"a", "1", "10", "5"}, {"b", "2", "", "6"}, {"c", "3", "30", "7"}};
}

void PieKind(chart::ChartCall& c) {
  c.kind = ChartKind::kPie;
  c.pie = true;
}

TEST(ChartPieGroup, HundredAutomaticPointsAndTheFirstDataLineOnly) {
  ChartFixture f = PointTable();
  f.c.kw.title = f.Line("title", "12^Sales & more");
  f.Data("B2:B4");
  f.Data("C2:C4");
  f.Ready();
  PieKind(f.c);
  chart::WritePieGroup(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:pieChart><c:varyColors val=\"1\"/><c:ser><c:idx val=\"3\"/><c:order val=\"0\"/>"
                       "<c:tx><c:v>Sales &amp; more</c:v></c:tx>"));
  EXPECT_EQ(Count(xml, "<c:dPt>"), 100);
  const char* pale = "rbgyoisva";
  for (int k = 0; k < 9; ++k)
    EXPECT_TRUE(Has(Nth(xml, "<c:dPt>", "</c:dPt>", k),
                    "<a:solidFill><a:srgbClr val=\"" + exportcore::XlsxColorHex(std::string(1, pale[k])) + "\"/>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:dPt>", "</c:dPt>", 99), "<c:idx val=\"99\"/>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:dPt>", "</c:dPt>", 99), exportcore::XlsxColorHex("a")));
  // Only the first data line; the group's own labels close it.
  EXPECT_TRUE(Has(xml, "(sheet1!$B$2:$B$4)"));
  EXPECT_FALSE(Has(xml, "$C$2"));
  EXPECT_TRUE(Has(xml, "</c:ser>" + exportcore::XlsxDataLabelsXml("AB", 0) + "</c:pieChart>"));
  EXPECT_EQ(f.Problem(), "");
}

TEST(ChartPieGroup, ColouredPointsExplosionsAndNonNumbers) {
  ChartFixture f{{"n", "v"}, {"a", "4"}, {"b", "1-2"}, {"c", "2"}};
  f.c.kw.zcolr = f.Line("zcolr", "R^G^B");
  f.c.kw.zline = f.Line("zline", "20p31R^11^ap5");
  f.c.kw.plotarea = f.Line("plotarea", "10p");
  f.Data("B2:B4");
  f.Ready();
  PieKind(f.c);
  f.c.threeD = true;
  chart::WritePieGroup(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:pie3DChart><c:varyColors val=\"1\"/>"));
  EXPECT_TRUE(Has(xml, "</c:spPr><c:explosion val=\"10\"/><c:dPt>"));
  EXPECT_EQ(Count(xml, "<c:dPt>"), 3);
  EXPECT_TRUE(Has(Nth(xml, "<c:dPt>", "</c:dPt>", 0),
                  "<c:dPt><c:idx val=\"0\"/><c:bubble3D val=\"0\"/><c:explosion val=\"20\"/><c:spPr>"
                  "<a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill>" +
                      exportcore::XlsxLineXml("31R") + "</c:spPr></c:dPt>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:dPt>", "</c:dPt>", 1), exportcore::XlsxLineXml("11")));
  // An explosion that is no number is left out.
  EXPECT_FALSE(Has(Nth(xml, "<c:dPt>", "</c:dPt>", 2), "explosion"));
  // A value that is no number is written as 0.
  EXPECT_TRUE(Has(xml, "<c:pt idx=\"1\"><c:v>0</c:v></c:pt>"));
  EXPECT_TRUE(Has(xml, "</c:pie3DChart>"));
  EXPECT_EQ(f.Problem(), "");
}

TEST(ChartPieGroup, PerPointLabelsAndTheLabelOfAll) {
  ChartFixture f = PointTable();
  f.c.kw.zlabel = f.Line("zlabel", "0^0^YP");
  f.Data("B2:B4");
  f.Ready();
  PieKind(f.c);
  chart::WritePieGroup(f.c);
  std::string labels = Nth(f.Xml(), "<c:dLbls><c:dLbl>", "</c:dLbls>");
  EXPECT_EQ(Count(labels, "<c:dLbl>"), 1);
  EXPECT_TRUE(Has(labels, "<c:dLbl><c:idx val=\"1\"/><c:layout/><c:spPr/>" + exportcore::XlsxDataLabelsXml("YP", 1) +
                              "</c:dLbl></c:dLbls>"));
  EXPECT_FALSE(Has(labels, "showLeaderLines"));

  ChartFixture all = PointTable();
  all.c.kw.zlabel = all.Line("zlabel", "YX^^Y");
  all.Data("B2:B4");
  all.Ready();
  PieKind(all.c);
  chart::WritePieGroup(all.c);
  // An empty item 1 ends the per-point labels at once; item 0 labels all.
  EXPECT_TRUE(Has(all.Xml(), "<c:dLbls>" + exportcore::XlsxDataLabelsXml("YX", 1) +
                                 "<c:showLeaderLines val=\"1\"/></c:dLbls>"));
  EXPECT_EQ(all.Problem(), "");
}

TEST(ChartScatterGroup, SeriesFromPairsOfDataLinesWithHollowDefaultMarkers) {
  for (int lines : {4, 5}) {
    ChartFixture f = PointTable();
    for (int i = 0; i < lines; ++i) f.Data(i % 2 ? "C2:C4" : "B2:B4");
    f.Ready();
    f.c.kind = ChartKind::kScatter;
    chart::WriteScatterBubbleGroup(f.c);
    std::string xml = f.Xml();
    EXPECT_TRUE(Has(xml, "<c:scatterChart><c:scatterStyle val=\"lineMarker\"/><c:varyColors val=\"0\"/>"));
    EXPECT_EQ(Count(xml, "<c:ser>"), 2);
    std::string first = Nth(xml, "<c:ser>", "</c:ser>", 0);
    std::string last = Nth(xml, "<c:ser>", "</c:ser>", 1);
    EXPECT_TRUE(Has(first, "<c:idx val=\"3\"/><c:order val=\"0\"/>"));
    EXPECT_TRUE(Has(first, exportcore::XlsxMarkerXml("11")));  // square on the one before the last
    EXPECT_TRUE(Has(last, exportcore::XlsxMarkerXml("18")));   // circle on the last
    EXPECT_TRUE(Has(last, "<c:symbol val=\"circle\"/><c:size val=\"6\"/><c:spPr><a:noFill/>"));
    // x from the even line, y from the odd one; the empty y cell is skipped
    // while the count holds every referenced cell.
    EXPECT_TRUE(Has(first, "<c:xVal><c:numRef><c:f>(sheet1!$B$2:$B$4)</c:f>"));
    EXPECT_TRUE(Has(first, "<c:yVal><c:numRef><c:f>(sheet1!$C$2:$C$4)</c:f><c:numCache><c:formatCode>#,##0</c:formatCode>"
                           "<c:ptCount val=\"3\"/><c:pt idx=\"0\"><c:v>10</c:v></c:pt><c:pt idx=\"2\"><c:v>30</c:v></c:pt>"));
    EXPECT_TRUE(Has(last, "</c:yVal><c:smooth val=\"0\"/></c:ser>"));
    EXPECT_TRUE(Has(xml, "<c:axId val=\"68578688\"/><c:axId val=\"68584576\"/></c:scatterChart>"));
    EXPECT_EQ(f.Problem(), "");
  }
}

TEST(ChartScatterGroup, NoLinesForXynlAndMarkersBeforeLabels) {
  ChartFixture f = PointTable();
  f.c.kw.graph = f.Line("graph", "XYNL^^0^0^400^300");
  f.c.kw.zlabel = f.Line("zlabel", "Y");
  f.c.kw.marker = f.Line("zm", "8p21R");
  f.Data("B2:B4");
  f.Data("C2:C4");
  f.Ready();
  f.c.kind = ChartKind::kScatter;
  chart::WriteScatterBubbleGroup(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:spPr><a:ln w=\"25400\"><a:noFill/></a:ln></c:spPr>" + exportcore::XlsxMarkerXml("8p21R") +
                           exportcore::XlsxDataLabelsXml("Y", 0) + "<c:xVal>"));
}

TEST(ChartBubbleGroup, ThreeLinesASeriesDefaultFillsScaleAndWidthMode) {
  ChartFixture f = PointTable();
  f.c.kw.plotarea = f.Line("plotarea", "50pw");
  f.c.kw.marker = f.Line("zm", "21R");
  for (int i = 0; i < 6; ++i) f.Data(i % 3 == 0 ? "B2:B4" : i % 3 == 1 ? "C2:C4" : "D2:D4");
  f.Ready();
  f.c.kind = ChartKind::kBubble;
  f.c.bubble = true;
  f.c.zlineAuto = true;
  chart::WriteScatterBubbleGroup(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:bubbleChart><c:varyColors val=\"0\"/>"));
  EXPECT_EQ(Count(xml, "<c:ser>"), 2);
  std::string first = Nth(xml, "<c:ser>", "</c:ser>", 0);
  std::string last = Nth(xml, "<c:ser>", "</c:ser>", 1);
  EXPECT_TRUE(Has(first, "<c:idx val=\"3\"/>"));
  EXPECT_TRUE(Has(last, "<c:idx val=\"4\"/>"));
  EXPECT_TRUE(Has(first, "<c:spPr><a:solidFill><a:srgbClr val=\"3366FF\"/></a:solidFill>" +
                             exportcore::XlsxLineXml("11B") + "</c:spPr><c:invertIfNegative val=\"0\"/>"));
  EXPECT_TRUE(Has(last, "<a:srgbClr val=\"FF8080\"/>"));
  EXPECT_TRUE(Has(last, exportcore::XlsxLineXml("11R")));
  // Bubble series carry neither markers nor smoothing.
  EXPECT_FALSE(Has(xml, "<c:marker"));
  EXPECT_FALSE(Has(xml, "<c:smooth"));
  EXPECT_TRUE(Has(first, "<c:bubbleSize><c:numRef><c:f>(sheet1!$D$2:$D$4)</c:f>"));
  EXPECT_TRUE(Has(first, "</c:bubbleSize><c:bubble3D val=\"0\"/></c:ser>"));
  EXPECT_TRUE(Has(xml, "<c:bubbleScale val=\"50\"/><c:sizeRepresents val=\"w\"/><c:axId val=\"68578688\"/>"));
  EXPECT_TRUE(Has(xml, "</c:bubbleChart>"));
  EXPECT_EQ(f.Problem(), "");

  ChartFixture d = PointTable();
  for (int i = 0; i < 3; ++i) d.Data("B2:B4");
  d.Ready();
  d.c.kind = ChartKind::kBubble;
  d.c.bubble = true;
  d.c.threeD = true;
  chart::WriteScatterBubbleGroup(d.c);
  EXPECT_TRUE(Has(d.Xml(), "<c:bubble3D val=\"1\"/>"));
  EXPECT_TRUE(Has(d.Xml(), "<c:bubbleScale val=\"100\"/><c:axId"));
}

TEST(ChartGroups, EachWriterOnlyWritesItsOwnKind) {
  ChartFixture f = PointTable();
  f.Data("B2:B4");
  f.Ready();
  f.c.kind = ChartKind::kBar;
  f.c.nb = 1;
  chart::WritePieGroup(f.c);
  chart::WriteScatterBubbleGroup(f.c);
  EXPECT_EQ(f.Xml(), "");
}

}  // namespace
