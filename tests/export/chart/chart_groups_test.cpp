// The bar and line-type groups: groupings, automatic colours and line codes,
// lines coloured by zcolr, pattern fills, trend lines, radar categories,
// surface bands, axis ids of combined charts, escaped table text and value
// cells that hold no number.
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

ChartFixture SalesTable() {
  return ChartFixture{{"name", "north", "south"}, {"Jan", "1", "10"}, {"Feb", "2", "20"}, {"Mar", "3", "30"}};
}

void BarKind(chart::ChartCall& c, int nb, int nl) {
  c.kind = ChartKind::kBar;
  c.nb = nb;
  c.nl = nl;
}

TEST(ChartBarGroup, ClusteredAndStackedGroupingsWithGapWidthAndOverlap) {
  ChartFixture f = SalesTable();
  f.Data("B2:B4");
  f.Data("C2:C4");
  f.Ready();
  BarKind(f.c, 2, 0);
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:barChart><c:barDir val=\"col\"/><c:grouping val=\"clustered\"/><c:varyColors val=\"0\"/>"));
  EXPECT_TRUE(Has(xml, "<c:gapWidth val=\"150\"/><c:axId val=\"68578688\"/><c:axId val=\"68584576\"/></c:barChart>"));
  EXPECT_FALSE(Has(xml, "overlap"));
  EXPECT_EQ(Count(xml, "<c:ser>"), 2);
  // Without zline the outline is a thin black line.
  EXPECT_TRUE(Has(xml, exportcore::XlsxLineXml("11")));
  EXPECT_TRUE(Has(xml, "<c:f>(sheet1!$B$2:$B$4)</c:f>"));
  EXPECT_TRUE(Has(xml, "<c:pt idx=\"2\"><c:v>3</c:v></c:pt>"));
  EXPECT_EQ(f.Problem(), "");

  ChartFixture s = SalesTable();
  s.Data("B2:B4");
  s.Ready();
  BarKind(s.c, 1, 0);
  s.c.grouping = 1;
  s.c.horizontal = true;
  s.c.gapWidth = 80;
  chart::WriteBarLineGroups(s.c);
  xml = s.Xml();
  EXPECT_TRUE(Has(xml, "<c:barDir val=\"bar\"/><c:grouping val=\"stacked\"/>"));
  EXPECT_TRUE(Has(xml, "<c:gapWidth val=\"80\"/><c:overlap val=\"100\"/>"));

  // Percent-stacked in 3-D: the 3-D group has no overlap element.
  ChartFixture p = SalesTable();
  p.Data("B2:B4");
  p.Ready();
  BarKind(p.c, 1, 0);
  p.c.grouping = 2;
  p.c.threeD = true;
  chart::WriteBarLineGroups(p.c);
  xml = p.Xml();
  EXPECT_TRUE(Has(xml, "<c:bar3DChart><c:barDir val=\"col\"/><c:grouping val=\"percentStacked\"/>"));
  EXPECT_FALSE(Has(xml, "overlap"));
  EXPECT_TRUE(Has(xml, "</c:bar3DChart>"));
}

TEST(ChartBarGroup, AutoColoursCountFromTheLastSeriesAndDigitCodesArePatterns) {
  ChartFixture f = SalesTable();
  f.c.kw.zcolr = f.Line("zcolr", "Auto");
  for (int i = 0; i < 3; ++i) f.Data("B2:B4");
  f.Ready();
  BarKind(f.c, 3, 0);
  f.c.zcolrAuto = true;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 0), "<a:solidFill><a:srgbClr val=\"00F000\"/>"));  // G
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 1), "<a:solidFill><a:srgbClr val=\"0000FF\"/>"));  // B
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 2), "<a:solidFill><a:srgbClr val=\"FF0000\"/>"));  // R

  // Three digits are a pattern (its first two) and a colour (the rest).
  ChartFixture d = SalesTable();
  d.c.kw.zcolr = d.Line("zcolr", "909^71S");
  d.Data("B2:B4");
  d.Data("C2:C4");
  d.Ready();
  BarKind(d.c, 2, 0);
  chart::WriteBarLineGroups(d.c);
  xml = d.Xml();
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 0),
                  "<a:pattFill prst=\"" + exportcore::XlsxPatternName(90) + "\"><a:fgClr><a:srgbClr val=\"" +
                      exportcore::XlsxColorHex("9") +
                      "\"/></a:fgClr><a:bgClr><a:schemeClr val=\"bg1\"/></a:bgClr></a:pattFill>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 1), "<a:pattFill prst=\"weave\"><a:fgClr><a:srgbClr val=\"00C0D0\"/>"));
}

