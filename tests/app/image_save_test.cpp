// The shown picture's commands and its save under Wine, in-process: zoom,
// flip, reload and the "%" letter on a picture; a metafile named in capitals
// rendered like any other; SaveImageAs to BMP, PNG, JPEG and PDF through the
// file-dialog hook, and the PDF path when the JPEG write fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "fw/alloc.h"
#include "fw/fwtext.h"
#include "fw/uihooks.h"
#include "image/load/image_record.h"
#include "image/write/image_write.h"
#include "res/resource.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"
#include "view/dvkview.h"

namespace {

using shelltest::ShellFileTest;

constexpr int kW = 64, kH = 48;

// A 24-bit picture of kW x kH whose pixels follow (x, y).
std::vector<uint8_t> Pixels() {
  const int stride = (kW * 3 + 3) & ~3;
  std::vector<uint8_t> p(size_t(stride) * kH, 0);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint8_t* q = &p[size_t(y) * stride + x * 3];
      q[0] = uint8_t(x * 4);
      q[1] = uint8_t(y * 5);
      q[2] = uint8_t(255 - x * 2);
    }
  return p;
}

std::vector<uint8_t> Header() {
  std::vector<uint8_t> h(2000, 0);
  img::DibHeader d;
  d.biWidth = kW;
  d.biHeight = kH;
  d.biBitCount = 24;
  d.biSizeImage = uint32_t(((kW * 3 + 3) & ~3) * kH);
  img::WriteDibHeader(h.data(), d);
  return h;
}

std::string BmpBytes() {
  std::string out;
  const std::vector<uint8_t> p = Pixels(), h = Header();
  img::BuildBmpFile(p.data(), h.data(), &out);
  return out;
}

bool Exists(const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ImageSave : public ShellFileTest {
 protected:
  void TearDown() override {
    for (HBITMAP b : bitmaps_) DeleteObject(b);
    if (doc) doc->ReleaseImageRecord();
    ShellFileTest::TearDown();
  }
  // Opens pic.bmp in pane 1, made the active text pane.
  CDvkView* OpenPicture(const char* name = "pic.bmp") {
    CDvkView* v = Open(name, BmpBytes());
    if (v) frame->ActivateTextPane(0, 0);
    return v;
  }
  // The view's shown picture as the refresh leaves it: the header and a
  // device bitmap with the pixels.
  void ShowPixels(CDvkView* v) {
    const std::vector<uint8_t> p = Pixels(), h = Header();
    std::memcpy(v->m_image.m_bmiImage, h.data(), sizeof v->m_image.m_bmiImage);
    HDC dc = ::GetDC(v->m_hWnd);
    HBITMAP bitmap = CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(h.data()), CBM_INIT, p.data(),
                             reinterpret_cast<const BITMAPINFO*>(h.data()), DIB_RGB_COLORS);
    ::ReleaseDC(v->m_hWnd, dc);
    bitmaps_.push_back(bitmap);
    v->m_image.m_hImageBitmap = bitmap;
    v->m_image.m_strImagePath = File("pic.png").c_str();
  }
  // The picture `path` as the loaders read it: rows of 24 bits.
  std::vector<uint8_t> Load(const std::string& path, int* bits) {
    doc->ReleaseImageRecord();
    doc->m_imageLoad.m_nLoadReady = 0;
    if (doc->LoadImageFile(path.c_str(), 0) < 0) return {};
    const img::DibHeader d = img::ReadDibHeader(doc->m_imageLoad.m_bmiLoad);
    *bits = d.biBitCount;
    std::vector<uint8_t> out(doc->m_imageLoad.m_pLoadBits, doc->m_imageLoad.m_pLoadBits + doc->m_imageLoad.m_nLoadDataSize);
    doc->ReleaseImageRecord();
    doc->m_imageLoad.m_nLoadReady = 0;
    return out;
  }
  std::vector<HBITMAP> bitmaps_;
};

