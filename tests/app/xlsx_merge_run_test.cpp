// The merge in the running program: a workbook written by the program's own
// export receives the table of another document through the view's
// MergeSheetsIntoWorkbook, delivered to the statement's target; the same
// merge into the workbook itself, failed by the file layer's fault hook,
// says so once and leaves the workbook as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "app/dvkdoc.h"
#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "fw/file.h"
#include "fw/uihooks.h"
#include "macro/macro_run.h"
#include "macro_shell_fixture.h"
#include "package_members.h"
#include "support/file_bytes.h"
#include "view/dvkview.h"

namespace {

// "!#:売上" and "!#:在庫", two rows each.
const std::string kBookTable =
    "!#:\x94\x84\x8F\xE3\r\n"
    "item,amount\r\n"
    "pen,120\r\n"
    "!#:\x8D\xDD\x8C\xC9\r\n"
    "item,count\r\n"
    "ink,5\r\n";

std::map<std::string, std::string> Members(const std::string& path) { return shelltest::PackageMembers(path); }

class XlsxMergeRunTest : public shelltest::MacroShellTest {
 protected:
  // A two-sheet workbook written by the program's export.
  std::string MakeBook(const std::string& name) {
    CDvkView* v = OpenTable(kBookTable, "book.csv");
    EXPECT_NE(nullptr, v);
    const std::string path = File(name.c_str());
    const std::string macro = File("m.rmc");
    testsupport::WriteFileBytes(macro, "\tsave\t" + path + "\r\n");
    EXPECT_EQ(1, v->RunMacro(macro::kRunFile, macro.c_str(), "", ""));
    return path;
  }
};

TEST_F(XlsxMergeRunTest, TheTableGoesIntoTheWorkbooksFirstSheet) {
  const std::string book = MakeBook("book.xlsx");
  const std::string before = testsupport::ReadFileBytes(book);
  ASSERT_GT(before.size(), 100u);
  CDvkView* v = OpenTable("merged,7\r\nrow,8\r\n", "t.csv");
  ASSERT_NE(nullptr, v);
  v->m_strStmtOperand = File("out.xlsx").c_str();
  EXPECT_EQ(0, v->MergeSheetsIntoWorkbook(book.c_str()));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ(before, testsupport::ReadFileBytes(book));
  auto parts = Members(File("out.xlsx"));
  ASSERT_FALSE(parts.empty());
  const std::string& sheet = parts["xl/worksheets/sheet1.xml"];
  EXPECT_NE(std::string::npos, sheet.find("<t>merged</t>")) << sheet;
  // The template's text cells stay text cells.
  EXPECT_NE(std::string::npos, sheet.find("<t>row</t></is></c><c r=\"B2\" s=\"2\" t=\"inlineStr\"><is><t>8</t>")) << sheet;
  // Into another file only the merged sheet is listed, its part kept.
  const std::string& wb = parts["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, wb.find("name=\"\xE5\xA3\xB2\xE4\xB8\x8A\" sheetId=\"4\" r:id=\"rId1\"")) << wb;
  EXPECT_EQ(std::string::npos, wb.find("\xE5\x9C\xA8\xE5\xBA\xAB"));  // 在庫
  EXPECT_TRUE(parts.count("xl/worksheets/sheet2.xml"));
}

TEST_F(XlsxMergeRunTest, AFailedMergeIntoTheWorkbookItselfLeavesIt) {
  const std::string book = MakeBook("self.xlsx");
  const std::string before = testsupport::ReadFileBytes(book);
  CDvkView* v = OpenTable("merged,7\r\n", "t.csv");
  ASSERT_NE(nullptr, v);
  v->m_strStmtOperand = book.c_str();
  fw::hooks::ExpectMessageBox("file open eror : ", IDOK);
  fw::filetest::Reset();
  fw::filetest::FailAt(fw::filetest::Op::kRename, 1);  // the first sheet's move into place
  const int rc = v->MergeSheetsIntoWorkbook(book.c_str());
  fw::filetest::Reset();
  EXPECT_EQ(-1, rc);
  EXPECT_TRUE(fw::hooks::Unused().empty());
  EXPECT_EQ(before, testsupport::ReadFileBytes(book));
  // Unbroken, the same merge keeps the workbook's second sheet after the merged one.
  EXPECT_EQ(0, v->MergeSheetsIntoWorkbook(book.c_str()));
  const std::string wb = Members(book)["xl/workbook.xml"];
  EXPECT_NE(std::string::npos, wb.find("name=\"\xE5\x9C\xA8\xE5\xBA\xAB\" sheetId=\"5\" r:id=\"rId2\"")) << wb;
}

TEST_F(XlsxMergeRunTest, SaveXlsWithAWorkbookAfterItsAtSignMergesThroughTheMacro) {
  const std::string book = MakeBook("tpl.xlsx");
  const std::string before = testsupport::ReadFileBytes(book);
  CDvkView* v = OpenTable("macro,9\r\n", "t.csv");
  ASSERT_NE(nullptr, v);
  // The template's full path holds a drive's ':', which stays part of it.
  ASSERT_NE(std::string::npos, book.find(':'));
  const std::string macro = File("merge.rmc");
  testsupport::WriteFileBytes(macro, "\tsavexls@" + book + "\t" + File("via.xlsx") + "\r\n");
  EXPECT_EQ(1, v->RunMacro(macro::kRunFile, macro.c_str(), "", ""));
  EXPECT_TRUE(fw::hooks::Unexpected().empty());
  EXPECT_EQ(before, testsupport::ReadFileBytes(book));
  auto parts = Members(File("via.xlsx"));
  ASSERT_FALSE(parts.empty());
  EXPECT_NE(std::string::npos, parts["xl/worksheets/sheet1.xml"].find("<t>macro</t>")) << parts["xl/worksheets/sheet1.xml"];
}

}  // namespace
