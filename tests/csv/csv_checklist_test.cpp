// The double-click's check and uncheck of single rows in the check list.
#include <gtest/gtest.h>

#include "csv/csv_checklist.h"

namespace {

struct List : csv::CheckList {
  explicit List(std::uint32_t n) { EXPECT_TRUE(Reset(n)); }
  ~List() { Release(); }
};

TEST(CheckListRows, CheckingAndUncheckingTheOnlyRowEmptiesTheList) {
  List l(1000);
  ASSERT_TRUE(l.CheckRow(7));
  EXPECT_EQ(l.m_nEntryListMode, 1u);
  EXPECT_EQ(l.m_nEntryListPos, 1u);
  EXPECT_EQ(l.Entry(0), 7u);
  // The row in the last slot in use is found (the highest slot counts).
  ASSERT_TRUE(l.UncheckRow(7));
  EXPECT_EQ(l.Entry(0), 0u);
  EXPECT_EQ(l.m_nEntryListPos, 0u);
  EXPECT_EQ(l.m_nEntryListMode, 0u);
  EXPECT_FALSE(l.UncheckRow(7));
}

TEST(CheckListRows, LaterRowsMoveDownAndTheModeStaysWhileRowsRemain) {
  List l(1000);
  for (std::uint32_t r : {3u, 5u, 9u}) ASSERT_TRUE(l.CheckRow(r));
  ASSERT_TRUE(l.UncheckRow(9));  // the last slot
  EXPECT_EQ(l.m_nEntryListPos, 2u);
  ASSERT_TRUE(l.UncheckRow(3));  // the first: 5 moves into slot 1
  EXPECT_EQ(l.Entry(0), 5u);
  EXPECT_EQ(l.Entry(1), 0u);
  EXPECT_EQ(l.m_nEntryListPos, 1u);
  EXPECT_EQ(l.m_nEntryListMode, 1u);
  // A freed slot in the middle is taken before a new one at the end.
  ASSERT_TRUE(l.CheckRow(4));
  EXPECT_EQ(l.Entry(1), 4u);
}

TEST(CheckListRows, AFullListStoresNothingAndTheTitleRowIsMinusOne) {
  List l(3);
  for (std::uint32_t r : {1u, 2u, 3u}) ASSERT_TRUE(l.CheckRow(r));
  EXPECT_FALSE(l.CheckRow(4));
  EXPECT_EQ(l.m_nEntryListPos, 3u);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_NE(l.Entry(i), 4u);
  List t(10);
  ASSERT_TRUE(t.CheckRow(0xFFFFFFFFu));
  EXPECT_EQ(static_cast<std::int32_t>(t.Entry(0)), -1);
  ASSERT_TRUE(t.UncheckRow(0xFFFFFFFFu));
  EXPECT_EQ(t.m_nEntryListMode, 0u);
}

}  // namespace
