// Separated lines into ruled rows: the separator count that picks 'e' or
// 'f', the separators and paragraphs of the control's text, and the stops.
#include "table/table_ruledrows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RuledRows, SeparatorCountAndTheConversionItPicks) {
  struct Case {
    const char* what;
    std::string line;
    int bars, tabs;
    int picked;  // of 'e'
  } cases[] = {
      {"two bars stay 'e'", "a|b|c", 2, 0, 'e'},
      {"three bars make 'f'", "a|b|c|d", 3, 0, 'f'},
      {"as many tabs as bars stay 'e'", "a|\tb|\tc|\t", 3, 3, 'e'},
      {"more bars than tabs", "|a\t|b|c|", 4, 1, 'f'},
      {"the line ends at CR", "a|b\r|c|d|e", 1, 0, 'e'},
      {"the line ends at LF", "a\t\nb|c|d|e", 0, 1, 'e'},
      {"the line ends at NUL", std::string("a|b", 3) + std::string(1, '\0') + "|||", 1, 0, 'e'},
      // 0x7C is the second byte of a double-byte character here, no bar.
      {"a trail byte is no bar", "\x83\x7C|\x83\x7C|\x83\x7C", 2, 0, 'e'},
      {"bars around double-byte text", "\x82\xA0|\x83\x7C|b|c", 3, 0, 'f'},
      // A lead byte at the end is a byte of its own, and no separator.
      {"a lone lead byte at the end", "a|b|c|\x83", 3, 0, 'f'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const table::SeparatorCount n = table::CountSeparators(c.line.data(), c.line.size());
    EXPECT_EQ(c.bars, n.bars);
    EXPECT_EQ(c.tabs, n.tabs);
    EXPECT_EQ(c.picked, table::ResolveConversion('e', n));
  }
  // Only 'e' changes; the other codes pass unchanged.
  EXPECT_EQ('f', table::ResolveConversion('f', table::SeparatorCount{0, 5}));
  EXPECT_EQ('D', table::ResolveConversion('D', table::SeparatorCount{9, 0}));
}

TEST(RuledRows, OnlyTheFirst3000BytesOfALineAreCounted) {
  std::string line(2998, 'x');
  line += "||||||";  // bytes 2998 and 2999 are bars, the rest lies beyond
  const table::SeparatorCount n = table::CountSeparators(line.data(), line.size());
  EXPECT_EQ(2, n.bars);
  EXPECT_EQ(0, table::CountSeparators(nullptr, 10).bars);
}

TEST(RuledRows, SeparatorCharsOfAParagraph) {
  struct Case {
    std::u16string text;
    char16_t sep;
    std::vector<int> want;
  } cases[] = {
      {u"a|b|c", u'|', {1, 3}},
      {u"|\x3042|", u'|', {0, 2}},  // one position a character
      {u"a\tb\tc", u'\t', {1, 3}},
      {u"a|b\rc|d", u'|', {1}},  // the paragraph ends at CR
      {u"", u'|', {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, table::SeparatorChars(c.text.data(), c.text.size(), c.sep));
}

TEST(RuledRows, ParagraphStartsOfARange) {
  const std::u16string text = u"ab\rcd\ref\r";
  struct Case {
    long from, to;
    std::vector<long> want;
  } cases[] = {
      {0, 1, {0}},
      {1, 4, {0, 3}},       // from inside the first paragraph into the second
      {4, 7, {3, 6}},
      {0, 9, {0, 3, 6}},    // nothing starts at the text's end
      {3, 3, {3}},
      {7, 2, {6}},          // an end before the start is the start
      {-5, 0, {0}},
      {50, 60, {9}},        // past the end: the empty paragraph after the last CR
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    EXPECT_EQ(c.want, table::ParagraphStarts(text.data(), text.size(), c.from, c.to));
  }
}

TEST(RuledRows, StopsFromPixels) {
  EXPECT_EQ(150, table::StopTwipsForPixel(0));
  EXPECT_EQ(15 * 37 + 150, table::StopTwipsForPixel(37));
  EXPECT_EQ(150, table::StopTwipsForPixel(-20));
  EXPECT_EQ(0xFFFFFF, table::StopTwipsForPixel(0x7FFFFFFF));

  table::RuledStops stops;
  EXPECT_EQ(std::vector<std::int32_t>{0}, stops.Stops());
  EXPECT_TRUE(stops.AddPixel(10));
  EXPECT_FALSE(stops.AddPixel(10));  // not right of the last: the control wants them rising
  EXPECT_FALSE(stops.AddPixel(3));
  for (int x = 20; x < 2000; x += 10) stops.AddPixel(x);
  ASSERT_EQ(static_cast<std::size_t>(table::kMaxRuledStops), stops.Stops().size());
  EXPECT_EQ(0, stops.Stops()[0]);
  EXPECT_EQ(300, stops.Stops()[1]);
  EXPECT_EQ(15 * 310 + 150, stops.Stops().back());
}

TEST(RuledRows, RuledLinesAreExactSpacingOf60TwipsOrLess) {
  struct Case {
    int rule;
    std::int32_t twips;
    bool ruled;
  } cases[] = {{4, 20, true}, {4, 60, true}, {4, 61, false}, {4, 240, false}, {0, 20, false}, {3, 20, false}};
  for (const Case& c : cases) EXPECT_EQ(c.ruled, table::IsRuledLine(c.rule, c.twips)) << c.rule << " " << c.twips;
}

}  // namespace
