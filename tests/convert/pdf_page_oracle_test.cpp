// The PDF reader over reportlab- and LibreOffice-made files
// (make_pdf_fixtures.sh) against pdftotext's layout text: page by page, our
// non-empty lines equal pdftotext's once all blanks are removed from both;
// the same files packed into object streams by qpdf and with their streams
// uncompressed give the same text; vertical text comes out as a column.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "pdf_page_util.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

using pdf_page::Lines;
using pdf_page::NoBlanks;

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_pdf_fixtures.sh", "convert_pdf");
  return dir;
}

#define REQUIRE_FIXTURES()                                                              \
  REQUIRE_TOOLS("pdftotext", "pdfinfo", "qpdf", "iconv", "soffice");                    \
  if (std::system("/usr/bin/python3 -c 'import reportlab' >/dev/null 2>&1") != 0)       \
    GTEST_SKIP() << "python module missing: reportlab";                                 \
  ASSERT_FALSE(Fixtures().empty()) << "make_pdf_fixtures.sh failed"

std::string Ours(const std::string& name) {
  convert::Request q;
  const std::string path = (Fixtures() / name).string();
  q.path = path.c_str();
  q.kind = 11;
  q.limits.indata = 204800;
  q.limits.outdata = 2000000;
  q.limits.tableRows = 5000;
  const convert::Result r = convert::ConvertFile(q);
  EXPECT_EQ(convert::Status::kOk, r.status) << name;
  return r.text;
}

bool IsSeparator(const std::string& squeezed) {
  return squeezed.size() > 100 && squeezed.compare(0, 3, "--P") == 0 &&
         squeezed.find_first_not_of('-', 6) == std::string::npos;
}

// Our pages: non-empty lines without blanks, split at the band separators;
// picture markers left out (pdftotext shows no pictures).
std::vector<std::vector<std::string>> OurPages(const std::string& text) {
  std::vector<std::vector<std::string>> pages(1);
  for (const std::string& line : Lines(text)) {
    const std::string s = NoBlanks(line);
    if (s.empty()) continue;
    if (IsSeparator(s)) {
      pages.emplace_back();
      continue;
    }
    if (s.find("[Im") != std::string::npos) continue;
    pages.back().push_back(s);
  }
  return pages;
}

std::vector<std::string> TheirPage(const std::string& base, int page) {
  std::vector<std::string> out;
  const fs::path p = Fixtures() / (base + ".p" + std::to_string(page) + ".txt");
  if (!fs::exists(p)) return out;
  for (const std::string& line : Lines(testsupport::ReadFileBytes(p))) {
    const std::string s = NoBlanks(line);
    if (!s.empty()) out.push_back(s);
  }
  return out;
}

TEST(PdfPagesOracle, LinesMatchPdftotextPageByPage) {
  REQUIRE_FIXTURES();
  const char* bases[] = {"three_lines", "plain_stream", "two_pages", "spacing", "cid_h", "gaps", "jpeg",
                         "lo_japanese", "lo_table"};
  for (const char* base : bases) {
    for (const char* variant : {"", ".objstm", ".plain"}) {
      const std::string name = std::string(base) + variant;
      if (!fs::exists(Fixtures() / (name + ".pdf"))) {
        ADD_FAILURE() << name << ".pdf was not made";
        continue;
      }
      const auto pages = OurPages(Ours(name + ".pdf"));
      for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::vector<std::string> theirs = TheirPage(name, static_cast<int>(p + 1));
        EXPECT_EQ(theirs, pages[p]) << name << " page " << p + 1;
      }
      EXPECT_FALSE(fs::exists(Fixtures() / (name + ".p" + std::to_string(pages.size() + 1) + ".txt")))
          << name << ": pages missing";
    }
  }
}

