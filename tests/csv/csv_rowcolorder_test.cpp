// The orders of the row and column order dialog carried out on a table:
// title order and title search, column deletion, transpose, row deletion,
// reversal, and the texts that change nothing.
#include <gtest/gtest.h>

#include <string>

#include "csv/csv_rowcolorder.h"
#include "csv_test_util.h"

namespace {

using csvtest::ExpectIndexesAgain;
using csvtest::MakeTable;
using csvtest::Raw;
using csvtest::Text;

std::string Apply(const std::string& file, const std::string& columns, const std::string& rows) {
  auto t = MakeTable(file);
  csvtest::Recorder host;
  EXPECT_EQ(0, csv::ApplyRowColOrders(*t, columns, rows, &host)) << columns << " / " << rows;
  EXPECT_TRUE(host.calls.empty());
  ExpectIndexesAgain(*t);
  return Text(*t);
}

const char kTitles[] = "id,name,zeta,alpha,mid\r\n1,n1,z1,a1,m1\r\n2,n2,z2,a2,m2\r\n3,n3,z3,a3,m3\r\n";
const char kSearch[] = "x,abc1,y,zabc\r\n1,2,3,4\r\n";

struct OrderCase {
  const char* columns;
  const char* rows;
  const char* file;
  const char* want;
};

TEST(RowColOrders, ColumnAndRowSteps) {
  const OrderCase cases[] = {
      // Columns 3 on by title descending, 1 and 2 kept.
      {"sortdn2", "1-", kTitles,
       "id,name,zeta,mid,alpha\r\n1,n1,z1,m1,a1\r\n2,n2,z2,m2,a2\r\n3,n3,z3,m3,a3\r\n"},
      {"sortup", "1-", "b,c,a\r\n2,3,1\r\n", "a,b,c\r\n1,2,3\r\n"},
      {"sortup1", "", "z,c,a\r\n9,3,1\r\n", "z,a,c\r\n9,1,3\r\n"},
      {"sel:abc", "1-", kSearch, "abc1,zabc\r\n2,4\r\n"},
      {"sel2:abc", "1-", kSearch, "x,abc1,zabc\r\n1,2,4\r\n"},
      {"sel:abc#del", "1-", kSearch, "x,y\r\n1,3\r\n"},
      {"2,4#del", "1-", kSearch, "x,y\r\n1,3\r\n"},
      {"3,1,*", "1-", kSearch, "y,x,abc1,zabc\r\n3,1,2,4\r\n"},
      {"1-", "row", "a,b\r\n1,2\r\n3,4\r\n", "a,1,3\r\nb,2,4\r\n"},
      {"1-", "2-3#del", kTitles, "id,name,zeta,alpha,mid\r\n3,n3,z3,a3,m3\r\n"},
      {"1-", "rev", kTitles,
       "id,name,zeta,alpha,mid\r\n3,n3,z3,a3,m3\r\n2,n2,z2,a2,m2\r\n1,n1,z1,a1,m1\r\n"},
      {"2,1", "rev", "a,b\r\n1,2\r\n3,4\r\n", "b,a\r\n4,3\r\n2,1\r\n"},
      // Texts that name no column leave the columns (a rewrite by them
      // would empty every row).
      {"", "", kSearch, "x,abc1,y,zabc\r\n1,2,3,4\r\n"},
      {"sel:none", "1-", kSearch, "x,abc1,y,zabc\r\n1,2,3,4\r\n"},
      {"sel:", "1-", kSearch, "x,abc1,y,zabc\r\n1,2,3,4\r\n"},
      {"#del", "1-", kSearch, "x,abc1,y,zabc\r\n1,2,3,4\r\n"},
  };
  for (const OrderCase& c : cases) EXPECT_EQ(c.want, Apply(c.file, c.columns, c.rows)) << c.columns << " / " << c.rows;
}

TEST(RowColOrders, DefaultsTwiceLeaveTheBytes) {
  // Quotes, a multi-line cell, Shift-JIS and a short row: "1-" and "1-"
  // (OK at once) twice change no byte.
  const std::string file = "\"名前\",\"a\r\nb\",c\r\n\"x\"\"y\",2\r\n表,3,4\r\n";
  auto t = MakeTable(file);
  const std::string before = Raw(*t);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(0, csv::ApplyRowColOrders(*t, "1-", "1-", nullptr));
    EXPECT_EQ(before, Raw(*t));
  }
  EXPECT_EQ(file, t->FileText(csv::CommaFormKind::kComma));
}

TEST(RowColOrders, TitleOrderOnAnEmptyTableChangesNothing) {
  auto t = MakeTable("");
  EXPECT_EQ(0, csv::ApplyRowColOrders(*t, "sortup", "1-", nullptr));
  EXPECT_EQ("", Raw(*t));
}

}  // namespace
