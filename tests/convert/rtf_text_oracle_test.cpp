// A LibreOffice-made RTF file (make_rtf_fixtures.sh) read by our RTF reader
// and by unrtf: the same words, no font or style name, the Japanese line as
// iconv writes it in code page 932, and the table cells on their stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "convert/load_buffer.h"
#include "convert/rtf_text.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeFixture() {
  const fs::path dir = testsupport::ScriptFixtures("tests/convert/make_rtf_fixtures.sh", "convert_rtf");
  EXPECT_FALSE(dir.empty()) << "make_rtf_fixtures.sh failed";
  return dir / "rtf_sample.rtf";
}

std::string Ours(const std::string& rtf, int convStyle) {
  convert::LoadBuffer out;
  convert::RtfWords w;
  w.m_nConvStyle = convStyle;
  convert::ConvertRtfToText(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size(), out, w);
  return std::string(out.Data(), out.Size());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Words of plain ASCII (characters unrtf cannot show come out as "?").
std::vector<std::string> AsciiWords(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) {
    bool ascii = true;
    for (unsigned char c : w) ascii = ascii && c < 0x80 && c != '?';
    if (ascii && w != "|") words.push_back(w);
  }
  return words;
}

TEST(RtfTextOracle, LibreOfficeFileAgainstUnrtf) {
  REQUIRE_TOOLS("soffice", "unrtf", "iconv");
  const fs::path file = MakeFixture();
  ASSERT_TRUE(fs::exists(file));
  const std::string rtf = testsupport::ReadFileBytes(file);
  const std::string ours = Ours(rtf, 0);

  // unrtf's text without its heading lines.
  std::string theirs;
  for (const std::string& l : Lines(testsupport::RunCapture("unrtf --text '" + file.string() + "' 2>/dev/null")))
    if (l.rfind("###", 0) != 0 && l.find_first_not_of('-') != std::string::npos) theirs += l + "\n";
  EXPECT_EQ(AsciiWords(theirs), AsciiWords(ours)) << ours;

  for (const char* name : {"Times New Roman", "DejaVu", "Liberation", "IPAMincho", "Quoted Passage", "Symbol"})
    EXPECT_EQ(std::string::npos, ours.find(name)) << name;

  // (u8: the program's own literals are in code page 932 already.)
  const std::string utf8 = reinterpret_cast<const char*>(u8"日本語のテキストです。");
  const std::string japanese = testsupport::RunCapture("printf '" + utf8 + "' | iconv -f UTF-8 -t CP932");
  ASSERT_FALSE(japanese.empty());
  const std::vector<std::string> lines = Lines(ours);
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), japanese));

  // \cellx1760 and \cellx3520: the cells end at columns 3 and 5.
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "ab cd "));
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "e  f "));
  const std::vector<std::string> ruled = Lines(Ours(rtf, 1));
  EXPECT_NE(ruled.end(), std::find(ruled.begin(), ruled.end(), "ab|cd|"));
  EXPECT_NE(ruled.end(), std::find(ruled.begin(), ruled.end(), "e |f|"));
}

}  // namespace
