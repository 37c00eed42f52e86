// The pre-scan of sheet heads and the sheet-list line.
#include <gtest/gtest.h>

#include <string>

#include "export/xlsx/xlsx_prescan.h"

namespace {

using namespace xlsx;

long long Scan(const std::string& text, XlsxRun& run) {
  return XlsxPreScan(text.data(), static_cast<std::uint32_t>(text.size()), run);
}

TEST(XlsxPreScan, HeadsGiveNamesStartsAndRepeats) {
  XlsxRun run;
  const std::string text =
      "!#:Sales\r\na\x06" "b\r\n"
      "!#:sales\r\nc\r\n"
      "!#Sales\r\nd\r\n"
      "!*\x94\x84\x8F\xE3\r\ne\r\n";  // "!*売上"
  EXPECT_EQ(Scan(text, run), -1);
  EXPECT_EQ(run.XlsxSheetNames[1], "Sales");
  EXPECT_EQ(run.XlsxSheetNames[2], "sales (2)");  // a repeat ignores the case of letters
  EXPECT_EQ(run.XlsxSheetNames[3], "Sheet3");     // no ':' or blank after the keyword: no name
  EXPECT_EQ(run.XlsxSheetNames[4], "\x94\x84\x8F\xE3");
  EXPECT_EQ(run.XlsxSheetStart[2], text.find("c\r\n"));
  EXPECT_EQ(run.XlsxSheetStart[4], text.find("e\r\n"));
  EXPECT_EQ(run.sheetOneStart, 0u);
  EXPECT_EQ(run.sheetOneFirstRow, 1u);
  EXPECT_EQ(run.headCount, 4u);
}

TEST(XlsxPreScan, NamesTheFormatRefusesAreMadeSafeAndShort) {
  XlsxRun run;
  Scan("!#:a/b:c[1]?x\\y\\^z^rest\r\n", run);
  EXPECT_EQ(run.XlsxSheetNames[1], "a#b#c(1)#x#y^z");
  // 30 characters from the head; with a repeat suffix the whole name stays at 31.
  XlsxRun longRun;
  const std::string thirtyFive(35, 'n');
  Scan("!#:" + thirtyFive + "\r\n1\r\n!#:" + thirtyFive + "\r\n2\r\n", longRun);
  EXPECT_EQ(longRun.XlsxSheetNames[1], std::string(30, 'n'));
  EXPECT_EQ(longRun.XlsxSheetNames[2], std::string(27, 'n') + " (2)");
  // Double-byte characters count as one and are never split.
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "\x95\x5C";  // 表
  EXPECT_EQ(XlsxFitSheetName(wide, " (12)"), wide.substr(0, 52) + " (12)");
}

TEST(XlsxPreScan, AStrayLeadByteNeverCarriesMarkupOrAControlByte) {
  // 0x81 before '<' stands alone (then '<' is kept as a character of the
  // name, escaped later); 0x81 before CR ends the name there.
  EXPECT_EQ(XlsxHeadNameText("\x81<b", 3), "\x81<b");
  EXPECT_EQ(XlsxHeadNameText("ab\x81\r\ncd", 7), "ab\x81");
  // A real pair whose trail byte is '\' or '[' stays whole.
  EXPECT_EQ(XlsxHeadNameText("\x83\x5C\x83[", 4), "\x83\x5C\x83[");
}

TEST(XlsxPreScan, SheetOneStartsAfterAShortLineOrTakesTheTextBeforeTheFirstHead) {
  XlsxRun shortFirst;
  Scan("title\r\n!#:A\r\nx\r\n", shortFirst);  // head at byte 7
  EXPECT_EQ(shortFirst.sheetOneStart, 9u);
  EXPECT_EQ(shortFirst.sheetOneFirstRow, 2u);
  EXPECT_EQ(shortFirst.XlsxSheetNames[1], "A");

  XlsxRun before;
  Scan("a long first line of text\r\nmore\r\n!#:B\r\nx\r\n", before);
  EXPECT_EQ(before.XlsxSheetNames[1], "Sheet1");
  EXPECT_EQ(before.XlsxSheetNames[2], "B");

  XlsxRun star;
  Scan("!*T\r\nx\r\n", star);
  EXPECT_EQ(star.sheetOneStart, 5u);

  XlsxRun none;
  Scan("no heads at all in this text\r\nsecond line here\r\n", none);
  EXPECT_EQ(none.XlsxSheetNames[1], "Sheet1");
}

TEST(XlsxPreScan, HeadsPastTheLastSheetCountButStoreNothing) {
  XlsxRun run;
  std::string text;
  for (int i = 1; i <= 258; ++i) text += "!#:s" + std::to_string(i) + "\r\nx\r\n";
  Scan(text, run);
  EXPECT_EQ(run.headCount, 258u);
  EXPECT_EQ(run.XlsxSheetNames[255], "s255");
  EXPECT_EQ(run.XlsxSheetStart[255], text.find("!#:s255") + 9);
}

TEST(XlsxSheetList, OrderNamesAndRanges) {
  XlsxRun run;
  const std::string text = "!#:Top\r\nx\r\n$$:3:1=Sum:5-7,\r\n$$2;4=Four.9_8\r\n";
  long long at = Scan(text, run);
  ASSERT_EQ(at, static_cast<long long>(text.find("$$2")));  // the last "$$" line counts
  XlsxRun first;
  Scan(text, first);
  XlsxReadSheetList(text.data(), static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(text.find("$$:")),
                    first);
  EXPECT_EQ(first.firstSheet, 0u);
  ASSERT_EQ(first.XlsxSheetOrder[0], 5u);
  EXPECT_EQ(first.XlsxSheetOrder[1], 3u);
  EXPECT_EQ(first.XlsxSheetOrder[2], 1u);
  EXPECT_EQ(first.XlsxSheetOrder[3], 5u);
  EXPECT_EQ(first.XlsxSheetOrder[5], 7u);
  ASSERT_EQ(first.XlsxExtraNames.size(), 1u);  // sheet 1 had a name already
  EXPECT_EQ(first.XlsxExtraNames[0].name, "Sum");
  EXPECT_EQ(first.XlsxExtraNames[0].position, 2u);

  XlsxReadSheetList(text.data(), static_cast<std::uint32_t>(text.size()), static_cast<std::uint32_t>(at), run);
  EXPECT_EQ(run.firstSheet, 2u);
  EXPECT_EQ(run.XlsxSheetOrder[0], 1u);  // "9_8" is an empty range
  EXPECT_EQ(run.XlsxSheetOrder[1], 4u);
  EXPECT_EQ(run.XlsxSheetNames[4], "Four");
}

TEST(XlsxSheetList, ListNamesFollowTheNameRulesAndTheListStopsAt255) {
  XlsxRun run;
  std::string text = "$$:2=\"a?b/" + std::string(300, 'z') + ":1-400\r\n";
  XlsxReadSheetList(text.data(), static_cast<std::uint32_t>(text.size()), 0, run);
  EXPECT_EQ(run.XlsxSheetNames[2], "a#b#" + std::string(27, 'z'));
  EXPECT_EQ(run.XlsxSheetOrder[0], 255u);
  EXPECT_EQ(run.XlsxSheetOrder[255], 254u);
}

}  // namespace
