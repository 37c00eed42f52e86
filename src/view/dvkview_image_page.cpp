// The image view's painting: PaintImagePage builds the display bitmap and
// the filler text whose extent gives the scroll range; the window's
// WM_PAINT copies the bitmap over the control's own painting (so the
// picture survives being covered); the image tick repaints it; the GDI
// scaler serves the display pipeline. The layout rules are portable
// (image/view/image_page.h).
#include <algorithm>
#include <cstring>
#include <string>

#include "core/docsvc/filekind.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/edit/region_composite.h"
#include "image/edit/region_paint.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/image_page.h"
#include "image/view/view_types.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr UINT kImagePageDelayMs = 1000;   // the tick after a new picture
constexpr UINT kPaneZeroDelayMs = 100;     // pane 0's tick (id 5)
constexpr UINT kImageSlowDelayMs = 5000;   // option word 1 in drawing state 5
constexpr LONG kDefaultTwips = 240;
constexpr COLORREF kPartialPageBand = RGB(128, 255, 255);
constexpr const char* kIdeographicSpace = "　";

CString PaneZeroText() {
  CString s;
  if (g_pStatusBar && g_pStatusBar->m_hWnd) s = g_pStatusBar->GetPaneText(0);
  return s;
}

void SetPaneZero(const CString& s) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, s);
}

// A display bitmap of `rows` rows of the bottom-up DIB from row `start`.
HBITMAP MakeBitmap(HDC dc, const std::uint8_t* bits, const std::uint8_t* info, std::int64_t start,
                   std::int32_t rows) {
  if (rows <= 0) return nullptr;
  const img::DibHeader h = img::ReadDibHeader(info);
  const std::uint64_t stride = img::DibStride(static_cast<std::uint64_t>(h.biWidth), h.biBitCount);
  std::uint8_t header[image::kBitmapInfoBytes];
  std::memcpy(header, info, sizeof header);
  img::DibHeader part = h;
  part.biHeight = rows;
  part.biSizeImage = static_cast<std::uint32_t>(stride * static_cast<std::uint64_t>(rows));
  img::WriteDibHeader(header, part);
  const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(header);
  return ::CreateDIBitmap(dc, bih, CBM_INIT, bits + static_cast<std::uint64_t>(start) * stride,
                          reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
}

// The control's line pitch in whole pixels, rounded down: the distance from
// the filler's first empty line to its last line over the lines between (a
// pitch of 18.4 pixels puts its lines 18 or 19 apart, so one pair of lines
// does not tell it). 0 with fewer than three lines.
int LinePitch(CRichEditCtrl& ctrl) {
  const int lines = ctrl.GetLineCount();
  if (lines < 3) return 0;
  const int a = ctrl.LineIndex(1), b = ctrl.LineIndex(lines - 1);
  if (a < 0 || b <= a) return 0;
  return (ctrl.PosFromChar(b).y - ctrl.PosFromChar(a).y) / (lines - 2);
}

int StretchModeOf(std::uint32_t choice) {
  switch (choice) {
    case 1: return HALFTONE;
    case 2: return BLACKONWHITE;
    case 3: return WHITEONBLACK;
    case 4: return COLORONCOLOR;
    default: return 0;
  }
}

}  // namespace

