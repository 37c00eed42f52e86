// The axes, the plot-area end and the legend: defaults of a bare bar chart,
// horizontal bars, percent maximum, reversed axes, the second value axis,
// the legend layouts, and the values the chart format would refuse
// (empty display units, positions that are no number, empty table sizes,
// fractions past one).
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

ChartFixture Table() { return ChartFixture{{"n", "a", "b"}, {"x", "1", "2"}}; }

void Bar(chart::ChartCall& c) {
  c.kind = ChartKind::kBar;
  c.nb = c.ndata;
}

TEST(ChartAxes, ABarChartWithoutAxisLines) {
  ChartFixture f = Table();
  f.Data("B2");
  f.Ready();
  Bar(f.c);
  chart::WriteAxesAndLegend(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "<c:catAx><c:axId val=\"68578688\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling>"
                       "<c:delete val=\"0\"/><c:axPos val=\"b\"/><c:majorTickMark val=\"out\"/>"));
  std::string cat = Nth(xml, "<c:catAx>", "</c:catAx>");
  EXPECT_FALSE(Has(cat, "Gridlines"));
  EXPECT_FALSE(Has(cat, "<c:title>"));
  EXPECT_TRUE(Has(cat, exportcore::XlsxTextBodyXml("8", "", 0) + "<c:crossAx val=\"68584576\"/><c:crosses val=\"autoZero\"/>"
                       "<c:auto val=\"1\"/>"));
  std::string val = Nth(xml, "<c:valAx>", "</c:valAx>");
  EXPECT_TRUE(Has(val, "<c:scaling><c:orientation val=\"minMax\"/><c:min val=\"0\"/></c:scaling><c:delete val=\"0\"/>"
                       "<c:axPos val=\"l\"/><c:majorGridlines/><c:numFmt formatCode=\"#,##0_ \" sourceLinked=\"1\"/>"));
  EXPECT_TRUE(Has(val, "<c:crossBetween val=\"between\"/>"));
  EXPECT_TRUE(Has(val, "<c:dispUnits><c:custUnit val=\"1\"/><c:dispUnitsLbl><c:layout><c:manualLayout>"
                       "<c:xMode val=\"edge\"/><c:yMode val=\"edge\"/><c:x val=\"0.1\"/><c:y val=\"0.05\"/>"));
  // The plot area's default fill, then its end; no legend without a sampl line.
  EXPECT_TRUE(Has(xml, "</c:valAx><c:spPr><a:solidFill><a:srgbClr val=\"FFFFE0\"/></a:solidFill></c:spPr></c:plotArea>"));
  EXPECT_FALSE(Has(xml, "<c:legend>"));
  EXPECT_EQ(f.Problem("<c:plotArea>"), "");
}

TEST(ChartAxes, HorizontalPercentReversedAndTitledAxes) {
  ChartFixture f = Table();
  f.c.kw.xpara = f.Line("xpara", "9I^^^2^^22B");
  f.c.kw.xtitle = f.Line("xt", "10^Month");
  f.c.kw.ytitle = f.Line("yt", "^Yen");
  f.Data("B2");
  f.Ready();
  Bar(f.c);
  f.c.horizontal = true;
  f.c.grouping = 2;
  chart::WriteAxesAndLegend(f.c);
  std::string xml = f.Xml();
  std::string cat = Nth(xml, "<c:catAx>", "</c:catAx>");
  EXPECT_TRUE(Has(cat, "<c:orientation val=\"maxMin\"/>"));
  EXPECT_TRUE(Has(cat, "<c:axPos val=\"l\"/><c:majorGridlines><c:spPr>" + exportcore::XlsxLineXml("22B") +
                           "</c:spPr></c:majorGridlines><c:title>" + exportcore::XlsxTextBodyXml("10", "Month", 0) +
                           "<c:layout/><c:overlay val=\"0\"/></c:title>"));
  EXPECT_TRUE(Has(cat, exportcore::XlsxTextBodyXml("9I", "", 0)));
  EXPECT_FALSE(Has(cat, "majorUnit"));
  EXPECT_TRUE(Has(cat, "sz=\"900\""));
  std::string val = Nth(xml, "<c:valAx>", "</c:valAx>");
  EXPECT_TRUE(Has(val, "<c:max val=\"1\"/><c:min val=\"0\"/>"));
  EXPECT_TRUE(Has(val, "<c:axPos val=\"t\"/>"));
  // The title goes before the number format, with its default size.
  EXPECT_TRUE(Has(val, "<c:title>" + exportcore::XlsxTextBodyXml("8", "Yen", 0) +
                           "<c:layout/><c:overlay val=\"0\"/></c:title><c:numFmt"));
  EXPECT_EQ(f.Problem("<c:plotArea>"), "");
}

