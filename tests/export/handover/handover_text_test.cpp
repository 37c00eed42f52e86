// The hand-over text: the sheet suffix, the TAB text with its quote rules,
// the block marker's asterisks and the "F=" line, never cut.
#include <gtest/gtest.h>

#include <string>

#include "export/handover/handover_text.h"

namespace {

using handover::ConvertHandover;
using handover::HandoverConvertedLength;
using handover::HandoverSource;

std::string Convert(const std::string& table, int sheet, const char* target) {
  const std::string src =
      HandoverSource(reinterpret_cast<const std::uint8_t*>(table.data()), table.size(), sheet, target);
  const std::string out = ConvertHandover(src);
  EXPECT_EQ(out.size(), HandoverConvertedLength(src));
  return out;
}

TEST(HandoverSuffix, ColonNearTheEndOrAtTheStart) {
  CString arg = "x.xls:2", suffix;
  EXPECT_TRUE(handover::SplitSheetSuffix(&arg, &suffix));
  EXPECT_EQ(CString("x.xls"), arg);
  EXPECT_EQ(CString("2"), suffix);
  arg = ":3";
  EXPECT_TRUE(handover::SplitSheetSuffix(&arg, &suffix));
  EXPECT_EQ(CString(""), arg);
  EXPECT_EQ(CString("3"), suffix);
  // A drive colon far from the end, and an argument too short.
  for (const char* keep : {"C:\\t\\form.xls", "a:2", ":"}) {
    arg = keep;
    suffix = "unchanged";
    EXPECT_FALSE(handover::SplitSheetSuffix(&arg, &suffix)) << keep;
    EXPECT_EQ(CString(keep), arg);
    EXPECT_EQ(CString("unchanged"), suffix);
  }
}

TEST(HandoverText, TabsQuotesStarsAndTheLastLine) {
  // A quoted field with a TAB in it, the "XLS" block head, the line after
  // it, then the counts 12 and x.
  const std::string table =
      "a\x06\"b c\"\r\n"
      "XLS\x06head\r\n"
      "next\x06\"line\"\r\n"
      "12\x06x\r\n"
      "\"q\"\x06\"t\tab\"\r\n";
  const std::string copy = table;
  EXPECT_EQ(Convert(table, 2, "C:\\d\\out.xls"),
            "a\tb c\r\n"
            "XLS\thead\r\n"
            "next\t\"line\"\r\n"
            "************\tx\r\n"
            "q\tt\tab\r\n"
            "\r\n\r\n"
            "F=3;C:\\d\\out.xls");
  EXPECT_EQ(copy, table);
  // No sheet number: no "N;".
  EXPECT_EQ(Convert("a\r\n", 0, "C:\\o.xls"), "a\r\n\r\n\r\nF=C:\\o.xls");
}

TEST(HandoverText, TheFirstByteKeepsItsQuoteAndCaretsCloseFields) {
  EXPECT_EQ(Convert("\"a\"\x06\"b\"^\r\n\"c\r\n", 0, "t"), "\"a\tb^\r\nc\r\n\r\n\r\nF=t");
}

TEST(HandoverText, BangHashLeadAndMarkedBlockHeads) {
  // "!#" then "XL": the lead byte is the one after "#".
  EXPECT_EQ(Convert("!#XLS\r\nh\r\n3\x06" "2\r\n", 0, "t"), "!#XLS\r\nh\r\n***\t**\r\n\r\n\r\nF=t");
  // "XLx...#" then "S".
  EXPECT_EQ(Convert("XLx12#S\r\nh\r\n1\r\n", 0, "t"), "XLx12#S\r\nh\r\n*\r\n\r\n\r\nF=t");
  // No '#' within reach: no block, digits stay.
  const std::string far = "XLx" + std::string(60, 'a') + "#S\r\nh\r\n4\r\n";
  EXPECT_EQ(Convert(far, 0, "t"), far + "\r\n\r\nF=t");
  // "XL" and another byte: no block.
  EXPECT_EQ(Convert("XLA\r\nS\r\n5\r\n", 0, "t"), "XLA\r\nS\r\n5\r\n\r\n\r\nF=t");
  // 900 and more, and 0, write no asterisks.
  EXPECT_EQ(Convert("XLS\r\nh\r\n900\x06" "0\x06" "99999999999999999999\r\n", 0, "t"),
            "XLS\r\nh\r\n\t\t\r\n\r\n\r\nF=t");
}

TEST(HandoverText, ABlockHeadAtTheEndNeverTakesTheLastLinesDigits) {
  // The line of counts would be the "F=" line: it stays as it is.
  EXPECT_EQ(Convert("XLS\r\nh", 2, "C:\\d7\\o.xls"), "XLS\r\nh\r\n\r\nF=3;C:\\d7\\o.xls");
}

TEST(HandoverText, StopsAtTheTablesNul) {
  const std::string table("a\x06" "b\r\n\0junk\r\n", 11);
  EXPECT_EQ(Convert(table, 0, "t"), "a\tb\r\n\r\n\r\nF=t");
}

TEST(HandoverText, AsterisksPastTheOldCapKeepTheLastLine) {
  // 40 counts of 899: far more asterisks than the table's length + 10,000.
  std::string table = "XLS\r\nh\r\n";
  for (int i = 0; i < 40; ++i) table += "899\x06";
  table += "\r\n";
  const std::string out = Convert(table, 1, "C:\\d\\big.xls");
  EXPECT_GT(out.size(), table.size() + 10000);
  EXPECT_EQ(std::string(40 * 899, '*').size() + 40, out.find("\r\n", 8) - 8);
  EXPECT_EQ(out.substr(out.size() - 16), "F=2;C:\\d\\big.xls");
}

}  // namespace
