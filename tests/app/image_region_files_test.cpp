// The region's files under Wine, in-process: the region saved as PNG, JPEG,
// BMP and zipped bitmap (read back through the document's own loader), the
// marked names refused, a declined overwrite, the saved file shown; and a
// 4-bit picture file inserted into a region, surviving an update of the
// views.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fw/file_bytes.h"
#include "fw/fwtext.h"
#include "fw/uihooks.h"
#include "image_edit_fixture.h"
#include "res/resource.h"

namespace {

using imageedittest::ImageEditTest;
using imageedittest::LoadedRows;
using imageviewtest::Bmp24;

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::vector<std::uint8_t> b;
  fw::ReadFileBytes(path.c_str(), &b);
  return b;
}

// The 24-bit rows of a picture file as the document's loader reads it.
std::vector<std::uint8_t> RowsOf(app::DocHost* doc, const std::string& path, const std::string& scratch, int* w,
                                 int* h) {
  if (doc->LoadImageForDoc(path.c_str(), scratch.c_str()) != 0) return {};
  const std::vector<std::uint8_t> bmp = FileBytes(scratch);
  if (bmp.size() < 54) return {};
  const img::DibHeader hd = img::ReadDibHeader(bmp.data() + 14);
  *w = hd.biWidth;
  *h = hd.biHeight;
  if (hd.biBitCount != 24) return {};
  return std::vector<std::uint8_t>(bmp.begin() + img::GetLe32(bmp.data() + 10), bmp.end());
}

// The rows of the region (x0, y0, w x h) of Bmp24's pattern.
std::vector<std::uint8_t> PatternRows(int x0, int y0, int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride * h), 0);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      const int px = x0 + x, py = y0 + h - 1 - row;
      std::uint8_t* p = rows.data() + row * stride + x * 3;
      p[0] = static_cast<std::uint8_t>(px);
      p[1] = static_cast<std::uint8_t>(py);
      p[2] = static_cast<std::uint8_t>(px + py);
    }
  return rows;
}

// A 4-bit BMP of w x h: colour i of the table is (16 i, 255 - 16 i, i);
// pixel (x, y from the top) takes colour (x + y) mod 16.
std::string Bmp4(int w, int h) {
  const int stride = ((w * 4 + 31) / 32) * 4;
  const int offset = 14 + 40 + 64;
  std::string b(static_cast<std::size_t>(offset + stride * h), '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<std::uint32_t>(b.size()));
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  b[26] = 1;
  b[28] = 4;
  put32(34, static_cast<std::uint32_t>(stride * h));
  put32(46, 16);
  for (int i = 0; i < 16; ++i) {
    b[54 + 4 * i] = static_cast<char>(i);                  // blue
    b[54 + 4 * i + 1] = static_cast<char>(255 - 16 * i);  // green
    b[54 + 4 * i + 2] = static_cast<char>(16 * i);        // red
  }
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      const int y = h - 1 - row, c = (x + y) % 16;
      char& byte = b[static_cast<std::size_t>(offset + row * stride + x / 2)];
      byte = static_cast<char>(x % 2 == 0 ? (byte & 0x0F) | (c << 4) : (byte & 0xF0) | c);
    }
  return b;
}

class RegionFilesTest : public ImageEditTest {
 protected:
  std::string SaveRegionAs(CDvkView* v, const std::string& name) {
    const std::string path = File(name.c_str());
    fw::hooks::ExpectFileDialog({path});
    v->SaveRegionToFile();
    return path;
  }
};

TEST_F(RegionFilesTest, TheRegionIsSavedInTheFormatOfItsNameAndShown) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  const std::vector<std::uint8_t> want = PatternRows(5, 4, 12, 10);
  const std::string scratch = File("back.bmp");
  for (const char* name : {"r.png", "r.bmp", "r.bmz"}) {
    v = View();
    v->m_image.m_rcImageSel = CRect(5, 4, 17, 14);
    const std::string path = SaveRegionAs(v, name);
    ASSERT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << name;
    // The side's path is the file, and the document shows it.
    EXPECT_EQ(std::string(doc->ActivePath().GetString()), path) << name;
    EXPECT_EQ(std::string(doc->m_strCurFile.GetString()), path) << name;
    int w = 0, h = 0;
    EXPECT_EQ(RowsOf(doc, path, scratch, &w, &h), want) << name;
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 10);
    ASSERT_TRUE(OpenAndWait(File("pic.bmp")));
    doc->m_nActiveTextPane = static_cast<int>(View()->m_nPaneIndex);
  }
  // The zipped bitmap is a zip archive.
  const std::vector<std::uint8_t> bmz = FileBytes(File("r.bmz"));
  ASSERT_GE(bmz.size(), 4u);
  EXPECT_EQ(bmz[0], 'P');
  EXPECT_EQ(bmz[1], 'K');
  // JPEG at both endings: a JPEG file of the region's size.
  for (const char* name : {"r.jpg", "r.jpeg"}) {
    v = View();
    v->m_image.m_rcImageSel = CRect(5, 4, 17, 14);
    const std::string path = SaveRegionAs(v, name);
    const std::vector<std::uint8_t> jpeg = FileBytes(path);
    ASSERT_GE(jpeg.size(), 3u) << name;
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    int w = 0, h = 0;
    EXPECT_FALSE(RowsOf(doc, path, scratch, &w, &h).empty()) << name;
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 10);
    ASSERT_TRUE(OpenAndWait(File("pic.bmp")));
    doc->m_nActiveTextPane = static_cast<int>(View()->m_nPaneIndex);
  }
}

