// The figure plan of a picture region: corner order and the one-pixel
// adjustments per kind and line style, the corner radius, the pen per kind
// and style, which kinds fill and which end with their filled shape, the
// double frame's inner frame, the line's snapping, the quarter arc's
// direction and inputs at the ends of the int range.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <utility>
#include <vector>

#include "image/edit/region_shape.h"

namespace {

using image::ShapeInput;
using image::ShapePenStyle;
using image::ShapePlan;
using image::ShapeStep;
using image::ShapeStepKind;
using K = ShapeStepKind;

constexpr uint32_t kPen = 0x0000FF, kBrush = 0x00FF00, kHatchBack = 0xFF0000, kText = 0x123456;

ShapeInput In(int kind, int l, int t, int r, int b, int style = 0, int fill = 0) {
  ShapeInput in;
  in.l = l, in.t = t, in.r = r, in.b = b;
  in.kind = kind;
  in.fill = fill;
  in.lineStyle = style;
  in.penColour = kPen, in.brushColour = kBrush, in.hatchBack = kHatchBack, in.textColour = kText;
  return in;
}

std::vector<K> Kinds(const ShapePlan& p) {
  std::vector<K> k;
  for (int i = 0; i < p.count; ++i) k.push_back(p.steps[size_t(i)].kind);
  return k;
}

std::vector<ShapeStep> Of(const ShapePlan& p, K kind) {
  std::vector<ShapeStep> out;
  for (int i = 0; i < p.count; ++i)
    if (p.steps[size_t(i)].kind == kind) out.push_back(p.steps[size_t(i)]);
  return out;
}

// The points of the moves, lines and pixels in order, as (x, y) pairs.
std::vector<std::pair<int, int>> Points(const ShapePlan& p, K kind) {
  std::vector<std::pair<int, int>> out;
  for (const ShapeStep& s : Of(p, kind)) out.emplace_back(s.x, s.y);
  return out;
}

using Pts = std::vector<std::pair<int, int>>;

TEST(RegionShape, FrameCornersAreOrderedThenTrimmedAndInsetByStyle) {
  // Dragged up-left: the same frame as down-right; right and bottom one less
  // and the sides through (r - 1, b - 1) of those.
  const Pts plain = {{10, 20}, {48, 20}, {48, 38}, {10, 38}, {10, 20}};
  for (const ShapeInput& in : {In(0, 10, 20, 50, 40), In(0, 50, 40, 10, 20)}) {
    const ShapePlan p = image::PlanRegionShape(in);
    Pts path = Points(p, K::MoveTo);
    const Pts lines = Points(p, K::LineTo);
    path.insert(path.end(), lines.begin(), lines.end());
    EXPECT_EQ(path, plain);
  }
  // Style 1 moves left/top in, style 2 every side; the double frame moves
  // only with styles 3 and 4.
  struct Case {
    int kind, style, l, t, r, b;
  } cases[] = {
      {0, 1, 11, 21, 49, 39}, {0, 2, 11, 21, 48, 38}, {0, 3, 10, 20, 49, 39}, {5, 2, 11, 21, 48, 38},
      {1, 1, 10, 20, 49, 39}, {1, 2, 10, 20, 49, 39}, {1, 3, 11, 21, 49, 39}, {1, 4, 11, 21, 49, 39},
  };
  for (const Case& c : cases) {
    const ShapePlan p = image::PlanRegionShape(In(c.kind, 10, 20, 50, 40, c.style, 2));
    ASSERT_EQ(p.steps[0].kind, K::FillRect) << c.kind << "/" << c.style;
    const ShapeStep& f = p.steps[0];
    EXPECT_EQ((std::vector<int>{f.left, f.top, f.right, f.bottom}), (std::vector<int>{c.l, c.t, c.r, c.b}))
        << c.kind << "/" << c.style;
  }
}

TEST(RegionShape, CornerPixelsFollowTheWidePens) {
  // Width 3: all four outer corners; width 2: the two above the start.
  EXPECT_EQ(Points(image::PlanRegionShape(In(0, 10, 20, 50, 40, 2)), K::SetPixel),
            (Pts{{10, 20}, {48, 20}, {48, 38}, {10, 38}}));
  EXPECT_EQ(Points(image::PlanRegionShape(In(0, 10, 20, 50, 40, 1)), K::SetPixel), (Pts{{10, 20}, {11, 20}}));
  EXPECT_TRUE(Points(image::PlanRegionShape(In(0, 10, 20, 50, 40, 3)), K::SetPixel).empty());
  // The pixels take the pen's colour, the brush colour with fill kind 2.
  for (const ShapeStep& s : Of(image::PlanRegionShape(In(0, 10, 20, 50, 40, 2, 2)), K::SetPixel))
    EXPECT_EQ(s.colour, kBrush);
}

TEST(RegionShape, DoubleFrameInnerFrameInsetByStyle) {
  const int inset[7] = {2, 3, 4, 3, 4, 3, 4};
  for (int s = 0; s < 7; ++s) {
    const ShapePlan p = image::PlanRegionShape(In(1, 10, 20, 50, 40, s));
    const Pts moves = Points(p, K::MoveTo);
    ASSERT_EQ(moves.size(), 2u) << s;
    const int l = s == 3 || s == 4 ? 11 : 10, t = l + 10, d = inset[s];
    EXPECT_EQ(moves[1], std::make_pair(l + d, t + d)) << s;
    EXPECT_EQ(Points(p, K::LineTo)[4], std::make_pair(49 - d - 1, t + d)) << s;
    // Styles 3-4 mark the pixels above-left of and above both frames.
    const Pts pixels = Points(p, K::SetPixel);
    if (s == 3 || s == 4)
      EXPECT_EQ(pixels, (Pts{{l - 1, t - 1}, {l, t - 1}, {l + d - 1, t + d - 1}, {l + d, t + d - 1}})) << s;
    else
      EXPECT_TRUE(pixels.empty()) << s;
  }
  // An unknown style insets as style 0 rather than far out or across.
  for (int s : {-1, 7, 1000})
    EXPECT_EQ(Points(image::PlanRegionShape(In(1, 10, 20, 50, 40, s)), K::MoveTo)[1], std::make_pair(12, 22)) << s;
}

TEST(RegionShape, PenByKindStyleAndFill) {
  struct Pen {
    ShapePenStyle style;
    int width;
  };
  const Pen most[8] = {{ShapePenStyle::Solid, 1}, {ShapePenStyle::Solid, 2},   {ShapePenStyle::Solid, 3},
                       {ShapePenStyle::Dash, 1},  {ShapePenStyle::Dot, 1},     {ShapePenStyle::DashDot, 1},
                       {ShapePenStyle::DashDotDot, 1}, {ShapePenStyle::Solid, 1}};
  const Pen frame2[8] = {{ShapePenStyle::Solid, 1}, {ShapePenStyle::Solid, 1}, {ShapePenStyle::Solid, 1},
                         {ShapePenStyle::Solid, 2}, {ShapePenStyle::Solid, 2}, {ShapePenStyle::Dot, 1},
                         {ShapePenStyle::Dot, 1},   {ShapePenStyle::Solid, 1}};
  for (int s = 0; s < 8; ++s) {
    for (int kind : {0, 1, 2, 3, 4, 5, 10}) {
      const Pen want = kind == 5 ? Pen{ShapePenStyle::Solid, 1} : kind == 1 ? frame2[s] : most[s];
      const image::ShapePen got = image::PlanRegionShape(In(kind, 0, 0, 40, 40, s)).pen;
      EXPECT_EQ(got.style, want.style) << kind << "/" << s;
      EXPECT_EQ(got.width, want.width) << kind << "/" << s;
    }
  }
  EXPECT_EQ(image::PlanRegionShape(In(3, 0, 0, 40, 40, -1)).pen.width, 1);
  EXPECT_EQ(image::PlanRegionShape(In(0, 0, 0, 40, 40, 0, 0)).pen.colour, kPen);
  EXPECT_EQ(image::PlanRegionShape(In(0, 0, 0, 40, 40, 0, 2)).pen.colour, kBrush);
  EXPECT_EQ(image::PlanRegionShape(In(0, 0, 0, 40, 40, 0, 3)).pen.colour, kPen);
}

TEST(RegionShape, WhichKindsFillAndWhichEndThere) {
  // Fill kind 1 fills only the hatched rectangle; from 2 on every kind that
  // has an area. Rounded rectangle and ellipse end with their filled shape.
  struct Case {
    int kind, fill;
    std::vector<K> steps;
  } cases[] = {
      {0, 1, {K::MoveTo, K::LineTo, K::LineTo, K::LineTo, K::LineTo}},
      {0, 2, {K::FillRect, K::MoveTo, K::LineTo, K::LineTo, K::LineTo, K::LineTo}},
      {2, 1, {K::MoveTo, K::AngleArc, K::AngleArc, K::AngleArc, K::AngleArc}},
      {2, 2, {K::RoundRect}},
      {3, 1, {K::MoveTo, K::Arc}},
      {3, 3, {K::Ellipse}},
      {4, 2, {K::MoveTo, K::Arc}},
      {5, 0, {K::MoveTo, K::SetBkColor}},
      {5, 1, {K::FillRect, K::MoveTo, K::SetBkColor}},
      {10, 2, {K::MoveTo, K::LineTo}},
      {11, 2, {}},
      {7, 2, {}},
      {-1, 2, {}},
  };
  for (const Case& c : cases) {
    const ShapePlan p = image::PlanRegionShape(In(c.kind, 10, 10, 60, 40, 0, c.fill));
    EXPECT_EQ(Kinds(p), c.steps) << c.kind << "/" << c.fill;
    const bool fills = c.fill >= 2 || (c.fill == 1 && c.kind == 5);
    if (!c.steps.empty()) {
      EXPECT_EQ(p.brush.select, fills) << c.kind << "/" << c.fill;
    }
  }
  const ShapeStep rr = image::PlanRegionShape(In(2, 10, 10, 60, 40, 0, 2)).steps[0];
  EXPECT_EQ((std::vector<int>{rr.left, rr.top, rr.right, rr.bottom, rr.x2, rr.y2}),
            (std::vector<int>{10, 10, 59, 39, 10, 10}));
}

TEST(RegionShape, CornerRadiusIsTheSmallerFifthUpToFifteen) {
  EXPECT_EQ(image::ShapeCornerRadius(0, 0, 49, 200), 9);
  EXPECT_EQ(image::ShapeCornerRadius(0, 0, 200, 24), 4);
  EXPECT_EQ(image::ShapeCornerRadius(0, 0, 1000, 1000), 15);
  EXPECT_EQ(image::ShapeCornerRadius(100, 100, 0, 0), 15);
  EXPECT_EQ(image::ShapeCornerRadius(40, 0, 0, 30), 6);
  EXPECT_EQ(image::ShapeCornerRadius(0, 0, 4, 100), 0);
  // The outline's corners sit on the frame's last pixels (r - 1, b - 1).
  const std::vector<ShapeStep> arcs = Of(image::PlanRegionShape(In(2, 0, 0, 201, 101)), K::AngleArc);
  ASSERT_EQ(arcs.size(), 4u);
  const int want[4][4] = {{184, 15, 90, -90}, {184, 84, 0, -90}, {15, 84, 270, -90}, {15, 15, 180, -90}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ((std::vector<int>{arcs[size_t(i)].x, arcs[size_t(i)].y, arcs[size_t(i)].startDeg,
                                arcs[size_t(i)].sweepDeg}),
              (std::vector<int>(want[i], want[i] + 4)))
        << i;
    EXPECT_EQ(arcs[size_t(i)].radius, 15);
  }
}

TEST(RegionShape, LineSnapsWhenNearlyStraight) {
  auto end = [](int l, int t, int r, int b) { return Points(image::PlanRegionShape(In(10, l, t, r, b)), K::LineTo); };
  EXPECT_EQ(end(10, 10, 12, 40), (Pts{{10, 39}}));   // |dx| 1: vertical
  EXPECT_EQ(end(10, 10, 14, 40), (Pts{{13, 39}}));   // |dx| 3: as dragged
  EXPECT_EQ(end(40, 10, 39, 60), (Pts{{40, 59}}));   // leftward, |dx| 2 after the trim
  EXPECT_EQ(end(10, 10, 60, 12), (Pts{{59, 10}}));   // horizontal
  EXPECT_EQ(end(10, 10, 10, 10), (Pts{{10, 10}}));   // a point stays one
  EXPECT_EQ(Points(image::PlanRegionShape(In(10, 60, 40, 10, 10)), K::MoveTo), (Pts{{60, 40}}));  // not ordered
}

TEST(RegionShape, QuarterArcFacesTheStartPoint) {
  // Centre (r, b) after the trim; the box is written ordered, the radial
  // points keep the counter-clockwise quarter on the start's side.
  struct Case {
    int l, t, r, b;
    std::pair<int, int> from, to;
  } cases[] = {
      {10, 10, 41, 31, {40, 10}, {10, 30}},    // down-right
      {70, 50, 41, 31, {40, 50}, {70, 30}},    // up-left
      {10, 50, 41, 31, {10, 30}, {40, 50}},    // up-right
      {70, 10, 41, 31, {70, 30}, {40, 10}},    // down-left
  };
  for (const Case& c : cases) {
    const std::vector<ShapeStep> arc = Of(image::PlanRegionShape(In(4, c.l, c.t, c.r, c.b)), K::Arc);
    ASSERT_EQ(arc.size(), 1u);
    const ShapeStep& a = arc[0];
    EXPECT_LE(a.left, a.right);
    EXPECT_LE(a.top, a.bottom);
    EXPECT_EQ((a.left + a.right) / 2, 40);
    EXPECT_EQ((a.top + a.bottom) / 2, 30);
    EXPECT_EQ(std::make_pair(a.x, a.y), c.from) << c.l << "," << c.t;
    EXPECT_EQ(std::make_pair(a.x2, a.y2), c.to) << c.l << "," << c.t;
  }
}

TEST(RegionShape, HatchBrushAndBackground) {
  ShapePlan p = image::PlanRegionShape(In(5, 0, 0, 30, 30, 4, 1));
  EXPECT_EQ(p.brush.kind, image::ShapeBrushKind::Hatch);
  EXPECT_EQ(p.brush.hatchStyle, 4);
  EXPECT_EQ(p.brush.colour, kText);
  EXPECT_TRUE(p.brush.setBackground);
  EXPECT_EQ(p.brush.background, kHatchBack);
  EXPECT_EQ(Of(p, K::SetBkColor).at(0).colour, kBrush);  // afterwards the brush colour
  EXPECT_EQ(image::PlanRegionShape(In(5, 0, 0, 30, 30, 4, 2)).brush.background, kBrush);
  EXPECT_EQ(image::PlanRegionShape(In(5, 0, 0, 30, 30, 9, 2)).brush.hatchStyle, 5);
  EXPECT_EQ(image::PlanRegionShape(In(5, 0, 0, 30, 30, -3, 2)).brush.hatchStyle, 0);
  p = image::PlanRegionShape(In(0, 0, 0, 30, 30, 4, 2));
  EXPECT_EQ(p.brush.kind, image::ShapeBrushKind::Solid);
  EXPECT_EQ(p.brush.colour, kBrush);
  EXPECT_FALSE(p.brush.setBackground);
}

TEST(RegionShape, ExtremeCornersStayInRange) {
  // Every kind, style and fill at the ends of the int range: the steps fit
  // and coordinates are clamped, not wrapped (UBSan watches the arithmetic).
  const int ends[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
  for (int kind : {0, 1, 2, 3, 4, 5, 10})
    for (int s : {0, 1, 2, 3, 4, 6, INT_MIN, INT_MAX})
      for (int f : {0, 1, 2})
        for (int a : ends)
          for (int b : ends) {
            const ShapePlan p = image::PlanRegionShape(In(kind, a, b, b, a, s, f));
            ASSERT_LE(p.count, image::kShapeMaxSteps);
            ASSERT_GE(p.count, 1);
            for (const ShapeStep& st : Of(p, K::AngleArc)) ASSERT_TRUE(st.radius >= 0 && st.radius <= 15);
          }
  // A quarter arc whose mirrored box leaves the range keeps its start point.
  const ShapeStep a = Of(image::PlanRegionShape(In(4, INT_MIN, INT_MIN, INT_MAX, INT_MAX)), K::Arc).at(0);
  EXPECT_EQ(a.right, INT_MAX);
  EXPECT_EQ(a.bottom, INT_MAX);
  EXPECT_EQ(a.left, INT_MIN);
  EXPECT_EQ(std::make_pair(a.x, a.y), std::make_pair(INT_MAX - 1, INT_MIN));
}

}  // namespace
