// The ".xlsx" reader over packages held in memory: sheet names and the
// relationship map, number formats, shared strings, widths, the sheet loop,
// the damage line, the memory limit of a part, pictures and text boxes,
// and the layout of the table it fills.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/ooxml_package.h"
#include "convert/workbook_layout.h"
#include "convert/workbook_table.h"
#include "convert/xlsx_reader.h"

namespace {

using convert::MemoryPackage;
using convert::WorkbookTable;

const char kRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships>"
    "<Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Target=\"/xl/worksheets/sheet2.xml\" Type=\"http://x/worksheet\"/>"
    "<Relationship Id=\"rId3\" Type=\"http://x/styles\" Target=\"styles.xml\"/></Relationships>";

std::string Workbook(bool date1904 = false) {
  return std::string("<?xml version=\"1.0\"?><workbook><workbookPr ") + (date1904 ? "date1904=\"1\" " : "") +
         "/><sheets><sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/>"
         "<sheet name=\"Second\" sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>";
}

// Cell formats: 0 General, 1 "#,##0.00" (164), 2 built-in 14, 3 "0.0%" (165),
// 4 built-in 57 (era), 5 built-in 11.
const char kStyles[] =
    "<styleSheet><numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"#,##0.00\"/>"
    "<numFmt formatCode=\"0.0%\" numFmtId=\"165\"/></numFmts>"
    "<cellXfs count=\"6\"><xf numFmtId=\"0\"/><xf numFmtId=\"164\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"14\"/><xf numFmtId=\"165\"/><xf numFmtId=\"57\"/><xf numFmtId=\"11\"/></cellXfs></styleSheet>";

std::string Sheet(const std::string& rows, const std::string& cols = "") {
  return "<?xml version=\"1.0\"?><worksheet><sheetFormatPr defaultRowHeight=\"15\"/>" + cols + "<sheetData>" +
         rows + "</sheetData></worksheet>";
}

struct Book {
  MemoryPackage pkg;
  WorkbookTable table;
  convert::LoadBuffer out;
  convert::XlsxRead read;
  Book() {
    pkg.Add("xl/_rels/workbook.xml.rels", kRels);
    pkg.Add("xl/workbook.xml", Workbook());
    pkg.Add("xl/styles.xml", kStyles);
  }
  void Read(convert::XlsxWords words = {}, int tblMax = 5000) {
    ASSERT_TRUE(table.Allocate(tblMax, words.nChar));
    table.m_nKind = 36;
    read = convert::ReadXlsxWorkbook(pkg, words, table, out);
  }
  // The text at (sheet, row, column), all from 0; "<none>" when no cell.
  std::string At(int sheet, int row, int column) const {
    for (const convert::WorkbookCell& c : table.Cells())
      if (c.sheet == sheet && c.row == row && c.column == column) return table.Text(c.value);
    return "<none>";
  }
  int KindAt(int sheet, int row, int column) const {
    for (const convert::WorkbookCell& c : table.Cells())
      if (c.sheet == sheet && c.row == row && c.column == column) return table.Kind(c.value);
    return -1;
  }
};

TEST(XlsxReader, SheetNamesFormatsAndValues) {
  Book b;
  b.pkg.Add("xl/sharedStrings.xml",
            "<sst><si><t>plain</t></si><si><r><t>two </t></r><r><rPr><b/></rPr><t>runs</t></r>"
            "<rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh></si><si><t>a &amp; b &lt;c&gt; &quot;q&quot;</t></si>"
            "<si><t xml:space=\"preserve\">line1\nline2</t></si></sst>");
  b.pkg.Add("xl/worksheets/sheet1.xml",
            Sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                  "<c r=\"C1\" t=\"s\"><v>2</v></c><c r=\"D1\" t=\"s\"><v>3</v></c><c r=\"E1\" t=\"s\"><v>99</v></c></row>"
                  "<row r=\"3\"><c r=\"A3\" s=\"1\"><v>1234567.891</v></c><c r=\"B3\" s=\"2\"><v>45292</v></c>"
                  "<c r=\"C3\" s=\"3\"><v>0.125</v></c><c r=\"D3\" s=\"4\"><v>45292</v></c>"
                  "<c r=\"E3\" s=\"5\"><v>123456</v></c><c r=\"F3\"><v>2.5000</v></c>"
                  "<c r=\"G3\" t=\"e\"><v>#DIV/0!</v></c><c r=\"H3\" t=\"str\"><f>A1</f><v>formula</v></c>"
                  "<c r=\"I3\" t=\"inlineStr\"><is><t>inline</t></is></c><c r=\"J3\"><v>abc</v></c>"
                  "<c r=\"K3\" s=\"1\"/><c r=\"L3\"><f>SUM(A3)</f><v></v></c></row>"
                  "<row><c><v>7</v></c><c><v>8</v></c></row>"));
  b.pkg.Add("xl/worksheets/sheet2.xml", Sheet("<row r=\"2\"><c r=\"AB2\"><v>1</v></c></row>"));
  b.Read();
  EXPECT_EQ(2, b.table.m_nSheetCount);
  EXPECT_STREQ("First", b.table.SheetName(0));
  EXPECT_STREQ("Second", b.table.SheetName(1));  // a target from the package root
  const struct {
    int sheet, row, column;
    const char* text;
    int kind;
  } cells[] = {
      {0, 0, 0, "plain", 1005},
      {0, 0, 1, "two runs", 1008},
      {0, 0, 2, "a & b <c> \"q\"", 1013},
      {0, 0, 3, "line1\x0Bline2", 1011},
      {0, 0, 4, "<none>", -1},  // an index outside the pool
      {0, 2, 0, "1,234,567.89", 9012},
      {0, 2, 1, "2024/1/1", 1008},
      {0, 2, 2, "12.5%", 9005},
      {0, 2, 3, "R6.1.1", 1006},
      {0, 2, 4, "1.23E+05", 9008},
      {0, 2, 5, "2.5", 9003},
      {0, 2, 6, "--", 9002},
      {0, 2, 7, "formula", 1007},
      {0, 2, 8, "inline", 1006},
      {0, 2, 9, "abc", 1003},
      {0, 2, 10, "<none>", -1},  // empty cell
      {0, 2, 11, "<none>", -1},  // a formula never calculated
      {0, 3, 0, "7", 9001},      // no r=: the next row, the next columns
      {0, 3, 1, "8", 9001},
      {1, 1, 27, "1", 9001},
  };
  for (const auto& c : cells) {
    EXPECT_EQ(b.At(c.sheet, c.row, c.column), c.text) << c.sheet << "," << c.row << "," << c.column;
    EXPECT_EQ(b.KindAt(c.sheet, c.row, c.column), c.kind) << c.text;
  }
  EXPECT_TRUE(b.read.damagedPart.empty());
}

