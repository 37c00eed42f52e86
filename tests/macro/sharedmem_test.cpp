// The shared-memory transfer over named blocks. Natively the blocks live in
// this process; under Wine the same cases run on real file mappings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "csv/csv_concat.h"
#include "csv/csv_table.h"
#include "fw/shared_block.h"
#include "macro/macro_sharedmem.h"

namespace {

using macro::TransferSharedMemory;

// Names are unique per case: a written block lives until the process ends.
std::string Name(const char* tag) { return std::string("TabryeTest_sharedmem_") + tag; }

int Write(const std::string& name, const std::string& text, int offset = 0, int size = 0, int mode = 1,
          int mapSize = 1000000) {
  std::vector<std::uint8_t> b(text.begin(), text.end());
  b.push_back(0);
  return TransferSharedMemory(name.c_str(), b.data(), b.size(), offset, size, mode, mapSize);
}

std::string ReadText(const std::string& name, int offset, int* result, std::size_t cap = 4096) {
  std::vector<std::uint8_t> b(cap + 16, 0xAA);
  *result = TransferSharedMemory(name.c_str(), b.data(), cap, offset, 0, 2, 0);
  for (std::size_t i = cap; i < b.size(); ++i) EXPECT_EQ(b[i], 0xAA) << "written past the buffer at " << i;
  return std::string(reinterpret_cast<const char*>(b.data()), strnlen(reinterpret_cast<const char*>(b.data()), cap));
}

TEST(SharedMemory, WriteThenReadLengthAndOffset) {
  const std::string n = Name("abc");
  ASSERT_EQ(Write(n, "abc"), 0);
  int r = 0;
  EXPECT_EQ(ReadText(n, 0, &r), "abc");
  EXPECT_EQ(r, 3);
  std::uint8_t untouched[4] = {9, 9, 9, 9};
  EXPECT_EQ(TransferSharedMemory(n.c_str(), untouched, sizeof untouched, 0, 0, 3, 0), 3);
  EXPECT_EQ(untouched[0], 9);
  ASSERT_EQ(Write(n, "abcdef"), 0);
  EXPECT_EQ(ReadText(n, 2, &r), "cdef");
  EXPECT_EQ(r, 4);
  // A shorter second write leaves the older bytes behind its NUL.
  ASSERT_EQ(Write(n, "xy"), 0);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), nullptr, 0, 0, 0, 3, 0), 2);
  std::uint8_t raw[6] = {};
  EXPECT_EQ(TransferSharedMemory(n.c_str(), raw, sizeof raw, 0, 6, 5, 0), 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 6), std::string("xy\0def", 6));
  // An offset past the text is refused.
  std::uint8_t past[4] = {5, 5, 5, 5};
  EXPECT_EQ(TransferSharedMemory(n.c_str(), past, sizeof past, 5, 0, 2, 0), -1);
  EXPECT_EQ(past[0], 5);
}

TEST(SharedMemory, MissingBlocksReadAsEmpty) {
  const std::string n = Name("never_written");
  std::uint8_t b[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 0, 2, 0), 0);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 0, 3, 0), 0);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 8, 5, 0), 0);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 0, 0, 0), 0);
  EXPECT_EQ(b[0], 7);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 0, 9, 0), 0);  // no such mode
}

TEST(SharedMemory, WritesThatDoNotFitAreRefused) {
  const std::string n = Name("too_big");
  EXPECT_EQ(Write(n, "abc", 0, 2000, 1, 1000), -1);  // size above mapSize
  EXPECT_EQ(TransferSharedMemory(n.c_str(), nullptr, 0, 0, 0, 3, 0), 0);
  // A mapping of 4 bytes has no room for "abc" at offset 1 with its NUL.
  EXPECT_EQ(Write(n, "abc", 1, 4, 1, 1000), -1);
  EXPECT_EQ(Write(n, "abc", 0, 4, 1, 1000), 0);
  int r = 0;
  EXPECT_EQ(ReadText(n, 0, &r), "abc");
  // A text without a NUL is taken up to the buffer's size.
  std::uint8_t raw[3] = {'q', 'r', 's'};
  EXPECT_EQ(TransferSharedMemory(n.c_str(), raw, 2, 0, 0, 1, 1000), 0);
  EXPECT_EQ(ReadText(n, 0, &r), "qr");
}

TEST(SharedMemory, AppendFollowsTheTextOrCreates) {
  const std::string n = Name("append");
  ASSERT_EQ(Write(n, "abc"), 0);
  ASSERT_EQ(Write(n, "def", 0, 0, 4), 0);
  int r = 0;
  EXPECT_EQ(ReadText(n, 0, &r), "abcdef");
  const std::string m = Name("append_new");
  ASSERT_EQ(Write(m, "zz", 3, 0, 4), 0);  // created: written at the offset
  std::uint8_t raw[6] = {};
  EXPECT_EQ(TransferSharedMemory(m.c_str(), raw, sizeof raw, 0, 6, 5, 0), 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(raw), 6), std::string("\0\0\0zz\0", 6));
}

