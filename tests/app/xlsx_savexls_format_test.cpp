// A formatted workbook written by the running program: "savexls" of a table
// whose format section holds a merged title, a condition colouring the
// amounts above 1000, a text box, a rectangle, an arrow and a bitmap named
// beside the table. The package, read with the program's own ZIP reader,
// holds the merge, the condition's fill on exactly the selected cells, one
// drawing anchor per drawn object and the bitmap's own bytes as its media
// member; the view's table is the same afterwards and nothing is asked.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "package_members.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

// A 2 x 2 bitmap of 24-bit pixels (rows padded to 8 bytes).
std::string SmallBitmap() {
  std::string b = "BM";
  auto le = [&b](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  le(14 + 40 + 16, 4), le(0, 4), le(14 + 40, 4);
  le(40, 4), le(2, 4), le(2, 4), le(1, 2), le(24, 2), le(0, 4), le(16, 4), le(2835, 4), le(2835, 4), le(0, 4),
      le(0, 4);
  b += std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8);  // red, green
  b += std::string("\xFF\x00\x00\xFF\xFF\xFF\x00\x00", 8);  // blue, white
  return b;
}

// The table: a title merged over three columns, amounts in column B, and a
// format section; "メモ" is the text box's note in Shift-JIS.
const std::string kTable =
    "Sales,,\r\n"
    "name,amount,note\r\n"
    "A,500,x\r\n"
    "B,1500,y\r\n"
    "C,2500,z\r\n"
    "D,50,w\r\n"
    "!%\r\n"
    "M,C,A1:C1\r\n"
    ",%r,if:&2>#(1000),&2=nn\r\n"
    "TH,%Dy,E2:G5,\x83\x81\x83\x82 note\r\n"
    "Re,b,E8:F10\r\n"
    "Li,3B!TA,B8:D10\r\n"
    "pi,,B12:C16,photo.bmp\r\n";

// Occurrences of `what` in `s`.
std::size_t Count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size())) ++n;
  return n;
}

// The style index ("s") of cell `ref` in a worksheet part; -1 when absent.
int StyleOf(const std::string& sheet, const std::string& ref) {
  const std::size_t c = sheet.find("<c r=\"" + ref + "\"");
  if (c == std::string::npos) return -1;
  const std::size_t end = sheet.find('>', c);
  const std::size_t s = sheet.find(" s=\"", c);
  if (s == std::string::npos || s > end) return 0;
  return std::atoi(sheet.c_str() + s + 4);
}

// The fillId of cellXfs entry `index` in the styles part; -1 when absent.
int FillOf(const std::string& styles, int index) {
  std::size_t at = styles.find("<cellXfs");
  if (at == std::string::npos || index < 0) return -1;
  for (int i = 0; i <= index; ++i) {
    at = styles.find("<xf ", at + 1);
    if (at == std::string::npos) return -1;
  }
  const std::size_t end = styles.find('>', at);
  const std::size_t f = styles.find("fillId=\"", at);
  if (f == std::string::npos || f > end) return 0;
  return std::atoi(styles.c_str() + f + 8);
}

class XlsxSaveXlsFormatTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
};