TEST(XlsxReader, TheWordsOfTheDocument) {
  Book b;
  const std::string long200(200, 'x');
  b.pkg.Add("xl/sharedStrings.xml", "<sst><si><t>" + long200 + "</t></si></sst>");
  b.pkg.Add("xl/worksheets/sheet1.xml",
            Sheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>" + long200 +
                  "</t></is></c><c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\" s=\"1\"><v>1234567.891</v></c></row>"));
  convert::XlsxWords w;
  w.nChar = 157;
  w.groupSwitch = 10;
  w.fixedDecimals = 4;
  b.Read(w);
  EXPECT_EQ(b.At(0, 0, 0), std::string(156, 'x'));
  EXPECT_EQ(b.At(0, 0, 1), std::string(156, 'x') + " ");
  EXPECT_EQ(b.At(0, 0, 2), "1234567.891");
}

// Some writers store every character outside ASCII as a numeric character
// reference: inline and shared texts show the characters themselves.
TEST(XlsxReader, NumericCharacterReferencesShowTheirCharacters) {
  Book b;
  b.pkg.Add("xl/sharedStrings.xml", "<sst><si><t>&#x307F;&#12363;&#12435;&amp;&#65;</t></si></sst>");
  b.pkg.Add("xl/worksheets/sheet1.xml",
            Sheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&#21697;&#21517;</t></is></c>"
                  "<c r=\"B1\" t=\"s\"><v>0</v></c>"
                  "<c r=\"C1\" t=\"inlineStr\"><is><t>&#128512;|&#0;|&#12;x|&#99999999999;|&#</t></is></c></row>"));
  b.Read();
  EXPECT_EQ(b.At(0, 0, 0), "品名");
  EXPECT_EQ(b.At(0, 0, 1), "みかん&A");
  // Outside code page 932, NUL, a control character (kept as written), and
  // references that are not complete.
  EXPECT_EQ(b.At(0, 0, 2), "?|?|\x0cx|&#99999999999;|&#");
}