TEST_F(ImageSave, ZoomFlipStyleAndReloadOnAPicture) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(doc->ShowsPicture());
  doc->m_imageLoad.m_aImageSettings[5] = 8;
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_IN, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[5], 9u);
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_IN, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[5], 9u);
  doc->m_imageLoad.m_aImageSettings[5] = 2;
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_OUT, 0);
  frame->SendMessage(WM_COMMAND, ID_VIEW_ZOOM_OUT, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[5], 1u);
  EXPECT_EQ(doc->ImageZoomLevel(), 1);
  // 32988 twice: the flip word back where it was.
  frame->SendMessage(WM_COMMAND, ID_IMAGE_FLIP, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[25], 1u);
  frame->SendMessage(WM_COMMAND, ID_IMAGE_FLIP, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[25], 0u);
  // Display style toggles word 28; the reload clears it while the thirteen
  // option words are 0, so it stays 0.
  frame->SendMessage(WM_COMMAND, ID_VIEW_STYLE2, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[28], 0u);
  doc->m_imageLoad.m_aImageSettings[36] = 1;
  frame->SendMessage(WM_COMMAND, ID_VIEW_STYLE2, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[28], 1u);
  // Fit width cycles the size switch.
  doc->m_bSizeHigh = 0;
  frame->SendMessage(WM_COMMAND, ID_VIEW_WRAP, 0);
  EXPECT_EQ(doc->m_bSizeHigh, 1u);
  frame->SendMessage(WM_COMMAND, ID_VIEW_WRAP, 0);
  frame->SendMessage(WM_COMMAND, ID_VIEW_WRAP, 0);
  EXPECT_EQ(doc->m_bSizeHigh, 0u);
  // The reload opens the picture a conversion loaded, not the side's file.
  testsupport::WriteFileBytes(File("conv.bmp"), BmpBytes());
  doc->m_strShownImagePath = File("conv.bmp").c_str();
  doc->ReloadDocument();
  EXPECT_EQ(std::string(doc->m_strDocPath.GetString()), File("conv.bmp"));
  doc->m_strShownImagePath.Empty();
  // "%R": the file without the suffix, the turn in word 8.
  doc->m_imageLoad.m_aImageSettings[8] = 0;
  doc->OpenFile((File("pic.bmp") + "%R").c_str(), docopen::OpenMode::kPlain);
  EXPECT_EQ(std::string(doc->m_strDocPath.GetString()), File("pic.bmp"));
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[8], 1u);
}

TEST_F(ImageSave, FlipIsGreyOnText) {
  CDvkView* v = Open("t.txt", "abc\r\n");
  ASSERT_NE(v, nullptr);
  frame->ActivateTextPane(0, 0);
  EXPECT_FALSE(doc->ShowsPicture());
  frame->SendMessage(WM_COMMAND, ID_IMAGE_FLIP, 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[25], 0u);
}

// An enhanced metafile named ".EMF" is played as one: the red rectangle
// lies where it was drawn, on white.
TEST_F(ImageSave, EnhancedMetafileInCapitalsRenders) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  const std::string path = File("red.EMF");
  HDC ref = ::GetDC(nullptr);
  const int mmX = GetDeviceCaps(ref, HORZSIZE), mmY = GetDeviceCaps(ref, VERTSIZE);
  const int pxX = GetDeviceCaps(ref, HORZRES), pxY = GetDeviceCaps(ref, VERTRES);
  // 200 x 100 pixels of frame, in 0.01 mm.
  RECT frameRc{0, 0, 200 * mmX * 100 / pxX, 100 * mmY * 100 / pxY};
  HDC mf = CreateEnhMetaFileA(ref, path.c_str(), &frameRc, nullptr);
  ::ReleaseDC(nullptr, ref);
  ASSERT_NE(mf, nullptr);
  RECT white{0, 0, 200, 100};
  FillRect(mf, &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT box{50, 20, 150, 80};
  FillRect(mf, &box, red);
  DeleteObject(red);
  DeleteEnhMetaFile(CloseEnhMetaFile(mf));
  v->m_bInternalKey = 0;
  v->RenderEmfToBitmap(path.c_str(), 33);
  const img::DibHeader d = img::ReadDibHeader(doc->m_imageLoad.m_bmiLoad);
  ASSERT_EQ(d.biBitCount, 24);
  EXPECT_NEAR(d.biWidth, 200, 3);
  EXPECT_NEAR(d.biHeight, 100, 3);
  ASSERT_NE(doc->m_imageLoad.m_pLoadBits, nullptr);
  const uint32_t stride = doc->m_imageLoad.m_nLoadStride;
  auto at = [&](int x, int y) {  // top-down coordinates
    const uint8_t* p = doc->m_imageLoad.m_pLoadBits + size_t(d.biHeight - 1 - y) * stride + x * 3;
    return RGB(p[2], p[1], p[0]);
  };
  EXPECT_EQ(at(100, 50), RGB(255, 0, 0));
  EXPECT_EQ(at(10, 10), RGB(255, 255, 255));
  EXPECT_EQ(at(160, 90), RGB(255, 255, 255));
  EXPECT_EQ(v->m_image.m_nImageReduce, 1);
  // Opened as a document: rendered and taken over by the view, the
  // metafile left as it was and the render request cleared.
  const std::string before = testsupport::ReadFileBytes(path);
  doc->ReleaseImageRecord();
  doc->m_imageLoad.m_nLoadReady = 0;
  doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  const img::DibHeader shown = img::ReadDibHeader(v->m_image.m_bmiLoaded);
  EXPECT_NEAR(shown.biWidth, 200, 3);
  EXPECT_EQ(shown.biBitCount, 24);
  EXPECT_EQ(doc->m_nPendingViewCmd, 0);
  EXPECT_EQ(testsupport::ReadFileBytes(path), before);
}

