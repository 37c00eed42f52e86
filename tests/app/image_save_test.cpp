// The shown picture's commands and its save under Wine, in-process: zoom,
// flip, reload and the "%" letter on a picture; a metafile named in capitals
// rendered like any other; SaveImageAs to BMP, PNG, JPEG and PDF through the
// file-dialog hook, and the PDF path when the JPEG write fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
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

// --- The page form's save through the clipboard's DIB, and PNG by depth ----

namespace {

// A packed DIB (header, colour table, rows) of w x h at `bits` (8 or 24)
// whose image size field is 0, as the header of rows without compression
// may be. Pixel (x, y from the top) at 24 bits: (x * 9, y * 20, 200 - x);
// at 8 bits: index (x + 3 * y) mod 256 of a palette that is no stock one.
std::string PackedDib(int w, int h, int bits) {
  const int stride = ((w * bits + 31) / 32) * 4;
  const int colours = bits == 8 ? 256 : 0;
  std::string d(40 + colours * 4 + size_t(stride) * h, '\0');
  img::DibHeader hd;
  hd.biWidth = w;
  hd.biHeight = h;
  hd.biBitCount = uint16_t(bits);
  hd.biSizeImage = 0;
  img::WriteDibHeader(reinterpret_cast<uint8_t*>(&d[0]), hd);
  for (int i = 0; i < colours; ++i) {
    d[40 + i * 4] = char(i);                 // blue
    d[40 + i * 4 + 1] = char((i * 7) & 255);  // green
    d[40 + i * 4 + 2] = char(255 - i);        // red
  }
  const size_t rows = 40 + size_t(colours) * 4;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      char* q = &d[rows + size_t(h - 1 - y) * stride + size_t(x) * (bits / 8)];
      if (bits == 8) {
        q[0] = char((x + 3 * y) & 255);
      } else {
        q[0] = char(200 - x);
        q[1] = char(y * 20);
        q[2] = char(x * 9);
      }
    }
  return d;
}

// The rows of a DIB (header at `dib`) as top-down RGB triples.
std::string TopDownRgb(const uint8_t* info, const uint8_t* rows) {
  const img::DibHeader h = img::ReadDibHeader(info);
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const int stride = ((h.biWidth * h.biBitCount + 31) / 32) * 4;
  const uint8_t* palette = info + h.biSize;
  std::string out;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = rows + size_t(h.biHeight < 0 ? y : height - 1 - y) * stride;
    for (int x = 0; x < h.biWidth; ++x) {
      const int bits = h.biBitCount;
      const int index = bits == 8 ? row[x] : bits == 4 ? (x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4)
                                   : bits == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : 0;
      const uint8_t* p = bits <= 8 ? palette + 4 * index : row + x * (bits / 8);
      out += char(p[2]);
      out += char(p[1]);
      out += char(p[0]);
    }
  }
  return out;
}

// How many pixels of two top-down RGB strings differ (all of them when the
// sizes differ), for short failure messages.
size_t DifferingPixels(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size()) / 3 + 1;
  size_t n = 0;
  for (size_t i = 0; i + 2 < a.size(); i += 3) n += a.compare(i, 3, b, i, 3) != 0;
  return n;
}

// A BMP file's pixels as top-down RGB triples; empty when it is no BMP.
std::string BmpFileRgb(const std::string& f) {
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return std::string();
  const uint8_t* b = reinterpret_cast<const uint8_t*>(f.data());
  const uint32_t off = img::GetLe32(b + 10);
  const img::DibHeader h = img::ReadDibHeader(b + 14);
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const uint64_t stride = ((uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  if (off > f.size() || f.size() - off < stride * height) return std::string();
  return TopDownRgb(b + 14, b + off);
}

// The picture `path` as the program's loader reads it, as top-down RGB.
std::string LoadedRgbOf(CDvkDoc* doc, const std::string& path) {
  doc->ReleaseImageRecord();
  doc->m_imageLoad.m_nLoadReady = 0;
  std::string out;
  if (doc->LoadImageFile(path.c_str(), 0) >= 0 && doc->m_imageLoad.m_pLoadBits)
    out = TopDownRgb(doc->m_imageLoad.m_bmiLoad, doc->m_imageLoad.m_pLoadBits);
  doc->ReleaseImageRecord();
  doc->m_imageLoad.m_nLoadReady = 0;
  return out;
}

// The control's copy puts the test's DIB on the clipboard (empty: text only),
// as a control does for a selected picture.
std::string g_copiedDib;
WNDPROC g_controlProc = nullptr;
int g_copies = 0;
LRESULT CALLBACK CopyTheTestDib(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_COPY) return CallWindowProcA(g_controlProc, hwnd, msg, wp, lp);
  ++g_copies;
  if (!OpenClipboard(hwnd)) return 0;
  EmptyClipboard();
  const bool dib = !g_copiedDib.empty();
  const std::string data = dib ? g_copiedDib : std::string("text only");
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, data.size() + (dib ? 0 : 1));
  char* p = static_cast<char*>(GlobalLock(mem));
  std::memcpy(p, data.data(), data.size());
  if (!dib) p[data.size()] = 0;
  GlobalUnlock(mem);
  SetClipboardData(dib ? CF_DIB : CF_TEXT, mem);
  CloseClipboard();
  return 0;
}

