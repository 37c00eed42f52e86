// The image canvas: what the view paints over the control's own drawing.
// Either the region's figure (frame, ellipse, arc, hatched box, line) in the
// marker colour, or, for a rich text with picture markers ("#%S03" ...
// "#%E03"), the pictures beside the text placed at their markers. The
// geometry is portable (image/view/canvas_plan.h); this file only reads the
// control and draws.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "core/docsvc/filekind.h"
#include "fw/file.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/load/image_record.h"
#include "image/view/canvas_plan.h"
#include "res/resource.h"
#include "view/dvkview.h"
#include "view/viewui/panes.h"

namespace {

constexpr COLORREF kMarkerColour = RGB(255, 0, 128);
constexpr UINT kCanvasTimerDelayMs = 1;
constexpr std::uint32_t kJpegSlack = 1000;  // read buffer beyond the file's length
constexpr int kHeaderArea = 2000;           // header + colour table of a decoded picture

int PenStyle(int style) {
  switch (style) {
    case 1: return PS_DASH;
    case 2: return PS_DOT;
    case 3: return PS_DASHDOT;
    case 4: return PS_DASHDOTDOT;
    default: return PS_SOLID;
  }
}

// Carries out the figure's operations on `dc` with the pen selected there.
void RunFigureOps(HDC dc, const std::vector<image::FigureOp>& ops) {
  for (const image::FigureOp& op : ops) {
    switch (op.kind) {
      case image::FigureOpKind::MoveTo:
        ::MoveToEx(dc, op.a, op.b, nullptr);
        break;
      case image::FigureOpKind::LineTo:
        ::LineTo(dc, op.a, op.b);
        break;
      case image::FigureOpKind::AngleArc:
        ::AngleArc(dc, op.a, op.b, static_cast<DWORD>(op.c), static_cast<FLOAT>(op.d), static_cast<FLOAT>(op.e));
        break;
      case image::FigureOpKind::Arc:
        ::Arc(dc, op.a, op.b, op.c, op.d, op.e, op.f, op.g, op.h);
        break;
      case image::FigureOpKind::FillHatch: {
        HBRUSH brush = ::CreateHatchBrush(op.e, static_cast<COLORREF>(op.f));
        if (brush) {
          RECT r = {op.a, op.b, op.c, op.d};
          ::FillRect(dc, &r, brush);
          ::DeleteObject(brush);
        }
        break;
      }
      case image::FigureOpKind::FillRect: {
        HBRUSH brush = ::CreateSolidBrush(static_cast<COLORREF>(op.e));
        if (brush) {
          RECT r = {op.a, op.b, op.c, op.d};
          ::FillRect(dc, &r, brush);
          ::DeleteObject(brush);
        }
        break;
      }
    }
  }
}

// Where picture point (0, 0) lies in the view's client area: a shown
// picture is painted from the client's corner, scrolled; on a text screen
// (or a page form, the picture an object of the text) the figure goes over
// the text from its first character.
CPoint FigureOrigin(CDvkView& v) {
  if (v.m_image.m_nImageViewState == 1)
    return CPoint(-::GetScrollPos(v.m_hWnd, SB_HORZ), -::GetScrollPos(v.m_hWnd, SB_VERT));
  return v.GetRichEditCtrl().PosFromChar(0);
}

}  // namespace

void CDvkView::TickImageCanvas() {
  KillTimer(view::kTimerImageCanvas);
  RenderImageCanvas(1, nullptr, 0, 0, 0);
}

