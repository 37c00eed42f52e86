// The figure tools of the image menu's "図形" submenu: the figure kind, the
// line style and fill kind that step on each choice, the pen, brush and
// area colours, and the two paint actions (fill the region, flood-fill from
// the right-clicked point). The stepping and captions are image/edit's
// figure_tools; the paint itself is the compositing's.
#include "fw/cmdui.h"
#include "fw/commondlg.h"
#include "host/doc_host.h"
#include "image/edit/figure_tools.h"
#include "image/edit/region_clip.h"
#include "image/edit/region_composite.h"
#include "image/edit/region_geometry.h"
#include "view/region_shape_draw.h"
#include "view/dvkview.h"

namespace {

constexpr std::uint32_t kScreenColourBit = 0x01000000;

// The colour dialog over `owner`, starting at `colour`; false on Cancel.
bool PickColour(CWnd* owner, std::uint32_t* colour) {
  CColorDialog dlg(*colour & 0xFFFFFF, CC_FULLOPEN, owner);
  if (dlg.DoModal() != IDOK) return false;
  *colour = dlg.GetColor() & 0xFFFFFF;
  return true;
}

}  // namespace

void CDvkView::SetFigureKind(int kind) { m_image.m_nShapeKind = kind; }

void CDvkView::UpdateFigureKind(CCmdUI* ui, int kind) { ui->SetRadio(m_image.m_nShapeKind == kind); }

void CDvkView::OnFigureLineStyle() { m_image.m_nLineStyle = image::NextLineStyle(m_image.m_nLineStyle); }

void CDvkView::OnUpdateFigureLineStyle(CCmdUI* ui) {
  ui->SetText(image::LineStyleCaption(m_image.m_nLineStyle).c_str());
}

void CDvkView::OnFigureFillKind() { m_image.m_nImageTool = image::NextFillKind(m_image.m_nImageTool); }

void CDvkView::OnUpdateFigureFillKind(CCmdUI* ui) {
  ui->SetText(image::FillKindCaption(m_image.m_nImageTool).c_str());
}

void CDvkView::OnFigurePenColor() { PickColour(this, &m_image.m_clrImageText); }

void CDvkView::OnFigureBrushColor() { PickColour(this, &m_image.m_clrImageBrush); }

void CDvkView::OnFigureAreaColor() {
  // The screen-colour choice stays as it was.
  std::uint32_t colour = m_image.m_clrImageFill & 0xFFFFFF;
  if (PickColour(this, &colour)) m_image.m_clrImageFill = colour | (m_image.m_clrImageFill & kScreenColourBit);
}

void CDvkView::OnFigureScreenColor() { m_image.m_clrImageFill ^= kScreenColourBit; }

void CDvkView::OnUpdateFigureScreenColor(CCmdUI* ui) {
  ui->SetCheck((m_image.m_clrImageFill & kScreenColourBit) ? 1 : 0);
}

void CDvkView::OnFigureFillRegion() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  image::ImageViewState& st = m_image;
  // Nothing copied yet: the region (or the whole picture) is copied first,
  // which gives the fill its size and place.
  const app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  if (st.m_nImageSelMode == 0 || !image::HasRegion(st.m_rcImageSel) ||
      !image::ClipHasSignature(clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()))) {
    st.m_nWorkSize = 0;
    CopyRegion();
    if (st.m_nWorkSize == 0) return;
  }
  RedrawImage(image::kCompositeFill, CString());
  GetRichEditCtrl().SetModify(TRUE);
}

void CDvkView::OnFigureFloodFill() {
  image::ImageViewState& st = m_image;
  // The right-clicked point of the picture; the fill works on a copy of the
  // region (or of the whole picture), in the copy's coordinates.
  const CPoint at = st.m_ptImageCursor;
  st.m_nWorkSize = 0;
  CopyRegion();
  if (st.m_nWorkSize == 0) return;
  const CRect region = image::NormalizeRegion(st.m_rcImageSel);
  if (!region.PtInRect(at)) return;  // outside the region nothing is filled
  st.m_ptImageCursor = CPoint(at.x - region.left, at.y - region.top);
  RedrawImage(image::kCompositePaint, CString());
  st.m_ptImageCursor = at;
  GetRichEditCtrl().SetModify(TRUE);
}

int CDvkView::DrawRegionShape(HDC dc, int l, int t, int r, int b, int kind, int fill, COLORREF pen, COLORREF brush,
                              COLORREF hatchBack) {
  image::ShapeInput in;
  in.l = l;
  in.t = t;
  in.r = r;
  in.b = b;
  in.kind = kind;
  in.fill = fill;
  in.penColour = pen;
  in.brushColour = brush;
  in.hatchBack = hatchBack;
  in.lineStyle = m_image.m_nLineStyle;
  in.textColour = m_image.m_clrImageText;
  return view::DrawRegionShape(dc, in);
}
