#include "image/edit/region_shape.h"

#include <cstddef>
#include <limits>

namespace image {

namespace {

using namespace regionshape;

int Clamp(int64_t v) {
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return int(v);
}

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }
int Sign(int64_t v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
int64_t Min(int64_t a, int64_t b) { return a < b ? a : b; }
int64_t Max(int64_t a, int64_t b) { return a < b ? b : a; }

// Pens of line styles 0-6 for most kinds, and for the double frame (whose
// two frames sit close together, so its pens stay thin).
constexpr ShapePen kPens[7] = {
    {ShapePenStyle::Solid, 1, 0}, {ShapePenStyle::Solid, 2, 0},   {ShapePenStyle::Solid, 3, 0},
    {ShapePenStyle::Dash, 1, 0},  {ShapePenStyle::Dot, 1, 0},     {ShapePenStyle::DashDot, 1, 0},
    {ShapePenStyle::DashDotDot, 1, 0},
};
constexpr ShapePen kDoubleFramePens[7] = {
    {ShapePenStyle::Solid, 1, 0}, {ShapePenStyle::Solid, 1, 0}, {ShapePenStyle::Solid, 1, 0},
    {ShapePenStyle::Solid, 2, 0}, {ShapePenStyle::Solid, 2, 0}, {ShapePenStyle::Dot, 1, 0},
    {ShapePenStyle::Dot, 1, 0},
};

class Steps {
 public:
  explicit Steps(ShapePlan& plan) : plan_(plan) {}

  void MoveTo(int64_t x, int64_t y) { Point(ShapeStepKind::MoveTo, x, y); }
  void LineTo(int64_t x, int64_t y) { Point(ShapeStepKind::LineTo, x, y); }
  void Pixel(int64_t x, int64_t y, uint32_t colour) {
    ShapeStep* s = Point(ShapeStepKind::SetPixel, x, y);
    if (s) s->colour = colour;
  }
  void Box(ShapeStepKind kind, int64_t l, int64_t t, int64_t r, int64_t b) { Boxed(kind, l, t, r, b); }
  void RoundRect(int64_t l, int64_t t, int64_t r, int64_t b, int64_t w, int64_t h) {
    ShapeStep* s = Boxed(ShapeStepKind::RoundRect, l, t, r, b);
    if (!s) return;
    s->x2 = Clamp(w);
    s->y2 = Clamp(h);
  }
  void AngleArc(int64_t cx, int64_t cy, int radius, int start, int sweep) {
    ShapeStep* s = Point(ShapeStepKind::AngleArc, cx, cy);
    if (!s) return;
    s->radius = radius;
    s->startDeg = start;
    s->sweepDeg = sweep;
  }
  void Arc(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    ShapeStep* s = Boxed(ShapeStepKind::Arc, l, t, r, b);
    if (!s) return;
    s->x = Clamp(x1);
    s->y = Clamp(y1);
    s->x2 = Clamp(x2);
    s->y2 = Clamp(y2);
  }
  void Background(uint32_t colour) {
    ShapeStep* s = Add(ShapeStepKind::SetBkColor);
    if (s) s->colour = colour;
  }
  // The four sides of the frame whose last pixels are (r - 1, b - 1), from
  // the current point at (l, t) back to it.
  void Sides(int64_t l, int64_t t, int64_t r, int64_t b) {
    LineTo(r - 1, t);
    LineTo(r - 1, b - 1);
    LineTo(l, b - 1);
    LineTo(l, t);
  }

 private:
  ShapeStep* Add(ShapeStepKind kind) {
    if (plan_.count >= kShapeMaxSteps) return nullptr;  // no figure needs more
    ShapeStep& s = plan_.steps[size_t(plan_.count++)];
    s = ShapeStep();
    s.kind = kind;
    return &s;
  }
  ShapeStep* Point(ShapeStepKind kind, int64_t x, int64_t y) {
    ShapeStep* s = Add(kind);
    if (!s) return nullptr;
    s->x = Clamp(x);
    s->y = Clamp(y);
    return s;
  }
  // Boxes are written ordered: GDI takes them so, and the pixels covered
  // are those of the ordered box either way.
  ShapeStep* Boxed(ShapeStepKind kind, int64_t l, int64_t t, int64_t r, int64_t b) {
    ShapeStep* s = Add(kind);
    if (!s) return nullptr;
    s->left = Clamp(Min(l, r));
    s->top = Clamp(Min(t, b));
    s->right = Clamp(Max(l, r));
    s->bottom = Clamp(Max(t, b));
    return s;
  }

  ShapePlan& plan_;
};

bool DrawsSomething(int kind) {
  return (kind >= shape::kFrame && kind <= shape::kHatchedBox) || kind == shape::kLine;
}

}  // namespace

ShapePen PickShapePen(const ShapeInput& in) {
  const int s = in.lineStyle;
  ShapePen pen;
  if (in.kind != shape::kHatchedBox && s >= 0 && s < 7) pen = in.kind == shape::kDoubleFrame ? kDoubleFramePens[s] : kPens[s];
  pen.colour = in.fill == kFilled ? in.brushColour : in.penColour;
  return pen;
}

int ShapeCornerRadius(int64_t l, int64_t t, int64_t r, int64_t b) {
  const int64_t w = Abs((r - l) / 5);
  const int64_t h = Abs((b - t) / 5);
  return int(Min(Min(w, h), kMaxCornerRadius));
}

int DoubleFrameInnerInset(int lineStyle) {
  if (lineStyle < 0 || lineStyle > 6) lineStyle = 0;  // an unknown style draws as style 0
  if (lineStyle < 3) return lineStyle + 2;
  if (lineStyle >= 5) return lineStyle - 2;
  return lineStyle;
}

ShapePlan PlanRegionShape(const ShapeInput& in) {
  ShapePlan plan;
  const int kind = in.kind;
  if (!DrawsSomething(kind)) return plan;
  const int s = in.lineStyle;
  const int f = in.fill;

  // The brush: a hatch of the line style in the paint colour over the hatch
  // background (or the brush colour) for the hatched rectangle, else solid.
  if (kind == shape::kHatchedBox) {
    plan.brush.kind = ShapeBrushKind::Hatch;
    plan.brush.hatchStyle = s < 0 ? 0 : s > kMaxHatchStyle ? kMaxHatchStyle : s;
    plan.brush.colour = in.textColour;
    plan.brush.setBackground = true;
    plan.brush.background = f == kFillHatchOnly ? in.hatchBack : in.brushColour;
  } else {
    plan.brush.kind = ShapeBrushKind::Solid;
    plan.brush.colour = in.brushColour;
  }
  plan.pen = PickShapePen(in);
  plan.usesPen = true;

  // The corners: frames ordered, then right and bottom one less and the
  // line style's one-pixel insets.
  int64_t l = in.l, t = in.t, r = in.r, b = in.b;
  if (kind < shape::kEllipse) {
    if (l > r) { const int64_t x = l; l = r; r = x; }
    if (t > b) { const int64_t y = t; t = b; b = y; }
  }
  --r;
  --b;
  if (kind == shape::kDoubleFrame) {
    if (s == 3 || s == 4) ++l, ++t;
  } else if (s == 2) {
    ++l, ++t, --r, --b;
  } else if (s == 1) {
    ++l, ++t;
  }
  const int rad = ShapeCornerRadius(l, t, r, b);
  const uint32_t ink = plan.pen.colour;

  Steps steps(plan);
  const bool filled = f >= kFilled || (f == kFillHatchOnly && kind == shape::kHatchedBox);
  if (filled) {
    plan.brush.select = true;
    if (kind == shape::kFrame || kind == shape::kDoubleFrame || kind == shape::kHatchedBox) {
      steps.Box(ShapeStepKind::FillRect, l, t, r, b);
    } else if (kind == shape::kRoundedFrame) {
      steps.RoundRect(l, t, r, b, 2 * int64_t(rad), 2 * int64_t(rad));
      return plan;
    } else if (kind == shape::kEllipse) {
      steps.Box(ShapeStepKind::Ellipse, l, t, r, b);
      return plan;
    }
  }

  switch (kind) {
    case shape::kFrame:
    case shape::kDoubleFrame:
      steps.MoveTo(l, t);
      steps.Sides(l, t, r, b);
      if (kind == shape::kFrame && s == 2) {
        // The wide pen's round ends leave the outer corners open.
        steps.Pixel(l - 1, t - 1, ink);
        steps.Pixel(r, t - 1, ink);
        steps.Pixel(r, b, ink);
        steps.Pixel(l - 1, b, ink);
      } else if ((kind == shape::kFrame && s == 1) || (kind == shape::kDoubleFrame && (s == 3 || s == 4))) {
        steps.Pixel(l - 1, t - 1, ink);
        steps.Pixel(l, t - 1, ink);
      }
      if (kind == shape::kDoubleFrame) {
        const int64_t d = DoubleFrameInnerInset(s);
        steps.MoveTo(l + d, t + d);
        steps.Sides(l + d, t + d, r - d, b - d);
        if (s == 3 || s == 4) {
          steps.Pixel(l + d - 1, t + d - 1, ink);
          steps.Pixel(l + d, t + d - 1, ink);
        }
      }
      break;
    case shape::kRoundedFrame: {
      // Clockwise round the corners; each angle arc first draws the side
      // from the current point to its start. The path starts where the top
      // side leaves the top-left corner, so that corner stays round.
      const int64_t R = r - 1, B = b - 1;
      steps.MoveTo(l + rad, t);
      steps.AngleArc(R - rad, t + rad, rad, 90, -90);
      steps.AngleArc(R - rad, B - rad, rad, 0, -90);
      steps.AngleArc(l + rad, B - rad, rad, 270, -90);
      steps.AngleArc(l + rad, t + rad, rad, 180, -90);
      break;
    }
    case shape::kEllipse:
      steps.MoveTo(l, t);
      steps.Arc(l, t, r - 1, b - 1, l, t, l, t);
      break;
    case shape::kQuarterArc: {
      // The ellipse centred on (r, b) through (l, b) and (r, t). The arc runs
      // counter-clockwise, so the radial points are swapped for a drag
      // up-right or down-left to keep the quarter facing the start point.
      steps.MoveTo(l, t);
      const bool sameSign = Sign(r - l) == Sign(b - t);
      if (sameSign)
        steps.Arc(l, t, 2 * r - l, 2 * b - t, r, t, l, b);
      else
        steps.Arc(l, t, 2 * r - l, 2 * b - t, l, b, r, t);
      break;
    }
    case shape::kHatchedBox:
      steps.MoveTo(l, t);
      steps.Background(in.brushColour);
      break;
    case shape::kLine:
      steps.MoveTo(l, t);
      steps.LineTo(Abs(r - l) < 3 ? l : r, Abs(b - t) < 3 ? t : b);
      break;
    default:
      break;
  }
  return plan;
}

}  // namespace image
