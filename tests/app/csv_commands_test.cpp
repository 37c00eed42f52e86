// The CSV menu's table commands in-process: 33045 fills the short rows (and a
// short title row) with empty cells, 33123 swaps rows and columns; both
// redisplay the TAB rows, and the file saves back in comma form.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class CsvCommandsTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* Open(const std::string& text) {
    CDvkView* v = ShellFileTest::Open("t.csv", text);
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
};

TEST_F(CsvCommandsTest, AddMissingColumnsFillsShortRowsAndTheTitle) {
  // The table's column count is its widest block's (4): the first block's
  // title row and its short row (Shift-JIS with an ASCII second byte: ソ 0x83
  // 0x5C) are filled with empty cells, and so is the "!#" line.
  CDvkView* v = Open("a,b,c\r\n\x83\x5C,2\r\n!#\r\nw,x,y,z\r\n5,6,7,8\r\n");
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(4u, v->m_table.m_nFieldCount);
  frame->SendMessage(WM_COMMAND, ID_CSV_ADD_MISSING_COLUMNS, 0);
  EXPECT_EQ("a\tb\tc\t\n\x83\x5C\t2\t\t\n!#\t\t\t\nw\tx\ty\tz\n5\t6\t7\t8", ControlText(v));
  EXPECT_EQ(4u, v->m_table.m_nFieldCount);
  EXPECT_EQ(4, v->m_table.m_nLastRow);
  EXPECT_EQ(2u, v->m_table.BlockCount());
}

TEST_F(CsvCommandsTest, TransposeSwapsRowsAndColumns) {
  CDvkView* v = Open("t,u,v\r\n1,a,x\r\n2,b,y\r\n");
  ASSERT_NE(nullptr, v);
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  EXPECT_EQ("t\t1\t2\nu\ta\tb\nv\tx\ty", ControlText(v));
  EXPECT_EQ(2, v->m_table.m_nLastRow);
  // Twice gives the table back.
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  EXPECT_EQ("t\tu\tv\n1\ta\tx\n2\tb\ty", ControlText(v));
}

TEST_F(CsvCommandsTest, ATableChangedFromTheMenuIsSavedAndAskedFor) {
  // A short row, a quoted title: transposed, the document is changed, and
  // Save writes the new table in comma form.
  const std::string path = File("t.csv");
  CDvkView* v = Open("\"name\",\"city\",\"tel\"\r\n\"Yamada\",\"Tokyo\",03\r\nSato,Osaka\r\n");
  ASSERT_NE(nullptr, v);
  EXPECT_FALSE(doc->IsModified());
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  EXPECT_TRUE(doc->IsModified());
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ("\"name\",\"Yamada\",Sato\r\n\"city\",\"Tokyo\",Osaka\r\n\"tel\",03,\r\n",
            testsupport::ReadFileBytes(path));
  // Padding changes it again.
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  frame->SendMessage(WM_COMMAND, ID_CSV_ADD_MISSING_COLUMNS, 0);
  EXPECT_TRUE(doc->IsModified());
}

// A file a spreadsheet wrote, with line breaks inside quoted cells (CR LF,
// and LF alone): one row per record, each break shown as its code; saved
// unchanged, the file comes back byte for byte; transposed and padded from
// the menu, every multi-line cell is still whole in the saved file.
TEST_F(CsvCommandsTest, CellsWithLineBreaksStayWholeThroughTheMenuAndSave) {
  const std::string path = File("t.csv");
  const std::string file = "name,memo\r\n\x83\x5C,\"one\r\ntwo\"\r\nb,\"alt\nenter, \"\"q\"\"\"\r\nshort\r\n";
  CDvkView* v = Open(file);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(3, v->m_table.m_nLastRow);
  EXPECT_EQ("name\tmemo\n\x83\x5C\t\"one\x7F\x0Etwo\"\nb\t\"alt\x0E" "enter, \"\"q\"\"\"\nshort", ControlText(v));
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ(file, testsupport::ReadFileBytes(path));
  frame->SendMessage(WM_COMMAND, ID_CSV_ADD_MISSING_COLUMNS, 0);
  frame->SendMessage(WM_COMMAND, ID_CSV_TRANSPOSE, 0);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ("name,\x83\x5C,b,short\r\nmemo,\"one\r\ntwo\",\"alt\nenter, \"\"q\"\"\",\r\n",
            testsupport::ReadFileBytes(path));
}

}  // namespace
