// The vertical concatenation in the running program: 33047 from the CSV
// menu with the file dialog answered (and cancelled), and named
// shared-memory blocks written with TransferSharedMemory appended in modes
// 1 and 3, a missing block leaving the table as it was; the column append
// through its view entry.
#include <gtest/gtest.h>

#include <string>

#include "fw/uihooks.h"
#include "macro/macro_sharedmem.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

using shelltest::ControlText;

class CsvConcatViewTest : public shelltest::ShellFileTest {
 protected:
  CDvkView* Open(const std::string& text) { return OpenTable(text, "month1.csv"); }
  static std::string Raw(const CDvkView* v) { return TableBytes(v); }
};

TEST_F(CsvConcatViewTest, MenuAppendsASecondMonthWithoutItsTitle) {
  const std::string other = File("month2.csv");
  testsupport::WriteFileBytes(other, "~2月\r\n日,品,額\r\n3,\"c\r\nd\",300\r\n4,\x83\x5C,400\r\n");
  CDvkView* v = Open("日,品,額\r\n1,a,100\r\n2,b,200\r\n");
  ASSERT_NE(nullptr, v);
  // Cancelled: nothing changes.
  fw::hooks::ExpectFileDialog({});
  frame->SendMessage(WM_COMMAND, ID_CSV_CONCAT_VERTICAL, 0);
  EXPECT_EQ(2, v->m_table.m_nLastRow);
  EXPECT_FALSE(doc->IsModified());
  fw::hooks::ExpectFileDialog({other});
  frame->SendMessage(WM_COMMAND, ID_CSV_CONCAT_VERTICAL, 0);
  EXPECT_EQ(4, v->m_table.m_nLastRow);
  EXPECT_EQ("日\t品\t額\n1\ta\t100\n2\tb\t200\n3\t\"c\x7F\x0E" "d\"\t300\n4\t\x83\x5C\t400", ControlText(v));
  EXPECT_TRUE(doc->IsModified());
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ("日,品,額\r\n1,a,100\r\n2,b,200\r\n3,\"c\r\nd\",300\r\n4,\x83\x5C,400\r\n",
            testsupport::ReadFileBytes(File("month1.csv")));
}

TEST_F(CsvConcatViewTest, SharedMemoryBlocksAreAppendedStraightAndByTitle) {
  CDvkView* v = Open("a,b\r\n1,2\r\n");
  ASSERT_NE(nullptr, v);
  const std::string block = "~sent\r\nb,a\r\n4,3\r\n";
  std::string bytes = block + '\0';
  ASSERT_EQ(0, macro::TransferSharedMemory("TabryeTest_concat_block", reinterpret_cast<std::uint8_t*>(&bytes[0]),
                                           bytes.size(), 0, 0, 1, 10485760));
  ASSERT_EQ(0, v->CsvConcatFileVertical(9999, CString("TabryeTest_concat_block"), 1, 10485760));
  EXPECT_EQ("a\x06" "b\r\n1\x06" "2\r\n4\x06" "3\r\n", Raw(v));
  ASSERT_EQ(0, v->CsvConcatFileVertical(9999, CString("TabryeTest_concat_block"), 3, 10485760));
  EXPECT_EQ("a\x06" "b\r\n1\x06" "2\r\n4\x06" "3\r\n3\x06" "4\r\n", Raw(v));
  EXPECT_EQ(3, v->m_table.m_nLastRow);
  // A block nobody wrote adds nothing and says nothing.
  const std::string before = Raw(v);
  EXPECT_EQ(0, v->CsvConcatFileVertical(9999, CString("TabryeTest_concat_none"), 1, 10485760));
  EXPECT_EQ(before, Raw(v));
}

TEST_F(CsvConcatViewTest, AppendedColumnsAndAnUnopenedFile) {
  const std::string other = File("more.csv");
  testsupport::WriteFileBytes(other, "x,y\r\n9,8\r\n");
  CDvkView* v = Open("a\r\n1\r\n2\r\n");
  ASSERT_NE(nullptr, v);
  v->CsvAppendFileColumns(CString(other.c_str()));
  EXPECT_EQ("a\x06x\x06y\r\n1\x06" "9\x06" "8\r\n2\x06\x06", Raw(v));
  EXPECT_EQ(3u, v->m_table.m_nFieldCount);
  const std::string before = Raw(v);
  fw::hooks::ExpectMessageBox("file = ", IDOK);
  EXPECT_EQ(-1, v->CsvConcatFileVertical(9999, CString(File("none.csv").c_str()), 0, 0));
  EXPECT_EQ(before, Raw(v));
}

}  // namespace
