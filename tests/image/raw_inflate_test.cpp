// The raw-deflate inflater's in-memory route: exact results, results longer
// than the limit clamped, and the rest of the limit cleared.
#include <gtest/gtest.h>

#include "image/load/raw_inflate.h"
#include "image_test_host.h"

namespace {

std::vector<uint8_t> Data(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 300);
  return v;
}

TEST(RawInflate, ExactAndClamped) {
  const std::vector<uint8_t> plain = Data(5000);
  const std::vector<uint8_t> packed = imgtest::Deflate(plain);
  for (int32_t limit : {5001, 5000, 4999, 100}) {
    std::vector<uint8_t> buf(packed.size() + 400 + 6000, 0xEE);
    std::copy(packed.begin(), packed.end(), buf.begin());
    const int32_t n = img::InflateRawInMemory(buf.data(), int32_t(packed.size()), limit, 9);
    const int32_t want = std::min<int32_t>(limit, 5000);
    EXPECT_GE(n, want - 1) << limit;
    EXPECT_LE(n, limit) << limit;
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + want, buf.begin())) << limit;
    if (limit > 5000) EXPECT_EQ(buf[5000], 0);
  }
}

TEST(RawInflate, BrokenStreamFails) {
  std::vector<uint8_t> buf(1000, 0);
  buf[0] = 0x07;  // block type 3
  EXPECT_LT(img::InflateRawInMemory(buf.data(), 10, 100, 2), 0);
  EXPECT_EQ(img::DeclaredInflateSize(0x7FFFFFFF), 0x7FFFFFF0u);
}

}  // namespace

#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "fw/file.h"
#include "support/temp_folder.h"

namespace {

// The library route's scratch archive passes the checked extraction of an
// archive file (what the unzip library runs).
TEST(RawInflate, LibraryImageIsAValidArchive) {
  const std::vector<uint8_t> plain = Data(3000);
  const std::vector<uint8_t> packed = imgtest::Deflate(plain);
  std::vector<uint8_t> buf(packed.size() + 400, 0);
  std::copy(packed.begin(), packed.end(), buf.begin());
  const int32_t count = img::BuildInflateZip(buf.data(), int32_t(packed.size()),
                                             img::DeclaredInflateSize(int32_t(packed.size())), true);
  testsupport::TempProgramFolder dir;
  const std::string zip = dir.File("temp.zip");
  {
    CFile f;
    ASSERT_TRUE(f.Open(zip.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    f.Write(buf.data(), UINT(count));
    f.Close();
  }
  arc::ArcState st;
  arc::DiskTarget target(dir.Path());
  const arc::ArcOutcome r = arc::UnzipOwn(st, zip, 0, 0, nullptr, false, target);
  EXPECT_EQ(r.result, 0) << r.Title();
}

}  // namespace
