// Bitmap objects in rich text: how much of a file is carried, the object's
// fields, the files and outputs that are skipped whole, and the picture
// cells of the ruled table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/scratch.h"
#include "table/table_bitmap.h"
#include "table_test_util.h"

using namespace tabletest;
using table::EmbedResult;

namespace {

// A BMP-like file of `n` bytes whose header records `recorded`, with a
// 40-byte info header of `w` x `h` pixels.
std::string FakeBmp(std::size_t n, std::uint32_t recorded, int w = 4, int h = 3) {
  std::string s(n, '\x5a');
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4 && at + k < n; ++k) s[at + k] = static_cast<char>(v >> (8 * k));
  };
  if (n >= 2) s[0] = 'B', s[1] = 'M';
  put(2, recorded);
  put(18, static_cast<std::uint32_t>(w));
  put(22, static_cast<std::uint32_t>(h));
  return s;
}

const std::uint8_t* U(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

int BraceBalance(const std::string& s) {
  int depth = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
      continue;
    }
    depth += s[i] == '{' ? 1 : s[i] == '}' ? -1 : 0;
  }
  return depth;
}

struct LengthCase {
  std::size_t fileLength;
  std::uint32_t recorded;
  std::size_t want;
};

TEST(BitmapDataLength, SmallerOfRecordedSizeAndFile) {
  const LengthCase cases[] = {
      {300, 200, 200},      // the header's own size
      {300, 1 << 20, 300},  // a header claiming 1 MB: the file's bytes only
      {300, 53, 300},       // below the header's 54 bytes: the file's length
      {300, 54, 54},
      {4, 0, 4},            // too short to hold a size
  };
  for (const LengthCase& c : cases) {
    const std::string f = FakeBmp(c.fileLength, c.recorded);
    EXPECT_EQ(c.want, table::BitmapDataLength(U(f), f.size())) << c.fileLength << " " << c.recorded;
  }
}

TEST(BitmapObjectText, FieldsOfA200ByteFile) {
  const std::string f = FakeBmp(200, 200);
  const std::string obj = table::BitmapObjectText(U(f), 200, 100, 60);
  EXPECT_EQ(0u, obj.find("\n{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw150\\objh90{\\*\\objdata\n"));
  // Header, then the native size 208 (200 padded to 16) little-endian.
  const std::string head = "01050000\n02000000\n07000000\n50427275736800\n00000000\n00000000\nd0000000\n";
  const std::size_t at = obj.find(head);
  ASSERT_NE(std::string::npos, at);
  // Hex lines of 64 digits; 208 bytes give 6 full lines and one of 32 digits.
  std::size_t p = at + head.size();
  for (int line = 0; line < 7; ++line) {
    const std::size_t e = obj.find("\r\n", p);
    ASSERT_NE(std::string::npos, e);
    EXPECT_EQ(line < 6 ? 64u : 32u, e - p) << line;
    p = e + 2;
  }
  EXPECT_EQ("01050000\n00000000\n}}", obj.substr(p));
  EXPECT_EQ(0, BraceBalance(obj));
  // The padding is zero bytes.
  EXPECT_NE(std::string::npos, obj.find("5a5a5a5a5a5a5a5a0000000000000000\r\n01050000"));
}

struct SkipCase {
  const char* name;
  std::size_t fileLength;
  std::uint32_t capacity;
  EmbedResult want;
};

