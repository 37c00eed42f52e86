// The image canvas's plans: picture markers and their slots, the scan's end,
// printer scaling, the picture folder and names, the region figure's
// operations, pens and corner corrections, and the zoom mapping of edges.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <vector>

#include "image/view/canvas_plan.h"

using image::CanvasMarkerHit;
using image::FigureOp;
using image::FigureOpKind;

namespace {

std::unique_ptr<image::ImageViewState> Placed(const std::vector<CanvasMarkerHit>& hits) {
  auto st = std::make_unique<image::ImageViewState>();
  // Leftovers of an earlier text are cleared.
  st->m_aPictureX[4] = 7;
  st->m_aPictureNatural[4] = 1;
  st->m_aPictureWidth[0] = 3;
  image::PlaceCanvasMarkers(hits, *st);
  return st;
}

int PlacedSlots(const image::ImageViewState& st) {
  int n = 0;
  for (int i = 0; i < image::kPictureSlots; ++i) n += st.m_aPictureX[i] != -1;
  return n;
}

FigureOp Op(FigureOpKind k, int a, int b, int c = 0, int d = 0, int e = 0, int f = 0, int g = 0, int h = 0) {
  FigureOp op;
  op.kind = k;
  op.a = a, op.b = b, op.c = c, op.d = d, op.e = e, op.f = f, op.g = g, op.h = h;
  return op;
}
FigureOp MoveTo(int x, int y) { return Op(FigureOpKind::MoveTo, x, y); }
FigureOp LineTo(int x, int y) { return Op(FigureOpKind::LineTo, x, y); }

std::vector<FigureOp> FrameOps(int l, int t, int r, int b) {
  return {MoveTo(l, t), LineTo(r, t), LineTo(r, b), LineTo(l, b), LineTo(l, t)};
}

}  // namespace

TEST(CanvasMarkers, StartAndEndMakeTheBox) {
  auto st = Placed({{"#%S03", 100, 50}, {"#%E03", 200, 150}});
  EXPECT_EQ(st->m_aPictureX[3], 100);
  EXPECT_EQ(st->m_aPictureY[3], 45);
  EXPECT_EQ(st->m_aPictureWidth[3], 134);   // end (234, 163)
  EXPECT_EQ(st->m_aPictureHeight[3], 118);
  EXPECT_EQ(st->m_aPictureNatural[3], 0);
  EXPECT_EQ(PlacedSlots(*st), 1);
  // Slot 0 is never named and stays cleared; so do the leftovers.
  EXPECT_EQ(st->m_aPictureX[0], -1);
  EXPECT_EQ(st->m_aPictureWidth[0], 0);
  EXPECT_EQ(st->m_aPictureX[4], -1);
  EXPECT_EQ(st->m_aPictureNatural[4], 0);

  auto p = Placed({{"#%P03", 100, 50}, {"#%S99", 5, 6}});
  EXPECT_EQ(p->m_aPictureX[3], 100);
  EXPECT_EQ(p->m_aPictureY[3], 45);
  EXPECT_EQ(p->m_aPictureNatural[3], 1);
  EXPECT_EQ(p->m_aPictureX[99], 5);
  EXPECT_EQ(p->m_aPictureY[99], 1);
}

TEST(CanvasMarkers, MarkersThatPlaceNothing) {
  const std::vector<std::vector<CanvasMarkerHit>> cases = {
      {{"#%E03", 200, 150}},                       // an end without a start
      {{"#%S00", 10, 10}},                         // slot 00
      {{"#%Sx1", 10, 10}},                         // not two digits
      {{"#%S1x", 10, 10}},
      {{"#%Q05", 10, 10}},                         // unknown letter
      {{"#%s05", 10, 10}},                         // letters match case
      {{"#%S", 10, 10}},                           // short selections
      {{"#%S0", 10, 10}},
      {{"", 10, 10}},
      {{"#%S\x82\x4f", 10, 10}},                   // a double-byte character
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    auto st = Placed(cases[i]);
    EXPECT_EQ(PlacedSlots(*st), 0) << "case " << i;
  }
  EXPECT_EQ(image::CanvasMarkerSlot("#%S0"), 0);
  EXPECT_EQ(image::CanvasMarkerSlot("#%S42 more"), 42);
  EXPECT_STREQ(image::kCanvasMarkerBlank, "    _");
}

