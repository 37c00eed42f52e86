// The whole merge on hand-made workbooks laid out with sheet1.xml to
// sheetN.xml and ids rId1 to rIdN: which sheets are listed, under which ids
// and names, what the relationships and content types gain and lose, what a
// sheet on another sheet's template keeps, and that any failure leaves the
// target as it was.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/docsvc/backup.h"
#include "export/merge/merge_run.h"
#include "fw/file.h"
#include "fw/path.h"
#include "merge_run_host.h"
#include "support/scratch.h"

namespace {

using Files = std::map<std::string, std::string>;
using mergetest::Host;
using mergetest::Unzip;
using mergetest::ZipFolder;

const char kNs[] =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// A two-row worksheet whose cells say which sheet it is; `extra` goes
// before its end (page set-up, drawing).
std::string Sheet(int n, const std::string& extra = "") {
  const std::string s = std::to_string(n);
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet ") + kNs +
         "><dimension ref=\"A1:B2\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews><sheetData>"
         "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>" + s + "1</v></c></row>"
         "<row r=\"2\"><c r=\"A2\"><v>" + s + "2</v></c><c r=\"B2\"><v>" + s + "3</v></c></row>"
         "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>" +
         extra + "</worksheet>";
}

const char kWorksheetType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";

// A workbook of `names.size()` sheets laid out as sheet1.xml ... with rId1
// ..., the styles after them. Sheet 1 has a drawing and a page set-up that
// name its relationships.
Files Book(const std::vector<std::string>& names, const std::string& view = "<workbookView xWindow=\"0\" activeTab=\"0\"/>") {
  Files f;
  const std::size_t n = names.size();
  std::string sheets, rels, types, titles;
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string s = std::to_string(i);
    sheets += "<sheet name=\"" + names[i - 1] + "\" sheetId=\"" + s + "\" r:id=\"rId" + s + "\"/>";
    rels += "<Relationship Id=\"rId" + s + "\" Type=\"" + kWorksheetType + "\" Target=\"worksheets/sheet" + s +
            ".xml\"/>";
    types += "<Override PartName=\"/xl/worksheets/sheet" + s +
             ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    titles += "<vt:lpstr>" + names[i - 1] + "</vt:lpstr>";
    f["xl/worksheets/sheet" + s + ".xml"] = Sheet(static_cast<int>(i));
  }
  f["xl/worksheets/sheet1.xml"] =
      Sheet(1, "<pageSetup paperSize=\"9\" orientation=\"portrait\" r:id=\"rId1\"/>"
               "<headerFooter><oddHeader>&amp;C\xE8\xA6\x8B\xE5\x87\xBA\xE3\x81\x97</oddHeader></headerFooter>"
               "<drawing r:id=\"rId2\"/>");
  f["xl/worksheets/_rels/sheet1.xml.rels"] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/printerSettings\" "
      "Target=\"../printerSettings/printerSettings1.bin\"/>"
      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing\" "
      "Target=\"../drawings/drawing1.xml\"/></Relationships>";
  f["xl/printerSettings/printerSettings1.bin"] = "printer";
  f["xl/drawings/drawing1.xml"] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xdr:wsDr "
      "xmlns:xdr=\"http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing\"/>";
  const std::string st = std::to_string(n + 1);
  f["xl/workbook.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<workbook ") + kNs +
                         "><bookViews>" + view + "</bookViews><sheets>" + sheets +
                         "</sheets><definedNames><definedName name=\"x\">'" + names[0] +
                         "'!$A$1</definedName></definedNames></workbook>";
  f["xl/_rels/workbook.xml.rels"] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + rels +
      "<Relationship Id=\"rId" + st +
      "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" Target=\"styles.xml\"/>"
      "</Relationships>";
  f["xl/styles.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<styleSheet ") + kNs + "/>";
  f["xl/sharedStrings.xml"] = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sst ") + kNs +
                              " count=\"1\" uniqueCount=\"1\"><si><t>head</t></si></sst>";
  f["[Content_Types].xml"] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Types "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Default Extension=\"bin\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>" + types +
      "<Override PartName=\"/xl/drawings/drawing1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.drawing+xml\"/>"
      "</Types>";
  f["_rels/.rels"] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
      "Target=\"xl/workbook.xml\"/></Relationships>";
  f["docProps/app.xml"] =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Properties "
      "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
      "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\"><HeadingPairs>"
      "<vt:vector size=\"2\" baseType=\"variant\"><vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant>"
      "<vt:variant><vt:i4>" + std::to_string(n) + "</vt:i4></vt:variant></vt:vector></HeadingPairs><TitlesOfParts>"
      "<vt:vector size=\"" + std::to_string(n) + "\" baseType=\"lpstr\">" + titles +
      "</vt:vector></TitlesOfParts></Properties>";
  return f;
}

