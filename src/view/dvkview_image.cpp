// The image view's take-over and refresh: the document's waiting picture
// taken into the view's image state, and RedrawImageView over the refresh
// plan (image/view/refresh_plan.h) and the display pipeline. The decisions
// are portable (image/view/takeover.h, refresh_plan.h); this file carries
// them out on the view's buffers and the document.
#include <algorithm>
#include <cstring>

#include "core/docsvc/filekind.h"
#include "fw/alloc.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/load/dib_convert.h"
#include "image/load/image_record.h"
#include "image/view/display_caption.h"
#include "image/view/display_pipeline.h"
#include "image/view/image_page.h"
#include "image/view/refresh_plan.h"
#include "image/view/takeover.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr UINT kImageRefreshDelayMs = 10;

// String 152 with the place after it, in an OK box.
void ShowMemoryShort(HWND owner, const char* place) {
  CString text;
  text.LoadString(IDS_OUT_OF_MEMORY);
  text += place;
  fw::ShowMessageBox(owner, text, "", MB_OK);
}

// Frees a work buffer of one refresh when it goes out of scope.
struct WorkBuffer {
  std::uint8_t* p = nullptr;
  ~WorkBuffer() { fw::Free(p); }
};

void ShowInPaneZero(const std::string& text) {
  if (g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, CString(text.c_str()));
}

}  // namespace

bool CDvkView::TakeOverPicture() {
  app::DocHost* doc = GetDocument();
  img::LoadRecord* rec = doc ? doc->ImageLoadRecord() : nullptr;
  if (!rec) return false;
  img::TakeOverState s;
  s.loadReady = rec->m_nLoadReady;
  s.viewKind = static_cast<std::int32_t>(m_nFileKind);
  s.sourceView = m_nSourceView;
  s.viewLoadState = m_nLoadState;
  s.loadDataSize = rec->m_nLoadDataSize;
  s.bitsOwner = rec->m_nLoadBitsOwner;
  s.loadInfo = rec->m_bmiLoad;
  switch (img::PlanTakeOver(s)) {
    case img::TakeOver::kNone:
    case img::TakeOver::kSettings:
      return false;
    case img::TakeOver::kNoPicture:
      // Nothing to show: the block goes, the text pane keeps the notice.
      doc->ReleaseImageRecord();
      return false;
    case img::TakeOver::kTake:
      break;
  }
  // A document whose options never set a zoom shows at 1:1.
  std::uint32_t& level = rec->m_aImageSettings[img::word::nZoomLevel];
  if (level < 1 || level > 9) level = 5;
  img::TakeSettings(rec->m_aImageSettings, m_nLoadState, m_image.m_aImageSettings, image::kImageSettingsWords);
  const std::uint64_t want = img::TakeOverBufferSize(rec->m_nLoadDataSize);
  void* bits = want <= 0xFFFFFFFFull ? fw::Realloc(m_image.m_pLoadedBits, static_cast<std::size_t>(want)) : nullptr;
  if (!bits) {
    ShowMemoryShort(m_hWnd, " 049");
    doc->ReleaseImageRecord();
    return false;
  }
  m_image.m_pLoadedBits = static_cast<std::uint8_t*>(bits);
  std::memcpy(m_image.m_pLoadedBits, rec->m_pLoadBits, rec->m_nLoadDataSize);
  m_image.m_nLoadedBitsSize = rec->m_nLoadDataSize;
  std::memcpy(m_image.m_bmiLoaded, rec->m_bmiLoad, image::kBitmapInfoBytes);
  m_image.m_pLoadedInfo = m_image.m_bmiLoaded;
  m_image.m_pImageInfo = m_image.m_bmiImage;
  m_image.m_nImagePage = 0;
  if (m_image.m_nImageReduce == 0) m_image.m_nImageReduce = 1;
  m_image.m_strImagePath = m_strShownFile;
  RedrawImageView(3);
  doc->ReleaseImageRecord();
  return true;
}

