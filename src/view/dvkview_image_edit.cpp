// Region editing on a shown picture: copy into the document's clip, crop or
// enlarge to the region, and undo. Every size, span and byte position comes
// from the portable engines of image/edit; the members here only read and
// write scan lines of the shown bitmap and move the buffers.
#include <algorithm>
#include <cstring>

#include "core/docsvc/filekind.h"
#include "fw/alloc_block.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "image/edit/region_clip.h"
#include "image/edit/region_composite.h"
#include "image/edit/region_copy.h"
#include "image/edit/region_geometry.h"
#include "image/edit/region_restore.h"
#include "image/load/image_record.h"
#include "image/view/image_page.h"
#include "image/view/view_types.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr UINT kRegionTimerDelayMs = 10;
constexpr UINT kUndoAfterPreviewMs = 1000;

bool IsImageKind(int kind) { return kind >= 12 && kind <= 28; }

}  // namespace

void CDvkView::ShowRegionMemoryShort() {
  CString text;
  text.LoadString(IDS_OUT_OF_MEMORY);
  fw::ShowMessageBox(m_hWnd, text, "", MB_OK);
}

bool CDvkView::SetImageFromDib(std::uint8_t* file, std::uint64_t size, int mode) {
  const image::ClipReadResult read = image::ReadClipLayout(file, static_cast<std::size_t>(size));
  if (!read.ok()) return false;
  const image::ClipLayout& l = read.layout;
  // 1. The colour count the header leaves at 0 is written back.
  img::DibHeader h = img::ReadDibHeader(file + image::kClipFileHeaderBytes);
  h.biClrUsed = static_cast<std::uint32_t>(l.colours);
  img::WriteDibHeader(file + image::kClipFileHeaderBytes, h);
  const std::int64_t infoBytes = std::min<std::int64_t>(l.infoSize + 4 * l.colours, image::kClipInfoLimit);
  // 3. Mode 1: the rows become the loaded pixels (room first: a refusal
  // leaves the shown picture as it was).
  if (mode == 1) {
    const std::int64_t work =
        image::CheckedRegionSum(l.pixelBytes, image::kClipPlainHeaderBytes + 4 * l.colours);
    const std::int64_t room = work < 0 ? -1 : image::CheckedRegionSum(work, image::kRegionSpareBytes);
    if (room < 0 || !fw::ResizeBlock(m_image.m_pLoadedBits, room)) {
      ShowRegionMemoryShort();
      return false;
    }
    m_image.m_nWorkSize = static_cast<std::uint64_t>(work);
    m_image.m_nLoadedBitsSize = static_cast<std::uint32_t>(work);
    // The rows are all the file holds; the rest of the work size is zeroed
    // rather than read past the file.
    std::memcpy(m_image.m_pLoadedBits, file + l.pixelOffset, static_cast<std::size_t>(l.pixelBytes));
    std::memset(m_image.m_pLoadedBits + l.pixelBytes, 0, static_cast<std::size_t>(work - l.pixelBytes));
  }
  // 2. The header and colour table; the text emptied and selected.
  std::memset(m_image.m_bmiImage, 0, image::kBitmapInfoBytes);
  std::memcpy(m_image.m_bmiImage, file + image::kClipFileHeaderBytes, static_cast<std::size_t>(infoBytes));
  m_image.m_pImageInfo = m_image.m_bmiImage;
  if (mode == 1) {
    std::memcpy(m_image.m_bmiLoaded, m_image.m_bmiImage, image::kBitmapInfoBytes);
    m_image.m_pLoadedInfo = m_image.m_bmiLoaded;
  }
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  ctrl.SetWindowText("");
  ctrl.SetSel(0, -1);
  // 4. The page painted from the rows, and the caption.
  std::uint8_t* rows = mode == 1 ? m_image.m_pLoadedBits : file + l.pixelOffset;
  PaintImagePage(3, rows, m_image.m_bmiImage);
  FormatImageCaption(1);
  return true;
}