TEST_F(RegionFilesTest, MarkedNamesAndADeclinedOverwriteWriteNothing) {
  CDvkView* v = OpenPicture(Bmp24(20, 20));
  ASSERT_NE(v, nullptr);
  v->m_image.m_rcImageSel = CRect(0, 0, 10, 10);
  const CString sideBefore = doc->ActivePath();
  for (const char* name : {"m.+png", "m.+jpeg"}) {
    fw::hooks::Reset();
    const std::string path = SaveRegionAs(v, name);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << name;
    const std::vector<std::string> texts = fw::hooks::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u) << name;
    EXPECT_NE(texts[0].find(std::string(name).substr(2, 4) == "+jpe" ? "+jpg" : "+png"), std::string::npos) << texts[0];
    EXPECT_EQ(doc->ActivePath(), sideBefore);
  }
  // An existing file and No to the overwrite question: untouched.
  const std::string existing = File("keep.png");
  testsupport::WriteFileBytes(existing, "old bytes");
  fw::hooks::Reset();
  fw::hooks::ExpectMessageBox("keep.png", IDCANCEL);
  SaveRegionAs(v, "keep.png");
  EXPECT_EQ(FileBytes(existing), std::vector<std::uint8_t>({'o', 'l', 'd', ' ', 'b', 'y', 't', 'e', 's'}));
  EXPECT_EQ(doc->ActivePath(), sideBefore);
  fw::hooks::Reset();
}

TEST_F(RegionFilesTest, AnEditedPictureIsNotDroppedUnaskedBySavingARegion) {
  CDvkView* v = OpenPicture(Bmp24(30, 20));
  ASSERT_NE(v, nullptr);
  v->m_image.m_rcImageSel = CRect(0, 0, 5, 5);
  v->CutRegion();
  const std::vector<std::uint8_t> edited = LoadedRows(v);
  // Cancel to the save question: the region's file is written, the edited
  // picture stays shown.
  fw::hooks::ExpectMessageBox("", IDCANCEL);
  const std::string path = SaveRegionAs(v, "cut.png");
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(View(), v);
  EXPECT_EQ(LoadedRows(v), edited);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  // No: the saved region is shown.
  fw::hooks::ExpectMessageBox("", IDNO);
  SaveRegionAs(v, "cut2.png");
  EXPECT_EQ(std::string(doc->m_strCurFile.GetString()), File("cut2.png"));
  fw::hooks::Reset();
}

TEST_F(RegionFilesTest, AnInsertedPictureIsPastedIn24BitsAndSurvivesAnUpdate) {
  CDvkView* v = OpenPicture(Bmp24(40, 30));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  const std::string four = File("four.bmp");
  testsupport::WriteFileBytes(four, Bmp4(6, 5));
  st.m_rcImageSel = CRect(10, 8, 16, 13);
  fw::hooks::ExpectFileDialog({four});
  v->InsertImageFromFile();
  EXPECT_EQ(Clip().m_rcImageClip, CRect(0, 0, 6, 5));
  EXPECT_EQ(ClipLayout().bits, 24);
  EXPECT_EQ(st.m_nPasteState, 1);
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  auto at = [&](int x, int y) {
    const std::vector<std::uint8_t> rows = LoadedRows(v);
    const std::size_t stride = 120;
    const std::uint8_t* p = rows.data() + (29 - y) * stride + x * 3;
    return std::vector<int>{p[0], p[1], p[2]};
  };
  const std::vector<std::uint8_t> edited = LoadedRows(v);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const int c = (x + y) % 16;
      EXPECT_EQ(at(10 + x, 8 + y), (std::vector<int>{c, 255 - 16 * c, 16 * c})) << x << "," << y;
    }
  EXPECT_EQ(at(9, 8), (std::vector<int>{9, 8, 17}));
  // An update of all views keeps the edited picture (the insert's load did
  // not become the document's picture).
  doc->RedrawAllViews();
  testsupport::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(LoadedRows(View()), edited);
  EXPECT_EQ(img::ReadDibHeader(View()->m_image.m_bmiImage).biWidth, 40);
}

TEST_F(RegionFilesTest, KeysOnAPictureRunTheRegionsFileCommands) {
  CDvkView* v = OpenPicture(Bmp24(20, 20));
  ASSERT_NE(v, nullptr);
  v->m_image.m_rcImageSel = CRect(0, 0, 4, 4);
  // Ctrl+S offers the save dialog with the picture's own name, Ctrl+L the
  // open dialog with its name as a bitmap (both cancelled).
  fw::hooks::NoteFileDialogOffer({});
  fw::hooks::ExpectFileDialog({});
  imageedittest::CtrlKey(v, 'S');
  EXPECT_NE(fw::hooks::LastFileDialogOffer().name.find("pic.bmp"), std::string::npos);
  fw::hooks::NoteFileDialogOffer({});
  fw::hooks::ExpectFileDialog({});
  imageedittest::CtrlKey(v, 'L');
  EXPECT_NE(fw::hooks::LastFileDialogOffer().name.find("pic.bmp"), std::string::npos);
  EXPECT_EQ(img::ReadDibHeader(v->m_image.m_bmiImage).biWidth, 20);
}

}  // namespace
