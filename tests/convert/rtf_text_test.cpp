// RTF to text: the byte loop, groups and what they leave out, the control
// words, the table stops and the inspection dump, over crafted inputs.
#include "convert/rtf_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "convert/convert_registry.h"
#include "convert/load_buffer.h"
#include "convert/source_file.h"
#include "core/docsvc/filekind.h"

namespace {

std::string Rtf(const std::string& in, convert::RtfWords w = {}) {
  convert::LoadBuffer out;
  const std::int64_t n =
      convert::ConvertRtfToText(reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), out, w);
  EXPECT_EQ(static_cast<std::int64_t>(out.Size()), n);
  return std::string(out.Data(), out.Size());
}

convert::RtfWords Style(int convStyle) {
  convert::RtfWords w;
  w.m_nConvStyle = convStyle;
  return w;
}

struct Case {
  const char* what;
  std::string in;
  std::string want;
  int convStyle;
};

TEST(RtfText, ControlWordsAndGroups) {
  const std::string tbl = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1 MS Mincho;}}"
                          "{\\stylesheet{\\s0\\snext0 Normal;}{\\s1\\sbasedon0\\snext1 heading 1;}}";
  const Case cases[] = {
      {"paragraphs", "{\\rtf1 one\\par two\\par}", "one\r\ntwo\r\n", 0},
      {"\\pard is not a paragraph end", "{\\rtf1 a\\pard b\\pararsid5 c}", "abc", 0},
      {"font table and style sheet never show", tbl + "\\f0 Body\\par}", "Body\r\n", 0},
      {"a nested group is left out", "{\\rtf1 a{\\*\\generator Writer;}b}", "ab", 0},
      {"a font word after text switches capture on", "{\\rtf1 {\\b\\f1 bold} x}", "bold x", 0},
      {"a font word right after the brace keeps it off", "{\\rtf1 {\\f1 hidden} x}", " x", 0},
      {"runs that begin with a font range are text", "{\\rtf1 \\plain{\\loch\nHello}{\\dbch world}}",
       "Helloworld", 0},
      {"revision marks switch capture on", "{\\rtf1 {\\b\\insrsid12 in}}", "in", 0},
      {"page and section marks", "{\\rtf1 a\\page b\\sect c}", "a\r\n<page>\r\nb\r\n<Section>\r\nc", 0},
      {"section defaults are no section", "{\\rtf1 \\sectd a}", "a", 0},
      {"tab and closing quote", "{\\rtf1 a\\tab b\\rdblquote}", "a\tb\"", 0},
      {"literal backslash and braces", "{\\rtf1 a\\\\b\\{c\\}}", "a\\b{c}", 0},
      {"two escapes make one character", "{\\rtf1 \\'82\\'a0}", "\x82\xA0", 0},
      {"an escape takes a printable second byte", "{\\rtf1 \\'83A\\'95\\'5c}", "\x83" "A\x95\x5C", 0},
      {"upper-case hex digits", "{\\rtf1 \\'8A\\'9F}", "\x8A\x9F", 0},
      {"a broken escape is left out", "{\\rtf1 a\\'zzb}", "azzb", 0},
      {"raw Shift-JIS with a backslash second byte", "{\\rtf1 \x95\\\x83{x}", "\x95\\\x83{x", 0},
      {"line ends in the text are not text", "{\\rtf1 a\r\nb\nc}", "abc", 0},
      {"one blank after a word belongs to it", "{\\rtf1 \\b  two}", " two", 0},
      {"NUL ends the text", std::string("{\\rtf1 ab\0cd}", 13), "ab", 0},
      {"0x1A ends the text", "{\\rtf1 ab\x1A" "cd}", "ab", 0},
      {"a backslash at the end", "{\\rtf1 ab\\", "ab", 0},
      {"unicode with its fallback", "{\\rtf1 \\u26085\\'3f\\u26412 ?x}", "\x93\xFA\x96{x", 0},
      {"unicode negative and a surrogate pair: one ? each", "{\\rtf1 \\uc1\\u-3\\'3f\\u-10179?\\u-8694?}", "??", 0},
      {"unicode with two fallback characters", "{\\rtf1 \\uc2\\u12354\\'82\\'a0z}", "\x82\xA0z", 0},
      {"style links skip their text", "{\\rtf1 {\\s1\\snext1 Name;}\\f1 t}", "t", 0},
      {"list level text is skipped", "{\\rtf1 \\leveltext x.;y}", "y", 0},
      {"a picture mark", "{\\rtf1 a\\pict\\pngblip b}", "a\x81\xA0" "b", 0},
      {"\\sl- takes the line back", "{\\rtf1 abc\\sl-20\\slmult0 def\\par ok}", "\r\nok", 0},
      {"\\sl with a large value is ordinary", "{\\rtf1 abc\\sl-240 def}", "abcdef", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, Rtf(c.in, Style(c.convStyle))) << c.what;
}

