// ".pptx" slides drawn as text over packages held in memory: page lines and
// the closing line, placeholder and default boxes, alignment, pictures, the
// lines a slide occupies, the grid units of the table switch, tables with
// wrapping and run-on cells, shapes off the slide and overlong tables, and
// the damage line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "convert/convert_texts.h"
#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"
#include "convert/ooxml_part.h"
#include "convert/pptx_canvas.h"
#include "convert/pptx_draw.h"
#include "convert/pptx_text.h"
#include "convert/ooxml_test_util.h"
#include "pptx_test_util.h"
#include "support/scratch.h"

namespace {

using convert::MemoryPackage;
using pptxtest::Box;
using pptxtest::Slide;

constexpr std::size_t kLine = 132;

struct Deck {
  MemoryPackage pkg;
  int slides = 0;
  void Add(const std::string& xml) {
    ++slides;
    pkg.Add("ppt/slides/slide" + std::to_string(slides) + ".xml", xml);
  }
  std::string Convert(std::uint32_t tableLayout = 0, std::int64_t* result = nullptr) {
    convert::LoadBuffer out;
    convert::PptxWords words;
    words.m_bTableLayout = tableLayout;
    const std::int64_t n = convert::ConvertPptxToText(pkg, words, out);
    if (result) *result = n;
    return std::string(out.Data(), out.Size());
  }
};

// Line `n` of the text without its CR LF.
std::string Line(const std::string& text, std::size_t n) {
  if ((n + 1) * kLine > text.size()) return std::string();
  return text.substr(n * kLine, kLine - 2);
}

std::string PageLine(int k) {
  char s[128];
  std::snprintf(s, sizeof s, "=============================================page %2d================================================", k);
  return s;
}

// The canvas line where slide k's page line stands (npos when none).
std::size_t PageAt(const std::string& text, int k) {
  for (std::size_t n = 0; (n + 1) * kLine <= text.size(); ++n)
    if (Line(text, n).compare(0, PageLine(k).size(), PageLine(k)) == 0) return n;
  return std::string::npos;
}

TEST(PptxText, ThreeSlidesGivePageLinesAndTheClosingLine) {
  Deck d;
  for (int k = 0; k < 3; ++k) d.Add(Slide(""));
  std::int64_t n = 0;
  const std::string text = d.Convert(0, &n);
  // Slides with little text occupy 30 lines each.
  ASSERT_EQ(static_cast<std::int64_t>(text.size()), n);
  ASSERT_EQ(91 * kLine, text.size());
  EXPECT_EQ(0u, PageAt(text, 1));
  EXPECT_EQ(30u, PageAt(text, 2));
  EXPECT_EQ(60u, PageAt(text, 3));
  EXPECT_NE(std::string::npos, Line(text, 30).find("page  2====="));
  EXPECT_EQ(100u, PageLine(1).size());
  EXPECT_EQ(std::string(100, '=') + std::string(30, ' '), Line(text, 90));
  EXPECT_EQ("\r\n", text.substr(text.size() - 2));
  for (std::size_t l = 0; l < 91; ++l) EXPECT_EQ("\r\n", text.substr(l * kLine + 130, 2)) << l;
  // Ten slides: two places hold the number.
  Deck ten;
  for (int k = 0; k < 10; ++k) ten.Add(Slide(""));
  EXPECT_NE(std::string::npos, ten.Convert().find("page 10====="));
}

TEST(PptxText, NoSlidesGiveTheClosingLineOnly) {
  Deck d;
  const std::string text = d.Convert();
  EXPECT_EQ(std::string(100, '=') + std::string(30, ' ') + "\r\n", text);
}

TEST(PptxText, TitleWithoutTransformTakesTheDefaultBox) {
  // Column 12, row 3, 100 columns wide, 2 rows high: a left-aligned title
  // starts at column 12, a centred one in the middle of the 100 columns, and
  // a long one wraps at column 110 onto row 4.
  Deck d;
  const std::string title = "<p:ph type=\"title\"/>";
  d.Add(Slide(pptxtest::Shape("Title 1", title, "", pptxtest::Body({"Hello"}, "l"))));
  d.Add(Slide(pptxtest::Shape("Title 1", title, "", pptxtest::Body({"Hello"}))));
  d.Add(Slide(pptxtest::Shape("Title 1", title, "", pptxtest::Body({std::string(99, 'a') + "bcd"}, "l"))));
  const std::string text = d.Convert();
  EXPECT_EQ(12u, Line(text, 3).find("Hello"));
  EXPECT_EQ(12u + (100 - 5) / 2, Line(text, PageAt(text, 2) + 3).find("Hello"));
  const std::size_t third = PageAt(text, 3);
  EXPECT_EQ(std::string(12, ' ') + std::string(98, 'a'), Line(text, third + 3).substr(0, 110));
  EXPECT_EQ(std::string(12, ' ') + "abcd ", Line(text, third + 4).substr(0, 17));
}

TEST(PptxText, MasterTitlePositionServesAPlaceholderWithoutOne) {
  Deck d;
  d.pkg.Add("ppt/slideMasters/slideMaster1.xml",
            Slide(pptxtest::Shape("Title 1", "<p:ph type=\"title\"/>", pptxtest::Xfrm(1600000, 2000000, 3200000, 400000),
                                  "")));
  d.Add(Slide(pptxtest::Shape("Title 1", "<p:ph type=\"title\"/>", "", pptxtest::Body({"T"}))));
  const std::string text = d.Convert();
  // x 1,600 units: column 20; y 500: row 6; 40 columns wide, centred.
  EXPECT_EQ(20u + (40 - 1) / 2, Line(text, 6).find('T')) << Line(text, 6);
}

TEST(PptxText, RightAlignedLineEndsAtTheBoxEdge) {
  // A box at column 10, 40 columns wide: a 10-character line aligned "r"
  // starts 30 columns right of the box's left edge.
  Deck d;
  d.Add(Slide(Box(800000, 1600000, 3200000, 400000, {"0123456789"}, "r")));
  d.Add(Slide(Box(800000, 1600000, 3200000, 400000, {"0123456789"}, "ctr")));
  const std::string text = d.Convert();
  EXPECT_EQ(40u, Line(text, 5).find("0123456789"));
  EXPECT_EQ(25u, Line(text, PageAt(text, 2) + 5).find("0123456789"));
}

TEST(PptxText, PictureShowsItsMediaNameCentred) {
  Deck d;
  d.pkg.Add("ppt/media/image1.png", "png");
  d.pkg.Add("ppt/slides/_rels/slide1.xml.rels", pptxtest::Rels({{2, "image1.png"}}));
  d.pkg.Add("ppt/slides/_rels/slide2.xml.rels", pptxtest::Rels({}));
  // 10 columns wide: it becomes 15 wide and the 12-character name starts 1
  // column in.
  d.Add(Slide(pptxtest::Picture(2, pptxtest::Xfrm(800000, 1600000, 800000, 400000))));
  d.Add(Slide(pptxtest::Picture(2, pptxtest::Xfrm(800000, 1600000, 800000, 400000)) +
              pptxtest::Picture(60, pptxtest::Xfrm(800000, 2000000, 800000, 400000))));
  const std::string text = d.Convert();
  EXPECT_EQ(11u, Line(text, 5).find("[image1.png]")) << Line(text, 5);
  const std::size_t second = PageAt(text, 2);
  // No name for the relationship: empty brackets; beyond 49: "[Image]".
  EXPECT_EQ(16u, Line(text, second + 5).find("[]"));
  EXPECT_EQ(14u, Line(text, second + 6).find("[Image]"));
}

TEST(PptxText, ASlideOccupiesTheRowsItsShapesReach) {
  Deck d;
  // y 17,200,000 EMU: 4,300 units, row 44; the slide occupies 45 lines.
  d.Add(Slide(Box(0, 17200000, 800000, 400000, {"low"})));
  d.Add(Slide(Box(0, 400000, 800000, 400000, {"high"})));
  d.Add(Slide(""));
  const std::string text = d.Convert();
  EXPECT_EQ(0u, Line(text, 44).find("low"));
  EXPECT_EQ(45u, PageAt(text, 2));
  EXPECT_EQ(75u, PageAt(text, 3));
  // Rows from 64 on are dropped.
  Deck deep;
  deep.Add(Slide(Box(0, 24800000, 800000, 4000000, {"row63", "row64"})));
  deep.Add(Slide(""));
  const std::string t2 = deep.Convert();
  EXPECT_EQ(0u, Line(t2, 63).find("row63"));
  EXPECT_EQ(64u, PageAt(t2, 2));
  EXPECT_EQ(std::string::npos, t2.find("row64"));
}

TEST(PptxText, TableSwitchChangesTheGridUnits) {
  EXPECT_EQ(1000, convert::PptxUnitsFor(0).horizontal);
  EXPECT_EQ(4000, convert::PptxUnitsFor(0).vertical);
  EXPECT_EQ(900, convert::PptxUnitsFor(1).horizontal);
  EXPECT_EQ(2200, convert::PptxUnitsFor(1).vertical);
  Deck d;
  // x 1,800,000 EMU, y 1,980,000 EMU: column 22, row 5 by 1,000 / 4,000;
  // column 25, row 10 by 900 / 2,200.
  d.Add(Slide(Box(1800000, 1980000, 2400000, 220000, {"unit"})));
  const std::string narrow = d.Convert(0), wide = d.Convert(1);
  EXPECT_EQ(22u, Line(narrow, 5).find("unit"));
  EXPECT_EQ(25u, Line(wide, 10).find("unit"));
}

TEST(PptxText, TableCellsStandAtTheirGridStarts) {
  // Frame at column 10 (x 1,000,000 / 1,000 / 100), row 3; grid columns of
  // 800,000 EMU are 12 columns: starts 10, 22, 34, 46. Cell k stands at
  // start k.
  Deck d;
  d.Add(Slide(pptxtest::Table(1000000, 800000, 2400000, {800000, 800000, 800000},
                              {{"A1", "B1", "C1"}, {"A2", "B2\nB2next", "C2"}, {"A3", "B3", "C3"}})));
  d.Add(Slide(""));
  const std::string text = d.Convert();
  EXPECT_EQ(22u, Line(text, 3).find("A1"));
  EXPECT_EQ(34u, Line(text, 3).find("B1"));
  EXPECT_EQ(46u, Line(text, 3).find("C1"));
  EXPECT_EQ(34u, Line(text, 4).find("B2"));
  // A paragraph in a cell goes on the next line at the cell's start; the
  // next row comes after the row's extra line.
  EXPECT_EQ(34u, Line(text, 5).find("B2next"));
  EXPECT_EQ(22u, Line(text, 6).find("A3"));
  // 30 lines and the table's extra line.
  EXPECT_EQ(31u, PageAt(text, 2));
}

TEST(PptxText, CellsWrapAtTheNextStartAndRunOnIntoAnEmptyNeighbour) {
  // Six grid columns of 8 columns (480,000 EMU: 6 + 2) from column 2:
  // starts 2, 10, 18, 26, 34, 42, 50.
  const std::vector<std::int64_t> grid(6, 480000);
  const std::string longText = "abcdefghijklmnop";
  Deck d;
  // Cell 5 (start 42) before a cell with text wraps past start 6 - 3 = 47.
  d.Add(Slide(pptxtest::Table(200000, 0, 2880000, grid, {{"1", "2", "3", "4", longText, "xy"}})));
  // Before an empty cell it runs on up to start 7 - 3 = 55 (start 7, past
  // the grid, is one grid column past its end: 58).
  d.Add(Slide(pptxtest::Table(200000, 0, 2880000, grid, {{"1", "2", "3", "4", longText, ""}})));
  // The first four cells give way only to a neighbour of two characters.
  d.Add(Slide(pptxtest::Table(200000, 0, 2880000, grid, {{longText, "x", "", "", "", ""}})));
  const std::string text = d.Convert();
  EXPECT_EQ("abcdef  xy", Line(text, 1).substr(42, 10));
  EXPECT_EQ("ghijkl", Line(text, 2).substr(42, 6));
  EXPECT_EQ("mnop", Line(text, 3).substr(42, 4));
  const std::size_t second = PageAt(text, 2);
  EXPECT_EQ("abcdefghijklmn", Line(text, second + 1).substr(42, 14));
  EXPECT_EQ("op", Line(text, second + 2).substr(42, 2));
  const std::size_t third = PageAt(text, 3);
  // The first cell runs on over its neighbour's place; the neighbour's
  // text is written over it.
  EXPECT_EQ("abcdefghxjklmnop", Line(text, third + 1).substr(10, longText.size()));
}

TEST(PptxText, LastCellOfAWideRowEndsAtTheDesignedEdge) {
  // Six cells in a grid of five 8-column grid columns from column 2 (starts
  // 2 ... 42): the sixth cell starts past the grid, at the frame's right
  // edge (column 2 + 6,400,000 / 100,000 = 66), and the fifth's limit is
  // that edge less 3.
  convert::PptxTable t;
  t.frameColumn = 2;
  t.frameRight = 66;
  t.gridWidths.assign(5, 8);
  EXPECT_EQ(42, convert::PptxTableStart(t, 5));
  EXPECT_EQ(66, convert::PptxTableStart(t, 6));
  // A narrow frame: never less than a grid column past the grid's end, and
  // at most column 128.
  t.frameRight = 3;
  EXPECT_EQ(50, convert::PptxTableStart(t, 6));
  t.frameRight = 400;
  EXPECT_EQ(128, convert::PptxTableStart(t, 6));
  // Drawn: the sixth cell's text wraps before column 128 - 3.
  Deck d;
  const std::string longText(40, 'z');
  d.Add(Slide(pptxtest::Table(200000, 0, 40000000, std::vector<std::int64_t>(5, 480000),
                              {{"1", "2", "3", "4", "5", longText}})));
  const std::string text = d.Convert();
  // Start 5 (42) holds "5"; the sixth cell at 128 writes one character a
  // line up to column 128... it starts at min(start 6, 128) = 128.
  EXPECT_EQ('5', Line(text, 1)[42]);
}

TEST(PptxText, ShapesOffTheSlideAndLongTablesStayOnTheCanvas) {
  Deck plain, odd;
  const std::string second = Slide(Box(800000, 1600000, 3200000, 400000, {"second slide"}));
  plain.Add(Slide(""));
  plain.Add(second);
  // Above the slide and beyond its right edge.
  odd.Add(Slide(Box(-2000000, -2000000, 3200000, 400000, {"above"}) +
                Box(90000000, 400000, 3200000, 400000, {"right"}) +
                Box(-90000000, 800000, 3200000, 400000, {"left"})));
  odd.Add(second);
  const std::string a = plain.Convert(), b = odd.Convert();
  EXPECT_EQ(a.substr(30 * kLine), b.substr(30 * kLine));
  for (std::size_t l = 0; l * kLine < b.size(); ++l) ASSERT_EQ("\r\n", b.substr(l * kLine + 130, 2)) << l;
  // A slide whose table adds 500 lines: the canvas grows, the next slide's
  // page line follows the table.
  Deck longTable;
  std::vector<std::vector<std::string>> rows(500, std::vector<std::string>{"r", "c"});
  rows.back() = {"last", "row"};
  longTable.Add(Slide(pptxtest::Table(0, 0, 1600000, {800000, 800000}, rows)));
  longTable.Add(second);
  const std::string c = longTable.Convert();
  EXPECT_EQ(502u, PageAt(c, 2));
  EXPECT_EQ(12u, Line(c, 500).find("last"));
  EXPECT_EQ(10u, Line(c, 502 + 5).find("second slide"));
  for (std::size_t l = 0; l * kLine < c.size(); ++l) ASSERT_EQ("\r\n", c.substr(l * kLine + 130, 2)) << l;
}

TEST(PptxText, TheCanvasStopsAtItsCapAndStillCloses) {
  // Tables two billion EMU down push each slide's lines past 5,000: the
  // canvas stops at its cap, the later slides are dropped, and the closing
  // line ends the text.
  Deck d;
  for (int k = 0; k < 110; ++k) d.Add(Slide(pptxtest::Table(0, 2000000000, 1600000, {800000, 800000}, {{"r", "c"}})));
  std::int64_t n = 0;
  const std::string text = d.Convert(0, &n);
  ASSERT_EQ(static_cast<std::int64_t>(text.size()), n);
  EXPECT_LE(text.size(), convert::kPptxCanvasMax);
  EXPECT_EQ(0u, text.size() % kLine);
  EXPECT_EQ(std::string(100, '=') + std::string(30, ' ') + "\r\n", text.substr(text.size() - kLine));
  EXPECT_EQ(0u, text.find(PageLine(1)));
  EXPECT_EQ(std::string::npos, text.find(PageLine(110)));
}

TEST(PptxText, WrappingKeepsDoubleByteCharactersAndTabsReachMultiplesOfEight) {
  // A box at column 0, 10 columns wide (right limit 8): "a" and four
  // two-byte characters ("あ" is 82 A0 in code page 932) reach column 9,
  // the last one written whole past the limit; then a TAB from column 1
  // goes to column 8.
  Deck d;
  d.Add(Slide(Box(0, 0, 800000, 400000, {"a\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82" "b"})));
  d.Add(Slide(Box(0, 0, 2400000, 400000, {"x\ty"})));
  const std::string text = d.Convert();
  EXPECT_EQ("a\x82\xA0\x82\xA0\x82\xA0\x82\xA0", Line(text, 1).substr(0, 9));
  EXPECT_EQ("b ", Line(text, 2).substr(0, 2));
  EXPECT_EQ("x       y", Line(text, PageAt(text, 2) + 1).substr(0, 9));
}

TEST(PptxText, APartThatDoesNotLoadSaysSoAfterTheClosingLine) {
  Deck d;
  d.Add(Slide(Box(0, 400000, 800000, 400000, {"small"})));
  d.Add(Slide(Box(0, 400000, 800000, 400000, {std::string(3000, 'x')})));
  convert::LoadBuffer out;
  convert::PptxWords words;
  words.memoryLimit = 2000;
  convert::ConvertPptxToText(d.pkg, words, out);
  const std::string text(out.Data(), out.Size());
  const std::string closing = std::string(100, '=') + std::string(30, ' ') + "\r\n";
  const std::size_t end = text.find(closing);
  ASSERT_NE(std::string::npos, end);
  EXPECT_EQ(0u, end % kLine);
  EXPECT_EQ(static_cast<const char*>(convert::PartMemoryText(" 018")), text.substr(end + kLine));
  EXPECT_NE(std::string::npos, text.find("small"));
  EXPECT_EQ(30u * kLine, end - PageAt(text, 2) * kLine);
}

TEST(PptxText, ASlideCutInsideAnElementEndsWithTheDamageLine) {
  Deck d;
  d.Add(Slide(Box(0, 400000, 800000, 400000, {"kept"})));
  std::string cut = Slide(Box(0, 400000, 800000, 400000, {"part"}));
  cut.resize(cut.find("part") + 6);
  d.Add(cut);
  const std::string text = d.Convert();
  const std::string tail = "\r\n" + std::string(static_cast<const char*>(
                                        convert::GetConvertText(convert::ConvertText::kUnsupportedFormat))) +
                           "(ppt\\slides\\slide2.xml)";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
  EXPECT_NE(std::string::npos, text.find("kept"));
}

TEST(PptxText, EntitiesBreaksAndGroups) {
  Deck d;
  d.Add(Slide(Box(0, 400000, 8000000, 800000, {"a&lt;b&amp;c&gt;d&quot;e&apos;"})));
  // A group whose children use small child units: scaled by 1,700.
  d.Add(Slide("<p:grpSp><p:nvGrpSpPr><p:cNvPr id=\"9\" name=\"Group 8\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>"
              "<p:grpSpPr>" + pptxtest::Xfrm(0, 0, 9000000, 900000) + "</p:grpSpPr>" +
              Box(1000, 1000, 2000, 500, {"grouped"}) + "</p:grpSp>"));
  const std::string text = d.Convert();
  EXPECT_EQ(0u, Line(text, 2).find("a<b&c>d\"e&apos;"));
  // x 1,000 and y 1,000 EMU become 1,700,000: column 21, row 5.
  EXPECT_EQ(21u, Line(text, PageAt(text, 2) + 5).find("grouped"));
}

TEST(PptxText, TheRegistryConvertsBeforeOpeningAndListsInANestedOpen) {
  testsupport::Scratch dir;
  const CString file = dir.Path("show.pptx");
  testsupport::WriteBytes(file, ooxmltest::StoredZip({{"ppt/slides/slide1.xml",
                                                       Slide(Box(0, 400000, 800000, 400000, {"opened"}))}}));
  convert::Request r;
  r.path = file;
  r.kind = 38;
  r.limits.indata = 204800;
  r.limits.outdata = 2000000;
  r.m_strProgramDir = dir.Dir();
  convert::Result res = convert::ConvertFile(r);
  ASSERT_EQ(convert::Status::kOk, res.status) << static_cast<const char*>(res.message);
  EXPECT_EQ(0u, res.text.find(PageLine(1)));
  EXPECT_EQ(0u, Line(res.text, 2).find("opened"));
  EXPECT_EQ(static_cast<std::int32_t>(res.text.size()), res.convSize);
  // A nested open shows the package's members.
  r.openContext = 2;
  res = convert::ConvertFile(r);
  ASSERT_EQ(convert::Status::kOk, res.status);
  EXPECT_EQ(0u, res.text.find("ZIP File")) << res.text;
  EXPECT_NE(std::string::npos, res.text.find("ppt/slides/slide1.xml"));
  // A file that is not there: no text.
  r.openContext = 0;
  r.path = dir.Path("missing.pptx");
  res = convert::ConvertFile(r);
  EXPECT_EQ(std::string::npos, res.text.find("page"));
}

}  // namespace
