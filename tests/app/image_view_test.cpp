// The image view under Wine, in-process: an opened picture is taken over
// and shown from the display bitmap with its caption, one picture after
// another opens, a tall picture pages with Ctrl+PageDown, a picture without
// width stays a notice, and only a write request of 21-31 writes a file.
#include <gtest/gtest.h>

#include <windows.h>
#include <richole.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/docdata/settings_table.h"
#include "fw/alloc.h"
#include "fw/uihooks.h"
#include "host/frame_host.h"
#include "image/load/image_record.h"
#include "image/image_test_host.h"
#include "image_view_fixture.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

std::string PngBytes() {
  imgtest::PngBuilder b;
  b.Ihdr(3, 2, 8, 2);
  b.Idat({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18});
  b.End();
  return std::string(b.v.begin(), b.v.end());
}

using imageviewtest::BitmapRows;
using imageviewtest::Bmp24;
using imageviewtest::Pixels;

std::string ReadAll(const std::string& path) { return testsupport::ReadFileBytes(path); }

class ImageViewTest : public imageviewtest::ImageViewFixture {};

TEST_F(ImageViewTest, ABmpIsShownFromTheDisplayBitmapWithItsCaption) {
  const std::string path = File("pic.bmp");
  const std::string bmp = Bmp24(640, 480);
  testsupport::WriteFileBytes(path, bmp);
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->m_nFileKind, 12u);
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  EXPECT_EQ(v->m_image.m_nImageViewState, 1);
  EXPECT_EQ(v->m_image.m_nImageWidth, 640);
  EXPECT_EQ(v->m_image.m_nImageHeight, 480);
  EXPECT_EQ(std::string(v->m_image.m_strImagePath.GetString()), path);
  // The document's block went to the view.
  EXPECT_EQ(doc->m_imageLoad.m_nLoadBitsOwner, 0u);
  EXPECT_EQ(doc->m_imageLoad.m_pLoadBits, nullptr);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadReady, 1u);
  EXPECT_EQ(Caption(), "W640 x H480 x 24bits  1/1");
  // The display bitmap holds the file's pixels.
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rows = BitmapRows(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), &w, &h);
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  EXPECT_TRUE(rows == Pixels(bmp));
  // The window's paint draws it: the client area reads back the pixels.
  frame->ShowWindow(SW_SHOW);
  v->Invalidate(FALSE);
  v->UpdateWindow();
  HDC wdc = ::GetDC(v->m_hWnd);
  const COLORREF at = ::GetPixel(wdc, 10, 20);
  ::ReleaseDC(v->m_hWnd, wdc);
  if (at != CLR_INVALID) EXPECT_EQ(at, RGB(30, 20, 10));
}

TEST_F(ImageViewTest, OnePictureAfterAnotherOpens) {
  const std::string a = File("a.bmp"), b = File("b.png"), c = File("c.bmp");
  testsupport::WriteFileBytes(a, Bmp24(64, 48));
  testsupport::WriteFileBytes(b, PngBytes());
  testsupport::WriteFileBytes(c, Bmp24(20, 10));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(a));
  EXPECT_EQ(View()->m_image.m_nImageWidth, 64);
  ASSERT_TRUE(Open(b));
  EXPECT_EQ(View()->m_image.m_nImageWidth, 3);
  EXPECT_EQ(View()->m_image.m_nImageHeight, 2);
  EXPECT_EQ(Caption(), "W3 x H2 x 24bits  1/1");
  ASSERT_TRUE(Open(c));
  EXPECT_EQ(View()->m_image.m_nImageWidth, 20);
  EXPECT_NE(View()->m_image.m_hImageBitmap, nullptr);
}