TEST(EmbedBitmapBytes, SkipsWholeOrWritesWhole) {
  const SkipCase cases[] = {
      {"150,001 bytes", 150001, 4000000, EmbedResult::kTooLarge},
      {"150,000 bytes", 150000, 4000000, EmbedResult::kEmbedded},
      {"more than half the free output", 10001, 20000, EmbedResult::kTooLarge},
      // Half the free output, but the hex text and the reserve do not fit.
      {"does not fit", 9000, 20000, EmbedResult::kNoRoom},
      {"fits with the reserve", 1000, 20000, EmbedResult::kEmbedded},
  };
  for (const SkipCase& c : cases) {
    const std::string f = FakeBmp(c.fileLength, static_cast<std::uint32_t>(c.fileLength));
    std::vector<char> out(c.capacity + 1, '#');
    const std::string before = "{\\rtf1 row\\par ";
    std::memcpy(out.data(), before.data(), before.size());
    std::uint32_t pos = static_cast<std::uint32_t>(before.size());
    const std::vector<char> copy = out;
    EXPECT_EQ(c.want, table::EmbedBitmapBytes(U(f), f.size(), out.data(), &pos, c.capacity, 10, 10)) << c.name;
    if (c.want != EmbedResult::kEmbedded) {
      EXPECT_EQ(before.size(), pos) << c.name;
      EXPECT_TRUE(out == copy) << c.name << ": the output changed";
      continue;
    }
    ASSERT_LE(pos + table::kEmbedReserve, c.capacity) << c.name;
    EXPECT_EQ(0, out[pos]) << c.name;
    const std::string written(out.data() + before.size(), pos - before.size());
    EXPECT_EQ(0, BraceBalance(written)) << c.name;
    EXPECT_EQ(table::BitmapObjectText(U(f), f.size(), 10, 10), written) << c.name;
  }
}

TEST(EmbedBitmapBytes, SizeFromTheBitmapWhenNoneIsGiven) {
  const std::string f = FakeBmp(100, 100, 8, -6);
  const std::string obj = table::BitmapObjectText(U(f), 100, 80, 60);
  std::vector<char> out(50000);
  std::uint32_t pos = 0;
  ASSERT_EQ(EmbedResult::kEmbedded, table::EmbedBitmapBytes(U(f), f.size(), out.data(), &pos, 50000, 0, 0));
  EXPECT_EQ(obj, std::string(out.data(), pos));  // 8 x 6 pixels at 15 twips a pixel: 120 x 90
  EXPECT_NE(std::string::npos, obj.find("\\objw120\\objh90"));
}

// Writes pictures as BMP files by copying a prepared one.
class CopyConverter : public table::PictureConverter {
 public:
  CopyConverter(CString scratch, std::string bytes, int result) : scratch_(scratch), bytes_(bytes), result_(result) {}
  std::string ScratchBitmap() override { return scratch_.Str(); }
  int WriteAsBitmap(const std::string& path, const std::string& bmpPath) override {
    calls.push_back(path);
    if (result_ == 0) testsupport::WriteBytes(CString(bmpPath.c_str()), bytes_);
    return result_;
  }
  std::vector<std::string> calls;

 private:
  CString scratch_;
  std::string bytes_;
  int result_;
};

TEST(EmbedBitmapObject, OtherPicturesGoThroughTheConverter) {
  testsupport::Scratch dir;
  const std::string bmp = FakeBmp(120, 120);
  testsupport::WriteBytes(dir.Path("a.BMP"), bmp);
  std::vector<char> out(100000);
  struct Case {
    const char* name;
    int convertResult;
    EmbedResult want;
    std::size_t calls;
  };
  const Case cases[] = {
      {"a.BMP", 0, EmbedResult::kEmbedded, 0},   // read as it is, any case of ".bmp"
      {"b.png", 0, EmbedResult::kEmbedded, 1},   // converted first
      {"c.png", -1, EmbedResult::kCannotOpen, 1},
      {"missing.bmp", 0, EmbedResult::kCannotOpen, 0},
  };
  for (const Case& c : cases) {
    CopyConverter conv(dir.Path("DorvikTMP01.bmp"), bmp, c.convertResult);
    std::uint32_t pos = 0;
    EXPECT_EQ(c.want, table::EmbedBitmapObject(dir.Path(c.name).Str(), out.data(), &pos, 100000, 10, 10, &conv))
        << c.name;
    EXPECT_EQ(c.calls, conv.calls.size()) << c.name;
    EXPECT_EQ(c.want == EmbedResult::kEmbedded, pos > 0) << c.name;
  }
}

