// The workbook part of a merged package: the sheet list replaced, the
// active tab set or added, names escaped once, the rest kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/merge/merge_package.h"
#include "export/merge/merge_workbook.h"
#include "support/xml_wellformed.h"

namespace {

using merge::NewSheetEntry;

std::string Rewrite(const std::string& part, const std::vector<NewSheetEntry>& sheets, int active) {
  std::string out;
  EXPECT_TRUE(merge::RewriteWorkbookPart(part.data(), part.size(), sheets, active, &out)) << part;
  return out;
}

TEST(MergeWorkbook, SheetListReplacedAndActiveTabAdded) {
  const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  const std::string part = decl +
      "<workbook xmlns=\"m\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<bookViews><workbookView xWindow=\"0\"/></bookViews><sheets><sheet name=\"a\" sheetId=\"1\" r:id=\"rId1\"/>"
      "<sheet name=\"b\" sheetId=\"2\" r:id=\"rId2\"/></sheets><definedNames><definedName name=\"x\">a!$A$1"
      "</definedName></definedNames><calcPr calcId=\"1\"/></workbook>";
  const std::string out = Rewrite(part, {{"Sum", 4, "rId3"}, {"R&D \"<x>\"", 5, "rId1"}}, 1);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(out));
  EXPECT_EQ(out.compare(0, decl.size(), decl), 0);
  EXPECT_NE(out.find("<workbookView xWindow=\"0\" activeTab=\"1\"/>"), std::string::npos);
  EXPECT_NE(out.find("name=\"R&amp;D &quot;&lt;x&gt;&quot;\" sheetId=\"5\" r:id=\"rId1\"/></sheets><definedNames>"),
            std::string::npos);
  EXPECT_NE(out.find("</definedName></definedNames><calcPr calcId=\"1\"/></workbook>"), std::string::npos);
  std::vector<merge::SheetEntry> back;
  ASSERT_TRUE(merge::ReadWorkbookSheets(out.data(), out.size(), &back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].name, "Sum");
  EXPECT_EQ(back[0].sheetId, "4");
  EXPECT_EQ(back[0].relId, "rId3");
  EXPECT_EQ(back[1].name, "R&D \"<x>\"");
  EXPECT_EQ(merge::ReadActiveTab(out.data(), out.size()), 1);
}

TEST(MergeWorkbook, ExistingActiveTabPrefixesAndEmptyLists) {
  // openpyxl's form: no declaration, the namespace on each entry, an
  // activeTab to replace.
  const std::string part =
      "<workbook xmlns=\"m\"><bookViews><workbookView activeTab=\"3\" firstSheet=\"0\"/></bookViews><sheets>"
      "<sheet xmlns:r=\"rel\" name=\"R&amp;D\" sheetId=\"1\" state=\"visible\" r:id=\"rId1\"/></sheets></workbook>";
  EXPECT_EQ(merge::ReadActiveTab(part.data(), part.size()), 3);
  std::string out = Rewrite(part, {{"R&D", 2, "rId1"}}, 0);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(out));
  EXPECT_NE(out.find("<workbookView activeTab=\"0\" firstSheet=\"0\"/>"), std::string::npos);
  EXPECT_NE(out.find("name=\"R&amp;D\""), std::string::npos);
  EXPECT_EQ(out.find("R&amp;amp;D"), std::string::npos);

  // A prefixed list, and an empty one written as "<sheets/>".
  out = Rewrite("<x:workbook xmlns:x=\"m\"><x:sheets><x:sheet name=\"a\"/></x:sheets></x:workbook>", {{"n", 4, "rId1"}}, 0);
  EXPECT_NE(out.find("<x:sheets><x:sheet xmlns:r="), std::string::npos);
  EXPECT_EQ(out.find("name=\"a\""), std::string::npos);
  out = Rewrite("<workbook><sheets/></workbook>", {{"n", 4, "rId1"}}, 0);
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(out));
  EXPECT_NE(out.find("<sheets><sheet "), std::string::npos);

  // No sheet list, a cut list: refused, the output untouched.
  out = "kept";
  for (const std::string bad : {"<workbook/>", "<workbook><sheets><sheet name=\"a\"/>", "<!-- <sheets> -->"}) {
    EXPECT_FALSE(merge::RewriteWorkbookPart(bad.data(), bad.size(), {}, 0, &out)) << bad;
    EXPECT_EQ(out, "kept");
  }
  EXPECT_EQ(merge::ReadActiveTab("<workbook/>", 11), -1);
}

}  // namespace
