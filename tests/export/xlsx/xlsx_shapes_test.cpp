// Shape lines read into object records, and the drawn objects written into
// the sheet's drawing: anchors, kinds, presets, adjusts, fills, line ends,
// text boxes (each code of a text box's format line reaching the field the
// drawing reads), and a long chart drawing that keeps its end.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "csv/csv_buffer.h"
#include "export/xlsx/xlsx_charts.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_sheet.h"
#include "export/xlsx/xlsx_shape_record.h"
#include "export/xlsx/xlsx_shapes.h"
#include "support/xml_wellformed.h"

namespace {

using namespace xlsx;

const std::string kSep(1, '\x06');

// The text of the drawing of `shapes` over `text` (an empty drawing).
struct Drawing {
  std::string text;
  std::vector<XlsxShapeRecord> shapes;
  std::vector<std::int32_t> widths = std::vector<std::int32_t>(1001, 2);
  std::vector<XlsxFormatRecord> formats = std::vector<XlsxFormatRecord>(1001);
  std::vector<std::uint8_t> heights = std::vector<std::uint8_t>(9000, 18);

  // Reads `line` (appended to the text) as a shape line.
  XlsxShapeRecord& Line(const std::string& line) {
    const std::size_t at = text.size();
    text += line + "\r\n";
    XlsxShapeRecord r;
    ReadShapeLine(text.data(), text.size(), at, static_cast<std::uint32_t>(shapes.size()), r);
    shapes.push_back(r);
    return shapes.back();
  }
  XlsxDrawingSource Source() const {
    XlsxDrawingSource s;
    s.text = text.data();
    s.len = text.size();
    s.shapes = shapes.data();
    s.count = shapes.size();
    s.widths = widths.data();
    s.widthCount = widths.size();
    s.columnFormats = formats.data();
    s.formatCount = formats.size();
    s.rowHeights = heights.data();
    s.rowCount = heights.size();
    return s;
  }
  std::string Write(exportcore::ByteWriter& d) const {
    EXPECT_TRUE(XlsxAppendShapes(d, Source()));
    return std::string(d.Data(), d.Size());
  }
  std::string Write() const {
    exportcore::ByteWriter d;
    return Write(d);
  }
};

int Count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// The drawing as stored (UTF-8) is well-formed.
std::string StoredProblem(const std::string& part) {
  const std::string stored = exportcore::PartBytesOnDisk("xl/drawings/drawing1.xml", part.data(), part.size());
  return testsupport::XmlWellFormedProblem(stored);
}

const char kHead[] =
    "<?xml version=\"1.0\" encoding=\"Shift-JIS\" standalone=\"yes\"?>\n"
    "<xdr:wsDr xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">";

// --- shape lines ---

TEST(ShapeLines, KindsAndFirstLetters) {
  Drawing d;
  EXPECT_EQ(d.Line("Li" + kSep + kSep + "1:2:3:4").Kind(), 'L');
  EXPECT_EQ(d.Line("Re" + kSep).Kind(), 'R');
  EXPECT_EQ(d.Line("El").Kind(), 'E');
  XlsxShapeRecord& im = d.Line("Im" + kSep + kSep + "3:4" + kSep + "a.png");
  EXPECT_EQ(im.Kind(), 'p');
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(im.rec.c), 2), "pi");
  XlsxShapeRecord& a = d.Line("A25" + kSep);
  EXPECT_EQ(a.Kind(), 'A');
  EXPECT_EQ(a.rec.c[1], '2');
  EXPECT_EQ(d.text[static_cast<std::size_t>(a.textPos) + 1], '5');
  EXPECT_EQ(d.Line("f54").Kind(), 'f');
  EXPECT_FALSE(IsShapeLine("Lx", 2, 0));
  EXPECT_TRUE(IsShapeLine("Li", 2, 0));
  EXPECT_FALSE(IsShapeLine("", 0, 0));
}

TEST(ShapeLines, SecondFieldCodes) {
  Drawing d;
  // "14": a width '1' before '4' is stored as '3', the '4' is the dash.
  XlsxShapeRecord& r = d.Line("Re" + kSep + "14Rb@3" + kSep + "1:1:2:2");
  EXPECT_EQ(r.rec.c[2], '3');
  EXPECT_EQ(r.rec.c[3], '4');
  EXPECT_EQ(r.rec.c[4], 'R');
  EXPECT_EQ(r.rec.c[5], 'b');
  EXPECT_EQ(r.rec.c[12], '3');
  // '!' takes position 5 and puts the end letters in 6 and 7.
  XlsxShapeRecord& l = d.Line("Li" + kSep + "2G!TA" + kSep + "1:1:2:2");
  EXPECT_EQ(l.rec.c[2], '2');
  EXPECT_EQ(l.rec.c[4], 'G');
  EXPECT_EQ(l.rec.c[5], '!');
  EXPECT_EQ(l.rec.c[6], 'T');
  EXPECT_EQ(l.rec.c[7], 'A');
  // '!' at the field's end reads no bytes past it.
  XlsxShapeRecord& e = d.Line("Li" + kSep + "!");
  EXPECT_EQ(e.rec.c[5], '!');
  EXPECT_EQ(e.rec.c[6], '_');
}