TEST(CanvasMarkers, LaterMarkerWinsAndSmallBoxesGrow) {
  auto st = Placed({{"#%S03", 10, 10}, {"#%E03", 400, 400}, {"#%S03", 20, 30}, {"#%E03", 100, 100}});
  EXPECT_EQ(st->m_aPictureX[3], 20);
  EXPECT_EQ(st->m_aPictureY[3], 25);
  EXPECT_EQ(st->m_aPictureWidth[3], 114);
  EXPECT_EQ(st->m_aPictureHeight[3], 88);

  // An end left of and above the start: both sides become 10.
  auto small = Placed({{"#%S05", 100, 50}, {"#%E05", 60, 40}});
  EXPECT_EQ(small->m_aPictureWidth[5], 10);
  EXPECT_EQ(small->m_aPictureHeight[5], 10);
  // Just under and just at 10.
  auto edge = Placed({{"#%S06", 100, 50}, {"#%E06", 75, 41}});  // end (109, 54): 9 x 9
  EXPECT_EQ(edge->m_aPictureWidth[6], 10);
  auto at = Placed({{"#%S06", 100, 50}, {"#%E06", 76, 42}});    // end (110, 55): 10 x 10
  EXPECT_EQ(at->m_aPictureWidth[6], 10);
  EXPECT_EQ(at->m_aPictureHeight[6], 10);

  // A start after a natural one keeps the natural flag (only "P" sets it).
  auto nat = Placed({{"#%P07", 1, 1}, {"#%S07", 9, 9}});
  EXPECT_EQ(nat->m_aPictureNatural[7], 1);
  EXPECT_EQ(nat->m_aPictureX[7], 9);
}

TEST(CanvasMarkers, OnlyTheFirst200HitsAndExtremePoints) {
  std::vector<CanvasMarkerHit> hits(199, CanvasMarkerHit{"#%Q01", 0, 0});
  hits.push_back({"#%S08", 1, 1});  // the 200th
  hits.push_back({"#%S09", 1, 1});  // the 201st
  auto st = Placed(hits);
  EXPECT_EQ(st->m_aPictureX[8], 1);
  EXPECT_EQ(st->m_aPictureX[9], -1);

  auto far = Placed({{"#%S10", INT_MIN, INT_MIN}, {"#%E10", INT_MAX, INT_MAX}});
  EXPECT_EQ(far->m_aPictureY[10], INT_MIN);
  EXPECT_EQ(far->m_aPictureWidth[10], INT_MAX);
  EXPECT_EQ(far->m_aPictureHeight[10], INT_MAX);
}

TEST(CanvasMarkers, ScanStops) {
  EXPECT_TRUE(image::CanvasScanGoesOn(5, 1));
  EXPECT_FALSE(image::CanvasScanGoesOn(0, 1));   // a hit at the text's start
  EXPECT_FALSE(image::CanvasScanGoesOn(-1, 1));  // nothing found
  EXPECT_TRUE(image::CanvasScanGoesOn(5, 199));
  EXPECT_FALSE(image::CanvasScanGoesOn(5, 200));
}

