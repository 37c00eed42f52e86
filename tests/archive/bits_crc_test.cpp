// Checksums, bit streams, the error table, date conversion and path helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "archive/arc_bits.h"
#include "archive/arc_crc.h"
#include "archive/arc_error.h"
#include "archive/arc_path.h"
#include "archive/arc_time.h"
#include "archive_test_util.h"

namespace arc {
namespace {

TEST(ArcCrc, Crc32AndCrc16KnownValues) {
  const uint8_t abc[] = {'a', 'b', 'c'};
  EXPECT_EQ(Crc32(abc, 3), 0x352441C2u);
  // CRC-16/ARC of "123456789" is 0xBB3D.
  const char* digits = "123456789";
  EXPECT_EQ(Crc16Update(0, reinterpret_cast<const uint8_t*>(digits), 9), 0xBB3D);
  // Slicing path and byte path agree on odd lengths.
  std::string s = MakeText(1000, 7);
  uint32_t whole = Crc32(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  uint32_t run = 0xFFFFFFFFu;
  for (char c : s) run = Crc32Update(run, reinterpret_cast<const uint8_t*>(&c), 1);
  EXPECT_EQ(~run, whole);
}

TEST(ArcCrc, CarrylessMultiplyGivesTheTableValues) {
  if (!Crc32ClmulAvailable()) GTEST_SKIP() << "no carry-less multiply on this CPU or build";
  std::vector<uint8_t> data = MakeRandom(5000, 11);
  EXPECT_EQ(~Crc32UpdateClmul(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
  // Every length around the 16- and 64-byte steps, every alignment, and
  // running values other than the start value.
  for (size_t off = 0; off < 16; ++off)
    for (size_t n = 0; n <= 300; ++n) {
      uint32_t start = off & 1 ? 0xFFFFFFFFu : static_cast<uint32_t>(n * 2654435761u);
      ASSERT_EQ(Crc32UpdateClmul(start, data.data() + off, n), Crc32UpdateTables(start, data.data() + off, n))
          << off << " " << n;
    }
  EXPECT_EQ(Crc32UpdateClmul(0, data.data(), data.size()), Crc32UpdateTables(0, data.data(), data.size()));
  // Bytes that are all zero or all one bits (folding constants at their limits).
  for (uint8_t fill : {0x00, 0xFF}) {
    std::vector<uint8_t> same(4096, fill);
    EXPECT_EQ(Crc32UpdateClmul(0xFFFFFFFFu, same.data(), same.size()),
              Crc32UpdateTables(0xFFFFFFFFu, same.data(), same.size()));
  }
  // A block in chunks gives the value of the whole.
  uint32_t chunks = 0xFFFFFFFFu;
  for (size_t at = 0; at < data.size(); at += 777)
    chunks = Crc32Update(chunks, data.data() + at, std::min<size_t>(777, data.size() - at));
  EXPECT_EQ(~chunks, Crc32(data.data(), data.size()));
}

TEST(ArcCrc, ZipSinkMemoryModeStoresPrefixAndCountsAll) {
  ArcState st;
  uint8_t out[8] = {0};
  st.m_nArcOutMax = 2;
  st.m_pArcOutBuf = out;
  ZipCrc32 sink(st, nullptr, 5);
  const uint8_t data[] = {'a', 'b', 'c', 'd', 'e'};
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(sink.Put(data[i]));
  EXPECT_TRUE(sink.Put(data[4]));
  EXPECT_EQ(sink.Count(), 5);
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(out[1], 'b');
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(sink.Crc(), Crc32(data, 5));
}

TEST(ArcCrc, SinksRefuseAClosedStream) {
  ArcState st;
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  EXPECT_ARC_CODE(ZipCrc32(st, &bad, 1), "026");
  EXPECT_ARC_CODE(ZipCrc32(st, nullptr, 1), "026");
  EXPECT_ARC_CODE(LzhCrc16(bad, 1), "026");
  std::ostringstream good;
  LzhCrc16 sink(good, 3);
  sink.Put('x');
  EXPECT_EQ(good.str(), "x");
}

TEST(ArcBits, ReadersTakeBitsInTheirOrder) {
  ArcState st;
  const uint8_t one[] = {0x06};
  st.m_nArcInSize = 1;
  ZipBitReader z(st, one);
  EXPECT_EQ(z.GetBits(3), 6);
  std::istringstream in(std::string(1, '\x06'));
  ArcBitReader a(in);
  EXPECT_EQ(a.GetBits(0), 0);
  EXPECT_EQ(a.GetBits(3), 0);
  EXPECT_EQ(a.GetBits(5), 6);
  EXPECT_EQ(a.GetBits(1), -1);
  EXPECT_ARC_CODE(a.GetBits(33), "048");
  EXPECT_ARC_CODE(a.GetBits(-1), "049");
  EXPECT_ARC_CODE(z.GetBits(257), "005");
  EXPECT_ARC_CODE(z.GetBits(-1), "006");
  EXPECT_ARC_CODE(z.PeekBits(257), "003");
  EXPECT_ARC_CODE(z.PeekBits(-1), "004");
}

TEST(ArcBits, ZipReaderReportsTheEndThroughProgress) {
  ArcState st;
  const uint8_t data[] = {1, 2, 3};
  st.m_nArcInSize = 3;
  ZipBitReader z(st, data);
  EXPECT_EQ(st.m_nArcProgress, 0);
  EXPECT_EQ(z.GetByte(), 1);
  EXPECT_EQ(st.m_nArcProgress, 1);  // all bytes taken into the reader
  EXPECT_EQ(z.GetBits(4), 2);
  EXPECT_EQ(z.GetByte(), 3);  // skips the rest of byte 2
  EXPECT_EQ(st.m_nArcProgress, 1);
  EXPECT_EQ(z.GetByte(), -1);
  EXPECT_EQ(st.m_nArcProgress, 2);
}

TEST(ArcBits, ArcReaderLimitAndSkip) {
  std::string data;
  for (int i = 0; i < 200000; ++i) data += static_cast<char>(i * 7);
  std::istringstream in(data);
  ArcBitReader a(in);
  ASSERT_TRUE(a.SkipTo(100000));
  EXPECT_EQ(a.GetByte(), static_cast<uint8_t>(100000 * 7));
  a.SetLimit(100003);
  EXPECT_EQ(a.GetBits(16), (static_cast<uint8_t>(100001 * 7) << 8) | static_cast<uint8_t>(100002 * 7));
  EXPECT_EQ(a.GetBits(9), -1);  // only 8 bits before the limit
  a.ClearLimit();
  ASSERT_TRUE(a.SkipTo(65535));  // back within the carried bytes
  EXPECT_EQ(a.GetByte(), static_cast<uint8_t>(65535 * 7));
  uint8_t buf[4];
  EXPECT_EQ(a.ReadBytes(buf, 4), 4u);
  EXPECT_EQ(buf[3], static_cast<uint8_t>(65539 * 7));
  EXPECT_FALSE(a.SkipTo(300000));
  EXPECT_EQ(a.GetByte(), -1);
}

TEST(ArcBits, WriterPacksLeastSignificantFirst) {
  std::vector<uint8_t> out;
  ArcBitWriter w(out);
  w.PutBits(5, 3);
  w.Flush();
  EXPECT_EQ(out, std::vector<uint8_t>{0x05});
  out.clear();
  ArcBitWriter w2(out);
  for (int i = 0; i < 257; ++i) w2.PutBits(1, 1);
  EXPECT_EQ(out.size(), 32u);
  w2.Flush();
  EXPECT_EQ(out.size(), 33u);
  EXPECT_EQ(out[32], 0x01);
  EXPECT_EQ(w2.BytesWritten(), 33);
  EXPECT_ARC_CODE(w2.PutBits(0, 257), "001");
  EXPECT_ARC_CODE(w2.PutBits(0, -1), "002");
  EXPECT_EQ(BitReverse(0x1, 3), 0x4u);
  EXPECT_EQ(BitReverse(0x6, 0), 0u);
}


// A burst writes the same bits as PutCode, from any bit offset, across its
// staging buffer's refills, and hands the unfinished byte back to the writer.
TEST(ArcBits, BurstWritesWhatPutCodeWrites) {
  uint32_t x = 5;
  std::vector<std::pair<uint32_t, int>> codes;
  for (int i = 0; i < 3000; ++i) {
    x = x * 1103515245u + 12345u;
    int n = static_cast<int>(x >> 27);  // 0-31
    codes.emplace_back(n ? (x >> 3) & ((1u << n) - 1) : 0, n);
  }
  for (int lead = 0; lead < 9; ++lead) {
    std::vector<uint8_t> plain, burst;
    ArcBitWriter a(plain), b(burst);
    a.PutBits(0x1FF, lead);
    b.PutBits(0x1FF, lead);
    for (const auto& c : codes) a.PutCode(c.first, c.second);
    {
      ArcBitWriter::Burst out(b);
      for (const auto& c : codes) out.PutCode(c.first, c.second);
    }
    a.PutBits(5, 3);
    b.PutBits(5, 3);
    a.Flush();
    b.Flush();
    EXPECT_EQ(burst, plain) << "lead " << lead;
    EXPECT_EQ(b.BytesWritten(), a.BytesWritten());
    EXPECT_EQ(b.BytesWritten(), static_cast<int64_t>(burst.size()));
  }
}
TEST(ArcError, TableHasEveryCodeOnceWithText) {
  std::set<std::string> seen;
  for (int i = 0; i < ErrorCount(); ++i) {
    std::string c = ErrorCodeAt(i);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_TRUE(seen.insert(c).second) << c;
    EXPECT_STRNE(ErrorText(c.c_str()), "");
  }
  for (const char* c : {"001", "024", "026", "028", "029", "031", "040", "041", "042", "043", "044", "045", "050",
                        "051", "052", "053", "054", "055", "056", "057", "058", "069", "070", "071", "072"})
    EXPECT_TRUE(seen.count(c)) << c;
  try {
    Fail("050");
  } catch (const ArchiveError& e) {
    EXPECT_STREQ(e.Code(), "050");
    EXPECT_STREQ(e.what(), "050");
  }
}

TEST(ArcTime, DosDateTime) {
  ArcDateTime t{2024, 3, 5, 14, 7, 9};
  EXPECT_EQ(ToDosDateTime(t), 0x586570E4u);
  ArcDateTime back = FromDosDateTime(0x586570E4u);
  EXPECT_EQ(back.year, 2024);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 5);
  EXPECT_EQ(back.hour, 14);
  EXPECT_EQ(back.minute, 7);
  EXPECT_EQ(back.second, 8);  // two-second steps
  EXPECT_EQ(ToDosDateTime(ArcDateTime{1980, 1, 1, 0, 0, 0}), 0x00210000u);
}

TEST(ArcPath, SeparatorsSkipDoubleByteCharacters) {
  // 0x83 0x5C is one Shift-JIS character whose second byte is '\'.
  std::string sj = "a\\\x83\x5C\\b";
  EXPECT_EQ(SlashForm(sj), "a/\x83\x5C/b");
  EXPECT_EQ(PathForm("a\\b"), "a/b/");
  EXPECT_EQ(PathForm(""), "");
  EXPECT_EQ(PathForm("x/"), "x/");
  EXPECT_EQ(FolderPart("c/d.txt"), "c");
  EXPECT_EQ(FolderPart("\x83/x"), "");  // 0x2F after a lead byte is no separator
  EXPECT_TRUE(IsSafeMemberPath("dir/sub/x.txt"));
  EXPECT_TRUE(IsSafeMemberPath("a..b/c"));
  EXPECT_FALSE(IsSafeMemberPath("../x"));
  EXPECT_FALSE(IsSafeMemberPath("a\\..\\x"));
  EXPECT_FALSE(IsSafeMemberPath("/etc/x"));
  EXPECT_FALSE(IsSafeMemberPath("C:x"));
  EXPECT_FALSE(IsSafeMemberPath(""));
}

TEST(ArcPath, EveryCodePage932LeadByteGuardsItsSecondByte) {
  // 0xFA 0x5C is 纊 (U+7E8A), so "纊.txt" is one folder-less name; other
  // characters of the extension rows 0xED-0xEE and 0xFA-0xFC end in 0x5C as well.
  for (int lead : {0x81, 0x9F, 0xE0, 0xED, 0xEE, 0xEF, 0xF0, 0xFA, 0xFB, 0xFC}) {
    std::string name = std::string(1, static_cast<char>(lead)) + "\\.txt";
    EXPECT_EQ(SlashForm("d\\" + name), "d/" + name) << std::hex << lead;
    EXPECT_EQ(FolderPart("d/" + name), "d") << std::hex << lead;
    EXPECT_EQ(std::string(LeadByteMask(name).data(), 2), std::string("\1\1")) << std::hex << lead;
  }
  // Bytes outside the lead set stand alone: the '\' after them separates.
  for (int single : {0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFE, 0xFF}) {
    std::string name = std::string(1, static_cast<char>(single)) + "\\b";
    EXPECT_EQ(SlashForm(name), std::string(1, static_cast<char>(single)) + "/b") << std::hex << single;
  }
  // Pairs are taken from the left: the lead's second byte never starts a pair.
  EXPECT_EQ(SlashForm("\x81\x81\\x"), "\x81\x81/x");
}

}  // namespace
}  // namespace arc