void CDvkView::ShowPictureIn24Bits() {
  std::uint32_t* words = m_image.m_aImageSettings;
  const std::uint32_t effect = words[img::word::nEffectStyle];
  const std::uint32_t replacement = words[img::word::bUseReplacement];
  words[img::word::nEffectStyle] = 1;
  words[img::word::bForceEffects] = 1;
  words[img::word::bUseReplacement] = 0;
  RedrawImageView(9);
  words[img::word::nEffectStyle] = effect;
  words[img::word::bUseReplacement] = replacement;
  words[img::word::bForceEffects] = 0;
}

void CDvkView::CopyRegion() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  if (doc->PathFields().m_nActiveTextPane != static_cast<int>(m_nPaneIndex)) return;
  image::ImageViewState& st = m_image;
  const int kind = static_cast<int>(m_nFileKind);
  // 1. A page form goes back to the plain picture.
  if (m_nPageViewState != 0 && ((kind >= 12 && kind <= 29) || (kind >= 51 && kind <= 59))) {
    m_nPageViewState = 0;
    RedrawImageView(9);
  }
  // 4 (first, so that the geometry reads the 24-bit picture). A picture of
  // fewer bits is shown again in 24 bits.
  if (IsImageKind(kind) && img::ReadDibHeader(st.m_bmiImage).biBitCount != 24 && st.m_hImageBitmap)
    ShowPictureIn24Bits();
  const img::DibHeader shown = img::ReadDibHeader(st.m_bmiImage);
  // 2. The rectangle: the region, or the whole picture.
  st.m_rcImageSelSaved.right = -1;
  const image::CopyRect pick = image::PickCopyRect(st.m_rcImageSel, shown.biWidth, shown.biHeight,
                                                   st.m_nImageDragState);
  if (pick.storeAsRegion) {
    st.m_rcImageSel = pick.rect;
    st.m_bRegionSet = 1;
  }
  // 5-6. The clip's layout: the screen gives 24 bits without a colour table.
  const bool fromScreen = m_nPageViewState != 0 || !IsImageKind(kind) || !st.m_hImageBitmap;
  image::CopyPlanInput in;
  in.rect = pick.rect;
  in.imageWidth = shown.biWidth;
  in.imageHeight = shown.biHeight;
  in.bits = fromScreen ? 24 : shown.biBitCount;
  in.infoSize = fromScreen ? image::kClipInfoHeaderBytes : shown.biSize;
  in.coloursUsed = fromScreen ? 0 : shown.biClrUsed;
  const image::CopyPlan plan = image::PlanRegionCopy(in);
  fw::ScopedBlock row(plan.ok ? static_cast<std::uint64_t>(plan.rowBufferBytes) : 0);
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  if (!plan.ok || !row.get() || !clip.Reserve(static_cast<std::uint64_t>(plan.clipBufferBytes))) {
    ShowRegionMemoryShort();
    return;
  }
  // 3. Where the clip came from.
  clip.m_nImageClipKind = kind;
  clip.m_rcImageClip = pick.rect;
  st.m_ptPasteOffset = CPoint(0, 0);
  // 7. The header.
  clip.m_nImageClipSize = static_cast<std::uint32_t>(plan.clip.pixelBytes);
  std::uint8_t info[image::kBitmapInfoBytes];
  std::memcpy(info, st.m_bmiImage, sizeof info);
  if (fromScreen) {
    img::DibHeader plain;
    plain.biBitCount = 24;
    std::memset(info, 0, sizeof info);
    img::WriteDibHeader(info, plain);
  }
  image::WriteClipHeader(plan.clip, info, sizeof info, clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()));
  std::uint8_t* rows = clip.m_pImageClip + plan.clip.pixelOffset;
  HDC dc = ::GetDC(m_hWnd);
  if (!fromScreen) {
    // 8. From the bitmap, scan line by scan line.
    for (std::int64_t line = plan.lines.first; line < plan.lines.end; ++line) {
      const std::int64_t at = image::ClipRowOffset(plan, line);
      if (at < 0) continue;
      bool read = false;
      if (dc && line >= 0 && line < plan.imageHeight)
        read = ::GetDIBits(dc, static_cast<HBITMAP>(st.m_hImageBitmap), static_cast<UINT>(line), 1, row.get(),
                           reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS) == 1;
      // The offset counts from the clip's start (its header included).
      image::CopyClipRow(plan, line, read ? row.get() : nullptr, static_cast<std::size_t>(plan.rowBufferBytes),
                         st.m_clrImageBack, clip.m_pImageClip + at,
                         static_cast<std::size_t>(clip.Capacity() - static_cast<std::uint64_t>(at)));
    }
  } else {
    // 9. From the screen: the clip's header becomes the shown one, and the
    // pixels are read where the view shows them, bottom row first.
    std::memcpy(st.m_bmiImage, clip.m_pImageClip + image::kClipFileHeaderBytes,
                static_cast<std::size_t>(plan.clip.pixelOffset - image::kClipFileHeaderBytes));
    const int sx = ::GetScrollPos(m_hWnd, SB_HORZ), sy = ::GetScrollPos(m_hWnd, SB_VERT);
    const CRect r = pick.rect;
    for (std::int64_t y = r.bottom - 1, n = 0; y >= r.top && dc; --y, ++n) {
      std::uint8_t* out = rows + n * plan.clip.stride;
      for (std::int64_t x = r.left; x < r.right; ++x) {
        const COLORREF c = ::GetPixel(dc, static_cast<int>(x - sx), static_cast<int>(y - sy));
        std::uint8_t* px = out + (x - r.left) * 3;
        px[0] = GetBValue(c);
        px[1] = GetGValue(c);
        px[2] = GetRValue(c);
      }
    }
  }
  if (dc) ::ReleaseDC(m_hWnd, dc);
  // 10.
  st.m_nWorkSize = static_cast<std::uint64_t>(plan.clip.FileBytes());
  st.m_nImageSelMode = 1;
  st.m_bImageGrab = 1;
}

