// The JPEG codec against outside tools. Pictures come from ImageMagick, JPEG
// files from cjpeg, reference decodes from djpeg -dct int -nosmooth; our
// encoder's files are checked by jpeginfo, djpeg and Pillow. Everything is
// made at test time by make_jpegs.sh in a scratch folder of the build tree.
//
// Bounds: the decoder's fixed-point IDCT shifts round down, so its pictures
// come out about one level darker than djpeg's; colour files stay within
// PSNR >= 40 dB, max |difference| <= 12 and a mean difference in [-1.5, 0];
// greyscale within 47 dB and 6. Pictures under 4096 pixels or with a side
// under 8 are held to the largest difference only.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "jpeg_reference.h"
#include "jpeg_test_util.h"
#include "support/file_bytes.h"
#include "support/outside_tool.h"

namespace fs = std::filesystem;
using namespace jpegtest;

namespace {


fs::path Make(const std::string& what) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::path(TABRYE_BIN_ROOT) / "jpeg_oracles" / info->name();
  fs::remove_all(dir);
  std::string cmd = "sh '" TABRYE_TEST_ROOT "/tests/image/make_jpegs.sh' '" + dir.string() + "' " + what;
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return dir;
}

std::string Shell(const std::string& cmd, int* rc) {
  std::string out;
  FILE* f = popen(cmd.c_str(), "r");
  if (f == nullptr) {
    *rc = -1;
    return out;
  }
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  *rc = pclose(f);
  return out;
}

std::string Read(const fs::path& p) { return testsupport::ReadFileBytes(p); }

void ExpectNearDjpeg(const fs::path& jpg, const Planes& ours, const Planes& ref) {
  ASSERT_EQ(ours.width, ref.width) << jpg;
  ASSERT_EQ(ours.height, ref.height) << jpg;
  const bool grey = ref.components == 1;
  const bool small = int64_t(ref.width) * ref.height < 4096 || ref.width < 8 || ref.height < 8;
  Diff d = Compare(ours, ref);
  SCOPED_TRACE(jpg.filename().string() + ": psnr " + std::to_string(d.psnr) + " max " +
               std::to_string(d.maxAbs) + " mean " + std::to_string(d.mean));
  EXPECT_LE(d.maxAbs, grey ? 6 : 12);
  if (!small) {
    EXPECT_GE(d.psnr, grey ? 47.0 : 40.0);
    EXPECT_GE(d.mean, -1.5);
    EXPECT_LE(d.mean, 0.0);
  }
  if (grey) {
    EXPECT_EQ(ours.r, ours.g);
    EXPECT_EQ(ours.r, ours.b);
  }
}

TEST(JpegDecoderOracle, CjpegFilesOfEverySamplingMatchDjpeg) {
  REQUIRE_TOOLS("cjpeg", "djpeg", "convert");
  fs::path dir = Make("decoder");
  int count = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().extension() != ".jpg") continue;
    fs::path ref = e.path();
    ref.replace_extension(".ref.ppm");
    Planes want = ParsePnm(Read(ref));
    ASSERT_GT(want.width, 0) << ref;
    DecodeResult got = DecodeBytes(Read(e.path()));
    ASSERT_EQ(got.header, 0) << e.path();
    ASSERT_EQ(got.decode, 0) << e.path();
    ExpectNearDjpeg(e.path(), got.planes, want);
    // The bit-by-bit reference reader gives the very same planes.
    DecodeResult ref2 = DecodeBytes<ReferenceBits>(Read(e.path()));
    EXPECT_EQ(ref2.decode, 0);
    EXPECT_TRUE(ref2.planes == got.planes) << e.path();
    ++count;
  }
  EXPECT_EQ(count, 48);
}

