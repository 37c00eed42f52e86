// A view that showed a picture and then gets text (another file opened in
// the same pane), under Wine in-process: the image tick lets the picture go
// and paints nothing over the text.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "image_view_fixture.h"
#include "shell_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace {

class ImageViewSwitch : public imageviewtest::ImageViewFixture {};

TEST_F(ImageViewSwitch, TextOpenedAfterAPictureIsNotPaintedOver) {
  const std::string pic = File("red.bmp"), text = File("t.txt");
  testsupport::WriteFileBytes(pic, imageviewtest::SolidBmp24(200, 150, RGB(255, 0, 0)));
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