std::vector<std::string> Names(int n) {
  std::vector<std::string> v;
  for (int i = 1; i <= n; ++i) v.push_back("S" + std::to_string(i));
  return v;
}

// Counts of a text in another.
int Count(const std::string& hay, const std::string& needle) {
  int c = 0;
  for (std::size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++c;
  return c;
}

struct Merge {
  testsupport::Scratch dir;
  Host host;
  merge::MergeRunInput in;
  std::string text;
  Files original;
  CString program, result;

  explicit Merge(const Files& files) : original(files) {
    program = dir.Path("prog");
    fw::MakeDir(program);
    const CString src = dir.Path("src");
    fw::MakeDir(src);
    std::vector<std::string> tops;
    for (const auto& kv : files) {
      std::string p = kv.first;
      for (std::size_t s = p.find('/'); s != std::string::npos; s = p.find('/', s + 1))
        fw::MakeDir(src + "\\" + CString(p.substr(0, s).c_str()));
      std::string win = p;
      for (char& c : win)
        if (c == '/') c = '\\';
      testsupport::WriteBytes(src + "\\" + CString(win.c_str()), kv.second);
      const std::string top = p.substr(0, p.find('/'));
      bool have = false;
      for (const std::string& t : tops) have = have || t == top;
      if (!have) tops.push_back(top);
    }
    EXPECT_EQ(ZipFolder(src, tops, fw::FullPath(dir.Path("book.xlsx").Str())), 0);
    in.programDir = program;
    in.workbook = dir.Path("book.xlsx");
    in.workbookAsGiven = "book.xlsx";
    in.target = dir.Path("out.xlsx");
    result = dir.Path("result");
  }
  int Go() {
    in.text = text.data();
    in.textLen = text.size();
    merge::MergeRun run;
    return run.Run(in, host);
  }
  // The delivered package, unpacked.
  Files Result() {
    testsupport::RemoveTree(result);
    Files out;
    if (Unzip(in.target, result) < 0) return out;
    Walk(result, "", &out);
    return out;
  }
  void Walk(const CString& folder, const std::string& prefix, Files* out) {
    for (const std::string& name : testsupport::FolderNames(folder)) {
      const CString path = folder + "\\" + CString(name.c_str());
      CFileStatus st;
      CFile::GetStatus(path, st);
      if (st.m_attribute & CFile::directory)
        Walk(path, prefix + name + "/", out);
      else
        (*out)[prefix + name] = testsupport::ReadBytes(path);
    }
  }
};

std::string SheetsOf(const std::string& workbook) {
  const std::size_t b = workbook.find("<sheets>"), e = workbook.find("</sheets>");
  if (b == std::string::npos || e == std::string::npos) return "";
  return workbook.substr(b, e - b);
}

std::string Entry(const std::string& name, int id, const std::string& rid) {
  return std::string("<sheet xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" name=\"") +
         name + "\" sheetId=\"" + std::to_string(id) + "\" r:id=\"" + rid + "\"/>";
}

const std::string kThreeBlocks = "a1\x06" "1\r\na2\x06" "2\r\n!#b1\x06" "3\r\nb2\r\n!#c1\r\nc2\r\n";

TEST(MergeRun, ThreeBlocksOnFiveSheetsIntoAnotherFileListThree) {
  Merge m(Book(Names(5)));
  m.text = kThreeBlocks;
  ASSERT_EQ(m.Go(), 0) << (m.host.messages.empty() ? "" : m.host.messages[0]);
  EXPECT_EQ(m.host.Said(), 0u);
  Files r = m.Result();
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]),
            "<sheets>" + Entry("S1", 4, "rId1") + Entry("S2", 5, "rId2") + Entry("S3", 6, "rId3"));
  // Their parts stay, unlisted; nothing else changed.
  EXPECT_EQ(r["xl/worksheets/sheet4.xml"], m.original["xl/worksheets/sheet4.xml"]);
  EXPECT_EQ(r["xl/worksheets/sheet5.xml"], m.original["xl/worksheets/sheet5.xml"]);
  for (const char* same : {"xl/_rels/workbook.xml.rels", "[Content_Types].xml", "docProps/app.xml", "xl/styles.xml",
                           "xl/drawings/drawing1.xml", "xl/worksheets/_rels/sheet1.xml.rels", "_rels/.rels"})
    EXPECT_EQ(r[same], m.original[same]) << same;
  EXPECT_NE(r["xl/worksheets/sheet1.xml"].find("<c r=\"A1\" t=\"inlineStr\"><is><t>a1</t></is></c>"), std::string::npos)
      << r["xl/worksheets/sheet1.xml"];
  EXPECT_NE(r["xl/worksheets/sheet1.xml"].find("<drawing r:id=\"rId2\"/>"), std::string::npos);
  EXPECT_NE(r["xl/worksheets/sheet2.xml"].find("<t>b1</t>"), std::string::npos);
  EXPECT_NE(r["xl/worksheets/sheet3.xml"].find("<t>c2</t>"), std::string::npos);
  // The template's header text survives in UTF-8.
  EXPECT_NE(r["xl/worksheets/sheet1.xml"].find("\xE8\xA6\x8B\xE5\x87\xBA\xE3\x81\x97"), std::string::npos);
  EXPECT_EQ(r.count("~merge/sheet1AA.xml"), 0u);
  EXPECT_EQ(r.count("TestA.xlsx"), 0u);
  // The workbook read stays as it was.
  EXPECT_EQ(m.host.archived, (std::vector<std::string>{"[Content_Types].xml", "_rels", "docProps", "xl"}));
}