TEST(ChartAxes, SecondValueAxisWithHiddenLabelsAndItsCategoryAxis) {
  ChartFixture f = Table();
  f.c.kw.ypara = f.Line("ypara", "8^^5^0");
  f.c.kw.ypara2 = f.Line("ypara2", "-1^0^^^1000");
  f.Data("B2");
  f.Data("C2");
  f.Ready();
  f.c.kind = ChartKind::kBar;
  f.c.nb = 1;
  f.c.nl = 1;
  chart::WriteAxesAndLegend(f.c);
  std::string xml = f.Xml();
  std::string second = Nth(xml, "<c:valAx><c:axId val=\"68600576\"/>", "</c:valAx>");
  ASSERT_FALSE(second.empty());
  // A maximum of 0 is not written; the minimum comes from ypara.
  EXPECT_TRUE(Has(second, "<c:scaling><c:orientation val=\"minMax\"/><c:min val=\"5\"/></c:scaling>"));
  EXPECT_TRUE(Has(second, "<c:axPos val=\"r\"/><c:numFmt formatCode=\"#,##0\" sourceLinked=\"1\"/>"));
  EXPECT_TRUE(Has(second, "<c:tickLblPos val=\"none\"/><c:crossAx val=\"68586496\"/><c:crosses val=\"max\"/>"));
  EXPECT_TRUE(Has(second, "<c:custUnit val=\"1000\"/>"));
  // A major unit of 0 is left out.
  EXPECT_FALSE(Has(xml, "majorUnit"));
  EXPECT_TRUE(Has(second, "<c:x val=\"0.95\"/><c:y val=\"0.05\"/>"));
  EXPECT_TRUE(Has(xml, "<c:catAx><c:axId val=\"68586496\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling>"
                       "<c:delete val=\"1\"/><c:axPos val=\"b\"/>"));
  EXPECT_TRUE(Has(xml, "<c:crossAx val=\"68600576\"/><c:crosses val=\"autoZero\"/>"));
  EXPECT_EQ(f.Problem("<c:plotArea>"), "");
}

