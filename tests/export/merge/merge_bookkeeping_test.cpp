// Markup naming relationships left out of a sheet on another's template, and
// the document properties' sheet titles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/merge/merge_bookkeeping.h"

namespace {

std::string Leave(const std::string& s) { return merge::LeaveOutRelationshipMarkup(s.data(), s.size()); }

TEST(MergeBookkeeping, MarkupNamingRelationshipsIsLeftOut) {
  EXPECT_EQ(Leave("<worksheet><sheetData/><hyperlinks><hyperlink ref=\"A1\" r:id=\"rId3\"/>"
                  "<hyperlink ref=\"B1\" location=\"'S2'!A1\"/></hyperlinks>"
                  "<pageSetup r:id=\"rId1\" paperSize=\"9\"/><drawing r:id=\"rId2\"/>"
                  "<legacyDrawing r:id=\"rId4\"></legacyDrawing><x:legacyDrawingHF r:id=\"rId5\"/>"
                  "<picture r:id=\"rId6\"/><oleObjects><oleObject r:id=\"rId7\"><objectPr/></oleObject></oleObjects>"
                  "<controls><control r:id=\"rId8\"/></controls><tableParts count=\"1\"><tablePart r:id=\"rId9\"/>"
                  "</tableParts><extLst/></worksheet>"),
            "<worksheet><sheetData/><hyperlinks><hyperlink ref=\"B1\" location=\"'S2'!A1\"/></hyperlinks>"
            "<pageSetup paperSize=\"9\"/><extLst/></worksheet>");
  // A list whose every entry goes goes too; "drawingX" and comments stay.
  EXPECT_EQ(Leave("<w><!-- <drawing r:id=\"a\"/> --><hyperlinks><hyperlink r:id=\"rId1\" ref=\"A1\"/></hyperlinks>"
                  "<drawingX r:id=\"q\"/></w>"),
            "<w><!-- <drawing r:id=\"a\"/> --><drawingX r:id=\"q\"/></w>");
  // A cut part keeps what follows the cut element.
  EXPECT_EQ(Leave("<w><drawing r:id=\"a\"><x>"), "<w><drawing r:id=\"a\"><x>");
  const std::string plain = "<?xml version=\"1.0\"?><w xmlns:r=\"x\"><sheetData><row r=\"1\"/></sheetData></w>";
  EXPECT_EQ(Leave(plain), plain);
}

TEST(MergeBookkeeping, AppTitlesFollowTheSheetsAndKeepNamedRanges) {
  const std::string app =
      "<Properties xmlns:vt=\"v\"><HeadingPairs><vt:vector size=\"4\" baseType=\"variant\">"
      "<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>2</vt:i4></vt:variant>"
      "<vt:variant><vt:lpstr>Named Ranges</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4></vt:variant>"
      "</vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=\"3\" baseType=\"lpstr\">"
      "<vt:lpstr>A</vt:lpstr><vt:lpstr>B</vt:lpstr><vt:lpstr>A!Print_Area</vt:lpstr></vt:vector></TitlesOfParts>"
      "</Properties>";
  std::string out;
  ASSERT_TRUE(merge::RewriteAppPart(app.data(), app.size(), {"X", "R&D", "Z"}, &out));
  EXPECT_EQ(out,
            "<Properties xmlns:vt=\"v\"><HeadingPairs><vt:vector size=\"4\" baseType=\"variant\">"
            "<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>3</vt:i4></vt:variant>"
            "<vt:variant><vt:lpstr>Named Ranges</vt:lpstr></vt:variant><vt:variant><vt:i4>1</vt:i4></vt:variant>"
            "</vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=\"4\" baseType=\"lpstr\">"
            "<vt:lpstr>X</vt:lpstr><vt:lpstr>R&amp;D</vt:lpstr><vt:lpstr>Z</vt:lpstr>"
            "<vt:lpstr>A!Print_Area</vt:lpstr></vt:vector></TitlesOfParts></Properties>");
  // Without both lists the part stays.
  out = "kept";
  const std::string lo = "<Properties><Application>x</Application></Properties>";
  EXPECT_FALSE(merge::RewriteAppPart(lo.data(), lo.size(), {"X"}, &out));
  EXPECT_EQ(out, "kept");
  const std::string more = "<P><HeadingPairs><vector><i4>5</i4></vector></HeadingPairs><TitlesOfParts>"
                           "<vector size=\"2\"><lpstr>a</lpstr></vector></TitlesOfParts></P>";
  EXPECT_FALSE(merge::RewriteAppPart(more.data(), more.size(), {"X"}, &out));
}

TEST(MergeBookkeeping, RelationshipsPartSitsBesideThePart) {
  EXPECT_EQ(merge::RelationshipsPartOf("xl/worksheets/sheet1.xml"), "xl/worksheets/_rels/sheet1.xml.rels");
  EXPECT_EQ(merge::RelationshipsPartOf("a.xml"), "_rels/a.xml.rels");
}

}  // namespace
