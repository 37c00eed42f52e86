// The package parts: the fixed texts of a one-sheet workbook, the sheet
// list (first tab, repeats, names by position, names the format refuses,
// entries that name no sheet), filter names, drawings with charts and
// pictures, a long list in a short buffer, and memory failures.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "export/byte_writer.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_package_parts.h"
#include "export/xlsx/xlsx_run.h"
#include "fw/alloc.h"

namespace {

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// The run state of a finished run of `sheets` sheets named by `names`.
void Sheets(xlsx::XlsxRun& run, std::initializer_list<const char*> names) {
  run.Clear();
  int n = 0;
  for (const char* name : names) run.XlsxSheetNames[++n] = name;
  run.XlsxSheetCount = static_cast<std::uint32_t>(n);
}

// The "$$" list: its sheet numbers in order.
void List(xlsx::XlsxRun& run, std::initializer_list<std::uint32_t> order) {
  std::uint32_t p = 0;
  for (std::uint32_t v : order) run.XlsxSheetOrder[++p] = v;
  run.XlsxSheetOrder[0] = p;
}

std::map<std::string, std::string> Package(xlsx::XlsxRun& run) {
  exportcore::MemoryPartSink sink;
  EXPECT_EQ(0, xlsx::XlsxWriteWorkbookParts(run, sink));
  EXPECT_FALSE(sink.AnyFailed());
  return sink.parts;
}

TEST(XlsxPackageParts, OneSheetWithoutList) {
  xlsx::XlsxRun run;
  Sheets(run, {"売上"});
  auto parts = Package(run);
  EXPECT_EQ(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                        "<fileVersion appName=\"xl\" lastEdited=\"5\" lowestEdited=\"5\" rupBuild=\"9303\"/>"
                        "<workbookPr defaultThemeVersion=\"124226\"/><bookViews><workbookView xWindow=\"0\" "
                        "yWindow=\"60\" windowWidth=\"15075\" windowHeight=\"8880\" activeTab=\"0\"/></bookViews>"
                        "<sheets><sheet name=\"") +
                reinterpret_cast<const char*>(u8"売上") +
                "\" sheetId=\"4\" r:id=\"rId1\"/></sheets><calcPr calcId=\"145621\"/></workbook>",
            parts["xl/workbook.xml"]);
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "styles\" Target=\"styles.xml\"/>"
            "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>",
            parts["xl/_rels/workbook.xml.rels"]);
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"></Relationships>",
            parts["xl/worksheets/_rels/sheet1.xml.rels"]);
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "extended-properties\" Target=\"docProps/app.xml\"/><Relationship Id=\"rId2\" "
            "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
            "Target=\"docProps/core.xml\"/><Relationship Id=\"rId1\" "
            "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
            "Target=\"xl/workbook.xml\"/></Relationships>",
            parts["_rels/.rels"]);
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
            "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
            "<dc:title>Document</dc:title><dc:subject>Document</dc:subject><dc:creator>Vantel</dc:creator>"
            "<cp:lastModifiedBy>Vantel</cp:lastModifiedBy>"
            "<dcterms:created xsi:type=\"dcterms:W3CDTF\">2012-03-12T00:49:48Z</dcterms:created>"
            "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">2012-03-12T05:51:09Z</dcterms:modified>"
            "</cp:coreProperties>",
            parts["docProps/core.xml"]);
  EXPECT_EQ(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                        "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
                        "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
                        "<Application>Microsoft Excel</Application><DocSecurity>0</DocSecurity>"
                        "<ScaleCrop>false</ScaleCrop><HeadingPairs><vt:vector size=\"2\" baseType=\"variant\">"
                        "<vt:variant><vt:lpstr>") +
                reinterpret_cast<const char*>(u8"ワークシート") +
                "</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4></vt:variant></vt:vector></HeadingPairs>"
                "<TitlesOfParts><vt:vector size=\"1\" baseType=\"lpstr\"><vt:lpstr>" +
                reinterpret_cast<const char*>(u8"売上") +
                "</vt:lpstr></vt:vector></TitlesOfParts><Company>Vantol</Company>"
                "<LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
                "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>14.0300</AppVersion></Properties>",
            parts["docProps/app.xml"]);
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"png\" ContentType=\"image/png\"/><Default Extension=\"bin\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings\"/>"
            "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/xl/workbook.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
            "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
            "<Override PartName=\"/xl/styles.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
            "<Override PartName=\"/docProps/core.xml\" "
            "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
            "<Override PartName=\"/docProps/app.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/></Types>",
            parts["[Content_Types].xml"]);
  EXPECT_EQ(7u, parts.size());  // the styles come from their own step
  EXPECT_EQ(0u, parts.count("xl/drawings/_rels/drawing1.xml.rels"));
}

