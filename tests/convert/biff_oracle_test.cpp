// The Excel reader over xlwt- and LibreOffice-made workbooks and crafted
// BIFF5 and bare BIFF streams (make_xls_fixtures.sh): the table form against
// xlrd's values and xls2csv's cells (xls_reference.py), the sheet names, the
// drawn grid's numbers, comment and picture markers, the picture's bytes,
// an empty workbook, and truncated copies of every fixture.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "convert/convert_registry.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_xls_fixtures.sh", "convert_xls");
  return dir;
}

#define REQUIRE_FIXTURES()                                                                          \
  REQUIRE_TOOLS("soffice", "xls2csv", "iconv");                                                     \
  if (std::system("/usr/bin/python3 -c 'import xlwt, xlrd, PIL' >/dev/null 2>&1") != 0)              \
    GTEST_SKIP() << "python modules missing: xlwt, xlrd, PIL";                                       \
  ASSERT_FALSE(Fixtures().empty()) << "make_xls_fixtures.sh failed"

struct Options {
  int xlsMode = 0;
  int readerMode = 0;
  int extractNo = 0;
  std::string programDir;
  int quickLoad = 0;
};

convert::Result Render(const fs::path& file, const Options& o = Options()) {
  convert::Request r;
  r.path = file.string().c_str();
  r.kind = 3;
  r.markupFlag = o.readerMode;
  r.limits.indata = 8000000;
  r.limits.outdata = 8000000;
  r.limits.tableRows = 40000;
  r.m_nXlsMode = o.xlsMode;
  r.m_nExtractNo = o.extractNo;
  r.m_strProgramDir = o.programDir.c_str();
  r.switches.quickLoad = o.quickLoad;
  return convert::ConvertFile(r);
}

// Mismatches of our table form against xlrd and xls2csv ("" when none).
std::string Reference(const std::string& book, const std::string& ours) {
  const fs::path mine = Fixtures() / (book + ".ours.csv");
  std::ofstream(mine, std::ios::binary) << ours;
  const fs::path d = Fixtures();
  return testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/convert/xls_reference.py' '" +
                                 mine.string() + "' '" + (d / (book + ".xls.xlrd.json")).string() + "' '" +
                                 (d / (book + ".csv")).string() + "' 157");
}

TEST(BiffOracle, TableFormAgreesWithXlrdAndXls2csv) {
  REQUIRE_FIXTURES();
  for (const char* book : {"xls_formats", "xls_1904", "xls_objects"}) {
    SCOPED_TRACE(book);
    Options o;
    o.xlsMode = 11;
    const convert::Result r = Render(Fixtures() / (std::string(book) + ".xls"), o);
    ASSERT_EQ(convert::Status::kOk, r.status) << r.message;
    EXPECT_EQ(33, r.fileKind);
    EXPECT_EQ("", Reference(book, r.text)) << r.text.substr(0, 2000);
  }
}

TEST(BiffOracle, SheetNamesComeFromTheSheetRecords) {
  REQUIRE_FIXTURES();
  Options o;
  o.xlsMode = 11;
  const std::string text = Render(Fixtures() / "xls_formats.xls", o).text;
  // xlwt writes no summary stream: the names are the sheet records', as xlrd reads them.
  const char* names[] = {"売上", "経費", "メモ"};
  for (int i = 0; i < 3; ++i) {
    // (The literals are code page 932 already.)
    const std::string head = "!*[Sheet " + std::to_string(i + 1) + "]" + names[i];
    EXPECT_NE(std::string::npos, text.find(head)) << head;
  }
  EXPECT_NE(std::string::npos, text.find("[Sheet end]"));
}

TEST(BiffOracle, DrawnGridShowsFormattedNumbersAndMarkers) {
  REQUIRE_FIXTURES();
  const std::string grid = Render(Fixtures() / "xls_formats.xls").text;
  struct Want {
    const char* text;
  } wants[] = {{"[Sheet 1]"}, {"1234.50"}, {"12,345,679"}, {"\\123,456,789"}, {"'24-01-05"}, {"-1.50"}, {" 12"}};
  for (const Want& w : wants) EXPECT_NE(std::string::npos, grid.find(w.text)) << w.text << "\n" << grid.substr(0, 3000);
  const std::string objects = Render(Fixtures() / "xls_objects.xls").text;
  EXPECT_NE(std::string::npos, objects.find("[Image1]JPG")) << objects;
  EXPECT_NE(std::string::npos, objects.find("comment note")) << objects;
  EXPECT_NE(std::string::npos, objects.find("boxtext")) << objects;
  EXPECT_EQ(std::string::npos, objects.find("(Drawing)")) << objects;  // a sound drawing is no damage
}

TEST(BiffOracle, PictureOneIsExtractedByteForByte) {
  REQUIRE_FIXTURES();
  const fs::path dir = Fixtures() / "extract";
  fs::create_directories(dir / "TMP");
  fs::remove(dir / "TMP" / "pdftmp.jpg");
  Options o;
  o.extractNo = 1;
  o.programDir = dir.string();
  Render(Fixtures() / "xls_objects.xls", o);
  ASSERT_TRUE(fs::exists(dir / "TMP" / "pdftmp.jpg"));
  EXPECT_EQ(testsupport::ReadFileBytes(Fixtures() / "xls_objects.jpg"), testsupport::ReadFileBytes(dir / "TMP" / "pdftmp.jpg"));
}

TEST(BiffOracle, AWorkbookWithoutCellsSaysSo) {
  REQUIRE_FIXTURES();
  const std::string text = Render(Fixtures() / "xls_empty.xls").text;
  EXPECT_NE(std::string::npos, text.find("データがグラフ又は図のみ")) << text;
}

TEST(BiffOracle, CraftedBiff5AndBareBiff) {
  REQUIRE_FIXTURES();
  const std::string bare = Render(Fixtures() / "bare_biff4.xls").text;
  EXPECT_NE(std::string::npos, bare.find("bare")) << bare;
  EXPECT_NE(std::string::npos, bare.find("2.25")) << bare;
  // A record that runs past the data ends the text with the damage line.
  const fs::path damaged = Fixtures() / "damaged_biff4.xls";
  std::ofstream(damaged, std::ios::binary | std::ios::trunc)
      << testsupport::ReadFileBytes(Fixtures() / "bare_biff4.xls") + std::string("\x03\x02\x0A\x00\x01", 5);
  const std::string text = Render(damaged).text;
  EXPECT_NE(std::string::npos, text.find("bare")) << text;
  EXPECT_NE(std::string::npos, text.find("対応していないフォーマットです。(Workbook)")) << text;
}

TEST(BiffOracle, TruncatedCopiesGiveShorterTextQuickly) {
  REQUIRE_FIXTURES();
  for (const char* book : {"xls_formats.xls", "xls_1904.xls", "xls_objects.xls", "bare_biff4.xls"}) {
    const std::string whole = testsupport::ReadFileBytes(Fixtures() / book);
    for (std::size_t cut : {whole.size() / 2, whole.size() * 3 / 4, whole.size() - 700, std::size_t{40}}) {
      if (cut >= whole.size()) continue;
      SCOPED_TRACE(std::string(book) + " cut at " + std::to_string(cut));
      const fs::path p = Fixtures() / "cut.xls";
      std::ofstream(p, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
      const auto start = std::chrono::steady_clock::now();
      const convert::Result r = Render(p);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
      (void)r;
    }
  }
}

}  // namespace
