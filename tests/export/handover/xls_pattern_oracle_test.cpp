// Pattern mode on a workbook LibreOffice wrote: the placeholders filled with
// the table's cells, read back by xlrd.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "export/handover/handover_files.h"
#include "export/handover/xls_pattern.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

TEST(XlsPatternOracle, LibreOfficeTemplateFilledAndReadBack) {
  REQUIRE_TOOLS("soffice");
  const fs::path dir =
      testsupport::ScriptFixtures("tests/export/handover/make_pattern_book.sh", "export_handover_pattern");
  ASSERT_FALSE(dir.empty()) << "the template could not be made";
  std::string book;
  ASSERT_EQ(handover::PatternLoad::kOk, handover::LoadPatternTemplate((dir / "pattern.xls").string().c_str(), &book));
  // Three rows: "あい" in Shift-JIS, a cell longer than the placeholder.
  const std::string table = "abc\x06" "123456789\r\n\x82\xA0\x82\xA2\x06zz\r\nlast\x06q\r\n";
  const handover::PatternCounts c = handover::PatchPatternTemplate(
      &book, reinterpret_cast<const std::uint8_t*>(table.data()), table.size(), 3, 2);
  EXPECT_EQ(6u, c.placeholders);
  EXPECT_EQ(1u, c.cleared);
  EXPECT_EQ(5u, c.filled);
  const fs::path out = dir / "filled.xls";
  std::ofstream(out, std::ios::binary).write(book.data(), static_cast<std::streamsize>(book.size()));
  const std::string json = testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT
                                                   "/tests/export/handover/xls_read.py' '" +
                                                   out.string() + "' 2>&1");
  EXPECT_EQ(
      "[[\"Title\", \"abc     \", \"12345678\"], "
      "[\"label\", \"\\u3042\\u3044      \", \"zz      \"], "
      "[\"end\", \"last    \", \"        \"]]",
      json);
}

}  // namespace