// The length is asked first, then the block grows before the read: every
// read stays inside the caller's buffer.
TEST(SharedMemory, ReadsAreBoundedByTheBuffer) {
  const std::string n = Name("grows");
  ASSERT_EQ(Write(n, "0123"), 0);
  const int len = TransferSharedMemory(n.c_str(), nullptr, 0, 0, 0, 3, 0);
  ASSERT_EQ(len, 4);
  ASSERT_EQ(Write(n, std::string(9000, 'x')), 0);
  int r = 0;
  std::string got = ReadText(n, 0, &r, static_cast<std::size_t>(len) + 1);
  EXPECT_EQ(got, "xxxx");
  EXPECT_EQ(r, 4);
  std::vector<std::uint8_t> raw(16, 0xAA);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), raw.data(), 8, 0, 9000, 5, 0), 8);
  EXPECT_EQ(raw[8], 0xAA);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), raw.data(), 0, 0, 0, 2, 0), -1);  // no room even for the NUL
}

TEST(SharedMemory, MapFailuresGiveMinusOne) {
  const std::string n = Name("mapfail");
  ASSERT_EQ(Write(n, "abc"), 0);
  fw::sharedblocktest::Reset();
  fw::sharedblocktest::FailMapFrom(1);
  std::uint8_t b[8] = {};
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 0, 3, 0), -1);
  EXPECT_EQ(TransferSharedMemory(n.c_str(), b, sizeof b, 0, 0, 2, 0), -1);
  EXPECT_EQ(Write(n, "def"), -1);
  fw::sharedblocktest::Reset();
  int r = 0;
  EXPECT_EQ(ReadText(n, 0, &r), "abc");
}

TEST(SharedMemory, BlockSizeIsWholePages) {
  fw::SharedBlock block;
  ASSERT_TRUE(block.OpenOrCreate(Name("pages").c_str(), 10));
  ASSERT_TRUE(block.Map(0, true));
  EXPECT_EQ(block.MappedSize() % 4096, 0u);
  EXPECT_GE(block.MappedSize(), 4096u);
  EXPECT_FALSE(block.Map(block.MappedSize() + 4096, false));
  // Closed without being kept: the block is gone.
  block.Close();
  EXPECT_EQ(fw::SharedBlock().Open(Name("pages").c_str(), false), fw::SharedBlock::OpenResult::kMissing);
}

// A table written to a block (as "savemfile" writes the working buffer) is
// appended by the concatenation, straight (mode 1) and by title (mode 3).
TEST(SharedMemory, BlocksAreAppendedByTheConcatenation) {
  const std::string n = Name("concat");
  ASSERT_EQ(Write(n, "~from another copy\r\nb,a\r\n2,1\r\n\"4\r\n\",3\r\n"), 0);
  // Only titles it knows: "b" is column 1 and "a" column 2 of the source.
  csv::TitleResolver byTitle = [](const std::string& titles, const std::uint8_t*, std::uint32_t) {
    return std::string(titles == "[a],[b]" ? "2,1" : "1-");
  };
  for (int mode : {1, 3}) {
    SCOPED_TRACE(mode);
    csv::Table t;
    const std::string own = "a\x06" "b\r\nx\x06y\r\n";
    ASSERT_TRUE(t.LoadFileText(own.data(), own.size(), 16));
    macro::SharedMemorySource src(CString(n.c_str()), 10485760);
    csv::ConcatArgs args;
    args.sourceMode = mode;
    ASSERT_EQ(csv::ConcatResult::kDone, csv::CsvConcatVertical(t, args, src, byTitle, nullptr));
    const std::string text(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen);
    if (mode == 1) EXPECT_EQ(own + "2\x06" "1\r\n\"4\x7f\x0e\"\x06" "3\r\n", text);
    else EXPECT_EQ(own + "1\x06" "2\r\n3\x06\"4\x7f\x0e\"\r\n", text);
    EXPECT_EQ(3, t.m_nLastRow);
  }
  // A block nobody wrote has nothing to add.
  csv::Table t;
  ASSERT_TRUE(t.LoadFileText("a\r\n", 3, 16));
  macro::SharedMemorySource missing(CString(Name("no_block").c_str()), 10485760);
  csv::ConcatArgs args;
  args.sourceMode = 1;
  EXPECT_EQ(csv::ConcatResult::kNothing, csv::CsvConcatVertical(t, args, missing, byTitle, nullptr));
  EXPECT_EQ(std::string("a\r\n"), std::string(reinterpret_cast<const char*>(t.m_pTextBuf), t.m_nTextLen));
}

}  // namespace
