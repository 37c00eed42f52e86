// The picture table and the picture extraction: picture entries found in
// drawing records (the picture inside the entry, or at its delay offset), the
// markers by type letter, and the copy of picture N by the rules of the
// file's kind, written byte for byte through the saver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "convert/convert_host.h"
#include "convert/office_pictures.h"
#include "convert/render_frame.h"
#include "core/docsvc/backup.h"
#include "fw/alloc.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace {

using convert::OfficePicture;
using convert::OfficePictureTable;

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

const std::string kJpeg = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11) + std::string(200, 'j') + "\xFF\xD9";

// A blip record (8-byte header, 16-byte id, a tag byte) holding `picture`.
std::string Blip(const std::string& picture) {
  std::string b(8 + 17, '\0');
  b[0] = 0xA0;
  b[1] = 0x46;
  b[2] = 0x1D;
  b[3] = static_cast<char>(0xF0);
  Put32(b, 4, static_cast<std::uint32_t>(17 + picture.size()));
  return b + picture;
}

// A picture entry (0xF007) of type letter `type`; with `inner` the blip follows
// inside the entry, else the entry names `delay`.
std::string Entry(std::uint8_t type, const std::string& inner, std::uint32_t delay = 0xFFFFFFFF) {
  std::string e(8 + 36, '\0');
  e[0] = static_cast<char>(type);
  e[2] = 0x07;
  e[3] = static_cast<char>(0xF0);
  Put32(e, 4, static_cast<std::uint32_t>(36 + inner.size()));
  Put32(e, 8 + 20, static_cast<std::uint32_t>(inner.size()));
  Put32(e, 8 + 28, delay);
  return e + inner;
}

TEST(OfficePictures, MarkersByTypeLetter) {
  const struct {
    int type;
    int number;
    const char* marker;
  } cases[] = {{0x52, 1, "[Image1]JPG"}, {0x62, 12, "[Image12]PNG"}, {0x22, 3, "[Graph]"},
               {0x32, 4, "[WorkSheet]"}, {0x00, 5, "[Object]"}, {0x72, 6, "[Object]"}};
  for (const auto& c : cases)
    EXPECT_STREQ(c.marker, convert::PictureMarker(static_cast<std::uint8_t>(c.type), c.number)) << c.type;
}

TEST(OfficePictures, EntriesGiveThePicturesTheyHoldOrName) {
  // [pad][entry with the JPEG inside][entry naming the delay area][pad] ... delay: [blip]
  const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(50, 'p');
  std::string head(40, 'x');
  const std::int32_t firstAt = static_cast<std::int32_t>(head.size());
  head += Entry(0x52, Blip(kJpeg));
  const std::int32_t delayOffset = 10;
  head += Entry(0x62, "", delayOffset);
  head += Entry(0x22, "");  // a metafile named nowhere: no data
  const std::int32_t end = static_cast<std::int32_t>(head.size());
  const std::int32_t delayFrom = end + 5;
  head += std::string(5 + delayOffset, 'd') + Blip(png) + "tail";
  OfficePictureTable table;
  EXPECT_EQ(3, convert::FillPicturesFromDrawing(reinterpret_cast<const std::uint8_t*>(head.data()), 0, end,
                                                delayFrom, static_cast<std::int32_t>(head.size()), table));
  ASSERT_EQ(3, table.Count());
  EXPECT_EQ(0x52, table.At(0).type);
  EXPECT_EQ(kJpeg, head.substr(static_cast<std::size_t>(table.At(0).position), static_cast<std::size_t>(table.At(0).size)));
  EXPECT_EQ(firstAt + 8 + 36 + 25, table.At(0).position);
  EXPECT_EQ(0x62, table.At(1).type);
  EXPECT_EQ(png, head.substr(static_cast<std::size_t>(table.At(1).position), static_cast<std::size_t>(table.At(1).size)));
  EXPECT_EQ(0x22, table.At(2).type);
  EXPECT_EQ(0, table.At(2).size);
  // The table keeps 400 entries.
  OfficePictureTable full;
  for (int i = 0; i < OfficePictureTable::kMax; ++i) EXPECT_TRUE(full.Add(OfficePicture{}));
  EXPECT_FALSE(full.Add(OfficePicture{}));
  // An entry cut by the range's end reads nothing past it.
  const std::string cut = Entry(0x52, Blip(kJpeg));
  std::vector<std::uint8_t> exact(cut.begin(), cut.begin() + 60);
  OfficePictureTable some;
  convert::FillPicturesFromDrawing(exact.data(), 0, static_cast<std::int32_t>(exact.size()), 0, 0, some);
  for (int i = 0; i < some.Count(); ++i) EXPECT_LE(some.At(i).position + some.At(i).size, 60);
}

