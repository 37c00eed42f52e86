// A PowerPoint presentation opened as a user opens it (OpenFile): its slides
// as pages with their headings, Japanese titles, the note under its slide and
// the picture marker; a presentation name over other bytes gives the
// unsupported-form line.
#include <gtest/gtest.h>

#include <string>

#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

class PptOpenTest : public shelltest::ShellFileTest {
 protected:
  int Open(const std::string& name, const std::string& bytes) {
    const std::string path = File(name.c_str());
    testsupport::WriteFileBytes(path, bytes);
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
};

TEST_F(PptOpenTest, LibreOfficePresentationOpensAsItsPages) {
  ASSERT_TRUE(StartIn(""));
  const std::string bytes = testsupport::ReadFileBytes(std::string(TABRYE_TEST_ROOT) + "/tests/data/ppt/slides.ppt");
  ASSERT_GT(bytes.size(), 10000u);
  ASSERT_EQ(0, Open("slides.ppt", bytes));
  const std::string text = DocText(doc);
  std::size_t at = 0;
  for (const char* part : {"page  1===", "最初のスライド First", "本文の一行目 alpha beta", "# 発表者のメモ noteword",
                           "page  2===", "二番目の題 Second", "上の行 upper", "下の行 lower", "page  3===",
                           "三番目 Third", "[Image1]JPG", "=================================\r\n"}) {
    const std::size_t f = text.find(part, at);
    ASSERT_NE(std::string::npos, f) << part << "\n" << text;
    at = f;
  }
  EXPECT_EQ(std::string::npos, text.find("page  4"));
}

TEST_F(PptOpenTest, PresentationNameOverOtherBytesSaysTheFormIsUnsupported) {
  ASSERT_TRUE(StartIn(""));
  ASSERT_EQ(0, Open("plain.ppt", std::string(3000, 'x')));
  EXPECT_NE(std::string::npos, DocText(doc).find("対応していないOffice形式です")) << DocText(doc);
}

}  // namespace
