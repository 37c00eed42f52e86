// The separator of a text a load statement reads raw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macro/macro_loadsep.h"

namespace {

struct Detected {
  bool comma;
  macro::LoadSeparatorCounts counts;
  std::string text;
};

Detected Detect(const std::string& s, bool csvKind = false) {
  std::vector<std::uint8_t> buf(s.begin(), s.end());  // no terminator: ASan sees a read past the end
  Detected d;
  d.comma = macro::MacroDetectLoadSeparator(buf.data(), buf.size(), csvKind, &d.counts);
  d.text.assign(buf.begin(), buf.end());
  return d;
}

TEST(LoadSeparator, CountsDecideTheCommaTable) {
  struct Case {
    const char* text;
    bool comma;
    int commas, tabs, bars, seps;
  } const cases[] = {
      {"a,b,c\r\n1,2,3\r\n", true, 4, 0, 0, 0},
      {"a\tb\tc\r\n1\t2\t3\r\n", false, 0, 4, 0, 0},
      {"\"x,y\",b\r\n1,2\r\n", true, 2, 0, 0, 0},       // the quoted comma is not counted
      {"a|b|c|d|e|f\r\n", false, 0, 0, 5, 0},         // a bar table
      {"a,b,c,d,e,f|g|h|i|j|k\r\n", false, 5, 0, 5, 0}, // five bars, as many commas
      {"a,b,c,d,e,f,g|h|i|j|k|l\r\n", true, 6, 0, 5, 0}, // more commas than bars
      {"a,b\x06" "c\x06" "d\r\n", false, 1, 0, 0, 2},   // already field separators
      {"plain text\r\nno separators\r\n", false, 0, 0, 0, 0},
      {"a,\"open\r\nb,c\r\n", true, 2, 0, 0, 0},       // a line end ends the quote state
  };
  for (const Case& c : cases) {
    const Detected d = Detect(c.text);
    EXPECT_EQ(d.counts.commas, c.commas) << c.text;
    EXPECT_EQ(d.counts.tabs, c.tabs) << c.text;
    EXPECT_EQ(d.counts.bars, c.bars) << c.text;
    EXPECT_EQ(d.counts.separators, c.seps) << c.text;
    EXPECT_EQ(d.comma, c.comma) << c.text;
  }
}

TEST(LoadSeparator, ScanStopsAfterTwoLinesWithSeparatorsOrFiveThousandBytes) {
  // Tabs on the third line are not seen.
  Detected d = Detect("a,b\r\n\r\nc,d\r\ne\tf\tg\r\n");
  EXPECT_EQ(d.counts.tabs, 0);
  EXPECT_TRUE(d.comma);
  const std::string longLine = std::string(6000, 'x') + ",a\r\n";
  d = Detect(longLine);
  EXPECT_EQ(d.counts.commas, 0);
  EXPECT_EQ(d.counts.scanned, 5000u);
  EXPECT_FALSE(d.comma);
}

TEST(LoadSeparator, ShiftJisSecondByteIsNoBarAndABrokenLeadBecomesABlank) {
  // 0x83 0x7C is one character whose second byte is '|'.
  Detected d = Detect("\x83\x7C,\x83\x7C\r\n");
  EXPECT_EQ(d.counts.bars, 0);
  EXPECT_EQ(d.counts.commas, 1);
  // A lead byte before ',' (below '@') is no character: it becomes a blank
  // and the comma counts.
  d = Detect("a\x83,b\r\n");
  EXPECT_EQ(d.text, "a ,b\r\n");
  EXPECT_EQ(d.counts.commas, 1);
  // A lead byte as the last byte stays.
  d = Detect("a,\x83");
  EXPECT_EQ(d.text, "a,\x83");
}

TEST(LoadSeparator, CsvKindCountsOneCommaAtLeastAndNothingElse) {
  Detected d = Detect("a\tb\tc\r\n", true);
  EXPECT_EQ(d.counts.commas, 1);
  EXPECT_EQ(d.counts.tabs, 0);
  EXPECT_TRUE(d.comma);
  d = Detect("", true);
  EXPECT_TRUE(d.comma);
  d = Detect("", false);
  EXPECT_FALSE(d.comma);
}

}  // namespace