TEST(ChartBarGroup, ValueCellsThatAreNoNumberAreZeroAndTableTextIsEscaped) {
  ChartFixture f{{"name", "v"}, {"a", "12.5.3"}, {"b", "1-2"}, {"c", "-"}, {"d", ""}, {"e", "7"}};
  f.c.kw.zname = f.Line("zname", "A&B<\"x\">");
  f.c.kw.xname = f.Line("xname", "p&q^r<s");
  f.Data("B2:B6");
  f.Ready();
  BarKind(f.c, 1, 0);
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:tx><c:v>A&amp;B&lt;&quot;x&quot;&gt;</c:v></c:tx>"));
  EXPECT_TRUE(Has(xml, "<c:ptCount val=\"51\"/><c:pt idx=\"0\"><c:v>p&amp;q</c:v></c:pt><c:pt idx=\"1\"><c:v>r&lt;s</c:v></c:pt>"));
  EXPECT_TRUE(Has(xml, "<c:ptCount val=\"5\"/><c:pt idx=\"0\"><c:v>0</c:v></c:pt><c:pt idx=\"1\"><c:v>0</c:v></c:pt>"
                       "<c:pt idx=\"2\"><c:v>0</c:v></c:pt><c:pt idx=\"3\"><c:v>0</c:v></c:pt>"
                       "<c:pt idx=\"4\"><c:v>7</c:v></c:pt>"));
  EXPECT_EQ(f.Problem(), "");
}

TEST(ChartBarGroup, NamesAndCategoriesFromCells) {
  ChartFixture f = SalesTable();
  f.c.kw.zname = f.Line("zname", "cell^B1:C1");
  f.c.kw.xname = f.Line("xname", "cell^A2:A4");
  f.Data("B2:B4");
  f.Data("C2:C4");
  f.Data("C2:C4");
  f.Ready();
  BarKind(f.c, 3, 0);
  f.c.namesFromCells = true;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 0), "<c:v>north</c:v>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 1), "<c:v>south</c:v>"));
  // Past the name cells a series is named by its number.
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 2), "<c:tx><c:v>data2</c:v></c:tx>"));
  EXPECT_TRUE(Has(xml, "<c:pt idx=\"0\"><c:v>Jan</c:v></c:pt><c:pt idx=\"1\"><c:v>Feb</c:v></c:pt>"));
}

TEST(ChartLineGroup, StackedAndPercentAreasCarryNoMarkerOrSmoothing) {
  for (int code : {3, 4}) {
    ChartFixture f = SalesTable();
    f.Data("B2:B4");
    f.Ready();
    f.c.kind = ChartKind::kLine;
    f.c.nl = 1;
    f.c.grouping = code;
    chart::WriteBarLineGroups(f.c);
    std::string xml = f.Xml();
    EXPECT_TRUE(Has(xml, std::string("<c:areaChart><c:grouping val=\"") + (code == 4 ? "percentStacked" : "stacked") +
                             "\"/><c:varyColors val=\"0\"/>"));
    EXPECT_TRUE(Has(xml, "</c:areaChart>"));
    EXPECT_FALSE(Has(xml, "<c:marker"));
    EXPECT_FALSE(Has(xml, "<c:smooth"));
    // idx counts from 3 in the line-type group.
    EXPECT_TRUE(Has(xml, "<c:ser><c:idx val=\"3\"/><c:order val=\"0\"/>"));
    // Categories stand in the series when there are no bar series.
    EXPECT_TRUE(Has(xml, "<c:cat><c:strLit><c:ptCount val=\"51\"/></c:strLit></c:cat>"));
    EXPECT_EQ(f.Problem(), "");
  }
}

