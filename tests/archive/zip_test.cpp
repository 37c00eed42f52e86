// ZIP header records: reading cut-off records, names, attributes, the built
// headers and the 32-bit limits of the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "archive/deflater.h"
#include "archive/zip_header.h"
#include "archive_test_util.h"

namespace arc {
namespace {

ZipHeader ReadFrom(const std::vector<uint8_t>& bytes, ArcState& st) {
  st.m_nArcInSize = static_cast<int32_t>(bytes.size());
  ZipBitReader r(st, bytes.data());
  ZipHeader h;
  h.Read(r);
  return h;
}

ZipHeader Record(int32_t sig, const std::string& name) {
  ZipHeader h;
  h.signature = sig;
  h.method = 8;
  h.versionNeeded = 20;
  h.time = ArcDateTime{2024, 3, 5, 14, 7, 9};
  h.crc = 0x11223344;
  h.compressedSize = 5;
  h.uncompressedSize = 7;
  h.name = name;
  return h;
}

TEST(ZipHeader, BuildsAndReadsBack) {
  std::vector<uint8_t> local;
  Record(kZipLocalSig, "dir/a.txt").BuildLocal(local);
  ASSERT_EQ(local.size(), 30u + 9);
  EXPECT_EQ(local[10] | local[11] << 8 | local[12] << 16 | uint32_t(local[13]) << 24, 0x586570E4u);
  ArcState st;
  ZipHeader h = ReadFrom(local, st);
  EXPECT_TRUE(h.complete);
  EXPECT_EQ(h.method, 8);
  EXPECT_EQ(h.compressedSize, 5);
  EXPECT_EQ(h.uncompressedSize, 7);
  EXPECT_EQ(h.name, "dir/a.txt");
  EXPECT_EQ(h.time.year, 2024);

  std::vector<uint8_t> central;
  Record(kZipCentralSig, "x").BuildCentral(1234, 0x20, central);
  ASSERT_EQ(central.size(), 47u);
  EXPECT_EQ(std::vector<uint8_t>(central.begin() + 38, central.begin() + 42), (std::vector<uint8_t>{0x20, 0, 0, 0}));
  EXPECT_EQ(central[42] | central[43] << 8, 1234);
  h = ReadFrom(central, st);
  EXPECT_EQ(st.m_nArcAttr, 0x20);
  EXPECT_EQ(h.name, "x");

  EXPECT_ARC_CODE(Record(kZipCentralSig, "x").BuildLocal(local), "031");
  EXPECT_ARC_CODE(Record(kZipLocalSig, "x").BuildCentral(0, 0, central), "032");
}

TEST(ZipHeader, CutOffRecordsKeepInitialValues) {
  std::vector<uint8_t> local;
  Record(kZipLocalSig, "name.txt").BuildLocal(local);
  ArcState st;
  ZipHeader h = ReadFrom(std::vector<uint8_t>(local.begin(), local.begin() + 3), st);
  EXPECT_EQ(h.signature, -1);
  h = ReadFrom(std::vector<uint8_t>(local.begin(), local.begin() + 20), st);
  EXPECT_EQ(h.signature, kZipLocalSig);
  EXPECT_EQ(h.method, 0);
  EXPECT_EQ(h.uncompressedSize, -1);
  EXPECT_FALSE(h.complete);
  h = ReadFrom(std::vector<uint8_t>(local.begin(), local.end() - 1), st);
  EXPECT_EQ(h.method, 8);
  EXPECT_EQ(h.name, "");  // the name was cut off
}

TEST(ZipHeader, NamesEndingInAControlByte) {
  std::vector<uint8_t> local;
  Record(kZipLocalSig, "a.txt\r").BuildLocal(local);
  ArcState st;
  EXPECT_EQ(ReadFrom(local, st).name, "a.txt");
  Record(kZipLocalSig, "\x83\x80").BuildLocal(local);
  EXPECT_EQ(ReadFrom(local, st).name, "\x83\x80");
  Record(kZipLocalSig, "").BuildLocal(local);
  EXPECT_EQ(ReadFrom(local, st).name, "");
}

TEST(ZipHeader, NoZip64) {
  std::vector<uint8_t> b;
  ZipHeader big = Record(kZipLocalSig, "x");
  big.uncompressedSize = 0xFFFFFFFFll;
  EXPECT_ARC_CODE(big.BuildLocal(b), "053");
  big.signature = kZipCentralSig;
  big.uncompressedSize = 1;
  EXPECT_ARC_CODE(big.BuildCentral(0xFFFFFFFFull, 0, b), "055");
  ZipHeader longName = Record(kZipLocalSig, std::string(70000, 'n'));
  EXPECT_ARC_CODE(longName.BuildLocal(b), "058");
  EXPECT_ARC_CODE(BuildZipEnd(65536, 10, 10, b), "054");
  EXPECT_ARC_CODE(BuildZipEnd(1, 10, 0xFFFFFFF8ull, b), "055");
  BuildZipEnd(65535, 10, 20, b);
  EXPECT_EQ(b.size(), 22u);
  EXPECT_EQ(b[8] | b[9] << 8, 65535);
  EXPECT_ARC_CODE(CheckZipPlan({1, 0x100000000ull}, {1, 1}), "053");
  EXPECT_ARC_CODE(CheckZipPlan(std::vector<uint64_t>(65536, 0), {}), "054");
  EXPECT_ARC_CODE(CheckZipPlan({0xF0000000ull, 0x10000000ull}, {1, 1}), "055");
  EXPECT_ARC_CODE(CheckZipPlan({1}, {70000}), "058");
  CheckZipPlan({0x10000000ull, 0x10000000ull}, {10, 10});
}

TEST(ZipHeader, StoredMembersAndTruncation) {
  std::vector<uint8_t> local;
  ZipHeader rec = Record(kZipLocalSig, "s");
  rec.method = 0;
  rec.compressedSize = rec.uncompressedSize = 5;
  rec.BuildLocal(local);
  std::vector<uint8_t> arcBytes = local;
  for (char c : std::string("hello")) arcBytes.push_back(static_cast<uint8_t>(c));
  ArcState st;
  uint8_t mem[16] = {0};
  st.m_nArcOutMax = 16;
  st.m_pArcOutBuf = mem;
  st.m_nArcInSize = static_cast<int32_t>(arcBytes.size());
  ZipBitReader r(st, arcBytes.data());
  ZipHeader h;
  h.Read(r);
  ZipCrc32 sink(st, nullptr, h.uncompressedSize);
  EXPECT_TRUE(ZipExtractMember(r, h, sink));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(mem), 5), "hello");
  EXPECT_EQ(st.m_nArcOutLen, 0);  // stored members leave it alone
  arcBytes.pop_back();
  st.m_nArcInSize = static_cast<int32_t>(arcBytes.size());
  ZipBitReader r2(st, arcBytes.data());
  h.Read(r2);
  ZipCrc32 sink2(st, nullptr, h.uncompressedSize);
  EXPECT_ARC_CODE(ZipExtractMember(r2, h, sink2), "050");
  h.method = 12;
  EXPECT_FALSE(ZipExtractMember(r2, h, sink2));
}

