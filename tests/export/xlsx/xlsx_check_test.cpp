// The styles and package parts as one package folder, read by the package
// checker (tests/export/xlsx_check.py, lxml) and xmllint: a sound package
// passes, and each kind of damage the checker exists for is reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "export/part_sink.h"
#include "export/xlsx/xlsx_package_parts.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_styles.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

#define REQUIRE_CHECKER()                                                                   \
  if (std::system("/usr/bin/python3 -c 'import lxml' >/dev/null 2>&1") != 0)                \
    GTEST_SKIP() << "python module missing: lxml (python3-lxml)";                           \
  REQUIRE_TOOLS("xmllint")

std::string Worksheet(const std::string& cells, const std::string& extra = std::string()) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheetData>"
         "<row r=\"1\">" + cells + "</row></sheetData>" + extra + "</worksheet>";
}

// Two sheets, three cell styles, a filter on sheet 2 and a repeated listing.
std::map<std::string, std::string> SoundPackage() {
  xlsx::XlsxRun run;
  run.XlsxSheetNames[1] = "売上";
  run.XlsxSheetNames[2] = "it's ①";
  run.XlsxSheetCount = 2;
  run.XlsxSheetOrder[0] = 3, run.XlsxSheetOrder[1] = 2, run.XlsxSheetOrder[2] = 1, run.XlsxSheetOrder[3] = 2;
  run.XlsxFilterRow[2] = 1, run.XlsxFilterColumns[2] = 10003;
  xlsx::XlsxCellStyleRecord r = xlsx::DefaultCellStyleRecord();
  r[0] = 'p', r[2] = '2', r[14] = 'B', r[10] = '1', r[7] = 0x11;
  EXPECT_EQ(1, run.XlsxCellStyleTable.FindOrAdd(r));
  r[1] = static_cast<char>('i' | 0x80), r[6] = 'Y', r[4] = 'u';
  EXPECT_EQ(2, run.XlsxCellStyleTable.FindOrAdd(r));
  exportcore::MemoryPartSink sink;
  EXPECT_EQ(0, xlsx::XlsxWriteStyles(run, sink));
  EXPECT_EQ(0, xlsx::XlsxWriteWorkbookParts(run, sink));
  sink.parts["xl/worksheets/sheet1.xml"] =
      Worksheet("<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>x</t></is></c><c r=\"B1\" s=\"2\"><v>1</v></c>");
  sink.parts["xl/worksheets/sheet2.xml"] = Worksheet("<c r=\"A1\" s=\"0\"><f>=1+2</f></c>");
  return sink.parts;
}

// What the checker and xmllint say about the package `parts` laid out in a folder.
std::string Check(const std::map<std::string, std::string>& parts) {
  testsupport::TempProgramFolder dir;
  for (const auto& p : parts) {
    const fs::path file = fs::path(dir.Path()) / p.first;
    fs::create_directories(file.parent_path());
    testsupport::WriteFileBytes(file, p.second);
  }
  std::string out = testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/xlsx_check.py' '" +
                                            dir.Path() + "' 2>&1");
  out += testsupport::RunCapture("cd '" + dir.Path() + "' && find . -name '*.xml' -o -name '*.rels' | "
                                 "xargs xmllint --noout 2>&1");
  return out;
}

TEST(XlsxPackageCheck, SoundPackagePasses) {
  REQUIRE_CHECKER();
  EXPECT_EQ("", Check(SoundPackage()));
}

TEST(XlsxPackageCheck, EachDamageIsReported) {
  REQUIRE_CHECKER();
  struct Damage {
    const char* what;
    void (*apply)(std::map<std::string, std::string>&);
    const char* reported;
  } damages[] = {
      {"style index past cellXfs",
       [](auto& p) { p["xl/worksheets/sheet2.xml"] = Worksheet("<c r=\"A1\" s=\"3\"><v>1</v></c>"); },
       "style 3 past the 3 cellXfs"},
      {"a drawing id without a relationship",
       [](auto& p) { p["xl/worksheets/sheet1.xml"] = Worksheet("", "<drawing r:id=\"rId2\"/>"); },
       "r:id=\"rId2\" does not resolve"},
      {"a list count cut short",
       [](auto& p) {
         std::string& s = p["xl/styles.xml"];
         s.replace(s.find("<fonts count=\"2\">"), 17, "<fonts count=\"3\">");
       },
       "fonts count=3 but 2 elements"},
      {"a worksheet without its part",
       [](auto& p) { p.erase("xl/worksheets/sheet2.xml"); },
       "points to a missing part xl/worksheets/sheet2.xml"},
      {"a worksheet typed as plain XML",
       [](auto& p) {
         std::string& s = p["[Content_Types].xml"];
         const std::size_t at = s.find("<Override PartName=\"/xl/worksheets/sheet1.xml\"");
         s.erase(at, s.find("/>", at) + 2 - at);
       },
       "of content type application/xml"},
      {"a sheet name the format refuses",
       [](auto& p) {
         std::string& s = p["xl/workbook.xml"];
         s.replace(s.find("name=\"it"), 8, "name=\"i?");
       },
       "forbidden character"},
      {"markup a parser refuses",
       [](auto& p) { p["xl/worksheets/sheet1.xml"] = Worksheet("<c r=\"A1\" t=\"inlineStr\"><is><t>a<b</t></is></c>"); },
       "not well-formed"},
      {"a part declared Shift-JIS",
       [](auto& p) {
         std::string& s = p["docProps/app.xml"];
         s.replace(s.find("UTF-8"), 5, "Shift-JIS");
       },
       "encoding other than UTF-8"},
  };
  for (const Damage& d : damages) {
    auto parts = SoundPackage();
    d.apply(parts);
    EXPECT_NE(std::string::npos, Check(parts).find(d.reported)) << d.what << ":\n" << Check(parts);
  }
}

}  // namespace