TEST(XlsxReader, DateSystem1904) {
  Book b;
  b.pkg.Add("xl/workbook.xml", Workbook(true));
  b.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\" s=\"2\"><v>43830</v></c></row>"));
  b.Read();
  EXPECT_TRUE(b.table.m_bDate1904);
  EXPECT_EQ(b.At(0, 0, 0), "2024/1/1");
}

TEST(XlsxReader, ColumnWidths) {
  Book b;
  b.pkg.Add("xl/worksheets/sheet1.xml",
            "<worksheet><sheetFormatPr defaultColWidth=\"5.5\"/><cols>"
            "<col min=\"1\" max=\"1\" width=\"10.7\" customWidth=\"1\"/><col min=\"2\" max=\"3\" width=\"30\"/>"
            "<col min=\"4\" max=\"4\" width=\"12\" hidden=\"1\"/><col min=\"5\" max=\"5\" width=\"99999\"/><col min=\"6\" max=\"6\" width=\"2147483647\"/>"
            "<col min=\"300\" max=\"301\" width=\"20\"/><col min=\"250\" max=\"400\" width=\"1\"/></cols>"
            "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData></worksheet>");
  b.Read();
  const std::uint8_t* row = b.table.WidthRowAt(1);
  EXPECT_EQ(13, row[1]);   // 10 -> 12 -> 13
  EXPECT_EQ(35, row[2]);   // 30 -> 32 -> 35
  EXPECT_EQ(35, row[3]);
  EXPECT_EQ(0, row[4]);    // hidden
  EXPECT_EQ(255, row[5]);  // 99999 held in one byte
  EXPECT_EQ(255, row[6]);  // the largest integer: no overflow
  EXPECT_EQ(7, row[7]);    // the default 5 -> 7
  EXPECT_EQ(3, row[250]);  // 1 -> 3, up to column 255
}

TEST(XlsxReader, TheSheetLoopEndsAtTheFirstMissingSheet) {
  Book b;
  b.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
  b.pkg.Add("xl/worksheets/sheet3.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>3</v></c></row>"));
  b.Read();
  EXPECT_EQ(1, b.table.m_nSheetCount);
  EXPECT_EQ(1u, b.table.Cells().size());
}

