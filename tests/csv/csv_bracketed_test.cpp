// Bracketed lists split into rows: items, nesting, the "d=" rule,
// continuation rows, the row and column range, and every allocation failure.
#include "csv/csv_bracketed.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fw/alloc.h"

namespace {

// The table's file text after the split, ',' for the separator.
std::string Split(const std::string& file, int r1, int r2, int c1, int c2) {
  auto t = std::make_unique<csv::Table>();
  EXPECT_TRUE(t->LoadFileText(file.data(), file.size(), 16));
  EXPECT_EQ(0, csv::SplitBracketedField(*t, r1, r2, c1, c2));
  std::string s(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
  for (char& c : s) c = c == 0x06 ? ',' : c;
  return s;
}

TEST(CsvBracketed, ItemsBecomeRows) {
  // The cell's quotes stay around each item.
  EXPECT_EQ("id,x\r\n1,\"a\"\r\n1,\"b\"\r\n1,\"c\"\r\n2,plain\r\n",
            Split("id,x\r\n1,\"(a,b,c)\"\r\n2,plain\r\n", 2, 0, 2, 2));
}

TEST(CsvBracketed, FullWidthBracketsAndSeparatorsAndTextAround) {
  // Full-width brackets and comma with text before and after; ':' separates too.
  EXPECT_EQ("k,preTokyopost\r\nk,preOsakapost\r\nk,preXpost\r\n",
            Split("k,pre\x81\x69Tokyo\x81\x41Osaka:X\x81\x6Apost\r\n", 1, 0, 2, 2));
}

TEST(CsvBracketed, ListsOfDifferentLengthAndOutsideTheColumns) {
  // Column 1 is outside the range and keeps its brackets; column 3's list
  // has fewer items: its later copies are empty.
  EXPECT_EQ("\"(z,y)\",\"1\",\"p\"\r\n\"(z,y)\",\"2\",\"q\"\r\n\"(z,y)\",\"3\",\"\"\r\n", Split("\"(z,y)\",\"(1,2,3)\",\"(p,q)\"\r\n", 1, 0, 2, -1));
}

TEST(CsvBracketed, NestedBracketsStayAndTheirSeparatorsBecomeColons) {
  EXPECT_EQ("f(1:2)\r\ng\r\n", Split("(f(1:2):g)\r\n", 1, 0, 1, 1));
}

TEST(CsvBracketed, RememberedDigitIsPutBeforeLaterDigits) {
  EXPECT_EQ("1=a\r\n1=2\r\nb\r\n3\r\n", Split("(1=a:2:b:3)\r\n", 1, 0, 1, 1));
}

TEST(CsvBracketed, OpenListContinuesInTheNextRow) {
  // The next row's leading quote is dropped; its other fields go with it.
  // (Rows a command left so; a file with that text reads as one record.)
  auto t = std::make_unique<csv::Table>();
  const std::string work = "k\x06\"(a,b,\r\nzz\x06\"c)\"\r\nnext\x06x\r\n";
  ASSERT_TRUE(t->Assign(work.data(), work.size(), 16));
  EXPECT_EQ(0, csv::SplitBracketedField(*t, 1, 0, 2, 2));
  EXPECT_EQ("k,\"a\"\r\nk,\"b\"\r\nk,\"c\"\r\nnext,x\r\n", t->FileText(csv::CommaFormKind::kComma));
}

TEST(CsvBracketed, RowsOutsideTheRangeAndRowsWithoutListsStay) {
  const std::string file = "(a:b)\r\n(c:d)\r\nplain\r\n(e:f)";
  EXPECT_EQ("(a:b)\r\nc\r\nd\r\nplain\r\n(e:f)", Split(file, 2, 3, 1, 1));
  EXPECT_EQ("(a:b)\r\n(c:d)\r\nplain\r\ne\r\nf", Split(file, 4, 0, 1, 1));
}

TEST(CsvBracketed, EveryAllocationFailureLeavesTheTable) {
  const std::string file = "h,v\r\n1,(a:b)\r\n2,(c:d:e)\r\n";
  for (long n = 1;; ++n) {
    auto t = std::make_unique<csv::Table>();
    ASSERT_TRUE(t->LoadFileText(file.data(), file.size(), 0));
    const std::string before(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen);
    fw::alloctest::Reset();
    fw::alloctest::FailAt(n);
    const int rc = csv::SplitBracketedField(*t, 1, 0, 1, -1);
    const bool reached = fw::alloctest::Count() >= n;
    fw::alloctest::Reset();
    if (!reached) {
      EXPECT_EQ(0, rc);
      break;
    }
    EXPECT_TRUE(rc == csv::kSplitWorkBufferFailed || rc == csv::kSplitFinalBufferFailed) << n;
    EXPECT_EQ(before, std::string(reinterpret_cast<const char*>(t->m_pTextBuf), t->m_nTextLen));
  }
}

TEST(CsvBracketed, ManyItemsGrowTheOutputPastItsFirstSize) {
  std::string list = "(";
  for (int k = 0; k < 400; ++k) list += (k ? ":" : "") + std::to_string(k);
  const std::string file = std::string(200, 'w') + "," + list + ")\r\n";
  const std::string out = Split(file, 1, 0, 2, 2);
  EXPECT_EQ(400 * 203u + 1090u, out.size());
  EXPECT_EQ(std::string(200, 'w') + ",399\r\n", out.substr(out.size() - 206));
}

}  // namespace
