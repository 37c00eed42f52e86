// Compositing on a shown picture: the clip (or its scaled, painted working
// copy) written into the picture at the region, the bytes it overwrites kept
// for the undo; and the cut and paste commands built on it. The sizes, the
// source positions and every byte written come from image/edit's engines;
// the members here scale with GDI, read and write scan lines and move the
// buffers.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "fw/alloc_block.h"
#include "fw/bars.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/edit/region_clip.h"
#include "image/edit/region_composite.h"
#include "image/edit/region_geometry.h"
#include "image/load/image_record.h"
#include "image/view/display_pipeline.h"
#include "image/view/image_page.h"
#include "image/view/view_types.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr UINT kRegionTimerDelayMs = 10;
constexpr int kPlainZoom = 5;                 // zoom level 1:1
constexpr std::uint32_t kColorOnColor = 4;    // the stretch choice after an enlarged paste

// "Bitmap %d bit" in the status pane of indicator 104.
void ShowShownDepth(int bits) {
  if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return;
  const int pane = g_pStatusBar->CommandToIndex(ID_INDICATOR_INFO);
  if (pane < 0) return;
  char text[40];
  std::snprintf(text, sizeof text, "Bitmap %d bit", bits);
  g_pStatusBar->SetPaneText(pane, text);
}

}  // namespace