TEST(XlsxReader, MissingPartsLeaveTheirTablesEmpty) {
  MemoryPackage pkg;
  pkg.Add("xl/worksheets/sheet1.xml",
          Sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>2.50</v></c></row>"));
  WorkbookTable table;
  ASSERT_TRUE(table.Allocate(5000, 157));
  convert::LoadBuffer out;
  convert::ReadXlsxWorkbook(pkg, {}, table, out);
  EXPECT_EQ(0u, out.Size());  // quiet
  EXPECT_STREQ("", table.SheetName(0));
  ASSERT_EQ(1u, table.Cells().size());
  EXPECT_EQ("2.5", table.Text(table.Cells()[0].value));  // General
}

TEST(XlsxReader, DamagedPartsEndWithTheDamageLine) {
  struct Case {
    const char* part;
    std::string bytes;
    const char* damaged;
  } cases[] = {
      {"xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>").substr(0, 90),
       "xl\\worksheets\\sheet1.xml"},
      {"xl/sharedStrings.xml", "<sst><si><t>a</t></si><si><t>b", ""},
      {"xl/styles.xml", "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0.0", "xl\\styles.xml"},
  };
  for (const Case& c : cases) {
    Book b;
    b.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
    b.pkg.Add(c.part, c.bytes);
    b.Read();
    EXPECT_EQ(b.read.damagedPart, c.damaged) << c.part;
    convert::LoadBuffer out;
    convert::WriteXlsxDamage(b.read.damagedPart, out);
    if (*c.damaged) EXPECT_NE(std::string::npos, std::string(out.Data(), out.Size()).find(c.damaged));
  }
  // More shared strings than the index holds.
  Book b;
  std::string sst = "<sst>";
  for (int i = 0; i < 30001; ++i) sst += "<si><t>s</t></si>";
  b.pkg.Add("xl/sharedStrings.xml", sst + "</sst>");
  b.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>29999</v></c></row>"));
  b.Read();
  EXPECT_EQ(b.read.damagedPart, "xl\\sharedStrings.xml");
  EXPECT_EQ(b.At(0, 0, 0), "s");
}

TEST(XlsxReader, APartOverTheMemoryLimitIsNotLoaded) {
  Book b;
  b.pkg.AddDeclared("xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"),
                    3ull * 1024 * 1024 * 1024);
  b.pkg.Add("xl/worksheets/sheet2.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"));
  b.Read();
  const std::string out(b.out.Data(), b.out.Size());
  EXPECT_NE(std::string::npos, out.find(" 018")) << out;
  EXPECT_EQ(b.At(0, 0, 0), "<none>");  // read as empty
  EXPECT_EQ(b.At(1, 0, 0), "2");
}

TEST(XlsxReader, OddNumbersStayBounded) {
  Book b;
  b.pkg.Add("xl/worksheets/sheet1.xml",
            Sheet("<row r=\"1\"><c r=\"A1\" s=\"2\"><v>1234567890123456789012345678901234567890123456789</v></c>"
                  "<c r=\"B1\" s=\"2\"><v>2958466</v></c><c r=\"C1\"><v>1E+99999</v></c></row>"));
  b.Read();
  EXPECT_EQ(b.KindAt(0, 0, 0) / 1000, 9);  // shown as a number
  EXPECT_EQ(b.At(0, 0, 1), "2958466");
  EXPECT_LE(b.At(0, 0, 2).size(), 255u);
}

// Drawings: a picture of a two-cell anchor, a text box with two paragraphs
// and a second run, and a grouped picture.
const char kDrawing[] =
    "<xdr:wsDr>"
    "<xdr:twoCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>4</xdr:row>"
    "<xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff>"
    "<xdr:row>4</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>"
    "<xdr:pic><xdr:blipFill><a:blip r:embed=\"rId1\"/></xdr:blipFill></xdr:pic></xdr:twoCellAnchor>"
    "<xdr:twoCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:colOff>10</xdr:colOff><xdr:row>4</xdr:row>"
    "<xdr:rowOff>10</xdr:rowOff></xdr:from><xdr:to><xdr:col>4</xdr:col><xdr:colOff>0</xdr:colOff>"
    "<xdr:row>8</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>"
    "<xdr:sp><xdr:txBody><a:p><a:r><a:t>Hello &amp; you</a:t></a:r></a:p><a:p><a:r><a:t>second</a:t></a:r>"
    "</a:p></xdr:txBody></xdr:sp></xdr:twoCellAnchor>"
    "</xdr:wsDr>";

