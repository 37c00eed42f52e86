// ".docx" pages of python-docx- and LibreOffice-made documents
// (make_docx_fixtures.sh): the words python-docx reads back from the body's
// paragraphs and tables, and the words of LibreOffice's own text export,
// stand in our pages in the same order; nested tables, frames, text boxes
// and pictures show where the layout puts them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "convert/convert_registry.h"
#include "support/outside_tool.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_docx_fixtures.sh", "convert_docx");
  return dir;
}

#define REQUIRE_FIXTURES()                                                              \
  REQUIRE_TOOLS("soffice");                                                            \
  if (std::system("/usr/bin/python3 -c 'import docx, PIL' >/dev/null 2>&1") != 0)      \
    GTEST_SKIP() << "python modules missing: docx, PIL";                                \
  ASSERT_FALSE(Fixtures().empty()) << "make_docx_fixtures.sh failed"

convert::Result Render(const fs::path& file, const std::string& programDir, bool rules = false) {
  convert::Request r;
  r.path = file.string().c_str();
  r.kind = 37;
  r.limits.indata = 204800;
  r.limits.outdata = 2000000;
  r.m_bTableLayout = rules ? 1 : 0;
  r.m_strProgramDir = programDir.c_str();
  return convert::ConvertFile(r);
}

// What docx_reference.py finds amiss ("" when every word is in place).
std::string Reference(const std::string& name, const std::string& ours, bool withLibreOffice) {
  const fs::path mine = Fixtures() / (name + ".ours.txt");
  std::ofstream(mine, std::ios::binary) << ours;
  std::string cmd = "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/convert/docx_reference.py' '" + mine.string() +
                    "' '" + (Fixtures() / (name + ".words")).string() + "'";
  if (withLibreOffice) cmd += " '" + (Fixtures() / "lo-text" / (name + ".txt")).string() + "'";
  std::string out = testsupport::RunCapture(cmd + " 2>&1");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TEST(DocxOracle, PythonDocxDocumentsHoldEveryWordInOrder) {
  REQUIRE_FIXTURES();
  testsupport::TempProgramFolder program;
  for (bool rules : {false, true}) {
    const convert::Result r = Render(Fixtures() / "docx_pydocx.docx", program.Path(), rules);
    ASSERT_EQ(convert::Status::kOk, r.status) << r.message.GetString();
    EXPECT_EQ("", Reference("docx_pydocx", r.text, true)) << r.text;
    // The nested table is marked in its cell and drawn after the body.
    const std::size_t marker = r.text.find(" [Table1]");
    const std::size_t header = r.text.find("[Table1]", marker + 2);
    ASSERT_NE(std::string::npos, marker) << r.text;
    ASSERT_NE(std::string::npos, header) << r.text;
    EXPECT_LT(r.text.find("Second page text"), header);
    EXPECT_NE(std::string::npos, r.text.find("nested", header));
    EXPECT_NE(std::string::npos, r.text.find("[image1.png]")) << r.text;
    EXPECT_NE(std::string::npos, r.text.find("-[page 2]" + std::string(80, '-'))) << r.text;
    EXPECT_EQ(rules, r.text.find("+---") != std::string::npos);
  }
  const convert::Result pages = Render(Fixtures() / "docx_pages.docx", program.Path());
  ASSERT_EQ(convert::Status::kOk, pages.status);
  EXPECT_EQ("", Reference("docx_pages", pages.text, false));
}

TEST(DocxOracle, LibreOfficeDocumentsWithFramesAndColumns) {
  REQUIRE_FIXTURES();
  testsupport::TempProgramFolder program;
  const convert::Result r = Render(Fixtures() / "docx_frames.docx", program.Path());
  ASSERT_EQ(convert::Status::kOk, r.status) << r.message.GetString();
  EXPECT_EQ("", Reference("docx_frames", r.text, true)) << r.text;
  // The frame's text and the picture's name appear too.
  EXPECT_NE(std::string::npos, r.text.find("Framed words here")) << r.text;
  EXPECT_NE(std::string::npos, r.text.find("[image1.png]")) << r.text;
}

// A cut copy of each document: the pages of what is there, never a crash.
TEST(DocxOracle, CutPackagesGiveTextOrNothing) {
  REQUIRE_FIXTURES();
  testsupport::TempProgramFolder program;
  for (const char* name : {"docx_pydocx.docx", "docx_frames.docx"}) {
    std::ifstream in(Fixtures() / name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t keep : {bytes.size() / 3, bytes.size() / 2, bytes.size() - 30}) {
      const fs::path cut = Fixtures() / (std::string("cut-") + name);
      std::ofstream(cut, std::ios::binary) << bytes.substr(0, keep);
      const convert::Result r = Render(cut, program.Path());
      EXPECT_EQ(convert::Status::kOk, r.status) << name << " " << keep;
    }
  }
}

}  // namespace
