// The pixel probe's texts: colour measures, the map measure of the region
// with its zoom correction and 64-bit values, the point relative to the
// origin and the scroll, and the second pane's rule.
#include <gtest/gtest.h>

#include <climits>

#include "image/view/pixel_probe.h"

namespace {

image::PixelProbeInput Probe(uint32_t colour) {
  image::PixelProbeInput in;
  in.x = 10;
  in.y = 20;
  in.probe = colour;
  in.grab = true;
  return in;
}

image::PixelProbeInput Region(int width, int height, int scale, int level) {
  image::PixelProbeInput in;
  in.sel = CRect(0, 0, width, height);
  in.mapScale = scale;
  in.zoomLevel = level;
  return in;
}

}  // namespace

TEST(PixelProbe, ColourMeasures) {
  struct Case {
    uint32_t colorref;
    int lightness, chroma;
    const char* hue;
  } cases[] = {
      {0x0000FF, 50, 100, "000"},   // red
      {0xFFFFFF, 100, 0, "000"},    // white
      {0x000000, 0, 0, "000"},
      {0x00FF00, 50, 100, "120"},   // green
      {0xFF0000, 50, 100, "240"},   // blue: negative angle + 360
      {0xFF0500, 50, 100, "239"},   // chroma 99 shows as 100
      {0x2878C8, 47, 54, "030"},    // RGB(200, 120, 40)
  };
  for (const Case& c : cases) {
    const image::ProbeColour m = image::MeasureProbeColour(c.colorref);
    EXPECT_EQ(m.lightness, c.lightness) << std::hex << c.colorref;
    EXPECT_EQ(m.chroma, c.chroma) << std::hex << c.colorref;
    char hue[16];
    std::snprintf(hue, sizeof hue, "%03.f", m.hue);
    EXPECT_STREQ(hue, c.hue) << std::hex << c.colorref;
  }
}

TEST(PixelProbe, WholePaneText) {
  image::PixelProbeInput in = Probe(0x0000FF);
  EXPECT_EQ(image::ComputePixelProbe(in).pane0, "XY=( 010, 020)  RGB=(255,000,000)  YCP=(050%,100%, 000deg )");
  in.sel = CRect(0, 0, 300, 150);
  in.mapScale = 1000;
  const image::PixelProbeTexts t = image::ComputePixelProbe(in);
  EXPECT_EQ(t.pane0,
            "XY=( 010, 020)  RGB=(255,000,000)  YCP=(050%,100%, 000deg )"
            "    W=25.400  H=12.700  D=28.398  A=322.580  (Scl=1/1000)");
  ASSERT_TRUE(t.hasPane104);
  EXPECT_EQ(t.pane104, "  0,  0:300,150 200% w=300 h=150");
}

TEST(PixelProbe, PointAgainstOriginAndScroll) {
  image::PixelProbeInput in = Probe(0);
  in.origin = CPoint(15, 5);
  in.scrollH = 100;
  in.scrollV = 55;
  in.zoomFine = 8;  // scrolls count 8/10
  EXPECT_EQ(image::ComputePixelProbe(in).pane0.substr(0, 14), "XY=( 075, 059)");
  in.zoomFine = 10;
  in.origin = CPoint(-1, -1);  // none: (0, 0)
  in.scrollH = in.scrollV = 0;
  in.x = -5;
  in.y = 12345;
  EXPECT_EQ(image::ComputePixelProbe(in).pane0.substr(0, 16), "XY=(-005, 12345)");
  // Values past the int range print whole.
  in.x = INT_MAX;
  in.scrollH = INT_MAX;
  EXPECT_EQ(image::ComputePixelProbe(in).pane0.substr(0, 16), "XY=( 4294967294,");
}

