// The chart writer's own steps: the block and its keywords, the kind and
// the series counts, the layout and its anchors, the chart head, the chart
// parts and the sheet's drawing, and several blocks in one call. Tables are
// generated here and go through the table loader, so the keyword lines hold
// the real field separator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/csv_table.h"
#include "export/byte_writer.h"
#include "export/chart/chart_call.h"
#include "export/chart/chart_steps.h"
#include "export/chart/chart_writer.h"
#include "export/part_sink.h"
#include "support/xml_wellformed.h"

namespace {

using namespace chart;

// A sales table under which the tests write their "!$" blocks.
const std::string kTable =
    "Month,East,West,North\r\n"
    "Jan,10,20,30\r\n"
    "Feb,11,21,31\r\n"
    "Mar,12,22,32\r\n"
    "Apr,13,23,33\r\n";

struct Loaded {
  csv::Table table;
  explicit Loaded(const std::string& text) { EXPECT_TRUE(table.LoadFileText(text.data(), text.size(), 16)); }
  const char* Text() const { return reinterpret_cast<const char*>(table.m_pTextBuf); }
  std::uint32_t Find(const char* what) const {
    const std::string t(Text(), table.m_nTextLen);
    const std::size_t p = t.find(what);
    EXPECT_NE(std::string::npos, p) << what;
    return static_cast<std::uint32_t>(p);
  }
};

struct Messages : ChartHost {
  std::vector<std::string> shown;
  void ShowMessage(const CString& text) override { shown.push_back(text.GetString()); }
};

// One writer call on the first "!$" block of `text`, on sheet 1, every
// column 10 units wide at the default scale (72 pixels each).
struct Call {
  Loaded t;
  std::vector<std::string> names = std::vector<std::string>(256);
  std::vector<std::uint32_t> starts = std::vector<std::uint32_t>(256, 0);
  std::vector<std::int32_t> widths = std::vector<std::int32_t>(1001, 10);
  exportcore::MemoryPartSink sink;
  exportcore::ByteWriter drawing;
  Messages host;
  ChartMessages messages;
  int index = 0;
  int number = 1;
  int result = 0;

