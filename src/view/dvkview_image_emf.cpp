// Metafiles shown as pictures: RenderEmfToBitmap lets the system play a
// Windows or enhanced metafile into a memory bitmap and reads it back as a
// 24-bit DIB into the document's load record, which the image view then
// takes over like any loaded picture. The sizes (placeable key, enhanced
// frame, reductions, zoom resolution) are image/view/metafile_size.h.
#include <cstring>
#include <string>

#include "fw/alloc.h"
#include "fw/file.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "image/load/image_record.h"
#include "image/view/metafile_size.h"
#include "image/view/view_types.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr size_t kReadSlack = 1000;   // bytes after a metafile read whole
constexpr uint32_t kBitsSlack = 10000;  // bytes after the record's pixels
constexpr size_t kHeadBytes = 88;     // what the kind and size checks read
constexpr int kMetafilePending = 33;  // the loader's "render this metafile"

// The first bytes of the file (fewer when it is shorter).
std::string ReadHead(const CString& path) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return std::string();
  std::string head(kHeadBytes, '\0');
  head.resize(f.Read(&head[0], static_cast<UINT>(kHeadBytes)));
  return head;
}

// A Windows metafile made enhanced through the memory DC; its size in *w, *h.
HENHMETAFILE OpenWindowsMetafile(const CString& path, HDC memDc, uint64_t readLimit, int64_t* w, int64_t* h) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareExclusive | CFile::typeBinary)) return nullptr;
  const uint64_t length = f.GetLength();
  if (length > readLimit || length > 0x7FFFFFFFu - kReadSlack) return nullptr;
  auto* bytes = static_cast<std::uint8_t*>(fw::Alloc(size_t(length) + kReadSlack));
  if (!bytes) return nullptr;
  const UINT got = f.Read(bytes, static_cast<UINT>(length));
  f.Abort();
  const img::WinMetafileStart start = img::ReadWinMetafileStart(bytes, got);
  METAFILEPICT pict{};
  pict.mm = start.mapMode;
  pict.xExt = start.width;
  pict.yExt = start.height;
  HENHMETAFILE emf = nullptr;
  if (got > start.offset)
    emf = SetWinMetaFileBits(got - static_cast<UINT>(start.offset), bytes + start.offset, memDc,
                             start.passFrame ? &pict : nullptr);
  fw::Free(bytes);
  *w = start.width;
  *h = start.height;
  return emf;
}

}  // namespace

