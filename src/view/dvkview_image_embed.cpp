// The picture as an object in the text (the page form for printing and
// preview): a page of a tall picture is cut out, and the DIB goes into the
// control as one RTF picture group streamed in at the caret. The clipboard
// is not touched (a CF_DIB paste makes no object in every control).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/docsvc/pathpart.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/image_page.h"
#include "view/dvkview.h"

namespace {

constexpr UINT kEmbedDelayMs = 10;
constexpr std::int32_t kResolution96Dpi = 3780;  // pixels per metre
constexpr const char* kIdeographicSpace = "　";

void AppendHex(std::string& out, const std::uint8_t* p, std::size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  out.reserve(out.size() + n * 2 + n / 64 + 2);
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[p[i] >> 4];
    out += kDigits[p[i] & 15];
    if (i % 64 == 63) out += "\r\n";
  }
}

}  // namespace

bool CDvkView::EmbedImagePage(std::uint8_t* pBits, std::uint8_t* pInfo) {
  img::DibHeader h = img::ReadDibHeader(pInfo);
  if (h.biHeight <= 8) return false;
  const img::PagePlan page = img::PlanEmbedPage(h.biHeight, h.biBitCount, m_image.m_nImagePage);
  if (page.paged) {
    const std::uint64_t stride = img::DibStride(static_cast<std::uint64_t>(h.biWidth), h.biBitCount);
    std::memmove(pBits, pBits + static_cast<std::uint64_t>(page.bufferRow) * stride,
                 static_cast<std::size_t>(stride * static_cast<std::uint64_t>(page.rows)));
    h.biHeight = page.rows;
    h.biSizeImage = static_cast<std::uint32_t>(stride * static_cast<std::uint64_t>(page.rows));
    img::WriteDibHeader(pInfo, h);
    m_image.m_bImagePaged = 1;
    if (g_pStatusBar && g_pStatusBar->m_hWnd) {
      CString text;
      text.Format("(%d - %d)lines of ", page.first, page.last);
      g_pStatusBar->SetPaneText(0, text + g_pStatusBar->GetPaneText(0) + "  (Click Ctrl+Up/Down to move)");
    }
  }
  EmbedImageInText(pBits, pInfo);
  const CString base = GetPathPart(m_strViewPath, 2);
  if (!base.IsEmpty() && base[base.GetLength() - 1] == '#') SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
  return true;
}

void CDvkView::EmbedImageInText(std::uint8_t* pBits, std::uint8_t* pInfo) {
  app::DocHost* doc = GetDocument();
  img::LoadRecord* rec = doc ? doc->ImageLoadRecord() : nullptr;
  // 1. The view leaves its image state; the colour count is completed.
  m_image.m_nImageViewState = 0;
  m_image.m_bImageGrab = 0;
  m_image.m_nRegionCornerMode = 0;
  img::DibHeader h = img::ReadDibHeader(pInfo);
  h.biClrUsed = img::ColoursUsed(h.biClrUsed, h.biBitCount);
  // 2. Only while the document's record is marked and holds data.
  if (!rec || !pBits) return;
  if (rec->m_nLoadDataSize == 0) {
    rec->m_nLoadReady = 0;
    return;
  }
  if (rec->m_nLoadReady == 0 || h.biWidth <= 0 || h.biHeight <= 0 || h.biBitCount == 0) return;
  const std::uint64_t stride = img::DibStride(static_cast<std::uint64_t>(h.biWidth), h.biBitCount);
  // 3-4. The window lock, the filler text, the caret at 0, no wrap.
  CWnd* active = GetParentFrame() ? GetParentFrame()->GetActiveView() : nullptr;
  if (active) doc->BeginUpdateLock(active);
  CRichEditCtrl& ctrl = GetRichEditCtrl();
  const std::string filler = img::ImageFillerText(h.biWidth, h.biHeight, true,
                                                  doc->UpdateFields().m_nDisplayFlag != 0, kIdeographicSpace);
  ctrl.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(filler.c_str()));
  ctrl.SetSel(0, 0);
  ctrl.SendMessage(EM_SETTARGETDEVICE, 0, 1);
  // 5. Rows: what the data holds, at most 3800; 96 dpi.
  const std::uint64_t rows =
      std::min<std::uint64_t>(static_cast<std::uint64_t>(h.biHeight),
                              std::min<std::uint64_t>(rec->m_nLoadDataSize / stride, img::kPageRowsUpTo8Bits));
  h.biHeight = static_cast<std::int32_t>(rows);
  h.biSizeImage = static_cast<std::uint32_t>(rows * stride);
  h.biXPelsPerMeter = kResolution96Dpi;
  h.biYPelsPerMeter = kResolution96Dpi;
  std::uint8_t header[image::kBitmapInfoBytes];
  std::memcpy(header, pInfo, sizeof header);
  img::WriteDibHeader(header, h);
  const std::size_t tableBytes = std::min<std::size_t>(4u * h.biClrUsed, sizeof header - img::kHeaderSize);
  // 6. One RTF picture group at the caret; panes other than 0 and 3 take
  // it a second time after cutting the first, as the paste always did.
  char head[160];
  std::snprintf(head, sizeof head, "{\\rtf1{\\pict\\dibitmap0\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d\r\n",
                h.biWidth, h.biHeight, h.biWidth * 15, h.biHeight * 15);
  std::string rtf = head;
  AppendHex(rtf, header, img::kHeaderSize + tableBytes);
  AppendHex(rtf, pBits, static_cast<std::size_t>(rows * stride));
  rtf += "}}";
  ctrl.StreamInFrom(rtf, SF_RTF | SFF_SELECTION);
  if (m_nPaneIndex != 0 && m_nPaneIndex != 3) {
    ctrl.SetSel(0, 1);
    ctrl.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    ctrl.SetSel(0, 0);
    ctrl.StreamInFrom(rtf, SF_RTF | SFF_SELECTION);
  }
  ctrl.SendMessage(EM_EMPTYUNDOBUFFER);
  // 7. Unlock; the record stays marked (2) for the print; scrolls to 0,
  // not modified, embedded state and the tick.
  if (active) doc->EndUpdateLock();
  rec->m_nLoadReady = 2;
  SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  ctrl.SendMessage(EM_SETMODIFY, 0);
  m_image.m_nImageViewState = 2;
  SetTimer(ImageTimerId(), kEmbedDelayMs);
}
