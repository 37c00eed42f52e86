// CDvkDoc::LoadImageForDoc: any picture the loaders read, written again as
// a plain BMP file at its own depth (the table editor embeds it, the file
// list joins it). The document's own picture record, its current work file
// and its kind are the same afterwards: a picture waiting for the view is
// not replaced by the one converted here.
#include <windows.h>

#include <memory>
#include <string>

#include "app/dvkdoc.h"
#include "fw/file.h"
#include "image/load/image_record.h"
#include "image/write/image_write.h"

namespace {

// A packed name: a '.' after the first character and not last, followed by
// '+', '-' or '='.
bool IsPackedName(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 >= path.size()) return false;
  const char c = path[dot + 1];
  return c == '+' || c == '-' || c == '=';
}

void RemoveQuietly(const CString& path) {
  try {
    CFileStatus st;
    if (CFile::GetStatus(path, st)) CFile::Remove(path);
  } catch (const CFileException&) {
  }
}

// Writes `bytes` as `path`; a file cut short is removed.
bool WriteBitmapFile(const CString& path, const std::string& bytes) {
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary)) return false;
  try {
    f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    f.Close();
    return true;
  } catch (const CFileException&) {
    f.Abort();
    RemoveQuietly(path);
    return false;
  }
}

}  // namespace

int CDvkDoc::LoadImageForDoc(CString path, CString bmpPath) {
  // Packed forms are unpacked into a work file first; the document's own
  // current file stays its own.
  if (IsPackedName(path.Str())) {
    const CString curFile = m_strCurFile;
    if (SaveEncryptedSource(0, path, CString()) >= -1 && m_nOpenContext != 1) path = m_strCurFile;
    m_strCurFile = curFile;
  }
  // The picture record is set aside whole (bits, ready state, settings) and
  // the load goes into a record of its own with the same settings.
  auto kept = std::make_unique<img::LoadRecord>(m_imageLoad);
  m_imageLoad.m_pLoadBits = nullptr;
  m_imageLoad.m_hLoadBits = nullptr;
  m_imageLoad.m_nLoadBitsAlloc = 0;
  m_imageLoad.m_nLoadBitsOwner = img::kOwnerNone;
  m_imageLoad.m_nLoadDataSize = 0;
  m_imageLoad.m_nLoadReady = 0;
  const CString keptCurFile = m_strCurFile;
  const std::int32_t keptPending = m_nPendingViewCmd;

  bool written = false;
  if (LoadImageFile(path, 0) >= 0 && m_imageLoad.m_pLoadBits) {
    std::string bytes;
    try {
      written = img::BuildBmpFile(m_imageLoad.m_pLoadBits, m_imageLoad.m_bmiLoad, &bytes) &&
                WriteBitmapFile(bmpPath, bytes);
    } catch (const std::bad_alloc&) {
      written = false;
    }
  }
  ReleaseImageRecord();
  m_imageLoad = *kept;
  m_strCurFile = keptCurFile;
  m_nPendingViewCmd = keptPending;
  if (!written) {
    // No file is left behind: an older picture of that name would be taken
    // for this one.
    RemoveQuietly(bmpPath);
    return -1;
  }
  return 0;
}