class PageFormSave : public ImageSave {
 protected:
  // The control's copy replaced (again when the view made a new control).
  void Subclass(CDvkView* v) {
    if (control_ == v->GetRichEditCtrl().m_hWnd) return;
    Restore();
    control_ = v->GetRichEditCtrl().m_hWnd;
    g_controlProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CopyTheTestDib)));
  }
  void Restore() {
    if (control_ && g_controlProc && IsWindow(control_))
      SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_controlProc));
    g_controlProc = nullptr;
    control_ = nullptr;
  }
  void TearDown() override {
    Restore();
    g_copiedDib.clear();
    g_copies = 0;
    ImageSave::TearDown();
  }
  HWND control_ = nullptr;
};

TEST_F(PageFormSave, AClipboardDibWithoutImageSizeIsSavedWithItsPixels) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  v->m_nPageViewState = 1;
  // Odd widths: rows padded to four bytes; 24 and 8 bits.
  for (int bits : {24, 8}) {
    g_copiedDib = PackedDib(13, 7, bits);
    const std::string name = bits == 24 ? "clip24.bmp" : "clip8.bmp";
    fw::hooks::ExpectFileDialog({File(name.c_str())});
    Subclass(v);
    v->SaveImageAsCmd();
    EXPECT_EQ(g_copies, bits == 24 ? 1 : 2);
    const uint8_t* dib = reinterpret_cast<const uint8_t*>(g_copiedDib.data());
    const std::string want = TopDownRgb(dib, dib + 40 + (bits == 8 ? 1024 : 0));
    const std::string saved = testsupport::ReadFileBytes(File(name.c_str()));
    ASSERT_FALSE(saved.empty()) << bits;
    EXPECT_EQ(DifferingPixels(BmpFileRgb(saved), want), 0u) << bits;
    EXPECT_EQ(std::string(doc->ActivePath().GetString()), File(name.c_str()));
  }
  // As PNG: the loader reads the same pixels back.
  g_copiedDib = PackedDib(13, 7, 24);
  fw::hooks::ExpectFileDialog({File("clip.png")});
  Subclass(v);
  v->SaveImageAsCmd();
  const uint8_t* dib = reinterpret_cast<const uint8_t*>(g_copiedDib.data());
  EXPECT_EQ(DifferingPixels(LoadedRgbOf(doc, File("clip.png")), TopDownRgb(dib, dib + 40)), 0u);
  v->m_nPageViewState = 0;
}

TEST_F(PageFormSave, NoDibOnTheClipboardShowsTheFormatTextAndWritesNothing) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  Subclass(v);
  v->m_nPageViewState = 1;
  g_copiedDib.clear();
  fw::hooks::ExpectFileDialog({File("none.bmp")});
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_OBJECT_FORMAT_DIFFERS).GetString(), IDOK);
  v->SaveImageAsCmd();
  EXPECT_EQ(g_copies, 1);
  EXPECT_FALSE(Exists(File("none.bmp")));
  // A header without width is no picture either.
  std::string empty = PackedDib(4, 4, 24);
  empty[4] = empty[5] = empty[6] = empty[7] = 0;
  g_copiedDib = empty;
  fw::hooks::ExpectFileDialog({File("none.bmp")});
  fw::hooks::ExpectMessageBox(fw::LoadText(IDS_OBJECT_FORMAT_DIFFERS).GetString(), IDOK);
  Subclass(v);
  v->SaveImageAsCmd();
  EXPECT_FALSE(Exists(File("none.bmp")));
  v->m_nPageViewState = 0;
}