void CDvkView::CropZoomRegion() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  const img::DibHeader before = img::ReadDibHeader(st.m_bmiImage);
  // 1-2. The whole picture into the clip, and from there into the undo
  // buffer.
  const CRect saved = st.m_rcImageSel;
  st.m_rcImageSel = CRect(0, 0, before.biWidth, before.biHeight);
  st.m_nWorkSize = 0;
  CopyRegion();
  clip.m_rcImageClip = saved;
  if (st.m_nWorkSize == 0) {
    st.m_rcImageSel = saved;
    return;
  }
  const std::int64_t previous = static_cast<std::int64_t>(st.m_nWorkSize);
  const std::int64_t undoRoom = image::CheckedRegionSum(previous, image::kRegionSpareBytes);
  if (undoRoom < 0 || !fw::ResizeBlock(st.m_pRegionUndo, undoRoom)) {
    st.m_rcImageSel = saved;
    ShowRegionMemoryShort();
    return;
  }
  std::memcpy(st.m_pRegionUndo, clip.m_pImageClip, static_cast<std::size_t>(previous));
  st.m_nRegionUndoSize = static_cast<std::uint32_t>(previous);
  st.m_nRegionUndoKind = 2;
  // 3. The region into the clip (outside the picture: the background).
  st.m_rcImageSel = saved;
  st.m_nWorkSize = 0;
  CopyRegion();
  if (st.m_nWorkSize == 0) return;
  // 4. The region becomes the picture; the clip holds the previous one for
  // the undo. The clip's room for it is taken before the picture changes.
  const std::uint64_t regionFile = st.m_nWorkSize;
  if (!clip.Reserve(std::max<std::uint64_t>(clip.Capacity(), static_cast<std::uint64_t>(undoRoom)))) {
    ShowRegionMemoryShort();
    return;
  }
  if (!SetImageFromDib(clip.m_pImageClip, regionFile, 1)) return;
  std::memcpy(clip.m_pImageClip, st.m_pRegionUndo, static_cast<std::size_t>(previous));
  clip.m_nImageClipSize = static_cast<std::uint32_t>(previous);
  clip.m_rcImageClip = CRect(0, 0, before.biWidth, before.biHeight);
  std::memcpy(st.m_aImageSettingsPrint, st.m_aImageSettings, sizeof st.m_aImageSettingsPrint);
  st.m_nImageSelMode = 3;
  st.m_aImageSettings[img::word::nRotation] = 0;
  st.m_aImageSettings[img::word::nZoomLevel] = 5;
  GetRichEditCtrl().SetModify(TRUE);
  st.m_bImageGrab = 1;
}

