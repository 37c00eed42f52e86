// Workbooks written by openpyxl and by LibreOffice, made at test time: their
// sheet lists and relationships read by reference name every sheet's part,
// and a first sheet rewritten from a block is well-formed for xmllint and
// reads back in openpyxl with the block's values in the template's widths,
// fills and merged ranges. The whole merge of two and three blocks, with
// "@+", "@-1:", a sheet-list line and into the workbook itself, gives
// packages the package checker and xmllint accept, with the template's
// styles, theme, shared strings, drawings, charts and media unchanged and
// its relationships kept; openpyxl reads them, LibreOffice reads every
// sheet with the same values and keeps the chart in its own format.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "export/byte_writer.h"
#include "export/merge/merge_package.h"
#include "export/merge/merge_run.h"
#include "export/merge/merge_sheet.h"
#include "merge_run_host.h"
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

// The files below a folder by relative path ('/' between folders).
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) out[fs::relative(e.path(), root).generic_string()] = ReadAll(e.path());
  return out;
}

struct MergeCase {
  const char* name;
  std::string text;
  bool self;        // the target is the workbook itself
  std::string sheets;  // openpyxl's sheet names, as JSON
};

// Six lines fill the first template's rows, so a head after them can
// carry "@+" or "@-1:".
const std::string kSix = "t1\x06" "1\r\na\x06" "2\r\nb\x06" "3\r\nc\x06" "4\r\nd\x06" "5\r\ne\x06" "6\r\n";
const char kSales[] = "\"\xE5\xA3\xB2\xE4\xB8\x8A\"";  // "売上"
const char kNotes[] = "\"\xE5\x82\x99\xE8\x80\x83\"";  // "備考"

std::vector<MergeCase> Cases() {
  return {
      {"two", "t1\x06" "1\r\n!#x\x06" "2\r\n", false, std::string("[") + kSales + ", \"R&D\"]"},
      {"three", "t1\x06" "1\r\n!#x\r\n!#y\r\n", false, std::string("[") + kSales + ", \"R&D\", " + kNotes + "]"},
      {"repeat", kSix + "@+r\x06" "7\r\n", false, std::string("[") + kSales + ", \"R&D\"]"},
      {"repeat3", kSix + "@+r\x06" "7\r\n!#y\r\n", false,
       std::string("[") + kSales + ", \"R&D\", " + kNotes + "]"},
      {"skip", kSix + "@-1:z\r\n", false, std::string("[") + kSales + ", \"R&D\"]"},
      {"list", "t1\x06" "1\r\n!#x\r\n!#y\r\n$$1:3:1=Sum\r\n", false, std::string("[") + kNotes + ", \"Sum\"]"},
      {"self", "t1\x06" "1\r\n!#x\x06" "2\r\n", true,
       std::string("[") + kSales + ", \"R&D\", " + kNotes + ", \"Sheet4\", \"Sheet5\"]"},
  };
}

class MergeRunOracle : public ::testing::TestWithParam<const char*> {};