TEST(ShapeLines, NumbersCellsOffsetsAndRotation) {
  Drawing d;
  XlsxShapeRecord& r = d.Line("Re" + kSep + kSep + "B3:D5:30:250:20");
  EXPECT_EQ(r.fromCol, 200000);
  EXPECT_EQ(r.fromRow, 300000);
  EXPECT_EQ(r.toCol, 400000);
  EXPECT_EQ(r.toRow, 500000);
  // After an end cell given by letters: 360 - degrees, 1000 - each adjust.
  EXPECT_EQ(r.rotation, 330LL * 1000000 + 750 + 980 * 1000);

  XlsxShapeRecord& p = d.Line("Re" + kSep + kSep + "10:20:30:40:45:250:20");
  EXPECT_EQ(p.fromCol, 10);
  EXPECT_EQ(p.toRow, 40);
  EXPECT_EQ(p.rotation, 45LL * 1000000 + 250 + 20 * 1000);

  // Offsets: "%5" adds 5; "%-1" is 90001; "%-12345" is 99999; adjusts capped at 999.
  XlsxShapeRecord& o = d.Line("Re" + kSep + kSep + "C%5:2%-1:28%-12345:7:0:5000");
  EXPECT_EQ(o.fromCol, 300005);
  EXPECT_EQ(o.fromRow, 290001);
  EXPECT_EQ(o.toCol, 28LL * 100000 + 99999);
  EXPECT_EQ(o.toRow, 7);
  EXPECT_EQ(o.rotation, 999);
  // An end cell by letters: 360 - 0 degrees, 1000 - the capped adjust.
  XlsxShapeRecord& l = d.Line("Re" + kSep + kSep + "C2:AB%-12345:7:0:5000");
  EXPECT_EQ(l.toCol, 28LL * 100000 + 99999);
  EXPECT_EQ(l.toRow, 700000);
  EXPECT_EQ(l.rotation, 360LL * 1000000 + 1);

  // A huge rotation with a '%' offset is taken modulo 360 (its scaled
  // product once overflowed).
  XlsxShapeRecord& big = d.Line("Re" + kSep + kSep + "10:20:30:40:22222222222%5");
  EXPECT_EQ(big.rotation, (2000000000LL * 100000 + 5) % 360 * 1000000);

  // A row far past 21,474 stays exact in 64 bits.
  XlsxShapeRecord& far = d.Line("Re" + kSep + kSep + "A1000000:B1048576");
  EXPECT_EQ(far.fromRow, 1000000LL * 100000);
  EXPECT_EQ(far.toRow, 1048576LL * 100000);

  // Negative numbers.
  XlsxShapeRecord& n = d.Line("Li" + kSep + kSep + "10:20:30:-5");
  EXPECT_EQ(n.toRow, -5);
}

TEST(ShapeLines, PictureWithTwoNumbersIsPlacedBySize) {
  Drawing d;
  d.Line("Re" + kSep + kSep + "1:1:2:2");
  XlsxShapeRecord& p = d.Line("pi" + kSep + kSep + "300:200" + kSep + "photo.jpg" + kSep + "x");
  EXPECT_EQ(p.fromCol, 100);
  EXPECT_EQ(p.fromRow, 200);  // record index 1: (1 + 1) * 100
  EXPECT_EQ(p.toCol, 300);
  EXPECT_EQ(p.toRow, 200);
  EXPECT_EQ(d.text.substr(static_cast<std::size_t>(p.textPos), 9), "photo.jpg");
}

TEST(ShapeLines, LinePartOfFormatLines) {
  const std::string part = "24Bc@2!DO%rest";
  XlsxShapeRecord cell;
  const std::size_t end = ReadLinePart(part.data(), part.size(), 0, cell);
  EXPECT_EQ(part[end], '%');
  EXPECT_EQ(cell.rec.c[2], '4');  // '2' before '4' is stored as '4'
  EXPECT_EQ(cell.rec.c[3], '4');
  EXPECT_EQ(cell.rec.c[4], 'B');
  EXPECT_EQ(cell.rec.c[5], '!');  // the small letter went to 5 and 6, '!' took 5
  EXPECT_EQ(cell.rec.c[6], 'D');
  EXPECT_EQ(cell.rec.c[7], 'O');
  EXPECT_EQ(cell.rec.c[12], '2');

  XlsxShapeRecord box;
  box.rec.c[19] = 'T';
  box.rec.c[5] = 'B';
  const std::string fill = "g@4$";
  EXPECT_EQ(ReadLinePart(fill.data(), fill.size(), 0, box), 3u);
  EXPECT_EQ(box.rec.c[5], 'B');  // the font colour stays
  EXPECT_EQ(box.rec.c[6], 'g');
  EXPECT_EQ(box.rec.c[13], '4');
}