TEST(MergeRun, ThreeBlocksOnFiveSheetsIntoTheWorkbookItselfKeepTheOthers) {
  for (int upper = 0; upper < 2; ++upper) {
    Merge m(Book(Names(5)));
    m.text = kThreeBlocks;
    const std::string before = testsupport::ReadBytes(m.in.workbook);
    (void)before;
    m.in.target = upper ? m.dir.Path("BOOK.XLSX") : m.in.workbook;
    ASSERT_EQ(m.Go(), 0);
    Files r = m.Result();
    EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]), "<sheets>" + Entry("S1", 4, "rId1") + Entry("S2", 5, "rId2") +
                                                  Entry("S3", 6, "rId3") + Entry("S4", 7, "rId4") +
                                                  Entry("S5", 8, "rId5"));
    EXPECT_EQ(r["xl/worksheets/sheet4.xml"], m.original["xl/worksheets/sheet4.xml"]);
    EXPECT_EQ(r["xl/_rels/workbook.xml.rels"], m.original["xl/_rels/workbook.xml.rels"]);
#ifndef _WIN32
    if (upper) EXPECT_TRUE(testsupport::ReadBytes(m.in.workbook) == before);  // natively another file
#endif
  }
}

TEST(MergeRun, SheetListOrdersNamesAndActivates) {
  Merge m(Book(Names(3)));
  m.text = kThreeBlocks + "$$2:3:1=Sum\r\n";
  ASSERT_EQ(m.Go(), 0);
  Files r = m.Result();
  const std::string& wb = r["xl/workbook.xml"];
  EXPECT_EQ(SheetsOf(wb), "<sheets>" + Entry("S3", 4, "rId3") + Entry("Sum", 5, "rId1"));
  EXPECT_NE(wb.find("activeTab=\"1\""), std::string::npos) << wb;

  Merge twice(Book(Names(3)));
  twice.text = kThreeBlocks + "$$1:1:1:2\r\n";
  ASSERT_EQ(twice.Go(), 0);
  r = twice.Result();
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]),
            "<sheets>" + Entry("S1", 4, "rId1") + Entry("S1(2)", 5, "rId1") + Entry("S2", 6, "rId2"));
  EXPECT_NE(r["xl/workbook.xml"].find("activeTab=\"0\""), std::string::npos);
}

