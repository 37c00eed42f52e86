// The document's picture entries: thin members over src/image/load. The
// window side is only here: image plug-ins (LoadLibrary, GetPicture and its
// local-memory handles), the unzip library's routes, message boxes, the
// status pane and the wait cursor.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/dvkdoc.h"
#include "core/docopen/opentexts.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "image/load/image_dispatch.h"
#include "image/load/image_loaders.h"
#include "image/load/raw_inflate.h"
#include "image/write/image_write.h"
#include "res/resource.h"

namespace {

// The plug-in's export, in the sizes of 64-bit Windows: long is 32 bits,
// handles and pointers 64.
using GetPictureFn = int(__stdcall*)(char* buf, long len, unsigned int flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                     FARPROC progress, long lData);

std::wstring WidePath(const CString& path) {
  std::u16string w = fw::ToWidePath(path);
  return std::wstring(w.begin(), w.end());
}

bool FileExists(const CString& path) {
  const DWORD a = GetFileAttributesW(WidePath(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

CString CurrentFolder() { return CString(fw::FullPath(".").c_str()); }

// First file of a folder matching pattern, or empty.
CString FindFirst(const CString& folder, const CString& pattern) {
  CFileFind ff;
  BOOL more = ff.FindFile(folder + "\\" + pattern);
  while (more) {
    more = ff.FindNextFile();
    if (!ff.IsDirectory()) return ff.GetFilePath();
  }
  return CString();
}

void FreePluginBits(void* handle) {
  if (!handle) return;
  LocalUnlock(static_cast<HLOCAL>(handle));
  LocalFree(static_cast<HLOCAL>(handle));
}

void ImageStatus(const std::string& text) {
  if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return;
  const int pane = g_pStatusBar->CommandToIndex(ID_INDICATOR_INFO);
  if (pane >= 0) g_pStatusBar->SetPaneText(pane, text.c_str());
}

}  // namespace

// The document as the loaders' host.
class CDvkDoc::ImageHost : public img::LoadHost {
 public:
  explicit ImageHost(CDvkDoc& doc) : doc_(doc) {
    textBufSize = doc.m_nTextBufSize;
    textBufSize2 = doc.m_nTextBufSize2;
  }
  ~ImageHost() override {
    if (module_) FreeLibrary(module_);
    ReleasePluginInfo();
    if (cursor_) SetCursor(cursor_);
  }
  void SetMessage(unsigned id) override { doc_.m_strOpenMessage = fw::LoadText(id); }
  void AppendMessage(unsigned id) override { doc_.m_strOpenMessage += fw::LoadText(id); }
  void MessageBox(unsigned id) override { AfxMessageBox(fw::LoadText(id), MB_OK); }
  void StatusText(const std::string& text) override { ImageStatus(text); }
  void WaitCursor(bool on) override {
    if (on && !cursor_) cursor_ = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (!on && cursor_) {
      SetCursor(cursor_);
      cursor_ = nullptr;
    }
  }
  int32_t InflateRaw(uint8_t* buffer, int32_t dataLength, int32_t outLimit, int32_t mode) override {
    return doc_.ExtractZipMemberToTemp(buffer, dataLength, outLimit, mode);
  }
  bool UnzipBitmapByLibrary(const uint8_t* data, uint32_t length, uint8_t* work, uint32_t size,
                            int64_t* got) override {
    if (!doc_.m_pfnUnZip) return false;
    const CString tmp = doc_.m_strProgramDir + "\\TMP\\";
    const CString zip = tmp + "temp.zip";
    fw::MakeDir(doc_.m_strProgramDir + "\\TMP");
    {
      CFile f;
      if (!f.Open(zip, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
        AppendMessage(img::kStrCannotOpen);
        *got = -1;
        return true;
      }
      f.Write(data, length);
      f.Close();
    }
    const CString bmp = tmp + "Dorvik1.bmp";
    DeleteFileW(WidePath(bmp).c_str());
    if (doc_.UnzipArchive(1, zip, tmp, int(length), int(size), work) < 0) {
      SetMessage(img::kStrCannotOpen);
      *got = -1;
      return true;
    }
    CFile f;
    if (!f.Open(bmp, CFile::modeRead | CFile::typeBinary)) return false;  // another member name
    const ULONGLONG n = f.GetLength();
    *got = f.Read(work, UINT(n < size ? n : size));
    return true;
  }
  bool OpenPlugin(const std::string& name, bool search) override {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
    // The program folder first, then the current folder; the file found is
    // loaded by its full path.
    CString pattern = CString(name.c_str()) + (search ? "*.SPI" : ".SPI");
    pattern.MakeUpper();
    for (const CString& folder : {doc_.m_strProgramDir, CurrentFolder()}) {
      CString path = search ? FindFirst(folder, pattern) : folder + "\\" + pattern;
      if (path.IsEmpty() || !FileExists(path)) continue;
      module_ = LoadLibraryExW(WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      if (module_) return true;
    }
    return false;
  }
  int CallPlugin(const uint8_t* data, uint32_t length, img::PluginPicture* out) override {
    if (!module_) return -1;
    auto fn = reinterpret_cast<GetPictureFn>(reinterpret_cast<void*>(GetProcAddress(module_, "GetPicture")));
    HLOCAL info = nullptr, bits = nullptr;
    int rc = -1;
    if (fn) rc = fn(reinterpret_cast<char*>(const_cast<uint8_t*>(data)), long(length), 1, &info, &bits, nullptr, 0);
    FreeLibrary(module_);
    module_ = nullptr;
    if (rc != 0 || !info || !bits) {
      if (info) LocalFree(info);
      if (bits) LocalFree(bits);
      return rc ? rc : -1;
    }
    info_ = info;
    out->info = static_cast<const uint8_t*>(LocalLock(info));
    out->infoBytes = uint32_t(LocalSize(info));
    out->bits = static_cast<uint8_t*>(LocalLock(bits));
    out->bitsHandle = bits;
    out->bitsBytes = uint32_t(LocalSize(bits));
    return out->info && out->bits ? 0 : -1;
  }
  void ReleasePluginInfo() override {
    if (module_) {
      FreeLibrary(module_);
      module_ = nullptr;
    }
    if (info_) {
      LocalUnlock(info_);
      LocalFree(info_);
      info_ = nullptr;
    }
  }
  void ReleasePluginBits(void* handle) override { FreePluginBits(handle); }

 private:
  CDvkDoc& doc_;
  HMODULE module_ = nullptr;
  HLOCAL info_ = nullptr;
  HCURSOR cursor_ = nullptr;
};

void CDvkDoc::ReleaseImageRecord() { img::ReleaseLoadBits(m_imageLoad, FreePluginBits); }

int CDvkDoc::LoadImageFile(CString path, int option) {
  ImageHost host(*this);
  img::LoadRequest req;
  req.kind = GetFileKind(path);
  req.option = option;
  for (int i = 0; i < 5; ++i) req.pictExt[i] = m_strPictExt[i].GetString();
  m_strOpenMessage.Empty();
  const img::LoadOutcome o = img::LoadImageFile(m_imageLoad, host, path.GetString(), req);
  if (o.metafile) {
    m_strCurFile = path;
    m_nPendingViewCmd = 33;
  }
  if (o.result < 0 && m_strOpenMessage.IsEmpty()) m_strOpenMessage = CannotOpenImageText(path, o.result);
  return o.result;
}

CString CDvkDoc::CannotOpenImageText(const CString& path, int result) {
  // Too large: the file limit; a file that is not there or does not open:
  // string 237; a picture the loaders refuse: string 210.
  CString text;
  if (result == -3) {
    text.Format(docopen::GetOpenText(docopen::OpenText::kFileOver), static_cast<int>(m_nTextBufSize2 >> 20));
  } else {
    CFile f;
    const bool opens = f.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary) != FALSE;
    text = fw::LoadText(opens ? IDS_UNSUPPORTED_FORMAT : IDS_CANNOT_OPEN_FILE);
  }
  return text + "\nfile = " + path;
}

int CDvkDoc::ExtractZipMemberToTemp(unsigned char* buffer, int dataLength, int outLimit, int mode) {
  const bool library = m_pfnUnZip && dataLength > 200000 && mode != 0;
  const CString tmp = m_strProgramDir + "\\TMP\\";
  const CString zip = tmp + "temp.zip";
  const CString member = tmp + "temp.txt";
  fw::MakeDir(m_strProgramDir + "\\TMP");
  const int32_t count =
      img::BuildInflateZip(buffer, dataLength, img::DeclaredInflateSize(dataLength), library);
  if (library) {
    CFile f;
    if (!f.Open(zip, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) {
      m_strOpenMessage += fw::LoadText(IDS_CANNOT_OPEN_FILE);
      return 0;
    }
    f.Write(buffer, UINT(count));
    f.Close();
    DeleteFileW(WidePath(member).c_str());
  }
  const bool fromFile = library || mode == 1;
  int r = UnzipArchive(library ? 1 : 0, fromFile ? zip : CString(), tmp, count, mode == 1 ? 0 : outLimit, buffer);
  if (r >= 0 && fromFile) {
    CFile f;
    if (!f.Open(member, CFile::modeRead | CFile::typeBinary)) return -2;
    const ULONGLONG n = f.GetLength();
    const UINT take = UINT(n < ULONGLONG(outLimit) ? n : ULONGLONG(outLimit));
    f.Read(buffer, take);
    return int(take);
  }
  if (r > outLimit) r = outLimit;
  if (r >= 0 && mode == 9) {
    // Mode 9 always leaves the member's file behind.
    CFile f;
    if (f.Open(member, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary)) f.Write(buffer, UINT(r));
  }
  return r;
}

// The document as the writers' host.
class CDvkDoc::ImageWriteHost : public img::WriteHost {
 public:
  explicit ImageWriteHost(CDvkDoc& doc) : doc_(doc) {
    textBufSize = doc.m_nTextBufSize;
    textBufSize2 = doc.m_nTextBufSize2;
  }
  void MessageBox(unsigned id, const std::string& a, const std::string& b) override {
    CString text;
    if (id == img::kStrCannotSaveAs)
      text.Format(fw::LoadText(id), a.c_str(), b.c_str());
    else
      text = fw::LoadText(id);
    AfxMessageBox(text, MB_OK);
  }
  void MessageText(const std::string& text) override { AfxMessageBox(text.c_str(), MB_OK); }
  std::string ScratchBitmapPath() override {
    fw::MakeDir(doc_.m_strProgramDir + "\\TMP");
    return (doc_.m_strProgramDir + "\\TMP\\Dorvik1.bmp").GetString();
  }
  std::string PackBitmap(const std::string& bmpPath) override {
    // The pack reads m_strCurFile; the document's current file stays what it was.
    const CString saved = doc_.m_strCurFile;
    doc_.m_strCurFile = bmpPath.c_str();
    const int packed = doc_.PackTempArchive(2);
    doc_.m_strCurFile = saved;
    if (!packed) return std::string();
    const CString bmz = doc_.m_strProgramDir + "\\TMP\\Dorvik1.bmz";
    SetFileAttributesW(WidePath(bmz).c_str(), FILE_ATTRIBUTE_NORMAL);
    return bmz.GetString();
  }
  void KeepFileDate(const std::string& path) override {
    if (doc_.m_bKeepFileDate != 1) return;
    CFileStatus st;
    if (!CFile::GetStatus(path.c_str(), st)) return;
    st.m_mtime = CTime(static_cast<time_t>(doc_.m_tOpenedFileTime));
    try {
      CFile::SetStatus(path.c_str(), st);
    } catch (...) {
    }
  }

 private:
  CDvkDoc& doc_;
};

bool CDvkDoc::DecodeJpegInto(img::LoadRecord& rec, const std::uint8_t* data, std::uint32_t length,
                            std::uint8_t* info) {
  ImageHost host(*this);
  return img::LoadJpegImage(rec, host, data, length, info) != 0 && rec.m_pLoadBits != nullptr;
}

void CDvkDoc::WriteImageFile(unsigned char* pixels, unsigned char* header, CString path, int format) {
  ImageWriteHost host(*this);
  img::WriteImageFile(host, pixels, header, path.GetString(), format);
}

void CDvkDoc::WriteImageByFormat(unsigned char* pixels, unsigned char* header, CString path, int format) {
  ImageWriteHost host(*this);
  img::WriteImageByFormat(host, pixels, header, path.GetString(), format);
}

void CDvkDoc::WriteJpegFile(unsigned char* pixels, unsigned char* header, CString path, int quality) {
  ImageWriteHost host(*this);
  img::WriteJpegFile(host, pixels, header, path.GetString(), quality);
}