TEST_F(ImageViewTest, ATallPicturePagesWithCtrlPageDown) {
  const std::string path = File("tall.bmp");
  const std::string bmp = Bmp24(40, 10000);
  testsupport::WriteFileBytes(path, bmp);
  ASSERT_TRUE(StartIn(""));
  // The first display bitmap of all rows cannot be made: 9600 rows from
  // the top show.
  CDvkView::s_nImageBitmapRefusals = 1;
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  EXPECT_EQ(v->m_image.m_nBitmapRows, 9600);
  EXPECT_EQ(v->m_image.m_bImagePaged, 1u);
  EXPECT_EQ(Caption().rfind("(1 - 9600)lines of ", 0), 0u) << Caption();
  // Ctrl+PageDown: the rest of the rows, from the buffer's first row.
  CDvkView::s_nImageBitmapRefusals = 1;
  v->SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
  v->SendMessage(WM_KEYDOWN, VK_NEXT, 0);
  v->SendMessage(WM_KEYUP, VK_CONTROL, 0);
  EXPECT_EQ(v->m_image.m_nImagePage, 1001);
  EXPECT_EQ(v->m_image.m_nBitmapRows, 400);
  EXPECT_EQ(Caption().rfind("(9601 - 10000)lines of ", 0), 0u) << Caption();
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rows = BitmapRows(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), &w, &h);
  ASSERT_EQ(h, 400);
  const std::vector<std::uint8_t> file = Pixels(bmp);
  EXPECT_TRUE(std::equal(rows.begin(), rows.end(), file.begin()));
  // Ctrl+PageUp goes back to the first page.
  v->SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
  v->SendMessage(WM_KEYDOWN, VK_PRIOR, 0);
  v->SendMessage(WM_KEYUP, VK_CONTROL, 0);
  EXPECT_EQ(v->m_image.m_nImagePage % 1000, 0);
  EXPECT_EQ(v->m_image.m_nBitmapRows, 10000);
}

TEST_F(ImageViewTest, NoBitmapAtAllShowsTheTooLargeText) {
  const std::string path = File("big.bmp");
  testsupport::WriteFileBytes(path, Bmp24(30, 30));
  ASSERT_TRUE(StartIn(""));
  CDvkView::s_nImageBitmapRefusals = -1;
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  EXPECT_EQ(v->m_image.m_hImageBitmap, nullptr);
  EXPECT_EQ(v->m_image.m_nImageViewState, 0);
  EXPECT_NE(shelltest::ControlText(v).find("画像が大きすぎるため表示できません"), std::string::npos);
}

// The loaders refuse a BMP of width 0; a record that holds one anyway (a
// plug-in's) is no picture: released, the notice stays in the pane.
TEST_F(ImageViewTest, ARecordWithoutWidthIsNoPicture) {
  const std::string path = File("pic.bmp");
  testsupport::WriteFileBytes(path, Bmp24(8, 8));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  for (int zero : {18, 22}) {  // width, then height
    img::LoadRecord& rec = doc->m_imageLoad;
    doc->ReleaseImageRecord();
    std::string header = Bmp24(8, 8).substr(14, 40);
    for (int i = 0; i < 4; ++i) header[zero - 14 + i] = 0;
    std::memcpy(rec.m_bmiLoad, header.data(), header.size());
    rec.m_pLoadBits = static_cast<std::uint8_t*>(fw::Alloc(256));
    rec.m_nLoadBitsAlloc = 256;
    rec.m_nLoadBitsOwner = img::kOwnerHeap;
    rec.m_nLoadDataSize = 192;
    rec.m_nLoadReady = 1;
    doc->m_nUpdateCode = app::UpdateCode::kContent;
    doc->UpdateAllViews(nullptr);
    ASSERT_TRUE(testsupport::PumpUntil([this] { return !View()->LoadPending(); }, 10000));
    EXPECT_EQ(rec.m_nLoadBitsOwner, 0u) << zero;
    EXPECT_EQ(rec.m_pLoadBits, nullptr) << zero;
    EXPECT_NE(shelltest::ControlText(View()).find("表示できません"), std::string::npos) << zero;
  }
}

