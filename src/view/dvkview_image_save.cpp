// Saving the shown picture: SaveImageAs writes what the image view shows
// (the displayed bitmap, or the picture object of the page form through the
// clipboard's DIB) to a file chosen by the caller or in the save dialog, as
// BMP, zipped bitmap, PNG, JPEG or a one-page PDF; "画像 別名保存" and the
// save question of a picture reach it. The decisions are
// image/view/save_plan.h; docs/image.md describes the flow.
#include <cstring>
#include <string>

#include "core/docsvc/pathpart.h"
#include "fw/alloc.h"
#include "fw/commondlg.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/load/image_record.h"
#include "image/load/image_size.h"
#include "image/view/save_plan.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

constexpr char kKindError[] = "File eror";
constexpr char kScratchJpeg[] = "Dorvik1.jpg";
constexpr char kTempBitmap[] = "_TMP.bmp";
constexpr int kPendingCommandRuns = 99;
// Room for the header, the colour table and the bit-field masks.
constexpr size_t kHeaderArea = 2000 + 1024;

std::string LowerTail(const CString& path, int n) {
  std::string t = path.GetLength() >= n ? std::string(path.Right(n).GetString()) : std::string(path.GetString());
  for (char& c : t) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return t;
}

bool FileExists(const CString& path) {
  const DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Holds the clipboard open while its DIB is read.
struct ClipboardDib {
  bool open = false;
  HANDLE handle = nullptr;
  const std::uint8_t* bytes = nullptr;
  size_t size = 0;
  ~ClipboardDib() { Close(); }
  void Close() {
    if (bytes) GlobalUnlock(handle);
    bytes = nullptr;
    if (open) CloseClipboard();
    open = false;
  }
};

// The rows of the screen bitmap `bitmap` as indexes into the colour table of
// `info` (a header of 1, 4 or 8 bits and its table), into `out`; the header
// then describes them (bottom-up, their size, the bitmap's rows: a page of a
// tall picture holds fewer than the picture).
enum class IndexedRows { kRead, kNoMemory, kNotRead };
IndexedRows ReadIndexedRows(HWND wnd, HBITMAP bitmap, std::uint8_t* info, std::uint8_t* out, size_t outSize) {
  const img::DibHeader h = img::ReadDibHeader(info);
  BITMAP bm = {};
  if (!bitmap || !::GetObjectA(bitmap, sizeof bm, &bm)) return IndexedRows::kNotRead;
  const LONG width = bm.bmWidth, height = bm.bmHeight;
  const std::uint32_t table = 1u << h.biBitCount;
  const std::uint32_t colours = h.biClrUsed && h.biClrUsed < table ? h.biClrUsed : table;
  if (width <= 0 || height <= 0 || h.biSize < img::kHeaderSize || h.biSize + 4 * colours > kHeaderArea)
    return IndexedRows::kNotRead;
  const std::uint64_t size = img::DibStride(std::uint64_t(width), 24) * std::uint64_t(height);
  std::uint8_t* rgb = size < SIZE_MAX - 16 ? static_cast<std::uint8_t*>(fw::Alloc(size_t(size) + 16)) : nullptr;
  if (!rgb) return IndexedRows::kNoMemory;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  HDC dc = ::GetDC(wnd);
  const int got = ::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), rgb, &bi, DIB_RGB_COLORS);
  ::ReleaseDC(wnd, dc);
  const bool ok = got == height && img::IndexRowsByPalette(rgb, std::uint32_t(width), std::uint32_t(height),
                                                           info + h.biSize, colours, h.biBitCount, out, outSize);
  fw::Free(rgb);
  if (!ok) return IndexedRows::kNotRead;
  img::DibHeader fixed = h;
  fixed.biWidth = width;
  fixed.biHeight = height;
  fixed.biCompression = 0;
  fixed.biSizeImage = static_cast<std::uint32_t>(img::DibStride(std::uint64_t(width), h.biBitCount) * height);
  img::WriteDibHeader(info, fixed);
  return IndexedRows::kRead;
}

}  // namespace

void CDvkView::SaveImageAsCmd() { SaveImageAs(img::kSaveAnyFormat, 0); }

