// The ".xlsx" reader over openpyxl-made workbooks (make_xlsx_fixtures.sh):
// the table form against the expected texts the script derived from
// openpyxl's read-back (xlsx_reference.py), the drawn grid of the same
// books, the 1904 date system, a picture's marker, and truncated copies of
// every book.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "convert/convert_registry.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_xlsx_fixtures.sh", "convert_xlsx");
  return dir;
}

#define REQUIRE_FIXTURES()                                                                      \
  if (std::system("/usr/bin/python3 -c 'import openpyxl, PIL' >/dev/null 2>&1") != 0)           \
    GTEST_SKIP() << "python modules missing: openpyxl, PIL";                                     \
  ASSERT_FALSE(Fixtures().empty()) << "make_xlsx_fixtures.sh failed"

convert::Result Render(const fs::path& file, const std::string& programDir, int xlsMode) {
  convert::Request r;
  r.path = file.string().c_str();
  r.kind = 36;
  r.limits.indata = 8000000;
  r.limits.outdata = 8000000;
  r.limits.tableRows = 40000;
  r.m_nXlsMode = xlsMode;
  r.m_strProgramDir = programDir.c_str();
  return convert::ConvertFile(r);
}

std::string Reference(const std::string& book, const std::string& ours) {
  const fs::path mine = Fixtures() / (book + ".ours.csv");
  std::ofstream(mine, std::ios::binary) << ours;
  const std::string cmd = "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/convert/xlsx_reference.py' '" +
                          mine.string() + "' '" + (Fixtures() / (book + ".expected.csv")).string() + "' 2>&1";
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return "python did not run";
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TEST(XlsxOracle, TableFormAgreesWithOpenpyxl) {
  REQUIRE_FIXTURES();
  testsupport::TempProgramFolder program;
  for (const char* book : {"xlsx_values.xlsx", "xlsx_1904.xlsx", "xlsx_drawings.xlsx"}) {
    const convert::Result r = Render(Fixtures() / book, program.Path(), 10);
    ASSERT_EQ(convert::Status::kOk, r.status) << book << ": " << r.message.GetString();
    EXPECT_EQ(33, r.fileKind) << book;
    EXPECT_EQ("", Reference(book, r.text)) << book;
  }
}

TEST(XlsxOracle, DrawnGridShowsTheSameCells) {
  REQUIRE_FIXTURES();
  testsupport::TempProgramFolder program;
  const convert::Result r = Render(Fixtures() / "xlsx_values.xlsx", program.Path(), 0);
  ASSERT_EQ(convert::Status::kOk, r.status);
  EXPECT_EQ(0u, r.text.find("[Sheet 1]")) << r.text.substr(0, 200);
  for (const char* s : {"1,234,567.89", "R6.1.1", "令和6年1月1日", "9:05 AM", "9時05分", "12.5%", "1.23E+05", "[Sheet 3]"})
    EXPECT_NE(std::string::npos, r.text.find(s)) << s;
  const convert::Result pic = Render(Fixtures() / "xlsx_drawings.xlsx", program.Path(), 0);
  EXPECT_NE(std::string::npos, pic.text.find("[image1.png]")) << pic.text;
}

// A second workbook shows none of the first one's sheets, and every cut of
// a book reads without a crash.
TEST(XlsxOracle, TruncatedBooksAndNoLeftOvers) {
  REQUIRE_FIXTURES();
  testsupport::TempProgramFolder program;
  const convert::Result first = Render(Fixtures() / "xlsx_values.xlsx", program.Path(), 10);
  ASSERT_NE(std::string::npos, first.text.find("[Sheet 3]"));
  const convert::Result second = Render(Fixtures() / "xlsx_1904.xlsx", program.Path(), 10);
  EXPECT_EQ(std::string::npos, second.text.find("[Sheet 2]")) << second.text;
  const std::string bytes = testsupport::ReadFileBytes((Fixtures() / "xlsx_values.xlsx").string());
  const fs::path cut = fs::path(program.Path()) / "cut.xlsx";
  for (std::size_t n = 0; n < bytes.size(); n += 97) {
    testsupport::WriteFileBytes(cut.string(), bytes.substr(0, n));
    const convert::Result r = Render(cut, program.Path(), 10);
    EXPECT_EQ(std::string::npos, r.text.find("[Sheet 3]")) << n;  // nothing of the whole book
  }
}

}  // namespace

// One workbook, two forms: LibreOffice saves the same flat-ODF workbook as
// ".xls" and ".xlsx" (make_two_forms.sh); both readers give the same sheets,
// rows, columns and texts, in the table form and in the drawn grid. The
// cells the two readers format differently on purpose are listed (the
// ".xls" text, what the ".xlsx" reader shows, and why) and checked against
// each one's rule.
namespace {

fs::path TwoForms() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_two_forms.sh", "convert_two_forms");
  return dir;
}

convert::Result RenderKind(const fs::path& file, const std::string& programDir, int xlsMode, int kind) {
  convert::Request r;
  r.path = file.string().c_str();
  r.kind = kind;
  r.limits.indata = 8000000;
  r.limits.outdata = 8000000;
  r.limits.tableRows = 40000;
  r.m_nXlsMode = xlsMode;
  r.m_strProgramDir = programDir.c_str();
  return convert::ConvertFile(r);
}

TEST(XlsxOracle, OneWorkbookTwoForms) {
  REQUIRE_TOOLS("soffice");
  ASSERT_FALSE(TwoForms().empty()) << "make_two_forms.sh failed";
  testsupport::TempProgramFolder program;
  for (int mode : {10, 0}) {
    const convert::Result xls = RenderKind(TwoForms() / "two_forms.xls", program.Path(), mode, 3);
    const convert::Result xlsx = RenderKind(TwoForms() / "two_forms.xlsx", program.Path(), mode, 36);
    ASSERT_EQ(convert::Status::kOk, xls.status);
    ASSERT_EQ(convert::Status::kOk, xlsx.status);
    std::string a = xls.text;
    const std::string& b = xlsx.text;
    struct Difference {
      int mode;
      const char* xls;
      const char* xlsx;
      const char* why;
    } differences[] = {
        // The BIFF reader's table form gives whole numbers a sign column.
        {10, "apple, 12, 3.50, 1234567.25, 0.25", "apple,12,3.50,\"1,234,567.25\",25%",
         "sign column; the xlsx reader applies grouping and percent of the workbook's format"},
        {10, "pear, 7, 0.75,-42,0.125", "pear,7,0.75,-42.00,0.125", "sign column; two decimals of the format"},
        {10, "only text,, 100\r\n\r\n", "only text,,100\r\n", "sign column; the .xls finish adds a line end"},
        {0, "  1234567.25", "1,234,567.25", "grouping of the workbook's format"},
        {0, " 0.25", "  25%", "percent of the workbook's format"},
        {0, "   -42 ", "-42.00 ", "two decimals of the format"},
        {0, "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n",
         "the .xls finish adds a line end"},
    };
    for (const Difference& d : differences) {
      if (d.mode != mode) continue;
      const std::size_t at = a.rfind(d.xls);
      ASSERT_NE(std::string::npos, at) << d.xls << " (" << d.why << ")";
      EXPECT_NE(std::string::npos, b.find(d.xlsx)) << d.xlsx << " (" << d.why << ")";
      a.replace(at, std::string(d.xls).size(), d.xlsx);
    }
    // The General fraction: the same text by both rules here.
    EXPECT_NE(std::string::npos, b.find("0.125")) << b;
    EXPECT_EQ(a, b) << "mode " << mode;
  }
}

}  // namespace