void CDvkView::RedrawImage(int mode, const CString& text) {
  (void)text;  // the label modes draw it
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  if (doc->PathFields().m_nActiveTextPane != static_cast<int>(m_nPaneIndex)) return;
  image::ImageViewState& st = m_image;
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  // 1. A region (or a drag) and a clip that is a bitmap file.
  if (!image::HasRegion(st.m_rcImageSel) && st.m_nImageDragState == 0) return;
  st.m_rcImageSelSaved.right = -1;
  if (!image::ClipHasSignature(clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()))) return;
  std::int64_t sourceLimit = static_cast<std::int64_t>(clip.m_nImageClipSize) + image::kClipPlainHeaderBytes;

  // 2. A picture of fewer bits is shown again in 24 bits.
  if (img::ReadDibHeader(st.m_bmiLoaded).biBitCount != 24 && st.m_hImageBitmap) {
    ShowPictureIn24Bits();
    if (mode == image::kCompositeKeepBits) std::memcpy(st.m_bmiLoaded, st.m_bmiImage, image::kBitmapInfoBytes);
    ShowShownDepth(img::ReadDibHeader(st.m_bmiImage).biBitCount);
  }
  const img::DibHeader shown = img::ReadDibHeader(st.m_bmiImage);
  if (!st.m_hImageBitmap || shown.biWidth <= 0 || shown.biHeight <= 0) return;

  // 3-4. The sizes.
  std::uint32_t* words = st.m_aImageSettings;
  if (words[img::word::bFlipH] || words[img::word::nRotation]) words[img::word::bNeedTransform] = 1;
  image::CompositeSizeInput sin;
  sin.mode = mode;
  sin.region = st.m_rcImageSel;
  sin.clipRect = clip.m_rcImageClip;
  sin.rotation = static_cast<int>(words[img::word::nRotation] & 3);
  sin.dragState = st.m_nImageDragState;
  sin.imageWidth = shown.biWidth;
  sin.imageHeight = shown.biHeight;
  sin.displayedBits = shown.biBitCount;
  sin.needTransform = words[img::word::bNeedTransform] != 0;
  image::CompositeSizes sizes = image::PlanCompositeSizes(sin);
  // The offset paste keeps the clip's size in its working copy.
  const bool offsetPaste = mode == image::kCompositeOffsetPaste;
  const std::int64_t tw = offsetPaste ? sizes.clipWidth : sizes.targetWidth;
  const std::int64_t th = offsetPaste ? sizes.clipHeight : sizes.targetHeight;
  const std::int64_t scaledBytes = image::CheckedRegionProduct(image::RowStride(tw, 24), th);
  const std::int64_t workRoom = image::CheckedRegionSum(
      std::max(sizes.workBytes, scaledBytes), image::kClipPlainHeaderBytes + image::kRegionSpareBytes);
  fw::ScopedBlock work(sizes.ok && scaledBytes >= 0 && workRoom >= 0 ? static_cast<std::uint64_t>(workRoom) : 0);
  if (!work.get()) {
    ShowRegionMemoryShort();
    return;
  }

  // 5. The working copy: the clip's rows scaled to the region (and painted),
  // with the clip's header in front.
  const std::uint8_t* source = clip.m_pImageClip;
  std::uint64_t sourceBytes = clip.Capacity();
  std::uint8_t* transformed = nullptr;
  struct FreeLater {
    std::uint8_t*& p;
    ~FreeLater() { fw::Free(p); }
  } freeTransformed{transformed};
  if (sizes.workCopy) {
    const image::ClipReadResult read = image::ReadClipLayout(clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()));
    if (!read.ok()) return;
    const image::ClipLayout& l = read.layout;
    // The clips made here are 24-bit; the scaled rows keep the clip's depth
    // and the work buffer is sized for 24 bits.
    if (l.bits != 24) return;
    const std::int64_t headerBytes = std::min<std::int64_t>(l.pixelOffset, image::kClipInfoLimit);
    std::uint8_t info[image::kBitmapInfoBytes] = {};
    std::memcpy(info, clip.m_pImageClip + image::kClipFileHeaderBytes,
                static_cast<std::size_t>(std::min<std::int64_t>(headerBytes - image::kClipFileHeaderBytes,
                                                                sizeof info)));
    if (tw <= 0 || th <= 0 || tw > INT32_MAX || th > INT32_MAX || l.width <= 0 || l.rows <= 0) return;
    if (ScaleRegionBits(clip.m_pImageClip + l.pixelOffset, info, work.get() + image::kClipPlainHeaderBytes,
                        static_cast<int>(l.width), static_cast<int>(l.rows), static_cast<int>(tw),
                        static_cast<int>(th), mode) != 0)
      return;
    std::memcpy(work.get(), clip.m_pImageClip, image::kClipFileHeaderBytes);
    std::memcpy(work.get() + image::kClipFileHeaderBytes, info, image::kClipInfoHeaderBytes);
    source = work.get();
    sourceBytes = static_cast<std::uint64_t>(workRoom);
    // The scaled copy is read to its own end (the clip's size would cut a
    // stretched paste short).
    sourceLimit = scaledBytes + image::kClipPlainHeaderBytes;
    // With a rotation or mirror the copy goes through the display's
    // transform at 1:1, so that it lies as the shown picture does.
    if (words[img::word::bNeedTransform]) {
      const std::uint64_t room = static_cast<std::uint64_t>(workRoom);
      fw::ScopedBlock a(room);
      transformed = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(room)));
      if (!a.get() || !transformed) {
        ShowRegionMemoryShort();
        return;
      }
      std::memcpy(a.get(), work.get() + image::kClipPlainHeaderBytes, static_cast<std::size_t>(scaledBytes));
      std::uint8_t tinfo[image::kBitmapInfoBytes] = {};
      std::memcpy(tinfo, info, image::kClipInfoHeaderBytes);
      img::DisplayRequest req;
      req.a = a.get();
      req.aSize = static_cast<std::uint32_t>(room);
      req.srcBytes = static_cast<std::uint32_t>(scaledBytes);
      req.b = transformed + image::kClipPlainHeaderBytes;
      req.bSize = static_cast<std::uint32_t>(room - image::kClipPlainHeaderBytes);
      req.info = tinfo;
      for (int i = 0; i < image::kImageSettingsWords; ++i) req.options[i] = static_cast<std::int32_t>(words[i]);
      req.options[img::word::nZoomLevel] = kPlainZoom;
      req.options[img::word::nZoomFine] = 0;
      req.options[img::word::m_bRegionSet] = 0;
      req.fileKind = static_cast<std::int32_t>(m_nFileKind);
      req.loadState = 1;  // no scaler: the sizes stay
      const img::DisplayResult result = img::TransformImageForDisplay(req, img::StandardDisplayServices());
      if (result.size > 0 && result.bits == 24) {
        std::memcpy(transformed, work.get(), image::kClipFileHeaderBytes);
        std::memcpy(transformed + image::kClipFileHeaderBytes, tinfo, image::kClipInfoHeaderBytes);
        source = transformed;
        sourceBytes = room;
        sourceLimit = static_cast<std::int64_t>(result.size) + image::kClipPlainHeaderBytes;
        if (mode == image::kCompositeRotate) {
          const CRect r = image::NormalizeRegion(st.m_rcImageSel);
          st.m_rcImageSel = CRect(r.left, r.top, r.left + r.Height(), r.top + r.Width());
        }
        sizes.targetWidth = result.width;
        sizes.targetHeight = result.height;
        sizes.targetStride = image::RowStride(result.width, 24);
        sizes.region = image::NormalizeRegion(st.m_rcImageSel);
      }
    }
  }

  // 6. Modes above 4 (but the rotation) make the clip the scaled, painted
  // block.
  const bool clipTakesWork =
      sizes.workCopy && mode > image::kCompositeOffsetPaste && mode != image::kCompositeRotate &&
      st.m_nImageDragState != 2;
  if (clipTakesWork) {
    const std::int64_t room = image::CheckedRegionSum(sizes.workBytes, image::kRegionSpareBytes);
    if (room < 0 || !clip.Reserve(static_cast<std::uint64_t>(room))) {
      ShowRegionMemoryShort();
      return;
    }
    clip.m_nImageClipSize = static_cast<std::uint32_t>(sizes.workBytes);
  }

  // 7. Room for the loaded rows and the undo bytes.
  const std::int64_t stride = image::RowStride(shown.biWidth, 24);
  const std::int64_t rowsBytes = image::CheckedRegionProduct(stride, shown.biHeight);
  const std::int64_t loadedRoom =
      image::CheckedRegionSum(rowsBytes, shown.biSize + image::kClipFileHeaderBytes + image::kRegionSpareBytes);
  if (loadedRoom < 0 || !fw::ResizeBlock(st.m_pLoadedBits, static_cast<std::uint64_t>(loadedRoom))) {
    ShowRegionMemoryShort();
    return;
  }
  // 8-9. The plan of every line.
  const int finalMode =
      mode == image::kCompositeOffsetPaste && m_bInternalKey == 1 ? image::kCompositeKeyPaste : mode;
  image::CompositeInput cin;
  cin.mode = finalMode;
  cin.imageHeight = shown.biHeight;
  cin.sizes = sizes;
  cin.pasteOffset = st.m_ptPasteOffset;
  cin.sourceLimit = sourceLimit;
  cin.background = st.m_clrImageBack & 0xFFFFFF;
  // The rows composited are the shown ones read at 24 bits: a clear writes
  // the background colour (a picture loaded at another depth is shown in
  // 24 bits by now; its palette index would be a near-black byte here).
  cin.loaded24 = true;
  cin.dragState = st.m_nImageDragState;
  cin.labelFrame = st.m_nLabelFrame;
  const image::CompositePlan plan = image::PlanComposite(cin);
  if (!plan.ok) {
    ShowRegionMemoryShort();
    return;
  }
  const std::int64_t undoRoom = image::CheckedRegionSum(plan.undoBytes, image::kRegionSpareBytes);
  if (undoRoom < 0 || !fw::ResizeBlock(st.m_pRegionUndo, static_cast<std::uint64_t>(undoRoom))) {
    ShowRegionMemoryShort();
    return;
  }
  st.m_nRegionUndoSize = static_cast<std::uint32_t>(plan.undoBytes);
  st.m_nRegionUndoKind = plan.saveUndo ? 1 : 0;
  st.m_nLoadedBitsSize = static_cast<std::uint32_t>(rowsBytes);

  // 10. Every scan line: read, composite inside the region, write back and
  // keep in the loaded rows.
  fw::ScopedBlock row(static_cast<std::uint64_t>(stride + image::kRegionSpareBytes));
  if (!row.get()) {
    ShowRegionMemoryShort();
    return;
  }
  // Scan lines are read and written as 24-bit rows, whatever the bitmap's
  // own depth, so they always fit the row buffer.
  std::uint8_t info[image::kBitmapInfoBytes];
  std::memcpy(info, st.m_bmiImage, sizeof info);
  img::DibHeader rows24 = shown;
  rows24.biBitCount = 24;
  rows24.biCompression = 0;
  rows24.biClrUsed = 0;
  rows24.biSizeImage = static_cast<std::uint32_t>(rowsBytes);
  img::WriteDibHeader(info, rows24);
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  HBITMAP bitmap = static_cast<HBITMAP>(st.m_hImageBitmap);
  for (std::int64_t line = 0; line < shown.biHeight; ++line) {
    const bool inside = plan.lines.Contains(line);
    if (!inside && !plan.write) continue;
    if (::GetDIBits(dc, bitmap, static_cast<UINT>(line), 1, row.get(), reinterpret_cast<BITMAPINFO*>(info),
                    DIB_RGB_COLORS) != 1)
      continue;
    if (inside) {
      image::CompositeLine(plan, line, row.get(), static_cast<std::size_t>(stride), source,
                           static_cast<std::size_t>(sourceBytes), st.m_pRegionUndo, st.m_nRegionUndoSize);
      if (plan.write)
        ::SetDIBits(dc, bitmap, static_cast<UINT>(line), 1, row.get(), reinterpret_cast<BITMAPINFO*>(info),
                    DIB_RGB_COLORS);
    }
    std::memcpy(st.m_pLoadedBits + line * stride, row.get(), static_cast<std::size_t>(stride));
  }
  if (clipTakesWork) {
    // The scaled, painted block with its header becomes the clip.
    const std::uint64_t bytes = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(sizes.workBytes) + image::kClipPlainHeaderBytes, clip.Capacity());
    std::memmove(clip.m_pImageClip, source, static_cast<std::size_t>(std::min<std::uint64_t>(bytes, sourceBytes)));
    if (mode == image::kCompositeKeepBits) clip.m_rcImageClip = sizes.region;
  }

  // 11. The picture now is what is shown: the transform words go back to
  // a plain 1:1 display.
  if (mode != image::kCompositeSaveOnly && st.m_nPasteState == 0) {
    words[img::word::bNeedTransform] = 0;
    words[img::word::nEffectStyle] = 0;
    words[img::word::nRotation] = 0;
    words[img::word::bFlipH] = 0;
    words[img::word::bFlipV] = 0;
    if (words[img::word::nZoomLevel] > kPlainZoom) words[img::word::nStretchMode] = kColorOnColor;
    words[img::word::nZoomLevel] = kPlainZoom;
    words[img::word::nZoomFine] = 0;
    std::memcpy(st.m_bmiLoaded, st.m_bmiImage, image::kClipPlainHeaderBytes);
  }
  // 12.
  ::ReleaseDC(m_hWnd, dc);
  st.m_nImageSelMode = image::SelModeAfterComposite(st.m_nImageSelMode);
  SetTimer(m_nPaneIndex + 2, kRegionTimerDelayMs, nullptr);
  RenderImageCanvas(1, nullptr, 0, 0, 0);
}