void CDvkView::PaintImagePage(int nMode, std::uint8_t* pBits, std::uint8_t* pInfo) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  img::LoadRecord* rec = doc->ImageLoadRecord();
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const bool fresh = nMode == 0 || nMode == 3;
  if (fresh) {
    if (!pBits || !pInfo) return;
    img::DibHeader h = img::ReadDibHeader(pInfo);
    m_image.m_nImageHeight = h.biHeight;
    m_image.m_nImageWidth = h.biWidth;
    m_image.m_nImageBits = h.biBitCount;
    h.biClrUsed = img::ColoursUsed(h.biClrUsed, h.biBitCount);
    img::WriteDibHeader(pInfo, h);
    if (nMode == 0) m_image.m_rcImageSelShown = CRect(-1, -1, -1, -1);
    if (m_image.m_rcImageSelShown.left < 0 || m_image.m_rcImageSelShown.IsRectEmpty())
      m_image.m_rcImageSelShown = CRect(0, 0, h.biWidth, h.biHeight);
  } else {
    pInfo = m_image.m_bmiImage;
  }
  // 2. The text's default format: 240 twips.
  CHARFORMAT2A cf = {};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_SIZE;
  cf.yHeight = kDefaultTwips;
  ctrl.SetDefaultCharFormat(cf);

  // 3. The page form puts the picture into the text instead.
  if (fresh && m_nPageViewState > 0 && EmbedImagePage(pBits, pInfo)) return;

  const std::int32_t width = m_image.m_nImageWidth, height = m_image.m_nImageHeight;
  if (fresh) {
    // 4. The filler text gives the scroll range; the caret to 0.
    if (nMode == 0) ctrl.SendMessage(EM_SETTARGETDEVICE, 0, 1);
    TEXTMETRICA tm = {};
    int emPixels = 0;  // the 240-twip format's em height on the display
    {
      HDC dc = ::GetDC(m_hWnd);
      if (dc) {
        ::GetTextMetricsA(dc, &tm);
        emPixels = ::MulDiv(kDefaultTwips, ::GetDeviceCaps(dc, LOGPIXELSY), 1440);
        ::ReleaseDC(m_hWnd, dc);
      }
    }
    // TMPF_FIXED_PITCH set means a variable pitch.
    const bool fixedPitch = (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    const bool dot = doc->UpdateFields().m_nDisplayFlag != 0;
    if (nMode == 0 || ctrl.GetWindowTextLength() == 0 || width != m_image.m_nPrevImageWidth ||
        height != m_image.m_nPrevImageHeight) {
      // Lines lower than 20 pixels would leave the last rows of a tall
      // picture out of the scroll range: the lines are counted by the em
      // height, which no line of the format is lower than, and by the
      // control's own pitch when that is lower still (a zoomed-out control).
      // The pitch the control lays out can change once the window is shown,
      // so the text is not counted by a measured pitch alone.
      const std::string filler = img::ImageFillerText(width, height, fixedPitch, dot, kIdeographicSpace, emPixels);
      ctrl.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
      const int pitch = LinePitch(ctrl);
      const int counted = emPixels > 0 && emPixels < img::kFillerLinePixels ? emPixels : img::kFillerLinePixels;
      if (pitch > 0 && pitch < counted) {
        const std::string fitted = img::ImageFillerText(width, height, fixedPitch, dot, kIdeographicSpace, pitch);
        ctrl.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fitted.c_str()));
      }
    }
    ctrl.SetSel(0, 0);
    m_image.m_ptImageScroll = CPoint(0, 0);
    m_image.m_nImageViewState = 1;
  }

  // 5. The display bitmap: all rows, else fewer in cuts of 400.
  if (fresh || !m_image.m_hImageBitmap) {
    if (!fresh) return;  // nothing to build a bitmap from
    if (m_image.m_hImageBitmap) ::DeleteObject(static_cast<HGDIOBJ>(m_image.m_hImageBitmap));
    m_image.m_hImageBitmap = nullptr;
    HDC dc = ::GetDC(m_hWnd);
    const std::int64_t h0 = std::max<std::int32_t>(height, 1);
    std::int32_t rows = static_cast<std::int32_t>(h0);
    const std::int32_t page = m_image.m_nImagePage % img::kPageWrap;
    HBITMAP made = nullptr;
    int attempts = 0;
    std::int64_t start = 0;
    while (attempts < img::kBitmapAttempts && rows > 0) {
      ++attempts;
      start = img::PageStartRow(h0, rows, page);
      if (BitmapHookAllows()) made = MakeBitmap(dc, pBits, pInfo, start, std::min<std::int64_t>(rows, h0 - start));
      if (made) break;
      rows = img::NextAttemptRows(rows);
    }
    m_image.m_bImagePaged = 0;
    if (made && attempts > 1) {
      // A page of a tall picture: past the top it keeps the rows left.
      const img::WrappedPage w = img::PlanCutPage(h0, rows, m_image.m_nImagePage);
      if (w.page != m_image.m_nImagePage) {
        ::DeleteObject(made);
        made = nullptr;
        std::int32_t r = w.rows;
        for (int i = 0; i < img::kBitmapAttempts && r > 0 && !made; ++i) {
          if (BitmapHookAllows()) made = MakeBitmap(dc, pBits, pInfo, 0, r);
          if (!made) r = img::NextAttemptRows(r);
        }
        rows = r;
      }
      m_image.m_nImagePage = w.page;
      m_image.m_bImagePaged = 1;
      CString text;
      text.Format("(%d - %d)lines of ", w.first, w.last);
      SetPaneZero(text + PaneZeroText() + "  (Push Ctrl+PageUp/Dn to move)");
      m_image.m_nImageReduce = 99;
    }
    if (dc) ::ReleaseDC(m_hWnd, dc);
    if (!made) {
      // 6. No bitmap could be made.
      CString text;
      text.LoadString(IDS_PICTURE_TOO_LARGE);
      ctrl.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetString()));
      m_image.m_nImageViewState = 0;
      KillTimer(ImageTimerId());
      return;
    }
    m_image.m_hImageBitmap = made;
    m_image.m_nBitmapRows = rows;
    // 7. The bands a larger previous picture left.
    m_image.m_nEraseWidth = img::EraseBand(m_image.m_nPrevImageWidth, width);
    m_image.m_nEraseHeight = img::EraseBand(m_image.m_nPrevImageHeight, rows);
    m_image.m_bEraseCyan = page == 0 && rows < height && rows > 1000 ? 1 : 0;
    m_image.m_nPrevImageWidth = width;
    m_image.m_nPrevImageHeight = height;
  }
  // The window paints it (WM_PAINT); a repaint paints it now as well.
  if (fresh) {
    Invalidate(FALSE);
  } else if (HDC dc = ::GetDC(m_hWnd)) {
    PaintImageBitmap(dc);
    ::ReleaseDC(m_hWnd, dc);
  }

  // 9. A new picture: the tick, the scroll of the transform code, the trim mode.
  if (nMode == 0 && m_image.m_hImageBitmap) {
    RenderImageCanvas(3, nullptr, 0, 0, 0);
    SetTimer(ImageTimerId(), m_nPaneIndex == 0 ? kPaneZeroDelayMs : kImagePageDelayMs);
    const img::ScrollRestore sr = img::ScrollFromTransformCode(m_image.m_aImageSettings[img::kTransformCode]);
    if (sr.restore) {
      SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, sr.vertical), 0);
      SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, sr.horizontal), 0);
    }
    if (rec && rec->m_nTrimMode > 9) {
      rec->m_nTrimMode -= 10;
      if (rec->m_nTrimMode != 3) {
        rec->m_nTrimTop = 0;
        rec->m_nTrimLeft = 0;
        rec->m_nTrimBottom = 0;
        rec->m_nTrimRight = 0;
      }
    }
  }
}

