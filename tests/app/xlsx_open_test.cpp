// ".xlsx" workbooks opened as a user opens them (OpenFile): the drawn grid,
// the fitted grid of the display-form command and back, the table form, the
// ZIP listing of a nested open, no message box for the yen and era formats,
// a locked scratch file, and a large workbook before a small one with no
// backup copies.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "../convert/xlsx_test_util.h"
#include "core/docopen/opentexts.h"
#include "fw/uihooks.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

// Cell formats of the yen-currency and era formats that once asked a
// question per cell.
const char kAskingStyles[] =
    "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"5\"/><xf numFmtId=\"7\"/><xf numFmtId=\"27\"/>"
    "<xf numFmtId=\"36\"/><xf numFmtId=\"52\"/><xf numFmtId=\"57\"/><xf numFmtId=\"58\"/><xf numFmtId=\"99\"/></cellXfs>";

std::string AskingSheet() {
  std::string row = "<row r=\"2\">";
  for (int s = 1; s <= 8; ++s) {
    const char col = static_cast<char>('A' + s - 1);
    row += std::string("<c r=\"") + col + "2\" s=\"" + std::to_string(s) + "\"><v>45292</v></c>";
  }
  return "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>head</t></is></c></row>" + row +
         "</row></sheetData></worksheet>";
}

class XlsxOpenTest : public shelltest::ShellFileTest {
 protected:
  int OpenBook(const std::string& name, const xlsx_test::Parts& parts) {
    const std::string path = File(name.c_str());
    testsupport::WriteFileBytes(path, xlsx_test::StoredZip(parts));
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
};

TEST_F(XlsxOpenTest, AWorkbookOpensAsAGridTheTableFormAndAListing) {
  ASSERT_TRUE(StartIn(""));
  xlsx_test::Parts parts = xlsx_test::Workbook(1, kAskingStyles);
  parts.back().second = AskingSheet();
  doc->m_nXlsMode = 0;
  // No message box may come (the UI hooks fail the test on one).
  ASSERT_EQ(0, OpenBook("book.xlsx", parts));
  std::string text = DocText(doc);
  EXPECT_EQ(0u, text.find("[Sheet 1]Sheet1---")) << text;
  EXPECT_NE(std::string::npos, text.find("R6.1.1")) << text;
  EXPECT_NE(std::string::npos, text.find("$45,292")) << text;

  // The display-form command fits the widths to the texts, and goes back.
  doc->OnXlsMode();
  EXPECT_EQ(1, doc->m_nXlsMode);
  const std::string fitted = DocText(doc);
  EXPECT_NE(std::string::npos, fitted.find("R6.1.1"));
  doc->OnXlsMode();
  EXPECT_EQ(0, doc->m_nXlsMode);
  EXPECT_EQ(text, DocText(doc));

  // The table form: one block per sheet, shown as a CSV table.
  doc->m_nXlsMode = 10;
  ASSERT_EQ(0, doc->OpenFile(File("book.xlsx").c_str(), docopen::OpenMode::kPlain));
  text = DocText(doc);
  EXPECT_NE(std::string::npos, text.find("!*[Sheet 1]Sheet1")) << text;
  EXPECT_NE(std::string::npos, text.find("45292,45292,2024/1/1,45292,\"$45,292\",R6.1.1,令和6年1月1日,45292")) << text;
  doc->m_nXlsMode = 0;

  // A nested open without converters lists the package.
  doc->m_nOpenContext = 2;
  doc->OpenFile(File("book.xlsx").c_str(), docopen::OpenMode::kPlain);
  doc->m_nOpenContext = 0;
  text = DocText(doc);
  EXPECT_EQ(0u, text.find("ZIP File\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("xl/worksheets/sheet1.xml")) << text;
}

TEST_F(XlsxOpenTest, ABigWorkbookThenASmallOneKeepsNoBackups) {
  ASSERT_TRUE(StartIn(""));
  doc->m_nXlsMode = 10;
  ASSERT_EQ(0, OpenBook("big.xlsx", xlsx_test::Workbook(300)));
  // Sheets up to 255 (names through relationship 199).
  EXPECT_NE(std::string::npos, DocText(doc).find("!*[Sheet255]\r\n255,s255"));
  ASSERT_EQ(0, OpenBook("small.xlsx", xlsx_test::Workbook(2)));
  const std::string text = DocText(doc);
  EXPECT_NE(std::string::npos, text.find("!*[Sheet 2]Sheet2")) << text;
  EXPECT_EQ(std::string::npos, text.find("[Sheet 3]")) << text;
  const std::filesystem::path backup = std::filesystem::path(File("TMP")) / "BACKUP";
  EXPECT_TRUE(!std::filesystem::exists(backup) || std::filesystem::is_empty(backup));
  doc->m_nXlsMode = 0;
}

TEST_F(XlsxOpenTest, ALockedScratchFileEndsTheConversion) {
  ASSERT_TRUE(StartIn(""));
  ASSERT_EQ(0, OpenBook("first.xlsx", xlsx_test::Workbook(1)));
  // A part of the first package held open elsewhere with no sharing.
  const std::string part = File("TMP\\XLSX\\xl\\workbook.xml");
  HANDLE h = CreateFileA(part.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  OpenBook("second.xlsx", xlsx_test::Workbook(2));
  CloseHandle(h);
  const std::string text = DocText(doc);
  const CString cannot = docopen::GetOpenText(docopen::OpenText::kCannotOpen);
  EXPECT_NE(std::string::npos, text.find(cannot.GetString())) << text;
  EXPECT_EQ(std::string::npos, text.find("[Sheet")) << text;
}

}  // namespace
