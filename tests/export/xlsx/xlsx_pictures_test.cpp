// Pictures of the format section copied into the package: numbered over the
// whole run, a failed copy keeping its number, names resolved beside the
// macro or the table, compressed bitmaps unpacked (never a stale bitmap of
// an earlier one), and only real picture files copied.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/arc_crc.h"
#include "export/part_sink.h"
#include "export/xlsx/xlsx_pictures.h"
#include "export/xlsx/xlsx_run.h"
#include "export/xlsx/xlsx_shape_record.h"
#include "fw/file.h"
#include "fw/path.h"
#include "support/in_folder.h"
#include "support/temp_folder.h"

namespace {

using namespace xlsx;

struct Host : XlsxRunHost {
  std::vector<std::string> messages;
  int ReportMessage(int, const CString&) override { return 1; }
  void ShowMessage(const CString& text) override { messages.push_back(text.GetString()); }
  CString CannotOpenText(const CString& path) override { return path; }
  int CreateArchive(const CString&, const std::vector<CString>&, const CString&) override { return -1; }
  bool AskMakeWritable(const CString&) override { return false; }
  void ShowWriteProtected(const CString&) override {}
};

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "png body";
const std::string kJpeg = "\xFF\xD8\xFF\xE0jpeg body";
const std::string kGif = "GIF89a gif body";
const std::string kBmp = "BM bitmap body";
const std::string kTiff = std::string("II*\0", 4) + "tiff body";

void Put(const std::string& path, const std::string& bytes) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
  f.Close();
}

bool Exists(const std::string& path) {
  CFileStatus st;
  return CFile::GetStatus(path.c_str(), st) != 0;
}

void Le(std::string& s, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A ZIP archive of stored members.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string out, central;
  for (const auto& m : members) {
    const std::uint32_t crc = arc::Crc32(reinterpret_cast<const std::uint8_t*>(m.second.data()), m.second.size());
    const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    Le(out, 0x04034b50, 4);
    Le(out, 20, 2), Le(out, 0, 2), Le(out, 0, 2), Le(out, 0, 2), Le(out, 0x21, 2);
    Le(out, crc, 4), Le(out, static_cast<std::uint32_t>(m.second.size()), 4);
    Le(out, static_cast<std::uint32_t>(m.second.size()), 4);
    Le(out, static_cast<std::uint32_t>(m.first.size()), 2), Le(out, 0, 2);
    out += m.first + m.second;
    Le(central, 0x02014b50, 4);
    Le(central, 20, 2), Le(central, 20, 2), Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 2);
    Le(central, 0x21, 2), Le(central, crc, 4);
    Le(central, static_cast<std::uint32_t>(m.second.size()), 4);
    Le(central, static_cast<std::uint32_t>(m.second.size()), 4);
    Le(central, static_cast<std::uint32_t>(m.first.size()), 2);
    Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 2), Le(central, 0, 4);
    Le(central, offset, 4);
    central += m.first;
  }
  const std::uint32_t at = static_cast<std::uint32_t>(out.size());
  out += central;
  Le(out, 0x06054b50, 4);
  Le(out, 0, 2), Le(out, 0, 2);
  Le(out, static_cast<std::uint32_t>(members.size()), 2), Le(out, static_cast<std::uint32_t>(members.size()), 2);
  Le(out, static_cast<std::uint32_t>(central.size()), 4), Le(out, at, 4), Le(out, 0, 2);
  return out;
}

// A run over one program folder that holds the table and its pictures.
struct Pictures {
  testsupport::TempProgramFolder dir;
  XlsxRun run;
  Host host;
  exportcore::MemoryPartSink sink;
  XlsxPictureFolders folders;
  std::string text;

  Pictures() {
    folders.programDir = dir.Path().c_str();
    folders.tablePath = (dir.Path() + "\\table.csv").c_str();
  }
  std::string P(const std::string& name) const { return dir.Path() + "\\" + name; }
  // The picture lines of one sheet, copied in order.
  bool Sheet(std::uint32_t number, const std::vector<std::string>& names, bool html = false) {
    run.sheet.number = number;
    std::vector<XlsxShapeRecord> shapes;
    for (const std::string& n : names) {
      XlsxShapeRecord r;
      r.rec.c[19] = 'p';
      r.textPos = static_cast<std::int64_t>(text.size());
      text += n + "\x06\r\n";
      shapes.push_back(r);
      XlsxShapeRecord other;  // a region between the pictures
      other.rec.c[19] = 'M';
      shapes.push_back(other);
    }
    return XlsxCopySheetPictures(run, text.data(), text.size(), shapes, folders, sink, host, html);
  }
  std::string Media(int n) const {
    auto it = sink.parts.find("xl/media/image" + std::to_string(n) + ".png");
    return it == sink.parts.end() ? std::string("(none)") : it->second;
  }
};

