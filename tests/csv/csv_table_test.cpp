// The owning table object: loading, replacing, copying and the file text,
// with every allocation failure leaving the table as it was.
#include "csv/csv_table.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fw/alloc.h"

namespace {

std::string Content(const csv::Table& t) {
  return std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.UsedLength());
}

const char kFile[] =
    "\"名前\",\"住所\"\r\n"
    "\"山田\",\"東京都,港区\"\r\n"
    "!#\r\n"
    "A,B,C\r\n"
    "1,2,3\r\n";

TEST(CsvTable, LoadIndexesTheWorkingFormAndSavesTheFileBack) {
  auto t = std::make_unique<csv::Table>();
  ASSERT_TRUE(t->LoadFileText(kFile, sizeof kFile - 1, 100));
  EXPECT_EQ(0u, Content(*t).find("\"名前\"\x06\"住所\"\r\n\"山田\"\x06\"東京都,港区\"\r\n"));
  EXPECT_EQ(sizeof kFile - 1 + 1 + 100, t->m_nWorkSize);
  EXPECT_EQ(0, t->m_pTextBuf[t->m_nTextLen]);
  EXPECT_EQ(4, t->m_nLastRow);
  EXPECT_EQ(2u, t->BlockCount());
  EXPECT_EQ(3u, t->m_aSecRow[2]);
  EXPECT_EQ(3u, t->m_nFieldCount);
  EXPECT_EQ(1u, t->m_bScanDone);
  EXPECT_EQ(std::string(kFile), t->FileText(csv::CommaFormKind::kComma));
  EXPECT_EQ("\"名前\"\t\"住所\"\r\n", t->FileText(csv::CommaFormKind::kTab).substr(0, 15));
}

TEST(CsvTable, AssignReplacesTheContentAndTheIndex) {
  auto t = std::make_unique<csv::Table>();
  ASSERT_TRUE(t->LoadFileText(kFile, sizeof kFile - 1, 0));
  const std::uint8_t* before = t->m_pTextBuf;
  // Shorter content fits: no new block.
  ASSERT_TRUE(t->Assign("a\x06" "b\r\n", 5, 0));
  EXPECT_EQ(before, t->m_pTextBuf);
  EXPECT_EQ("a\x06" "b\r\n", Content(*t));
  EXPECT_EQ(0, t->m_pTextBuf[5]);
  EXPECT_EQ(0, t->m_nLastRow);
  EXPECT_EQ(1u, t->BlockCount());
  EXPECT_EQ(2u, t->m_nFieldCount);
  // Longer content grows the buffer.
  const std::string big(5000, 'x');
  ASSERT_TRUE(t->Assign(big.data(), big.size(), 10));
  EXPECT_EQ(big, Content(*t));
  EXPECT_GE(t->m_nWorkSize, 5011u);
  // Content taken from inside the table itself, also into a larger block.
  ASSERT_TRUE(t->Assign(t->m_pTextBuf + 10, 3, 0));
  EXPECT_EQ("xxx", Content(*t));
  ASSERT_TRUE(t->Assign(t->m_pTextBuf, 3, 1u << 20));
  EXPECT_EQ("xxx", Content(*t));
}

TEST(CsvTable, NoMemoryLeavesTheTableAsItWas) {
  auto t = std::make_unique<csv::Table>();
  ASSERT_TRUE(t->LoadFileText("a,b\r\n", 5, 0));
  const std::uint8_t* buf = t->m_pTextBuf;
  const std::string big(100, 'y');
  auto other = std::make_unique<csv::Table>();
  ASSERT_TRUE(other->LoadFileText(big.data(), big.size(), 0));
  for (int op = 0; op < 3; ++op) {
    fw::alloctest::Reset();
    fw::alloctest::FailFrom(1);
    bool ok = op == 0   ? t->Assign(big.data(), big.size(), 0)
              : op == 1 ? t->LoadFileText(big.data(), big.size(), 0)
                        : t->CopyFrom(*other);
    fw::alloctest::Reset();
    EXPECT_FALSE(ok) << op;
    EXPECT_EQ(buf, t->m_pTextBuf);
    EXPECT_EQ("a\x06" "b\r\n", Content(*t));
    EXPECT_EQ(2u, t->m_nFieldCount);
  }
  // A size past 32 bits is refused without an allocation.
  EXPECT_FALSE(t->Reserve(0x100000000ull));
  EXPECT_EQ("a\x06" "b\r\n", Content(*t));
}

TEST(CsvTable, CopyFromTakesContentIndexAndTitleLine) {
  auto a = std::make_unique<csv::Table>();
  auto b = std::make_unique<csv::Table>();
  ASSERT_TRUE(a->LoadFileText(kFile, sizeof kFile - 1, 50));
  a->m_nCurLine = 4;
  ASSERT_TRUE(b->LoadFileText("x\r\n", 3, 0));
  ASSERT_TRUE(b->CopyFrom(*a));
  EXPECT_NE(a->m_pTextBuf, b->m_pTextBuf);
  EXPECT_EQ(Content(*a), Content(*b));
  EXPECT_EQ(0, b->m_pTextBuf[b->m_nTextLen]);
  EXPECT_EQ(a->m_nWorkSize, b->m_nWorkSize);
  EXPECT_EQ(4u, b->m_nCurLine);
  EXPECT_EQ(4, b->m_nLastRow);
  EXPECT_EQ(3u, b->m_aSecRow[2]);
  EXPECT_EQ(3u, b->m_nFieldCount);
  EXPECT_TRUE(b->CopyFrom(*b));
  EXPECT_EQ(Content(*a), Content(*b));
}

TEST(CsvTable, ALengthPastTheCapacityIsReadAsTheCapacity) {
  auto t = std::make_unique<csv::Table>();
  EXPECT_EQ(0u, t->UsedLength());
  EXPECT_EQ("", t->FileText(csv::CommaFormKind::kComma));
  ASSERT_TRUE(t->LoadFileText("a,b", 3, 0));
  t->m_nTextLen = 1000;  // left wrong by a writer: never read past the buffer
  EXPECT_EQ(3u, t->UsedLength());
  EXPECT_EQ("a,b", t->FileText(csv::CommaFormKind::kComma));
  t->Clear();
  EXPECT_EQ(nullptr, t->m_pTextBuf);
  EXPECT_EQ(0u, t->m_nWorkSize);
  EXPECT_EQ(-1, t->m_nLastRow);
  EXPECT_EQ(0u, t->BlockCount());
}

}  // namespace
