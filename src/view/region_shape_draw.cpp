#include "view/region_shape_draw.h"

namespace view {

namespace {

int PenStyle(image::ShapePenStyle s) {
  switch (s) {
    case image::ShapePenStyle::Dash:
      return PS_DASH;
    case image::ShapePenStyle::Dot:
      return PS_DOT;
    case image::ShapePenStyle::DashDot:
      return PS_DASHDOT;
    case image::ShapePenStyle::DashDotDot:
      return PS_DASHDOTDOT;
    case image::ShapePenStyle::Solid:
      break;
  }
  return PS_SOLID;
}

// Hatch styles 0-5 of the plan (it clamps any other line style).
constexpr int kHatchStyles[image::regionshape::kMaxHatchStyle + 1] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                                                     HS_BDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};

HBRUSH MakeBrush(const image::ShapeBrush& b) {
  switch (b.kind) {
    case image::ShapeBrushKind::Solid:
      return ::CreateSolidBrush(static_cast<COLORREF>(b.colour));
    case image::ShapeBrushKind::Hatch:
      return ::CreateHatchBrush(kHatchStyles[b.hatchStyle], static_cast<COLORREF>(b.colour));
    case image::ShapeBrushKind::None:
      break;
  }
  return nullptr;
}

void RunStep(HDC dc, const image::ShapeStep& s, HBRUSH brush) {
  switch (s.kind) {
    case image::ShapeStepKind::FillRect: {
      if (!brush) break;
      RECT rc = {s.left, s.top, s.right, s.bottom};
      ::FillRect(dc, &rc, brush);
      break;
    }
    case image::ShapeStepKind::RoundRect:
      ::RoundRect(dc, s.left, s.top, s.right, s.bottom, s.x2, s.y2);
      break;
    case image::ShapeStepKind::Ellipse:
      ::Ellipse(dc, s.left, s.top, s.right, s.bottom);
      break;
    case image::ShapeStepKind::MoveTo:
      ::MoveToEx(dc, s.x, s.y, nullptr);
      break;
    case image::ShapeStepKind::LineTo:
      ::LineTo(dc, s.x, s.y);
      break;
    case image::ShapeStepKind::SetPixel:
      ::SetPixel(dc, s.x, s.y, static_cast<COLORREF>(s.colour));
      break;
    case image::ShapeStepKind::AngleArc:
      ::AngleArc(dc, s.x, s.y, static_cast<DWORD>(s.radius), static_cast<FLOAT>(s.startDeg),
                 static_cast<FLOAT>(s.sweepDeg));
      break;
    case image::ShapeStepKind::Arc:
      ::Arc(dc, s.left, s.top, s.right, s.bottom, s.x, s.y, s.x2, s.y2);
      break;
    case image::ShapeStepKind::SetBkColor:
      ::SetBkColor(dc, static_cast<COLORREF>(s.colour));
      break;
  }
}

}  // namespace

int DrawRegionShape(HDC dc, const image::ShapeInput& in) {
  const image::ShapePlan plan = image::PlanRegionShape(in);
  if (!dc || !plan.usesPen) return 0;

  HBRUSH brush = MakeBrush(plan.brush);
  if (plan.brush.setBackground) ::SetBkColor(dc, static_cast<COLORREF>(plan.brush.background));
  HPEN pen = ::CreatePen(PenStyle(plan.pen.style), plan.pen.width, static_cast<COLORREF>(plan.pen.colour));
  HGDIOBJ oldPen = pen ? ::SelectObject(dc, pen) : nullptr;
  HGDIOBJ oldBrush = brush && plan.brush.select ? ::SelectObject(dc, brush) : nullptr;

  for (int i = 0; i < plan.count; ++i) RunStep(dc, plan.steps[static_cast<size_t>(i)], brush);

  if (oldBrush) ::SelectObject(dc, oldBrush);
  if (oldPen) ::SelectObject(dc, oldPen);
  if (pen) ::DeleteObject(pen);
  if (brush) ::DeleteObject(brush);
  return 0;
}

}  // namespace view
