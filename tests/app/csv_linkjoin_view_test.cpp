// The link join from the CSV menu in-process: 33046 asks for the other file,
// joins by the first column and redisplays the table in key order; a
// cancelled dialog changes nothing; a missing file is named in a message;
// Esc answered Yes stops a join of 5,000 rows with the table unchanged.
#include <gtest/gtest.h>

#include <string>

#include "fw/uihooks.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class CsvLinkJoinTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* Open(const std::string& text) { return OpenTable(text, "customers.csv"); }
  static std::string Raw(const CDvkView* v) { return TableBytes(v); }
};

TEST_F(CsvLinkJoinTest, TheMenuCommandJoinsTheChosenFileAndRedisplays) {
  const std::string orders = File("orders.csv");
  // Keys with an ASCII second byte (ソ 0x83 0x5C), quoted in the other file,
  // a multi-line cell and LF line ends there.
  testsupport::WriteFileBytes(orders, "id,item\n\"\x83\x5C\",\"pen\nred\"\nb,ink\n");
  CDvkView* v = Open("id,name\r\nb,Sato\r\n\x83\x5C,Ito\r\nc,Abe\r\n");
  ASSERT_NE(nullptr, v);
  fw::hooks::ExpectFileDialog({orders});
  frame->SendMessage(WM_COMMAND, ID_CSV_LINK_JOIN, 0);
  EXPECT_EQ("id\tname\tid\titem\nb\tSato\tb\tink\nc\tAbe\t\t\n\x83\x5C\tIto\t\"\x83\x5C\"\t\"pen\x0Ered\"",
            ControlText(v));
  EXPECT_EQ(3, v->m_table.m_nLastRow);
  EXPECT_EQ(4u, v->m_table.m_nFieldCount);
  EXPECT_TRUE(doc->IsModified());
  // Saved, the multi-line cell is written back as it was.
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ("id,name,id,item\r\nb,Sato,b,ink\r\nc,Abe,,\r\n\x83\x5C,Ito,\"\x83\x5C\",\"pen\nred\"\r\n",
            testsupport::ReadFileBytes(File("customers.csv")));
}

TEST_F(CsvLinkJoinTest, ACancelledDialogOrAMissingFileChangesNothing) {
  CDvkView* v = Open("id,name\r\nb,Sato\r\na,Ito\r\n");
  ASSERT_NE(nullptr, v);
  const std::string before = Raw(v);
  fw::hooks::ExpectFileDialog({});
  EXPECT_EQ(-1, v->CsvJoinFileByKey(0, 0, CString(""), CString(""), 0, 0, 0));
  EXPECT_EQ(before, Raw(v));
  fw::hooks::ExpectFileDialog({});
  frame->SendMessage(WM_COMMAND, ID_CSV_LINK_JOIN, 0);
  EXPECT_EQ(before, Raw(v));
  EXPECT_FALSE(doc->IsModified());
  // A path that does not open: the file is named in the message.
  fw::hooks::ExpectMessageBox("file = ", IDOK);
  EXPECT_EQ(-1, v->CsvJoinFileByKey(0, 0, CString(File("none.csv").c_str()), CString(""), 0, 0, 0));
  EXPECT_EQ(before, Raw(v));
}

TEST_F(CsvLinkJoinTest, EscAnsweredYesStopsTheJoin) {
  std::string table = "id,v\r\n", other = "id,w\r\n";
  for (int i = 0; i < 5000; ++i) {
    table += std::to_string((i * 7919) % 5000) + ",t\r\n";
    other += std::to_string(i) + ",o\r\n";
  }
  const std::string path = File("other.csv");
  testsupport::WriteFileBytes(path, other);
  CDvkView* v = Open(table);
  ASSERT_NE(nullptr, v);
  const std::string before = Raw(v);
  ::PostMessageA(frame->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  fw::hooks::ExpectMessageBox("中止しますか", IDYES);
  EXPECT_EQ(-1, v->CsvJoinFileByKey(0, 0, CString(path.c_str()), CString(""), 0, 0, 0));
  EXPECT_EQ(before, Raw(v));
  EXPECT_EQ(5000, v->m_table.m_nLastRow);
  // Without Esc the same join runs to its end.
  EXPECT_EQ(0, v->CsvJoinFileByKey(0, 0, CString(path.c_str()), CString(""), 0, 0, 0));
  EXPECT_EQ(5000, v->m_table.m_nLastRow);
  EXPECT_EQ(4u, v->m_table.m_nFieldCount);
}

}  // namespace
