// Text back from a table's rich text: the in-place rewrite on rich text
// made in code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "table/table_extract.h"

namespace {

// Rewrites `rtf` in a buffer with guard bytes after it; the guard must
// survive and the result must not be longer than the input.
std::string Rewrite(const std::string& rtf, int mode = 0) {
  std::vector<char> buf(rtf.begin(), rtf.end());
  const std::string guard = "GUARD";
  buf.insert(buf.end(), guard.begin(), guard.end());
  const std::size_t n = table::RewriteTableRtf(buf.data(), rtf.size(), mode);
  EXPECT_LE(n, rtf.size());
  EXPECT_EQ(std::string(buf.end() - 5, buf.end()), guard);
  return std::string(buf.data(), n);
}

}  // namespace

TEST(TableExtract, RewritesTheWordsOfATable) {
  struct Case {
    const char* name;
    std::string rtf;
    int mode;
    std::string text;
  };
  const std::string head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern Courier;}}{\\colortbl;\\red1\\green0\\blue0;}";
  const std::vector<Case> cases = {
      {"tab in a tall row", head + "\\pard\\sl-300\\slmult0 a\\tab b\\par}", 0, "a|b\r\n"},
      {"tab in mode 1", head + "\\pard\\sl-300\\slmult0 a\\tab b\\par}", 1, "a\tb\r\n"},
      {"default height", head + "a\\tab b\\par}", 0, "a|b\r\n"},
      {"thin rule gives nothing",
       head + "\\pard\\sl-20\\slmult0\\tab\\highlight1\\fs2  \\tab\\highlight0\\par\\pard\\sl-300 c\\tab d\\par}", 0,
       "c|d\r\n"},
      {"rule of 30 twips is thin", head + "\\pard\\sl-30 x\\par\\pard\\sl-31 y\\par}", 0, "y\r\n"},
      {"pard resets the height", head + "\\pard\\sl-20 \\pard y\\par}", 0, "y\r\n"},
      {"positive spacing", head + "\\pard\\sl20 x\\par\\pard\\sl0 z\\par}", 0, "z\r\n"},
      {"grid cells", head + "\\trowd\\cellx100\\cellx200\\pard\\intbl a\\cell b\\cell\\row\\pard}", 0, "a|b\r\n"},
      {"grid cells mode 1", head + "\\trowd\\cellx100\\cellx200\\pard\\intbl a\\cell b\\cell\\row}", 1, "a\tb\r\n"},
      {"empty cells kept", head + "\\trowd\\pard\\intbl\\cell\\cell x\\cell\\row}", 0, "||x\r\n"},
      {"thin grid row", head + "\\trowd\\pard\\intbl\\sl-20 \\ul  \\cell\\row\\pard a\\par}", 0, "a\r\n"},
      {"picture", head + "a{\\pict\\wmetafile8\\picw10 0102{\\*\\blipuid 00}ff}b\\par}", 0, "a\x81\xa0" "b\r\n"},
      {"object",
       head + "{\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0105}{\\result{\\pict 00}}}\\par}", 0,
       "\x81\xa0\r\n"},
      {"newer picture wrapping", head + "{\\*\\shppict{\\pict 00}}{\\nonshppict{\\pict 00}}.}", 0, "\x81\xa0."},
      {"unclosed picture", head + "x{\\pict 0102", 0, "x\x81\xa0"},
      {"unclosed group", head + "x{\\b y", 0, "xy"},
      {"escapes", head + "\\'82\\'a0\\{\\}\\\\\\~\\_\\-q}", 0, "\x82\xa0{}\\ -q"},
      {"broken hex", head + "\\'4 a\\'zz}", 0, " azz"},
      {"skipped destinations", head + "{\\*\\generator Riched20 10.0;}{\\info{\\title t}}t}", 0, "t"},
      {"line ends of the rich text", head + "a\r\nb\\line c}", 0, "ab\r\nc"},
      {"binary data", head + "a\\bin3 xyzb}", 0, "ab"},
      {"picture braces escaped", head + "{\\pict \\{ 00}z}", 0, "\x81\xa0z"},
      {"lone backslash at the end", "x\\", 0, "x"},
      {"big spacing numbers", head + "\\pard\\sl-99999999999999 a\\par}", 0, "a\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rewrite(c.rtf, c.mode), c.text) << c.name;
}

TEST(TableExtract, EmptyAndNull) {
  EXPECT_EQ(table::RewriteTableRtf(nullptr, 10, 0), 0u);
  char b[1] = {'x'};
  EXPECT_EQ(table::RewriteTableRtf(b, 0, 0), 0u);
}