class RecordingHost : public convert::ConvertHost {
 public:
  int LoadPicture(const CString& path, int loadMode) override {
    paths.push_back(std::string(path));
    modes.push_back(loadMode);
    return 0;
  }
  std::vector<std::string> paths;
  std::vector<int> modes;
};

struct Extraction {
  testsupport::TempProgramFolder prog;
  convert::RenderJob job;
  RecordingHost host;

  Extraction(const std::string& head, int kind, int number) {
    docsvc::EnsureScratchFolders(prog.Path().c_str());
    job.m_pConvData = static_cast<std::uint8_t*>(fw::Alloc(head.size()));
    std::memcpy(job.m_pConvData, head.data(), head.size());
    job.headCapacity = head.size();
    job.readSize = static_cast<std::int32_t>(head.size());
    job.m_nFileKind = kind;
    job.m_nExtractNo = number;
    job.m_strProgramDir = prog.Path().c_str();
    job.host = &host;
  }
  ~Extraction() { convert::EndRender(job); }
  std::string Written(const char* name) { return testsupport::ReadFileBytes(prog.File(std::string("TMP/") + name)); }
};

TEST(OfficePictures, ExtractionCopiesPictureNByTheKindsRules) {
  // Word (kind 2): the recorded bytes as they are.
  {
    std::string head = std::string(100, 'a') + kJpeg + "zz";
    Extraction x(head, 2, 1);
    x.job.pictures.Add({0x52, 100, static_cast<std::int32_t>(kJpeg.size())});
    EXPECT_EQ(0, convert::ExtractOfficePicture(x.job));
    EXPECT_EQ(kJpeg, x.Written("pdftmp.jpg"));
    ASSERT_EQ(1u, x.host.paths.size());
    EXPECT_EQ(13, x.job.m_nFileKind);
    EXPECT_EQ(x.host.paths[0], std::string(x.job.m_strConvImage));
  }
  // A number above 199 counts as 1; a number past the table extracts nothing.
  {
    std::string head = std::string(10, 'a') + kJpeg;
    Extraction x(head, 2, 250);
    x.job.pictures.Add({0x52, 10, static_cast<std::int32_t>(kJpeg.size())});
    convert::ExtractOfficePicture(x.job);
    EXPECT_EQ(kJpeg, x.Written("pdftmp.jpg"));
    Extraction y(head, 2, 2);
    y.job.pictures.Add({0x52, 10, static_cast<std::int32_t>(kJpeg.size())});
    convert::ExtractOfficePicture(y.job);
    EXPECT_TRUE(y.host.paths.empty());
  }
  // PowerPoint (kind 1): from the Pictures stream's start, past the record
  // header, forward to the JPEG signature; the size shrinks by the bytes skipped.
  {
    std::string head = std::string(64, 's') + std::string(8, 'h') + std::string(17, 'u') + kJpeg;
    Extraction x(head, 1, 1);
    x.job.pictures.picturesStart = 64;
    x.job.pictures.Add({0x52, 0, static_cast<std::int32_t>(17 + kJpeg.size())});
    convert::ExtractOfficePicture(x.job);
    EXPECT_EQ(kJpeg, x.Written("pdftmp.jpg"));
  }
  // Excel (kind 3): continuation headers are left out and the copy reads on
  // past the recorded end until it holds the recorded size.
  {
    const std::string a = kJpeg.substr(0, 100), b = kJpeg.substr(100);
    std::string head = std::string(20, 'e') + a + std::string("\x3C\x00\x20\x20", 4) + b + "rest";
    Extraction x(head, 3, 1);
    x.job.pictures.Add({0x52, 20, static_cast<std::int32_t>(kJpeg.size())});
    convert::ExtractOfficePicture(x.job);
    EXPECT_EQ(kJpeg, x.Written("pdftmp.jpg"));
  }
  // A picture running past the data: only the bytes held are written.
  {
    std::string head = std::string(10, 'a') + kJpeg.substr(0, 50);
    Extraction x(head, 2, 1);
    x.job.pictures.Add({0x52, 10, 5000});
    convert::ExtractOfficePicture(x.job);
    EXPECT_EQ(kJpeg.substr(0, 50), x.Written("pdftmp.jpg"));
  }
  // No memory for the copy: string 152 and " 013", nothing written.
  {
    std::string head = std::string(10, 'a') + kJpeg;
    Extraction x(head, 2, 1);
    x.job.pictures.Add({0x52, 10, static_cast<std::int32_t>(kJpeg.size())});
    fw::alloctest::Reset();
    fw::alloctest::FailAt(1);
    EXPECT_EQ(-1, convert::ExtractOfficePicture(x.job));
    fw::alloctest::Reset();
    const std::string text(x.job.out.Data(), x.job.out.Size());
    EXPECT_EQ(" 013", text.substr(text.size() - 4));
    EXPECT_TRUE(x.host.paths.empty());
  }
}

}  // namespace