TEST(CanvasOutput, PrinterScale) {
  const image::CanvasRect r = image::ScaleCanvasSlot(96, 192, 96, 48, 4, 600, 600);
  EXPECT_EQ(r.x, 600);
  EXPECT_EQ(r.y, 1200);
  EXPECT_EQ(r.w, 600);
  EXPECT_EQ(r.h, 300);
  for (int mode : {0, 1, 3, 5}) {
    const image::CanvasRect s = image::ScaleCanvasSlot(96, 192, 96, 48, mode, 600, 600);
    EXPECT_EQ(s.x, 96);
    EXPECT_EQ(s.h, 48);
  }
  // Truncation toward zero, separate resolutions, no overflow.
  const image::CanvasRect t = image::ScaleCanvasSlot(1, -1, 95, 97, 4, 600, 300);
  EXPECT_EQ(t.x, 6);
  EXPECT_EQ(t.y, -3);
  EXPECT_EQ(t.w, 593);
  EXPECT_EQ(t.h, 303);
  const image::CanvasRect big = image::ScaleCanvasSlot(INT_MAX, INT_MIN, 0, 0, 4, 2400, 2400);
  EXPECT_EQ(big.x, INT_MAX);
  EXPECT_EQ(big.y, INT_MIN);
}

TEST(CanvasOutput, FolderAndNames) {
  const CString prog("D:\\prog");
  EXPECT_EQ(image::CanvasPictureFolder("C:\\a\\b.rtf", prog), "C:\\a");
  EXPECT_EQ(image::CanvasPictureFolder("C:\\a\\b.RTF", prog), "D:\\prog\\TMP\\RTZX");
  EXPECT_EQ(image::CanvasPictureFolder("C:\\x.rtzx", prog), "D:\\prog\\TMP\\RTZX");
  EXPECT_EQ(image::CanvasPictureFolder("a.rt", prog), "");
  EXPECT_EQ(image::CanvasPictureFolder(".rtf", prog), "");
  EXPECT_EQ(image::CanvasPictureFolder("b.rtf", prog), "b.rtf");      // no folder: the path itself
  EXPECT_EQ(image::CanvasPictureFolder("\\b.rtf", prog), "\\b.rtf");
  // "表" ends in the byte 0x5C, which is no separator.
  EXPECT_EQ(image::CanvasPictureFolder("C:\\\x95\x5C\\b.rtf", prog), "C:\\\x95\x5C");
  EXPECT_EQ(image::CanvasPictureFolder("C:\\\x95\x5C.rtf", prog), "C:");

  EXPECT_EQ(image::CanvasPictureName(3, "jpg"), "IMAGE03.jpg");
  EXPECT_EQ(image::CanvasPictureName(3, ".bmp"), "IMAGE03.bmp");
  EXPECT_EQ(image::CanvasPictureName(100, "bmp"), "IMAGE100.bmp");
  EXPECT_EQ(image::CanvasPicturePath("C:\\a", 12, "bmp"), "C:\\a\\IMAGE12.bmp");
}

TEST(CanvasFigure, KindDrawnAndCornerOrder) {
  EXPECT_EQ(image::DrawnFigureKind(0, 11), 0);  // free pen draws its frame
  EXPECT_EQ(image::DrawnFigureKind(0, 3), 3);
  EXPECT_EQ(image::DrawnFigureKind(1, 3), 0);   // pasted block: frame
  EXPECT_EQ(image::DrawnFigureKind(1, 10), 0);
  EXPECT_EQ(image::DrawnFigureKind(1, 1), 1);   // but the double frame stays
  EXPECT_EQ(image::DrawnFigureKind(-1, 4), 4);

  const CRect back(300, 200, 100, 50);
  for (int kind : {0, 1, 2}) EXPECT_EQ(image::OrderFigureCorners(kind, back), CRect(100, 50, 300, 200));
  for (int kind : {3, 4, 5, 10}) EXPECT_EQ(image::OrderFigureCorners(kind, back), back);
}

