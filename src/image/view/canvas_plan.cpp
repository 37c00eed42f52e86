#include "image/view/canvas_plan.h"

#include <cstdio>
#include <limits>

#include "fw/path.h"

namespace image {

namespace {

int Clamp(int64_t v) {
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

// A product that stops at the int64 range instead of wrapping.
int64_t SatMul(int64_t a, int64_t b) {
  int64_t r;
  if (!__builtin_mul_overflow(a, b, &r)) return r;
  return (a < 0) != (b < 0) ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }  // only for differences of ints

// The byte at `i` of a marker's text padded with blanks.
char MarkerByte(const std::string& chars, size_t i) { return i < chars.size() ? chars[i] : ' '; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The zoom level as the display draws it, and the fine factor in tenths.
int ZoomLevel(int level) { return level >= 1 && level <= 9 ? level : 5; }
int64_t ZoomFine(int fine) { return fine < 1 ? 10 : fine; }

// --- Pen table -----------------------------------------------------------------

constexpr int kPenChoices = 7;

// Pens 0-6 of every figure but the double frame and the hatched box.
constexpr FigurePen kFigurePens[kPenChoices] = {
    {pen::kSolid, 1}, {pen::kSolid, 2},    {pen::kSolid, 3},      {pen::kDash, 1},
    {pen::kDot, 1},   {pen::kDashDot, 1},  {pen::kDashDotDot, 1},
};

// Pens 0-6 of the double frame (its two frames sit close together).
constexpr FigurePen kDoubleFramePens[kPenChoices] = {
    {pen::kSolid, 1}, {pen::kSolid, 1}, {pen::kSolid, 1}, {pen::kSolid, 2},
    {pen::kSolid, 2}, {pen::kDot, 1},   {pen::kDot, 1},
};

constexpr FigurePen kHatchPen = {pen::kSolid, 1};

// --- Figure building -------------------------------------------------------------

class Ops {
 public:
  void MoveTo(int64_t x, int64_t y) { Add(FigureOpKind::MoveTo, x, y); }
  void LineTo(int64_t x, int64_t y) { Add(FigureOpKind::LineTo, x, y); }
  void AngleArc(int64_t cx, int64_t cy, int r, int start, int sweep) {
    Add(FigureOpKind::AngleArc, cx, cy, r, start, sweep);
  }
  void Arc(int64_t l, int64_t t, int64_t r, int64_t b, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    Add(FigureOpKind::Arc, l, t, r, b, x1, y1, x2, y2);
  }
  void Fill(FigureOpKind kind, int64_t l, int64_t t, int64_t r, int64_t b, int value) {
    Add(kind, l, t, r, b, value);
  }
  // Lines round the box from (l, t), ending back there.
  void Frame(int64_t l, int64_t t, int64_t r, int64_t b) {
    LineTo(r, t);
    LineTo(r, b);
    LineTo(l, b);
    LineTo(l, t);
  }
  std::vector<FigureOp> Take() { return std::move(ops_); }

 private:
  void Add(FigureOpKind kind, int64_t a, int64_t b, int64_t c = 0, int64_t d = 0, int64_t e = 0, int64_t f = 0,
           int64_t g = 0, int64_t h = 0) {
    FigureOp op;
    op.kind = kind;
    op.a = Clamp(a), op.b = Clamp(b), op.c = Clamp(c), op.d = Clamp(d);
    op.e = Clamp(e), op.f = Clamp(f), op.g = Clamp(g), op.h = Clamp(h);
    ops_.push_back(op);
  }
  std::vector<FigureOp> ops_;
};

}  // namespace

// --- Picture markers ---------------------------------------------------------

const char kCanvasMarkerBlank[] = "    _";

int CanvasMarkerSlot(const std::string& chars) {
  const char hi = MarkerByte(chars, 3), lo = MarkerByte(chars, 4);
  if (!IsDigit(hi) || !IsDigit(lo)) return 0;
  return (hi - '0') * 10 + (lo - '0');
}

void PlaceCanvasMarkers(const std::vector<CanvasMarkerHit>& hits, ImageViewState& st) {
  int endX[kPictureSlots] = {}, endY[kPictureSlots] = {};
  for (int i = 0; i < kPictureSlots; ++i) {
    st.m_aPictureX[i] = -1;
    st.m_aPictureY[i] = 0;
    st.m_aPictureWidth[i] = 0;
    st.m_aPictureHeight[i] = 0;
    st.m_aPictureNatural[i] = 0;
  }
  const size_t taken = hits.size() < size_t(kCanvasMaxHits) ? hits.size() : size_t(kCanvasMaxHits);
  for (size_t i = 0; i < taken; ++i) {
    const CanvasMarkerHit& hit = hits[i];
    const int n = CanvasMarkerSlot(hit.chars);  // 0-99; 0 names no slot
    if (n <= 0 || n >= kPictureSlots) continue;
    switch (MarkerByte(hit.chars, 2)) {
      case 'P':
        st.m_aPictureNatural[n] = 1;
        [[fallthrough]];
      case 'S':
        st.m_aPictureX[n] = hit.x;
        st.m_aPictureY[n] = Clamp(int64_t(hit.y) - kCanvasStartRise);
        break;
      case 'E':
        endX[n] = Clamp(int64_t(hit.x) + kCanvasEndRight);
        endY[n] = Clamp(int64_t(hit.y) + kCanvasEndDrop);
        break;
      default:
        break;
    }
  }
  for (int n = 1; n < kPictureSlots; ++n) {
    const int64_t w = int64_t(endX[n]) - st.m_aPictureX[n];
    const int64_t h = int64_t(endY[n]) - st.m_aPictureY[n];
    st.m_aPictureWidth[n] = Clamp(w < kCanvasMinSize ? kCanvasMinSize : w);
    st.m_aPictureHeight[n] = Clamp(h < kCanvasMinSize ? kCanvasMinSize : h);
  }
}

bool CanvasScanGoesOn(int hitPos, int hitsSoFar) { return hitPos > 0 && hitsSoFar < kCanvasMaxHits; }

// --- Picture output ------------------------------------------------------------

CanvasRect ScaleCanvasSlot(int x, int y, int w, int h, int scaleMode, int logX, int logY) {
  if (scaleMode != 4) return CanvasRect{x, y, w, h};
  auto scale = [](int v, int dpi) { return Clamp(int64_t(v) * dpi / 96); };
  return CanvasRect{scale(x, logX), scale(y, logY), scale(w, logX), scale(h, logY)};
}

CString CanvasPictureFolder(const CString& imagePath, const CString& programDir) {
  const std::string& p = imagePath.Str();
  if (p.size() <= 4) return CString();
  if (p.compare(p.size() - 4, 4, ".rtf") != 0) return programDir + "\\TMP\\RTZX";
  const int sep = fw::LastPathSeparator(imagePath.GetString(), imagePath.GetLength());
  return sep >= 1 ? imagePath.Left(sep) : imagePath;
}

CString CanvasPictureName(int n, const char* ext) {
  if (!ext) ext = "";
  if (*ext == '.') ++ext;
  char buf[32];
  std::snprintf(buf, sizeof buf, "IMAGE%02d.", n);
  return CString(buf) + ext;
}

CString CanvasPicturePath(const CString& folder, int n, const char* ext) {
  return folder + "\\" + CanvasPictureName(n, ext);
}

// --- Region figure ---------------------------------------------------------------

int DrawnFigureKind(int pasteState, int shapeKind) {
  if (pasteState > 0 && shapeKind != shape::kDoubleFrame) return shape::kFrame;
  if (shapeKind == shape::kFreePen) return shape::kFrame;
  return shapeKind;
}

CRect OrderFigureCorners(int drawnKind, CRect r) {
  if (drawnKind >= shape::kFrame && drawnKind <= shape::kRoundedFrame) r.NormalizeRect();
  return r;
}

CRect AdjustFigureCorners(int shapeKind, int lineStyle, CRect r) {
  if (shapeKind == shape::kLine) return r;  // the line keeps its points
  int64_t L = r.left, T = r.top, R = r.right, B = r.bottom;
  if (shapeKind == shape::kDoubleFrame) {
    if (lineStyle != 3 && lineStyle != 4) --L, --T;
  } else {
    if (lineStyle == 2)
      --R, --B;
    else if (lineStyle != 1)
      --L, --T;
    if (shapeKind == shape::kRoundedFrame) --R, --B;
  }
  return CRect(Clamp(L), Clamp(T), Clamp(R), Clamp(B));
}

FigurePen PickFigurePen(int drawnKind, int lineStyle) {
  if (drawnKind == shape::kHatchedBox) return kHatchPen;
  const int choice = lineStyle >= 0 && lineStyle < kPenChoices ? lineStyle : 0;
  return drawnKind == shape::kDoubleFrame ? kDoubleFramePens[choice] : kFigurePens[choice];
}

bool FigureErases(int drawnKind) { return drawnKind != shape::kHatchedBox; }

int RoundedFrameRadius(CRect r) {
  const int64_t w = Abs(int64_t(r.right) - r.left) / 5;
  const int64_t h = Abs(int64_t(r.bottom) - r.top) / 5;
  const int64_t radius = w < h ? w : h;
  return radius > 15 ? 15 : int(radius);
}

int DoubleFrameInset(int lineStyle) {
  if (lineStyle <= 2) return lineStyle + 2;
  if (lineStyle <= 4) return lineStyle;
  return lineStyle - 2;
}

std::vector<FigureOp> PlanFigure(int drawnKind, int shapeKind, int lineStyle, CRect r) {
  const int64_t L = r.left, T = r.top, R = r.right, B = r.bottom;
  Ops ops;
  switch (drawnKind) {
    case shape::kFrame:
    case shape::kDoubleFrame:
      ops.MoveTo(L, T);
      ops.Frame(L, T, R, B);
      if (shapeKind == shape::kDoubleFrame) {
        const int64_t d = DoubleFrameInset(lineStyle);
        ops.MoveTo(L + d, T + d);
        ops.Frame(L + d, T + d, R - d, B - d);
      }
      break;
    case shape::kRoundedFrame: {
      const int rad = RoundedFrameRadius(r);
      ops.MoveTo(L + rad, T);
      ops.AngleArc(R - rad, T + rad, rad, 90, -90);
      ops.AngleArc(R - rad, B - rad, rad, 0, -90);
      ops.AngleArc(L + rad, B - rad, rad, 270, -90);
      ops.AngleArc(L + rad, T + rad, rad, 180, -90);
      break;
    }
    case shape::kEllipse:
      ops.MoveTo(L, T);
      ops.Arc(L, T, R, B, 0, 0, 0, 0);
      break;
    case shape::kQuarterArc:
      // The ellipse centred on the end point through (L, B) and (R, T); the
      // arc runs counter-clockwise, so the radials are swapped when the
      // start lies up-right or down-left of the end to keep the quarter
      // that faces the start point.
      ops.MoveTo(L, T);
      if ((L > R && T < B) || (L < R && T > B))
        ops.Arc(L, T, 2 * R - L, 2 * B - T, L, B, R, T);
      else
        ops.Arc(L, T, 2 * R - L, 2 * B - T, R, T, L, B);
      break;
    case shape::kHatchedBox:
      ops.MoveTo(L, T);
      ops.Fill(FigureOpKind::FillHatch, L, T, R, B, lineStyle);
      ops.Frame(L, T, R, B);
      break;
    case shape::kLine:
      ops.MoveTo(L, T);
      ops.LineTo(Abs(R - L) < 3 ? L : R, Abs(B - T) < 3 ? T : B);
      break;
    default:
      break;
  }
  return ops.Take();
}

std::vector<FigureOp> PlanColourMarks(CRect r, uint32_t imageBack, uint32_t textBack, uint32_t imageText,
                                      uint32_t textColour) {
  const int64_t x = int64_t(r.left) - 6;
  Ops ops;
  if (imageBack != textBack) ops.Fill(FigureOpKind::FillRect, x, r.top, x + 5, r.bottom, int(imageBack));
  if (imageText != textColour)
    ops.Fill(FigureOpKind::FillRect, x, r.top, x + 5, int64_t(r.top) + 5, int(imageText));
  return ops.Take();
}

// --- Zoom mapping ----------------------------------------------------------------

int ZoomEdgeToView(int pixel, int level, int fine) {
  const int L = ZoomLevel(level);
  const int64_t k = ZoomFine(fine);
  if (L < 6) return Clamp(SatMul(pixel, k) / (int64_t(1) << (5 - L)) / 10);
  return Clamp(SatMul(SatMul(pixel, k), int64_t(1) << (L - 5)) / 10);
}

int ZoomEdgeToImage(int view, int level, int fine) {
  const int L = ZoomLevel(level);
  if (L < 5) return Clamp(int64_t(view) * ((int64_t(1) << (5 - L)) * 10) / ZoomFine(fine));
  if (L == 5) return Clamp(int64_t(view) * 10 / 10);
  return Clamp(int64_t(view) * 10 / ((int64_t(1) << (L - 5)) * 10));
}

void ScaleZoomRects(ImageViewState& st, int level, int fine, bool toView) {
  const CRect& from = toView ? st.m_rcImageSelPix : st.m_rcImageSel;
  CRect& to = toView ? st.m_rcImageSel : st.m_rcImageSelPix;
  auto edge = [&](int v) { return toView ? ZoomEdgeToView(v, level, fine) : ZoomEdgeToImage(v, level, fine); };
  const CRect r = from;
  to = CRect(edge(r.left), edge(r.top), edge(r.right), edge(r.bottom));
}

}  // namespace image
