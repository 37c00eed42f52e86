// Workbooks written by openpyxl and by LibreOffice, made at test time: their
// sheet lists and relationships read by reference name every sheet's part,
// and a first sheet rewritten from a block is well-formed for xmllint and
// reads back in openpyxl with the block's values in the template's widths,
// fills and merged ranges.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/merge/merge_package.h"
#include "export/merge/merge_sheet.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const fs::path& Books() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/export/merge/make_merge_books.sh", "export_merge_books");
  return dir;
}

class MergeBooksOracle : public ::testing::TestWithParam<const char*> {};

TEST_P(MergeBooksOracle, SheetsAreFoundByReferenceAndRewrittenSheetsReadBack) {
  REQUIRE_TOOLS("soffice", "xmllint");
  ASSERT_FALSE(Books().empty()) << "the template workbooks could not be made";
  const std::string book = GetParam();
  const fs::path tree = Books() / book;

  const std::string wb = ReadAll(tree / "xl" / "workbook.xml");
  const std::string rels = ReadAll(tree / "xl" / "_rels" / "workbook.xml.rels");
  const std::string ct = ReadAll(tree / "[Content_Types].xml");
  std::vector<merge::SheetEntry> sheets;
  std::vector<merge::Relationship> rel;
  merge::ContentTypes types;
  ASSERT_TRUE(merge::ReadWorkbookSheets(wb.data(), wb.size(), &sheets));
  ASSERT_TRUE(merge::ReadRelationships(rels.data(), rels.size(), &rel));
  ASSERT_TRUE(merge::ReadContentTypes(ct.data(), ct.size(), &types));
  std::vector<std::string> names;
  for (const merge::SheetEntry& s : sheets) names.push_back(s.name);
  EXPECT_EQ(names, (std::vector<std::string>{"\xE5\xA3\xB2\xE4\xB8\x8A", "R&D", "\xE5\x82\x99\xE8\x80\x83",
                                              "Sheet4", "Sheet5"}));
  const std::vector<std::string> parts = merge::SheetPartPaths(sheets, rel);
  ASSERT_EQ(parts.size(), 5u);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(parts[i], "xl/worksheets/sheet" + std::to_string(i + 1) + ".xml");
    EXPECT_TRUE(fs::exists(tree / parts[i])) << parts[i];
    bool listed = false;
    for (const auto& o : types.overrides) listed = listed || o.key == "/" + parts[i];
    EXPECT_TRUE(listed) << parts[i];
  }

  // The first sheet from a block: a title (into the merged cell), then items
  // with numbers, text into a number cell, and "@@" keeping a cell.
  const std::string part = ReadAll(tree / parts[0]);
  const std::string text = std::string("\x8C\x8E\x95\xF1\r\n") +  // "月報"
                           "a\x06" "1.5\r\nb\x06" "2\r\nc\x06x<&\r\n@@\x06@@\r\n";
  exportcore::ByteWriter out;
  const merge::SheetRewriteResult r =
      merge::RewriteTemplateSheet(part.data(), part.size(), text.data(), text.size(), 0, &out);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.textPos, text.size());
  const fs::path partFile = Books() / (book + "-sheet1.xml");
  std::ofstream(partFile, std::ios::binary).write(out.Data(), static_cast<std::streamsize>(out.Size()));
  const std::string lint = testsupport::RunCapture("xmllint --noout '" + partFile.string() + "' 2>&1; echo rc=$?");
  EXPECT_NE(lint.find("rc=0"), std::string::npos) << lint;

  const std::string json = testsupport::RunCapture(
      "/usr/bin/python3 '" TABRYE_TEST_ROOT "/tests/export/merge/merge_check.py' '" + (Books() / (book + ".xlsx")).string() +
      "' '" + parts[0] + "' '" + partFile.string() + "' '" + (Books() / (book + "-merged.xlsx")).string() + "' 2>&1");
  EXPECT_NE(json.find("\"values\": [[\"\xE6\x9C\x88\xE5\xA0\xB1\", null], [\"a\", 1.5], [\"b\", 2], [\"c\", \"x<&\"], "
                      "[\"\xE5\x93\x81\xE7\x9B\xAE" "5\", 50], [null, null]"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"merged\": [\"A1:B1\"]"), std::string::npos) << json;
  EXPECT_NE(json.find("\"widthA\": 24"), std::string::npos) << json;
  EXPECT_NE(json.find("FFFF00\"}"), std::string::npos) << json;  // the yellow fill, either alpha
}

INSTANTIATE_TEST_SUITE_P(Writers, MergeBooksOracle, ::testing::Values("openpyxl", "libreoffice"));

}  // namespace