void CDvkView::OnPaint() {
  Default();
  // Placed pictures of a marked text go over the text on every repaint
  // (scrolling included): the control's own painting covers them.
  if (m_image.m_nShapeKind == 60) {
    RenderImageCanvas(1, nullptr, 0, 0, 0);
    return;
  }
  if (!docsvc::IsPictureKind(static_cast<int>(m_nFileKind)) || !m_image.m_hImageBitmap ||
      m_image.m_nImageViewState != 1)
    return;
  if (HDC dc = ::GetDC(m_hWnd)) {
    PaintImageBitmap(dc);
    ::ReleaseDC(m_hWnd, dc);
  }
  // The region's frame goes over the repainted picture (the refresh that
  // drew it may have come before this paint).
  RedrawRegionFigure();
}

void CDvkView::PaintImageBitmap(HDC dc) {
  HDC mem = ::CreateCompatibleDC(dc);
  HGDIOBJ old = mem ? ::SelectObject(mem, static_cast<HGDIOBJ>(m_image.m_hImageBitmap)) : nullptr;
  if (!old) {
    if (mem) ::DeleteDC(mem);
    KillTimer(ImageTimerId());
    fw::ShowMessageBox(m_hWnd, "DBI Eror!", "", MB_OK);
    return;
  }
  const int sx = ::GetScrollPos(m_hWnd, SB_HORZ), sy = ::GetScrollPos(m_hWnd, SB_VERT);
  m_image.m_ptImageScroll = CPoint(sx, sy);
  const int w = m_image.m_nImageWidth, h = m_image.m_nBitmapRows;
  const int dx = m_image.m_nEraseWidth, dy = m_image.m_nEraseHeight;
  app::DocHost* doc = GetDocument();
  const COLORREF back = doc ? doc->SettingsFields().m_clrTextBack : RGB(255, 255, 255);
  HBRUSH backBrush = ::CreateSolidBrush(back);
  RECT right = {w - sx, 0, w - sx + dx, h - sy + dy};
  ::FillRect(dc, &right, backBrush);
  HBRUSH belowBrush = m_image.m_bEraseCyan ? ::CreateSolidBrush(kPartialPageBand) : backBrush;
  RECT below = {0, h - sy, w - sx + dx, h - sy + dy};
  ::FillRect(dc, &below, belowBrush);
  if (belowBrush != backBrush) ::DeleteObject(belowBrush);
  ::DeleteObject(backBrush);
  ::BitBlt(dc, 0, 0, w - sx, h - sy, mem, sx, sy, SRCCOPY);
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
}