// A ".png" name: an 8-bit picture is written as a PNG of 8-bit palette
// indexes, a 24-bit one as 8-bit RGB; the pixels are the shown ones. The
// files and the shown pixels (top-down RGB) are left in the build tree's
// "image_save_png" folder, where Pillow reads them after this test.
std::string PngIhdr(const std::string& png) { return png.size() >= 29 ? png.substr(24, 2) : std::string(); }

std::string ShownRgb(CDvkView* v) {
  BITMAP bm = {};
  GetObjectA(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), sizeof bm, &bm);
  std::vector<uint8_t> info(40, 0);
  img::DibHeader hd;
  hd.biWidth = bm.bmWidth;
  hd.biHeight = bm.bmHeight;
  hd.biBitCount = 24;
  img::WriteDibHeader(info.data(), hd);
  std::vector<uint8_t> rows(size_t((bm.bmWidth * 3 + 3) & ~3) * bm.bmHeight);
  HDC dc = ::GetDC(nullptr);
  GetDIBits(dc, static_cast<HBITMAP>(v->m_image.m_hImageBitmap), 0, UINT(bm.bmHeight), rows.data(),
            reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, dc);
  return TopDownRgb(info.data(), rows.data());
}

TEST_F(ImageSave, APngNameKeepsTheDepthAndTheShownPixels) {
  const std::string outDir = std::string(TABRYE_BIN_ROOT) + "\\image_save_png";
  CreateDirectoryA(outDir.c_str(), nullptr);
  for (const char* stale : {"\\p8.png", "\\p8.rgb", "\\p24.png", "\\p24.rgb"}) DeleteFileA((outDir + stale).c_str());
  // The 8-bit picture as a BMP file.
  const std::string dib8 = PackedDib(37, 21, 8);
  std::string bmp8 = "BM" + std::string(12, '\0') + dib8;
  const uint32_t off = 14 + 40 + 1024;
  for (int i = 0; i < 4; ++i) {
    bmp8[2 + i] = char((bmp8.size() >> (8 * i)) & 255);
    bmp8[10 + i] = char((off >> (8 * i)) & 255);
  }
  struct Case {
    const char* file;
    std::string bytes;
    const char* out;
    int bits;
    std::string ihdr;  // bit depth, colour type
  };
  const Case cases[] = {{"pic8.bmp", bmp8, "p8", 8, std::string("\x08\x03", 2)},
                        {"pic.bmp", BmpBytes(), "p24", 24, std::string("\x08\x02", 2)}};
  CDvkView* v = Open(cases[0].file, cases[0].bytes);
  ASSERT_NE(v, nullptr);
  frame->ActivateTextPane(0, 0);
  for (const Case& c : cases) {
    if (&c != &cases[0]) {
      testsupport::WriteFileBytes(File(c.file), c.bytes);
      doc->OpenFile(File(c.file).c_str(), docopen::OpenMode::kPlain);
      ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
    }
    ASSERT_NE(v->m_image.m_hImageBitmap, nullptr) << c.file;
    ASSERT_EQ(img::ReadDibHeader(v->m_image.m_bmiImage).biBitCount, c.bits) << c.file;
    const std::string shown = ShownRgb(v);
    // The view shows the file's colours.
    EXPECT_EQ(DifferingPixels(shown, BmpFileRgb(c.bytes)), 0u) << c.file;
    const std::string png = outDir + "\\" + c.out + ".png";
    fw::hooks::ExpectFileDialog({png});
    v->SaveImageAsCmd();
    const std::string written = testsupport::ReadFileBytes(png);
    ASSERT_GT(written.size(), 33u) << c.file;
    EXPECT_EQ(written.substr(1, 3), "PNG");
    EXPECT_EQ(PngIhdr(written), c.ihdr) << c.file;
    // The program's own loader reads the shown pixels back.
    EXPECT_EQ(DifferingPixels(LoadedRgbOf(doc, png), shown), 0u) << c.file;
    testsupport::WriteFileBytes(outDir + "\\" + c.out + ".rgb", shown);
  }
}

}  // namespace

namespace {

// The document's Save on a picture (画像保存): the picture as shown, here
// flipped, goes back into its own file.
TEST_F(ImageSave, SaveWritesTheShownPictureBackIntoItsFile) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  const std::string file = BmpFileRgb(BmpBytes());
  ASSERT_EQ(DifferingPixels(ShownRgb(v), file), 0u);
  frame->SendMessage(WM_COMMAND, ID_IMAGE_FLIP, 0);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  const std::string shown = ShownRgb(v);
  ASSERT_NE(DifferingPixels(shown, file), 0u) << "the flip shows the picture turned";
  // As Ctrl+S: through the update handler, which must not grey it. The
  // file is made again from the shown pixels, so the user is asked first.
  fw::hooks::ExpectMessageBox("上書きしますか", IDYES);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ(DifferingPixels(BmpFileRgb(testsupport::ReadFileBytes(File("pic.bmp"))), shown), 0u);
}

