// The codec against outside tools: Deflate streams and ZIP archives made by
// Python's zlib, zip and 7-Zip; our Deflate checked by zlib and our ZIP
// records by unzip -t; LZH archives made by jlha-utils checked against what
// lhasa extracts. The data is made at test time by make_oracles.sh in a
// scratch folder of the build tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>

#include "archive/deflater.h"
#include "archive/inflater.h"
#include "archive/lzh_header.h"
#include "archive/zip_header.h"
#include "archive_test_util.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;

namespace arc {
namespace {


// Runs make_oracles.sh for one kind of data in this test's own folder.
fs::path Make(const std::string& what) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "archive_oracles" / info->name();
  std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/archive/make_oracles.sh' '" + dir.string() + "' " + what;
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return dir;
}

std::string Inflate(const std::string& comp, int64_t target) {
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(comp.size());
  ZipBitReader r(st, reinterpret_cast<const uint8_t*>(comp.data()));
  Inflater inf(r);
  std::ostringstream out;
  ZipCrc32 sink(st, &out, target);
  Inflater::Inflate(inf, sink);
  return out.str();
}

TEST(Oracle, ZlibStreamsInflate) {
  REQUIRE_TOOLS("python3");
  fs::path dir = Make("raw");
  int n = 0;
  for (const auto& e : fs::directory_iterator(dir / "raw")) {
    std::string name = e.path().stem().string();  // source name
    std::string src = testsupport::ReadFileBytes(dir / "src" / name);
    // A target beyond the data: the final block ends the member.
    EXPECT_EQ(Inflate(testsupport::ReadFileBytes(e.path()), int64_t(src.size()) + 1000), src) << e.path();
    ++n;
  }
  EXPECT_EQ(n, 56);
}

TEST(Oracle, OurDeflateInflatesWithZlib) {
  REQUIRE_TOOLS("python3");
  fs::path dir = Make("sources");
  fs::create_directories(dir / "ours");
  for (const char* name : {"text.txt", "rand.bin", "empty.bin", "one.bin", "k64m.bin", "k64.bin", "k64p.bin",
                           "gz.bin", "big.bin"}) {
    std::string src = testsupport::ReadFileBytes(dir / "src" / name);
    uint32_t crc = 0;
    std::vector<uint8_t> comp = DeflateBytes(reinterpret_cast<const uint8_t*>(src.data()), src.size(), &crc);
    EXPECT_EQ(crc, Crc32(reinterpret_cast<const uint8_t*>(src.data()), src.size())) << name;
    std::ofstream(dir / "ours" / (std::string(name) + ".deflate"), std::ios::binary)
        .write(reinterpret_cast<const char*>(comp.data()), static_cast<std::streamsize>(comp.size()));
    // And our own decoder agrees.
    EXPECT_EQ(Inflate(std::string(comp.begin(), comp.end()), static_cast<int64_t>(src.size())), src) << name;
  }
  std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/archive/make_oracles.sh' '" + dir.string() +
                    "' verify > '" + (dir / "verify.txt").string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(testsupport::ReadFileBytes(dir / "verify.txt"), "OK 9\n");
}

// Walks an archive's records as the extraction entry does and returns
// name -> data of every file member.
std::map<std::string, std::string> ExtractZip(const std::string& zip) {
  std::map<std::string, std::string> out;
  ArcState st;
  st.m_nArcInSize = static_cast<int32_t>(zip.size());
  ZipBitReader r(st, reinterpret_cast<const uint8_t*>(zip.data()));
  for (;;) {
    ZipHeader h;
    h.Read(r);
    if (h.signature != kZipLocalSig) break;
    EXPECT_TRUE(h.complete);
    EXPECT_EQ(h.flags & 8, 0) << "data descriptors: " << h.name;
    if (!h.name.empty() && h.name.back() == '/') continue;
    std::ostringstream data;
    ZipCrc32 sink(st, &data, h.uncompressedSize);
    EXPECT_TRUE(ZipExtractMember(r, h, sink)) << h.name;
    EXPECT_EQ(sink.Crc(), h.crc) << h.name;
    out[h.name] = data.str();
  }
  return out;
}

TEST(Oracle, ZipAnd7zArchivesExtract) {
  REQUIRE_TOOLS("python3", "zip", "7z");
  fs::path dir = Make("zip");
  for (const char* a : {"z0.zip", "z1.zip", "z9.zip", "7z.zip"}) {
    std::map<std::string, std::string> m = ExtractZip(testsupport::ReadFileBytes(dir / a));
    EXPECT_GE(m.size(), 6u) << a;
    for (const auto& [name, data] : m) EXPECT_EQ(data, testsupport::ReadFileBytes(dir / "src" / name)) << a << ": " << name;
  }
}

TEST(Oracle, OurZipPassesUnzipTest) {
  REQUIRE_TOOLS("python3", "unzip");
  fs::path dir = Make("sources");
  std::string zip, central;
  int count = 0;
  for (const char* name : {"text.txt", "rand.bin", "empty.bin", "one.bin", "k64p.bin", "dir1/sub/small.txt"}) {
    std::string src = testsupport::ReadFileBytes(dir / "src" / name);
    ZipHeader rec;
    rec.signature = kZipLocalSig;
    rec.method = 8;
    rec.versionNeeded = 20;
    rec.time = ArcDateTime{2024, 3, 5, 14, 7, 9};
    rec.name = name;
    uint32_t crc = 0;
    std::vector<uint8_t> comp = DeflateBytes(reinterpret_cast<const uint8_t*>(src.data()), src.size(), &crc);
    rec.crc = crc;
    rec.compressedSize = static_cast<int64_t>(comp.size());
    rec.uncompressedSize = static_cast<int64_t>(src.size());
    std::vector<uint8_t> bytes;
    rec.signature = kZipCentralSig;
    rec.BuildCentral(zip.size(), 0x20, bytes);
    central.append(bytes.begin(), bytes.end());
    rec.signature = kZipLocalSig;
    rec.BuildLocal(bytes);
    zip.append(bytes.begin(), bytes.end());
    zip.append(comp.begin(), comp.end());
    ++count;
  }
  std::vector<uint8_t> end;
  BuildZipEnd(static_cast<uint64_t>(count), central.size(), zip.size(), end);
  zip += central;
  zip.append(end.begin(), end.end());
  std::ofstream(dir / "ours.zip", std::ios::binary).write(zip.data(), static_cast<std::streamsize>(zip.size()));
  std::string cmd = "unzip -tq '" + (dir / "ours.zip").string() + "' > '" + (dir / "unzip.txt").string() + "' 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << testsupport::ReadFileBytes(dir / "unzip.txt");
  // And the walk reads it back.
  std::map<std::string, std::string> m = ExtractZip(zip);
  EXPECT_EQ(m.size(), 6u);
  EXPECT_EQ(m["text.txt"], testsupport::ReadFileBytes(dir / "src" / "text.txt"));
}

TEST(Oracle, LzhArchivesOfEveryLevelMatchLhasa) {
  REQUIRE_TOOLS("python3", "lha", "lhasa");
  fs::path dir = Make("lzh");
  const std::string japanese = "dir1/\x83\x5C\x83\x74\x83\x67\x95\x5C.txt";  // Shift-JIS
  for (int level = 0; level <= 2; ++level) {
    std::string name = "l" + std::to_string(level) + ".lzh";
    std::ifstream in(dir / name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    ArcBitReader r(in);
    LzhHeader h;
    std::string all;
    std::vector<std::string> paths;
    int lh5 = 0;
    while (h.Read(r)) {
      EXPECT_EQ(h.level, level);
      std::ostringstream out;
      LzhCrc16 sink(out, h.origSize);
      LzhExtractMember(r, h, sink);
      if (h.method == "-lhd-") continue;
      lh5 += h.method == "-lh5-";
      EXPECT_EQ(sink.Crc(), h.dataCrc) << h.OutputPath();
      EXPECT_EQ(sink.Count(), h.origSize);
      all += out.str();
      paths.push_back(h.OutputPath());
      EXPECT_TRUE(h.headerOk) << h.OutputPath();
    }
    EXPECT_GE(lh5, 3) << name;
    EXPECT_EQ(all, testsupport::ReadFileBytes(dir / ("l" + std::to_string(level) + ".out"))) << name;
    EXPECT_NE(std::find(paths.begin(), paths.end(), "dir1/sub/small.txt"), paths.end()) << name;
    EXPECT_NE(std::find(paths.begin(), paths.end(), japanese), paths.end()) << name;
  }
}

}  // namespace
}  // namespace arc
