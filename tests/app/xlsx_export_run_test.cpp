// The spreadsheet export in the running program: a two-block Shift-JIS table
// saved by "save <path>.xlsx" and by "savexls"; a read-only target asked
// about (No keeps it, Yes replaces it); a target held open elsewhere asked
// about and then reported.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/dvkdoc.h"
#include "fw/file.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

// "!#:売上" and "!#:在庫": a quoted number, a formula, ソ 表 ①.
const std::string kTable =
    "!#:\x94\x84\x8F\xE3\r\n"
    "\x95\x69\x96\xBC,\x8B\xE0\x8A\x7A\r\n"
    "\x83\x5C\x83\x74\x83\x67,\"1,234\"\r\n"
    "\x95\x5C\x87\x40,=B3*2\r\n"
    "!#:\x8D\xDD\x8C\xC9\r\n"
    "item,count\r\n"
    "a,5\r\n";

class XlsxExportRunTest : public shelltest::MacroShellTest {
 protected:
  int RunFile(CDvkView* v, const std::string& text) {
    const std::string path = File("m.rmc");
    testsupport::WriteFileBytes(path, text);
    return v->RunMacro(macro::kRunFile, path.c_str(), "", "");
  }
  static bool IsWorkbook(const std::string& bytes) {
    return bytes.size() > 100 && bytes.compare(0, 2, "PK") == 0 &&
           bytes.find("xl/worksheets/sheet2.xml") != std::string::npos &&
           bytes.find("xl/styles.xml") != std::string::npos;
  }
  static void SetReadOnly(const std::string& path) {
    CFileStatus st;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
    st.m_attribute = CFile::readOnly;
    st.m_ctime = st.m_mtime = st.m_atime = CTime();
    CFile::SetStatus(path.c_str(), st);
  }
};

TEST_F(XlsxExportRunTest, SaveAndSaveXlsWriteTheWorkbook) {
  CDvkView* v = OpenTable(kTable, "t.csv");
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(1, RunFile(v, "\tsave\t" + File("out.xlsx") + "\r\n\tsavexls\t" + File("b.xlsx") + "\r\n"));
  EXPECT_EQ(std::string::npos, Pane0().find("Eror")) << Pane0();
  const std::string out = testsupport::ReadFileBytes(File("out.xlsx"));
  EXPECT_TRUE(IsWorkbook(out)) << out.size();
  EXPECT_EQ(out, testsupport::ReadFileBytes(File("TMP1\\TestA.xlsx")));  // the package stays in the tree
  EXPECT_TRUE(IsWorkbook(testsupport::ReadFileBytes(File("b.xlsx"))));
  // The scratch tree stays, in UTF-8.
  const std::string book = testsupport::ReadFileBytes(File("TMP1\\xl\\workbook.xml"));
  EXPECT_NE(std::string::npos, book.find("\xE5\xA3\xB2\xE4\xB8\x8A")) << book;
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
}

TEST_F(XlsxExportRunTest, AReadOnlyTargetIsAskedAbout) {
  CDvkView* v = OpenTable(kTable, "t.csv");
  ASSERT_NE(nullptr, v);
  const std::string target = File("ro.xlsx");
  testsupport::WriteFileBytes(target, "old");
  SetReadOnly(target);
  fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDNO);  // 書込み可
  RunFile(v, "\tsave\t" + target + "\r\n");
  EXPECT_EQ("old", testsupport::ReadFileBytes(target));
  EXPECT_TRUE(fw::hooks::Unused().empty());
  fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDYES);
  EXPECT_EQ(1, RunFile(v, "\tsave\t" + target + "\r\n"));
  EXPECT_TRUE(IsWorkbook(testsupport::ReadFileBytes(target)));
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

TEST_F(XlsxExportRunTest, ATargetHeldOpenIsAskedAboutThenReported) {
  CDvkView* v = OpenTable(kTable, "t.csv");
  ASSERT_NE(nullptr, v);
  const std::string target = File("held.xlsx");
  testsupport::WriteFileBytes(target, "old");
  {
    CFile held(target.c_str(), CFile::modeRead | CFile::shareExclusive);
    fw::hooks::ExpectMessageBox("\x8F\x91\x8D\x9E\x82\xDD\x89\xC2", IDYES);
    fw::hooks::ExpectMessageBox("\x8E\x67\x97\x70\x92\x86", IDOK);  // 使用中
    RunFile(v, "\tsave\t" + target + "\r\n");
    EXPECT_TRUE(fw::hooks::Unused().empty());
  }
  EXPECT_EQ("old", testsupport::ReadFileBytes(target));
}

}  // namespace
