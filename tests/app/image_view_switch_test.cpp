// A view that showed a picture and then gets text (another file opened in
// the same pane), under Wine in-process: the image tick lets the picture go
// and paints nothing over the text.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

// A 24-bit BMP of w x h, every pixel pure red.
std::string RedBmp(int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  const std::uint32_t size = static_cast<std::uint32_t>(stride * h);
  std::string b(54 + size, '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, 54 + size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  b[26] = 1;
  b[28] = 24;
  put32(34, size);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b[54 + static_cast<std::size_t>(y * stride + x * 3 + 2)] = static_cast<char>(0xFF);
  return b;
}

class ImageViewSwitch : public shelltest::ShellFileTest {
 protected:
  bool OpenAndWait(const std::string& path) {
    if (doc->OpenFile(path.c_str(), docopen::OpenMode::kPlain) != 0) return false;
    CDvkView* v = frame->GetTextView(0, 0);
    return v && testsupport::PumpUntil([v] { return !v->LoadPending(); }, 10000);
  }
  COLORREF PixelAt(CDvkView* v, int x, int y) {
    HDC dc = ::GetDC(v->m_hWnd);
    const COLORREF c = ::GetPixel(dc, x, y);
    ::ReleaseDC(v->m_hWnd, dc);
    return c;
  }
};

TEST_F(ImageViewSwitch, TextOpenedAfterAPictureIsNotPaintedOver) {
  const std::string pic = File("red.bmp"), text = File("t.txt");
  testsupport::WriteFileBytes(pic, RedBmp(200, 150));
  testsupport::WriteFileBytes(text, "hello\r\n");
  ASSERT_TRUE(StartIn(""));
  frame->ShowWindow(SW_SHOW);
  ASSERT_TRUE(OpenAndWait(pic));
  CDvkView* v = frame->GetTextView(0, 0);
  ASSERT_NE(v->m_image.m_hImageBitmap, nullptr);
  ASSERT_EQ(v->m_image.m_nImageViewState, 1);
  v->SendMessage(WM_TIMER, v->ImageTimerId(), 0);
  const COLORREF shown = PixelAt(v, 100, 100);
  if (shown == CLR_INVALID) GTEST_SKIP() << "the window cannot be read back here";
  EXPECT_EQ(shown, RGB(255, 0, 0));  // the picture, painted by the tick

  ASSERT_TRUE(OpenAndWait(text));
  ASSERT_NE(shelltest::ControlText(v).find("hello"), std::string::npos);
  v->UpdateWindow();
  // The tick: no picture any more, nothing painted, the bitmap gone.
  v->SendMessage(WM_TIMER, v->ImageTimerId(), 0);
  EXPECT_EQ(v->m_image.m_nImageViewState, 0);
  EXPECT_EQ(v->m_image.m_hImageBitmap, nullptr);
  EXPECT_NE(PixelAt(v, 100, 100), RGB(255, 0, 0));
  // A repaint of the text shows no picture either.
  v->Invalidate(FALSE);
  v->UpdateWindow();
  EXPECT_NE(PixelAt(v, 100, 100), RGB(255, 0, 0));
}

}  // namespace