void CDvkView::UndoRegion() {
  image::ImageViewState& st = m_image;
  // 1. The region whose frame was cleared comes back.
  if (st.m_rcImageSelSaved.right > 0) {
    st.m_bRegionSet = 1;
    st.m_rcImageSel = st.m_rcImageSelSaved;
    st.m_rcImageSelSaved.right = -1;
  }
  // 2. A paste after a cut is undone in two steps.
  if (st.m_nImageSelMode == 4) {
    RestoreImageBuffer();
    st.m_nImageSelMode = 2;
  }
  RestoreImageBuffer();
  // 3.
  st.m_bImageGrab = 1;
  st.m_nPasteState = 0;
  if (st.m_nImageDragState > 1) st.m_nImageDragState = 0;
  st.m_nImageTool = 0;
  if (m_hWnd) SetTimer(m_nPaneIndex + 2, kRegionTimerDelayMs, nullptr);
  RenderImageCanvas(1, nullptr, 0, 0, 0);
}

void CDvkView::RestoreImageBuffer() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  if (doc->PathFields().m_nActiveTextPane != static_cast<int>(m_nPaneIndex)) return;
  image::ImageViewState& st = m_image;
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  if (st.m_nImageSelMode == 3) {
    // A crop: the previous picture in the clip becomes the shown one.
    if (clip.m_rcImageClip.right < 0 || !clip.m_pImageClip) return;
    const std::uint64_t held = std::min<std::uint64_t>(clip.m_nImageClipSize, clip.Capacity());
    const image::ClipReadResult read = image::ReadClipLayout(clip.m_pImageClip, static_cast<std::size_t>(held));
    if (!read.ok() || read.layout.bits < 8) return;
    const image::ClipLayout& l = read.layout;
    const std::int64_t room = image::CheckedRegionSum(static_cast<std::int64_t>(held), image::kRegionSpareBytes);
    if (room < 0 || !fw::ResizeBlock(st.m_pLoadedBits, room)) {
      ShowRegionMemoryShort();
      return;
    }
    const CRect keep = st.m_rcImageSel;
    st.m_rcImageSel = clip.m_rcImageClip;
    st.m_nLoadedBitsSize = static_cast<std::uint32_t>(held);
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    ctrl.SetWindowText("");
    ctrl.SetSel(0, -1);
    const std::int64_t infoBytes = std::min<std::int64_t>(l.infoSize + 4 * l.colours, image::kClipInfoLimit);
    std::memset(st.m_bmiImage, 0, image::kBitmapInfoBytes);
    std::memcpy(st.m_bmiImage, clip.m_pImageClip + image::kClipFileHeaderBytes, static_cast<std::size_t>(infoBytes));
    std::memcpy(st.m_bmiLoaded, st.m_bmiImage, image::kBitmapInfoBytes);
    st.m_pImageInfo = st.m_bmiImage;
    st.m_pLoadedInfo = st.m_bmiLoaded;
    std::memcpy(st.m_pLoadedBits, clip.m_pImageClip + l.pixelOffset, static_cast<std::size_t>(l.pixelBytes));
    st.m_rcImageSel = keep;
    RedrawImageView(0);
    st.m_nImageSelMode = 0;
    return;
  }
  if (st.m_nImageSelMode == 2) {
    // A cut: the clip goes back into the region it was taken from.
    if (clip.m_rcImageClip.left >= 0) {
      st.m_rcImageSel = clip.m_rcImageClip;
      RedrawImage(image::kCompositeRestoreClip, CString());
    }
    st.m_nPasteState = 0;
    st.m_nImageSelMode = 0;
    if (st.m_nImageDragState > 1) st.m_nImageDragState = 0;
    st.m_nImageTool = 0;
    return;
  }
  // Region bytes a compositing saved go back into the region. Nothing else
  // is put back: after a plain copy, or with the previous picture of a crop
  // in the buffer, there is nothing to undo in the region.
  if (st.m_nRegionUndoKind != 1) return;
  CRect r;
  if (!image::PickRestoreRect(st.m_rcImageSel, clip.m_rcImageClip, st.m_nImageDragState, &r)) return;
  if (!image::ClipHasSignature(clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()))) return;
  const img::DibHeader shown = img::ReadDibHeader(st.m_bmiImage);
  const image::RestorePlan plan = image::PlanRegionRestore(r, shown.biHeight, shown.biBitCount);
  if (!plan.ok || !st.m_hImageBitmap) return;
  const std::int64_t stride = image::RowStride(shown.biWidth, shown.biBitCount);
  fw::ScopedBlock row(stride < 0 ? 0 : static_cast<std::uint64_t>(stride + image::kRegionSpareBytes));
  if (!row.get()) {
    ShowRegionMemoryShort();
    return;
  }
  std::uint8_t info[image::kBitmapInfoBytes];
  std::memcpy(info, st.m_bmiImage, sizeof info);
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  HBITMAP bitmap = static_cast<HBITMAP>(st.m_hImageBitmap);
  const std::int64_t first = plan.lines.InsideFirst(plan.imageHeight), end = plan.lines.InsideEnd(plan.imageHeight);
  for (std::int64_t line = first; line < end; ++line) {
    if (::GetDIBits(dc, bitmap, static_cast<UINT>(line), 1, row.get(), reinterpret_cast<BITMAPINFO*>(info),
                    DIB_RGB_COLORS) != 1)
      continue;
    image::RestoreLine(plan, line, row.get(), static_cast<std::size_t>(stride), st.m_pRegionUndo, st.m_nRegionUndoSize);
    ::SetDIBits(dc, bitmap, static_cast<UINT>(line), 1, row.get(), reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS);
    const std::int64_t at = line * stride;
    if (st.m_pLoadedBits && at + stride <= static_cast<std::int64_t>(st.m_nLoadedBitsSize))
      std::memcpy(st.m_pLoadedBits + at, row.get(), static_cast<std::size_t>(stride));
  }
  ::ReleaseDC(m_hWnd, dc);
  if (st.m_nImageSelMode != 4) st.m_nImageSelMode = 0;
}

