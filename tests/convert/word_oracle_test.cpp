// The Word reader over LibreOffice-made documents (make_word_fixtures.sh):
// the streams as olefile reads them, checked against catdoc, antiword and
// LibreOffice's own text export of the same files, the Japanese lines
// against the source through iconv, the table layout, the field and picture
// markers, and the picture's bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "convert/convert_registry.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "word_test_util.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_word_fixtures.sh", "convert_word");
  return dir;
}

#define REQUIRE_FIXTURES()                                                                  \
  REQUIRE_TOOLS("soffice", "catdoc", "antiword", "iconv", "gsf");                                \
  if (std::system("/usr/bin/python3 -c 'import olefile' >/dev/null 2>&1") != 0)             \
    GTEST_SKIP() << "python module missing: olefile";                                       \
  ASSERT_FALSE(Fixtures().empty()) << "make_word_fixtures.sh failed"

// The streams of one document, in their slots.
void Load(word_test::Copies& c, const std::string& doc) {
  const fs::path d = Fixtures() / "streams" / doc;
  auto read = [&](const char* name) {
    return fs::exists(d / name) ? testsupport::ReadFileBytes(d / name) : std::string();
  };
  c.Build({read("WordDocument"), read("Data"), read("0Table"), read("1Table"), read("Pictures")});
}

// A UTF-8 file in code page 932.
std::string Cp932(const fs::path& p) {
  // LibreOffice's export begins with a byte-order mark, which code page 932 lacks.
  return testsupport::RunCapture("sed '1s/^\\xEF\\xBB\\xBF//' '" + p.string() + "' | iconv -f UTF-8 -t CP932");
}

// Words: runs of bytes that are not blanks or control characters; a BOM and
// the field markers left out.
std::vector<std::string> Words(std::string text) {
  std::vector<std::string> words;
  std::string w;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c <= ' ' || c == '|' || c == '#' || c == '[' || c == ']') {
      if (!w.empty()) words.push_back(w);
      w.clear();
    } else {
      w += static_cast<char>(c);
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

std::uint32_t Le32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s.at(at + static_cast<std::size_t>(i)));
  return v;
}

// Table rows of reader mode 1 turned back into running text: the lines of a
// row ("|" first) cut at the "|" of its first line, each cell's pieces joined
// (the blank before a "|" is layout), cell after cell.
std::string TableCellsJoined(const std::string& text) {
  std::istringstream in(text);
  std::string out, line;
  std::vector<std::string> row;
  auto flush = [&] {
    if (row.empty()) return;
    const std::string& first = row[0];
    std::vector<std::size_t> bars;
    for (std::size_t i = 1; i < first.size(); ++i)
      if (first[i] == '|') bars.push_back(i);
    std::size_t from = 1;
    for (std::size_t b : bars) {
      std::string cell;
      for (const std::string& l : row)
        if (l.size() > b) cell += l.substr(from, b - 1 - from);
      out += cell + "\r\n";
      from = b + 1;
    }
    row.clear();
  };
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '|') {
      row.push_back(line);
      continue;
    }
    flush();
    if (!line.empty() && line[0] == '+') continue;
    out += line + "\r\n";
  }
  flush();
  return out;
}

std::string Joined(const std::vector<std::string>& w) {
  std::string s;
  for (const auto& x : w) s += x + " ";
  return s;
}

// The document through the whole renderer, as OpenFile renders it.
convert::Result Render(const std::string& doc, int readerMode = 0, int extractNo = 0, const std::string& programDir = "") {
  convert::Request r;
  r.path = (Fixtures() / doc).string().c_str();
  r.kind = 2;
  r.markupFlag = readerMode;
  r.limits.indata = 8000000;
  r.limits.outdata = 8000000;
  r.limits.tableRows = 40000;
  r.m_nExtractNo = extractNo;
  r.m_strProgramDir = programDir.c_str();
  return convert::ConvertFile(r);
}

std::string TextOf(const convert::Result& r) { return r.text; }

// Our words with the picture marker taken out (no other tool shows one).
std::vector<std::string> OurWords(const std::string& text) {
  std::vector<std::string> out;
  for (auto& w : Words(TableCellsJoined(text)))
    if (w != "Image1" && w != "JPG") out.push_back(w);
  return out;
}

TEST(WordOracle, WordsEqualCatdocAndLibreOffice) {
  REQUIRE_FIXTURES();
  for (const char* doc : {"word_small", "word_ascii"}) {
    SCOPED_TRACE(doc);
    const convert::Result r = Render(std::string(doc) + ".doc", 1);
    ASSERT_EQ(convert::Status::kOk, r.status) << r.message;
    const std::vector<std::string> mine = OurWords(r.text);
    // catdoc shows a field's code and its result, as we do.
    EXPECT_EQ(Joined(Words(Cp932(Fixtures() / (std::string(doc) + ".catdoc.txt")))), Joined(mine)) << r.text;
    // LibreOffice's export shows the result only: our field code left out.
    std::string noCode = TableCellsJoined(r.text);
    for (std::size_t h; (h = noCode.find('#')) != std::string::npos;) {
      const std::size_t sep = noCode.find('[', h);
      noCode.erase(h, sep == std::string::npos ? 1 : sep - h);
    }
    std::vector<std::string> lo = Words(Cp932(Fixtures() / "lo-text" / (std::string(doc) + ".txt")));
    std::vector<std::string> mineNoCode;
    for (auto& w : Words(noCode))
      if (w != "Image1" && w != "JPG") mineNoCode.push_back(w);
    EXPECT_EQ(Joined(lo), Joined(mineNoCode));
  }
}