TEST(MergeRun, NamesLocalToASheetFollowItsSheet) {
  Files book = Book(Names(5));
  std::string& wb = book["xl/workbook.xml"];
  wb.replace(wb.find("</definedNames>"), 0,
             "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">S2!$A$1:$B$2</definedName>"
             "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"4\">S5!$A$1:$B$2</definedName>");
  Merge m(book);
  m.text = kThreeBlocks + "$$1:2:1\r\n";
  ASSERT_EQ(m.Go(), 0);
  const std::string out = m.Result()["xl/workbook.xml"];
  // Sheet 2 now stands first; sheet 5 is not in the new book, nor its name.
  EXPECT_NE(out.find("<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">S2!$A$1:$B$2</definedName>"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("S5!"), std::string::npos) << out;
  EXPECT_NE(out.find("<definedName name=\"x\">'S1'!$A$1</definedName>"), std::string::npos) << out;
}

TEST(MergeRun, WorkbookViewWithoutActiveTabGainsOne) {
  Merge m(Book(Names(2), "<workbookView xWindow=\"0\"/>"));
  m.text = "x\r\n";
  ASSERT_EQ(m.Go(), 0);
  EXPECT_NE(m.Result()["xl/workbook.xml"].find("<workbookView xWindow=\"0\" activeTab=\"0\"/>"), std::string::npos);
}

TEST(MergeRun, RepeatedTemplateAddsOneSheetWithItsOwnRelationship) {
  Merge m(Book(Names(2)));
  m.text = "a1\r\na2\r\n@+b1\r\nb2\r\nc1\r\nc2\r\n";
  ASSERT_EQ(m.Go(), 0) << (m.host.messages.empty() ? "" : m.host.messages[0]);
  Files r = m.Result();
  // Built on templates 1, 1 and 2; the third is a new part with the next free id.
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]),
            "<sheets>" + Entry("S1", 4, "rId1") + Entry("S2", 5, "rId2") + Entry("sheet3", 6, "rId4"));
  const std::string& rels = r["xl/_rels/workbook.xml.rels"];
  EXPECT_EQ(Count(rels, "<Relationship "), 4);
  EXPECT_NE(rels.find("<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "relationships/styles\" Target=\"styles.xml\"/>"),
            std::string::npos);
  EXPECT_NE(rels.find("<Relationship Id=\"rId4\" Type=\"" + std::string(kWorksheetType) +
                      "\" Target=\"worksheets/sheet3.xml\"/></Relationships>"),
            std::string::npos)
      << rels;
  const std::string& types = r["[Content_Types].xml"];
  EXPECT_EQ(Count(types, "worksheet+xml"), 3);
  EXPECT_NE(types.find("<Override PartName=\"/xl/worksheets/sheet3.xml\""), std::string::npos);
  EXPECT_NE(r["docProps/app.xml"].find("<vt:i4>3</vt:i4>"), std::string::npos) << r["docProps/app.xml"];
  EXPECT_NE(r["docProps/app.xml"].find("size=\"3\" baseType=\"lpstr\"><vt:lpstr>S1</vt:lpstr><vt:lpstr>S2</vt:lpstr>"
                                       "<vt:lpstr>sheet3</vt:lpstr></vt:vector>"),
            std::string::npos);
  // Sheet 2 carries sheet 1's markup but none of its relationships.
  const std::string& s2 = r["xl/worksheets/sheet2.xml"];
  EXPECT_NE(s2.find("<t>b1</t>"), std::string::npos);
  EXPECT_EQ(s2.find("<drawing"), std::string::npos) << s2;
  EXPECT_EQ(s2.find("r:id"), std::string::npos);
  EXPECT_NE(s2.find("<pageSetup paperSize=\"9\" orientation=\"portrait\"/>"), std::string::npos);
  EXPECT_EQ(r.count("xl/worksheets/_rels/sheet2.xml.rels"), 0u);
  EXPECT_EQ(r.count("xl/worksheets/_rels/sheet3.xml.rels"), 0u);
  EXPECT_NE(r["xl/worksheets/sheet1.xml"].find("<drawing r:id=\"rId2\"/>"), std::string::npos);
  EXPECT_EQ(r["xl/worksheets/_rels/sheet1.xml.rels"], m.original["xl/worksheets/_rels/sheet1.xml.rels"]);
}