  explicit Call(const std::string& text, bool run = true) : t(text) {
    if (run) Run();
  }
  void Run() {
    messages.host = &host;
    ChartSheetList sheets{names.data(), starts.data(), 256};
    result = XlsxWriteChart(drawing, t.Find("!$"), 1, sheets, &index, &number, widths.data(), 1001, 105, 0, t.table,
                            sink, &messages);
  }
  std::string Part(const std::string& path) const {
    auto it = sink.parts.find(path);
    return it == sink.parts.end() ? std::string() : it->second;
  }
  std::string Drawing() const { return std::string(drawing.Data(), drawing.Size()); }
};

// The call state after the block at the first "!$" has been read and
// classified (no XML written).
ChartCall ReadState(const Loaded& t) {
  ChartCall c;
  c.table = ChartTextOf(t.table);
  c.blockStart = t.Find("!$");
  ReadChartBlock(c);
  ClassifyChart(c);
  ChartSeriesCounts(c);
  return c;
}

std::string DataLines(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "data,B2:B5\r\n";
  return s;
}

// --- the block, the kind and the counts ---

TEST(ChartBlock, BarLineSplitsItsSeriesByTheKindLine) {
  Loaded autoSplit(kTable + "!$\r\ngraph,BarLine,,10,10,400,300\r\nzkind,Auto\r\n" + DataLines(5));
  ChartCall a = ReadState(autoSplit);
  EXPECT_EQ(ChartKind::kBar, a.kind);
  EXPECT_EQ(5, a.ndata);
  EXPECT_EQ(2, a.nb);
  EXPECT_EQ(3, a.nl);
  // The first item holding "L" is item 2.
  Loaded items(kTable + "!$\r\ngraph,BarLine,,10,10,400,300\r\nzkind,B^B^L^B^B\r\n" + DataLines(5));
  ChartCall b = ReadState(items);
  EXPECT_EQ(2, b.nb);
  EXPECT_EQ(3, b.nl);
  // A second value axis without a kind line: the larger half are lines.
  Loaded ypara2(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\nypara2,0^100\r\n" + DataLines(5));
  ChartCall y = ReadState(ypara2);
  EXPECT_EQ(2, y.nb);
  EXPECT_EQ(3, y.nl);
  // A kind line whose item 1 holds no "L" and one data line: one bar series,
  // never more than there are data lines.
  Loaded one(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\nzkind,B^B\r\n" + DataLines(1));
  ChartCall o = ReadState(one);
  EXPECT_EQ(1, o.nb);
  EXPECT_EQ(0, o.nl);
}

TEST(ChartBlock, KeywordsTerminatorsAndDataLineLimit) {
  Loaded t(kTable +
           "!$\r\ngraph,Line Stack 100,,10,10,400,300\r\nzcu,1\r\nzcolr,R^G\r\nzlabel,Y\r\nzline,1R\r\n"
           "ypara2,1\r\nyp,2\r\nunit2,x\r\n!a ignored line\r\ntitle,8,First\r\ntitle,9,Second\r\n" +
           DataLines(101) + "!#\r\nnext,block\r\n");
  ChartCall c = ReadState(t);
  EXPECT_EQ(ChartKind::kLine, c.kind);
  EXPECT_EQ(4, c.grouping);
  EXPECT_EQ(100, c.ndata);  // the 101st data line is ignored
  EXPECT_EQ('#', c.terminator);
  EXPECT_EQ(t.Find("!#"), c.blockEnd);
  EXPECT_NE(0u, c.kw.trend);
  EXPECT_NE(0u, c.kw.zcolr);
  EXPECT_NE(0u, c.kw.zlabel);
  EXPECT_NE(0u, c.kw.zline);
  EXPECT_NE(0u, c.kw.ypara2);
  EXPECT_NE(0u, c.kw.ypara);
  EXPECT_NE(0u, c.kw.unit2);
  EXPECT_EQ(0u, c.kw.unit);
  // The "!a" line stays inside the block, and the later title line wins.
  EXPECT_EQ(t.Find("9\x06Second"), c.kw.title);
  EXPECT_EQ(std::string("R"), std::string(c.table.text + c.kw.zcolr, 1));
}

TEST(ChartBlock, KindTableAndFlags) {
  struct Row {
    const char* kind;
    ChartKind expect;
    int grouping, radar, surface;
    bool horizontal, standard, threeD;
  };
  const Row rows[] = {
      {"BarH 3D", ChartKind::kBar, 0, 0, 0, true, false, true},
      {"Bar Stack", ChartKind::kBar, 1, 0, 0, false, false, false},
      {"Bar Stack 100", ChartKind::kBar, 2, 0, 0, false, false, false},
      {"Bar para", ChartKind::kBar, 0, 0, 0, false, true, false},
      {"Line Stack", ChartKind::kLine, 3, 0, 0, false, false, false},
      {"Pie 3D", ChartKind::kPie, 0, 0, 0, false, false, true},
      {"XYNL", ChartKind::kScatter, 0, 0, 0, false, false, false},
      {"Bub", ChartKind::kBubble, 0, 0, 0, false, false, false},
      {"Rad", ChartKind::kRadar, 0, 1, 0, false, false, false},
      {"RadarA", ChartKind::kRadar, 0, 2, 0, false, false, false},
      {"Sur WF", ChartKind::kSurface, 0, 0, 2, false, false, false},
      {"Sur", ChartKind::kSurface, 0, 0, 1, false, false, false},
      {"Donut", ChartKind::kNone, 0, 0, 0, false, false, false},
  };
  for (const Row& r : rows) {
    Loaded t(kTable + "!$\r\ngraph," + r.kind + ",,10,10,400,300\r\n" + DataLines(3));
    ChartCall c = ReadState(t);
    EXPECT_EQ(r.expect, c.kind) << r.kind;
    EXPECT_EQ(r.grouping, c.grouping) << r.kind;
    EXPECT_EQ(r.radar, c.radarStyle) << r.kind;
    EXPECT_EQ(r.surface, c.surface) << r.kind;
    EXPECT_EQ(r.horizontal, c.horizontal) << r.kind;
    EXPECT_EQ(r.standard, c.standard) << r.kind;
    EXPECT_EQ(r.threeD, c.threeD) << r.kind;
  }
}

TEST(ChartBlock, SheetDataStartCountsBlockMarksAnywhere) {
  EXPECT_EQ(7u, ChartSheetDataStart("!*head\nrow1\n", 12, 1));
  const std::string text = "row1\n!#\nb2\nx!*y\nb3\n";
  const auto len = static_cast<std::uint32_t>(text.size());
  EXPECT_EQ(0u, ChartSheetDataStart(text.c_str(), len, 1));
  EXPECT_EQ(text.find("!#") + 1, ChartSheetDataStart(text.c_str(), len, 2));
  // A "!*" inside a line counts too; its data start is the next line.
  EXPECT_EQ(text.find("b3"), ChartSheetDataStart(text.c_str(), len, 3));
  EXPECT_EQ(0u, ChartSheetDataStart(text.c_str(), len, 4));
  EXPECT_EQ(0u, ChartSheetDataStart("plain\n", 6, 1));
}

// --- layout ---

TEST(ChartLayout, StartCellWithPixelSize) {
  Loaded t(kTable + "!$\r\ngraph,Bar,,C5,400,300\r\n" + DataLines(1));
  ChartCall c = ReadState(t);
  std::vector<std::int32_t> widths(1001, 10);
  widths[1] = 5;  // A: 4 units of 8 pixels
  c.columnWidths = widths.data();
  c.columnWidthCount = 1001;
  ASSERT_TRUE(ChartLayout(c));
  EXPECT_EQ((32 + 72 + 1) * 9510, c.anchorX);  // the pixels of A and B, plus 1
  EXPECT_EQ(77 * 9510, c.anchorY);              // 19 x 5 - 18
  EXPECT_EQ(400 * 9510, c.anchorW);
  EXPECT_EQ(300 * 9510, c.anchorH);
}

TEST(ChartLayout, WidthCodeTwoPastTheTableCountsAsTen) {
  ChartCall c;
  std::vector<std::int32_t> widths(1001, 2);
  c.columnWidths = widths.data();
  c.columnWidthCount = 1001;
  c.table.fieldCount = 2;
  EXPECT_EQ(16, ChartColumnPixels(c, 1, 3));          // two columns of the table, one unit each
  EXPECT_EQ(8 + 72, ChartColumnPixels(c, 2, 4));      // column 3 lies past the table
  c.pixelScale = 150;                                 // size digit '7'
  EXPECT_EQ(11, ChartColumnPixels(c, 1, 2));          // 8 x 150 / 105
}

TEST(ChartLayout, FractionsAreClampedToTwoDigits) {
  EXPECT_EQ("0.00", ChartFraction(-5));
  EXPECT_EQ("0.07", ChartFraction(7));
  EXPECT_EQ("0.99", ChartFraction(100));
}

// --- the chart XML and the drawing ---

TEST(ChartWriter, PixelPlacedChartWithDefaults) {
  Call call(kTable + "!$\r\ngraph,Bar,,10,20,400,300\r\ndata,B2:B5\r\n");
  ASSERT_EQ(static_cast<int>(call.t.table.m_nTextLen), call.result);
  EXPECT_EQ(2, call.index);
  EXPECT_EQ(2, call.number);
  const std::string chart = call.Part("xl/charts/chart1.xml");
  // The default title "999", centred by estimate on an empty item.
  EXPECT_NE(std::string::npos, chart.find("999"));
  EXPECT_NE(std::string::npos, chart.find("<c:x val=\"0.50\"/><c:y val=\"0.02\"/></c:manualLayout>"));
  // The plot area's default margins on 400 x 300 pixels.
  EXPECT_NE(std::string::npos,
            chart.find("<c:layoutTarget val=\"inner\"/><c:xMode val=\"edge\"/><c:yMode val=\"edge\"/>"
                       "<c:x val=\"0.12\"/><c:y val=\"0.11\"/><c:w val=\"0.84\"/><c:h val=\"0.79\"/>"));
  // No background item: white.
  EXPECT_NE(std::string::npos, chart.find("<c:spPr><a:solidFill><a:srgbClr val=\"FFFFFF\"/></a:solidFill></c:spPr>"
                                          "<c:printSettings>"));
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(chart));
  const std::string d = call.Drawing();
  EXPECT_EQ(0u, d.find("<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n<xdr:wsDr "));
  EXPECT_NE(std::string::npos, d.find("<xdr:absoluteAnchor><xdr:pos x=\"95100\" y=\"190200\"/>"
                                      "<xdr:ext cx=\"3804000\" cy=\"2853000\"/>"));
  EXPECT_NE(std::string::npos, d.find("<xdr:cNvPr id=\"2\" name=\"\"/>"));
  EXPECT_NE(std::string::npos, d.find("r:id=\"rId1\"/>"));
  EXPECT_EQ(d.size() - 11, d.find("</xdr:wsDr>"));
}

TEST(ChartWriter, CellRangeGivesATwoCellAnchor) {
  Call call(kTable + "!$\r\ngraph,Bar,,B3,H20\r\ntitle,12,Sales\r\ndata,B2:B5\r\n");
  ASSERT_GT(call.result, 0);
  EXPECT_NE(std::string::npos,
            call.Drawing().find("<xdr:twoCellAnchor editAs=\"absolute\"><xdr:from><xdr:col>1</xdr:col><xdr:colOff>0"
                                "</xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to>"
                                "<xdr:col>7</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>19</xdr:row><xdr:rowOff>0"
                                "</xdr:rowOff></xdr:to>"));
  EXPECT_NE(std::string::npos, call.Drawing().find("</xdr:clientData></xdr:twoCellAnchor>") +
                                   call.Drawing().find("<xdr:clientData/></xdr:twoCellAnchor>") + 1);
  EXPECT_NE(std::string::npos, call.Drawing().find("name=\"Sales\""));
  // A start cell with a pixel size is turned into pixels: an absolute anchor.
  Call start(kTable + "!$\r\ngraph,Bar,,C5,400,300\r\ndata,B2:B5\r\n");
  EXPECT_NE(std::string::npos, start.Drawing().find("<xdr:absoluteAnchor><xdr:pos x=\"1378950\" y=\"732270\"/>"));
  EXPECT_EQ(std::string::npos, start.Drawing().find("twoCellAnchor"));
}

TEST(ChartWriter, ThreeDAndSurfaceViews) {
  Call bar(kTable + "!$\r\ngraph,Bar 3D,,10,10,400,300\r\n3D\r\ndata,B2:B5\r\n");
  EXPECT_NE(std::string::npos, bar.Part("xl/charts/chart1.xml")
                                   .find("<c:view3D><c:rotX val=\"30\"/><c:hPercent val=\"40\"/><c:rotY val=\"30\"/>"
                                         "<c:depthPercent val=\"200\"/><c:rAngAx val=\"0\"/>"));
  Call barH(kTable + "!$\r\ngraph,BarH 3D,,10,10,400,300\r\ndata,B2:B5\r\n");
  EXPECT_NE(std::string::npos, barH.Part("xl/charts/chart1.xml").find("<c:hPercent val=\"200\"/>"));
  Call sur(kTable + "!$\r\ngraph,Sur,,10,10,400,300\r\ndata,B2:B5\r\ndata,C2:C5\r\n");
  const std::string s = sur.Part("xl/charts/chart1.xml");
  EXPECT_NE(std::string::npos, s.find("<c:view3D><c:rotX val=\"90\"/><c:rotY val=\"0\"/><c:rAngAx val=\"0\"/>"
                                      "<c:perspective val=\"0\"/></c:view3D><c:floor>"));
  EXPECT_NE(std::string::npos, s.find("<c:backWall><c:thickness val=\"0\"/>"));
  EXPECT_EQ(std::string::npos, s.find("layoutTarget"));
}

TEST(ChartWriter, PlotAreaPixelsAndClampedDefaults) {
  Call px(kTable + "!$\r\ngraph,Bar,,10,10,400,200\r\nplotarea,80p,,40,0.15,800,20\r\ndata,B2:B5\r\n");
  EXPECT_NE(std::string::npos, px.Part("xl/charts/chart1.xml")
                                   .find("<c:x val=\"0.10\"/><c:y val=\"0.15\"/><c:w val=\"0.99\"/><c:h val=\"0.10\"/>"));
  // Words where numbers belong take the defaults.
  Call words(kTable + "!$\r\ngraph,Bar 3D,,10,10,400,300\r\n3D,up,,deep\r\ntitle,8,T,left,top\r\n"
                      "plotarea,,,x,,wide\r\ndata,B2:B5\r\n");
  const std::string w = words.Part("xl/charts/chart1.xml");
  EXPECT_NE(std::string::npos, w.find("<c:rotX val=\"30\"/><c:hPercent val=\"40\"/><c:rotY val=\"30\"/>"
                                      "<c:depthPercent val=\"200\"/>"));
  EXPECT_NE(std::string::npos, w.find("<c:x val=\"0.50\"/><c:y val=\"0.02\"/></c:manualLayout>"));
  EXPECT_NE(std::string::npos, w.find("<c:x val=\"0.12\"/><c:y val=\"0.11\"/><c:w val=\"0.84\"/>"));
  // A chart smaller than the default margins keeps every value in 0.00-0.99.
  Call small(kTable + "!$\r\ngraph,Bar,,10,10,40,30\r\nyt,Yen\r\nxt,Month\r\ndata,B2:B5\r\n");
  EXPECT_NE(std::string::npos, small.Part("xl/charts/chart1.xml")
                                   .find("<c:x val=\"0.99\"/><c:y val=\"0.99\"/><c:w val=\"0.00\"/><c:h val=\"0.00\"/>"));
}

TEST(ChartWriter, GapWidthIsTheNumberBeforeP) {
  auto gap = [](const char* item) {
    Loaded t(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\nplotarea," + item + "\r\ndata,B2:B5\r\n");
    ChartCall c = ReadState(t);
    c.widthPx = 400;
    c.heightPx = 300;
    WriteChartHead(c);
    return c.gapWidth;
  };
  EXPECT_EQ(80, gap("80p"));
  EXPECT_EQ(150, gap("80"));
  EXPECT_EQ(150, gap("p"));
  EXPECT_EQ(500, gap("9999p"));
}

TEST(ChartWriter, TableTextIsEscapedInChartAndDrawing) {
  Call call(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\ntitle,10,A&B <\"x\">\r\ndata,B2:B5\r\n");
  ASSERT_GT(call.result, 0);
  EXPECT_NE(std::string::npos, call.Drawing().find("name=\"A&amp;B &lt;&quot;x&quot;&gt;\""));
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(call.Part("xl/charts/chart1.xml")));
  std::string drawing = call.Drawing();
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(exportcore::PartBytesOnDisk("xl/drawings/drawing1.xml",
                                                                                 drawing.data(), drawing.size())));
}

TEST(ChartWriter, TwoBlocksShareOneDrawing) {
  Call call(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\nxname,cellx\r\ndata,B2:B5\r\n"
                     "!$\r\ngraph,Pie,,420,10,300,300\r\ndata,C2:C5\r\n!#\r\nx,y\r\n",
            false);
  call.number = 4;
  call.Run();
  EXPECT_EQ(static_cast<int>(call.t.Find("!#")), call.result);
  EXPECT_EQ(3, call.index);
  EXPECT_EQ(6, call.number);
  EXPECT_FALSE(call.Part("xl/charts/chart4.xml").empty());
  EXPECT_FALSE(call.Part("xl/charts/chart5.xml").empty());
  const std::string d = call.Drawing();
  EXPECT_EQ(d.find("<?xml"), d.rfind("<?xml"));  // one head
  EXPECT_NE(std::string::npos, d.find("<xdr:cNvPr id=\"2\""));
  EXPECT_NE(std::string::npos, d.find("<xdr:cNvPr id=\"3\""));
  EXPECT_LT(d.find("r:id=\"rId1\""), d.find("r:id=\"rId2\""));
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(exportcore::PartBytesOnDisk("d.xml", d.data(), d.size())));
}