void CDvkView::RedrawImageView(int mode) {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  img::LoadRecord* rec = doc->ImageLoadRecord();
  app::DocUpdateFields& u = doc->UpdateFields();
  app::DocSettingsFields& set = doc->SettingsFields();

  const img::DibHeader loaded = img::ReadDibHeader(m_image.m_bmiLoaded);
  img::RefreshState st;
  st.mode = mode;
  st.fileKind = static_cast<std::int32_t>(m_nFileKind);
  st.loadedBitsSize = m_image.m_nLoadedBitsSize;
  st.shownFile = m_strShownFile.GetString();
  st.width = loaded.biWidth;
  st.height = loaded.biHeight;
  st.bits = loaded.biBitCount;
  st.clrUsed = loaded.biClrUsed;
  st.sizeImage = loaded.biSizeImage;
  for (int i = 0; i < image::kImageSettingsWords; ++i)
    st.options[i] = static_cast<std::int32_t>(m_image.m_aImageSettings[i]);
  st.options[img::kRegionWord] = static_cast<std::int32_t>(m_image.m_bRegionSet);
  st.fitMode = static_cast<std::uint32_t>(m_image.m_nFitMode);
  RECT wr = {};
  ::GetWindowRect(m_hWnd, &wr);
  st.windowWidth = wr.right - wr.left;
  st.pasteState = m_image.m_nPasteState;
  st.docZoomLevel = rec ? static_cast<std::int32_t>(rec->m_aImageSettings[img::word::nZoomLevel]) : 5;
  const img::RefreshPlan plan = img::PlanImageRefresh(st);

  // 1. No picture the view can show (or mode 5): the document opens the
  // file again with the view's forms.
  if (plan.reopen) {
    app::DocWindowFields& w = doc->WindowFields();
    const std::int32_t tblsiz = set.m_nTblsiz, txtsiz = set.m_nTxtsiz, context = u.m_nOpenContext,
                       kind = u.m_nFileKind, display = u.m_nDisplayFlag;
    const std::uint32_t sizeHigh = w.m_bSizeHigh;
    u.m_nOpenContext = static_cast<std::int32_t>(m_nSourceView);
    u.m_nFileKind = static_cast<std::int32_t>(m_nFileKind);
    set.m_nTblsiz = m_nTblsizCopy;
    set.m_nTxtsiz = m_nTxtsizCopy;
    u.m_nDisplayFlag = m_nDisplayFlagCopy;
    w.m_bSizeHigh = static_cast<std::uint32_t>(m_image.m_nFitMode);
    w.m_bSizeLower = m_bSizeLowerCopy;
    u.m_nLoadState = 99;
    if (plan.reopenOpensFile) doc->OpenFile(CString(m_strShownFile), docopen::OpenMode::kPlain);
    u.m_nLoadState = 1;
    set.m_nTblsiz = tblsiz;
    set.m_nTxtsiz = txtsiz;
    u.m_nOpenContext = context;
    u.m_nFileKind = kind;
    u.m_nDisplayFlag = display;
    w.m_bSizeHigh = sizeHigh;
    w.m_bSizeLower = sizeHigh;  // as the refresh has always done
    if (plan.reopenStoresZoom && rec)
      rec->m_aImageSettings[img::word::nZoomLevel] = m_image.m_aImageSettings[img::word::nZoomLevel];
    return;
  }

  // 2. Scroll positions.
  const int vpos = ::GetScrollPos(m_hWnd, SB_VERT), hpos = ::GetScrollPos(m_hWnd, SB_HORZ);

  // 3-5. Options, colour count and sizes; the shown header from the loaded one.
  for (int i = 0; i < image::kImageSettingsWords; ++i)
    m_image.m_aImageSettings[i] = static_cast<std::uint32_t>(plan.options[i]);
  img::DibHeader fixed = loaded;
  fixed.biClrUsed = plan.clrUsed;
  if (fixed.biSizeImage == 0) fixed.biSizeImage = static_cast<std::uint32_t>(plan.sizeImage);
  img::WriteDibHeader(m_image.m_bmiLoaded, fixed);
  std::memcpy(m_image.m_bmiImage, m_image.m_bmiLoaded, image::kBitmapInfoBytes);
  m_image.m_pImageInfo = m_image.m_bmiImage;

  // 6. A write request (21-31 only): the shown picture goes over the
  // current file in format command - 20 instead of being shown.
  if (const int format = img::WriteRequestFormat(u.m_nPendingViewCmd)) {
    const CString target = doc->PathFields().m_strCurFile;
    WorkBuffer converted;
    const std::uint8_t* pixels = m_image.m_pLoadedBits;
    if (img::WriteRequestNeeds24(format, loaded.biBitCount)) {
      const std::uint64_t size = img::WriteRequestBufferSize(
          img::CapWorkSize(plan.workSize, set.m_nTextBufSize, m_image.m_nLoadedBitsSize), loaded.biBitCount);
      converted.p = img::FitsBuffer(size) ? static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(size)))
                                          : nullptr;
      if (!converted.p) {
        ShowMemoryShort(m_hWnd, "");
        return;
      }
      if (img::ConvertDibPixels(m_image.m_pLoadedBits, converted.p, m_image.m_bmiImage, m_image.m_nLoadedBitsSize,
                                static_cast<std::uint32_t>(size)) <= 3)
        return;
      pixels = converted.p;
    }
    if (img::WriteRequestThroughFileWriter(format))
      doc->WriteImageFile(const_cast<std::uint8_t*>(pixels), m_image.m_bmiImage, target, format);
    else
      doc->WriteImageByFormat(const_cast<std::uint8_t*>(pixels), m_image.m_bmiImage, target, format);
    return;
  }

  // 7. The fit's results.
  m_image.m_nFitMode = static_cast<std::int32_t>(plan.fitMode);
  if (plan.clearDocumentSizeHigh) doc->WindowFields().m_bSizeHigh = 0;
  if (plan.storeZoomInDocument && rec) {
    rec->m_aImageSettings[img::word::nZoomLevel] = m_image.m_aImageSettings[img::word::nZoomLevel];
    rec->m_aImageSettings[img::word::nZoomFine] = m_image.m_aImageSettings[img::word::nZoomFine];
  }

  // 8-11. The two work buffers, their sizes capped at what can be shown.
  const std::uint64_t n = img::CapWorkSize(plan.workSize, set.m_nTextBufSize, m_image.m_nLoadedBitsSize);
  std::uint64_t k = img::CapWorkSize(plan.copySize, set.m_nTextBufSize, m_image.m_nLoadedBitsSize);
  if (k < m_image.m_nLoadedBitsSize) k = m_image.m_nLoadedBitsSize;
  const std::uint64_t tSize = k + img::kSourceCopySlack;
  WorkBuffer d, t;
  if (img::FitsBuffer(n) && img::FitsBuffer(tSize)) {
    d.p = static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(n)));
    t.p = d.p ? static_cast<std::uint8_t*>(fw::Alloc(static_cast<std::size_t>(tSize))) : nullptr;
  }
  if (!d.p || !t.p) {
    ShowMemoryShort(m_hWnd, "");
    return;
  }

  // 12-13. The transforms, or the plain copy.
  if (plan.transform) {
    std::memcpy(t.p, m_image.m_pLoadedBits, m_image.m_nLoadedBitsSize);
    img::DisplayRequest req;
    req.a = t.p;
    req.aSize = static_cast<std::uint32_t>(tSize);
    req.srcBytes = m_image.m_nLoadedBitsSize;
    req.b = d.p;
    req.bSize = static_cast<std::uint32_t>(n);
    req.info = m_image.m_bmiImage;
    req.infoSize = img::kHeaderSize + 4 * img::ColoursUsed(plan.clrUsed, loaded.biBitCount);
    req.options = plan.options;
    for (int i = 0; i < image::kImageSettingsWords; ++i)
      req.options[i] = static_cast<std::int32_t>(m_image.m_aImageSettings[i]);
    req.selection = img::ImageRect{m_image.m_rcImageSel.left, m_image.m_rcImageSel.top, m_image.m_rcImageSel.right,
                                   m_image.m_rcImageSel.bottom};
    req.fileKind = static_cast<std::int32_t>(m_nFileKind);
    req.textBufSize = set.m_nTextBufSize;
    req.textBufSize2 = set.m_nTextBufSize2;
    req.loadState = m_nLoadState;
    req.trimMode = rec ? rec->m_nTrimMode : 0;
    req.imageReduce = m_image.m_nImageReduce;
    const img::DisplayResult result = img::TransformImageForDisplay(req, ImageDisplayServices());
    m_image.m_nImageReduce = result.imageReduce;
    if (result.size == 0) return;
    if (rec) rec->m_nLoadDataSize = result.size;
    const img::CaptionText caption = img::BuildImageCaption(img::TransformCaptionInput(req, result));
    if (caption.built && caption.show) ShowInPaneZero(caption.text);
    if (mode != 3) FormatImageCaption(1);
  } else {
    std::memcpy(d.p, m_image.m_pLoadedBits, std::min<std::uint64_t>(m_image.m_nLoadedBitsSize, n));
    FormatImageCaption(0);
  }

  // 14. Paint.
  std::uint8_t saved[image::kBitmapInfoBytes];
  std::memcpy(saved, m_image.m_bmiImage, sizeof saved);
  bool locked = false;
  if (mode == 9) {
    if (CWnd* active = GetParentFrame() ? GetParentFrame()->GetActiveView() : nullptr) {
      doc->BeginUpdateLock(active);
      locked = true;
    }
  }
  PaintImagePage(mode == 3 ? 0 : 3, d.p, m_image.m_bmiImage);
  std::memcpy(m_image.m_bmiImage, saved, sizeof saved);

  // 15. The scroll positions of a frozen refresh, and the timer.
  if (mode == 9) {
    if (::GetScrollPos(m_hWnd, SB_VERT) != vpos) SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, vpos), 0);
    if (::GetScrollPos(m_hWnd, SB_HORZ) != hpos) SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, hpos), 0);
    if (locked) doc->EndUpdateLock();
    SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, vpos), 0);
  }
  SetTimer(ImageTimerId(), kImageRefreshDelayMs);
}