// Save on a picture never rewrites its file unasked: No (the default
// button) leaves it byte for byte, whether the picture was turned or not.
TEST_F(ImageSave, SaveAsksBeforeRewritingThePictureAndNoKeepsTheFile) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  fw::hooks::ExpectMessageBox("pic.bmp", IDNO);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ(testsupport::ReadFileBytes(File("pic.bmp")), BmpBytes());
  frame->SendMessage(WM_COMMAND, ID_IMAGE_FLIP, 0);
  ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
  fw::hooks::ExpectMessageBox("元のファイルと同じ内容には戻りません", IDNO);
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_EQ(testsupport::ReadFileBytes(File("pic.bmp")), BmpBytes());
  EXPECT_TRUE(fw::hooks::Unused().empty());
}

}  // namespace

namespace {

// A picture whose form the program cannot write (here a GIF) is never
// rewritten in another form under its own name: Save offers the save dialog.
TEST_F(ImageSave, SaveOfAGifOffersTheDialogAndKeepsTheFile) {
  const std::string gif("GIF89a\x01\0\x01\0\x80\0\0\xff\0\0\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 35);
  CDvkView* v = Open("red.gif", gif);
  ASSERT_NE(v, nullptr);
  frame->ActivateTextPane(0, 0);
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  fw::hooks::ExpectFileDialog({});
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE, 0);
  EXPECT_NE(fw::hooks::LastFileDialogOffer().name.find("red.bmp"), std::string::npos)
      << fw::hooks::LastFileDialogOffer().name;
  EXPECT_EQ(testsupport::ReadFileBytes(File("red.gif")), gif);
}

// Save As of the document on a picture is the picture's save dialog: it
// proposes the picture's name as a BMP among every picture form, and the
// picture goes to the chosen name, its own file left as it was.
TEST_F(ImageSave, SaveAsWritesThePictureUnderTheChosenName) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  const std::string shown = ShownRgb(v);
  fw::hooks::ExpectFileDialog({File("as.png")});
  frame->SendMessage(WM_COMMAND, ID_FILE_SAVE_AS, 0);
  const fw::hooks::FileDialogOffer offer = fw::hooks::LastFileDialogOffer();
  EXPECT_NE(offer.name.find("pic.bmp"), std::string::npos) << offer.name;
  EXPECT_EQ(testsupport::ReadFileBytes(File("pic.bmp")), BmpBytes());
  const std::string png = testsupport::ReadFileBytes(File("as.png"));
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(DifferingPixels(LoadedRgbOf(doc, File("as.png")), shown), 0u);
}

// Writing the document into a path (as the save commands do after their
// dialog): a picture goes there in the path's form, a name that is no
// picture's is refused with "File eror" and writes nothing.
TEST_F(ImageSave, WritingThePictureIntoAPathTakesThatPath) {
  CDvkView* v = OpenPicture();
  ASSERT_NE(v, nullptr);
  const std::string shown = ShownRgb(v);
  EXPECT_TRUE(doc->OnSaveDocument(File("into.png").c_str()));
  EXPECT_EQ(testsupport::ReadFileBytes(File("pic.bmp")), BmpBytes());
  EXPECT_EQ(DifferingPixels(LoadedRgbOf(doc, File("into.png")), shown), 0u);
  fw::hooks::ExpectMessageBox("File eror", IDOK);
  EXPECT_FALSE(doc->OnSaveDocument(File("into.txt").c_str()));
  EXPECT_FALSE(Exists(File("into.txt")));
}

}  // namespace