TEST(ChartWriter, SecondBlockKeepsTheFirstBlocksCategoryLine) {
  Loaded t(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\nxname,A2:A5\r\nzcolr,R\r\ntitle,8,T\r\ndata,B2:B5\r\n"
                    "!$\r\ngraph,Bar,,10,10,400,300\r\ndata,C2:C5\r\n");
  ChartCall c = ReadState(t);
  const std::uint32_t xname = c.kw.xname, zcolr = c.kw.zcolr;
  c.ResetForNextBlock();
  c.blockStart = c.blockEnd;
  ReadChartBlock(c);
  EXPECT_EQ(xname, c.kw.xname);
  EXPECT_EQ(zcolr, c.kw.zcolr);
  EXPECT_EQ(0u, c.kw.title);
  EXPECT_EQ(1, c.ndata);
}

TEST(ChartWriter, BlocksThatCannotBeDrawnAreSkipped) {
  // A zero size and an unknown kind around one good block: one chart, rId1.
  Call call(kTable + "!$\r\ngraph,Bar,,10,10,0,300\r\ndata,B2:B5\r\n"
                     "!$\r\ngraph,Funnel,,10,10,400,300\r\ndata,B2:B5\r\n"
                     "!$\r\ngraph,Line,,10,10,400,300\r\ndata,B2:B5\r\n"
                     "!$\r\ngraph,Bar,,B3,B20\r\ndata,B2:B5\r\n");
  ASSERT_GT(call.result, 0);
  EXPECT_EQ(2, call.index);
  EXPECT_EQ(2, call.number);
  EXPECT_EQ(1u, call.sink.parts.size());
  EXPECT_FALSE(call.Part("xl/charts/chart1.xml").empty());
  EXPECT_NE(std::string::npos, call.Drawing().find("rId1"));
  EXPECT_EQ(std::string::npos, call.Drawing().find("rId2"));
  // No block drawable: -1 and the drawing as it was.
  Call none(kTable + "!$\r\ngraph,Bar,,10,10,400,0\r\ndata,B2:B5\r\n!$\r\ntitle,8,no graph line\r\n", false);
  none.drawing.Append("earlier");
  none.Run();
  EXPECT_EQ(-1, none.result);
  EXPECT_EQ("earlier", none.Drawing());
  EXPECT_TRUE(none.sink.parts.empty());
}

TEST(ChartWriter, ChartPartThatCannotBeStoredFailsTheCall) {
  Call call(kTable + "!$\r\ngraph,Bar,,10,10,400,300\r\ndata,B2:B5\r\n", false);
  call.sink.refuse = "xl/charts/chart1.xml";
  call.Run();
  EXPECT_EQ(-1, call.result);
  EXPECT_TRUE(call.sink.AnyFailed());
  EXPECT_EQ("xl/charts/chart1.xml", call.sink.FirstFailure());
  EXPECT_EQ(0u, call.drawing.Size());
}

TEST(ChartWriter, ChartXmlGrowsAsItNeeds) {
  std::string many;
  for (int i = 0; i < 100; ++i) many += "data,B2:B5^C2:C5\r\n";
  std::string names = "zname";
  for (int i = 0; i < 100; ++i) names += ",Series name number " + std::to_string(i);
  Call call(kTable + "!$\r\ngraph,Line,,10,10,400,300\r\n" + names + "\r\n" + many);
  ASSERT_GT(call.result, 0);
  const std::string chart = call.Part("xl/charts/chart1.xml");
  EXPECT_EQ(chart.size() - 15, chart.rfind("</c:chartSpace>"));
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(chart));
}

}  // namespace