TEST(ChartLineGroup, ZcolrColoursThePlainLinesAndEmptyValuesAreLeftOut) {
  ChartFixture f{{"n", "a"}, {"x", "1"}, {"y", ""}, {"z", "1.2.3"}, {"w", "4"}};
  f.c.kw.zcolr = f.Line("zcolr", "R^G^B");
  for (int i = 0; i < 3; ++i) f.Data("B2:B5");
  f.Ready();
  f.c.kind = ChartKind::kLine;
  f.c.nl = 3;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:lineChart><c:grouping val=\"standard\"/><c:varyColors val=\"0\"/>"));
  const char* codes[] = {"R", "G", "B"};
  for (int i = 0; i < 3; ++i) {
    std::string ser = Nth(xml, "<c:ser>", "</c:ser>", i);
    EXPECT_TRUE(Has(ser, "<c:spPr>" + exportcore::XlsxLineXml(codes[i]) + "</c:spPr>")) << ser;
    EXPECT_FALSE(Has(ser, "solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill></c:spPr>"));
    // The marker comes before the values; empty and broken numbers give no point.
    EXPECT_TRUE(Has(ser, "<c:marker><c:symbol val=\"none\"/></c:marker>"));
    EXPECT_TRUE(Has(ser, "<c:ptCount val=\"4\"/><c:pt idx=\"0\"><c:v>1</c:v></c:pt><c:pt idx=\"3\"><c:v>4</c:v></c:pt>"));
    EXPECT_TRUE(Has(ser, "</c:numCache></c:numRef></c:val><c:smooth val=\"0\"/></c:ser>"));
  }
  EXPECT_TRUE(Has(xml, "<c:marker val=\"1\"/><c:smooth val=\"0\"/><c:axId val=\"68578688\"/>"));
  // The zcolr line now serves as the zline line.
  EXPECT_EQ(f.c.kw.zcolr, 0u);
  EXPECT_NE(f.c.kw.zline, 0u);
  EXPECT_EQ(f.Problem(), "");
}

TEST(ChartLineGroup, AutoLineCodesAndCombinedChartsOnTheSecondAxes) {
  ChartFixture f = SalesTable();
  f.c.kw.zline = f.Line("zline", "Auto");
  f.c.kw.ypara2 = f.Line("ypara2", "8");
  for (int i = 0; i < 4; ++i) f.Data("B2:B4");
  f.Ready();
  BarKind(f.c, 2, 2);
  f.c.zlineAuto = true;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  std::string bar = Nth(xml, "<c:barChart>", "</c:barChart>");
  std::string line = Nth(xml, "<c:lineChart>", "</c:lineChart>");
  EXPECT_TRUE(Has(bar, "<c:axId val=\"68578688\"/><c:axId val=\"68584576\"/>"));
  EXPECT_TRUE(Has(line, "<c:axId val=\"68586496\"/><c:axId val=\"68600576\"/>"));
  // Series 2 and 3 of four: the last gets 31R, the one before 24B.
  EXPECT_TRUE(Has(Nth(line, "<c:ser>", "</c:ser>", 0), "<c:idx val=\"5\"/><c:order val=\"2\"/>"));
  EXPECT_TRUE(Has(Nth(line, "<c:ser>", "</c:ser>", 0), exportcore::XlsxLineXml("24B")));
  EXPECT_TRUE(Has(Nth(line, "<c:ser>", "</c:ser>", 1), exportcore::XlsxLineXml("31R")));
  // A combined chart's line series take no categories of their own.
  EXPECT_FALSE(Has(line, "<c:cat>"));
}

TEST(ChartLineGroup, TrendLines) {
  ChartFixture f = SalesTable();
  f.c.kw.trend = f.Line("zcu", "33:R%=A&vg^41x^12^71R^\x82\xa0");
  for (int i = 0; i < 5; ++i) f.Data("B2:B4");
  f.Ready();
  f.c.kind = ChartKind::kLine;
  f.c.nl = 5;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 0),
                  "<c:trendline><c:name>A&amp;vg</c:name><c:spPr>" + exportcore::XlsxLineXml("R%") +
                      "</c:spPr><c:trendlineType val=\"poly\"/><c:order val=\"3\"/><c:dispRSqr val=\"0\"/>"
                      "<c:dispEq val=\"1\"/><c:trendlineLbl><c:layout/>"
                      "<c:numFmt formatCode=\"General\" sourceLinked=\"0\"/></c:trendlineLbl></c:trendline>"));
  // 41x: a power trend line, its order raised to 2, no name, no equation.
  std::string power = Nth(Nth(xml, "<c:ser>", "</c:ser>", 1), "<c:trendline>", "</c:trendline>");
  EXPECT_TRUE(Has(power, "<c:trendline><c:spPr>" + exportcore::XlsxLineXml("") +
                             "</c:spPr><c:trendlineType val=\"power\"/><c:order val=\"2\"/>"));
  EXPECT_TRUE(Has(power, "<c:dispEq val=\"0\"/>"));
  // Two bytes (also one double-byte character) and a type digit outside 1-6: none.
  EXPECT_FALSE(Has(Nth(xml, "<c:ser>", "</c:ser>", 2), "trendline"));
  EXPECT_FALSE(Has(Nth(xml, "<c:ser>", "</c:ser>", 3), "trendline"));
  EXPECT_FALSE(Has(Nth(xml, "<c:ser>", "</c:ser>", 4), "trendline"));
  EXPECT_EQ(Count(xml, "<c:trendline>"), 2);
  EXPECT_EQ(f.Problem(), "");
}