TEST(JpegDecoderOracle, ProgressiveAndArithmeticFilesAreRefusedAtTheHeader) {
  REQUIRE_TOOLS("cjpeg", "convert");
  fs::path dir = Make("refusals");
  for (const char* name : {"progressive.jpg", "arithmetic.jpg"}) {
    std::string f = Read(dir / name);
    ASSERT_FALSE(f.empty());
    jpeg::JDecoder d;
    EXPECT_EQ(d.ReadHeader(reinterpret_cast<const uint8_t*>(f.data()), int64_t(f.size())), -2) << name;
  }
  // A scan cut short: quietly 0 without a restart interval, -1 with one.
  std::string plain = Read(dir / "plain.jpg");
  std::string restart = Read(dir / "restart.jpg");
  DecodeResult full = DecodeBytes(plain);
  ASSERT_EQ(full.decode, 0);
  DecodeResult cut = DecodeBytes(plain.substr(0, plain.size() * 2 / 3));
  EXPECT_EQ(cut.header, 0);
  EXPECT_EQ(cut.decode, 0);
  EXPECT_EQ(cut.planes.width, 64);
  // Cut just before a restart marker: the MCU is
  // complete and the search for its marker runs out of data.
  std::size_t rst = restart.find("\xFF\xD1", restart.find("\xFF\xDA"));
  ASSERT_NE(rst, std::string::npos);
  DecodeResult cutRestart = DecodeBytes(restart.substr(0, rst));
  EXPECT_EQ(cutRestart.header, 0);
  EXPECT_EQ(cutRestart.decode, -1);
  // Cut inside an MCU, the data ends while a code is read: a quiet end.
  EXPECT_EQ(DecodeBytes(restart.substr(0, rst - 1)).decode, 0);
  // Junk before SOI is ignored; a fill byte before a marker is a format error.
  DecodeResult junk = DecodeBytes(std::string("junk\xFF\x12 data") + plain);
  EXPECT_EQ(junk.decode, 0);
  EXPECT_TRUE(junk.planes == full.planes);
  std::string filled = plain;
  filled.insert(2, "\xFF");  // FF D8 FF FF E0 ...
  DecodeResult fill = DecodeBytes(filled);
  EXPECT_EQ(fill.header, -2);
}

// Flat four-component pictures (ImageMagick writes them as Adobe YCCK), so
// every block is DC only. Without a JFIF or Photoshop segment the first three
// components are converted as YCbCr, which gives what Pillow reports for the
// file (its inverted CMY); with the APP13 "Photoshop 3.0" segment exiftool
// adds, the luminance is replaced by the fourth component plus 128. The
// component values are taken back from Pillow's figures (K inverted, Cb and
// Cr from its RGB), so a rounding slack of 3 levels is allowed.
TEST(JpegDecoderOracle, FourComponentFilesFollowThePhotoFlag) {
  REQUIRE_TOOLS("convert", "exiftool");
  if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0) GTEST_SKIP() << "python3-pil missing";
  fs::path dir = Make("cmyk");
  std::string values = Read(dir / "cmyk_values.txt");
  for (const char* name : {"cmyk", "cmyk_ps"}) {
    std::size_t at = values.find(std::string(name) + " CMYK ");
    ASSERT_NE(at, std::string::npos) << values;
    int v[4];
    ASSERT_EQ(std::sscanf(values.c_str() + at + std::string(name).size() + 6, "%d %d %d %d", &v[0], &v[1], &v[2],
                          &v[3]),
              4);
    std::string f = Read(dir / (std::string(name) + ".jpg"));
    jpeg::JDecoder probe;
    ASSERT_EQ(probe.ReadHeader(reinterpret_cast<const uint8_t*>(f.data()), int64_t(f.size())), 0);
    const bool photo = std::string(name) == "cmyk_ps";
    EXPECT_EQ(probe.PhotoFlag(), photo ? 1 : 0) << name;
    EXPECT_EQ(probe.Components(), 4);
    DecodeResult got = DecodeBytes(f);
    ASSERT_EQ(got.decode, 0) << name;
    int r = v[0], g = v[1], b = v[2];
    if (photo) {
      auto clamp = [](double x) { return x < 0 ? 0 : x > 255 ? 255 : static_cast<int>(x); };
      const int cb = static_cast<int>(std::lround(-0.168736 * r - 0.331264 * g + 0.5 * b));
      const int cr = static_cast<int>(std::lround(0.5 * r - 0.418688 * g - 0.081312 * b));
      const int Y = (255 - v[3]) + 128;
      r = clamp(Y + ((1436 * cr) >> 10));
      g = clamp(Y - ((732 * cr) >> 10) - ((704 * cb) >> 11));
      b = clamp(Y + ((7256 * cb) >> 12));
    }
    const std::size_t k = 5 * std::size_t(got.planes.width) + 5;
    EXPECT_NEAR(got.planes.r[k], r, 3) << name;
    EXPECT_NEAR(got.planes.g[k], g, 3) << name;
    EXPECT_NEAR(got.planes.b[k], b, 3) << name;
  }
}

struct EncodeCase {
  const char* source;
  double minPsnr[3];
};