TEST(ChartAxes, EmptyDisplayUnitsAreLeftOut) {
  ChartFixture f = Table();
  f.c.kw.ypara2 = f.Line("ypara2", "8");
  f.c.kw.unit2 = f.Line("unit2", "8^k");
  f.Data("B2");
  f.Data("C2");
  f.Ready();
  f.c.kind = ChartKind::kScatter;
  chart::WriteAxesAndLegend(f.c);
  std::string xml = f.Xml();
  // The scatter's first axis and the second value axis have no unit;
  // the primary value axis keeps its "1".
  EXPECT_FALSE(Has(Nth(xml, "<c:valAx><c:axId val=\"68578688\"/>", "</c:valAx>"), "dispUnits"));
  EXPECT_FALSE(Has(Nth(xml, "<c:valAx><c:axId val=\"68600576\"/>", "</c:valAx>"), "dispUnits"));
  EXPECT_TRUE(Has(Nth(xml, "<c:valAx><c:axId val=\"68584576\"/>", "</c:valAx>"), "<c:custUnit val=\"1\"/>"));
  EXPECT_FALSE(Has(xml, "custUnit val=\"\""));
  // The scatter's first axis: a number format and midCat.
  EXPECT_TRUE(Has(Nth(xml, "<c:valAx><c:axId val=\"68578688\"/>", "</c:valAx>"),
                  "<c:crosses val=\"autoZero\"/><c:crossBetween val=\"midCat\"/></c:valAx>"));

  ChartFixture u = Table();
  u.c.kw.xpara = u.Line("xpara", "8^^^5^1000");
  u.c.kw.unit2 = u.Line("unit2", "8^k&m^50^60");
  u.Data("B2");
  u.Data("C2");
  u.Ready(200, 100);
  u.c.kind = ChartKind::kScatter;
  chart::WriteAxesAndLegend(u.c);
  std::string first = Nth(u.Xml(), "<c:valAx><c:axId val=\"68578688\"/>", "</c:valAx>");
  EXPECT_TRUE(Has(first, "<c:crossBetween val=\"midCat\"/><c:majorUnit val=\"5\"/><c:dispUnits><c:custUnit val=\"1000\"/>"));
  EXPECT_TRUE(Has(first, "<c:x val=\"0.25\"/><c:y val=\"0.60\"/>"));
  EXPECT_TRUE(Has(first, exportcore::XlsxTextBodyXml("8", "k&m", 0) +
                             "<c:spPr><a:noFill/><a:ln w=\"25400\"><a:noFill/></a:ln></c:spPr></c:dispUnitsLbl>"));
  EXPECT_EQ(u.Problem("<c:plotArea>"), "");
}

TEST(ChartAxes, PieHasNoAxesAndSurfacesHaveASeriesAxisAndNoFill) {
  ChartFixture f = Table();
  f.Data("B2");
  f.Ready();
  f.c.kind = ChartKind::kPie;
  f.c.pie = true;
  chart::WriteAxesAndLegend(f.c);
  EXPECT_EQ(f.Xml(), "<c:spPr><a:solidFill><a:srgbClr val=\"FFFFFE\"/></a:solidFill></c:spPr></c:plotArea>");

  ChartFixture s = Table();
  s.Data("B2");
  s.Ready();
  s.c.kind = ChartKind::kSurface;
  s.c.surface = 1;
  s.c.nl = 1;
  chart::WriteAxesAndLegend(s.c);
  std::string xml = s.Xml();
  EXPECT_TRUE(Has(xml, "<c:serAx><c:axId val=\"107024832\"/>"));
  EXPECT_TRUE(Has(xml, "<c:tickLblPos val=\"none\"/>"));
  EXPECT_TRUE(Has(xml, "</c:serAx></c:plotArea>"));
}

TEST(ChartAxes, DataTableBeforeTheFillAndWithoutAnEmptySize) {
  ChartFixture f = Table();
  f.c.kw.ta = f.Line("ta", "^HM");
  f.c.kw.plotarea = f.Line("plotarea", "^R");
  f.Data("B2");
  f.Ready();
  Bar(f.c);
  chart::WriteAxesAndLegend(f.c);
  std::string xml = f.Xml();
  EXPECT_TRUE(Has(xml, "</c:valAx><c:dTable><c:showHorzBorder val=\"1\"/><c:showVertBorder val=\"0\"/>"
                       "<c:showOutline val=\"0\"/><c:showKeys val=\"1\"/><c:txPr><a:bodyPr/><a:lstStyle/><a:p>"
                       "<a:pPr rtl=\"0\"><a:defRPr baseline=\"0\"/></a:pPr><a:endParaRPr lang=\"ja-JP\"/></a:p></c:txPr>"
                       "</c:dTable><c:spPr><a:solidFill><a:srgbClr val=\"" +
                           exportcore::XlsxLightColorHex("R") + "\"/>"));
  EXPECT_FALSE(Has(xml, "sz=\"00\""));

  ChartFixture s = Table();
  s.c.kw.ta = s.Line("ta", "9^O");
  s.Data("B2");
  s.Ready();
  Bar(s.c);
  chart::WriteAxesAndLegend(s.c);
  EXPECT_TRUE(Has(s.Xml(), "<c:showOutline val=\"1\"/>"));
  EXPECT_TRUE(Has(s.Xml(), "<a:defRPr sz=\"900\" baseline=\"0\"/>"));
}

