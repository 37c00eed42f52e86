// HTML and XML files opened as a user opens them (OpenFile): the page's text
// with its marks, table and link list, in Shift-JIS; an XML sheet as a table.
#include <gtest/gtest.h>

#include <string>

#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

class MarkupOpenTest : public shelltest::ShellFileTest {
 protected:
  std::string Open(const char* name, const std::string& bytes) {
    const std::string path = File(name);
    testsupport::WriteFileBytes(path, bytes);
    EXPECT_EQ(0, doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain)) << name;
    return DocText(doc);
  }
};

TEST_F(MarkupOpenTest, PagesAndSheetsOpenAsText) {
  ASSERT_TRUE(StartIn(""));
  // UTF-8 "日本" in a declared page, a heading, a table and a link.
  const std::string page =
      "<html><head><meta charset=\"utf-8\"><title>t</title></head><body><h1>Top</h1>"
      "<p>\xE6\x97\xA5\xE6\x9C\xAC <b>bold</b></p>"
      "<table><tr><td>a</td><td>bbb</td></tr><tr><td>cc</td><td>d</td></tr></table>"
      "<a href=\"http://example.test/x\">link</a></body></html>";
  const std::string text = Open("page.htm", page);
  EXPECT_NE(std::string::npos, text.find("$:Top")) << text;
  EXPECT_NE(std::string::npos, text.find("\x93\xFA\x96{")) << text;
  EXPECT_NE(std::string::npos, text.find(" [bold] ")) << text;
  EXPECT_NE(std::string::npos, text.find("a  bbb ")) << text;
  EXPECT_NE(std::string::npos, text.find("cc d   ")) << text;
  EXPECT_NE(std::string::npos, text.find(" @01:link")) << text;
  EXPECT_NE(std::string::npos, text.find("@01 http://example.test/x")) << text;

  const std::string sheet =
      "<?xml version=\"1.0\"?><worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>10</v></c><c r=\"B1\"><v>2</v></c>"
      "</row><row r=\"2\"><c r=\"A2\"><v>3</v></c><c r=\"B2\"><v>400</v></c></row></sheetData></worksheet>";
  const std::string rows = Open("sheet1.xml", sheet);
  EXPECT_NE(std::string::npos, rows.find("10 2   ")) << rows;
  EXPECT_NE(std::string::npos, rows.find("3  400 ")) << rows;
}

}  // namespace