TEST_F(XlsxSaveXlsFormatTest, SectionObjectsReachThePackage) {
  const std::string bitmap = SmallBitmap();
  testsupport::WriteFileBytes(File("photo.bmp"), bitmap);
  CDvkView* v = OpenTable(kTable, "sales.csv");
  ASSERT_NE(nullptr, v);
  const std::string shownBefore = shelltest::ControlText(v);
  const std::string bytesBefore = TableBytes(v);
  const int lastRow = v->m_table.m_nLastRow, fields = v->m_table.m_nFieldCount;

  EXPECT_EQ(1, RunFile(v, "\tsavexls\t" + File("sales.xlsx") + "\r\n"));
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << fw::hooks::Unexpected().front();

  // The export only read the view's table.
  EXPECT_EQ(shownBefore, shelltest::ControlText(v));
  EXPECT_EQ(bytesBefore, TableBytes(v));
  EXPECT_EQ(lastRow, v->m_table.m_nLastRow);
  EXPECT_EQ(fields, v->m_table.m_nFieldCount);

  std::map<std::string, std::string> m = shelltest::PackageMembers(File("sales.xlsx"));
  ASSERT_FALSE(m.empty());
  const std::string& sheet = m["xl/worksheets/sheet1.xml"];
  EXPECT_NE(std::string::npos, sheet.find("<mergeCells count=\"1\"><mergeCell ref=\"A1:C1\"/></mergeCells>"))
      << sheet;
  EXPECT_NE(std::string::npos, sheet.find("<drawing r:id=")) << sheet;

  // The condition's fill ('r', fill slot 12) on the amounts above 1000 only.
  const std::string& styles = m["xl/styles.xml"];
  ASSERT_FALSE(styles.empty());
  for (int row = 3; row <= 6; ++row) {
    const bool selected = row == 4 || row == 5;
    const std::string b = "B" + std::to_string(row), a = "A" + std::to_string(row);
    EXPECT_EQ(selected ? 12 : 0, FillOf(styles, StyleOf(sheet, b))) << b;
    EXPECT_EQ(0, FillOf(styles, StyleOf(sheet, a))) << a;
  }

  // One anchor per drawn object: the text box, the rectangle, the arrow and
  // the picture, in one drawing.
  const std::string& drawing = m["xl/drawings/drawing1.xml"];
  ASSERT_FALSE(drawing.empty());
  const std::size_t anchors = Count(drawing, "<xdr:twoCellAnchor") + Count(drawing, "<xdr:oneCellAnchor") +
                              Count(drawing, "<xdr:absoluteAnchor");
  EXPECT_EQ(4u, anchors) << drawing;
  EXPECT_EQ(1u, Count(drawing, "<xdr:pic>")) << drawing;
  EXPECT_NE(std::string::npos, drawing.find("r:embed=\"rId1001\"")) << drawing;
  EXPECT_NE(std::string::npos, drawing.find("\xE3\x83\xA1\xE3\x83\xA2 note")) << drawing;  // メモ as UTF-8
  EXPECT_NE(std::string::npos, drawing.find("name=\"Rectangle ")) << drawing;
  EXPECT_NE(std::string::npos, drawing.find("prst=\"line\"")) << drawing;
  EXPECT_NE(std::string::npos, drawing.find("</xdr:wsDr>"));

  // The picture's relationship and its bytes, as they were on disk.
  EXPECT_NE(std::string::npos, m["xl/drawings/_rels/drawing1.xml.rels"].find("../media/image1.png"));
  EXPECT_EQ(bitmap, m["xl/media/image1.png"]);
  EXPECT_NE(std::string::npos, m["[Content_Types].xml"].find("/xl/drawings/drawing1.xml"));
}

TEST_F(XlsxSaveXlsFormatTest, AMissingPictureIsReportedAndTheRestIsWritten) {
  std::string table = kTable;
  table.replace(table.find("photo.bmp"), 9, "absent.bmp");
  CDvkView* v = OpenTable(table, "absent.csv");
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectMessageBox("image file copy eror", IDOK);
  EXPECT_EQ(1, RunFile(v, "\tsavexls\t" + File("absent.xlsx") + "\r\n"));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_TRUE(fw::hooks::Unexpected().empty()) << fw::hooks::Unexpected().front();
  std::map<std::string, std::string> m = shelltest::PackageMembers(File("absent.xlsx"));
  ASSERT_FALSE(m.empty());
  // A one-pixel stand-in keeps the drawing's link to the picture whole.
  ASSERT_EQ(1u, m.count("xl/media/image1.png"));
  EXPECT_EQ(0u, m["xl/media/image1.png"].rfind("\x89PNG", 0));
  EXPECT_NE(std::string::npos, m["xl/drawings/_rels/drawing1.xml.rels"].find("../media/image1.png"));
  EXPECT_NE(std::string::npos, m["xl/worksheets/sheet1.xml"].find("<mergeCell ref=\"A1:C1\"/>"));
  EXPECT_NE(std::string::npos, m["xl/drawings/drawing1.xml"].find("name=\"Rectangle "));
}

}  // namespace