TEST(ZipHeader, DeflateDataLongerThanTheMemberIsAnError) {
  std::vector<uint8_t> data = Bytes(MakeText(3000, 4));
  std::vector<uint8_t> comp = DeflateBytes(data.data(), data.size());
  for (int64_t declared : {int64_t(3000), int64_t(2999), int64_t(1000), int64_t(0)}) {
    ZipHeader rec = Record(kZipLocalSig, "d");
    rec.compressedSize = static_cast<int64_t>(comp.size());
    rec.uncompressedSize = declared;
    std::vector<uint8_t> arcBytes;
    rec.BuildLocal(arcBytes);
    arcBytes.insert(arcBytes.end(), comp.begin(), comp.end());
    ArcState st;
    std::vector<uint8_t> mem(4000, 0);
    st.m_nArcOutMax = 4000;
    st.m_pArcOutBuf = mem.data();
    st.m_nArcInSize = static_cast<int32_t>(arcBytes.size());
    ZipBitReader r(st, arcBytes.data());
    ZipHeader h;
    h.Read(r);
    ZipCrc32 sink(st, nullptr, h.uncompressedSize);
    if (declared == 3000) {
      EXPECT_TRUE(ZipExtractMember(r, h, sink));
      EXPECT_EQ(sink.Crc(), Crc32(data.data(), data.size()));
      continue;
    }
    // The declared bytes arrive, then the caller is told the data went on.
    EXPECT_ARC_CODE(ZipExtractMember(r, h, sink), "072");
    const int64_t got = std::max<int64_t>(declared, 1);  // a size of 0 still takes one byte
    EXPECT_EQ(sink.Count(), got) << declared;
    EXPECT_TRUE(std::equal(mem.begin(), mem.begin() + got, data.begin())) << declared;
  }
}

}  // namespace
}  // namespace arc
