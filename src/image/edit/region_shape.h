// One figure drawn on a picture region, planned without a window: the brush,
// the pen and the ordered drawing steps (fill, round rectangle, ellipse,
// lines, pixels, arcs, background colour) for the figure kind, fill kind and
// line style. The window side (view/region_shape_draw) only creates the GDI
// objects and carries the steps out. All arithmetic is 64-bit and every
// coordinate is clamped to the int range, so no input overflows.
#pragma once

#include <array>
#include <cstdint>

#include "image/view/canvas_plan.h"

namespace image {

// The figure kinds are those of the region figure (image::shape, canvas_plan.h).
namespace regionshape {

// Fill kinds: outline only, only a hatched figure filled, filled (2 also
// draws the outline in the brush colour).
constexpr int kOutline = 0;
constexpr int kFillHatchOnly = 1;
constexpr int kFilled = 2;

constexpr int kMaxHatchStyle = 5;   // hatch styles 0-5; others are clamped
constexpr int kMaxCornerRadius = 15;
}  // namespace regionshape

// What the drawing is given: the corners (any int, any order), the kinds,
// the colours (COLORREF, 0x00BBGGRR), the view's line style (0-6; the hatch
// style of kind 5) and its paint colour.
struct ShapeInput {
  int l = 0, t = 0, r = 0, b = 0;
  int kind = 0;
  int fill = 0;
  uint32_t penColour = 0;
  uint32_t brushColour = 0;
  uint32_t hatchBack = 0;
  int lineStyle = 0;    // m_nLineStyle
  uint32_t textColour = 0;  // m_clrImageText
};

enum class ShapeBrushKind { None, Solid, Hatch };

struct ShapeBrush {
  ShapeBrushKind kind = ShapeBrushKind::None;
  int hatchStyle = 0;      // 0-5 for a hatch brush
  uint32_t colour = 0;
  bool setBackground = false;  // set the DC's background colour before drawing
  uint32_t background = 0;
  bool select = false;     // selected into the DC (the figure is filled)
};

enum class ShapePenStyle { Solid, Dash, Dot, DashDot, DashDotDot };

struct ShapePen {
  ShapePenStyle style = ShapePenStyle::Solid;
  int width = 1;
  uint32_t colour = 0;
};

enum class ShapeStepKind { FillRect, RoundRect, Ellipse, MoveTo, LineTo, SetPixel, AngleArc, Arc, SetBkColor };

// One drawing step; the fields by kind:
//   FillRect, Ellipse  left..bottom the box (ordered; right and bottom
//                      exclusive) filled with the plan's brush
//   RoundRect          the box, (x2, y2) the corner ellipse's width, height
//   MoveTo, LineTo     (x, y)
//   SetPixel           (x, y) in `colour`
//   AngleArc           (x, y) the centre, radius, startDeg and sweepDeg
//                      (counter-clockwise positive)
//   Arc                the box (ordered), (x, y) the start radial point and
//                      (x2, y2) the end one, drawn counter-clockwise
//   SetBkColor         `colour`
struct ShapeStep {
  ShapeStepKind kind = ShapeStepKind::MoveTo;
  int left = 0, top = 0, right = 0, bottom = 0;
  int x = 0, y = 0;
  int x2 = 0, y2 = 0;
  int radius = 0, startDeg = 0, sweepDeg = 0;
  uint32_t colour = 0;
};

constexpr int kShapeMaxSteps = 16;

struct ShapePlan {
  ShapeBrush brush;
  ShapePen pen;
  bool usesPen = false;  // false: nothing is drawn, no GDI object is needed
  std::array<ShapeStep, kShapeMaxSteps> steps{};
  int count = 0;
};

// The pen by figure kind and line style (colour: the pen colour, the brush
// colour with fill kind 2).
ShapePen PickShapePen(const ShapeInput& in);

// The corner radius of corners already adjusted: the smaller of
// |(r - l) / 5| and |(b - t) / 5|, at most 15.
int ShapeCornerRadius(int64_t l, int64_t t, int64_t r, int64_t b);

// The inner frame's inset of the double frame: s + 2 below 3, s for 3 and 4,
// s - 2 for 5 and 6 (a style outside 0-6 counts as 0).
int DoubleFrameInnerInset(int lineStyle);

// The whole figure. Kinds 11 and unknown kinds give an empty plan.
ShapePlan PlanRegionShape(const ShapeInput& in);

}  // namespace image