TEST_F(ImageSave, SaveAsEveryFormatReloadsTheShownPixels) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  ShowPixels(v);
  const std::vector<uint8_t> want = Pixels();
  int bits = 0;
  // BMP and PNG: the same pixels back.
  for (const char* name : {"out.bmp", "out.png"}) {
    ShowPixels(v);  // the update after a save shows the saved file
    fw::hooks::ExpectFileDialog({File(name)});
    v->SaveImageAsCmd();
    EXPECT_EQ(fw::hooks::LastFileDialogOffer().name.find("pic.bmp") != std::string::npos, true);
    ASSERT_TRUE(Exists(File(name))) << name;
    EXPECT_EQ(Load(File(name), &bits), want) << name;
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(std::string(doc->ActivePath().GetString()), File(name));
  }
  // JPEG: a JPEG file of the size.
  ShowPixels(v);
  fw::hooks::ExpectFileDialog({File("out.jpg")});
  v->SaveImageAsCmd();
  const std::string jpg = testsupport::ReadFileBytes(File("out.jpg"));
  ASSERT_GT(jpg.size(), 100u);
  EXPECT_EQ(jpg.substr(0, 2), "\xFF\xD8");
  // PDF: the scratch JPEG, then the page; the side's path is the PDF.
  ShowPixels(v);
  fw::hooks::ExpectFileDialog({File("out.pdf")});
  v->SaveImageAsCmd();
  const std::string pdf = testsupport::ReadFileBytes(File("out.pdf"));
  ASSERT_GT(pdf.size(), 1016u);
  EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.3\n");
  EXPECT_NE(pdf.find("/MediaBox[0 0    64    48]"), std::string::npos);
  const std::string scratch = std::string(doc->m_strProgramDir.GetString()) + "\\TMP\\Dorvik1.jpg";
  EXPECT_EQ(pdf.substr(718, pdf.size() - 1016), testsupport::ReadFileBytes(scratch));
  EXPECT_EQ(std::string(doc->ActivePath().GetString()), File("out.pdf"));
}

TEST_F(ImageSave, RefusalsWriteNothing) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  ShowPixels(v);
  // A marked name: string 338.
  fw::hooks::ExpectFileDialog({File("out.+bmp")});
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_CANNOT_PACK_DIRECTLY).GetString(), IDCANCEL);
  v->SaveImageAsCmd();
  EXPECT_FALSE(Exists(File("out.+bmp")));
  // Mode 1 on a text name: "File eror".
  v->m_image.m_strImagePath = File("a.txt").c_str();
  fw::hooks::ExpectMessageBox("File eror", IDOK);
  v->SaveImageAs(1, 1);
  EXPECT_FALSE(Exists(File("a.txt")));
  // Mode 4 writes the current file and leaves the side's path alone.
  ShowPixels(v);
  const CString side = doc->ActivePath();
  doc->m_strCurFile = File("cur.bmp").c_str();
  v->SaveImageAs(1, 4);
  EXPECT_TRUE(Exists(File("cur.bmp")));
  EXPECT_EQ(doc->ActivePath(), side);
}

// A failed JPEG write with an old scratch JPEG present: no PDF of the old
// picture, string 162.
TEST_F(ImageSave, NoPdfWhenTheJpegWasNotWritten) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  ShowPixels(v);
  const std::string scratch = std::string(doc->ScratchFolder(0).GetString()) + "Dorvik1.jpg";
  testsupport::WriteFileBytes(scratch, "old picture");
  fw::hooks::ExpectFileDialog({File("bad.pdf")});
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY).GetString(), IDOK);
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_CANNOT_CREATE).GetString(), IDOK);
  fw::alloctest::Reset();
  fw::alloctest::FailFrom(2);  // the row buffer is made, the encoder's memory is not
  v->SaveImageAsCmd();
  fw::alloctest::Reset();
  EXPECT_FALSE(Exists(File("bad.pdf")));
  EXPECT_FALSE(Exists(scratch));
}

}  // namespace