TEST_F(ImageViewTest, OnlyAWriteRequestOfTwentyOneToThirtyOneWritesTheFile) {
  const std::string path = File("shown.bmp");
  const std::string bmp = Bmp24(32, 16);
  testsupport::WriteFileBytes(path, bmp);
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  // A metafile's command, captures and a running capture only paint.
  for (int cmd : {33, 40, 41, 99, 20, 32}) {
    doc->m_nPendingViewCmd = cmd;
    v->RedrawImageView(0);
    EXPECT_EQ(ReadAll(path), bmp) << cmd;
    EXPECT_NE(v->m_image.m_hImageBitmap, nullptr) << cmd;
  }
  // 27: a JPEG of the shown picture over the current file.
  doc->m_nPendingViewCmd = 27;
  v->RedrawImageView(0);
  doc->m_nPendingViewCmd = 0;
  const std::string written = ReadAll(path);
  ASSERT_GE(written.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(written[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(written[1]), 0xD8);
}

// In the page form the picture becomes exactly one picture object in the
// text; the clipboard keeps what it held; the record stays marked 2.
TEST_F(ImageViewTest, ThePageFormEmbedsOnePictureObject) {
  const std::string path = File("print.bmp");
  testsupport::WriteFileBytes(path, Bmp24(64, 40));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, 6);
  std::memcpy(::GlobalLock(mem), "kept!", 6);
  ::GlobalUnlock(mem);
  ::SetClipboardData(CF_TEXT, mem);
  ::CloseClipboard();
  frame->GetTextView(0, 0)->m_nPageViewState = 1;
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  EXPECT_EQ(v->m_image.m_nImageViewState, 2);
  EXPECT_EQ(doc->m_imageLoad.m_nLoadReady, 2u);
  IRichEditOle* ole = nullptr;
  v->GetRichEditCtrl().SendMessage(EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
  ASSERT_NE(ole, nullptr);
  EXPECT_EQ(ole->GetObjectCount(), 1);
  ole->Release();
  EXPECT_NE(shelltest::ControlText(v).find('\n'), std::string::npos);  // the filler text
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE text = ::GetClipboardData(CF_TEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(static_cast<const char*>(::GlobalLock(text)), "kept!");
  ::GlobalUnlock(text);
  ::CloseClipboard();
  v->m_nPageViewState = 0;
}

// Zoomed out through the pipeline (and its GDI scaler): half the size, the
// caption with the zoom part first, the pixels close to the box average.
TEST_F(ImageViewTest, ZoomOutShowsHalfTheSize) {
  const std::string path = File("zoom.bmp");
  testsupport::WriteFileBytes(path, Bmp24(200, 100));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  v->m_image.m_aImageSettings[5] = 4;  // 1/2
  v->RedrawImageView(0);
  EXPECT_EQ(v->m_image.m_nImageWidth, 100);
  EXPECT_EQ(v->m_image.m_nImageHeight, 50);
  EXPECT_NE(Caption().find("1/2"), std::string::npos) << Caption();
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rows = BitmapRows(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), &w, &h);
  ASSERT_EQ(w, 100);
  ASSERT_EQ(h, 50);
  // Pixel (10, 10) from the top covers source (20-21, 20-21): blue about 20.
  const int stride = (w * 3 + 3) & ~3;
  const std::uint8_t blue = rows[static_cast<std::size_t>(h - 1 - 10) * stride + 10 * 3];
  EXPECT_NEAR(blue, 20, 3);
}

// A frozen refresh (mode 9) with unchanged scroll positions ends with
// exactly one WM_VSCROLL SB_THUMBPOSITION to the saved position.
int g_thumbScrolls = 0;
HWND g_spied = nullptr;
LRESULT CALLBACK CountScrolls(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && m->hwnd == g_spied && m->message == WM_VSCROLL && LOWORD(m->wParam) == SB_THUMBPOSITION)
    ++g_thumbScrolls;
  return ::CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(ImageViewTest, AFrozenRefreshEndsWithOneThumbScroll) {
  const std::string path = File("frozen.bmp");
  testsupport::WriteFileBytes(path, Bmp24(50, 40));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  g_spied = v->m_hWnd;
  g_thumbScrolls = 0;
  HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, CountScrolls, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  v->RedrawImageView(9);
  ::UnhookWindowsHookEx(hook);
  EXPECT_EQ(g_thumbScrolls, 1);
  EXPECT_NE(v->m_image.m_hImageBitmap, nullptr);
  EXPECT_EQ(doc->m_nUpdateLockCount, 0);
}

// The image tick: a shown picture keeps its bitmap and the tick; a view
// whose picture went (state 0) lets the bitmap go and stops ticking.
TEST_F(ImageViewTest, TheImageTickKeepsAShownPictureAndStopsWithoutOne) {
  const std::string path = File("tick.bmp");
  testsupport::WriteFileBytes(path, Bmp24(16, 16));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  EXPECT_EQ(v->ImageTimerId(), v->m_nPaneIndex == 0 ? 5u : v->m_nPaneIndex + 2);
  v->SendMessage(WM_TIMER, v->ImageTimerId(), 0);
  EXPECT_NE(v->m_image.m_hImageBitmap, nullptr);
  v->m_image.m_nImageViewState = 0;
  v->SendMessage(WM_TIMER, v->ImageTimerId(), 0);
  EXPECT_EQ(v->m_image.m_hImageBitmap, nullptr);
}

// --- The turn asked for by name, the filler of a tall picture, the picture keys ---

// "%R" turns the picture it was asked for: a reload of it stays turned, the
// next picture opened without a suffix does not, nor does the same file
// opened again after another one; a failed open leaves the turn alone.
TEST_F(ImageViewTest, ATurnAskedForByNameServesThatPictureOnly) {
  const std::string a = File("turn.bmp"), b = File("next.bmp");
  testsupport::WriteFileBytes(a, Bmp24(64, 48));
  testsupport::WriteFileBytes(b, Bmp24(20, 10));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(a + "%R"));
  CDvkView* v = View();
  EXPECT_EQ(v->m_image.m_nImageWidth, 48);
  EXPECT_EQ(v->m_image.m_nImageHeight, 64);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[8], 1u);
  doc->ReloadDocument();
  testsupport::PumpUntil([] { return false; }, 50);
  EXPECT_EQ(View()->m_image.m_nImageWidth, 48);
  EXPECT_EQ(View()->m_image.m_nImageHeight, 64);
  ASSERT_TRUE(Open(b));
  EXPECT_EQ(View()->m_image.m_nImageWidth, 20);
  EXPECT_EQ(View()->m_image.m_nImageHeight, 10);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[8], 0u);
  ASSERT_TRUE(Open(a));
  EXPECT_EQ(View()->m_image.m_nImageWidth, 64);
  EXPECT_EQ(View()->m_image.m_nImageHeight, 48);
  // Upside down, then a file that is not there: still upside down.
  ASSERT_TRUE(Open(a + "%B"));
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[8], 2u);
  fw::hooks::ExpectMessageBox("", IDOK);
  EXPECT_NE(doc->OpenFile(File("missing.bmp").c_str(), docopen::OpenMode::kPlain), 0);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[8], 2u);
  doc->ReloadDocument();
  testsupport::PumpUntil([] { return false; }, 50);
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rows = BitmapRows(static_cast<HBITMAP>(View()->m_image.m_hImageBitmap), &w, &h);
  ASSERT_EQ(w, 64);
  ASSERT_EQ(h, 48);
  // Half a turn: the file's top-left pixel (0, 0, 0) is now bottom right.
  const int stride = (w * 3 + 3) & ~3;
  const std::uint8_t* br = &rows[static_cast<std::size_t>(w - 1) * 3];  // bottom row, last pixel
  EXPECT_EQ(br[0], 0);
  EXPECT_EQ(br[1], 0);
  EXPECT_EQ(br[2], 0);
  const std::uint8_t* tl = &rows[static_cast<std::size_t>(h - 1) * stride];  // top row, first pixel
  EXPECT_EQ(tl[0], 63);                                                      // file pixel (63, 47)
  EXPECT_EQ(tl[1], 47);
}