TEST(XlsxPictures, NumberedInLineOrderAcrossSheets) {
  Pictures p;
  Put(p.P("a.png"), kPng);
  Put(p.P("b.jpg"), kJpeg);
  Put(p.P("c.gif"), kGif);
  Put(p.P("d.bmp"), kBmp);
  Put(p.P("e.tif"), kTiff);
  EXPECT_TRUE(p.Sheet(1, {"a.png", "b.jpg", "c.gif"}));
  EXPECT_TRUE(p.Sheet(2, {"d.bmp", "e.tif"}));
  EXPECT_EQ(p.Media(1), kPng);
  EXPECT_EQ(p.Media(2), kJpeg);  // a JPEG keeps its bytes under ".png"
  EXPECT_EQ(p.Media(3), kGif);
  EXPECT_EQ(p.Media(4), kBmp);
  EXPECT_EQ(p.Media(5), kTiff);
  EXPECT_EQ(p.run.XlsxPictureCount[1], 3);
  EXPECT_EQ(p.run.XlsxPictureCount[2], 2);
  EXPECT_EQ(p.run.XlsxPictureNumber, 5);
  EXPECT_TRUE(p.host.messages.empty());
  p.run.Clear();
  EXPECT_EQ(p.run.XlsxPictureNumber, 0);
}

TEST(XlsxPictures, FailedCopyKeepsItsNumber) {
  Pictures p;
  Put(p.P("a.png"), kPng);
  Put(p.P("b.png"), kPng + "2");
  p.run.XlsxPictureCount[1] = -1;  // the worksheet referred to a drawing already
  EXPECT_TRUE(p.Sheet(1, {"a.png", "missing.png", "b.png"}));
  EXPECT_EQ(p.Media(1), kPng);
  // The unreadable one keeps its number, with a one-pixel stand-in, so that
  // the drawing's link to it has its part.
  EXPECT_EQ(p.Media(2).size(), 70u);
  EXPECT_EQ(p.Media(2).compare(0, 8, "\x89PNG\r\n\x1A\n"), 0);
  EXPECT_EQ(p.Media(3), kPng + "2");
  EXPECT_EQ(p.run.XlsxPictureCount[1], 3);
  ASSERT_EQ(p.host.messages.size(), 1u);
  EXPECT_EQ(p.host.messages[0], "image file copy eror\n" + p.P("missing.png"));
}

TEST(XlsxPictures, OnlyPictureFilesAreCopied) {
  Pictures p;
  Put(p.P("notes.png"), "a plain text file\r\n");
  Put(p.P("empty.png"), "");
  Put(p.P("B.png"), "B");  // too short even for a signature
  EXPECT_TRUE(p.Sheet(1, {"notes.png", "empty.png", "B.png"}));
  EXPECT_EQ(p.sink.parts.size(), 3u);  // a stand-in for each
  for (std::int32_t n = 1; n <= 3; ++n) EXPECT_EQ(p.Media(n).size(), 70u) << n;
  ASSERT_EQ(p.host.messages.size(), 3u);
  EXPECT_EQ(p.host.messages[0], "image file copy eror\n" + p.P("notes.png"));
  EXPECT_EQ(p.run.XlsxPictureNumber, 3);
  EXPECT_TRUE(XlsxIsPictureBytes(kTiff.data(), kTiff.size()));
  EXPECT_TRUE(XlsxIsPictureBytes("MM\0*", 4));
  EXPECT_FALSE(XlsxIsPictureBytes("GIF90a", 6));
  EXPECT_FALSE(XlsxIsPictureBytes("\x89PNG", 4));
}