// Our encoder's files: jpeginfo finds no fault, djpeg decodes them silently,
// Pillow reads the JFIF header as written, size and quality rise with the
// level, and our decoder stays as close to djpeg as on cjpeg's files.
TEST(JpegEncoderOracle, FilesPassOutsideCheckersAndKeepTheirQuality) {
  REQUIRE_TOOLS("convert", "djpeg", "jpeginfo");
  const bool havePil = std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") == 0;
  fs::path dir = Make("encoder");
  const EncodeCase cases[] = {
      {"plasma", {33.0, 35.0, 36.7}},
      {"rose", {36.4, 39.8, 41.6}},
      {"s17", {0, 0, 0}},
      {"s1", {0, 0, 0}},
  };
  for (const EncodeCase& c : cases) {
    Planes src = ParsePnm(Read(dir / (std::string(c.source) + ".ppm")));
    ASSERT_GT(src.width, 0) << c.source;
    std::size_t lastSize = 0;
    double lastPsnr = 0;
    for (int level = 1; level <= 3; ++level) {
      SCOPED_TRACE(std::string(c.source) + " level " + std::to_string(level));
      std::string jpg = EncodePlanes(src, level);
      ASSERT_FALSE(jpg.empty());
      fs::path file = dir / (std::string(c.source) + "_" + std::to_string(level) + ".jpg");
      testsupport::WriteFileBytes(file, jpg);
      int rc;
      std::string info = Shell("jpeginfo -c '" + file.string() + "' 2>&1", &rc);
      EXPECT_EQ(rc, 0) << info;
      EXPECT_NE(info.find(" OK"), std::string::npos) << info;
      EXPECT_EQ(info.find("WARNING"), std::string::npos) << info;
      std::string err = Shell("djpeg -dct int -nosmooth -ppm -outfile '" + file.string() + ".ppm' '" +
                                file.string() + "' 2>&1",
                            &rc);
      EXPECT_EQ(rc, 0);
      EXPECT_EQ(err, "");
      Planes back = ParsePnm(Read(file.string() + ".ppm"));
      ASSERT_EQ(back.width, src.width);
      Diff d = Compare(back, src);
      if (c.minPsnr[0] > 0) {
        EXPECT_GE(d.psnr, c.minPsnr[level - 1]);
        EXPECT_GT(jpg.size(), lastSize);
        EXPECT_GT(d.psnr, lastPsnr);
      }
      std::printf("[ info ] %s level %d: %zu bytes, PSNR %.2f dB after djpeg\n", c.source, level, jpg.size(),
                  d.psnr);
      lastSize = jpg.size();
      lastPsnr = d.psnr;
      // Round trip through our own decoder.
      DecodeResult ours = DecodeBytes(jpg);
      ASSERT_EQ(ours.decode, 0);
      ExpectNearDjpeg(file, ours.planes, back);
      if (havePil) {
        std::string py = Shell(
            "/usr/bin/python3 -c \"from PIL import Image\n"
            "from PIL import JpegImagePlugin as J\n"
            "im = Image.open('" + file.string() + "')\n"
            "print(im.info.get('jfif_version'), im.info.get('dpi'), im.info.get('comment'), "
            "J.get_sampling(im), im.size, im.mode)\" 2>&1",
            &rc);
        EXPECT_EQ(rc, 0) << py;
        const std::string want = "(1, 2) (96, 96) b'JPEG by Dorvik' 2 (" + std::to_string(src.width) + ", " +
                                 std::to_string(src.height) + ") RGB\n";
        EXPECT_EQ(py, want);
      }
    }
  }
}

// The encoder's Huffman tables are the standard ones cjpeg writes when it
// does not optimise: the DHT segments are byte for byte the same.
TEST(JpegEncoderOracle, HuffmanTablesEqualCjpegsDefaultTables) {
  REQUIRE_TOOLS("cjpeg", "convert");
  fs::path dir = Make("refusals");
  std::string cj = Read(dir / "plain.jpg");
  Planes p = Synthetic(16, 16, 1);
  std::string ours = EncodePlanes(p, 3);
  for (int i = 0; i < 4; ++i) {
    const std::string seg(reinterpret_cast<const char*>(jpeg::kStandardDht[i].bytes),
                          static_cast<std::size_t>(jpeg::kStandardDht[i].size));
    // cjpeg joins the four tables into one or two segments; compare the tables.
    const std::string table = seg.substr(4);
    EXPECT_NE(cj.find(table), std::string::npos) << i;
    EXPECT_NE(ours.find(seg), std::string::npos) << i;
  }
}

}  // namespace