void CDvkView::CutRegion() {
  image::ImageViewState& st = m_image;
  st.m_nWorkSize = 0;
  CopyRegion();
  if (st.m_nWorkSize == 0) return;  // nothing copied: nothing is cleared
  RedrawImage(image::kCompositeClear, CString());
  st.m_nImageSelMode = 2;
  GetRichEditCtrl().SetModify(TRUE);
  st.m_bImageGrab = 1;
}

void CDvkView::PasteRegion() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  if (!image::ClipHasSignature(clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()))) return;
  // 1. With no region the clip's size at the top left.
  if (!image::HasRegion(st.m_rcImageSel) && clip.m_rcImageClip.right > 0) {
    const CRect c = image::NormalizeRegion(clip.m_rcImageClip);
    st.m_rcImageSel = CRect(0, 0, c.Width(), c.Height());
    st.m_bRegionSet = 1;
    st.m_aImageSettings[img::word::nEffectStyle] = 0;
  }
  // 2. A region past the picture enlarges it first (100 pixels beyond), the
  // clip kept aside meanwhile.
  const img::DibHeader shown = img::ReadDibHeader(st.m_bmiImage);
  const CRect region = image::NormalizeRegion(st.m_rcImageSel);
  if (region.right > shown.biWidth || region.bottom > shown.biHeight) {
    const std::uint64_t held = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(clip.m_nImageClipSize) + image::kClipPlainHeaderBytes + image::kClipInfoLimit,
        clip.Capacity());
    fw::ScopedBlock aside(held);
    if (!aside.get()) {
      ShowRegionMemoryShort();
      return;
    }
    std::memcpy(aside.get(), clip.m_pImageClip, static_cast<std::size_t>(held));
    const std::uint32_t clipSize = clip.m_nImageClipSize;
    const std::int32_t clipKind = clip.m_nImageClipKind;
    const CRect clipRect = clip.m_rcImageClip, keep = st.m_rcImageSel;
    st.m_rcImageSel = CRect(0, 0, std::max<int>(region.right, shown.biWidth) + 100,
                            std::max<int>(region.bottom, shown.biHeight) + 100);
    CropZoomRegion();
    const bool enlarged = st.m_nImageSelMode == 3;
    if (!clip.Reserve(std::max<std::uint64_t>(held + image::kRegionSpareBytes, clip.Capacity()))) {
      ShowRegionMemoryShort();
      return;
    }
    std::memcpy(clip.m_pImageClip, aside.get(), static_cast<std::size_t>(held));
    clip.m_nImageClipSize = clipSize;
    clip.m_nImageClipKind = clipKind;
    clip.m_rcImageClip = clipRect;
    st.m_rcImageSel = keep;
    st.m_bRegionSet = 1;
    if (!enlarged) return;  // the enlargement failed (reported): no paste
  }
  // 3.
  RedrawImage(m_bInternalKey == 1 ? image::kCompositeOffsetPaste : image::kCompositePaste, CString());
  st.m_nPasteState = 1;
  GetRichEditCtrl().SetModify(TRUE);
  st.m_bImageGrab = 1;
}
