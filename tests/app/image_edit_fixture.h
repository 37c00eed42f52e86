// The picture fixture of the region-editing tests: a picture opened in the
// first text pane (which is made the active one), the document's clip and
// its layout, the view's loaded rows, and Ctrl+key presses.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/edit/region_clip.h"
#include "image/load/image_record.h"
#include "image_view_fixture.h"
#include "support/file_bytes.h"
#include "support/pump.h"

namespace imageedittest {

constexpr COLORREF kBack = RGB(10, 20, 30);

inline void CtrlKey(CDvkView* v, UINT key) {
  v->SendMessage(WM_KEYDOWN, VK_CONTROL, 0);
  v->SendMessage(WM_KEYDOWN, key, 0);
  v->SendMessage(WM_KEYUP, VK_CONTROL, 0);
}

// The rows of the shown picture as the view keeps them (m_pLoadedBits), by
// the shown header's size.
inline std::vector<std::uint8_t> LoadedRows(CDvkView* v) {
  const img::DibHeader h = img::ReadDibHeader(v->m_image.m_bmiImage);
  const std::size_t stride = (static_cast<std::size_t>(h.biWidth) * 3 + 3) & ~std::size_t{3};
  const std::size_t n = stride * static_cast<std::size_t>(h.biHeight);
  if (!v->m_image.m_pLoadedBits || v->m_image.m_nLoadedBitsSize < n) return {};
  return std::vector<std::uint8_t>(v->m_image.m_pLoadedBits, v->m_image.m_pLoadedBits + n);
}

class ImageEditTest : public imageviewtest::ImageViewFixture {
 protected:
  CDvkView* OpenPicture(const std::string& bmp) {
    const std::string path = File("pic.bmp");
    testsupport::WriteFileBytes(path, bmp);
    if (!StartIn("")) return nullptr;
    frame->ShowWindow(SW_SHOW);
    if (!OpenAndWait(path)) return nullptr;
    testsupport::PumpUntil([] { return false; }, 50);
    CDvkView* v = View();
    if (v) doc->m_nActiveTextPane = static_cast<int>(v->m_nPaneIndex);
    return v;
  }
  app::ImageClip& Clip() { return doc->KeyImageFields().m_imageClip; }
  image::ClipLayout ClipLayout() {
    const image::ClipReadResult r =
        image::ReadClipLayout(Clip().m_pImageClip, static_cast<std::size_t>(Clip().Capacity()));
    EXPECT_TRUE(r.ok()) << image::ClipErrorText(r.error);
    return r.layout;
  }
};

}  // namespace imageedittest
