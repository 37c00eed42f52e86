// The picture markers of a marked rich text: hits taken from the input (any
// selected bytes, often behind "#%", any points) are placed, and the slot
// table must be what the first 200 hits say: slot 0 and unnamed slots stay
// cleared, a named slot has its last start point, every box is at least 10
// each way, and nothing beside the slot table changes. The same input then
// drives the figure plans, the zoom edges, the printer scale, the picture
// folder and the pixel probe with any numbers (no overflow under UBSan) and
// checks their ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "image/view/canvas_plan.h"
#include "image/view/pixel_probe.h"
#include "fuzz_reader.h"

namespace {

struct Reader : fuzz::ByteReader {
  // Mostly small values, sometimes any value.
  int Int() {
    const uint8_t b = Byte();
    if (b >= 0xF0) return int32_t(Word());
    if (b >= 0xE0) return b & 1 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return int(b) * 4 - 200;
  }
  CRect Rect() {
    const int l = Int(), t = Int(), r = Int(), b = Int();
    return CRect(l, t, r, b);
  }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

int ClampInt(int64_t v) {
  return v < std::numeric_limits<int>::min() ? std::numeric_limits<int>::min()
         : v > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                               : int(v);
}

char At(const std::string& s, size_t i) { return i < s.size() ? s[i] : ' '; }

void Markers(Reader& in) {
  const size_t count = size_t(in.Byte()) + (in.Byte() & 1 ? 100 : 0);  // up to 355 hits
  std::vector<image::CanvasMarkerHit> hits;
  for (size_t i = 0; i < count && in.n; ++i) {
    image::CanvasMarkerHit h;
    const uint8_t head = in.Byte();
    if (head & 1) h.chars = "#%";
    const size_t len = head >> 5;  // 0-7 more bytes
    for (size_t k = 0; k < len; ++k) h.chars.push_back(char(in.Byte()));
    h.x = in.Int();
    h.y = in.Int();
    hits.push_back(h);
  }

  // What the first 200 hits say.
  struct Expect {
    bool start = false;
    int x = -1, y = 0, natural = 0;
  } want[image::kPictureSlots];
  for (size_t i = 0; i < hits.size() && i < size_t(image::kCanvasMaxHits); ++i) {
    const std::string& c = hits[i].chars;
    const char hi = At(c, 3), lo = At(c, 4), letter = At(c, 2);
    if (hi < '0' || hi > '9' || lo < '0' || lo > '9') continue;
    const int n = (hi - '0') * 10 + (lo - '0');
    if (n == 0 || (letter != 'S' && letter != 'P')) continue;
    want[n].start = true;
    want[n].x = hits[i].x;
    want[n].y = ClampInt(int64_t(hits[i].y) - 5);
    if (letter == 'P') want[n].natural = 1;
  }

  auto st = std::make_unique<image::ImageViewState>();
  st->m_nGrabTool = 0x5A5A5A5A;   // the fields on either side of the slot table
  st->m_nLogPixelsX = 0x5A5A5A5A;
  image::PlaceCanvasMarkers(hits, *st);
  Check(st->m_nGrabTool == 0x5A5A5A5A && st->m_nLogPixelsX == 0x5A5A5A5A);
  Check(st->m_aPictureX[0] == -1 && st->m_aPictureY[0] == 0 && st->m_aPictureWidth[0] == 0 &&
        st->m_aPictureHeight[0] == 0 && st->m_aPictureNatural[0] == 0);
  for (int n = 1; n < image::kPictureSlots; ++n) {
    Check(st->m_aPictureX[n] == want[n].x);
    Check(st->m_aPictureY[n] == want[n].y);
    Check(st->m_aPictureNatural[n] == want[n].natural);
    Check(st->m_aPictureWidth[n] >= image::kCanvasMinSize && st->m_aPictureHeight[n] >= image::kCanvasMinSize);
  }
  for (size_t i = 0; i < hits.size(); ++i) {
    const int slot = image::CanvasMarkerSlot(hits[i].chars);
    Check(slot >= 0 && slot <= 99);
  }
}

void Figures(Reader& in) {
  const int kinds[] = {0, 1, 2, 3, 4, 5, 10, 11, 51, 60};
  const uint8_t sel = in.Byte();
  const int shapeKind = sel & 0x80 ? in.Int() : kinds[sel % 10];
  const int lineStyle = in.Byte() & 1 ? in.Int() : in.Byte() % 8;
  const int pasteState = in.Int();
  const int drawn = image::DrawnFigureKind(pasteState, shapeKind);
  const CRect shifted = image::OrderFigureCorners(drawn, in.Rect());
  const CRect r = image::AdjustFigureCorners(shapeKind, lineStyle, shifted);
  const image::FigurePen pen = image::PickFigurePen(drawn, lineStyle);
  Check(pen.style >= 0 && pen.style <= 4 && pen.width >= 1 && pen.width <= 3);
  const int radius = image::RoundedFrameRadius(r);
  Check(radius >= 0 && radius <= 15);
  const std::vector<image::FigureOp> ops = image::PlanFigure(drawn, shapeKind, lineStyle, r);
  Check(ops.size() <= 10);
  if (!ops.empty()) Check(ops[0].kind == image::FigureOpKind::MoveTo);
  for (const image::FigureOp& op : ops) Check(op.kind != image::FigureOpKind::FillRect);
  const auto marks = image::PlanColourMarks(r, in.Word(), in.Word(), in.Word(), in.Word());
  Check(marks.size() <= 2);

  const image::CanvasRect out = image::ScaleCanvasSlot(in.Int(), in.Int(), in.Int(), in.Int(), in.Byte() % 6,
                                                       in.Int(), in.Int());
  (void)out;
  const int n = in.Int();
  const image::CanvasRect same = image::ScaleCanvasSlot(n, n, n, n, 4, 96, 96);
  Check(same.x == n && same.h == n);
}

void Zoom(Reader& in) {
  const int level = in.Byte() & 1 ? in.Int() : in.Byte() % 11;
  const int fine = in.Byte() & 1 ? in.Int() : in.Byte() % 12;
  const int p = in.Int();
  const int v = image::ZoomEdgeToView(p, level, fine);
  // Monotonic: a larger pixel edge never maps before a smaller one.
  if (p < std::numeric_limits<int>::max()) Check(image::ZoomEdgeToView(p + 1, level, fine) >= v);
  const int back = image::ZoomEdgeToImage(p, level, fine);
  if (p < std::numeric_limits<int>::max()) Check(image::ZoomEdgeToImage(p + 1, level, fine) >= back);
  auto st = std::make_unique<image::ImageViewState>();
  st->m_rcImageSelPix = in.Rect();
  st->m_rcImageSel = in.Rect();
  image::ScaleZoomRects(*st, level, fine, in.Byte() & 1);
}

void Probe(Reader& in) {
  image::PixelProbeInput p;
  p.x = in.Int();
  p.y = in.Int();
  p.scrollH = in.Int();
  p.scrollV = in.Int();
  p.zoomFine = in.Int();
  p.zoomLevel = in.Int();
  p.origin = CPoint(in.Int(), in.Int());
  p.probe = in.Word();
  p.sel = in.Rect();
  p.mapScale = in.Int();
  p.grab = in.Byte() & 1;
  p.grabTool = in.Byte() % 11;
  p.pasteState = in.Byte() % 3;
  const image::PixelProbeTexts t = image::ComputePixelProbe(p);
  Check(t.pane0.size() < 256 && t.pane104.size() < 256);
  const image::RegionMeasure m = image::MeasureRegion(p.sel, p.mapScale, p.zoomLevel);
  Check(m.w >= 0 && m.h >= 0 && m.a >= 0 && m.d >= m.w && m.d >= m.h);
  const image::ProbeColour c = image::MeasureProbeColour(p.probe);
  Check(c.lightness >= 0 && c.lightness <= 100 && c.chroma >= 0 && c.chroma <= 101);
  Check(c.hue >= 0 && c.hue < 361);

  std::string path;
  for (uint8_t len = in.Byte() % 24; len && in.n; --len) path.push_back(char(in.Byte()));
  const CString folder = image::CanvasPictureFolder(CString(path), CString("D:\\prog"));
  Check(folder.GetLength() <= int(path.size()) || folder == "D:\\prog\\TMP\\RTZX");
  Check(image::CanvasPictureName(in.Int(), "bmp").GetLength() <= 20);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  Reader in{{data, size}};
  Markers(in);
  Figures(in);
  Zoom(in);
  Probe(in);
  return 0;
}