TEST(MergeRun, SkippedTemplatesLoseTheirPartsAndRelationships) {
  Merge m(Book(Names(4)));
  m.text = "@-2:a1\r\n";  // block 1 on template 3: sheets 2 and 3 go
  ASSERT_EQ(m.Go(), 0);
  Files r = m.Result();
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]), "<sheets>" + Entry("S1", 4, "rId1"));
  EXPECT_EQ(r.count("xl/worksheets/sheet2.xml"), 0u);
  EXPECT_EQ(r.count("xl/worksheets/sheet3.xml"), 0u);
  EXPECT_EQ(r["xl/worksheets/sheet4.xml"], m.original["xl/worksheets/sheet4.xml"]);
  EXPECT_EQ(r["xl/_rels/workbook.xml.rels"].find("rId2\""), std::string::npos);
  EXPECT_EQ(r["xl/_rels/workbook.xml.rels"].find("rId3\""), std::string::npos);
  EXPECT_EQ(r["[Content_Types].xml"].find("sheet2.xml"), std::string::npos);
  EXPECT_NE(r["[Content_Types].xml"].find("sheet4.xml"), std::string::npos);
  // Built on sheet 3's template into sheet 1's part: sheet 1's relationships go.
  EXPECT_EQ(r.count("xl/worksheets/_rels/sheet1.xml.rels"), 0u);
  EXPECT_NE(r["xl/worksheets/sheet1.xml"].find("<t>a1</t>"), std::string::npos);
}

TEST(MergeRun, OneSheetWorkbookTakesTheFirstBlockOnly) {
  Merge m(Book(Names(1)));
  m.text = kThreeBlocks;
  ASSERT_EQ(m.Go(), 0);
  Files r = m.Result();
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]), "<sheets>" + Entry("S1", 4, "rId1"));
  EXPECT_EQ(r.count("xl/worksheets/sheet2.xml"), 0u);
  EXPECT_EQ(r["xl/worksheets/sheet1.xml"].find("b1"), std::string::npos);
}

TEST(MergeRun, RepeatOnTheFirstBlockAndMissingFilesFail) {
  Merge m(Book(Names(2)));
  m.text = "@+a\r\n";
  EXPECT_EQ(m.Go(), -1);
  EXPECT_EQ(m.host.Said(), 0u);  // a missing template says nothing
  CFileStatus st;
  EXPECT_FALSE(CFile::GetStatus(m.in.target, st));

  Merge none(Book(Names(2)));
  none.in.workbook = none.dir.Path("nothere.xlsx");
  none.in.workbookAsGiven = "&PARA.xlsx";
  EXPECT_EQ(none.Go(), -1);
  EXPECT_EQ(none.host.messages, (std::vector<std::string>{"file open eror : &PARA.xlsx"}));

  Merge bad(Book(Names(2)));
  testsupport::WriteBytes(bad.in.workbook, "not a zip file at all");
  EXPECT_LT(bad.Go(), 0);
  EXPECT_EQ(bad.host.messages, (std::vector<std::string>{"file unzip eror : book.xlsx"}));
}

TEST(MergeRun, NamesStayEscapedOnceAndTitlesFollowThePartsEncoding) {
  std::vector<std::string> names = {"R&amp;D", "S2"};
  Merge m(Book(names));
  m.text = "a\r\n!*\x94\x84\x8F\xE3\r\nb\r\n";  // block 2 titled 売上 (Shift-JIS)
  ASSERT_EQ(m.Go(), 0);
  Files r = m.Result();
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]),
            "<sheets>" + Entry("R&amp;D", 4, "rId1") + Entry("\xE5\xA3\xB2\xE4\xB8\x8A", 5, "rId2"));
  EXPECT_NE(r["xl/workbook.xml"].find("<definedName name=\"x\">'R&amp;D'!$A$1</definedName>"), std::string::npos);
}

TEST(MergeRun, AShiftJisWorkbookPartTakesTheTitleAsItIs) {
  Files book = Book(Names(2));
  std::string& wb = book["xl/workbook.xml"];
  wb.replace(wb.find("UTF-8"), 5, "Shift_JIS");
  Merge m(book);
  m.text = "a\r\n!*\x94\x84\x8F\xE3\r\nb\r\n";
  ASSERT_EQ(m.Go(), 0);
  Files r = m.Result();
  EXPECT_EQ(SheetsOf(r["xl/workbook.xml"]), "<sheets>" + Entry("S1", 4, "rId1") + Entry("\x94\x84\x8F\xE3", 5, "rId2"));
  EXPECT_NE(r["xl/workbook.xml"].find("encoding=\"Shift_JIS\""), std::string::npos);
}