TEST(XlsxPictures, NamesResolvedBesideTheMacroOrTheTable) {
  XlsxPictureFolders f;
  f.tablePath = "C:\\data\\t.csv";
  EXPECT_STREQ(XlsxResolvePicturePath("a.png", f).GetString(), "C:\\data\\a.png");
  f.macroDir = "C:\\macros";
  EXPECT_STREQ(XlsxResolvePicturePath("a.png", f).GetString(), "C:\\macros\\a.png");
  // A '\' anywhere: used as it stands.
  EXPECT_STREQ(XlsxResolvePicturePath("sub\\a.png", f).GetString(), "sub\\a.png");
  EXPECT_STREQ(XlsxResolvePicturePath("D:\\x\\a.png", f).GetString(), "D:\\x\\a.png");
  // A trail byte 0x5C is no '\' ("表.png").
  EXPECT_STREQ(XlsxResolvePicturePath("\x95\x5C.png", f).GetString(), "C:\\macros\\\x95\x5C.png");

  // Up to 99 bytes, never half a double-byte character.
  const std::string longName = std::string(98, 'n') + "\x95\x5C" + "x\x06";
  EXPECT_EQ(XlsxPictureName(longName.data(), longName.size(), 0), std::string(98, 'n'));
  EXPECT_EQ(XlsxPictureName("ab\x06", 3, 0), "ab");
  EXPECT_EQ(XlsxPictureName("ab", 2, -1), "");
}

TEST(XlsxPictures, NameWithBackslashIsUsedAsItStands) {
  Pictures p;
  const std::string sub = p.dir.Path() + "\\sub";
  ASSERT_TRUE(fw::MakeDir(sub.c_str()));
  Put(sub + "\\p.gif", kGif);
  testsupport::InFolder in(CString(p.dir.Path().c_str()));
  ASSERT_TRUE(in.ok);
  p.folders.macroDir = "nowhere";
  EXPECT_TRUE(p.Sheet(1, {"sub\\p.gif"}));
  EXPECT_EQ(p.Media(1), kGif);
}

TEST(XlsxPictures, CompressedBitmapIsUnpacked) {
  Pictures p;
  Put(p.P("photo.BMZ"), StoredZip({{"Dorvik1.bmp", kBmp}}));
  EXPECT_TRUE(p.Sheet(1, {"photo.BMZ"}));
  EXPECT_EQ(p.Media(1), kBmp);
  EXPECT_TRUE(Exists(p.dir.Path() + "\\TMP\\photo.zip"));
  EXPECT_TRUE(p.host.messages.empty());
}

TEST(XlsxPictures, CompressedBitmapNeverReusesAnOlderOne) {
  Pictures p;
  Put(p.P("one.bmz"), StoredZip({{"Dorvik1.bmp", kBmp}}));
  Put(p.P("two.bmz"), StoredZip({{"other.bmp", kBmp + "2"}}));
  Put(p.P("three.bmz"), "not an archive");
  EXPECT_TRUE(p.Sheet(1, {"one.bmz", "two.bmz", "three.bmz"}));
  EXPECT_EQ(p.Media(1), kBmp);
  EXPECT_EQ(p.Media(2).size(), 70u);  // the one-pixel stand-ins
  EXPECT_EQ(p.Media(3).size(), 70u);
  const std::string bitmap = p.dir.Path() + "\\TMP\\ARCHTMP\\Dorvik1.bmp";
  ASSERT_EQ(p.host.messages.size(), 2u);
  EXPECT_EQ(p.host.messages[0], "image file copy eror\n" + bitmap);
  EXPECT_EQ(p.host.messages[1], "image file copy eror\n" + bitmap);
}

TEST(XlsxPictures, HtmlModeCopiesNothing) {
  Pictures p;
  Put(p.P("a.png"), kPng);
  EXPECT_TRUE(p.Sheet(1, {"a.png", "a.png"}, true));
  EXPECT_TRUE(p.sink.parts.empty());
  EXPECT_EQ(p.run.XlsxPictureNumber, 2);
  EXPECT_TRUE(p.host.messages.empty());
}

TEST(XlsxPictures, RefusedMediaPartIsThePartFailure) {
  Pictures p;
  Put(p.P("a.png"), kPng);
  p.sink.refuse = "xl/media/image1.png";
  EXPECT_FALSE(p.Sheet(1, {"a.png"}));
  EXPECT_TRUE(p.sink.AnyFailed());
  EXPECT_EQ(p.sink.FirstFailure(), "xl/media/image1.png");
}

}  // namespace