// The ruled table's picture cells.
struct Picture {
  std::string rtf;
  int objects = 0;
};

Picture RenderPictures(const std::string& table, const CString& folder, table::PictureConverter* conv) {
  table::RenderRequest req = Cmd(table::kCmdRtfText);
  req.pictureFolder = folder.Str() + "\\";
  req.pictureConverter = conv;
  Picture p;
  p.rtf = Render(table, req).rtf;
  for (std::size_t at = 0; (at = p.rtf.find("{\\object", at)) != std::string::npos; ++at) ++p.objects;
  return p;
}

TEST(PictureCells, DefinitionRowNamesTheFileAndSize) {
  testsupport::Scratch dir;
  const std::string bmp = FakeBmp(150, 150);
  testsupport::WriteBytes(dir.Path("pic.bmp"), bmp);
  testsupport::WriteBytes(dir.Path("image2.bmp"), bmp);
  struct Case {
    const char* name;
    std::string table;
    int objects;
    const char* shown;  // text that must stay in the rich text ("" none)
    const char* size;
  };
  const Case cases[] = {
      {"definition row", Row({"Im1", "pic.bmp", "40", "20"}) + Row({"a", "[Im1", "b"}), 1, "", "\\objw600\\objh300"},
      {"image%c.bmp without a row", Row({"a", "[Im2", "b"}), 1, "", "\\objw60\\objh45"},
      {"short names do not count", Row({"Im2", "x.b", "10", "10"}) + Row({"[Im2"}), 1, "", "\\objw150\\objh150"},
      {"large sizes", Row({"Im1", "pic.bmp", "10000", "10000"}) + Row({"[Im1"}), 1, "", "\\objw750\\objh450"},
      {"three digits are no picture", Row({"a", "[Im123", "b"}), 0, "[Im123", ""},
      {"a missing file leaves the text", Row({"a", "[Im7", "b"}), 0, "[Im7", ""},
      {"a formula cell stays text", Row({"a", "=1+2", "b"}), 0, "=1+2", ""},
  };
  for (const Case& c : cases) {
    const Picture p = RenderPictures(c.table, dir.Dir(), nullptr);
    EXPECT_EQ(c.objects, p.objects) << c.name;
    if (*c.shown) EXPECT_NE(std::string::npos, p.rtf.find(c.shown)) << c.name;
    if (*c.size) EXPECT_NE(std::string::npos, p.rtf.find(c.size)) << c.name;
    EXPECT_EQ(0, BraceBalance(p.rtf)) << c.name;
    // The cell text before the picture is written ahead of the object.
    if (c.objects) EXPECT_LT(p.rtf.find("\\tab"), p.rtf.find("{\\object")) << c.name;
  }
}

TEST(PictureCells, OtherPicturesAreConvertedToTheScratchBitmap) {
  testsupport::Scratch dir;
  CopyConverter conv(dir.Path("DorvikTMP01.bmp"), FakeBmp(90, 90), 0);
  const Picture p = RenderPictures(Row({"Im1", "photo.png", "10", "10"}) + Row({"[Im1"}), dir.Dir(), &conv);
  EXPECT_EQ(1, p.objects);
  ASSERT_EQ(1u, conv.calls.size());
  EXPECT_EQ(dir.Path("photo.png").Str(), conv.calls[0]);
}

TEST(PictureCells, WithoutAFolderCellsStayText) {
  const Rendered r = Render(Row({"[Im1"}), Cmd(table::kCmdRtfText));
  EXPECT_EQ(std::string::npos, r.rtf.find("{\\object"));
  EXPECT_NE(std::string::npos, r.rtf.find("[Im1"));
}

}  // namespace
