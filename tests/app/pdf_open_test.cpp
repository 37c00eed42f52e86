// PDF files opened as a user opens them (OpenFile): reportlab- and
// LibreOffice-made files (pdf_open_make_data.sh) show, page by page, the
// characters of every line that pdftotext gives, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf_open_data.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"

namespace {

std::string DocText(CDvkDoc* doc) { return std::string(doc->m_pText, doc->m_nTextLen); }

// Non-empty lines without blanks, split into pages at the band separators;
// picture markers left out.
std::vector<std::vector<std::string>> Pages(const std::string& text) {
  std::vector<std::vector<std::string>> pages(1);
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    std::string s;
    for (std::size_t i = at; i < nl; ++i)
      if (text[i] != ' ' && text[i] != '\r' && text[i] != '\t') s += text[i];
    at = nl + 1;
    if (s.empty()) continue;
    if (s.size() > 100 && s.compare(0, 3, "--P") == 0 && s.find_first_not_of('-', 6) == std::string::npos) {
      pages.emplace_back();
      continue;
    }
    if (s.find("[Im") != std::string::npos) continue;
    pages.back().push_back(s);
  }
  return pages;
}

class PdfOpenTest : public shelltest::ShellFileTest {
 protected:
  int Open(const std::string& name, const unsigned char* bytes, std::size_t size) {
    const std::string path = File(name.c_str());
    testsupport::WriteFileBytes(path, std::string(reinterpret_cast<const char*>(bytes), size));
    return doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  }
};

TEST_F(PdfOpenTest, PagesShowTheLinesPdftotextGives) {
  ASSERT_TRUE(StartIn(""));
  struct Case {
    const char* name;
    const unsigned char* bytes;
    std::size_t size;
    std::vector<std::vector<std::string>> pages;
  } cases[] = {
      {"three_lines.pdf", pdfopendata::kThreeLines, sizeof pdfopendata::kThreeLines, pdfopendata::kThreeLinesPages()},
      {"cid_h.pdf", pdfopendata::kCidH, sizeof pdfopendata::kCidH, pdfopendata::kCidHPages()},
      {"lo_japanese.pdf", pdfopendata::kLoJapanese, sizeof pdfopendata::kLoJapanese, pdfopendata::kLoJapanesePages()},
      {"two_pages.pdf", pdfopendata::kTwoPages, sizeof pdfopendata::kTwoPages, pdfopendata::kTwoPagesPages()},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(0, Open(c.name, c.bytes, c.size)) << c.name;
    EXPECT_EQ(c.pages, Pages(DocText(doc))) << c.name << "\n" << DocText(doc);
  }
}

}  // namespace
