// The image canvas under Wine, in-process: a packed rich text shows its
// pictures at its markers (blanked, no undo, not modified) from the unpacked
// folder without touching the document's waiting picture; a "+  " text
// places the pictures beside it; the region corners, the frame clear, the
// figures read back in the marker colour, the background colour command and
// the probe text. The texts and JPEGs are made by image_canvas_make.sh.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "fw/alloc.h"
#include "fw/commondlg.h"
#include "fw/uihooks.h"
#include "host/frame_host.h"
#include "image/load/image_record.h"
#include "image_view_fixture.h"
#include "res/resource.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

using imageviewtest::Bmp24;

std::string Made(const char* name) { return std::string(TABRYE_BIN_ROOT) + "\\image_canvas\\" + name; }

constexpr COLORREF kMarker = RGB(255, 0, 128);

// Width and height of a BMP file (0, 0 when it is none).
void BmpSize(const std::string& bytes, int* w, int* h) {
  *w = *h = 0;
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return;
  std::int32_t v[2];
  std::memcpy(v, bytes.data() + 18, 8);
  *w = v[0];
  *h = v[1];
}

std::string ControlText(CDvkView* v) {
  CRichEditCtrl& c = v->GetRichEditCtrl();
  const long n = c.GetTextLength();
  std::string s(static_cast<std::size_t>(n) * 2 + 2, '\0');
  TEXTRANGEA r = {};
  r.chrg.cpMin = 0;
  r.chrg.cpMax = n;
  r.lpstrText = s.data();
  s.resize(static_cast<std::size_t>(c.SendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&r))));
  return s;
}

// Ctrl + `key` as the view's key handler sees it.
void CtrlKey(CDvkView* v, UINT key) {
  v->SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
  v->SendMessage(WM_KEYDOWN, key, 0);
  v->SendMessage(WM_KEYUP, VK_CONTROL, 0);
}

class ImageCanvasTest : public imageviewtest::ImageViewFixture {
 protected:
  // Copies a made file into the test's folder; false when it was not made.
  // The middle of slot n shows the red picture (when the window can be
  // read back).
  static void ExpectRedSlot(CDvkView* v, int n) {
    const image::ImageViewState& st = v->m_image;
    const CPoint origin = v->GetRichEditCtrl().PosFromChar(0);
    const COLORREF mid = PixelAt(v, st.m_aPictureX[n] + origin.x + st.m_aPictureWidth[n] / 2,
                                 st.m_aPictureY[n] + origin.y + st.m_aPictureHeight[n] / 2);
    if (mid == CLR_INVALID) return;
    EXPECT_GT(GetRValue(mid), 200);
    EXPECT_LT(GetGValue(mid), 60);
  }
  bool CopyMade(const char* name) {
    const std::string bytes = testsupport::ReadFileBytes(Made(name));
    if (bytes.empty()) return false;
    testsupport::WriteFileBytes(File(name), bytes);
    return true;
  }
  CDvkView* OpenShown(const std::string& path) {
    if (!StartIn("")) return nullptr;
    frame->ShowWindow(SW_SHOW);
    if (!OpenAndWait(path)) return nullptr;
    testsupport::PumpUntil([] { return false; }, 50);
    return View();
  }
};