// The filler text gives the scroll range: at the control's own line pitch
// its last line lies below the last row of a very tall picture.
TEST_F(ImageViewTest, TheFillerTextReachesTheLastRowOfATallPicture) {
  const std::string path = File("tall3000.bmp");
  testsupport::WriteFileBytes(path, Bmp24(40, 3000));
  ASSERT_TRUE(StartIn(""));
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  EXPECT_EQ(v->m_image.m_bImagePaged, 0u);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const int lines = ctrl.GetLineCount();
  ASSERT_GE(lines, 3);
  const int pitch = ctrl.PosFromChar(ctrl.LineIndex(2)).y - ctrl.PosFromChar(ctrl.LineIndex(1)).y;
  ASSERT_GT(pitch, 0);
  const int extent = ctrl.PosFromChar(ctrl.LineIndex(lines - 1)).y - ctrl.PosFromChar(0).y;
  EXPECT_GE(extent, 3000) << lines << " lines at " << pitch << " pixels";
}

// The same for a picture named on the command line, laid out before the
// window is shown: the control's pitch then is not yet the shown one, and
// the scroll range still reaches the last row once the window is up.
TEST_F(ImageViewTest, TheFillerTextReachesTheLastRowWhenOpenedAtTheStart) {
  CDvkView* v = ShellFileTest::Open("tall-start.bmp", Bmp24(40, 3000));
  ASSERT_NE(v, nullptr);
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  frame->ShowWindow(SW_SHOW);
  testsupport::PumpUntil([] { return false; }, 200);
  CRichEditCtrl& ctrl = v->GetRichEditCtrl();
  const int lines = ctrl.GetLineCount();
  ASSERT_GE(lines, 3);
  const int extent = ctrl.PosFromChar(ctrl.LineIndex(lines - 1)).y - ctrl.PosFromChar(0).y;
  EXPECT_GE(extent, 3000) << lines << " lines";
  SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(::GetScrollInfo(v->m_hWnd, SB_VERT, &si));
  EXPECT_GE(si.nMax + 1, 3000) << "scroll range " << si.nMin << "-" << si.nMax;
}

