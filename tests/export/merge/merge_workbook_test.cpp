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

namespace {

TEST(MergeWorkbook, RelationshipsAndOverridesDroppedAndAddedByName) {
  const std::string ws = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
  const std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"p\">"
      "<Relationship Id=\"rId1\" Type=\"s\" Target=\"styles.xml\"/>"
      "<Relationship Type=\"" + ws + "\" Target=\"/xl/worksheets/sheet1.xml\" Id=\"rId2\"/>"
      "<Relationship Id=\"rId3\" Type=\"" + ws + "\" Target=\"worksheets/sheet2.xml\"></Relationship>"
      "<Relationship Id=\"rId9\" Type=\"pivotCacheDefinition\" Target=\"pivot/c1.xml\"/>\n</Relationships>";
  std::string out;
  ASSERT_TRUE(merge::RewriteEntryPart(rels.data(), rels.size(), "Relationship", "Id", {"rId3"},
                                      {{{{"Id", "rId4"}, {"Type", ws}, {"Target", "worksheets/sheet3.xml"}}}}, &out));
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(out));
  std::vector<merge::Relationship> back;
  ASSERT_TRUE(merge::ReadRelationships(out.data(), out.size(), &back));
  ASSERT_EQ(back.size(), 4u);
  EXPECT_EQ(back[0].id, "rId1");
  EXPECT_EQ(back[1].id, "rId2");
  EXPECT_EQ(back[2].id, "rId9");  // other kinds keep their ids
  EXPECT_EQ(back[3].id, "rId4");
  EXPECT_EQ(back[3].target, "worksheets/sheet3.xml");
  EXPECT_EQ(out.compare(0, 39, rels, 0, 39), 0);
  EXPECT_EQ(merge::NextRelationshipId({"rId1", "rId3", "rId2", "rId9"}), "rId4");
  EXPECT_EQ(merge::NextRelationshipId({"rId2"}), "rId1");

  const std::string types =
      "<Types xmlns=\"t\"><Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"w\"/>"
      "<Override PartName=\"/xl/worksheets/sheet2.xml\" ContentType=\"w\"/></Types>";
  ASSERT_TRUE(merge::RewriteEntryPart(types.data(), types.size(), "Override", "PartName", {"/xl/worksheets/sheet2.xml"},
                                      {{{{"PartName", "/xl/worksheets/sheet3.xml"}, {"ContentType", "w"}}}}, &out));
  merge::ContentTypes ct;
  ASSERT_TRUE(merge::ReadContentTypes(out.data(), out.size(), &ct));
  ASSERT_EQ(ct.overrides.size(), 2u);
  EXPECT_EQ(ct.overrides[0].key, "/xl/worksheets/sheet1.xml");
  EXPECT_EQ(ct.overrides[1].key, "/xl/worksheets/sheet3.xml");
  EXPECT_EQ(ct.defaults.size(), 1u);

  // An empty root opens; no root end or UTF-16: refused, output untouched.
  ASSERT_TRUE(merge::RewriteEntryPart("<x:Types xmlns:x=\"t\"/>", 22, "Override", "PartName", {},
                                      {{{{"PartName", "/a&b"}}}}, &out));
  EXPECT_EQ(out, "<x:Types xmlns:x=\"t\"><x:Override PartName=\"/a&amp;b\"/></x:Types>");
  out = "kept";
  for (const std::string& bad : {std::string("<Types><Override PartName=\"a\"/>"), std::string("\xFF\xFE<\0", 4),
                                std::string("<?xml?>")}) {
    EXPECT_FALSE(merge::RewriteEntryPart(bad.data(), bad.size(), "Override", "PartName", {}, {}, &out));
    EXPECT_EQ(out, "kept");
  }
}

}  // namespace

namespace {

TEST(MergeWorkbook, NamesLocalToASheetFollowItOrGo) {
  const std::string part =
      "<workbook xmlns=\"m\"><sheets/><definedNames>"
      "<definedName name=\"g\">a!$A$1</definedName>"
      "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">b!$A$1:$C$9</definedName>"
      "<definedName name=\"gone\" hidden=\"1\" localSheetId=\"4\" >e!$A$1</definedName >"
      "<x:definedName name=\"far\" localSheetId=\"77\"/>"
      "<definedName name=\"a\" localSheetId=\"0\">a!$B$2</definedName>"
      "</definedNames></workbook>";
  std::string out;
  // Sheet 2 moves to the front, sheet 1 behind it, sheets 3 to 5 go.
  ASSERT_TRUE(merge::RenumberLocalNames(part.data(), part.size(), {1, 0, -1, -1, -1}, &out));
  EXPECT_EQ(out,
            "<workbook xmlns=\"m\"><sheets/><definedNames>"
            "<definedName name=\"g\">a!$A$1</definedName>"
            "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">b!$A$1:$C$9</definedName>"
            "<definedName name=\"a\" localSheetId=\"1\">a!$B$2</definedName>"
            "</definedNames></workbook>");
  EXPECT_EQ("", testsupport::XmlWellFormedProblem(out));
  // Nothing moved: the part is left alone.
  const std::string same = "<workbook><definedName localSheetId=\"1\">b</definedName></workbook>";
  EXPECT_FALSE(merge::RenumberLocalNames(same.data(), same.size(), {0, 1}, &out));
  // A name without its end tag is not guessed at.
  const std::string cut = "<workbook><definedName localSheetId=\"3\">b</workbook>";
  EXPECT_FALSE(merge::RenumberLocalNames(cut.data(), cut.size(), {0}, &out));
}

}  // namespace