TEST(CanvasFigure, CornerAdjustment) {
  const CRect r(100, 50, 300, 200);
  struct Case {
    int shape, pen;
    CRect want;
  } cases[] = {
      {10, 0, r}, {10, 2, r},
      {1, 0, {99, 49, 300, 200}}, {1, 3, r}, {1, 4, r}, {1, 5, {99, 49, 300, 200}},
      {0, 1, r}, {0, 2, {100, 50, 299, 199}}, {0, 0, {99, 49, 300, 200}}, {3, 6, {99, 49, 300, 200}},
      {2, 1, {100, 50, 299, 199}}, {2, 2, {100, 50, 298, 198}}, {2, 0, {99, 49, 299, 199}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(image::AdjustFigureCorners(c.shape, c.pen, r), c.want) << "shape " << c.shape << " pen " << c.pen;
  EXPECT_EQ(image::AdjustFigureCorners(0, 0, CRect(INT_MIN, INT_MIN, 0, 0)), CRect(INT_MIN, INT_MIN, 0, 0));
}

TEST(CanvasFigure, PenTable) {
  using image::FigurePen;
  namespace pen = image::pen;
  struct Case {
    int kind, choice;
    FigurePen want;
  } cases[] = {
      {1, 3, {pen::kSolid, 2}}, {1, 4, {pen::kSolid, 2}}, {1, 5, {pen::kDot, 1}}, {1, 6, {pen::kDot, 1}},
      {1, 0, {pen::kSolid, 1}}, {1, 2, {pen::kSolid, 1}}, {1, 9, {pen::kSolid, 1}},
      {5, 2, {pen::kSolid, 1}}, {5, 6, {pen::kSolid, 1}},
      {0, 1, {pen::kSolid, 2}}, {0, 2, {pen::kSolid, 3}}, {2, 3, {pen::kDash, 1}}, {3, 4, {pen::kDot, 1}},
      {4, 5, {pen::kDashDot, 1}}, {10, 6, {pen::kDashDotDot, 1}}, {10, 0, {pen::kSolid, 1}},
      {0, 7, {pen::kSolid, 1}}, {0, -1, {pen::kSolid, 1}}, {60, 2, {pen::kSolid, 3}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(image::PickFigurePen(c.kind, c.choice), c.want) << "kind " << c.kind << " pen " << c.choice;
  EXPECT_FALSE(image::FigureErases(5));
  EXPECT_TRUE(image::FigureErases(0));
}

TEST(CanvasFigure, Frames) {
  const CRect r(100, 50, 300, 200);
  EXPECT_EQ(image::PlanFigure(0, 0, 0, r), FrameOps(100, 50, 300, 200));
  // The double frame's inner frame, inset by pen.
  const int inset[] = {2, 3, 4, 3, 4, 3, 4};
  for (int pen = 0; pen <= 6; ++pen) {
    const int d = inset[pen];
    std::vector<FigureOp> want = FrameOps(100, 50, 300, 200);
    for (const FigureOp& op : FrameOps(100 + d, 50 + d, 300 - d, 200 - d)) want.push_back(op);
    EXPECT_EQ(image::PlanFigure(1, 1, pen, r), want) << "pen " << pen;
  }
  // The inner frame follows m_nShapeKind, not the kind drawn.
  EXPECT_EQ(image::PlanFigure(1, 0, 0, r).size(), 5u);
}

TEST(CanvasFigure, RoundedFrame) {
  EXPECT_EQ(image::RoundedFrameRadius(CRect(0, 0, 200, 40)), 8);
  EXPECT_EQ(image::RoundedFrameRadius(CRect(0, 0, 400, 400)), 15);
  EXPECT_EQ(image::RoundedFrameRadius(CRect(200, 40, 0, 0)), 8);
  EXPECT_EQ(image::RoundedFrameRadius(CRect(0, 0, 4, 400)), 0);

  const CRect r(10, 20, 210, 60);  // 200 x 40: radius 8
  const std::vector<FigureOp> ops = image::PlanFigure(2, 2, 0, r);
  ASSERT_EQ(ops.size(), 5u);
  EXPECT_EQ(ops[0], MoveTo(18, 20));
  // Each arc starts and ends on the box's border, turning clockwise on the
  // screen, and the last one ends where the frame began.
  auto onBorder = [&](double x, double y) {
    return std::fabs(x - r.left) < 1e-6 || std::fabs(x - r.right) < 1e-6 || std::fabs(y - r.top) < 1e-6 ||
           std::fabs(y - r.bottom) < 1e-6;
  };
  const double rad = 3.14159265358979323846 / 180;
  double endX = 0, endY = 0;
  for (size_t i = 1; i < ops.size(); ++i) {
    const FigureOp& a = ops[i];
    ASSERT_EQ(a.kind, FigureOpKind::AngleArc);
    EXPECT_EQ(a.c, 8);
    EXPECT_EQ(a.e, -90);
    const double sx = a.a + a.c * std::cos(a.d * rad), sy = a.b - a.c * std::sin(a.d * rad);
    endX = a.a + a.c * std::cos((a.d + a.e) * rad), endY = a.b - a.c * std::sin((a.d + a.e) * rad);
    EXPECT_TRUE(onBorder(sx, sy)) << "arc " << i;
    EXPECT_TRUE(onBorder(endX, endY)) << "arc " << i;
  }
  EXPECT_NEAR(endX, 18, 1e-6);
  EXPECT_NEAR(endY, 20, 1e-6);
}

TEST(CanvasFigure, EllipseArcHatchAndLine) {
  EXPECT_EQ(image::PlanFigure(3, 3, 0, CRect(10, 20, 110, 70)),
            (std::vector<FigureOp>{MoveTo(10, 20), Op(FigureOpKind::Arc, 10, 20, 110, 70, 0, 0, 0, 0)}));

  // Start up-left of the end: from the top point (R, T) round to (L, B).
  EXPECT_EQ(image::PlanFigure(4, 4, 0, CRect(10, 10, 110, 60)),
            (std::vector<FigureOp>{MoveTo(10, 10), Op(FigureOpKind::Arc, 10, 10, 210, 110, 110, 10, 10, 60)}));
  // Start up-right of the end: from (L, B) round to (R, T).
  EXPECT_EQ(image::PlanFigure(4, 4, 0, CRect(110, 10, 10, 60)),
            (std::vector<FigureOp>{MoveTo(110, 10), Op(FigureOpKind::Arc, 110, 10, -90, 110, 110, 60, 10, 10)}));
  // Down-left and down-right.
  EXPECT_EQ(image::PlanFigure(4, 4, 0, CRect(10, 60, 110, 10))[1],
            Op(FigureOpKind::Arc, 10, 60, 210, -40, 10, 10, 110, 60));
  EXPECT_EQ(image::PlanFigure(4, 4, 0, CRect(110, 60, 10, 10))[1],
            Op(FigureOpKind::Arc, 110, 60, -90, -40, 10, 60, 110, 10));

  std::vector<FigureOp> hatch = {MoveTo(10, 20), Op(FigureOpKind::FillHatch, 10, 20, 110, 70, 4)};
  for (const FigureOp& op : FrameOps(10, 20, 110, 70))
    if (op.kind == FigureOpKind::LineTo) hatch.push_back(op);
  EXPECT_EQ(image::PlanFigure(5, 5, 4, CRect(10, 20, 110, 70)), hatch);

  // A line 2 pixels off vertical (or horizontal) snaps; 3 does not.
  EXPECT_EQ(image::PlanFigure(10, 10, 0, CRect(100, 10, 102, 200)),
            (std::vector<FigureOp>{MoveTo(100, 10), LineTo(100, 200)}));
  EXPECT_EQ(image::PlanFigure(10, 10, 0, CRect(100, 10, 98, 200))[1], LineTo(100, 200));
  EXPECT_EQ(image::PlanFigure(10, 10, 0, CRect(100, 10, 103, 200))[1], LineTo(103, 200));
  EXPECT_EQ(image::PlanFigure(10, 10, 0, CRect(10, 100, 200, 98))[1], LineTo(200, 100));

  for (int kind : {6, 9, 11, 51, 60, -1}) EXPECT_TRUE(image::PlanFigure(kind, kind, 0, CRect(1, 2, 3, 4)).empty());
  // Corners at the ends of the int range give clamped points.
  for (int kind : {0, 1, 2, 3, 4, 5, 10}) {
    const auto ops = image::PlanFigure(kind, kind, INT_MAX, CRect(INT_MIN, INT_MAX, INT_MAX, INT_MIN));
    EXPECT_FALSE(ops.empty());
  }
}

TEST(CanvasFigure, ColourMarks) {
  const CRect r(100, 50, 300, 200);
  EXPECT_EQ(image::PlanColourMarks(r, 0xF8F9FA, 0xFFFFFF, 0x010203, 0),
            (std::vector<FigureOp>{Op(FigureOpKind::FillRect, 94, 50, 99, 200, 0xF8F9FA),
                                   Op(FigureOpKind::FillRect, 94, 50, 99, 55, 0x010203)}));
  EXPECT_TRUE(image::PlanColourMarks(r, 5, 5, 7, 7).empty());
  EXPECT_EQ(image::PlanColourMarks(r, 5, 5, 7, 8).size(), 1u);
  EXPECT_EQ(image::PlanColourMarks(r, 5, 6, 7, 7)[0].d, 200);
}

TEST(CanvasZoom, EdgesBothWays) {
  // Level 5, fine 8: the pixel edge 100 is view 80, but view 80 is pixel 80.
  EXPECT_EQ(image::ZoomEdgeToView(100, 5, 8), 80);
  EXPECT_EQ(image::ZoomEdgeToImage(80, 5, 8), 80);
  // Level 2 (1/8): the fine factor counts both ways.
  EXPECT_EQ(image::ZoomEdgeToView(800, 2, 10), 100);
  EXPECT_EQ(image::ZoomEdgeToImage(100, 2, 10), 800);
  EXPECT_EQ(image::ZoomEdgeToView(1000, 2, 8), 100);
  EXPECT_EQ(image::ZoomEdgeToImage(100, 2, 8), 1000);
  EXPECT_EQ(image::ZoomEdgeToView(7, 4, 10), 3);   // truncating
  // Level 8 (x 8): only to the view.
  EXPECT_EQ(image::ZoomEdgeToView(100, 8, 10), 800);
  EXPECT_EQ(image::ZoomEdgeToView(100, 8, 7), 560);
  EXPECT_EQ(image::ZoomEdgeToImage(560, 8, 7), 70);
  EXPECT_EQ(image::ZoomEdgeToImage(805, 8, 10), 100);
  // A fine factor below 1 counts as 10.
  EXPECT_EQ(image::ZoomEdgeToView(100, 5, 0), 100);
  EXPECT_EQ(image::ZoomEdgeToView(100, 5, -3), 100);
  EXPECT_EQ(image::ZoomEdgeToImage(100, 3, 0), 400);
  // Toward zero for negative edges; other levels count as 1:1.
  EXPECT_EQ(image::ZoomEdgeToView(-15, 5, 8), -12);
  EXPECT_EQ(image::ZoomEdgeToView(100, 0, 10), 100);
  EXPECT_EQ(image::ZoomEdgeToImage(100, 12, 10), 100);
  // The int range is the limit.
  EXPECT_EQ(image::ZoomEdgeToView(INT_MAX, 9, INT_MAX), INT_MAX);
  EXPECT_EQ(image::ZoomEdgeToView(INT_MIN, 9, INT_MAX), INT_MIN);
  EXPECT_EQ(image::ZoomEdgeToImage(INT_MAX, 1, 1), INT_MAX);
}

TEST(CanvasZoom, RegionRects) {
  auto st = std::make_unique<image::ImageViewState>();
  st->m_rcImageSelPix = CRect(100, 200, 300, 400);
  image::ScaleZoomRects(*st, 5, 8, true);
  EXPECT_EQ(st->m_rcImageSel, CRect(80, 160, 240, 320));
  EXPECT_EQ(st->m_rcImageSelPix, CRect(100, 200, 300, 400));
  image::ScaleZoomRects(*st, 4, 10, false);
  EXPECT_EQ(st->m_rcImageSelPix, CRect(160, 320, 480, 640));
  EXPECT_EQ(st->m_rcImageSel, CRect(80, 160, 240, 320));
}