// The "picture" keys of the settings file are the document's words: read
// from the file, they reach the shown picture (inverted by the colour engine
// when the display style runs it).
TEST_F(ImageViewTest, PictureKeysReachTheShownPicture) {
  const std::string path = File("keys.bmp");
  const std::string bmp = Bmp24(32, 16);
  testsupport::WriteFileBytes(path, bmp);
  ASSERT_TRUE(StartIn(""));
  app::SettingsRest rest;
  app::ReadInfText("[picture]\r\nimginv\t1\r\nimgall\t1\r\n#end/\r\n", *doc, &rest);
  EXPECT_TRUE(rest.issues.empty());
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[46], 1u);
  EXPECT_EQ(doc->m_imageLoad.m_aImageSettings[34], 1u);
  doc->m_aImageSettings[28] = 1;  // the display style that runs the engine
  ASSERT_TRUE(Open(path));
  CDvkView* v = View();
  EXPECT_EQ(v->m_image.m_aImageSettings[46], 1u);
  int w = 0, h = 0;
  const std::vector<std::uint8_t> rows = BitmapRows(static_cast<HBITMAP>(v->m_image.m_hImageBitmap), &w, &h);
  ASSERT_EQ(w, 32);
  ASSERT_EQ(h, 16);
  const std::vector<std::uint8_t> file = Pixels(bmp);
  ASSERT_EQ(rows.size(), file.size());
  int differing = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * ((w * 3 + 3) & ~3) + x;
      if (rows[at] != 255 - file[at]) ++differing;
    }
  EXPECT_EQ(differing, 0);
  // Written back with the rest of the settings.
  const std::string written = app::WriteInfText(*doc, {});
  EXPECT_NE(written.find("[picture]\r\n"), std::string::npos);
  EXPECT_NE(written.find("imginv\t1\r\n"), std::string::npos);
  EXPECT_NE(written.find("imgall\t1\r\n"), std::string::npos);
}

}  // namespace
