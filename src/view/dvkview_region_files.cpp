// The region and picture files: the region saved as BMP, zipped bitmap, PNG
// or JPEG (the picture writers of the document decide the format rules and
// refuse marked names), and a picture file inserted into the region through
// the clip.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/docsvc/pathpart.h"
#include "fw/alloc_block.h"
#include "fw/commondlg.h"
#include "fw/file_bytes.h"
#include "host/doc_host.h"
#include "host/frame_host.h"
#include "image/edit/region_clip.h"
#include "image/edit/region_composite.h"
#include "image/edit/region_files.h"
#include "image/edit/region_geometry.h"
#include "image/load/dib_convert.h"
#include "image/load/image_record.h"
#include "image/view/view_types.h"
#include "image/write/image_write.h"
#include "view/dvkview.h"

namespace {

constexpr char kSaveFilter[] = "bmp, bmz, png, jpg, jpeg|*.bmp; *.bmz; *.png; *.jpg; *.jpeg|All|*.*|| ";
constexpr char kInsertFilter[] =
    "bmp, bmz, jpg, png, tiff|*.bmp; *.bmz; *.jpg; *.jpeg; *.png; *.tif; *.tiff|All|*.*|| ";
constexpr char kInsertScratch[] = "RegionInsert.bmp";
// The writers' header area: the header, 256 table entries and the masks.
constexpr std::size_t kWriterHeaderArea = image::kBitmapInfoBytes + 1024;

bool FileExists(const CString& path) {
  const DWORD a = ::GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void CDvkView::SaveRegionToFile() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  // 1-2. The name: the picture's own, or its name as a bitmap.
  const CString own = st.m_strImagePath;
  const int ownKind = doc->GetFileKind(own);
  const CString proposal = ownKind >= 12 && ownKind <= 28 ? own : GetPathPart(own, 6) + ".bmp";
  CFileDialog dlg(false, nullptr, proposal, OFN_EXPLORER, kSaveFilter, this);
  if (dlg.DoModal() != IDOK) return;
  const CString path = dlg.GetPathName();
  if (path.IsEmpty() || doc->ConfirmOverwrite(path) == 0) return;
  // 3. The region into the clip.
  st.m_nWorkSize = 0;
  CopyRegion();
  if (st.m_nWorkSize == 0) return;
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  const image::ClipReadResult read = image::ReadClipLayout(clip.m_pImageClip, static_cast<std::size_t>(clip.Capacity()));
  if (!read.ok()) return;
  // 4-6. The writers: the format by the name's ending; marked names are
  // refused (string 406), the file date is kept as the document says.
  std::uint8_t header[kWriterHeaderArea] = {};
  std::memcpy(header, clip.m_pImageClip + image::kClipFileHeaderBytes,
              static_cast<std::size_t>(std::min<std::int64_t>(read.layout.pixelOffset - image::kClipFileHeaderBytes,
                                                              image::kBitmapInfoBytes)));
  doc->WriteImageFile(clip.m_pImageClip + read.layout.pixelOffset, header, path,
                      image::RegionSaveFormat(path.GetString()));
  // A marked name was refused (string 406), a file not written stays
  // unshown; the side and the view stay as they were.
  std::string mark, plain;
  if (img::MarkedImageName(path.GetString(), &mark, &plain) || !FileExists(path)) return;
  // 7. The file becomes the side's current one and is shown. The picture's
  // own edits are not dropped unasked: the save question comes first, and
  // Cancel keeps the edited picture shown (the region's file is written).
  if (!CView::GetDocument() || !CView::GetDocument()->SaveModified()) return;
  app::DocPathFields& paths = doc->PathFields();
  (paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2) = path;
  if (app::g_pFrameHost) app::g_pFrameHost->ActivateListPane(0, static_cast<int>(paths.m_nActiveSide) - 1);
  doc->RedrawAllViews();
  doc->OpenFile(path, docopen::OpenMode::kPlain);
  st.m_bImageGrab = 1;
}

void CDvkView::InsertImageFromFile() {
  app::DocHost* doc = GetDocument();
  if (!doc || !m_hWnd) return;
  image::ImageViewState& st = m_image;
  // 1. The picture file.
  CFileDialog dlg(true, nullptr, GetPathPart(st.m_strImagePath, 6) + ".bmp", OFN_EXPLORER, kInsertFilter, this);
  if (dlg.DoModal() != IDOK) return;
  const CString path = dlg.GetPathName();
  if (path.IsEmpty()) return;
  // 2. Pictures only; a file the loader refuses ends silently. The load goes
  // through a record of its own, so the document's picture (and the edits
  // shown from it) stays as it is.
  const int kind = doc->GetFileKind(path);
  if (!image::InsertableKind(kind)) return;
  const CString scratch = doc->ScratchFolder(0) + kInsertScratch;
  if (doc->LoadImageForDoc(path, scratch) != 0) return;
  std::vector<std::uint8_t> bytes;
  const bool read = fw::ReadFileBytes(scratch, &bytes);
  ::DeleteFileA(scratch);
  if (!read) return;
  // 3-5. The clip receives the picture in 24 bits.
  const image::InsertPlan plan = image::PlanInsertClip(bytes.data(), bytes.size());
  if (!plan.ok) return;
  app::ImageClip& clip = doc->KeyImageFields().m_imageClip;
  const std::int64_t room = image::CheckedRegionSum(plan.clipBytes, image::kRegionSpareBytes);
  fw::ScopedBlock aside(room < 0 ? 0 : static_cast<std::uint64_t>(room));
  if (!aside.get()) {
    ShowRegionMemoryShort();
    return;
  }
  if (!image::BuildInsertClip(plan, bytes.data(), bytes.size(), aside.get(),
                              static_cast<std::size_t>(room)))
    return;
  // 4. Without a region the picture's size at the top left.
  if (!image::HasRegion(st.m_rcImageSel)) {
    st.m_rcImageSel = CRect(0, 0, static_cast<int>(plan.width), static_cast<int>(plan.height));
    st.m_bRegionSet = 1;
    st.m_aImageSettings[img::word::nEffectStyle] = 0;
  }
  if (!clip.Reserve(static_cast<std::uint64_t>(room))) {
    ShowRegionMemoryShort();
    return;
  }
  std::memcpy(clip.m_pImageClip, aside.get(), static_cast<std::size_t>(plan.clipBytes));
  clip.m_nImageClipSize = static_cast<std::uint32_t>(plan.clipBytes - image::kClipPlainHeaderBytes);
  clip.m_nImageClipKind = kind;
  clip.m_rcImageClip = CRect(0, 0, static_cast<int>(plan.width), static_cast<int>(plan.height));
  // 6. The paste (a region past the picture enlarges it first).
  st.m_ptPasteOffset = CPoint(0, 0);
  const bool keyFeed = m_bInternalKey == 1;
  m_bInternalKey = 0;  // the insert is always a plain paste
  PasteRegion();
  if (keyFeed) m_bInternalKey = 1;
}
