// The image canvas without its window: where the pictures of a marked rich
// text go (the "#%S03" markers), their folder and file names and their size
// on a printer; the region figure as a list of drawing operations (the same
// list erases it in the text's background colour and draws it in the marker
// colour); and the region's edges between image pixels and view pixels at the
// current zoom. The view's members walk the text, the DC and the files and
// act on what these answer. All arithmetic is 64-bit and every result is
// clamped to the int range, so no input overflows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fw/cstring.h"
#include "fw/geometry.h"
#include "image/view/image_view_state.h"

namespace image {

// --- Picture markers ---------------------------------------------------------

// One "#%" found in the text: the (up to) 5 characters selected from it, as
// the control gives them, and the client point of its first character.
struct CanvasMarkerHit {
  std::string chars;
  int x = 0;
  int y = 0;
};

constexpr int kCanvasMaxHits = 200;

// The start corner lies 5 pixels above the marker's point; the end corner 34
// right of and 13 below its point (the marker's own extent); a box is at
// least 10 pixels each way.
constexpr int kCanvasStartRise = 5;
constexpr int kCanvasEndRight = 34;
constexpr int kCanvasEndDrop = 13;
constexpr int kCanvasMinSize = 10;

// What every marker is overwritten with (no undo record).
extern const char kCanvasMarkerBlank[];  // "    _"

// The slot a marker names: the text padded with four blanks, letter at
// index 2, two decimal digits at 3 and 4 giving 1-99; 0 when it names none
// (slot 00, a non-digit, a text too short).
int CanvasMarkerSlot(const std::string& chars);

// Clears the slot table of `st` (x -1; y, size and natural flag 0), then
// places the first 200 hits in order: "S" and "P" set the slot's top-left
// corner (x, y - 5), "P" also its natural flag, "E" its end corner (x + 34,
// y + 13); a later marker of the same slot wins; other letters place
// nothing. Then slots 1-99 take width = end x - x and height = end y - y,
// each at least 10. Slot 0 is never named and stays cleared; a slot without
// a start keeps x = -1 and is never drawn.
void PlaceCanvasMarkers(const std::vector<CanvasMarkerHit>& hits, ImageViewState& st);

// Whether the scan searches again after a hit at `hitPos` (-1: the search
// failed) when `hitsSoFar` hits (this one included) are recorded: it stops
// after a hit at position 0 (which still counts) and after 200 hits.
bool CanvasScanGoesOn(int hitPos, int hitsSoFar);

// --- Picture output ------------------------------------------------------------

struct CanvasRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// A slot's output rectangle: with scale mode 4 (printing) every value is
// taken from 96 dots per inch to the device's logX / logY (value x L / 96,
// truncating toward zero); any other mode gives the values unchanged.
CanvasRect ScaleCanvasSlot(int x, int y, int w, int h, int scaleMode, int logX, int logY);

// The folder of a marked text's pictures: for a path longer than 4
// characters ending exactly in ".rtf" its folder (the text before the last
// "\", Shift-JIS aware; the path itself when there is none, or only one at
// position 0); for another path longer than 4 characters
// programDir + "\TMP\RTZX"; for a shorter one "".
CString CanvasPictureFolder(const CString& imagePath, const CString& programDir);

// "IMAGE%02d." + ext: CanvasPictureName(3, "jpg") is "IMAGE03.jpg" (a dot
// leading `ext` is taken as that dot).
CString CanvasPictureName(int n, const char* ext);

// folder + "\" + CanvasPictureName(n, ext).
CString CanvasPicturePath(const CString& folder, int n, const char* ext);

// --- Region figure ---------------------------------------------------------------

// Shape kinds of m_nShapeKind (the figure of the region, and from 51 the
// picture placement states).
namespace shape {
constexpr int kFrame = 0;
constexpr int kDoubleFrame = 1;
constexpr int kRoundedFrame = 2;
constexpr int kEllipse = 3;
constexpr int kQuarterArc = 4;
constexpr int kHatchedBox = 5;
constexpr int kLine = 10;
constexpr int kFreePen = 11;
constexpr int kPicturesToPlace = 51;
constexpr int kPicturesPlaced = 60;
}  // namespace shape

constexpr uint32_t kFigureColour = 0x8000FF;  // RGB(255, 0, 128)

enum class FigureOpKind { MoveTo, LineTo, AngleArc, Arc, FillHatch, FillRect };

// One drawing operation; the fields by kind:
//   MoveTo, LineTo  (a, b) the point
//   AngleArc        (a, b) centre, c radius, d start angle and e sweep in
//                   degrees (counter-clockwise positive); it first draws the
//                   straight edge from the current position to its start
//   Arc             (a, b, c, d) the bounding box left, top, right, bottom
//                   (not necessarily ordered), (e, f) the start radial point,
//                   (g, h) the end one; drawn counter-clockwise
//   FillHatch       (a, b, c, d) the rectangle, e the hatch style (the HS_
//                   value, m_nLineStyle as it is) in m_clrImageText
//   FillRect        (a, b, c, d) the rectangle, e the COLORREF's bits
struct FigureOp {
  FigureOpKind kind = FigureOpKind::MoveTo;
  int a = 0, b = 0, c = 0, d = 0;
  int e = 0, f = 0, g = 0, h = 0;
  bool operator==(const FigureOp& o) const {
    return kind == o.kind && a == o.a && b == o.b && c == o.c && d == o.d && e == o.e && f == o.f && g == o.g &&
           h == o.h;
  }
};

// The PS_ pen styles.
namespace pen {
constexpr int kSolid = 0;
constexpr int kDash = 1;
constexpr int kDot = 2;
constexpr int kDashDot = 3;
constexpr int kDashDotDot = 4;
}  // namespace pen

struct FigurePen {
  int style = pen::kSolid;
  int width = 1;
  bool operator==(const FigurePen& o) const { return style == o.style && width == o.width; }
};

// The kind drawn: 0 while a pasted block sits in the region (pasteState
// above 0) unless the kind is the double frame, 0 for the free pen, else
// the shape kind.
int DrawnFigureKind(int pasteState, int shapeKind);

// Frames (kinds 0-2) get ordered corners; from kind 3 on (left, top) is the
// start point and (right, bottom) the end point, as they are.
CRect OrderFigureCorners(int drawnKind, CRect r);

// The one-pixel corrections of the shifted corners by m_nShapeKind and the
// pen choice: the line none; the double frame left and top - 1 unless pen 3
// or 4; the others: pen 1 none, pen 2 right and bottom - 1, other pens left
// and top - 1, and the rounded frame right and bottom - 1 on top of that.
CRect AdjustFigureCorners(int shapeKind, int lineStyle, CRect r);

// The pen of the figure by the drawn kind and the pen choice (0-6).
FigurePen PickFigurePen(int drawnKind, int lineStyle);

// Whether the figure of this kind is erased before it is drawn elsewhere:
// the hatched box stays until the view repaints.
bool FigureErases(int drawnKind);

// The corner radius of the rounded frame: the smaller of |width| / 5 and
// |height| / 5, at most 15.
int RoundedFrameRadius(CRect r);

// The inset of the double frame's inner frame: pen + 2 for pens up to 2,
// pen for 3 and 4, pen - 2 from 5 on.
int DoubleFrameInset(int lineStyle);

// The figure at the adjusted corners `r` as drawing operations, starting with
// a move to (left, top): the frames (kinds 0 and 1, with the inner frame when
// shapeKind is 1), the rounded frame (four angle arcs), the ellipse, the
// quarter arc of the ellipse centred on the end point toward the start
// point, the hatched box (fill, then its frame) and the line (snapped
// vertical or horizontal within 3 pixels). Kinds above 10, and the unused
// 6-9 and negative ones, give no operations.
std::vector<FigureOp> PlanFigure(int drawnKind, int shapeKind, int lineStyle, CRect r);

// The two colour marks left of the figure (FillRect operations): a bar 5
// pixels wide from (left - 6, top) down to bottom in imageBack when it
// differs from textBack, then a 5 x 5 square at (left - 6, top) in imageText
// when it differs from textColour.
std::vector<FigureOp> PlanColourMarks(CRect r, uint32_t imageBack, uint32_t textBack, uint32_t imageText,
                                      uint32_t textColour);

// --- Zoom mapping ----------------------------------------------------------------

// One edge between loaded-image pixels and view pixels at zoom `level` (1-9,
// 5 = 1:1; any other level counts as 5, as the display draws it) and fine
// factor `fine` in tenths (below 1 counts as 10). Divisions truncate toward
// zero. To the view: (pixel x k / 2^(5 - L)) / 10 below level 6, else
// pixel x k x 2^(L - 5) / 10. To the image: view x 2^(5 - L) x 10 / k below
// level 5, view at 5, view / 2^(L - 5) above (the fine factor counts only
// below level 5).
int ZoomEdgeToView(int pixel, int level, int fine);
int ZoomEdgeToImage(int view, int level, int fine);

// All four edges: m_rcImageSelPix to m_rcImageSel when `toView`, else back.
void ScaleZoomRects(ImageViewState& st, int level, int fine, bool toView);

}  // namespace image