TEST(RtfText, TableRowsPadToTheirStops) {
  const std::string row = "{\\rtf1 \\trowd\\cellx1760\\cellx3520\\intbl ab\\cell cd\\cell\\row after\\par}";
  const Case cases[] = {
      {"cells pad to columns 3 and 5", row, "ab cd \r\nafter\r\n", 0},
      {"the ruled form ends each cell with |", row, "ab|cd|\r\nafter\r\n", 1},
      {"a full cell is still separated", "{\\rtf1 \\trowd\\cellx880\\intbl abcdef\\cell g\\cell\\row}",
       "abcdef g" + std::string(12, ' ') + "\r\n", 0},
      {"the row's left edge", "{\\rtf1 \\trowd\\trleft1760\\cellx5280\\intbl x\\cell\\row}", "   x   \r\n", 0},
      {"negative stops count as 0", "{\\rtf1 \\trowd\\cellx-50\\intbl x\\cell\\row}", "x \r\n", 0},
      {"a huge stop stays at 250", "{\\rtf1 \\trowd\\cellx99999999999999\\intbl\\cell\\row}",
       std::string(250, ' ') + "\r\n", 0},
      {"a cell outside a row definition is a tab", "{\\rtf1 a\\cell b}", "a\tb", 0},
      {"paragraph ends inside a row are no line ends", "{\\rtf1 \\trowd\\cellx1760\\intbl a\\par b\\cell\\row}",
       "ab  \r\n", 0},
      {"more cells than stops use the default stops",
       "{\\rtf1 \\trowd\\cellx880\\intbl a\\cell b\\cell c\\cell\\row}", "a b" + std::string(17, ' ') + "c" + std::string(9, ' ') + "\r\n", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, Rtf(c.in, Style(c.convStyle))) << c.what;
}

TEST(RtfText, LongLinesAreCut) {
  const std::string text(1500, 'x');
  const std::string out = Rtf("{\\rtf1 " + text + "\\'82\\'a0\\par y}");
  EXPECT_EQ(std::string(1000, 'x') + "\r\ny", out);
  // A double-byte character is never split at the cut.
  const std::string odd = Rtf("{\\rtf1 " + std::string(999, 'x') + "\x82\xA0" + "\\par}");
  EXPECT_EQ(std::string(999, 'x') + "\x82\xA0\r\n", odd);
}

TEST(RtfText, WordHandOverHasItsHeading) {
  convert::RtfWords w;
  w.fromWord = true;
  EXPECT_EQ("##word format##\nHi\r\n", Rtf("{\\rtf1 Hi\\par}", w));
}

TEST(RtfText, InspectionDump) {
  convert::RtfWords w;
  w.m_nOpenContext = 2;
  EXPECT_EQ("*\r\n{\\rtf1 \\'82\\'a0}", Rtf("{\\rtf1 \\'82\\'a0}", w));
  w.m_nOpenContext = 3;
  EXPECT_EQ("{\\rtf1 x}", Rtf(std::string("{\\rtf1 x}\0tail", 14), w));
  w.fromWord = true;
  w.m_nOpenContext = 4;
  EXPECT_EQ("{x}", Rtf("{x}", w));

  convert::RtfWords d;
  d.m_nOpenContext = 3;
  d.m_nConvStyle = 1;
  const Case decoded[] = {
      {"a pair decodes", "a\\'82\\'a0b", "a\x82\xA0" "b", 1},
      {"upper-case digits", "\\'8A\\'9F", "\x8A\x9F", 1},
      {"a katakana byte decodes alone", "\\'b1\\'b2", "\xB1\xB2", 1},
      {"a second byte of 5c stays escaped", "\\'83\\'5c\\'82\\'a0", "\\'83\\'5c\x82\xA0", 1},
      {"a lead byte without a second escape stays", "\\'82x", "\\'82x", 1},
      {"other values stay", "\\'41\\'e9", "\\'41\\'e9", 1},
      {"a cut escape stays", "\\'8", "\\'8", 1},
  };
  for (const Case& c : decoded) EXPECT_EQ(c.want, Rtf(c.in, d)) << c.what;

  convert::RtfWords b;
  b.m_nOpenContext = 3;
  b.m_nDumpBreaks = 1;
  const Case breaks[] = {
      {"before \\fs2 with its blank", "a\\fs2 b\\fs24 c", "a\r\n\\fs2 b\\fs24 c", 0},
      {"before \\highlight1 and a backslash", "a\\highlight1\\b x", "a\r\n\\highlight1\\b x", 0},
      {"\\highlight1 and a blank: no break", "a\\highlight1 x", "a\\highlight1 x", 0},
      {"no \\fs2 break near a highlight word", "\\highlight0 abcd\\fs2 x", "\\highlight0 abcd\\fs2 x", 0},
      {"the break comes back 20 bytes on", "\\highlight0 abcdefghijklmn\\fs2 x",
       "\\highlight0 abcdefghijklmn\r\n\\fs2 x", 0},
  };
  for (const Case& c : breaks) EXPECT_EQ(c.want, Rtf(c.in, b)) << c.what;

  // The dump stops two bytes before "outdata".
  convert::RtfWords cut;
  cut.m_nOpenContext = 3;
  cut.outdata = 10;
  EXPECT_EQ("{\\rtf1 a", Rtf("{\\rtf1 abcdef}", cut));
}

// Hostile inputs end quickly with no finding.
TEST(RtfText, HostileInputs) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("", Rtf(std::string(10 << 20, '{')));
  EXPECT_EQ("", Rtf(std::string(1 << 20, '}') + "\\"));
  std::string words;
  for (int i = 0; i < 100000; ++i) words += "\\cellx9999\\cell\\u-1\\uc99";
  Rtf("{\\rtf1 \\trowd" + words);
  EXPECT_EQ("", Rtf(""));
  convert::LoadBuffer out;
  EXPECT_EQ(0, convert::ConvertRtfToText(nullptr, 5, out, {}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

// The converter table's RTF row: a file of its own, an RTF file under a Word
// name, and the inspection dump, with the document's words passed through.
TEST(RtfText, FilesReachTheReaderThroughTheTable) {
  struct File {
    const char* path;
    int kind;
    std::string bytes;
    int context, convStyle;
    std::string want;
  };
  const std::string body = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\trowd\\cellx1760\\intbl a\\cell\\row x\\par}";
  const std::string big = "{\\rtf1 " + std::string(3000, 'w') + "\\par}";
  const File files[] = {
      {"a.rtf", docsvc::kKindRichText, body, 0, 0, "a  \r\nx\r\n"},
      {"a.rtf", docsvc::kKindRichText, body, 0, 1, "a |\r\nx\r\n"},
      {"r.doc", docsvc::kKindWord, body, 0, 0, "a  \r\nx\r\n"},
      {"big.doc", docsvc::kKindWord, big, 0, 0, std::string(1000, 'w') + "\r\n"},
      {"t.txt", docsvc::kKindText, "{\\rtf1 plain}", 0, 0, "plain"},
      {"a.rtf", docsvc::kKindRichText, "{\\rtf1 \\'82\\'a0}", 2, 1, "*\r\n{\\rtf1 \x82\xA0}"},
  };
  for (const File& f : files) {
    convert::Request r;
    r.path = f.path;
    r.kind = f.kind;
    r.limits.indata = 204800;
    r.limits.outdata = 2000000;
    r.openContext = f.context;
    r.m_nConvStyle = f.convStyle;
    const std::string bytes = f.bytes;
    r.open = [bytes](const CString&) {
      struct Owned : convert::SourceFile {
        explicit Owned(std::string b) : data(std::move(b)), mem(data.data(), data.size()) {}
        std::int64_t Length() const override { return mem.Length(); }
        std::size_t ReadAt(std::int64_t at, void* buffer, std::size_t count) override {
          return mem.ReadAt(at, buffer, count);
        }
        std::string data;
        convert::MemorySource mem;
      };
      return std::unique_ptr<convert::SourceFile>(new Owned(bytes));
    };
    const convert::Result out = convert::ConvertFile(r);
    EXPECT_EQ(convert::Status::kOk, out.status) << f.path << " " << out.message.GetString();
    EXPECT_EQ(f.want, out.text) << f.path << " context " << f.context << " style " << f.convStyle;
  }
}

}  // namespace