TEST(MergeRun, AUtf16TemplateEndsTheMerge) {
  Files book = Book(Names(2));
  const std::string sheet = book["xl/worksheets/sheet2.xml"];
  std::string wide = "\xFF\xFE";
  for (char c : sheet) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  book["xl/worksheets/sheet2.xml"] = wide;
  Merge m(book);
  m.text = "a\r\n!#b\r\n";
  testsupport::WriteBytes(m.in.target, "kept");
  EXPECT_EQ(m.Go(), -1);
  ASSERT_EQ(m.host.messages.size(), 1u);
  EXPECT_EQ(m.host.messages[0].rfind("file open eror : ", 0), 0u);
  EXPECT_NE(m.host.messages[0].find("sheet2.xml"), std::string::npos);
  EXPECT_EQ(testsupport::ReadBytes(m.in.target), "kept");
}

TEST(MergeRun, EveryItemOfThePackageIsRepacked) {
  Files book = Book(Names(2));
  book["customXml/item1.xml"] = "<?xml version=\"1.0\"?><b:Sources xmlns:b=\"urn:x\"/>";
  book["customXml/_rels/item1.xml.rels"] = "<?xml version=\"1.0\"?><Relationships/>";
  Merge m(book);
  m.text = "a\r\n";
  ASSERT_EQ(m.Go(), 0);
  Files r = m.Result();
  EXPECT_EQ(r["customXml/item1.xml"], book["customXml/item1.xml"]);
  EXPECT_EQ(r["customXml/_rels/item1.xml.rels"], book["customXml/_rels/item1.xml.rels"]);
}

// Every write, rename and removal of the run, the archive and the delivery
// failing in turn: one message (or the delivery's question), a negative
// result, and the target as it was.
TEST(MergeRun, AnyFailedFileOperationLeavesTheTargetAsItWas) {
  for (int self = 0; self < 2; ++self) {
    for (fw::filetest::Op op : {fw::filetest::Op::kWrite, fw::filetest::Op::kRename, fw::filetest::Op::kRemove}) {
      long calls = 0;
      {
        Merge m(Book(Names(3)));
        m.text = "a\r\n@+b\r\n";
        if (self) m.in.target = m.in.workbook;
        else testsupport::WriteBytes(m.in.target, "the user's own file");
        fw::filetest::Reset();
        ASSERT_EQ(m.Go(), 0);
        calls = fw::filetest::Count(op);
        fw::filetest::Reset();
      }
      ASSERT_GT(calls, 0);
      int tolerated = 0;
      for (long i = 1; i <= calls; ++i) {
        Merge m(Book(Names(3)));
        m.text = "a\r\n@+b\r\n";
        if (self) m.in.target = m.in.workbook;
        else testsupport::WriteBytes(m.in.target, "the user's own file");
        const std::string before = testsupport::ReadBytes(m.in.target);
        fw::filetest::Reset();
        fw::filetest::FailAt(op, i);
        const int rc = m.Go();
        const long failed = fw::filetest::Failed(op);
        fw::filetest::Reset();
        if (failed == 0) continue;
        if (rc == 0) {
          // Only the delivery's removal of the replaced target's set-aside
          // copy may fail without failing the run (the target is new then).
          EXPECT_EQ(op, fw::filetest::Op::kRemove);
          EXPECT_EQ(m.host.Said(), 0u);
          ++tolerated;
          continue;
        }
        EXPECT_LT(rc, 0) << static_cast<int>(op) << " " << i;
        EXPECT_EQ(m.host.Said(), 1u) << static_cast<int>(op) << " " << i;
        EXPECT_TRUE(testsupport::ReadBytes(m.in.target) == before) << static_cast<int>(op) << " " << i;
      }
      EXPECT_LE(tolerated, 1);
    }
  }
}

TEST(MergeRun, UnusableScratchTreeSaysSo) {
  Merge m(Book(Names(1)));
  m.text = "a\r\n";
  const CString tree = docsvc::XlsxScratchDir(m.program);
  fw::MakeDir(tree);
  fw::filetest::Reset();
  fw::filetest::FailFrom(fw::filetest::Op::kRemove, 1);
  testsupport::WriteBytes(tree + "\\left.txt", "x");
  const int rc = m.Go();
  fw::filetest::Reset();
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(m.host.reports, (std::vector<std::string>{"2:cannot open " + tree.Str()}));
}

TEST(MergeRun, SameFilePathIgnoresLetterCase) {
  EXPECT_TRUE(merge::SameFilePath("C:\\Data\\Book.xlsx", "c:\\data\\BOOK.XLSX"));
  EXPECT_FALSE(merge::SameFilePath("C:\\Data\\Book.xlsx", "C:\\Data\\Book2.xlsx"));
  EXPECT_FALSE(merge::SameFilePath("", ""));
}

}  // namespace
