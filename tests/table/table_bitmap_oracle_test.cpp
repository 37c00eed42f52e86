// Bitmap objects read back by an outside reader: BMP files of 1, 8 and 24
// bits made by ImageMagick are embedded, and a small OLE 1.0 reader in
// Python (tests/table/ole_object_reference.py) must find the same bytes in
// the object, in its fields and braces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/outside_tool.h"
#include "table/table_bitmap.h"
#include "table_test_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kReader = TABRYE_TEST_ROOT "/tests/table/ole_object_reference.py";

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

fs::path Folder(const char* name) {
  const fs::path dir = fs::path(TABRYE_BIN_ROOT) / name;
  fs::create_directories(dir);
  return dir;
}

// Embeds `bmp` and asks the reader; LENGTH the bytes the object must carry.
void ExpectReaderAgrees(const fs::path& bmp, std::size_t length, const fs::path& out) {
  const std::string bytes = ReadAll(bmp);
  ASSERT_FALSE(bytes.empty()) << bmp;
  std::vector<char> buf(1000000);
  std::uint32_t pos = 0;
  ASSERT_EQ(table::EmbedResult::kEmbedded,
            table::EmbedBitmapBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), buf.data(),
                                    &pos, static_cast<std::uint32_t>(buf.size()), 100, 100));
  std::ofstream(out, std::ios::binary) << std::string(buf.data(), pos);
  const std::string cmd =
      "python3 '" + kReader + "' '" + out.string() + "' '" + bmp.string() + "' " + std::to_string(length);
  EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
}

TEST(BitmapObjectOracle, ImageMagickBitmapsReadBackWhole) {
  REQUIRE_TOOLS("python3", "convert", "identify");
  const fs::path dir = Folder("table_bitmap_oracle");
  const struct {
    const char* name;
    const char* make;
    const char* bits;
  } cases[] = {
      {"b1.bmp", "-size 9x5 pattern:checkerboard -monochrome", "1"},
      {"b8.bmp", "-seed 7 -size 40x10 plasma:fractal -type palette -colors 200", "8"},
      {"b24.bmp", "-size 9x5 gradient:red-blue -type truecolor", "24"},
  };
  for (const auto& c : cases) {
    const fs::path bmp = dir / c.name;
    const std::string make = std::string("convert ") + c.make + " 'BMP3:" + bmp.string() + "'";
    ASSERT_EQ(0, std::system(make.c_str())) << make;
    // The file has the depth asked for (its info header's bit count).
    const std::string bytes = ReadAll(bmp);
    ASSERT_GT(bytes.size(), 30u);
    EXPECT_EQ(std::atoi(c.bits), static_cast<unsigned char>(bytes[28]) | static_cast<unsigned char>(bytes[29]) << 8)
        << c.name;
    ExpectReaderAgrees(bmp, bytes.size(), dir / (std::string(c.name) + ".rtf"));
  }
}

TEST(BitmapObjectOracle, AClaimOfOneMegabyteCarriesTheFilesBytes) {
  REQUIRE_TOOLS("python3", "convert");
  const fs::path dir = Folder("table_bitmap_oracle_claim");
  const fs::path bmp = dir / "claim.bmp";
  const std::string make = "convert -size 8x8 gradient:red-blue -type truecolor 'BMP3:" + bmp.string() + "'";
  ASSERT_EQ(0, std::system(make.c_str())) << make;
  std::string bytes = ReadAll(bmp);
  bytes.resize(300, '\0');
  const std::uint32_t claim = 1 << 20;
  for (int k = 0; k < 4; ++k) bytes[2 + k] = static_cast<char>(claim >> (8 * k));
  std::ofstream(bmp, std::ios::binary) << bytes;
  ExpectReaderAgrees(bmp, 300, dir / "claim.rtf");
}

TEST(BitmapObjectOracle, APictureCellReadsBack) {
  REQUIRE_TOOLS("python3", "convert");
  const fs::path dir = Folder("table_bitmap_oracle_cell");
  const fs::path bmp = dir / "cell.bmp";
  const std::string make = "convert -size 6x4 gradient:green-blue -type truecolor 'BMP3:" + bmp.string() + "'";
  ASSERT_EQ(0, std::system(make.c_str())) << make;
  table::RenderRequest req = tabletest::Cmd(table::kCmdRtfText);
  req.pictureFolder = dir.string() + "\\";
  const tabletest::Rendered r =
      tabletest::Render(tabletest::Row({"Im1", "cell.bmp", "6", "4"}) + tabletest::Row({"x", "[Im1"}), req);
  const fs::path out = dir / "cell.rtf";
  std::ofstream(out, std::ios::binary) << r.rtf;
  const std::string cmd = "python3 '" + kReader + "' '" + out.string() + "' '" + bmp.string() + "'";
  EXPECT_EQ(0, std::system(cmd.c_str())) << cmd;
}

}  // namespace