TEST(XlsxReader, PicturesAndTextBoxes) {
  Book b;
  b.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>"));
  b.pkg.Add("xl/worksheets/_rels/sheet1.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Target=\"../drawings/drawing1.xml\"/></Relationships>");
  b.pkg.Add("xl/drawings/_rels/drawing1.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Target=\"../media/image1.png\"/></Relationships>");
  b.pkg.Add("xl/drawings/drawing1.xml", kDrawing);
  b.Read();
  EXPECT_EQ(2, b.read.shapeCells);
  ASSERT_EQ(2, b.table.ShapeCount());
  const convert::WorkbookCell pic = b.table.ShapeCells()[0];
  EXPECT_EQ(4, pic.row);
  EXPECT_EQ(2, pic.column);
  // Longer than its column's 8: padded to the two columns' 16.
  EXPECT_EQ(b.table.Text(b.table.ShapeValueIndex(0)), "[image1.png]    ");
  const convert::WorkbookCell box = b.table.ShapeCells()[1];
  EXPECT_EQ(0, box.column);
  // Below the data: the largest row is the picture's (row 5), then a gap.
  EXPECT_EQ(5 + 1 + 1, box.row);
  EXPECT_EQ(b.table.Text(b.table.ShapeValueIndex(1)), "(C05): Hello & you\x0B        second");

  // With the grouping switch the picture cell is empty.
  Book g;
  g.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>"));
  g.pkg.Add("xl/worksheets/_rels/sheet1.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Target=\"../drawings/drawing1.xml\"/></Relationships>");
  g.pkg.Add("xl/drawings/drawing1.xml", kDrawing);
  convert::XlsxWords w;
  w.groupSwitch = 1;
  g.Read(w);
  ASSERT_GE(g.table.ShapeCount(), 1);
  EXPECT_EQ(g.table.Text(g.table.ShapeValueIndex(0)), "");
}

TEST(XlsxReader, TheLayoutPrintsTheTable) {
  Book b;
  b.pkg.Add("xl/sharedStrings.xml", "<sst><si><t>name</t></si></sst>");
  b.pkg.Add("xl/worksheets/sheet1.xml",
            Sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>1234.5</v></c></row>"));
  b.pkg.Add("xl/worksheets/sheet2.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>2</v></c></row>"));
  b.Read();
  convert::WorkbookLayoutRequest req;
  req.xlsMode = 10;
  convert::LoadBuffer out;
  const convert::WorkbookLayoutResult r = convert::LayoutWorkbook(b.table, req, out);
  EXPECT_EQ(33, r.fileKind);
  const std::string text(out.Data(), out.Size());
  EXPECT_NE(std::string::npos, text.find("!*[Sheet 1]First")) << text;
  EXPECT_NE(std::string::npos, text.find("name,\"1,234.50\"")) << text;
  EXPECT_NE(std::string::npos, text.find("!*[Sheet 2]Second")) << text;
}

}  // namespace

// Whole packages on disk through the converter table: unpacked into the
// scratch folder below the program folder, read and laid out; a second
// workbook shows nothing of the first one, and the backup folder gains no
// file.
#include <filesystem>

#include "convert/convert_registry.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"
#include "xlsx_test_util.h"