namespace {

// A page of a tall 8-bit picture (the display bitmap holds fewer rows than
// the picture): the save writes the page's rows in the picture's own colours.
TEST_F(ImageSave, APageOfATallEightBitPictureKeepsItsColours) {
  const std::string dib = PackedDib(24, 1000, 8);
  std::string bmp = "BM" + std::string(12, '\0') + dib;
  const uint32_t off = 14 + 40 + 1024;
  for (int i = 0; i < 4; ++i) {
    bmp[2 + i] = char((bmp.size() >> (8 * i)) & 255);
    bmp[10 + i] = char((off >> (8 * i)) & 255);
  }
  CDvkView::s_nImageBitmapRefusals = 1;  // the first bitmap of all rows fails
  CDvkView* v = Open("tall8.bmp", bmp);
  CDvkView::s_nImageBitmapRefusals = 0;
  ASSERT_NE(v, nullptr);
  frame->ActivateTextPane(0, 0);
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  ASSERT_EQ(v->m_image.m_bImagePaged, 1u);
  ASSERT_LT(v->m_image.m_nBitmapRows, 1000);
  const std::string shown = ShownRgb(v);
  fw::hooks::ExpectFileDialog({File("page.png")});
  v->SaveImageAsCmd();
  const std::string png = testsupport::ReadFileBytes(File("page.png"));
  ASSERT_GT(png.size(), 29u);
  EXPECT_EQ(PngIhdr(png), std::string("\x08\x03", 2));
  EXPECT_EQ(DifferingPixels(LoadedRgbOf(doc, File("page.png")), shown), 0u);
}

}  // namespace

namespace {

// A BMP file of w x h at 1 or 4 bits whose table is no stock one (blue and
// yellow; sixteen odd colours); pixel (x, y) is entry (x + 3 * y) mod the
// table's size.
std::string LowDepthBmp(int w, int h, int bits) {
  const int colours = 1 << bits;
  const int stride = ((w * bits + 31) / 32) * 4;
  std::string b(14 + 40 + colours * 4 + size_t(stride) * h, '\0');
  img::DibHeader hd;
  hd.biWidth = w;
  hd.biHeight = h;
  hd.biBitCount = uint16_t(bits);
  img::WriteDibHeader(reinterpret_cast<uint8_t*>(&b[14]), hd);
  b[0] = 'B';
  b[1] = 'M';
  const uint32_t off = 14 + 40 + colours * 4;
  for (int i = 0; i < 4; ++i) {
    b[2 + i] = char((b.size() >> (8 * i)) & 255);
    b[10 + i] = char((off >> (8 * i)) & 255);
  }
  for (int i = 0; i < colours; ++i) {
    char* q = &b[54 + i * 4];
    if (bits == 1) {
      q[0] = char(i ? 0x20 : 0xE0);  // blue, then yellow
      q[1] = char(i ? 0xE0 : 0x30);
      q[2] = char(i ? 0xF0 : 0x10);
    } else {
      q[0] = char(i * 13);
      q[1] = char(255 - i * 11);
      q[2] = char(i * 7 + 40);
    }
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int index = (x + 3 * y) % colours;
      char& byte = b[off + size_t(h - 1 - y) * stride + size_t(x * bits / 8)];
      if (bits == 4) byte = char(byte | (x % 2 ? index : index << 4));
      else byte = char(byte | (index << (7 - x % 8)));
    }
  return b;
}

// PNG names for 1- and 4-bit pictures: palette PNGs of that depth (codes 9
// and 10) with the picture's own colours.
TEST_F(ImageSave, OneAndFourBitPicturesKeepTheirDepthAndColours) {
  CDvkView* v = nullptr;
  for (int bits : {1, 4}) {
    const std::string name = "low" + std::to_string(bits);
    const std::string bmp = LowDepthBmp(21, 9, bits);
    if (!v) {
      v = Open((name + ".bmp").c_str(), bmp);
      ASSERT_NE(v, nullptr);
      frame->ActivateTextPane(0, 0);
    } else {
      testsupport::WriteFileBytes(File((name + ".bmp").c_str()), bmp);
      doc->OpenFile(File((name + ".bmp").c_str()).c_str(), docopen::OpenMode::kPlain);
      ASSERT_TRUE(testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000));
    }
    ASSERT_NE(v->m_image.m_hImageBitmap, nullptr) << bits;
    ASSERT_EQ(img::ReadDibHeader(v->m_image.m_bmiImage).biBitCount, bits);
    const std::string shown = ShownRgb(v);
    EXPECT_EQ(DifferingPixels(shown, BmpFileRgb(bmp)), 0u) << bits;
    fw::hooks::ExpectFileDialog({File((name + ".png").c_str())});
    v->SaveImageAsCmd();
    const std::string png = testsupport::ReadFileBytes(File((name + ".png").c_str()));
    ASSERT_GT(png.size(), 29u) << bits;
    EXPECT_EQ(PngIhdr(png), std::string(1, char(bits)) + "\x03") << bits;
    EXPECT_EQ(DifferingPixels(LoadedRgbOf(doc, File((name + ".png").c_str())), shown), 0u) << bits;
  }
}

}  // namespace
