// The zipped-bitmap loader's in-memory route: plain, streamed and ZIP64-marked
// members, sizes past the memory settings, members shorter than their pixels.
#include <gtest/gtest.h>

#include "archive/arc_crc.h"
#include "image_test_host.h"

using namespace imgtest;

namespace {

uint32_t Crc32(const std::vector<uint8_t>& d) {
  uint32_t c = 0xFFFFFFFFu;
  for (uint8_t b : d) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// A one-member ZIP: sizes in the local header, or (streamed) 0 there with a
// data descriptor; `marker` puts 0xFFFFFFFF into the local sizes.
std::vector<uint8_t> MakeZip(const std::string& name, const std::vector<uint8_t>& data, bool streamed,
                             bool marker = false, uint32_t declared = 0) {
  const std::vector<uint8_t> packed = Deflate(data);
  const uint32_t crc = Crc32(data);
  const uint32_t size = declared ? declared : uint32_t(data.size());
  std::vector<uint8_t> v;
  auto header = [&](bool central) {
    Le32(v, central ? 0x02014B50 : 0x04034B50);
    if (central) Le16(v, 20);
    Le16(v, 20);
    Le16(v, streamed ? 8 : 0);
    Le16(v, 8);
    Le32(v, 0);
    const bool blank = streamed && !central;
    Le32(v, blank ? 0 : crc);
    Le32(v, blank ? 0 : marker && !central ? 0xFFFFFFFFu : uint32_t(packed.size()));
    Le32(v, blank ? 0 : marker && !central ? 0xFFFFFFFFu : size);
    Le16(v, uint16_t(name.size()));
    Le16(v, 0);
    if (central) {
      Le16(v, 0);
      Le16(v, 0);
      Le16(v, 0);
      Le32(v, 0);
      Le32(v, 0);
    }
    v.insert(v.end(), name.begin(), name.end());
  };
  header(false);
  v.insert(v.end(), packed.begin(), packed.end());
  if (streamed) {
    Le32(v, 0x08074B50);
    Le32(v, crc);
    Le32(v, uint32_t(packed.size()));
    Le32(v, size);
  }
  const uint32_t cd = uint32_t(v.size());
  header(true);
  const uint32_t cdSize = uint32_t(v.size()) - cd;
  Le32(v, 0x06054B50);
  Le32(v, 0);
  Le16(v, 1);
  Le16(v, 1);
  Le32(v, cdSize);
  Le32(v, cd);
  Le16(v, 0);
  return v;
}

std::vector<uint8_t> Bitmap() {
  BmpLayout s;
  s.width = 7;
  s.height = 5;
  s.bits = 8;
  for (int k = 0; k < 256; ++k) s.table.insert(s.table.end(), {uint8_t(k), 0, 0, 0});
  return MakeBmp(s);
}

void ExpectBitmap(const Record& rec, const std::vector<uint8_t>& bmp) {
  EXPECT_EQ(rec.m_nLoadWidth, 7);
  EXPECT_EQ(rec.m_nLoadHeight, 5);
  EXPECT_EQ(rec.Header().biBitCount, 8);
  EXPECT_EQ(rec.m_bmiLoad[40 + 4 * 9], 9);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(rec.m_pLoadBits[i], bmp[14 + 40 + 1024 + i]) << i;
}

TEST(BmzLoad, MembersOfEveryForm) {
  const std::vector<uint8_t> bmp = Bitmap();
  for (int form = 0; form < 3; ++form) {
    const std::vector<uint8_t> zip =
        form == 0 ? MakeZip("Dorvik1.bmp", bmp, false) : form == 1 ? MakeZip("other.bmp", bmp, true)
                                                                   : MakeZip("-", bmp, false, true);
    Record rec;
    RecordingHost host;
    ASSERT_EQ(Load(rec, host, zip, img::kKindBmz).result, 0) << form;
    ExpectBitmap(rec, bmp);
    EXPECT_EQ(host.LastStatus(), "Bitmap(zip) 8 bit");
    EXPECT_LE(uint64_t(rec.m_nLoadHeight) * rec.m_nLoadStride, rec.m_nLoadDataSize);
  }
}

TEST(BmzLoad, DeclaredSizeOverTheSettingGives210) {
  const std::vector<uint8_t> zip = MakeZip("Dorvik1.bmp", Bitmap(), false, false, 30u << 20);
  Record rec;
  RecordingHost host;
  host.textBufSize = 20u << 20;
  EXPECT_EQ(Load(rec, host, zip, img::kKindBmz).result, -1);
  EXPECT_EQ(host.boxes, std::vector<unsigned>{210});
}

// Fault: short data, a member shorter than its pixel offset, a header cut off.
TEST(BmzLoad, ShortFormsFailCleanly) {
  std::vector<uint8_t> bmp = Bitmap();
  RecordingHost host;
  {
    Record rec;
    const std::vector<uint8_t> z = MakeZip("Dorvik1.bmp", bmp, false);
    EXPECT_EQ(Load(rec, host, std::vector<uint8_t>(z.begin(), z.begin() + 25), img::kKindBmz).result, -1);
  }
  {
    std::vector<uint8_t> cut(bmp.begin(), bmp.begin() + 14 + 40 + 100);
    Record rec;
    EXPECT_EQ(Load(rec, host, MakeZip("Dorvik1.bmp", cut, false), img::kKindBmz).result, -1);
  }
  {
    std::vector<uint8_t> cut(bmp.begin(), bmp.begin() + 30);
    Record rec;
    EXPECT_EQ(Load(rec, host, MakeZip("Dorvik1.bmp", cut, true), img::kKindBmz).result, -1);
  }
}

}  // namespace
