// The interpreter's page marks against a real renderer: a rich-text file
// with two "~~\par" marks, converted, prints on three pages when LibreOffice
// makes a PDF of it (pdfinfo counts them).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/outside_tool.h"
#include "view/viewcore/pagemarks.h"
#include "view/viewcore/strings_fixture.h"

namespace {

TEST(PageMarkPdf, TwoMarksGiveThreePages) {
  REQUIRE_TOOLS("soffice", "pdfinfo");
  viewtest::LoadProgramStrings();
  const std::string dir = std::string(TABRYE_BIN_ROOT) + "/pagemarks_pdf";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string rtf = "{\\rtf1\\ansi one~~\\par two~~\\par three\\par}";
  std::ofstream(dir + "/marks.rtf", std::ios::binary) << rtf;
  const auto r = viewcore::RtfConvertPageMarksFile(CString((dir + "/marks.rtf").c_str()));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(2, r.converted);
  testsupport::RunCapture("cd '" + dir + "' && HOME='" + dir + "/home' soffice --headless --convert-to pdf marks.rtf >/dev/null 2>&1");
  const std::string info = testsupport::RunCapture("pdfinfo '" + dir + "/marks.pdf'");
  EXPECT_NE(std::string::npos, info.find("Pages:           3")) << info;
}

}  // namespace