void CDvkView::RenderImageCanvas(int nScaleMode, HDC pDC, int nOffsetX, int nOffsetY, int nLimitY) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  // Only the active pane draws a region figure; every pane places pictures.
  if (doc->PathFields().m_nActiveTextPane != static_cast<int>(m_nPaneIndex) && st.m_nShapeKind < 51) return;
  // On a text screen the last figure goes with a repaint when the region moved.
  const int kind = static_cast<int>(m_nFileKind);
  if (st.m_nImageViewState == 2 || m_nPageViewState == 4 || kind < 12 || kind > 29) {
    CRect& clip = doc->KeyImageFields().m_imageClip.m_rcImageClip;
    if (st.m_rcImageSel != clip) Invalidate();
    clip = st.m_rcImageSel;
  }
  if (st.m_rcImageSel.right < 0 && st.m_nShapeKind < 51) return;
  HDC dc = pDC ? pDC : ::GetDC(m_hWnd);
  if (!dc) return;
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  if (st.m_nShapeKind > 50 && m_nSourceView == 0) {
    const bool first = st.m_nShapeKind < 60;
    if (first) ScanCanvasMarkers(ctrl);
    // The folder of the pictures: beside an ".rtf", or the unpacked
    // archive's folder.
    const CString folder = image::CanvasPictureFolder(st.m_strImagePath, doc->PathFields().m_strProgramDir);
    bool drawn = true;
    if (first) drawn = ConvertCanvasPictures(folder);
    if (drawn) {
      DrawCanvasPictures(dc, nScaleMode, pDC != nullptr, nOffsetX, nOffsetY, nLimitY, ctrl.PosFromChar(0), folder);
      if (first) {
        if (app::g_pFrameHost && GetParentFrame() == app::g_pFrameHost->FrameWnd()) {
          const viewui::Cell c = viewui::ActivationCellOfPane(static_cast<int>(m_nPaneIndex));
          app::g_pFrameHost->ActivateTextPane(c.row, c.col);
          app::g_pFrameHost->ActivateListPane(0, static_cast<int>(doc->PathFields().m_nActiveSide) - 1);
        }
      }
      st.m_nShapeKind = 60;
    }
  } else {
    DrawRegionFigure(dc, FigureOrigin(*this), true);
  }
  if (!pDC) ::ReleaseDC(m_hWnd, dc);
}

void CDvkView::RedrawRegionFigure() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd || m_image.m_rcImageSel.right < 0) return;
  if (doc->PathFields().m_nActiveTextPane != static_cast<int>(m_nPaneIndex)) return;
  if (HDC dc = ::GetDC(m_hWnd)) {
    DrawRegionFigure(dc, FigureOrigin(*this), false);
    ::ReleaseDC(m_hWnd, dc);
  }
}

void CDvkView::ScanCanvasMarkers(CRichEditCtrl& ctrl) {
  // The scan runs from the top; the caret a redisplay is to restore
  // (m_nSelStart) is left as it was.
  ctrl.SetSel(0, 0);
  // The hits of "#%" with their points, taken while the text is at its top.
  std::vector<long> positions;
  std::vector<image::CanvasMarkerHit> hits;
  long from = 0;
  while (static_cast<int>(hits.size()) < image::kCanvasMaxHits) {
    const long at = FindTextMatchCase(from, -1L, CString("#%"));
    if (at < 0) break;
    const CPoint pt = ctrl.PosFromChar(at);
    image::CanvasMarkerHit h;
    h.x = pt.x;
    h.y = pt.y;
    hits.push_back(h);
    positions.push_back(at);
    if (!image::CanvasScanGoesOn(static_cast<int>(at), static_cast<int>(hits.size()))) break;
    from = at + 2;
  }
  // Each marker's five characters are read, then blanked without an undo
  // record (a blank marker keeps the text's positions).
  for (std::size_t i = 0; i < hits.size(); ++i) {
    ctrl.SetSel(positions[i], positions[i] + 5);
    hits[i].chars = ctrl.GetSelText().Str();
    ctrl.ReplaceSel(image::kCanvasMarkerBlank, FALSE);
  }
  image::PlaceCanvasMarkers(hits, m_image);
  ctrl.SetModify(FALSE);
}

bool CDvkView::ConvertCanvasPictures(const CString& folder) {
  app::DocHost* doc = GetDocument();
  // Bitmaps of an earlier conversion are stale from here on.
  m_canvasBitmaps.Clear();
  if (folder.IsEmpty()) return true;
  for (int n = 1; n <= image::kPictureSlots; ++n) {
    const CString jpg = folder + "\\" + image::CanvasPictureName(n, "jpg");
    CFile file;
    if (!file.Open(jpg.GetString(), CFile::modeRead | CFile::shareDenyNone)) continue;
    const ULONGLONG size = file.GetLength();
    // The whole file with some room beyond it; a file the memory cannot hold
    // ends the placement with the memory message.
    std::string bytes;
    try {
      if (size > 0x7FFFFFFFull - kJpegSlack) throw std::bad_alloc();
      bytes.resize(static_cast<std::size_t>(size) + kJpegSlack);
    } catch (const std::bad_alloc&) {
      AfxMessageBox(IDS_OUT_OF_MEMORY, MB_OK);
      return false;
    }
    UINT got = 0;
    try {
      got = file.Read(bytes.data(), static_cast<UINT>(size));
    } catch (...) {
      continue;
    }
    bytes.resize(got);
    // Decoded into a record of the canvas's own: a picture the document
    // holds for its views stays as it is.
    img::LoadRecord rec;
    std::vector<std::uint8_t> info(kHeaderArea, 0);
    const bool decoded = doc->DecodeJpegInto(rec, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             static_cast<std::uint32_t>(bytes.size()), info.data());
    if (decoded) {
      const CString bmp = folder + "\\" + image::CanvasPictureName(n, "bmp");
      ::DeleteFileA(bmp.GetString());
      doc->WriteImageFile(rec.m_pLoadBits, info.data(), bmp, 3);
    }
    img::ReleaseLoadBits(rec);
  }
  return true;
}