void CDvkView::RenderEmfToBitmap(CString path, int viewCommand) {
  (void)viewCommand;
  app::DocHost* doc = GetDocument();
  img::LoadRecord* rec = doc ? doc->ImageLoadRecord() : nullptr;
  if (!rec) return;
  HCURSOR oldCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  HDC screen = ::GetDC(m_hWnd);
  HDC memDc = CreateCompatibleDC(screen);
  auto finish = [&](HENHMETAFILE emf) {
    if (emf) DeleteEnhMetaFile(emf);
    DeleteDC(memDc);
    ::ReleaseDC(m_hWnd, screen);
    SetCursor(oldCursor);
  };

  // The kind by the name in any case, or by the enhanced signature.
  const std::string head = ReadHead(path);
  const bool enhanced = img::IsEnhancedMetafile(path.GetString(), reinterpret_cast<const std::uint8_t*>(head.data()),
                                                head.size());
  const app::DocSettingsFields& settings = doc->SettingsFields();
  const uint64_t limit = uint64_t(settings.m_nTextBufSize) + settings.m_nTextBufSize2;
  int64_t w = 0, h = 0;
  HENHMETAFILE emf = enhanced ? GetEnhMetaFileA(path) : OpenWindowsMetafile(path, memDc, limit, &w, &h);
  if (!emf) return finish(nullptr);
  if (enhanced) {
    ENHMETAHEADER eh{};
    GetEnhMetaFileHeader(emf, sizeof eh, &eh);
    img::EnhancedFrame frame;
    img::ReadEnhancedFrame(reinterpret_cast<const std::uint8_t*>(&eh), sizeof eh, &frame);
    img::EnhancedMetafileSize(frame, &w, &h);
  }

  // Reductions and, while the view feeds its own keys, the zoom resolution.
  const int level = static_cast<int>(m_image.m_aImageSettings[img::word::nZoomLevel]);
  const img::MetafileBitmap plan = img::PlanMetafileBitmap(w, h, m_bInternalKey >= 1, level, limit);
  m_image.m_nImageReduce = plan.reduce;
  if (plan.zoomApplied) {
    m_image.m_aImageSettings[img::word::nZoomLevel] = static_cast<uint32_t>(plan.zoomLevel);
    rec->m_aImageSettings[img::word::nZoomLevel] = static_cast<uint32_t>(plan.zoomLevel);
  }
  if (plan.tooLarge) {
    finish(emf);
    AfxMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY), MB_OK);
    return;
  }

  // The record: a 24-bit header and a fresh pixel block.
  doc->ReleaseImageRecord();
  std::memset(rec->m_bmiLoad, 0, 100);
  img::DibHeader dh;
  dh.biWidth = static_cast<int32_t>(plan.width);
  dh.biHeight = static_cast<int32_t>(plan.height);
  dh.biBitCount = 24;
  dh.biSizeImage = static_cast<uint32_t>(plan.imageSize);
  img::WriteDibHeader(rec->m_bmiLoad, dh);
  rec->m_nLoadInfoSize = img::kHeaderSize;
  rec->m_nLoadDataSize = static_cast<uint32_t>(plan.imageSize);
  rec->m_nLoadStride = static_cast<uint32_t>(plan.stride);
  rec->m_nLoadWidth = dh.biWidth;
  rec->m_nLoadHeight = dh.biHeight;
  rec->m_pLoadBits = static_cast<std::uint8_t*>(fw::Alloc(size_t(plan.imageSize) + kBitsSlack));
  if (!rec->m_pLoadBits) {
    rec->m_nLoadDataSize = 0;
    finish(emf);
    AfxMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY), MB_OK);
    return;
  }
  std::memset(rec->m_pLoadBits, 0xFF, size_t(plan.imageSize));
  rec->m_nLoadBitsAlloc = static_cast<uint32_t>(plan.imageSize);
  rec->m_nLoadBitsOwner = img::kOwnerHeap;

  // Played on white; a bitmap that cannot be made whole is tried at half height.
  const int bw = dh.biWidth;
  int bh = dh.biHeight;
  HBITMAP bitmap = CreateCompatibleBitmap(screen, bw, bh);
  if (!bitmap) {
    bh /= 2;
    bitmap = CreateCompatibleBitmap(screen, bw, bh);
  }
  if (bitmap) {
    HGDIOBJ old = SelectObject(memDc, bitmap);
    RECT rc{0, 0, bw, bh};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(memDc, &rc, white);
    PlayEnhMetaFile(memDc, emf, &rc);
    SelectObject(memDc, old);
    // The rows the bitmap has; after the retry the rest stay white.
    GetDIBits(memDc, bitmap, 0, static_cast<UINT>(bh), rec->m_pLoadBits, reinterpret_cast<BITMAPINFO*>(rec->m_bmiLoad), DIB_RGB_COLORS);
    img::WriteDibHeader(rec->m_bmiLoad, dh);
    DeleteObject(white);
    DeleteObject(bitmap);
  }
  finish(emf);
}

bool CDvkView::TakeMetafileOrPicture() {
  app::DocHost* doc = GetDocument();
  img::LoadRecord* rec = doc ? doc->ImageLoadRecord() : nullptr;
  if (rec && doc->UpdateFields().m_nPendingViewCmd == kMetafilePending) {
    doc->UpdateFields().m_nPendingViewCmd = 0;
    RenderEmfToBitmap(doc->PathFields().m_strCurFile, kMetafilePending);
    if (rec->m_pLoadBits && rec->m_nLoadDataSize > 0) rec->m_nLoadReady = 1;
  }
  return TakeOverPicture();
}