TEST_P(MergeRunOracle, MergedWorkbooksPassTheCheckerAndReadBack) {
  REQUIRE_TOOLS("soffice", "xmllint");
  ASSERT_FALSE(Books().empty()) << "the template workbooks could not be made";
  const std::string book = GetParam();
  const fs::path tree = Books() / book;
  const auto original = Tree(tree);
  const std::string origRels = original.at("xl/_rels/workbook.xml.rels");
  std::vector<merge::Relationship> before;
  ASSERT_TRUE(merge::ReadRelationships(origRels.data(), origRels.size(), &before));
  std::vector<merge::SheetEntry> sheets;
  const std::string wb = original.at("xl/workbook.xml");
  ASSERT_TRUE(merge::ReadWorkbookSheets(wb.data(), wb.size(), &sheets));

  const fs::path lo = Books() / ("lo-" + book);
  fs::remove_all(lo);
  fs::create_directories(lo);
  for (const MergeCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const fs::path work = Books() / ("run-" + book + "-" + c.name);
    fs::remove_all(work);
    fs::create_directories(work / "prog");
    const fs::path bookCopy = work / "book.xlsx";
    fs::copy_file(Books() / (book + ".xlsx"), bookCopy);
    mergetest::Host host;
    merge::MergeRunInput in;
    in.text = c.text.data();
    in.textLen = c.text.size();
    in.programDir = (work / "prog").string().c_str();
    in.workbook = bookCopy.string().c_str();
    in.workbookAsGiven = in.workbook;
    const fs::path out = c.self ? bookCopy : work / "out.xlsx";
    in.target = out.string().c_str();
    merge::MergeRun run;
    ASSERT_EQ(run.Run(in, host), 0) << (host.messages.empty() ? "" : host.messages[0]);

    const fs::path unpacked = work / "result";
    ASSERT_EQ(mergetest::Unzip(out.string().c_str(), unpacked.string().c_str()), 0);
    const auto result = Tree(unpacked);
    // The template's shared parts, byte for byte.
    for (const auto& kv : original) {
      const std::string& p = kv.first;
      const bool shared = p == "xl/styles.xml" || p == "xl/sharedStrings.xml" || p.rfind("xl/theme/", 0) == 0 ||
                          p.rfind("xl/drawings/", 0) == 0 || p.rfind("xl/charts/", 0) == 0 ||
                          p.rfind("xl/media/", 0) == 0;
      if (!shared) continue;
      ASSERT_TRUE(result.count(p)) << p;
      EXPECT_TRUE(result.at(p) == kv.second) << p;
    }
    // Every relationship of the workbook part stays with its id and target,
    // but those of parts the merge removed ("@-1:" builds sheet 2 on sheet
    // 3's template; sheet 3's part goes).
    const std::string rels = result.at("xl/_rels/workbook.xml.rels");
    std::vector<merge::Relationship> after;
    ASSERT_TRUE(merge::ReadRelationships(rels.data(), rels.size(), &after));
    for (const merge::Relationship& r : before) {
      const bool removed = std::string(c.name) == "skip" && r.id == sheets[2].relId;
      bool found = false;
      for (const merge::Relationship& a : after) found = found || (a.id == r.id && a.target == r.target);
      EXPECT_EQ(found, !removed) << r.id;
    }
    // xmllint on every part, the package checker on the package.
    const std::string lint = testsupport::RunCapture(
        "cd '" + unpacked.string() + "' && find . -name '*.xml' -o -name '*.rels' | while read f; do "
        "xmllint --noout \"$f\" || echo \"bad $f\"; done 2>&1; echo done");
    EXPECT_EQ(lint, "done\n") << lint;
    const std::string check = testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT
                                                      "/tests/export/xlsx_check.py' '" + out.string() + "' 2>&1; echo rc=$?");
    EXPECT_NE(check.find("rc=0"), std::string::npos) << check;
    // openpyxl reads it: the block's values in the template's formats.
    const std::string json = testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT
                                                     "/tests/export/merge/merge_result_check.py' '" + out.string() +
                                                     "' 2>&1");
    EXPECT_NE(json.find("\"sheets\": " + c.sheets), std::string::npos) << json;
    if (std::string(c.name) != "list") {
      EXPECT_NE(json.find("\"values\": [[\"t1\", null], "), std::string::npos) << json;
      EXPECT_NE(json.find("\"merged\": [\"A1:B1\"]"), std::string::npos) << json;
      EXPECT_NE(json.find("\"widthA\": 24"), std::string::npos) << json;
      EXPECT_NE(json.find("FFFF00\""), std::string::npos) << json;
      EXPECT_NE(json.find("\"charts\": 1"), std::string::npos) << json;
    }
    if (std::string(c.name) == "repeat3") {
      EXPECT_NE(json.find("[\"t1\", \"r\", \"y\"]"), std::string::npos) << json;
    }
    if (c.self) {
      EXPECT_NE(json.find("\"keep 3\", \"keep 4\", \"keep 5\"]"), std::string::npos) << json;
    }
    fs::copy_file(out, lo / (std::string(c.name) + ".xlsx"));
  }
  // LibreOffice reads every sheet of every result with the values openpyxl
  // reads, and its ODS still holds the template's chart.
  const std::string report = testsupport::RunCapture("/usr/bin/python3 '" TABRYE_TEST_ROOT
                                                     "/tests/export/merge/merge_lo_check.py' '" + lo.string() +
                                                     "' 2>&1");
  for (const MergeCase& c : Cases())
    EXPECT_NE(report.find(std::string("ok ") + c.name + "\n"), std::string::npos) << report;
}

INSTANTIATE_TEST_SUITE_P(Writers, MergeRunOracle, ::testing::Values("openpyxl", "libreoffice"));

}  // namespace