TEST(PixelProbe, ColourPartOnlyWhileGrabbing) {
  image::PixelProbeInput in = Probe(0x0000FF);
  in.sel = CRect(0, 0, 300, 150);
  in.mapScale = 1000;
  in.grabTool = 9;
  EXPECT_EQ(image::ComputePixelProbe(in).pane0.substr(0, 3), "XY=");
  in.grabTool = 3;
  EXPECT_EQ(image::ComputePixelProbe(in).pane0.substr(0, 8), "    W=25");
  in.grabTool = 0;
  in.grab = false;
  EXPECT_EQ(image::ComputePixelProbe(in).pane0.substr(0, 8), "    W=25");
  in.sel.left = -1;  // no region: no measure either
  EXPECT_EQ(image::ComputePixelProbe(in).pane0, "");
}

TEST(PixelProbe, MapMeasureAndZoom) {
  EXPECT_NE(image::ComputePixelProbe(Region(300, 100, 1000, 5)).pane0.find("W=25.400 "), std::string::npos);
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), 1000, 5).w, 25400);
  EXPECT_EQ(image::MeasureRegion(CRect(300, 0, 0, 0), 1000, 5).w, 25400);    // sides either way
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), -1000, 5).w, 25400);
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), 1000, 4).w, 50800);
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), 1000, 6).w, 12700);
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), 1000, 1).w, 406400);
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), 1000, 9).w, 1587);
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 300, 0), 1000, 0).w, 25400);    // outside 1-9: 1:1
  // Truncated before the zoom correction: 1 px at 1:1000 is 84, doubled 168.
  EXPECT_EQ(image::MeasureRegion(CRect(0, 0, 1, 0), 1000, 4).w, 168);

  // 3000 px at 1:50000 passes 32 bits in the product and in the area.
  const image::RegionMeasure m = image::MeasureRegion(CRect(0, 0, 3000, 3000), 50000, 5);
  EXPECT_EQ(m.w, 12700040);
  EXPECT_EQ(m.d, 17960568);
  EXPECT_EQ(m.a, 161291016001LL);
  EXPECT_NE(image::ComputePixelProbe(Region(3000, 3000, 50000, 5))
                .pane0.find("W=12700.040  H=12700.040  D=17960.568  A=161291016.001  (Scl=1/50000)"),
            std::string::npos);

  // Any input stays in range.
  const image::RegionMeasure big = image::MeasureRegion(CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX, 1);
  EXPECT_EQ(big.w, INT64_MAX / 19996 * 16);  // the product stops, then divides
  EXPECT_EQ(big.a, INT64_MAX / 1000);
  EXPECT_EQ(big.d, 10437141688603935LL);      // exact past 2^53
}

TEST(PixelProbe, SecondPane) {
  image::PixelProbeInput in = Region(300, 150, 1000, 5);
  in.sel.OffsetRect(10, 20);
  EXPECT_EQ(image::ComputePixelProbe(in).pane104, " 10, 20:310,170 200% w=300 h=150");
  // A flat region, or one that measures 0 high, leaves the pane alone.
  in.sel.bottom = in.sel.top;
  EXPECT_FALSE(image::ComputePixelProbe(in).hasPane104);
  in = Region(300, 1, 1000, 5);  // 1 px is 84 thousandths
  EXPECT_TRUE(image::ComputePixelProbe(in).hasPane104);
  in.zoomLevel = 9;              // 84 / 16 = 5
  EXPECT_TRUE(image::ComputePixelProbe(in).hasPane104);
  in.mapScale = 100;             // 8 / 16 = 0
  EXPECT_FALSE(image::ComputePixelProbe(in).hasPane104);
  // Not while a pasted block sits in the region.
  in = Region(300, 150, 1000, 5);
  in.pasteState = 1;
  EXPECT_FALSE(image::ComputePixelProbe(in).hasPane104);
  // The region's sides as 64-bit values.
  in = Region(0, 0, 1, 5);
  in.sel = CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  const image::PixelProbeTexts t = image::ComputePixelProbe(in);
  ASSERT_TRUE(t.hasPane104);
  EXPECT_NE(t.pane104.find("100% w=4294967295 h=4294967295"), std::string::npos);
}