TEST_F(ImageCanvasTest, APackedRichTextShowsItsPicturesAtTheMarkers) {
  if (!CopyMade("marked.rtzx")) GTEST_SKIP() << "no marked texts (made by ImageMagick and zip before this test)";
  CDvkView* v = OpenShown(File("marked.rtzx"));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->m_image.m_nShapeKind, 60);
  // The markers are blanked, without undo and without a change to save.
  const std::string text = ControlText(v);
  EXPECT_EQ(text.find("#%"), std::string::npos) << text;
  EXPECT_NE(text.find("    _ picture three"), std::string::npos) << text;
  EXPECT_FALSE(v->GetRichEditCtrl().GetModify());
  EXPECT_FALSE(v->GetRichEditCtrl().CanUndo());
  // The pictures beside the text were converted in the unpacked folder.
  const std::string folder = std::string(doc->m_strProgramDir.GetString()) + "\\TMP\\RTZX\\";
  int w = 0, h = 0;
  BmpSize(testsupport::ReadFileBytes(folder + "IMAGE03.bmp"), &w, &h);
  EXPECT_EQ(w, 60);
  EXPECT_EQ(h, 40);
  BmpSize(testsupport::ReadFileBytes(folder + "IMAGE05.bmp"), &w, &h);
  EXPECT_EQ(w, 30);
  // Slot 3 is a box from its S marker to its E marker; slot 5 takes the
  // picture's own size; the invalid markers place nothing.
  const image::ImageViewState& st = v->m_image;
  ASSERT_GE(st.m_aPictureX[3], 0);
  EXPECT_GT(st.m_aPictureWidth[3], 34);
  EXPECT_GT(st.m_aPictureHeight[3], 40);
  EXPECT_EQ(st.m_aPictureNatural[5], 1);
  EXPECT_EQ(st.m_aPictureWidth[5], 30);
  EXPECT_EQ(st.m_aPictureHeight[5], 20);
  EXPECT_EQ(st.m_aPictureX[0], -1);
  for (int n : {1, 2, 4, 6, 99}) EXPECT_EQ(st.m_aPictureX[n], -1) << n;
  // The picture's pixels are drawn in the slot's box.
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  ExpectRedSlot(v, 3);
}