void CDvkView::TickImage() {
  const UINT_PTR id = ImageTimerId();
  // A view that shows text now (another file came into the pane) has no
  // picture left to repaint: the tick would paint the old one over the text.
  if (m_image.m_nImageViewState == 1 && !docsvc::IsPictureKind(static_cast<int>(m_nFileKind)))
    m_image.m_nImageViewState = 0;
  if (m_image.m_nImageViewState != 1) {
    if (m_image.m_hImageBitmap) ::DeleteObject(static_cast<HGDIOBJ>(m_image.m_hImageBitmap));
    m_image.m_hImageBitmap = nullptr;
    if (m_image.m_nImageViewState != 2) KillTimer(id);
  }
  // Only a shown or embedded picture ticks on (a text view's tick would
  // repaint nothing for ever).
  if (m_image.m_nImageViewState > 0 || m_nDisplayKind == 4)
    SetTimer(id, m_nImageOption == 1 && m_image.m_nShapeKind == 5 ? kImageSlowDelayMs : kImagePageDelayMs);
  if (m_image.m_nImageViewState == 1) PaintImagePage(2, nullptr, nullptr);
  // The region's figure (or placed pictures) over the repainted page.
  RenderImageCanvas(3, nullptr, 0, 0, 0);
}

img::DisplayServices CDvkView::ImageDisplayServices() {
  img::DisplayServices s = img::StandardDisplayServices();
  if (m_nLoadState != 0) return s;
  s.scaler = [this](const img::PixelStep& step, std::int32_t width, std::int32_t height, std::int32_t) {
    const img::DibHeader h = img::ReadDibHeader(step.info);
    if (width <= 0 || height <= 0 || h.biWidth <= 0 || h.biHeight <= 0) return false;
    const std::uint64_t out = img::DibStride(static_cast<std::uint64_t>(width), h.biBitCount) *
                              static_cast<std::uint64_t>(height);
    const std::uint64_t in = img::DibStride(static_cast<std::uint64_t>(h.biWidth), h.biBitCount) *
                             static_cast<std::uint64_t>(h.biHeight);
    if (out > step.dstCapacity || in > step.srcLimit) return false;
    return ScaleRegionBits(step.src, step.info, step.dst, h.biWidth, h.biHeight, width, height, 0) == 0;
  };
  return s;
}

