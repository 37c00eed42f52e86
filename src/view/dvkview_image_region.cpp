// The image region's corners, its two coordinate forms, the background
// colour of pictures and the pixel probe. The arithmetic is portable
// (image/view/canvas_plan.h, image/view/pixel_probe.h); these members read the
// view and the document, and act on the result.
#include "core/docsvc/filekind.h"
#include "fw/bars.h"
#include "fw/cmdui.h"
#include "fw/commondlg.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/view/canvas_plan.h"
#include "image/view/pixel_probe.h"
#include "image/view/view_types.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr UINT kRegionRefreshMs = 10;  // the pane's image refresh after a corner
constexpr int kDefaultRegionSide = 100;  // a region set on a text screen
constexpr int kCustomTextColour = 0;     // custom colour 1 of the colour dialog
constexpr int kCustomTextBack = 8;       // custom colour 9
// The image options' background colour word (the copy kept for printing
// carries it too).
constexpr int kBackColourWord = 3;

bool ShowsPlainPicture(const image::ImageViewState& st, int pageViewState, int kind) {
  return st.m_nImageViewState < 1 && pageViewState != 4 && kind >= 12 && kind <= 29;
}

}  // namespace

void CDvkView::SetImageCursor(int x, int y, int bSetOrigin) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  HCURSOR cross = ::LoadCursor(nullptr, IDC_CROSS);
  const int X = x + ::GetScrollPos(m_hWnd, SB_HORZ);
  const int Y = y + ::GetScrollPos(m_hWnd, SB_VERT);
  const int mode = st.m_nRegionCornerMode;
  if (mode == 1 || mode == 11) {
    st.m_rcImageSelShown.left = X;
    st.m_rcImageSelShown.top = Y;
  } else if (mode == 2 || mode == 12) {
    st.m_rcImageSelShown.right = X;
    st.m_rcImageSelShown.bottom = Y;
  }
  app::DocKeyImageFields& k = doc->KeyImageFields();
  if (k.m_ptMeasureOrigin == CPoint(-1, -1)) k.m_ptMeasureOrigin = CPoint(0, 0);
  if (bSetOrigin == 1) {
    k.m_ptMeasureOrigin = CPoint(X, Y);
    ShowPixelInfo(1, X, Y);
  }
  std::int32_t* w = reinterpret_cast<std::int32_t*>(st.m_aImageSettings);
  switch (mode) {
    case 3:
    case 13:
      k.m_ptMeasurePoint = CPoint(X, Y);
      if (w[img::word::nEffectStyle] == 1) {
        RedrawImageView(9);
        st.m_bImageGrab = 1;
        st.m_nRegionCornerMode = 0;
      } else if (mode == 13) {
        st.m_nRegionCornerMode = 0;
      }
      break;
    case 1:
    case 11:
      st.m_rcImageSel.left = X;
      st.m_rcImageSel.top = Y;
      st.m_nRegionCornerMode = mode == 1 ? 2 : 0;
      break;
    case 2:
    case 12:
      st.m_rcImageSel.right = X;
      st.m_rcImageSel.bottom = Y;
      st.m_nRegionCornerMode = 0;
      break;
    default:
      break;
  }
  ::SetCursor(cross);
}

// The start both corner commands share: the corner mode, the region set,
// no effect style, and the cursor point taken. Returns the region's size
// before it (a corner moved by the keyboard keeps or moves by it).
CSize CDvkView::BeginRegionCorner(int cornerMode) {
  image::ImageViewState& st = m_image;
  const CSize size(st.m_rcImageSel.right - st.m_rcImageSel.left, st.m_rcImageSel.bottom - st.m_rcImageSel.top);
  st.m_nRegionCornerMode = cornerMode;
  st.m_bRegionSet = 1;
  reinterpret_cast<std::int32_t*>(st.m_aImageSettings)[img::word::nEffectStyle] = 0;
  SetImageCursor(st.m_ptImageCursor.x, st.m_ptImageCursor.y, 0);
  return size;
}

// The end both share: the zoom rectangles, then the picture redrawn (an
// effect style) or the figure drawn over a text screen with its refresh.
void CDvkView::FinishRegionCorner() {
  image::ImageViewState& st = m_image;
  ScaleZoomRects(0);
  const std::int32_t* words = reinterpret_cast<const std::int32_t*>(st.m_aImageSettings);
  if (words[img::word::nEffectStyle] == 1) {
    RedrawImageView(0);
  } else if (!ShowsPlainPicture(st, m_nPageViewState, static_cast<int>(m_nFileKind))) {
    RenderImageCanvas(1, nullptr, 0, 0, 0);
    SetTimer(m_nPaneIndex + 2, kRegionRefreshMs);
  }
  st.m_bImageGrab = 1;
}

void CDvkView::SetRegionTopLeft() {
  image::ImageViewState& st = m_image;
  const CSize size = BeginRegionCorner(11);
  const int kind = static_cast<int>(m_nFileKind);
  // An unset edge: the picture's last pixel, or 100 pixels on a text screen.
  const bool picture = kind >= 12 && kind <= 28;
  if (st.m_rcImageSel.bottom == -1) st.m_rcImageSel.bottom = picture ? st.m_nImageHeight - 1 : st.m_rcImageSel.top + kDefaultRegionSide;
  if (st.m_rcImageSel.right == -1) st.m_rcImageSel.right = picture ? st.m_nImageWidth - 1 : st.m_rcImageSel.left + kDefaultRegionSide;
  // A corner moved by the keyboard keeps the region's size.
  if (m_bInternalKey == 1) {
    st.m_rcImageSel.right = st.m_rcImageSel.left + size.cx;
    st.m_rcImageSel.bottom = st.m_rcImageSel.top + size.cy;
  }
  FinishRegionCorner();
}