namespace {

convert::Result Convert(const std::string& path, const std::string& programDir, int xlsMode = 10,
                        int openContext = 0) {
  convert::Request r;
  r.path = path.c_str();
  r.kind = 36;
  r.limits.indata = 8000000;
  r.limits.outdata = 8000000;
  r.limits.tableRows = 40000;
  r.m_nXlsMode = xlsMode;
  r.openContext = openContext;
  r.m_strProgramDir = programDir.c_str();
  return convert::ConvertFile(r);
}

TEST(XlsxPackage, AnEarlierWorkbookNeverShowsInTheNextOne) {
  testsupport::TempProgramFolder program;
  const std::string big = program.File("big.xlsx"), small = program.File("small.xlsx");
  testsupport::WriteFileBytes(big, xlsx_test::StoredZip(xlsx_test::Workbook(300)));
  testsupport::WriteFileBytes(small, xlsx_test::StoredZip(xlsx_test::Workbook(2)));
  convert::Result r = Convert(big, program.Path());
  ASSERT_EQ(convert::Status::kOk, r.status) << r.message.GetString();
  // Sheets up to 255 are read; names only through relationship 199.
  EXPECT_NE(std::string::npos, r.text.find("!*[Sheet199]Sheet199\r\n199,s199")) << r.text.substr(0, 300);
  EXPECT_NE(std::string::npos, r.text.find("!*[Sheet255]\r\n255,s255")) << r.text.substr(r.text.size() - 300);
  EXPECT_EQ(std::string::npos, r.text.find("256,s256"));
  r = Convert(small, program.Path());
  ASSERT_EQ(convert::Status::kOk, r.status);
  EXPECT_EQ("\r\n!*[Sheet 1]Sheet1\r\n1,s1\r\n\r\n!*[Sheet 2]Sheet2\r\n2,s2\r\n", r.text);
  // No copy of the earlier package's parts was kept.
  const std::filesystem::path backup = std::filesystem::path(program.Path()) / "TMP" / "BACKUP";
  EXPECT_TRUE(!std::filesystem::exists(backup) || std::filesystem::is_empty(backup));
}

TEST(XlsxPackage, GridFormListingAndFailures) {
  testsupport::TempProgramFolder program;
  const std::string book = program.File("book.xlsx");
  testsupport::WriteFileBytes(book, xlsx_test::StoredZip(xlsx_test::Workbook(1)));
  convert::Result r = Convert(book, program.Path(), 0);
  ASSERT_EQ(convert::Status::kOk, r.status);
  EXPECT_EQ(0u, r.text.find("[Sheet 1]Sheet1---")) << r.text;
  EXPECT_NE(33, r.fileKind);
  // Opened without its converter: the ZIP listing.
  r = Convert(book, program.Path(), 0, 2);
  EXPECT_EQ(0u, r.text.find("ZIP File\r\n")) << r.text;
  EXPECT_NE(std::string::npos, r.text.find("xl/worksheets/sheet1.xml"));
  // Not a package: no text. A file that is not there: no text either.
  const std::string bad = program.File("bad.xlsx");
  testsupport::WriteFileBytes(bad, "PK\x03\x04 this is not a zip file at all");
  r = Convert(bad, program.Path());
  EXPECT_EQ(convert::Status::kOk, r.status);
  EXPECT_EQ(std::string::npos, r.text.find("[Sheet")) << r.text;
}

}  // namespace

namespace {

// The yen-currency and era formats by their built-in ids.
TEST(XlsxPackage, BuiltInCurrencyAndEraFormats) {
  testsupport::TempProgramFolder program;
  xlsx_test::Parts parts = xlsx_test::Workbook(
      1, "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"5\"/><xf numFmtId=\"27\"/><xf numFmtId=\"57\"/>"
         "<xf numFmtId=\"58\"/><xf numFmtId=\"32\"/><xf numFmtId=\"99\"/></cellXfs>");
  parts.back().second =
      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1234</v></c><c r=\"B1\" s=\"2\"><v>45292</v></c>"
      "<c r=\"C1\" s=\"3\"><v>45292</v></c><c r=\"D1\" s=\"4\"><v>45292</v></c><c r=\"E1\" s=\"5\"><v>0.378472222</v></c>"
      "<c r=\"F1\" s=\"6\"><v>45292</v></c></row></sheetData></worksheet>";
  const std::string book = program.File("eras.xlsx");
  testsupport::WriteFileBytes(book, xlsx_test::StoredZip(parts));
  const convert::Result r = Convert(book, program.Path());
  ASSERT_EQ(convert::Status::kOk, r.status);
  EXPECT_EQ("\r\n!*[Sheet 1]Sheet1\r\n1234,2024/1/1,R6.1.1,令和6年1月1日,9時05分,45292\r\n", r.text);
}

}  // namespace