void CDvkView::FormatImageCaption(int zoomFirst) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  const img::LoadRecord* rec = doc->ImageLoadRecord();
  const img::DibHeader h = img::ReadDibHeader(m_image.m_bmiImage);
  img::CaptionInput in;
  in.kind = img::CaptionKind::kPlain;
  in.width = h.biWidth;
  in.height = h.biHeight;
  in.bits = h.biBitCount;
  in.over = img::PlainCaptionOver(static_cast<std::int32_t>(m_nFileKind), h.biSizeImage,
                                  doc->SettingsFields().m_nTextBufSize2);
  in.zoomLevel = static_cast<std::int32_t>(m_image.m_aImageSettings[img::word::nZoomLevel]);
  in.zoomFine = static_cast<std::int32_t>(m_image.m_aImageSettings[img::word::nZoomFine]);
  in.rotation = static_cast<std::int32_t>(m_image.m_aImageSettings[img::word::nRotation]);
  in.imageReduce = m_image.m_nImageReduce;
  in.zoomFirst = zoomFirst == 1;
  in.loadState = m_nLoadState;
  in.trimMode = rec ? rec->m_nTrimMode : 0;
  const img::CaptionText caption = img::BuildImageCaption(in);
  m_image.m_nImageReduce = caption.imageReduce;
  if (caption.built && caption.show) ShowInPaneZero(caption.text);
}

bool CDvkView::ShowImagePage(int delta) {
  const int next = img::PageAfterKey(m_image.m_nImagePage, delta, m_image.m_bImagePaged != 0);
  if (next < 0) return m_image.m_bImagePaged != 0;
  m_image.m_nImagePage = next;
  RedrawImageView(0);
  return true;
}