// A file named on the command line opens before the first list pane, which
// cleans the scratch folders once per run: the clean-up comes first, so the
// unpacked pictures stay, and a repaint draws them again over the text.
TEST_F(ImageCanvasTest, AStartFileKeepsItsUnpackedPicturesAndARepaintRedrawsThem) {
  if (!CopyMade("marked.rtzx")) GTEST_SKIP() << "no marked texts";
  ASSERT_TRUE(StartIn(""));
  frame->ShowWindow(SW_SHOW);
  const std::string tmp = std::string(doc->m_strProgramDir.GetString()) + "\\TMP\\";
  ::CreateDirectoryA(tmp.c_str(), nullptr);
  testsupport::WriteFileBytes(tmp + "stale.txt", "old");
  doc->m_nFlist = app::kFlistAtConstruction;
  ASSERT_TRUE(OpenAndWait(File("marked.rtzx")));
  CDvkView* v = View();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(doc->m_nFlist, 9000);
  EXPECT_EQ(::GetFileAttributesA((tmp + "stale.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(::GetFileAttributesA((tmp + "RTZX\\IMAGE03.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(v->m_image.m_nShapeKind, 60);
  // The control repaints its text; the pictures come back over it.
  v->Invalidate();
  v->UpdateWindow();
  ExpectRedSlot(v, 3);
}

// Printing hands its DC in with the page's offsets: the pictures are drawn
// there, moved by the offsets, and none below the page's bottom.
TEST_F(ImageCanvasTest, APrintedPageDrawsThePicturesIntoTheDcHandedIn) {
  if (!CopyMade("marked.rtzx")) GTEST_SKIP() << "no marked texts";
  CDvkView* v = OpenShown(File("marked.rtzx"));
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(v->m_image.m_nShapeKind, 60);
  const image::ImageViewState& st = v->m_image;
  ASSERT_GE(st.m_aPictureX[3], 0);
  HDC screen = ::GetDC(nullptr);
  HDC page = ::CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 800;
  bi.bmiHeader.biHeight = -800;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  ASSERT_NE(dib, nullptr);
  HGDIOBJ old = ::SelectObject(page, dib);
  RECT all = {0, 0, 800, 800};
  ::FillRect(page, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  // The DC's resolution scales the slots from 96 dpi; a memory DC of the
  // screen has the screen's.
  const int lx = ::GetDeviceCaps(page, LOGPIXELSX), ly = ::GetDeviceCaps(page, LOGPIXELSY);
  const int x = st.m_aPictureX[3] * lx / 96, y = st.m_aPictureY[3] * ly / 96;
  const int w = st.m_aPictureWidth[3] * lx / 96, h = st.m_aPictureHeight[3] * ly / 96;
  v->RenderImageCanvas(4, page, 20, 30, 0);
  const COLORREF mid = ::GetPixel(page, x + 20 + w / 2, y + 30 + h / 2);
  EXPECT_GT(GetRValue(mid), 200);
  EXPECT_LT(GetGValue(mid), 60);
  // A page whose bottom lies above the slot draws nothing there.
  ::FillRect(page, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  v->RenderImageCanvas(4, page, 20, 30, y > 1 ? y - 1 : 1);
  EXPECT_EQ(::GetPixel(page, x + 20 + w / 2, y + 30 + h / 2), RGB(255, 255, 255));
  ::SelectObject(page, old);
  ::DeleteObject(dib);
  ::DeleteDC(page);
}

TEST_F(ImageCanvasTest, TheDocumentsWaitingPictureIsNotTouched) {
  if (!CopyMade("marked.rtzx")) GTEST_SKIP() << "no marked texts";
  CDvkView* v = OpenShown(File("marked.rtzx"));
  ASSERT_NE(v, nullptr);
  // A picture waits in the document's load record; a first pass again
  // converts the pictures beside the text.
  img::LoadRecord& rec = doc->m_imageLoad;
  const std::uint32_t n = 4096;
  std::uint8_t* block = static_cast<std::uint8_t*>(fw::Alloc(n));
  ASSERT_NE(block, nullptr);
  for (std::uint32_t i = 0; i < n; ++i) block[i] = static_cast<std::uint8_t>(i * 7);
  std::uint8_t* keptBits = rec.m_pLoadBits;
  const std::uint32_t keptReady = rec.m_nLoadReady;
  rec.m_pLoadBits = block;
  rec.m_nLoadReady = 1;
  v->m_image.m_nShapeKind = 51;
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  EXPECT_EQ(rec.m_pLoadBits, block);
  bool same = true;
  for (std::uint32_t i = 0; i < n; ++i) same = same && block[i] == static_cast<std::uint8_t>(i * 7);
  EXPECT_TRUE(same);
  EXPECT_EQ(v->m_image.m_nShapeKind, 60);
  rec.m_pLoadBits = keptBits;
  rec.m_nLoadReady = keptReady;
  fw::Free(block);
}

TEST_F(ImageCanvasTest, APlusTextPlacesThePicturesBesideIt) {
  if (!CopyMade("IMAGE03.jpg")) GTEST_SKIP() << "no pictures";
  const std::string path = File("plus.rtf");
  testsupport::WriteFileBytes(path, "{\\rtf1\\ansi +  marked\\par #%S03\\par\\par\\par       #%E03\\par}");
  CDvkView* v = OpenShown(path);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->m_image.m_nShapeKind, 60);
  int w = 0, h = 0;
  BmpSize(testsupport::ReadFileBytes(File("IMAGE03.bmp")), &w, &h);
  EXPECT_EQ(w, 60);
  EXPECT_EQ(h, 40);
  EXPECT_GE(v->m_image.m_aPictureX[3], 0);
  // Another text ends the placement state.
  const std::string plain = File("plain.txt");
  testsupport::WriteFileBytes(plain, "no markers\r\n");
  ASSERT_TRUE(OpenAndWait(plain));
  EXPECT_EQ(View()->m_image.m_nShapeKind, 0);
}

TEST_F(ImageCanvasTest, CornerCommandsSetTheRegionOnAPictureAndOnText) {
  const std::string pic = File("pic.bmp");
  testsupport::WriteFileBytes(pic, Bmp24(640, 480));
  CDvkView* v = OpenShown(pic);
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_ptImageCursor = CPoint(10, 20);
  v->SendMessage(WM_COMMAND, MAKEWPARAM(ID_REGION_TOP_LEFT, 0), 0);
  EXPECT_EQ(st.m_rcImageSel, CRect(10, 20, 639, 479));
  EXPECT_EQ(st.m_nRegionCornerMode, 0);
  EXPECT_EQ(st.m_bImageGrab, 1u);
  st.m_ptImageCursor = CPoint(300, 200);
  v->SendMessage(WM_COMMAND, MAKEWPARAM(ID_REGION_BOTTOM_RIGHT, 0), 0);
  EXPECT_EQ(st.m_rcImageSel, CRect(10, 20, 300, 200));
  // The picture's refresh draws the frame over it (its left edge).
  testsupport::PumpUntil([] { return false; }, 1500);
  const COLORREF edge = PixelAt(v, st.m_rcLastFigure.left, st.m_rcLastFigure.top + 50);
  if (edge != CLR_INVALID) EXPECT_EQ(edge, kMarker);
  // Corner mode 1 sets the top-left corner, then the bottom-right one.
  st.m_nRegionCornerMode = 1;
  v->SetImageCursor(5, 6, 0);
  EXPECT_EQ(st.m_nRegionCornerMode, 2);
  v->SetImageCursor(50, 60, 0);
  EXPECT_EQ(st.m_nRegionCornerMode, 0);
  EXPECT_EQ(st.m_rcImageSel, CRect(5, 6, 50, 60));
  // Ctrl+D on the picture clears the frame and keeps the region for undo.
  CtrlKey(v, 'D');
  EXPECT_EQ(st.m_rcImageSel.left, -1);
  EXPECT_EQ(st.m_rcImageSel.right, -1);
  EXPECT_EQ(st.m_rcImageSelSaved, CRect(5, 6, 50, 60));
  EXPECT_EQ(doc->KeyImageFields().m_imageClip.m_rcImageClip, CRect(5, 6, 50, 60));

  // On a text screen the region is 100 x 100 from the cursor point.
  const std::string txt = File("t.txt");
  testsupport::WriteFileBytes(txt, "text\r\n");
  ASSERT_TRUE(OpenAndWait(txt));
  v = View();
  v->m_image.m_rcImageSel = CRect(-1, -1, -1, -1);
  v->m_image.m_ptImageCursor = CPoint(30, 40);
  v->SetRegionTopLeft();
  EXPECT_EQ(v->m_image.m_rcImageSel, CRect(30, 40, 130, 140));
}

TEST_F(ImageCanvasTest, TheRegionsFrameLiesOnTheShownPictureWhereItWasMarked) {
  const std::string bmp = File("p.bmp");
  testsupport::WriteFileBytes(bmp, imageviewtest::SolidBmp24(200, 150, RGB(0, 0, 0)));
  CDvkView* v = OpenShown(bmp);
  ASSERT_NE(v, nullptr);
  doc->m_nActiveTextPane = static_cast<int>(v->m_nPaneIndex);
  ASSERT_EQ(v->m_image.m_nImageViewState, 1);
  v->UpdateWindow();
  if (PixelAt(v, 5, 5) == CLR_INVALID) GTEST_SKIP() << "the window cannot be read back";
  image::ImageViewState& st = v->m_image;
  st.m_nShapeKind = 0;
  st.m_nLineStyle = 1;
  st.m_rcImageSel = CRect(40, 40, 120, 100);
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  // The picture is painted from the client's corner (not scrolled here):
  // the frame is on the region's own pixels, whatever the text's margin.
  EXPECT_EQ(PixelAt(v, 40, 70), kMarker);
  EXPECT_EQ(PixelAt(v, 80, 40), kMarker);
  EXPECT_NE(PixelAt(v, 48, 70), kMarker);
}

TEST_F(ImageCanvasTest, FiguresAreDrawnInTheMarkerColourAndTheLastOneErased) {
  const std::string txt = File("t.txt");
  testsupport::WriteFileBytes(txt, "\r\n");
  CDvkView* v = OpenShown(txt);
  ASSERT_NE(v, nullptr);
  doc->m_nActiveTextPane = static_cast<int>(v->m_nPaneIndex);
  image::ImageViewState& st = v->m_image;
  const CPoint o = v->GetRichEditCtrl().PosFromChar(0);
  auto at = [&](int x, int y) { return PixelAt(v, x + o.x, y + o.y); };
  v->UpdateWindow();
  if (at(5, 5) == CLR_INVALID) GTEST_SKIP() << "the window cannot be read back";
  st.m_nShapeKind = 0;
  st.m_nLineStyle = 1;  // solid, 2 pixels, no corner correction
  st.m_rcImageSel = CRect(40, 40, 120, 100);
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  EXPECT_EQ(at(40, 40), kMarker);
  EXPECT_EQ(at(120, 100), kMarker);
  EXPECT_EQ(at(80, 40), kMarker);
  EXPECT_NE(at(80, 70), kMarker);
  // The frame moved: the one before is retraced in the text's background.
  st.m_rcImageSel = CRect(44, 44, 124, 104);
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  EXPECT_EQ(at(40, 40), doc->SettingsFields().m_clrTextBack);
  EXPECT_EQ(at(44, 44), kMarker);
  // The ellipse passes through the middle of each edge, not the corners.
  st.m_nShapeKind = 3;
  st.m_rcImageSel = CRect(140, 40, 220, 100);
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  bool top = false;
  for (int dy = -1; dy <= 1; ++dy) top = top || at(180, 40 + dy) == kMarker;
  EXPECT_TRUE(top);
  EXPECT_NE(at(140, 40), kMarker);
  // The colour marks when the picture colours differ from the text's.
  st.m_clrImageBack = RGB(0, 200, 0);
  st.m_clrImageText = RGB(0, 0, 200);
  st.m_nShapeKind = 0;
  st.m_rcImageSel = CRect(60, 120, 100, 160);
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  EXPECT_EQ(at(56, 150), RGB(0, 200, 0));
  EXPECT_EQ(at(56, 121), RGB(0, 0, 200));
  // An inactive pane draws no figure.
  doc->m_nActiveTextPane = static_cast<int>(v->m_nPaneIndex) + 1;
  const CRect last = st.m_rcLastFigure;
  st.m_rcImageSel = CRect(10, 10, 20, 20);
  v->RenderImageCanvas(1, nullptr, 0, 0, 0);
  EXPECT_EQ(st.m_rcLastFigure, last);
}

TEST_F(ImageCanvasTest, BackgroundColourAndProbe) {
  const std::string pic = File("pic.bmp");
  testsupport::WriteFileBytes(pic, imageviewtest::SolidBmp24(200, 100, RGB(255, 0, 0)));
  CDvkView* v = OpenShown(pic);
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  doc->SettingsFields().m_clrTxchar = RGB(1, 2, 3);
  fw::hooks::ExpectColorDialog(true, RGB(10, 20, 30));
  st.m_bImageGrab = 0;
  CtrlKey(v, 'B');
  EXPECT_EQ(st.m_clrImageBack, RGB(10, 20, 30));
  EXPECT_EQ(st.m_aImageSettings[3], RGB(10, 20, 30));
  EXPECT_EQ(st.m_aImageSettingsPrint[3], RGB(10, 20, 30));
  EXPECT_EQ(st.m_bImageGrab, 1u);
  EXPECT_EQ(CColorDialog::GetSavedCustomColors()[0], RGB(1, 2, 3));
  EXPECT_EQ(CColorDialog::GetSavedCustomColors()[8], doc->SettingsFields().m_clrTextBack);
  // From the message loop Ctrl+B reaches the picture before the frame's
  // accelerator of the text's block edit.
  fw::hooks::ExpectColorDialog(true, RGB(40, 50, 60));
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  MSG m = {};
  m.hwnd = v->m_hWnd;
  m.message = WM_KEYDOWN;
  m.wParam = 'B';
  EXPECT_TRUE(AfxGetApp()->PreTranslateMessage(&m));
  keys[VK_CONTROL] = 0;
  ::SetKeyboardState(keys);
  EXPECT_EQ(st.m_clrImageBack, RGB(40, 50, 60));
  fw::hooks::ExpectColorDialog(false, 0);
  st.m_bImageGrab = 0;
  v->OnImageCmd32997();
  EXPECT_EQ(st.m_clrImageBack, RGB(40, 50, 60));
  EXPECT_EQ(st.m_bImageGrab, 1u);

  // The probe: a grabbed picture shows the colour under the point, a
  // picture not grabbed shows none; a region adds its measure.
  v->Invalidate(FALSE);
  v->UpdateWindow();
  if (PixelAt(v, 20, 20) != RGB(255, 0, 0)) GTEST_SKIP() << "the window cannot be read back";
  st.m_bImageGrab = 1;
  st.m_rcImageSel = CRect(0, 0, 300, 10);
  doc->KeyImageFields().m_nMapScale = 1000;
  v->ShowPixelInfo(0, 20, 20);
  EXPECT_EQ(Caption().rfind("XY=(", 0), 0u) << Caption();
  EXPECT_NE(Caption().find("RGB=(255,000,000)"), std::string::npos) << Caption();
  EXPECT_NE(Caption().find("W=25.400"), std::string::npos) << Caption();
  st.m_bImageGrab = 0;
  st.m_rcImageSel = CRect(-1, -1, -1, -1);
  v->ShowPixelInfo(0, 20, 20);
  EXPECT_EQ(Caption(), "");
}

}  // namespace