void CDvkView::DrawCanvasPictures(HDC dc, int nScaleMode, bool handedIn, int nOffsetX, int nOffsetY, int nLimitY,
                                  CPoint origin, const CString& folder) {
  image::ImageViewState& st = m_image;
  HDC attrib = dc;
  st.m_nLogPixelsX = ::GetDeviceCaps(attrib, LOGPIXELSX);
  st.m_nLogPixelsY = ::GetDeviceCaps(attrib, LOGPIXELSY);
  HDC mem = ::CreateCompatibleDC(dc);
  if (!mem) return;
  const int ox = handedIn ? -nOffsetX : -origin.x;
  const int oy = handedIn ? -nOffsetY : -origin.y;
  for (int n = 1; n < image::kPictureSlots && !folder.IsEmpty(); ++n) {
    if (st.m_aPictureX[n] < 0) continue;
    const CString bmp = folder + "\\" + image::CanvasPictureName(n, "bmp");
    HBITMAP bitmap = m_canvasBitmaps.Get(n, bmp.GetString());
    if (!bitmap) continue;
    HGDIOBJ old = ::SelectObject(mem, bitmap);
    BITMAP bm = {};
    ::GetObject(bitmap, sizeof bm, &bm);
    if (st.m_aPictureNatural[n] == 1) {
      st.m_aPictureWidth[n] = bm.bmWidth;
      st.m_aPictureHeight[n] = bm.bmHeight;
    }
    const image::CanvasRect out =
        image::ScaleCanvasSlot(st.m_aPictureX[n], st.m_aPictureY[n], st.m_aPictureWidth[n], st.m_aPictureHeight[n],
                               nScaleMode, st.m_nLogPixelsX, st.m_nLogPixelsY);
    if (nLimitY == 0 || out.y < nLimitY) {
      ::SetStretchBltMode(dc, COLORONCOLOR);
      ::StretchBlt(dc, out.x - ox, out.y - oy, out.w, out.h, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }
    ::SelectObject(mem, old);
  }
  ::DeleteDC(mem);
}

void CDvkView::DrawRegionFigure(HDC dc, CPoint origin, bool eraseLast) {
  app::DocHost* doc = GetDocument();
  image::ImageViewState& st = m_image;
  const int drawn = image::DrawnFigureKind(st.m_nPasteState, st.m_nShapeKind);
  CRect r = image::OrderFigureCorners(drawn, st.m_rcImageSel);
  r.OffsetRect(origin.x, origin.y);
  r = image::AdjustFigureCorners(st.m_nShapeKind, st.m_nLineStyle, r);
  const image::FigurePen pen = image::PickFigurePen(drawn, st.m_nLineStyle);
  const COLORREF back = doc->SettingsFields().m_clrTextBack;
  HGDIOBJ oldPen = nullptr;
  // The last figure goes first, retraced in the text's background (a
  // hatched box stays until the view repaints).
  if (eraseLast && r != st.m_rcLastFigure && image::FigureErases(drawn)) {
    HPEN erase = ::CreatePen(PenStyle(pen.style), pen.width, back);
    if (erase) {
      oldPen = ::SelectObject(dc, erase);
      RunFigureOps(dc, image::PlanFigure(drawn, st.m_nShapeKind, st.m_nLineStyle, st.m_rcLastFigure));
      ::SelectObject(dc, oldPen);
      ::DeleteObject(erase);
    }
  }
  st.m_rcLastFigure = r;
  HPEN marker = ::CreatePen(PenStyle(pen.style), pen.width, kMarkerColour);
  if (!marker) return;
  oldPen = ::SelectObject(dc, marker);
  std::vector<image::FigureOp> ops = image::PlanFigure(drawn, st.m_nShapeKind, st.m_nLineStyle, r);
  for (image::FigureOp& op : ops) {
    if (op.kind == image::FigureOpKind::FillHatch) op.f = static_cast<int>(st.m_clrImageText);
  }
  RunFigureOps(dc, ops);
  RunFigureOps(dc, image::PlanColourMarks(r, st.m_clrImageBack, back, st.m_clrImageText,
                                          doc->SettingsFields().m_clrTxchar));
  ::SelectObject(dc, oldPen);
  ::DeleteObject(marker);
}
