// The figure plan of a picture region over any corners, kinds, fills and line
// styles: the steps fit their array, every step is a known kind with an
// ordered box, arcs keep a radius of 0-15, the pen is one of the planned
// widths, and for corners well inside the int range nothing is drawn
// outside the dragged rectangle widened by a few pixels (the quarter arc:
// inside the box mirrored about the end point).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "image/edit/region_shape.h"
#include "fuzz_reader.h"

namespace {

struct Reader : fuzz::ByteReader {
  // Mostly small numbers, sometimes any value or an end of the range.
  int Number(int span) {
    const uint8_t b = Byte();
    if (b >= 0xF8) return int32_t(Word());
    if (b >= 0xF0) return b & 1 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return int(b % span) - span / 8;
  }
};

void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "region_shape: check failed at line %d\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

constexpr int64_t kNear = int64_t(1) << 28;  // corners this small are checked for bounds

bool Small(const image::ShapeInput& in) {
  for (int64_t v : {int64_t(in.l), int64_t(in.t), int64_t(in.r), int64_t(in.b)})
    if (v < -kNear || v > kNear) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader rd{{data, size}};
  image::ShapeInput in;
  in.l = rd.Number(200);
  in.t = rd.Number(200);
  in.r = rd.Number(200);
  in.b = rd.Number(200);
  in.kind = rd.Number(16);
  in.fill = rd.Number(8);
  in.lineStyle = rd.Number(16);
  in.penColour = rd.Word();
  in.brushColour = rd.Word();
  in.hatchBack = rd.Word();
  in.textColour = rd.Word();

  const image::ShapePlan p = image::PlanRegionShape(in);
  Check(p.count >= 0 && p.count <= image::kShapeMaxSteps);
  if (!p.usesPen) {
    Check(p.count == 0);
    return 0;
  }
  Check(p.count >= 1);
  Check(p.pen.width >= 1 && p.pen.width <= 3);
  Check(p.pen.colour == in.penColour || p.pen.colour == in.brushColour);
  if (p.brush.kind == image::ShapeBrushKind::Hatch) Check(p.brush.hatchStyle >= 0 && p.brush.hatchStyle <= 5);

  // The area anything may touch: the dragged rectangle, three pixels wider
  // (the trim, the style inset and the outline's last pixel meet on a
  // rectangle without width); the double frame's inner frame, inset up to 4,
  // crosses over on a tiny one.
  const int64_t m = in.kind == image::shape::kDoubleFrame ? 6 : 3;
  const int64_t lo_x = (in.l < in.r ? in.l : in.r) - m, hi_x = (in.l < in.r ? in.r : in.l) + m;
  const int64_t lo_y = (in.t < in.b ? in.t : in.b) - m, hi_y = (in.t < in.b ? in.b : in.t) + m;
  const int64_t mirror_x = 2 * int64_t(in.r) - in.l, mirror_y = 2 * int64_t(in.b) - in.t;
  const bool small = Small(in);
  auto inside = [&](int64_t x, int64_t y) { return x >= lo_x && x <= hi_x && y >= lo_y && y <= hi_y; };
  auto insideArcBox = [&](int64_t x, int64_t y) {
    const int64_t ax = lo_x < mirror_x - 8 ? lo_x : mirror_x - 8, bx = hi_x > mirror_x + 8 ? hi_x : mirror_x + 8;
    const int64_t ay = lo_y < mirror_y - 8 ? lo_y : mirror_y - 8, by = hi_y > mirror_y + 8 ? hi_y : mirror_y + 8;
    return x >= ax && x <= bx && y >= ay && y <= by;
  };

  for (int i = 0; i < p.count; ++i) {
    const image::ShapeStep& s = p.steps[size_t(i)];
    switch (s.kind) {
      case image::ShapeStepKind::FillRect:
      case image::ShapeStepKind::RoundRect:
      case image::ShapeStepKind::Ellipse:
        Check(s.left <= s.right && s.top <= s.bottom);
        Check(p.brush.select);
        if (small) Check(inside(s.left, s.top) && inside(s.right, s.bottom));
        break;
      case image::ShapeStepKind::Arc:
        Check(s.left <= s.right && s.top <= s.bottom);
        if (small) {
          if (in.kind == image::shape::kQuarterArc)
            Check(insideArcBox(s.left, s.top) && insideArcBox(s.right, s.bottom));
          else
            Check(inside(s.left, s.top) && inside(s.right, s.bottom));
        }
        break;
      case image::ShapeStepKind::AngleArc:
        Check(s.radius >= 0 && s.radius <= image::regionshape::kMaxCornerRadius);
        Check(s.sweepDeg == -90);
        if (small) Check(inside(int64_t(s.x) - s.radius, int64_t(s.y) - s.radius));
        if (small) Check(inside(int64_t(s.x) + s.radius, int64_t(s.y) + s.radius));
        break;
      case image::ShapeStepKind::MoveTo:
      case image::ShapeStepKind::LineTo:
      case image::ShapeStepKind::SetPixel:
        if (small) Check(inside(s.x, s.y));
        break;
      case image::ShapeStepKind::SetBkColor:
        Check(s.colour == in.brushColour);
        break;
      default:
        Check(false);
    }
  }
  return 0;
}