TEST(WordOracle, JapaneseLinesEqualTheSourceInCodePage932) {
  REQUIRE_FIXTURES();
  const std::string text = Render("word_small.doc").text;
  std::istringstream lines(Cp932(Fixtures() / "japanese.txt"));
  int n = 0;
  for (std::string line; std::getline(lines, line); ++n) EXPECT_NE(std::string::npos, text.find("\r\n" + line + "\r\n")) << n;
  EXPECT_EQ(2, n);
}

TEST(WordOracle, FieldShowsCodeAndResultInMarks) {
  REQUIRE_FIXTURES();
  EXPECT_NE(std::string::npos, Render("word_small.doc").text.find("Page # PAGE [1] here\r\n"));
}

TEST(WordOracle, TableCellsSideBySideWithRulesInReaderMode1) {
  REQUIRE_FIXTURES();
  // Cells of 1,440 and 2,880 twips: 18 and 36 positions; 16 characters a line.
  const std::string second = "second" + std::string(28, ' ');
  const std::string mode1 = "+" + std::string(53, '-') + "+\r\n" +
                            "|first cell text  |" + second + " |\r\n" +
                            "|longer than sixt |" + std::string(34, ' ') + " |\r\n" +
                            "|een              |" + std::string(34, ' ') + " |\r\n";
  const std::string text1 = Render("word_small.doc", 1).text;
  EXPECT_NE(std::string::npos, text1.find("after picture\r\n" + mode1 + "Last paragraph.")) << text1;
  std::string mode0 = "\r\n" + mode1.substr(mode1.find("\r\n") + 2);
  for (char& c : mode0)
    if (c == '|') c = ' ';
  const std::string text0 = Render("word_small.doc", 0).text;
  EXPECT_NE(std::string::npos, text0.find("after picture\r\n" + mode0 + "Last paragraph.")) << text0;
}

TEST(WordOracle, PictureMarkerAndItsBytes) {
  REQUIRE_FIXTURES();
  EXPECT_NE(std::string::npos, Render("word_small.doc").text.find("[Image1]JPG after picture"));
  const fs::path program = Fixtures() / "program";
  fs::create_directories(program / "TMP");
  const convert::Result r = Render("word_small.doc", 0, 1, program.string());
  ASSERT_FALSE(r.m_strConvImage.IsEmpty());
  std::string path(static_cast<const char*>(r.m_strConvImage));
  for (char& c : path)
    if (c == '\\') c = '/';
  EXPECT_EQ(13, r.fileKind);
  EXPECT_EQ(testsupport::ReadFileBytes(Fixtures() / "pic.jpg"), testsupport::ReadFileBytes(path));
}

TEST(WordOracle, LargeDocumentWordsEqualAntiwordAndCatdoc) {
  REQUIRE_FIXTURES();
  const convert::Result r = Render("word_large.doc");
  ASSERT_EQ(convert::Status::kOk, r.status);
  const std::string mine = Joined(Words(r.text));
  EXPECT_EQ(Joined(Words(Cp932(Fixtures() / "word_large.antiword.txt"))), mine);
  EXPECT_EQ(Joined(Words(Cp932(Fixtures() / "word_large.catdoc.txt"))), mine);
}

// A copy of the ASCII document whose piece is stored as 8-bit text (a
// compressed piece: bit 30 of its position, the bytes at half of it).
TEST(WordOracle, CompressedPieceGivesTheSameWords) {
  REQUIRE_FIXTURES();
  word_test::Copies plain;
  Load(plain, "word_ascii");
  const std::string original = word_test::Text(plain.streams, convert::WordRequest(), {});
  const fs::path d = Fixtures() / "streams" / "word_ascii";
  std::string main = testsupport::ReadFileBytes(d / "WordDocument");
  std::string table = testsupport::ReadFileBytes(d / "1Table");
  const std::uint32_t clx = Le32(main, 0x1A2);
  ASSERT_EQ(2, table[clx]);
  const std::uint32_t lcb = Le32(table, clx + 1);
  const std::uint32_t n = (lcb - 4) / 12;
  ASSERT_EQ(1u, n);
  const std::uint32_t cps = Le32(table, clx + 5 + 4) - Le32(table, clx + 5);
  const std::size_t pcd = clx + 5 + 4 * (n + 1);
  const std::uint32_t fc = Le32(table, pcd + 2);
  // The 16-bit text becomes 8-bit bytes at the same place.
  std::string bytes;
  for (std::uint32_t i = 0; i < cps; ++i) bytes += main[fc + 2 * i];
  main.replace(fc, bytes.size(), bytes);
  word_test::Put32(table, pcd + 2, (fc * 2) | 0x40000000u);
  word_test::Copies packed;
  packed.Build({main, "", "", table, ""});
  EXPECT_EQ(Joined(Words(original)), Joined(Words(word_test::Text(packed.streams, convert::WordRequest(), {}))));
  EXPECT_NE(std::string::npos, original.find("Plain line 8 of the ASCII document."));
}

// A compound file whose main stream is RTF: the RTF reader's text after the
// hand-over line, whether the stream lies in the mini-stream or not.
TEST(WordOracle, RtfInsideACompoundFileIsHandedToTheRtfReader) {
  REQUIRE_FIXTURES();
  for (const char* doc : {"word_rtf.doc", "word_rtf_small.doc"}) {
    const convert::Result r = Render(doc);
    ASSERT_EQ(convert::Status::kOk, r.status) << doc;
    EXPECT_EQ(0u, r.text.find("##word format##\n")) << doc << ": " << r.text;
    EXPECT_NE(std::string::npos, r.text.find("hello from rtf")) << doc << ": " << r.text;
  }
}

}  // namespace