TEST(ChartLineGroup, RadarCategoriesOnlyInTheFirstSeries) {
  ChartFixture f = SalesTable();
  f.c.kw.xname = f.Line("xname", "a^b^c");
  f.Data("B2:B4");
  f.Data("C2:C4");
  f.Ready();
  f.c.kind = ChartKind::kRadar;
  f.c.nl = 2;
  f.c.radarStyle = 1;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:radarChart><c:radarStyle val=\"marker\"/><c:varyColors val=\"1\"/>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:ser>", "</c:ser>", 0), "<c:cat>"));
  EXPECT_FALSE(Has(Nth(xml, "<c:ser>", "</c:ser>", 1), "<c:cat>"));
  EXPECT_FALSE(Has(xml, "<c:smooth"));
  EXPECT_TRUE(Has(xml, "<c:axId val=\"68584576\"/></c:radarChart>"));

  ChartFixture filled = SalesTable();
  filled.Data("B2:B4");
  filled.Ready();
  filled.c.kind = ChartKind::kRadar;
  filled.c.nl = 1;
  filled.c.radarStyle = 2;
  filled.c.threeD = true;  // "3D" in a radar kind changes nothing in the group
  chart::WriteBarLineGroups(filled.c);
  EXPECT_TRUE(Has(filled.Xml(), "</c:radarChart>"));
  EXPECT_EQ(filled.Problem(), "");
  // Without zcolr a filled radar takes its fill from the zline code (none: black).
  EXPECT_TRUE(Has(filled.Xml(), "<c:radarChart><c:radarStyle val=\"filled\"/><c:ser>"));
  EXPECT_TRUE(Has(filled.Xml(), "<c:spPr><a:solidFill><a:srgbClr val=\"000000\"/></a:solidFill></c:spPr>"));
}

TEST(ChartLineGroup, SurfaceBandsAndWireframe) {
  ChartFixture f = SalesTable();
  f.c.kw.zcolr = f.Line("zcolr", "Auto");
  f.c.kw.zlabel = f.Line("zlabel", "Y");
  f.Data("B2:B4");
  f.Data("C2:C4");
  f.Ready();
  f.c.kind = ChartKind::kSurface;
  f.c.nl = 2;
  f.c.surface = 1;
  f.c.zcolrAuto = true;
  chart::WriteBarLineGroups(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:surfaceChart><c:wireframe val=\"0\"/>"));
  EXPECT_EQ(Count(xml, "<c:bandFmt>"), 8);
  EXPECT_TRUE(Has(Nth(xml, "<c:bandFmt>", "</c:bandFmt>", 0),
                  "<c:idx val=\"0\"/><c:spPr><a:solidFill><a:srgbClr val=\"" + exportcore::XlsxLightColorHex("Y") + "\"/>"));
  EXPECT_TRUE(Has(Nth(xml, "<c:bandFmt>", "</c:bandFmt>", 7), "<a:srgbClr val=\"" + exportcore::XlsxLightColorHex("O") + "\"/>"));
  EXPECT_TRUE(Has(xml, "<c:axId val=\"68578688\"/><c:axId val=\"68584576\"/><c:axId val=\"107024832\"/></c:surfaceChart>"));
  // Surface series have no markers, labels or smoothing.
  EXPECT_FALSE(Has(xml, "<c:marker"));
  EXPECT_FALSE(Has(xml, "<c:dLbls>"));
  EXPECT_FALSE(Has(xml, "<c:smooth"));
  EXPECT_EQ(f.Problem(), "");

  ChartFixture w = SalesTable();
  w.c.kw.zline = w.Line("zline", "11R");
  w.Data("B2:B4");
  w.Ready();
  w.c.kind = ChartKind::kSurface;
  w.c.nl = 1;
  w.c.surface = 2;
  w.c.threeD = true;
  chart::WriteBarLineGroups(w.c);
  std::string wf = w.Xml();
  EXPECT_TRUE(Has(wf, "<c:surface3DChart><c:wireframe val=\"1\"/>"));
  EXPECT_TRUE(Has(wf, "<c:bandFmts/>"));
  EXPECT_FALSE(Has(wf, "<a:ln"));  // no series outlines
  EXPECT_TRUE(Has(wf, "</c:surface3DChart>"));
}

TEST(ChartBarGroup, NoMoreBarSeriesThanDataLines) {
  ChartFixture f = SalesTable();
  f.Data("B2:B4");
  f.Ready();
  BarKind(f.c, 2, 0);
  chart::WriteBarLineGroups(f.c);
  EXPECT_EQ(Count(f.Xml(), "<c:ser>"), 1);
}

}  // namespace
