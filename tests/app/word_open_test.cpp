// Word documents opened as a user opens them (OpenFile): a LibreOffice-made
// document shows its paragraphs, Japanese text, field, picture marker and
// table; an early Word file its cells and rows.
#include <gtest/gtest.h>

#include <string>

#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

class WordOpenTest : public shelltest::ShellFileTest {
 protected:
  int Open(const std::string& name, const std::string& bytes) {
    const std::string path = File(name.c_str());
    testsupport::WriteFileBytes(path, bytes);
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
};

TEST_F(WordOpenTest, LibreOfficeDocumentOpensAsItsText) {
  ASSERT_TRUE(StartIn(""));
  const std::string bytes = testsupport::ReadFileBytes(std::string(TABRYE_TEST_ROOT) + "/tests/data/word/word_small.doc");
  ASSERT_GT(bytes.size(), 4000u);
  ASSERT_EQ(0, Open("small.doc", bytes));
  const std::string text = DocText(doc);
  for (const char* line : {"Hello world paragraph one.\r\n", "\r\n日本語のテキストです。\r\n",
                           "\r\nかなカナ漢字と全角ＡＢＣ\r\n", "\r\nPage # PAGE [1] here\r\n",
                           "\r\n[Image1]JPG after picture\r\n", "\r\n first cell text   second",
                           "\r\n longer than sixt ", "\r\nLast paragraph."})
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\n" << text;
}

TEST_F(WordOpenTest, EarlyWordFileShowsCellsAndRows) {
  ASSERT_TRUE(StartIn(""));
  std::string early(0x180, '\0');
  early[0] = '\x94';
  early[1] = '\xA6';
  early[2] = '\x2E';
  early += "a\r\x07" "b\r\x07\r\x07" "after\r";
  const std::size_t end = early.size();
  early[0x1C] = static_cast<char>(end & 0xFF);
  early[0x1D] = static_cast<char>(end >> 8);
  early.resize(2100, 'z');
  ASSERT_EQ(0, Open("early.doc", early));
  EXPECT_EQ(0u, DocText(doc).find("a\tb\r\nafter\r\n")) << DocText(doc);
}

}  // namespace