TEST(XlsxPackageParts, FirstTabRepeatsAndNamesByPosition) {
  xlsx::XlsxRun run;
  Sheets(run, {"A", "B", "X"});
  List(run, {1, 3, 3, 2});
  run.firstSheet = 2;
  auto parts = Package(run);
  std::string wb = parts["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, wb.find("activeTab=\"1\""));
  EXPECT_NE(std::string::npos, wb.find("<sheets><sheet name=\"A\" sheetId=\"4\" r:id=\"rId1\"/>"
                                       "<sheet name=\"X\" sheetId=\"5\" r:id=\"rId3\"/>"
                                       "<sheet name=\"X(2)\" sheetId=\"6\" r:id=\"rId3\"/>"
                                       "<sheet name=\"B\" sheetId=\"7\" r:id=\"rId2\"/></sheets>"))
      << wb;
  // The titles follow the sheet numbers and show the name kept for sheet 3.
  EXPECT_NE(std::string::npos, parts["docProps/app.xml"].find("<vt:lpstr>A</vt:lpstr><vt:lpstr>B</vt:lpstr>"
                                                              "<vt:lpstr>X(2)</vt:lpstr>"));
  EXPECT_EQ("X(2)", run.XlsxSheetNames[3]);

  // A name given on the list line for an already named sheet stands at its position.
  Sheets(run, {"Sales", "Cost"});
  List(run, {2, 1});
  run.XlsxExtraNames.push_back({"Sum", 2});
  run.firstSheet = 9;  // past the list: the first tab
  wb = Package(run)["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, wb.find("<sheet name=\"Cost\" sheetId=\"4\" r:id=\"rId2\"/>"
                                       "<sheet name=\"Sum\" sheetId=\"5\" r:id=\"rId1\"/>"));
  EXPECT_NE(std::string::npos, wb.find("activeTab=\"0\""));
}

TEST(XlsxPackageParts, NamesTheFormatRefusesAreFitted) {
  xlsx::XlsxRun run;
  const std::string thirty(30, 'n');
  const std::string kana = "ソ表\\ab?c";  // trail bytes 0x5C stay, the lone '\' and '?' do not
  Sheets(run, {thirty.c_str(), kana.c_str(), "sales"});
  List(run, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 3, 1});
  run.XlsxExtraNames.push_back({std::string(40, 'e') + "[x]", 3});
  run.XlsxExtraNames.push_back({"SALES", 15});  // equal to "sales" but for case
  const std::string wb = Package(run)["xl/workbook.xml"];
  // The 12th listing: 27 characters of the name and the suffix.
  EXPECT_NE(std::string::npos, wb.find("name=\"" + std::string(27, 'n') + "(12)\" sheetId=\"15\""));
  EXPECT_NE(std::string::npos, wb.find("name=\"" + std::string(31, 'e') + "\" sheetId=\"6\""));
  EXPECT_NE(std::string::npos, wb.find(std::string("name=\"") + reinterpret_cast<const char*>(u8"ソ表") +
                                       "#ab#c\" sheetId=\"16\""))
      << wb;
  EXPECT_NE(std::string::npos, wb.find("name=\"sales\" sheetId=\"17\""));
  EXPECT_NE(std::string::npos, wb.find("name=\"SALES(2)\" sheetId=\"18\""));

  EXPECT_EQ("n(3)", xlsx::FitSheetName("n", "(3)"));
  EXPECT_EQ(std::string(31, 'x'), xlsx::FitSheetName(std::string(31, 'x')));
  const std::string wide = "表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表表";  // 32 characters
  EXPECT_EQ(wide.substr(0, 2 * 28) + "(2)", xlsx::FitSheetName(wide, "(2)"));
  EXPECT_EQ("a(b)#", xlsx::FitSheetName("a[b]*"));
}