// --- the drawing ---

TEST(ShapeDrawing, RectangleOneHasIdTwoAsGoldenText) {
  Drawing d;
  d.Line("Re" + kSep + "R" + kSep + "B3:D5");
  EXPECT_EQ(d.Write(),
            std::string(kHead) +
                "<xdr:twoCellAnchor>"
                "<xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff>"
                "</xdr:from>"
                "<xdr:to><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>4</xdr:row><xdr:rowOff>0</xdr:rowOff>"
                "</xdr:to>"
                "<xdr:sp macro=\"\" textlink=\"\"><xdr:nvSpPr><xdr:cNvPr id=\"2\" name=\"Rectangle 1\"/><xdr:cNvSpPr/>"
                "</xdr:nvSpPr><xdr:spPr>"
                "<a:xfrm><a:off x=\"1\" y=\"2\"/><a:ext cx=\"255200\" cy=\"420000\"/></a:xfrm>"
                "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom><a:noFill/>"
                "<a:ln w=\"6350\"><a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:prstDash val=\"solid\"/>"
                "</a:ln></xdr:spPr></xdr:sp><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>");
}

TEST(ShapeDrawing, FirstPictureEmbedsRid1001AsGoldenText) {
  Drawing d;
  d.Line("pi" + kSep + kSep + "300:200" + kSep + "photo.png");
  d.Line("pi" + kSep + kSep + "B2:C3" + kSep + "two.png");
  const std::string s = d.Write();
  EXPECT_NE(s.find("<xdr:absoluteAnchor><xdr:pos x=\"1050000\" y=\"1050000\"/><xdr:ext cx=\"3150000\" "
                   "cy=\"2100000\"/><xdr:pic><xdr:nvPicPr><xdr:cNvPr id=\"2\" name=\"Picture 1\" descr=\"pict_1\"/>"
                   "<xdr:cNvPicPr><a:picLocks noChangeAspect=\"1\" noChangeArrowheads=\"1\"/></xdr:cNvPicPr>"
                   "</xdr:nvPicPr><xdr:blipFill><a:blip xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/"
                   "2006/relationships\" r:embed=\"rId1001\" cstate=\"print\"/><a:srcRect/><a:stretch><a:fillRect/>"
                   "</a:stretch></xdr:blipFill><xdr:spPr bwMode=\"auto\">"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("descr=\"pict_2\""), std::string::npos);
  EXPECT_NE(s.find("r:embed=\"rId1002\""), std::string::npos);
  EXPECT_EQ(Count(s, "<a:noFill/>"), 2);  // pictures have no fill
  EXPECT_EQ(StoredProblem(s), "");
}

TEST(ShapeDrawing, CellOffsetsDecode) {
  Drawing d;
  XlsxShapeRecord r;
  r.rec.c[19] = 'R';
  r.fromCol = 300005;  // index 2, 5 units
  r.fromRow = 100000;  // row 1: index 0
  r.toCol = 390001;    // index 2, 90000 - 90001 = -1 unit
  r.toRow = 200000;
  d.shapes.push_back(r);
  const std::string s = d.Write();
  EXPECT_NE(s.find("<xdr:from><xdr:col>2</xdr:col><xdr:colOff>50000</xdr:colOff><xdr:row>0</xdr:row>"
                   "<xdr:rowOff>0</xdr:rowOff></xdr:from>"
                   "<xdr:to><xdr:col>2</xdr:col><xdr:colOff>-10000</xdr:colOff><xdr:row>1</xdr:row>"),
            std::string::npos)
      << s;
}

TEST(ShapeDrawing, FlippedLine) {
  Drawing d;
  d.Line("Li" + kSep + kSep + "10:20:30:-5");
  const std::string s = d.Write();
  // Y1 = 20 * 10500 - 5 * 10500.
  EXPECT_NE(s.find("<xdr:absoluteAnchor><xdr:pos x=\"105000\" y=\"157500\"/><xdr:ext cx=\"315000\" cy=\"52500\"/>"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("<a:xfrm flipV=\"1\"><a:off x=\"105000\" y=\"157500\"/><a:ext cx=\"315000\" cy=\"52500\"/>"),
            std::string::npos);
  EXPECT_NE(s.find("prst=\"line\""), std::string::npos);
  EXPECT_EQ(s.find("<a:noFill/>"), std::string::npos);  // a line has no fill element
}

// A flip far past any sheet (a huge negative to-row, as a cell number with
// an offset can give) saturates instead of leaving 64 bits.
TEST(ShapeDrawing, HugeFlipSaturates) {
  Drawing d;
  XlsxShapeRecord r;
  r.rec.c[19] = 'R';
  r.fromCol = 10;
  r.fromRow = 20;
  r.toCol = 30;
  r.toRow = -999999999900000;
  d.shapes.push_back(r);
  const std::string s = d.Write();
  const long long cy = std::numeric_limits<std::int64_t>::max() / 10500 / 2 * 10500;
  EXPECT_NE(s.find("cy=\"" + std::to_string(cy) + "\""), std::string::npos) << s;
}

TEST(ShapeDrawing, PresetTable) {
  Drawing d;
  d.Line("A03" + kSep + kSep + "1:1:2:2");  // '0' selects line 1: word 3 "leftArrow"
  d.Line("A13" + kSep + kSep + "1:1:2:2");  // the same word by '1'
  d.Line("A33" + kSep + kSep + "1:1:2:2");  // word 3 of line 3 is "x"
  d.Line("A25" + kSep + kSep + "1:1:2:2");
  d.Line("f54" + kSep + kSep + "1:1:2:2");
  d.Line("Acloud" + kSep + kSep + "1:1:2:2");
  d.Line("A<&>" + kSep + kSep + "1:1:2:2");
  d.Line("A29" + kSep + kSep + "1:1:2:2");  // word 9 of line 2
  d.Line("A2" + kSep + kSep + "1:1:2:2");   // no word digit
  const std::string s = d.Write();
  EXPECT_EQ(Count(s, "prst=\"leftArrow\""), 2);
  EXPECT_EQ(Count(s, "prst=\"x\""), 1);
  EXPECT_EQ(Count(s, "prst=\"leftArrowCallout\""), 1);
  EXPECT_EQ(Count(s, "prst=\"flowChartProcess\""), 1);
  EXPECT_EQ(Count(s, "prst=\"cloud\""), 1);
  EXPECT_EQ(Count(s, "prst=\"&lt;&amp;&gt;\""), 1);
  EXPECT_EQ(Count(s, "prst=\"irregularSeal2\""), 1);
  EXPECT_EQ(Count(s, "prst=\"rect\""), 1);
  EXPECT_EQ(Count(s, "name=\"AutoShape "), 9);
  EXPECT_EQ(StoredProblem(s), "");
}

TEST(ShapeDrawing, Adjusts) {
  EXPECT_EQ(XlsxAdjustXml("triangle", 'A', 250, 1000000, 500000),
            "<a:avLst><a:gd name=\"adj\" fmla=\"val 500000\"/></a:avLst></a:prstGeom>");
  EXPECT_EQ(XlsxAdjustXml("wedgeRectCallout", 'b', 20030, 2000000, 3000000),
            "<a:avLst><a:gd name=\"adj1\" fmla=\"val 300000\"/><a:gd name=\"adj2\" fmla=\"val 300000\"/>"
            "</a:avLst></a:prstGeom>");  // (cx div 1000) * 150, (cy div 1000) * 100
  EXPECT_EQ(XlsxAdjustXml("can", 'A', 100, 1000000, 2000000),
            "<a:avLst><a:gd name=\"adj\" fmla=\"val 400000\"/></a:avLst></a:prstGeom>");
  EXPECT_EQ(XlsxAdjustXml("hexagon", 'A', 1600, 1, 1),
            "<a:avLst><a:gd name=\"adj\" fmla=\"val -200000\"/><a:gd name=\"vf\" fmla=\"val 115470\"/></a:avLst>"
            "</a:prstGeom>");  // 600 above 499: -400
  EXPECT_EQ(XlsxAdjustXml("rightArrow", 'A', 501600, 1000000, 1000000),
            "<a:avLst><a:gd name=\"adj1\" fmla=\"val -400000\"/><a:gd name=\"adj2\" fmla=\"val -499000\"/>"
            "</a:avLst></a:prstGeom>");
  EXPECT_EQ(XlsxAdjustXml("star5", 'A', 250, 1000000, 1000000), "<a:avLst/></a:prstGeom>");
  EXPECT_EQ(XlsxAdjustXml("triangle", 'A', 0, 1000000, 1000000), "<a:avLst/></a:prstGeom>");

  // Through the drawing: a triangle of cx 95 * 10500 with adjust 250.
  Drawing d;
  d.Line("A21" + kSep + kSep + "10:10:95:50:0:250");
  const std::string s = d.Write();
  EXPECT_NE(s.find("<a:prstGeom prst=\"triangle\"><a:avLst><a:gd name=\"adj\" fmla=\"val 498750\"/>"),
            std::string::npos)
      << s;
}

TEST(ShapeDrawing, RotationIsWrittenInSixtyThousandths) {
  Drawing d;
  d.Line("Re" + kSep + kSep + "10:10:20:20:45");
  d.Line("Re" + kSep + kSep + "10:10:20:20:-90");
  const std::string s = d.Write();
  EXPECT_NE(s.find("<a:xfrm rot=\"2700000\">"), std::string::npos);
  EXPECT_NE(s.find("<a:xfrm rot=\"16200000\">"), std::string::npos);
}

TEST(ShapeDrawing, ArrowEndsAndAlpha) {
  Drawing d;
  d.Line("Li" + kSep + "3B!Ta" + kSep + "1:1:9:9");
  d.Line("Re" + kSep + "r@1" + kSep + "1:1:9:9");
  d.Line("El" + kSep + "g@9" + kSep + "1:1:9:9");
  d.Line("Re" + kSep + "g!TA" + kSep + "1:1:9:9");  // '!' takes the fill's place
  const std::string s = d.Write();
  EXPECT_NE(s.find("<a:ln w=\"25400\"><a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill><a:prstDash "
                   "val=\"solid\"/><a:headEnd type=\"triangle\" w=\"lg\" len=\"lg\"/><a:tailEnd type=\"arrow\" "
                   "w=\"med\" len=\"med\"/></a:ln>"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("<a:solidFill><a:srgbClr val=\"FFC0C0\"><a:alpha val=\"90000\"/></a:srgbClr></a:solidFill>"),
            std::string::npos);
  EXPECT_NE(s.find("<a:solidFill><a:srgbClr val=\"C0FFC0\"><a:alpha val=\"10000\"/></a:srgbClr></a:solidFill>"),
            std::string::npos);
  EXPECT_EQ(Count(s, "<a:headEnd type=\"triangle\""), 2);
  EXPECT_EQ(StoredProblem(s), "");
}

TEST(ShapeDrawing, ChartsAndShapesShareOneDrawing) {
  exportcore::ByteWriter dw;
  dw.Append(kHead);
  dw.Append(
      "<xdr:absoluteAnchor><xdr:pos x=\"0\" y=\"0\"/><xdr:ext cx=\"10\" cy=\"10\"/><xdr:graphicFrame macro=\"\">"
      "<xdr:nvGraphicFramePr><xdr:cNvPr id=\"2\" name=\"c\"/><xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr>"
      "<xdr:xfrm/><a:graphic/></xdr:graphicFrame><xdr:clientData/></xdr:absoluteAnchor></xdr:wsDr>");
  Drawing d;
  d.Line("Re" + kSep + kSep + "B3:D5");
  const std::string s = d.Write(dw);
  EXPECT_EQ(Count(s, "<xdr:wsDr "), 1);
  EXPECT_EQ(Count(s, "</xdr:wsDr>"), 1);
  EXPECT_LT(s.find("<xdr:graphicFrame"), s.find("name=\"Rectangle 1\""));
  // The shape's id follows the chart frame's.
  EXPECT_NE(s.find("<xdr:cNvPr id=\"3\" name=\"Rectangle 1\"/>"), std::string::npos);
  EXPECT_EQ(StoredProblem(s), "");
}

TEST(ShapeDrawing, LongChartDrawingKeepsItsEnd) {
  exportcore::ByteWriter dw;
  dw.Append(kHead);
  for (int i = 0; i < 300; ++i)
    dw.AppendFormat(
        "<xdr:twoCellAnchor editAs=\"absolute\"><xdr:from><xdr:col>%d</xdr:col><xdr:colOff>0</xdr:colOff>"
        "<xdr:row>1</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>%d</xdr:col><xdr:colOff>0"
        "</xdr:colOff><xdr:row>9</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to><xdr:graphicFrame macro=\"\">"
        "<xdr:nvGraphicFramePr><xdr:cNvPr id=\"%d\" name=\"chart title of some length\"/><xdr:cNvGraphicFramePr>"
        "<a:graphicFrameLocks/></xdr:cNvGraphicFramePr></xdr:nvGraphicFramePr><xdr:xfrm><a:off x=\"0\" y=\"0\"/>"
        "<a:ext cx=\"0\" cy=\"0\"/></xdr:xfrm><a:graphic/></xdr:graphicFrame><xdr:clientData/></xdr:twoCellAnchor>",
        i, i + 3, i + 2);
  dw.Append("</xdr:wsDr>");
  ASSERT_GT(dw.Size(), 100000u);
  Drawing d;
  d.Line("Re" + kSep + kSep + "B3:D5");
  d.Line("El" + kSep + kSep + "B3:D5");
  const std::string s = d.Write(dw);
  EXPECT_EQ(Count(s, "<xdr:graphicFrame "), 300);
  EXPECT_EQ(Count(s, "</xdr:wsDr>"), 1);
  EXPECT_NE(s.find("<xdr:cNvPr id=\"303\" name=\"Oval 2\"/>"), std::string::npos);
  EXPECT_EQ(s.substr(s.size() - 11), "</xdr:wsDr>");
  EXPECT_EQ(StoredProblem(s), "");
}

TEST(ShapeDrawing, CellStartWithAbsoluteSize) {
  Drawing d;
  // Widths 2 (63800 EMU each); column 3 does not count in sums.
  d.formats[3].c[9] = 0x02;
  d.heights[4] = 30;
  d.heights[5] = 120;  // a height code: 10 * 120 - 900 = 300 pixels
  XlsxShapeRecord r;
  r.rec.c[19] = 'R';
  r.fromCol = 200000;  // index 1
  r.fromRow = 500000;  // index 4
  r.toCol = 100;       // 1050000 EMU: n = 16 units
  r.toRow = 100;       // 1050000 EMU
  d.shapes.push_back(r);
  const std::string s = d.Write();
  // Columns 2, 4, 5, ... 10 sum to 16 (column 3 left out): the end column
  // number is 10 (index 9), offset (2 + 16 - 16) * 63800 + 1000.
  // Rows: index 4 adds 290000, index 5 adds 2990000 >= 1050000: end row 5,
  // offset 1050000 - 290000.
  EXPECT_NE(s.find("<xdr:to><xdr:col>9</xdr:col><xdr:colOff>128600</xdr:colOff><xdr:row>5</xdr:row>"
                   "<xdr:rowOff>760000</xdr:rowOff></xdr:to>"),
            std::string::npos)
      << s;
}

TEST(ShapeDrawing, RowsPastThirtyTwoBitsAndPastTheRecordedHeights) {
  Drawing d;
  XlsxShapeRecord r;
  r.rec.c[19] = 'R';
  r.fromCol = 100000;
  r.fromRow = 30000LL * 100000;  // row 30000: row * 100000 passes 32 bits
  r.toCol = 30;                  // 315000 EMU wide
  r.toRow = 1000;                // 10,500,000 EMU: 58 rows of 180000 and 60000 of the 59th
  d.shapes.push_back(r);
  XlsxShapeRecord last = r;
  last.fromRow = 1048576LL * 100000;
  last.toRow = 99999;
  d.shapes.push_back(last);
  XlsxShapeRecord cells = r;
  cells.toCol = 300000;
  cells.toRow = 30010LL * 100000;
  d.shapes.push_back(cells);
  const std::string s = d.Write();
  EXPECT_NE(s.find("<xdr:row>29999</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>1</xdr:col>"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("<xdr:row>30057</xdr:row><xdr:rowOff>60000</xdr:rowOff></xdr:to>"), std::string::npos) << s;
  EXPECT_NE(s.find("<xdr:row>1048575</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from>"), std::string::npos);
  EXPECT_EQ(Count(s, "<xdr:row>1048575</xdr:row>"), 2);
  EXPECT_NE(s.find("<xdr:to><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>30009</xdr:row>"),
            std::string::npos);
  EXPECT_EQ(StoredProblem(s), "");
}

// --- text boxes: every code of the format line reaches what the drawing reads ---

XlsxShapeRecord TextBox(char kind) {
  XlsxShapeRecord r;
  r.rec.c[19] = static_cast<unsigned char>(kind);
  r.rec.c[2] = '0';   // a text box has no outline unless given
  r.rec.c[6] = '_';   // the sheet's default fill
  r.rec.c[8] = '4';   // the sheet's size digit
  r.fromCol = 200000;
  r.fromRow = 200000;
  r.toCol = 500000;
  r.toRow = 600000;
  return r;
}

TEST(TextBoxRecord, EachCodeReachesTheDrawing) {
  Drawing d;
  d.text = "Note & <b> \"q\"\\nnext\x06rest";
  XlsxShapeRecord r = TextBox('T');
  r.textPos = 0;
  SetHorizontalAlign(r, 'p');          // 'C': centred
  SetVerticalAlign(r, 3);              // 'B': bottom
  SetFontFlags(r, 1 | 2 | 4 | 8 | 0x20);  // B, U, I, S and a font family
  r.rec.c[shapepos::kFontColour] = 'R';   // '%' capital
  r.rec.c[shapepos::kBoxFill] = 'y';      // '%' small letter
  SetFillAlpha(r, '5');                   // '@5'
  r.rec.c[shapepos::kSize] = '6';         // size digit
  const unsigned char border[] = {'G', 'B'};
  SetBorderColours(r, border, 2);         // '#GB': the line colour
  r.rec.c[2] = '2';                       // width digit of the eight characters
  d.shapes.push_back(r);
  const std::string s = d.Write();
  EXPECT_EQ(r.rec.c[0], '@');  // the cell alignment place stays untouched
  EXPECT_NE(s.find("<a:solidFill><a:srgbClr val=\"FFFFC0\"><a:alpha val=\"50000\"/></a:srgbClr></a:solidFill>"
                   "<a:ln w=\"19050\"><a:solidFill><a:srgbClr val=\"00F000\"/>"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("<a:fontRef idx=\"minor\"><a:srgbClr val=\"FF0000\"/></a:fontRef>"), std::string::npos);
  EXPECT_NE(s.find("<xdr:txBody><a:bodyPr vertOverflow=\"clip\" horzOverflow=\"clip\" wrap=\"none\" rtlCol=\"0\" "
                   "anchor=\"b\"/><a:lstStyle/><a:p><a:pPr algn=\"ctr\"/>"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("sz=\"1400\" b=\"1\" u=\"sng\" i=\"1\" strike=\"sngStrike\"/>"), std::string::npos) << s;
  EXPECT_NE(s.find("<a:t>Note &amp; &lt;b&gt; &quot;q&quot;\r\nnext</a:t>"), std::string::npos) << s;
  EXPECT_NE(s.find("name=\"\x83\x65\x83\x4C\x83\x58\x83\x67 \x83\x7B\x83\x62\x83\x4E\x83\x58 1\""), std::string::npos);
  EXPECT_EQ(StoredProblem(s), "");
}

TEST(TextBoxRecord, AlignmentGroupsAndVerticalKinds) {
  struct Case {
    unsigned char code;
    unsigned v;
    const char* body;
  };
  const Case cases[] = {
      {'P', 2, "wrap=\"none\" rtlCol=\"0\" anchor=\"t\"/><a:lstStyle/><a:p><a:pPr algn=\"l\"/>"},
      {'`', 1, "wrap=\"none\" rtlCol=\"0\" anchor=\"ctr\"/><a:lstStyle/><a:p><a:pPr algn=\"r\"/>"},
      {'T', 3, "wrap=\"square\" rtlCol=\"0\" anchor=\"b\"/><a:lstStyle/><a:p><a:pPr algn=\"l\"/>"},
      {'t', 0, "wrap=\"square\" rtlCol=\"0\" anchor=\"t\"/><a:lstStyle/><a:p><a:pPr algn=\"ctr\"/>"},
  };
  for (const Case& c : cases) {
    Drawing d;
    XlsxShapeRecord r = TextBox('c');
    SetHorizontalAlign(r, c.code);
    SetVerticalAlign(r, c.v);
    d.shapes.push_back(r);
    const std::string s = d.Write();
    EXPECT_NE(s.find(c.body), std::string::npos) << c.code << "\n" << s;
    EXPECT_NE(s.find("vert=\"wordArtVertRtl\" "), std::string::npos);
    EXPECT_NE(s.find("prst=\"wedgeRectCallout\""), std::string::npos);
  }
  // Only a vertical code: horizontal stays left.
  Drawing d;
  XlsxShapeRecord r = TextBox('T');
  SetVerticalAlign(r, 1);
  d.shapes.push_back(r);
  EXPECT_NE(d.Write().find("anchor=\"ctr\"/><a:lstStyle/><a:p><a:pPr algn=\"l\"/>"), std::string::npos);
}

TEST(TextBoxRecord, CellCodesKeepTheirCellPlaces) {
  XlsxShapeRecord r;  // a region
  SetHorizontalAlign(r, 'p');
  SetVerticalAlign(r, 1);
  SetFontFlags(r, 5);
  SetFillAlpha(r, '3');
  const unsigned char border[] = {'R', 'G', 'B', 'Y'};
  SetBorderColours(r, border, 4);
  EXPECT_EQ(r.rec.c[0], ('p' & 0xFC) | 1);
  EXPECT_EQ(r.rec.c[7], 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.rec.c) + 12, 4), "RGBY");
  EXPECT_EQ(r.rec.c[11], '_');
}

TEST(TextBoxRecord, TextIsCutWholeAt255Bytes) {
  Drawing d;
  // 254 bytes, then a double-byte character that would end at byte 256.
  d.text = std::string(254, 'a') + "\x95\x5C" + "tail";
  XlsxShapeRecord r = TextBox('T');
  r.textPos = 0;
  d.shapes.push_back(r);
  const std::string s = d.Write();
  EXPECT_NE(s.find("<a:t>" + std::string(254, 'a') + "</a:t>"), std::string::npos);
  EXPECT_EQ(StoredProblem(s), "");

  Drawing e;
  e.text = std::string(253, 'a') + "\x95\x5C" + "tail";
  r.textPos = 0;
  e.shapes = {r};
  EXPECT_NE(e.Write().find("<a:t>" + std::string(253, 'a') + "\x95\x5C</a:t>"), std::string::npos);
}

TEST(ShapeDrawing, OtherKindsAreSkipped) {
  Drawing d;
  XlsxShapeRecord region;
  region.rec.c[19] = 'M';
  d.shapes.push_back(region);
  d.Line("Re" + kSep + kSep + "1:1:2:2");
  EXPECT_FALSE(XlsxHasDrawnObjects(d.shapes.data(), 1));
  EXPECT_TRUE(XlsxHasDrawnObjects(d.shapes.data(), 2));
  const std::string s = d.Write();
  EXPECT_NE(s.find("id=\"2\" name=\"Rectangle 1\""), std::string::npos);
}

// The run's step: shapes go after the chart anchors in the run's drawing,
// read with the run's widths and row heights, and the drawing is stored once.
TEST(ShapeDrawingStep, AppendsToTheRunsDrawingAndStoresItOnce) {
  XlsxRun run;
  run.sheet.number = 1;
  run.XlsxDrawingBuffer.Append(kHead);
  run.XlsxDrawingBuffer.Append("</xdr:wsDr>");
  std::string text = "Re" + kSep + kSep + "B2:C3\r\n";
  csv::TableFields t;
  t.m_pTextBuf = reinterpret_cast<std::uint8_t*>(&text[0]);
  t.m_nTextLen = static_cast<std::uint32_t>(text.size());
  t.m_nWorkSize = t.m_nTextLen;
  std::vector<XlsxShapeRecord> shapes(1);
  ReadShapeLine(text.data(), text.size(), 0, 0, shapes[0]);
  run.XlsxColumnWidths[1] = 10;
  EXPECT_TRUE(XlsxDrawingShapes(run, t, shapes));
  const std::string d(run.XlsxDrawingBuffer.Data(), run.XlsxDrawingBuffer.Size());
  EXPECT_EQ(Count(d, "</xdr:wsDr>"), 1);
  EXPECT_NE(d.find("<a:ext cx=\"638000\" cy=\"210000\"/>"), std::string::npos) << d;  // width 10 of column B

  // No drawn object: the drawing is left as it is.
  const std::size_t before = run.XlsxDrawingBuffer.Size();
  std::vector<XlsxShapeRecord> regions(2);
  EXPECT_TRUE(XlsxDrawingShapes(run, t, regions));
  EXPECT_EQ(run.XlsxDrawingBuffer.Size(), before);

  exportcore::MemoryPartSink sink;
  EXPECT_TRUE(XlsxStoreSheetDrawing(run, sink));
  EXPECT_EQ(sink.parts.count("xl/drawings/drawing1.xml"), 1u);
  EXPECT_EQ(StoredProblem(sink.parts["xl/drawings/drawing1.xml"]), "");
}

TEST(ShapeDrawingStep, DrawnObjectsMakeTheWorksheetReferToTheDrawing) {
  XlsxRun run;
  run.sheet.number = 1;
  csv::TableFields t;
  EXPECT_EQ(SheetLayoutFromRun(run, t).shapeCount, 0u);
  run.XlsxObjects.shapes.resize(2);
  run.XlsxObjects.shapes[0].rec.c[19] = 'M';
  EXPECT_EQ(SheetLayoutFromRun(run, t).shapeCount, 0u);  // a merge is no drawn object
  run.XlsxObjects.shapes[1].rec.c[19] = 'p';
  EXPECT_EQ(SheetLayoutFromRun(run, t).shapeCount, 1u);
  run.ClearSheet();
  EXPECT_TRUE(run.XlsxObjects.shapes.empty());
}

// A drawing part that cannot be written is the run's part failure (one
// message and -1 at the run's end), not a silent end of the run.
TEST(ShapeDrawingStep, RefusedDrawingIsThePartFailure) {
  XlsxRun run;
  run.sheet.number = 2;
  Drawing d;
  d.Line("El" + kSep + kSep + "1:1:2:2");
  ASSERT_TRUE(XlsxAppendShapes(run.XlsxDrawingBuffer, d.Source()));
  exportcore::MemoryPartSink sink;
  sink.refuse = "xl/drawings/drawing2.xml";
  EXPECT_FALSE(XlsxStoreSheetDrawing(run, sink));
  EXPECT_TRUE(sink.AnyFailed());
  EXPECT_EQ(sink.FirstFailure(), "xl/drawings/drawing2.xml");
  EXPECT_EQ(run.XlsxDrawingBuffer.Size(), 0u);
}

}  // namespace