TEST(PdfPagesOracle, EveryTextLineIsOneGridLineWithBlanksBetweenWords) {
  REQUIRE_FIXTURES();
  struct Case {
    const char* file;
    std::vector<std::string> lines;
  } cases[] = {
      {"three_lines.pdf", {"First line of text", "Second line here", "Third and last line"}},
      {"spacing.pdf", {"Spaced letters here", "Wide word gaps now"}},
      {"two_pages.pdf", {"Page text line 1", "Another line 2"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> ours = Lines(Ours(c.file));
    for (const std::string& want : c.lines) {
      // One grid line holds the whole text line, its words in order with
      // at least one blank between them.
      bool found = false;
      for (const std::string& line : ours) {
        std::size_t at = 0;
        bool all = true;
        std::size_t start = 0;
        while (start < want.size()) {
          std::size_t end = want.find(' ', start);
          if (end == std::string::npos) end = want.size();
          const std::string word = want.substr(start, end - start);
          const std::size_t pos = line.find(word, at);
          if (pos == std::string::npos || (at > 0 && pos <= at)) {
            all = false;
            break;
          }
          at = pos + word.size();
          start = end + 1;
        }
        if (all) found = true;
      }
      EXPECT_TRUE(found) << c.file << ": " << want;
    }
  }
}

TEST(PdfPagesOracle, RotatedAndLatin1Pages) {
  REQUIRE_FIXTURES();
  EXPECT_NE(std::string::npos, NoBlanks(Ours("rotated.pdf")).find("Rotatedpagewords"));
  // WinAnsi accents: shown through the simple-font table (0xE9 as 0xB7).
  const std::string latin = NoBlanks(Ours("winansi.pdf"));
  EXPECT_NE(std::string::npos, latin.find("Caf\xB7na\xB7ver\xB7sum\xB7")) << latin;
}

TEST(PdfPagesOracle, VerticalTextIsAColumn) {
  REQUIRE_FIXTURES();
  const std::vector<std::string> lines = Lines(Ours("cid_v.pdf"));
  // データーの縦書き: eight characters, one per line, in one column; the
  // long-vowel marks as 82 8C.
  std::vector<std::string> chars;
  std::size_t column = std::string::npos;
  for (const std::string& line : lines) {
    const std::size_t at = line.find_first_not_of(' ');
    if (at == std::string::npos) continue;
    if (column == std::string::npos) column = at;
    EXPECT_EQ(column, at) << line;
    chars.push_back(NoBlanks(line));
  }
  const std::vector<std::string> want = {"\x83\x66", "\x81\x5B", "\x83\x5E", "\x82\x8C", "\x82\xCC", "\x8F\x63",
                                         "\x8F\x91", "\x82\xAB"};
  ASSERT_EQ(8u, chars.size());
  EXPECT_EQ("\x83\x66", chars[0]);
  EXPECT_EQ("\x82\x8C", chars[1]);
  EXPECT_EQ("\x83\x5E", chars[2]);
  EXPECT_EQ("\x82\x8C", chars[3]);
  EXPECT_EQ(want[4], chars[4]);
  EXPECT_EQ(want[7], chars[7]);
}

TEST(PdfPagesOracle, EncryptedAndPictureFiles) {
  REQUIRE_FIXTURES();
  const std::string enc = Ours("three_lines.enc.pdf");
  EXPECT_EQ(0u, enc.find("## "));
  EXPECT_NE(std::string::npos, enc.find(" ##\r\nPDF : "));
  EXPECT_EQ(std::string::npos, enc.find("First"));
  // The picture: its marker with the image's object number and "JPG", and
  // the mirrored drawing with the letter "g".
  const std::string jpeg = Ours("jpeg.pdf");
  EXPECT_NE(std::string::npos, jpeg.find("]JPG"));
  EXPECT_NE(std::string::npos, jpeg.find("[Image"));
  EXPECT_NE(std::string::npos, jpeg.find("[Img"));
  EXPECT_EQ(0u, Ours("drawing.pdf").find("PDF : "));
}

TEST(PdfPagesOracle, TruncatedCopiesOfEveryFixtureEndQuickly) {
  REQUIRE_FIXTURES();
  for (const auto& entry : fs::directory_iterator(Fixtures())) {
    if (entry.path().extension() != ".pdf") continue;
    const std::string bytes = testsupport::ReadFileBytes(entry.path());
    for (int part = 1; part < 16; ++part) {
      const std::string cut = bytes.substr(0, bytes.size() * static_cast<std::size_t>(part) / 16);
      const auto start = std::chrono::steady_clock::now();
      const convert::Result r = pdf_page::Convert(cut);
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      EXPECT_EQ(convert::Status::kOk, r.status) << entry.path() << " " << part;
      EXPECT_LT(seconds, 1.0) << entry.path() << " " << part;
    }
  }
}

}  // namespace