TEST(ChartLegend, LetterLayoutOnFourHundredByThreeHundred) {
  ChartFixture f = Table();
  f.c.kw.sampl = f.Line("sampl", "8^^B");
  for (int i = 0; i < 4; ++i) f.Data("B2");
  f.Ready(400, 300);
  Bar(f.c);
  chart::WriteAxesAndLegend(f.c);
  std::string legend = Nth(f.Xml(), "<c:legend>", "</c:legend>");
  EXPECT_TRUE(Has(legend, "<c:legend><c:legendPos val=\"r\"/><c:layout><c:manualLayout><c:xMode val=\"edge\"/>"
                          "<c:yMode val=\"edge\"/><c:x val=\"0.5\"/><c:y val=\"0.7\"/><c:w val=\"0.17\"/>"
                          "<c:h val=\"0.18\"/></c:manualLayout></c:layout><c:overlay val=\"0\"/>"
                          "<c:spPr><a:solidFill><a:srgbClr val=\"FFFFFF\"/></a:solidFill>"));
  EXPECT_TRUE(Has(legend, "</c:spPr>" + exportcore::XlsxTextBodyXml("8", "", 0) + "</c:legend>"));

  // With a line series on a flat unstacked chart the legend is 100 pixels wide.
  ChartFixture l = Table();
  l.c.kw.sampl = l.Line("sampl", "8^^T^B");
  for (int i = 0; i < 4; ++i) l.Data("B2");
  l.Ready(400, 300);
  l.c.kind = ChartKind::kLine;
  l.c.nl = 4;
  chart::WriteAxesAndLegend(l.c);
  EXPECT_TRUE(Has(l.Xml(), "<c:x val=\"0.5\"/><c:y val=\"0.7\"/><c:w val=\"0.25\"/>"));
}

TEST(ChartLegend, PositionsThatAreNoNumberLeaveTheLayoutOutAndFractionsStayBelowOne) {
  for (const char* value : {"8^^R", "8^^", "8^^L", "8^^120^x"}) {
    ChartFixture f = Table();
    f.c.kw.sampl = f.Line("sampl", value);
    f.Data("B2");
    f.Ready();
    Bar(f.c);
    chart::WriteAxesAndLegend(f.c);
    std::string legend = Nth(f.Xml(), "<c:legend>", "</c:legend>");
    EXPECT_TRUE(Has(legend, "<c:legend><c:legendPos val=\"r\"/><c:overlay val=\"0\"/>")) << value;
    EXPECT_FALSE(Has(legend, "manualLayout")) << value;
    EXPECT_EQ(f.Problem("<c:plotArea>"), "") << value;
  }
  ChartFixture none = Table();
  none.c.kw.sampl = none.Line("sampl", "8^^0");
  none.Data("B2");
  none.Ready();
  Bar(none.c);
  chart::WriteAxesAndLegend(none.c);
  EXPECT_FALSE(Has(none.Xml(), "<c:legend"));

  // A small chart: 7000 / 50 and 20 x 1400 / 60 are past one and clamp.
  ChartFixture small = Table();
  small.c.kw.sampl = small.Line("sampl", "8^^100^30");
  for (int i = 0; i < 20; ++i) small.Data("B2");
  small.Ready(50, 60);
  Bar(small.c);
  chart::WriteAxesAndLegend(small.c);
  EXPECT_TRUE(Has(small.Xml(), "<c:x val=\"0.99\"/><c:y val=\"0.50\"/><c:w val=\"0.99\"/><c:h val=\"0.99\"/>"));
}

}  // namespace
