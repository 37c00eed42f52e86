// The ".pptx" converter over a LibreOffice-made presentation
// (make_pptx_fixtures.sh), through the whole renderer: the words of each
// slide part, read with Python's XML parser, and pdftotext's words of
// LibreOffice's own PDF of the same file stand in our block of that slide,
// in order; the picture shows its media name, the table its cells in a row.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_pptx_fixtures.sh", "convert_pptx");
  return dir;
}

#define REQUIRE_FIXTURES()                        \
  REQUIRE_TOOLS("soffice", "pdftotext", "iconv"); \
  ASSERT_FALSE(Fixtures().empty()) << "make_pptx_fixtures.sh failed"

std::string Cp932(const fs::path& utf8File) {
  return testsupport::RunCapture("iconv -f UTF-8 -t CP932 '" + utf8File.string() + "'");
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string w;
  for (char ch : text) {
    if (static_cast<unsigned char>(ch) <= ' ') {
      if (!w.empty()) words.push_back(w);
      w.clear();
    } else {
      w += ch;
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

const std::string& Converted() {
  static const std::string text = [] {
    convert::Request r;
    r.path = (Fixtures() / "pptx_slides.pptx").string().c_str();
    r.kind = 38;
    r.limits.indata = 204800;
    r.limits.outdata = 2000000;
    const fs::path program = Fixtures() / "program";
    fs::create_directories(program);
    r.m_strProgramDir = program.string().c_str();
    const convert::Result res = convert::ConvertFile(r);
    return res.status == convert::Status::kOk ? res.text : std::string();
  }();
  return text;
}

std::string PageLine(int k) {
  char s[128];
  std::snprintf(s, sizeof s, "=============================================page %2d", k);
  return s;
}

// Our block of slide k: from its page line to the next page line or the
// closing line.
std::string Block(const std::string& text, int k) {
  const std::size_t at = text.find(PageLine(k));
  if (at == std::string::npos) return std::string();
  std::size_t to = text.find(PageLine(k + 1), at);
  if (to == std::string::npos) to = text.find(std::string(100, '='), at + 132);
  return text.substr(at + 132, to == std::string::npos ? std::string::npos : to - at - 132);
}

void ExpectWordsInOrder(const std::vector<std::string>& words, const std::string& block) {
  ASSERT_FALSE(words.empty());
  std::size_t at = 0;
  for (const std::string& w : words) {
    const std::size_t f = block.find(w, at);
    ASSERT_NE(std::string::npos, f) << "word '" << w << "' missing (in order) from:\n" << block;
    at = f + w.size();
  }
}

TEST(PptxOracle, EveryWordOfSlidePartKStandsInOurBlockK) {
  REQUIRE_FIXTURES();
  const std::string& text = Converted();
  ASSERT_FALSE(text.empty());
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    ExpectWordsInOrder(Words(Cp932(Fixtures() / ("pptx_slides.words" + std::to_string(k) + ".txt"))),
                       Block(text, k));
  }
  EXPECT_EQ(std::string::npos, text.find(PageLine(4)));
}

TEST(PptxOracle, EveryPdfWordOfPageKStandsInOurBlockK) {
  REQUIRE_FIXTURES();
  const std::string all = Cp932(Fixtures() / "pptx_slides.pdftotext.txt");
  std::vector<std::string> pages;
  std::size_t from = 0;
  for (std::size_t ff; (ff = all.find('\f', from)) != std::string::npos; from = ff + 1)
    pages.push_back(all.substr(from, ff - from));
  ASSERT_EQ(3u, pages.size());
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    ExpectWordsInOrder(Words(pages[static_cast<std::size_t>(k) - 1]), Block(Converted(), k));
  }
}

TEST(PptxOracle, PictureAndTableRowStandInTheirSlide) {
  REQUIRE_FIXTURES();
  const std::string block = Block(Converted(), 3);
  EXPECT_NE(std::string::npos, block.find("[image1.png]")) << block;
  // The cells of a row share its line, left to right.
  const std::size_t col2 = block.find("Col2");
  ASSERT_NE(std::string::npos, col2);
  const std::size_t lineStart = col2 - col2 % 132;
  const std::string line = block.substr(lineStart, 130);
  EXPECT_LT(line.find("head"), line.find("Col2"));
  EXPECT_LT(line.find("Col2"), line.find("Col3"));
}

}  // namespace