bool CDvkView::PictureHoldsEdits() {
  if (!m_hWnd || !IsImageKind(static_cast<int>(m_nFileKind))) return false;
  return GetRichEditCtrl().GetModify() || m_image.m_nPasteState > 0 || m_image.m_nImageSelMode > 1;
}

void CDvkView::AllocImageBuffer() {
  // A paste in progress is fixed where it lies: its pixels are part of the
  // loaded rows already.
  m_image.m_nPasteState = 0;
  // The display's transform turns the loaded rows (the edited picture) into
  // the shown one at the zoom step, as for a freshly loaded picture. The
  // refresh empties the control; the picture stays modified.
  const BOOL modified = GetRichEditCtrl().GetModify();
  RedrawImageView(0);
  GetRichEditCtrl().SetModify(modified);
}

void CDvkView::PrintRegion() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  m_anPrintState[0] = 0;
  m_anPrintState[1] = 0;
  CropZoomRegion();
  if (st.m_nImageSelMode != 3) return;  // not cropped (reported): nothing to print
  m_anPrintState[2] = 2;
  std::memcpy(st.m_aImageSettingsPrint, st.m_aImageSettings, sizeof st.m_aImageSettingsPrint);
  RequestRedrawMode2();
  // The preview has ended: the picture comes back shortly after.
  SetTimer(view::kTimerUndoRegion, kUndoAfterPreviewMs, nullptr);
}

void CDvkView::RequestRedrawMode2() {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  doc->UpdateFields().m_nPrintRequest = 2;
  OnUpdate(nullptr, 0, nullptr);
}

void CDvkView::TickUndoRegion() {
  KillTimer(view::kTimerUndoRegion);
  // The crop of the region print is undone unless the view shows something
  // else by now.
  if (m_image.m_nImageSelMode > 1 && m_nDisplayKind == 0) UndoRegion();
  m_anPrintState[2] = 0;
}