void CDvkView::SaveImageAs(int nFormat, int nMode) {
  app::DocHost* doc = GetDocument();
  if (!doc) return;
  // A private copy of the shown picture's header.
  std::uint8_t info[kHeaderArea] = {};
  std::memcpy(info, m_image.m_bmiImage, sizeof m_image.m_bmiImage);
  const CString imagePath = m_image.m_strImagePath;

  // The target.
  CString path;
  if (nMode == 1 || nMode == 2 || nMode == 4) {
    path = nMode == 1 ? imagePath : doc->PathFields().m_strCurFile;
    if (!img::SaveKindAllowed(doc->GetFileKind(path))) {
      AfxMessageBox(kKindError, MB_OK);
      return;
    }
  } else if (nMode == 3) {
    path = kTempBitmap;
  } else {
    const img::SaveDialogOffer offer = img::PlanSaveDialog(nFormat, GetPathPart(imagePath, 6).GetString());
    CFileDialog dlg(false, nullptr, offer.proposal.c_str(), OFN_EXPLORER, offer.filter, this);
    if (dlg.DoModal() != IDOK) return;
    path = dlg.GetPathName();
    if (path.IsEmpty() || doc->ConfirmOverwrite(path) == 0) return;
  }

  // Marked names are never written directly.
  if (img::MarkedBitmapName(path.GetString())) {
    AfxMessageBox(fw::LoadText(IDS_CANNOT_PACK_DIRECTLY), MB_OKCANCEL);
    return;
  }
  // A PDF: the picture goes to the scratch JPEG first. An old scratch file
  // is removed so that only this picture can end up in the PDF.
  CString pdfPath;
  if (img::PdfTarget(path.GetString())) {
    pdfPath = path;
    path = doc->ScratchFolder(0) + kScratchJpeg;
    DeleteFileA(path);
  }
  const img::DibHeader shown = img::ReadDibHeader(info);
  const int code = img::SaveFormatCode(doc->GetFileKind(path), nFormat, shown.biBitCount, LowerTail(path, 4));

  // The header: the page form's picture object through the clipboard.
  ClipboardDib clip;
  img::PackedDibRows rows;
  if (m_nPageViewState > 0) {
    GetRichEditCtrl().SendMessage(WM_COPY, 0, 0);
    if (!::OpenClipboard(m_hWnd)) return;
    clip.open = true;
    clip.handle = GetClipboardData(CF_DIB);
    if (clip.handle) clip.bytes = static_cast<const std::uint8_t*>(GlobalLock(clip.handle));
    if (clip.bytes) {
      clip.size = GlobalSize(clip.handle);
      rows = img::LocatePackedDibRows(clip.bytes, clip.size);
    }
    if (!rows.ok || rows.offset > sizeof info) {
      clip.Close();
      AfxMessageBox(fw::LoadText(IDS_OBJECT_FORMAT_DIFFERS), MB_OK);
      return;
    }
    std::memset(info, 0, sizeof info);
    std::memcpy(info, clip.bytes, rows.offset);
  } else if (!m_image.m_hImageBitmap) {
    AfxMessageBox(fw::LoadText(IDS_OBJECT_FORMAT_DIFFERS), MB_OK);
    return;
  }
  const img::SaveSizes sizes = img::PlanSaveSizes(info, code);
  if (sizes.empty) {
    clip.Close();
    AfxMessageBox(fw::LoadText(IDS_OBJECT_FORMAT_DIFFERS), MB_OK);
    return;
  }
  std::uint8_t* buffer = sizes.buffer <= SIZE_MAX ? static_cast<std::uint8_t*>(fw::Alloc(size_t(sizes.buffer))) : nullptr;
  if (!buffer) {
    clip.Close();
    AfxMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY), MB_OK);
    return;
  }
  std::memset(buffer, 0, size_t(sizes.buffer));
  IndexedRows indexed = IndexedRows::kNotRead;
  if (!clip.open && (shown.biBitCount == 1 || shown.biBitCount == 4 || shown.biBitCount == 8)) {
    // A picture of a colour table: the screen bitmap gives its colours, the
    // table (kept in the private copy) the indexes back; a table asked of the
    // bitmap would be the system's.
    indexed = ReadIndexedRows(m_hWnd, static_cast<HBITMAP>(m_image.m_hImageBitmap), info, buffer,
                              size_t(sizes.buffer));
    if (indexed == IndexedRows::kNoMemory) {
      fw::Free(buffer);
      AfxMessageBox(fw::LoadText(IDS_OUT_OF_MEMORY), MB_OK);
      return;
    }
  }
  if (clip.open) {
    // The rows the block holds, never more (a header of image size 0 gets
    // the size of its rows).
    std::memcpy(buffer, clip.bytes + rows.offset, rows.bytes);
    clip.Close();
    img::MakeRowsBottomUp(info, buffer, rows.bytes);
  } else if (indexed == IndexedRows::kNotRead) {
    HDC dc = ::GetDC(m_hWnd);
    HBITMAP bitmap = static_cast<HBITMAP>(m_image.m_hImageBitmap);
    BITMAPINFO* bmi = reinterpret_cast<BITMAPINFO*>(info);
    GetDIBits(dc, bitmap, 0, 1, nullptr, bmi, DIB_RGB_COLORS);
    const LONG height = bmi->bmiHeader.biHeight < 0 ? -bmi->bmiHeader.biHeight : bmi->bmiHeader.biHeight;
    // The rows the buffer can hold, whatever the first call reported.
    const img::SaveSizes now = img::PlanSaveSizes(info, code);
    if (now.imageSize <= sizes.buffer) GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), buffer, bmi, DIB_RGB_COLORS);
    ::ReleaseDC(m_hWnd, dc);
  }
  // The size of what is written (in the page form, the clipboard's picture).
  const img::DibHeader written = img::ReadDibHeader(info);
  doc->WriteImageFile(buffer, info, path, code);
  fw::Free(buffer);

  if (!pdfPath.IsEmpty()) {
    // No PDF of a JPEG that was not written (it would wrap an older one).
    const app::DocHost::PdfWrite r = FileExists(path)
                                         ? doc->WriteJpegPdf(pdfPath, path, written.biWidth,
                                                             written.biHeight < 0 ? -written.biHeight : written.biHeight)
                                         : app::DocHost::PdfWrite::kRefused;
    if (r == app::DocHost::PdfWrite::kRefused) AfxMessageBox(fw::LoadText(IDS_CANNOT_CREATE), MB_OK);
    // The PDF's writer opened it and made it the side's path.
    return;
  }
  if (doc->UpdateFields().m_nPendingViewCmd == kPendingCommandRuns || nMode == 4) return;
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = path;
  if (app::g_pFrameHost) app::g_pFrameHost->ActivateListPane(0, static_cast<int>(paths.m_nActiveSide) - 1);
  doc->RedrawAllViews();
}

void CDvkView::OnImageSaveAs() {
  // The page form is left for the picture itself first.
  if (m_nPageViewState > 0) {
    m_nPageViewState = 0;
    RedrawImageView(9);
  }
  SaveImageAs(img::kSaveAnyFormat, 0);
  m_image.m_bImageGrab = 1;
}

void CDvkView::SavePictureOnQuestion(const CString& path) {
  m_image.m_strImagePath = path;
  SaveImageAsCmd();
}

