// The figure tools under Wine, in-process: the "図形" submenu at the end of
// the image menu with its radio mark and stepping captions, the rows setting
// the fields they name (the colours through the colour dialog), and the two
// paint actions on a picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fw/cmdui.h"
#include "fw/menu.h"
#include "fw/uihooks.h"
#include "image_edit_fixture.h"
#include "res/resource.h"
#include "view/viewui/ctxmenu.h"

namespace {

using imageedittest::ImageEditTest;
using imageedittest::LoadedRows;

void Command(CDvkView* v, UINT id) { v->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// The update state of one row.
fw::RecordingCmdUI Update(CDvkView* v, UINT id) {
  fw::RecordingCmdUI ui(id);
  ui.DoUpdate(v, TRUE);
  return ui;
}

std::vector<int> LoadedPixel(CDvkView* v, int x, int y) {
  const std::vector<std::uint8_t> rows = LoadedRows(v);
  const img::DibHeader h = img::ReadDibHeader(v->m_image.m_bmiImage);
  const int stride = (h.biWidth * 3 + 3) & ~3;
  const std::uint8_t* p = rows.data() + (h.biHeight - 1 - y) * stride + x * 3;
  return {p[0], p[1], p[2]};
}

TEST_F(ImageEditTest, TheFigureRowsSetTheirFieldsAndShowTheirValues) {
  CDvkView* v = OpenPicture(imageviewtest::SolidBmp24(20, 20, RGB(1, 2, 3)));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  Command(v, ID_FIGURE_ELLIPSE);
  EXPECT_EQ(st.m_nShapeKind, 3);
  EXPECT_EQ(Update(v, ID_FIGURE_ELLIPSE).checked, 1);
  EXPECT_EQ(Update(v, ID_FIGURE_RECT).checked, 0);
  Command(v, ID_FIGURE_PEN);
  EXPECT_EQ(st.m_nShapeKind, 11);
  // The stepping rows show the value they now hold.
  Command(v, ID_FIGURE_LINE_STYLE);
  Command(v, ID_FIGURE_LINE_STYLE);
  EXPECT_EQ(st.m_nLineStyle, 2);
  EXPECT_EQ(Update(v, ID_FIGURE_LINE_STYLE).text, "線種 2");
  for (int i = 0; i < 3; ++i) Command(v, ID_FIGURE_FILL_KIND);
  EXPECT_EQ(st.m_nImageTool, 11);
  EXPECT_EQ(Update(v, ID_FIGURE_FILL_KIND).text, "塗り方: 境界色まで塗る");
  // The colours through the colour dialog; Cancel changes nothing.
  fw::hooks::ExpectColorDialog(true, RGB(10, 20, 30));
  Command(v, ID_FIGURE_PEN_COLOR);
  EXPECT_EQ(st.m_clrImageText, static_cast<std::uint32_t>(RGB(10, 20, 30)));
  fw::hooks::ExpectColorDialog(true, RGB(40, 50, 60));
  Command(v, ID_FIGURE_BRUSH_COLOR);
  EXPECT_EQ(st.m_clrImageBrush, static_cast<std::uint32_t>(RGB(40, 50, 60)));
  Command(v, ID_FIGURE_SCREEN_COLOR);
  EXPECT_EQ(Update(v, ID_FIGURE_SCREEN_COLOR).checked, 1);
  fw::hooks::ExpectColorDialog(true, RGB(70, 80, 90));
  Command(v, ID_FIGURE_AREA_COLOR);
  EXPECT_EQ(st.m_clrImageFill, 0x01000000u | RGB(70, 80, 90));
  fw::hooks::ExpectColorDialog(false, RGB(0, 0, 0));
  Command(v, ID_FIGURE_BRUSH_COLOR);
  EXPECT_EQ(st.m_clrImageBrush, static_cast<std::uint32_t>(RGB(40, 50, 60)));
  // The image menu ends with the figures' submenu; its rows carry the marks.
  viewui::ContextMenuState s;
  s.fileKind = 12;
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  ASSERT_TRUE(v->AppendMenuRows(menu, viewui::BuildContextMenu(viewui::ContextMenuKind::kImage, s)));
  const std::vector<fw::hooks::MenuItem> top = CMenu::ReadItems(menu);
  ASSERT_FALSE(top.empty());
  EXPECT_TRUE(top.back().popup);
  EXPECT_EQ(top.back().text, "図形");
  HMENU sub = ::GetSubMenu(menu, static_cast<int>(top.size()) - 1);
  const std::vector<fw::hooks::MenuItem> rows = CMenu::ReadItems(sub);
  ASSERT_EQ(rows.size(), 19u);
  EXPECT_EQ(rows[7].id, static_cast<unsigned>(ID_FIGURE_PEN));
  EXPECT_TRUE(rows[7].checked);
  EXPECT_FALSE(rows[0].checked);
  EXPECT_EQ(rows[9].text, "線種 2");
  for (const auto& r : rows)
    if (!r.separator) EXPECT_FALSE(r.grayed) << r.id;
  fw::hooks::Reset();
}

TEST_F(ImageEditTest, TheFigureActionsFillTheRegionAndFloodFillFromThePoint) {
  CDvkView* v = OpenPicture(imageviewtest::BmpOf(30, 20, [](int x, int, std::uint8_t* bgr) {
    // Two areas: x below 10 white, the rest grey.
    bgr[0] = bgr[1] = bgr[2] = x < 10 ? 255 : 128;
  }));
  ASSERT_NE(v, nullptr);
  image::ImageViewState& st = v->m_image;
  st.m_clrImageBrush = RGB(0, 0, 255);
  st.m_rcImageSel = CRect(12, 2, 18, 8);
  Command(v, ID_FIGURE_FILL_REGION);
  EXPECT_EQ(LoadedPixel(v, 12, 2), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(LoadedPixel(v, 17, 7), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(LoadedPixel(v, 18, 7), (std::vector<int>{128, 128, 128}));
  EXPECT_TRUE(v->GetRichEditCtrl().GetModify());
  // The flood fill over the white surface from the right-clicked point,
  // within the region (0, 0)-(25, 20).
  st.m_rcImageSel = CRect(0, 0, 25, 20);
  st.m_nShapeKind = 0;
  st.m_nImageTool = 0;
  st.m_clrImageFill = RGB(255, 255, 255);
  st.m_clrImageBrush = RGB(0, 255, 0);
  st.m_ptImageCursor = CPoint(3, 3);
  Command(v, ID_FIGURE_FLOOD_FILL);
  EXPECT_EQ(LoadedPixel(v, 0, 0), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(LoadedPixel(v, 9, 19), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(LoadedPixel(v, 10, 0), (std::vector<int>{128, 128, 128}));
  EXPECT_EQ(LoadedPixel(v, 12, 2), (std::vector<int>{255, 0, 0}));  // the filled box stays
  EXPECT_EQ(st.m_ptImageCursor, CPoint(3, 3));
}

}  // namespace