int CDvkView::ScaleRegionBits(const std::uint8_t* src, std::uint8_t* info, std::uint8_t* out, int w, int h, int tw,
                              int th, int mode) {
  HDC wdc = m_hWnd ? ::GetDC(m_hWnd) : nullptr;
  if (!wdc) return -1;
  img::DibHeader hdr = img::ReadDibHeader(info);
  hdr.biClrUsed = img::ColoursUsed(hdr.biClrUsed, hdr.biBitCount);
  img::WriteDibHeader(info, hdr);
  // 2. Twice the size when the height grows by less than double (or a
  // drag of the same height), reduced with the chosen mode afterwards.
  const bool twice = (th > h && th < 2 * h) || (m_image.m_nImageDragState == 2 && th == h);
  const int ww = twice ? tw * 2 : tw, wh = twice ? th * 2 : th;
  const int choice = StretchModeOf(m_image.m_aImageSettings[img::word::nStretchMode]);
  HDC mem = ::CreateCompatibleDC(wdc);
  HBITMAP work = ::CreateCompatibleBitmap(wdc, ww, wh);
  int result = -1;
  if (mem && work) {
    HGDIOBJ old = ::SelectObject(mem, work);
    // 3. Shrinking takes the choice (HALFTONE without one), growing COLORONCOLOR.
    const int stretch = th < h ? (choice ? choice : HALFTONE) : COLORONCOLOR;
    ::SetStretchBltMode(mem, stretch);
    if (stretch == HALFTONE) ::SetBrushOrgEx(mem, 0, 0, nullptr);
    ::StretchDIBits(mem, 0, 0, ww, wh, 0, 0, w, h, src, reinterpret_cast<const BITMAPINFO*>(info), DIB_RGB_COLORS,
                    SRCCOPY);
    HBITMAP final = work;
    HDC finalDc = mem;
    HDC mem2 = nullptr;
    HBITMAP down = nullptr;
    HGDIOBJ old2 = nullptr;
    if (twice) {
      // 4. Down onto (tw, th).
      mem2 = ::CreateCompatibleDC(wdc);
      down = ::CreateCompatibleBitmap(wdc, tw, th);
      if (mem2 && down) {
        old2 = ::SelectObject(mem2, down);
        const int reduce = choice ? choice : HALFTONE;
        ::SetStretchBltMode(mem2, reduce);
        if (reduce == HALFTONE) ::SetBrushOrgEx(mem2, 0, 0, nullptr);
        ::StretchBlt(mem2, 0, 0, tw, th, mem, 0, 0, ww, wh, SRCCOPY);
        final = down;
        finalDc = mem2;
      }
    }
    // 5. The paint modes paint on the scaled copy.
    PaintRegionWork(finalDc, wdc, mode);
    // 6. Mode 9 keeps the picture's own depth.
    if (mode == image::kCompositeKeepBits) {
      const img::DibHeader own = img::ReadDibHeader(m_image.m_bmiLoaded);
      hdr.biBitCount = own.biBitCount;
      hdr.biClrUsed = img::ColoursUsed(own.biClrUsed, own.biBitCount);
    }
    // 7. The header for the output, and its rows.
    hdr.biWidth = tw;
    hdr.biHeight = th;
    hdr.biSizeImage = static_cast<std::uint32_t>(img::DibStride(static_cast<std::uint64_t>(tw), hdr.biBitCount) *
                                                 static_cast<std::uint64_t>(th));
    img::WriteDibHeader(info, hdr);
    if (final == down) ::SelectObject(mem2, old2);
    ::SelectObject(mem, old);
    if (::GetDIBits(wdc, final, 0, static_cast<UINT>(th), out, reinterpret_cast<BITMAPINFO*>(info),
                    DIB_RGB_COLORS) == th)
      result = 0;
    if (mem2) ::DeleteDC(mem2);
    if (down) ::DeleteObject(down);
  }
  if (work) ::DeleteObject(work);
  if (mem) ::DeleteDC(mem);
  ::ReleaseDC(m_hWnd, wdc);
  return result;
}

void CDvkView::PaintRegionWork(HDC dc, HDC screen, int mode) {
  const image::ImageViewState& st = m_image;
  image::RegionPaintInput in;
  in.mode = mode;
  in.shapeKind = st.m_nShapeKind;
  in.lineStyle = st.m_nLineStyle;
  in.imageTool = st.m_nImageTool;
  in.cursor = st.m_ptImageCursor;
  const CRect region = image::NormalizeRegion(st.m_rcImageSel);
  in.width = region.Width();
  in.height = region.Height();
  const image::RegionPaintPlan plan = image::PlanRegionPaint(in);
  if (plan.kind == image::RegionPaintKind::kNone) return;
  const COLORREF colour = st.m_clrImageBrush & 0xFFFFFF;
  HBRUSH brush = ::CreateSolidBrush(colour);
  if (!brush) return;
  switch (plan.kind) {
    case image::RegionPaintKind::kFillRect:
    case image::RegionPaintKind::kPenSquare: {
      const RECT r = {plan.rect.left, plan.rect.top, plan.rect.right, plan.rect.bottom};
      ::FillRect(dc, &r, brush);
      break;
    }
    case image::RegionPaintKind::kPenPixels:
      for (int i = 0; i < plan.pixelCount; ++i) ::SetPixel(dc, plan.pixels[i].x, plan.pixels[i].y, colour);
      break;
    default: {
      // The area is given by the fill colour, or with bit 24 by the colour
      // the screen shows at that point.
      COLORREF area = st.m_clrImageFill & 0xFFFFFF;
      if (st.m_clrImageFill & 0x01000000)
        area = ::GetPixel(screen, region.left + plan.at.x - ::GetScrollPos(m_hWnd, SB_HORZ),
                          region.top + plan.at.y - ::GetScrollPos(m_hWnd, SB_VERT));
      HGDIOBJ old = ::SelectObject(dc, brush);
      ::ExtFloodFill(dc, plan.at.x, plan.at.y, area,
                     plan.kind == image::RegionPaintKind::kFloodBorder ? FLOODFILLBORDER : FLOODFILLSURFACE);
      ::SelectObject(dc, old);
      break;
    }
  }
  ::DeleteObject(brush);
}