TEST(XlsxPackageParts, EntriesNamingNoSheetAreLeftOut) {
  xlsx::XlsxRun run;
  Sheets(run, {"A", "B"});
  List(run, {3, 2, 9});  // 3 would be the styles relationship, 9 nothing
  std::string wb = Package(run)["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, wb.find("<sheets><sheet name=\"B\" sheetId=\"5\" r:id=\"rId2\"/></sheets>"));
  List(run, {7});
  wb = Package(run)["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, wb.find("<sheets><sheet name=\"A\" sheetId=\"4\" r:id=\"rId1\"/>"
                                       "<sheet name=\"B\" sheetId=\"5\" r:id=\"rId2\"/></sheets>"));
}

TEST(XlsxPackageParts, FilterNamesAndEscapes) {
  xlsx::XlsxRun run;
  Sheets(run, {"one", "it's", "a&b<c", "four"});
  run.XlsxFilterRow[2] = 1, run.XlsxFilterColumns[2] = 30005;
  run.XlsxFilterRow[3] = 4, run.XlsxFilterColumns[3] = 28;
  run.XlsxFilterRow[4] = 2, run.XlsxFilterColumns[4] = 52;
  auto parts = Package(run);
  const std::string& wb = parts["xl/workbook.xml"];
  EXPECT_NE(std::string::npos,
            wb.find("<definedNames>"
                    "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"1\" hidden=\"1\">"
                    "'it''s'!$C$1:$E$1</definedName>"
                    "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"2\" hidden=\"1\">"
                    "'a&amp;b&lt;c'!$A$4:$AB$4</definedName>"
                    "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"3\" hidden=\"1\">"
                    "'four'!$A$2:$AZ$2</definedName></definedNames><calcPr calcId=\"145621\"/>"))
      << wb;
  EXPECT_NE(std::string::npos, wb.find("<sheet name=\"a&amp;b&lt;c\""));
  EXPECT_NE(std::string::npos, parts["docProps/app.xml"].find("<vt:lpstr>a&amp;b&lt;c</vt:lpstr>"));

  // A filter on a sheet the list leaves out names no sheet; R1C1 is kept.
  List(run, {3, 1});
  run.XlsxR1C1Flag = 1;
  const std::string listed = Package(run)["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, listed.find("localSheetId=\"0\" hidden=\"1\">'a&amp;b&lt;c'!$A$4:$AB$4"));
  EXPECT_EQ(1u, Count(listed, "<definedName "));
  EXPECT_NE(std::string::npos, listed.find("<calcPr calcId=\"145621\" refMode=\"R1C1\"/></workbook>"));
  EXPECT_EQ("XFD", xlsx::ColumnLettersA1(16384));
  EXPECT_EQ("AAA", xlsx::ColumnLettersA1(703));
}

