// The bookkeeping parts of a workbook read by their references: attribute
// orders and prefixes as different writers use them, entities, encodings,
// relationship targets and which part each sheet is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/merge/merge_package.h"

namespace {

using namespace merge;

std::vector<SheetEntry> Sheets(const std::string& part) {
  std::vector<SheetEntry> s;
  EXPECT_TRUE(ReadWorkbookSheets(part.data(), part.size(), &s)) << part;
  return s;
}

std::vector<Relationship> Rels(const std::string& part) {
  std::vector<Relationship> r;
  EXPECT_TRUE(ReadRelationships(part.data(), part.size(), &r)) << part;
  return r;
}

TEST(MergePackage, SheetsByNameInAnyAttributeOrderWithEntitiesResolved) {
  // No declaration, the namespace on each entry, the id before the name, a
  // name with an escaped '&' and one written as character references.
  const std::string wb =
      "<workbook xmlns=\"m\"><!-- <sheet name=\"no\"/> --><bookViews><workbookView activeTab=\"0\"/></bookViews>"
      "<sheets><sheet xmlns:r=\"rel\" r:id=\"rId9\" sheetId=\"4\" name='R&amp;D'/>"
      "<x:sheet name=\"&#22770;&#x4E0A;\" sheetId=\"1\" rel:id=\"rId2\"/>"
      "<sheet name=\"&bogus; &#0; &#xD800; a&b\" sheetId=\"7\"/></sheets>"
      "<extLst><ext><sheet name=\"not a sheet\"/></ext></extLst></workbook>";
  const std::vector<SheetEntry> s = Sheets(wb);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].name, "R&D");
  EXPECT_EQ(s[0].sheetId, "4");
  EXPECT_EQ(s[0].relId, "rId9");
  EXPECT_EQ(s[1].name, "\xE5\xA3\xB2\xE4\xB8\x8A");  // "売上"
  EXPECT_EQ(s[1].relId, "rId2");
  EXPECT_EQ(s[2].name, "&bogus; &#0; &#xD800; a&b");
  EXPECT_EQ(s[2].relId, "");

  // A part declared Shift-JIS gives its names in Shift-JIS, references too.
  const std::string sjis =
      "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<workbook><sheets>"
      "<sheet name=\"\x94\x84&#19978;\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
  EXPECT_EQ(Sheets(sjis)[0].name, "\x94\x84\x8F\xE3");

  // Not a workbook, a UTF-16 part, a cut part.
  std::vector<SheetEntry> none;
  const std::string other = "<worksheet><sheets><sheet name=\"a\"/></sheets></worksheet>";
  EXPECT_FALSE(ReadWorkbookSheets(other.data(), other.size(), &none));
  const std::string utf16("\xFF\xFE<\0w\0", 6);
  EXPECT_FALSE(ReadWorkbookSheets(utf16.data(), utf16.size(), &none));
  const std::string cut = "<workbook><sheets><sheet name=\"a\" sheetId=\"1\"/><sheet name=\"b";
  EXPECT_TRUE(ReadWorkbookSheets(cut.data(), cut.size(), &none));
  EXPECT_EQ(none.size(), 1u);
}

TEST(MergePackage, RelationshipsAndContentTypesInAnyOrder) {
  const std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Relationships xmlns=\"p\">"
      "<Relationship Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
      "Target=\"/xl/worksheets/sheet1.xml\" Id=\"rId1\"/>"
      "<Relationship Id=\"rId2\" Target=\"https://example.invalid/a&amp;b\" TargetMode=\"External\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink\"/>"
      "</Relationships>";
  const std::vector<Relationship> r = Rels(rels);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].id, "rId1");
  EXPECT_EQ(r[0].target, "/xl/worksheets/sheet1.xml");
  EXPECT_TRUE(IsWorksheetRelationship(r[0].type));
  EXPECT_FALSE(r[0].external);
  EXPECT_EQ(r[1].target, "https://example.invalid/a&b");
  EXPECT_TRUE(r[1].external);

  const std::string ct =
      "<Types xmlns=\"t\"><Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override ContentType=\"w\" PartName=\"/xl/worksheets/sheet1.xml\"/></Types>";
  ContentTypes types;
  ASSERT_TRUE(ReadContentTypes(ct.data(), ct.size(), &types));
  ASSERT_EQ(types.defaults.size(), 1u);
  EXPECT_EQ(types.defaults[0].key, "xml");
  ASSERT_EQ(types.overrides.size(), 1u);
  EXPECT_EQ(types.overrides[0].key, "/xl/worksheets/sheet1.xml");
  EXPECT_EQ(types.overrides[0].contentType, "w");
}

TEST(MergePackage, TargetsResolveAgainstTheSourcePart) {
  EXPECT_EQ(ResolvePartTarget("xl/workbook.xml", "worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
  EXPECT_EQ(ResolvePartTarget("xl/workbook.xml", "/xl/worksheets/sheet1.xml"), "xl/worksheets/sheet1.xml");
  EXPECT_EQ(ResolvePartTarget("xl/worksheets/sheet1.xml", "../drawings/drawing1.xml"), "xl/drawings/drawing1.xml");
  EXPECT_EQ(ResolvePartTarget("xl/workbook.xml", "./a/./b.xml"), "xl/a/b.xml");
  EXPECT_EQ(ResolvePartTarget("xl/workbook.xml", "../../x.xml"), "");
  EXPECT_EQ(ResolvePartTarget("xl/workbook.xml", "http://a/b"), "");
  EXPECT_EQ(ResolvePartTarget("xl/workbook.xml", ""), "");
}

TEST(MergePackage, EachSheetIsThePartItsRelationshipTargets) {
  // The styles as rId1 and the sheets from rId2 on, listed out of order: the
  // first sheet is the part rId3 targets, whatever its name.
  const std::string wb =
      "<workbook xmlns:r=\"r\"><sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId3\"/>"
      "<sheet name=\"B\" sheetId=\"2\" r:id=\"rId2\"/><sheet name=\"C\" sheetId=\"3\" r:id=\"rId1\"/>"
      "<sheet name=\"D\" sheetId=\"4\" r:id=\"rId8\"/></sheets></workbook>";
  const std::string ws = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
  const std::string rels =
      "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/styles\" Target=\"styles.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"" + ws + "\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId3\" Type=\"" + ws + "\" Target=\"/xl/worksheets/data.xml\"/></Relationships>";
  const std::vector<std::string> paths = SheetPartPaths(Sheets(wb), Rels(rels));
  EXPECT_EQ(paths, (std::vector<std::string>{"xl/worksheets/data.xml", "xl/worksheets/sheet1.xml", "", ""}));
}

}  // namespace