namespace {

// A picture inside a group lands inside the group's columns and rows, by
// its offset in the group's child extent.
TEST(XlsxReader, AGroupedPictureLandsInsideItsGroup) {
  Book b;
  b.pkg.Add("xl/worksheets/sheet1.xml", Sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"));
  b.pkg.Add("xl/worksheets/_rels/sheet1.xml.rels",
            "<Relationships><Relationship Id=\"rId1\" Target=\"../drawings/drawing1.xml\"/></Relationships>");
  b.pkg.Add("xl/drawings/_rels/drawing1.xml.rels",
            "<Relationships><Relationship Id=\"rId3\" Target=\"../media/image7.jpeg\"/></Relationships>");
  b.pkg.Add("xl/drawings/drawing1.xml",
            "<xdr:wsDr><xdr:twoCellAnchor><xdr:from><xdr:col>2</xdr:col><xdr:colOff>0</xdr:colOff>"
            "<xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from><xdr:to><xdr:col>6</xdr:col>"
            "<xdr:colOff>0</xdr:colOff><xdr:row>10</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>"
            "<xdr:grpSp><xdr:grpSpPr><a:xfrm><a:off x=\"100\" y=\"100\"/><a:ext cx=\"5000\" cy=\"9000\"/>"
            "<a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"5000\" cy=\"9000\"/></a:xfrm></xdr:grpSpPr>"
            "<xdr:pic><xdr:blipFill><a:blip r:embed=\"rId3\"/></xdr:blipFill><xdr:spPr><a:xfrm>"
            "<a:off x=\"2000\" y=\"3000\"/><a:ext cx=\"1000\" cy=\"2000\"/></a:xfrm></xdr:spPr></xdr:pic>"
            "<xdr:pic><xdr:blipFill><a:blip r:embed=\"rId9\"/></xdr:blipFill><xdr:spPr><a:xfrm>"
            "<a:off x=\"90000\" y=\"3000\"/><a:ext cx=\"10\" cy=\"10\"/></a:xfrm></xdr:spPr></xdr:pic>"
            "</xdr:grpSp></xdr:twoCellAnchor></xdr:wsDr>");
  b.Read();
  ASSERT_EQ(2, b.table.ShapeCount());
  // 1000 EMU per column and per row: column 2 + 2 + 0, row 2 + 3 + 1.
  EXPECT_EQ(4, b.table.ShapeCells()[0].column);
  EXPECT_EQ(6, b.table.ShapeCells()[0].row);
  EXPECT_EQ(b.table.Text(b.table.ShapeValueIndex(0)), "[image7.jpeg]   ");
  // Outside the group's columns: the middle of the group; an unknown
  // relationship names "Image".
  EXPECT_EQ(4, b.table.ShapeCells()[1].column);
  EXPECT_EQ(b.table.Text(b.table.ShapeValueIndex(1)), "[Image] ");
}

}  // namespace

namespace {

// A cell a billion rows down: the table form stops at the output bound
// instead of writing a line for every empty row.
TEST(XlsxReader, AFarRowStopsAtTheOutputBound) {
  Book b;
  b.pkg.Add("xl/worksheets/sheet1.xml",
            Sheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"1000000000\"><c r=\"A1000000000\"><v>2</v></c></row>"));
  b.Read();
  convert::WorkbookLayoutRequest req;
  req.xlsMode = 10;
  req.outdata = 100000;
  convert::LoadBuffer out;
  convert::LayoutWorkbook(b.table, req, out);
  EXPECT_LE(out.Size(), 100000u);
}

}  // namespace