TEST(XlsxPackageParts, DrawingsChartsAndPictures) {
  xlsx::XlsxRun run;
  Sheets(run, {"a", "b", "c", "d"});
  run.XlsxChartSlots[1] = 3, run.XlsxPictureCount[1] = 1;  // two charts, one picture
  run.XlsxPictureCount[2] = -1;                             // shapes only
  run.XlsxChartSlots[3] = 1;                                // the chart writer wrote no chart
  run.XlsxChartSlots[4] = 2, run.XlsxPictureCount[4] = 2;
  auto parts = Package(run);
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"rId1001\" Type=\"" + rel + "image\" Target=\"../media/image1.png\"/>"
            "<Relationship Id=\"rId1\" Type=\"" + rel + "chart\" Target=\"../charts/chart1.xml\"/>"
            "<Relationship Id=\"rId2\" Type=\"" + rel + "chart\" Target=\"../charts/chart2.xml\"/></Relationships>",
            parts["xl/drawings/_rels/drawing1.xml.rels"]);
  EXPECT_EQ(0u, parts.count("xl/drawings/_rels/drawing2.xml.rels"));
  EXPECT_EQ(std::string::npos, parts["xl/drawings/_rels/drawing3.xml.rels"].find("<Relationship "));
  const std::string& d4 = parts["xl/drawings/_rels/drawing4.xml.rels"];
  EXPECT_NE(std::string::npos, d4.find("Id=\"rId1001\" Type=\"" + rel + "image\" Target=\"../media/image2.png\""));
  EXPECT_NE(std::string::npos, d4.find("Id=\"rId1002\" Type=\"" + rel + "image\" Target=\"../media/image3.png\""));
  EXPECT_NE(std::string::npos, d4.find("Id=\"rId1\" Type=\"" + rel + "chart\" Target=\"../charts/chart3.xml\""));
  for (int n = 1; n <= 4; ++n)
    EXPECT_NE(std::string::npos, parts["xl/worksheets/_rels/sheet" + std::to_string(n) + ".xml.rels"].find(
                                     "<Relationship Id=\"rId2\" Type=\"" + rel + "drawing\" Target=\"../drawings/drawing" +
                                     std::to_string(n) + ".xml\"/>"));
  const std::string& ct = parts["[Content_Types].xml"];
  EXPECT_EQ(4u, Count(ct, "ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\""));
  EXPECT_EQ(3u, Count(ct, "drawingml.chart+xml"));
  EXPECT_NE(std::string::npos, ct.find("<Override PartName=\"/xl/drawings/drawing1.xml\" "
                                       "ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>"
                                       "<Override PartName=\"/xl/charts/chart1.xml\""));
  EXPECT_NE(std::string::npos, ct.find("<Override PartName=\"/xl/drawings/drawing4.xml\" "
                                       "ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>"
                                       "<Override PartName=\"/xl/charts/chart3.xml\""));
}

// 255 sheets with long names behind a list line of one entry: the first
// size of the buffer is far too small, and every part is still complete.
TEST(XlsxPackageParts, LongListsGrowTheBuffer) {
  xlsx::XlsxRun run;
  run.Clear();
  for (int n = 1; n <= 255; ++n) run.XlsxSheetNames[n] = std::string(25, 'x') + std::to_string(n);
  run.XlsxSheetCount = 255;
  List(run, {1});
  auto parts = Package(run);
  EXPECT_EQ(255u, Count(parts["docProps/app.xml"], "<vt:lpstr>xxxxxxxxxxxxxxxxxxxxxxxxx"));
  EXPECT_NE(std::string::npos, parts["docProps/app.xml"].find("</Properties>"));
  EXPECT_EQ(255u, Count(parts["[Content_Types].xml"], "worksheet+xml"));
  EXPECT_EQ(256u, Count(parts["xl/_rels/workbook.xml.rels"], "<Relationship "));
  EXPECT_NE(std::string::npos, parts["xl/_rels/workbook.xml.rels"].find("Id=\"rId256\""));
  EXPECT_GT(parts["docProps/app.xml"].size(), static_cast<std::size_t>((5 * 1 + 25) * 200));
}

TEST(XlsxPackageParts, MemoryShortageStoresNothingHalfBuilt) {
  xlsx::XlsxRun run;
  for (long n = 1;; ++n) {
    run.Clear();
    run.XlsxWorkBuffer.Release();
    for (int s = 1; s <= 40; ++s) run.XlsxSheetNames[s] = std::string(30, 'q') + std::to_string(s);
    run.XlsxSheetCount = 40;
    exportcore::MemoryPartSink sink;
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int result = xlsx::XlsxWriteWorkbookParts(run, sink);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_EQ(0, result);
      break;
    }
    EXPECT_EQ(-1, result) << n;
    for (const auto& part : sink.parts) {  // every stored part is complete
      const std::string& b = part.second;
      EXPECT_TRUE(b.size() > 3 && b.compare(b.size() - 1, 1, ">") == 0) << part.first;
    }
  }
}

}  // namespace