void CDvkView::SetRegionBottomRight() {
  image::ImageViewState& st = m_image;
  const CSize size = BeginRegionCorner(12);
  if (st.m_rcImageSel.top == -1) st.m_rcImageSel.top = 0;
  if (st.m_rcImageSel.left == -1) st.m_rcImageSel.left = 0;
  // A corner moved by the keyboard moves the region instead of resizing it.
  if (m_bInternalKey == 1) {
    st.m_rcImageSel.top = st.m_rcImageSel.bottom - size.cy;
    st.m_rcImageSel.left = st.m_rcImageSel.right - size.cx;
  }
  FinishRegionCorner();
}

void CDvkView::ClearRegionFrame() {
  app::DocHost* doc = GetDocument();
  image::ImageViewState& st = m_image;
  // The region stays the clip's place (and undo's) after the frame goes.
  if (doc && st.m_nImageSelMode != 3 && st.m_rcImageSel.right > 0)
    doc->KeyImageFields().m_imageClip.m_rcImageClip = st.m_rcImageSel;
  st.m_bRegionSet = 0;
  st.m_bImageGrab = 0;
  st.m_nPasteState = 0;
  st.m_rcImageSelSaved = st.m_rcImageSel;
  st.m_rcImageSel = CRect(-1, -1, -1, -1);
  if (st.m_nImageDragState > 1) st.m_nImageDragState = 0;
  st.m_nImageTool = 0;
  if (st.m_nImageSelMode != 3) st.m_nImageSelMode = 0;
  st.m_rcImageSelShown = CRect(-1, -1, -1, -1);
  st.m_nRegionCornerMode = 0;
  // The frame drawn over the view goes with a repaint: the picture's own
  // refresh, or the control's.
  st.m_rcLastFigure = CRect(-1, -1, -1, -1);
  if (st.m_nImageViewState == 1 && m_hWnd) SetTimer(m_nPaneIndex + 2, kRegionRefreshMs);
  else if (m_hWnd) Invalidate();
}

int CDvkView::ScaleZoomRects(int bToView) {
  const std::int32_t* words = reinterpret_cast<const std::int32_t*>(m_image.m_aImageSettings);
  image::ScaleZoomRects(m_image, words[img::word::nZoomLevel], words[img::word::nZoomFine], bToView != 0);
  return 0;
}

void CDvkView::OnImageCmd32997() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  image::ImageViewState& st = m_image;
  CColorDialog dlg(st.m_clrPicked, CC_FULLOPEN, this);
  COLORREF* custom = CColorDialog::GetSavedCustomColors();
  custom[kCustomTextColour] = doc->SettingsFields().m_clrTxchar;
  custom[kCustomTextBack] = doc->SettingsFields().m_clrTextBack;
  if (dlg.DoModal() == IDOK) {
    st.m_clrImageBack = dlg.GetColor();
    st.m_aImageSettings[kBackColourWord] = dlg.GetColor();
    st.m_aImageSettingsPrint[kBackColourWord] = dlg.GetColor();
  }
  st.m_bImageGrab = 1;
}

void CDvkView::ShowPixelInfo(int nMode, int x, int y) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  // Mode 1 takes the colour the probe holds for this point as the picked
  // one; otherwise the pixel under the point is read.
  if (nMode == 1 && st.m_clrProbe < 0xFF000000u && st.m_ptProbe == CPoint(x, y)) {
    st.m_clrPicked = st.m_clrProbe;
  } else {
    st.m_clrProbe = ::GetPixel(dc, x, y);
    st.m_ptProbe = CPoint(x, y);
    if (nMode == 1 && st.m_clrProbe < 0xFF000000u) st.m_clrPicked = st.m_clrProbe;
  }
  ::ReleaseDC(m_hWnd, dc);
  const std::int32_t* words = reinterpret_cast<const std::int32_t*>(st.m_aImageSettings);
  image::PixelProbeInput in;
  in.x = x;
  in.y = y;
  in.scrollH = ::GetScrollPos(m_hWnd, SB_HORZ);
  in.scrollV = ::GetScrollPos(m_hWnd, SB_VERT);
  in.zoomFine = words[img::word::nZoomFine];
  in.zoomLevel = words[img::word::nZoomLevel];
  in.origin = doc->KeyImageFields().m_ptMeasureOrigin;
  in.probe = st.m_clrProbe;
  in.sel = st.m_rcImageSel;
  in.mapScale = doc->KeyImageFields().m_nMapScale;
  in.grab = st.m_bImageGrab == 1;
  in.grabTool = st.m_nGrabTool;
  in.pasteState = st.m_nPasteState;
  const image::PixelProbeTexts t = image::ComputePixelProbe(in);
  if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return;
  g_pStatusBar->SetPaneText(0, CString(t.pane0.c_str()));
  if (t.hasPane104) {
    const int pane = g_pStatusBar->CommandToIndex(ID_INDICATOR_INFO);
    if (pane >= 0) g_pStatusBar->SetPaneText(pane, CString(t.pane104.c_str()));
  }
}
