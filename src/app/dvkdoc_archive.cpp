// The document's archive entries: thin Windows sides of the portable paths in
// src/archive (extraction, LZH, the writer, the walk). Here: the choice of
// path, the libraries (loaded by full path from the program folder only),
// the current directory, the main window's title, the message boxes and the
// wait cursor.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "core/docsvc/ftppath.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "archive/extract_target.h"
#include "archive/lzh_extract.h"
#include "archive/zip32_api.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/fwtext.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "res/resource.h"

void (*CDvkDoc::s_pfnZip32Print)(const char* text) = nullptr;

namespace {

class WaitCursor {
 public:
  WaitCursor() : old_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { ::SetCursor(old_); }

 private:
  HCURSOR old_;
};

std::wstring Wide(const CString& path) {
  std::u16string w = fw::ToWidePath(path);
  return std::wstring(w.begin(), w.end());
}

// A library of the program folder, never one found on the search path or in
// the current directory (which the extractors point at folders that archives
// fill).
HMODULE LoadProgramLibrary(const CString& programDir, const char* name) {
  CString path = programDir + "\\" + name;
  if (GetFileAttributesW(Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool SetCurrentFolder(const CString& path) { return SetCurrentDirectoryW(Wide(path).c_str()) != 0; }

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

void ShowTitle(const std::string& text) {
  if (g_pMainFrame && g_pMainFrame->m_hWnd) g_pMainFrame->SetWindowText(text.c_str());
}

int Zip32Print(const char* text, unsigned long) {
  if (CDvkDoc::s_pfnZip32Print && text) CDvkDoc::s_pfnZip32Print(text);
  return 10;
}
char* Zip32Comment(char* comment) { return comment; }
int Zip32Password(char*, int, const char*, const char*) { return 0; }
int Zip32Service(const char*, unsigned long) { return 0; }

CString FileNameOf(const CString& path) {
  int cut = fw::LastPathSeparator(path, path.GetLength());
  return path.Mid(cut + 1);
}

CString BaseNameOf(const CString& path) {
  CString name = FileNameOf(path);
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

}  // namespace

int CDvkDoc::GetFtpDriveNo(const CString& path) const { return docsvc::FtpEntryOfPath(&FtpEntry(0), path); }

int CDvkDoc::UnzipArchive(int mode, CString zipName, CString destDir, int count, int outMax, unsigned char* buffer) {
  m_arcState.m_nArcInSize = count;
  m_arcState.m_nArcOutMax = outMax;
  if (mode == 3) mode = m_pfnUnZip ? 1 : 0;
  // A library path without the library takes the own codec.
  if (mode != 0 && !m_pfnUnZip) mode = 0;
  bool memoryToMemory = mode == 0 && count >= 2 && outMax != 0;
  std::string root;
  if (!memoryToMemory) {
    root = fw::FullPath(destDir.Str());
    fw::MakeDir(destDir);
    SetCurrentFolder(destDir);
  }
  if (mode != 0) {
    CString cmd = "-x \"" + zipName + "\" \"" + destDir + "\" *.*";
    if (count > 0) cmd = "--i -o " + cmd;
    std::vector<char> text(static_cast<size_t>(cmd.GetLength()) + 1, 0);
    std::memcpy(text.data(), cmd.GetString(), static_cast<size_t>(cmd.GetLength()));
    std::vector<char> output(32768, 0);
    return m_pfnUnZip(nullptr, text.data(), output.data(), 32767);
  }
  arc::ArcOutcome r;
  try {
    arc::DiskTarget disk(root);
    arc::MemoryTarget none(0);
    arc::ExtractTarget& target = memoryToMemory ? static_cast<arc::ExtractTarget&>(none) : disk;
    r = arc::UnzipOwn(m_arcState, zipName.Str(), count, outMax, buffer, m_bUtf8Names != 0, target);
  } catch (const std::bad_alloc&) {
    r.result = -9;
    r.memoryText = " 029";
  }
  if (r.result == -9) {
    AfxMessageBox(LoadText(IDS_OUT_OF_MEMORY) + r.memoryText.c_str());
    return -9;
  }
  if (r.Failed()) {
    ShowTitle(r.Title());
    m_arcState.m_nArcOutMax = 0;
    m_arcState.m_nArcOutLen = -1;
    return -1;
  }
  return r.result;
}

int CDvkDoc::ArchiveLzh(CString archive, CString target, int operation) {
  if (HMODULE h = LoadProgramLibrary(m_strProgramDir, "unlha32.dll")) {
    auto unlha = reinterpret_cast<UnlhaFn>(reinterpret_cast<void*>(GetProcAddress(h, "Unlha")));
    GetProcAddress(h, "UnlhaGetVersion");
    if (unlha) {
      CString cmd = operation == 1 ? "a -x -r1 \"" + archive + "\" \"" + target + "\""
                                   : "x \"" + archive + "\" -a1 \"" + target + "\" *.*";
      std::vector<char> text(static_cast<size_t>(cmd.GetLength()) + 1, 0);
      std::memcpy(text.data(), cmd.GetString(), static_cast<size_t>(cmd.GetLength()));
      std::vector<char> output(32768, 0);
      int result = unlha(nullptr, text.data(), output.data(), 32767);
      SetCurrentFolder(target);
      FreeLibrary(h);
      return result;
    }
    // A library without Unlha counts as missing.
    FreeLibrary(h);
  }
  std::string root = fw::FullPath(target.Str());
  fw::MakeDir(target);
  SetCurrentFolder(target);
  arc::ArcOutcome r;
  std::string last;
  try {
    arc::DiskTarget disk(root);
    r = arc::LzhExtractFile(archive.Str(), disk, false, &last);
  } catch (const std::bad_alloc&) {
    r.result = -9;
    r.memoryText = " 028";
  }
  if (r.result == -9) {
    AfxMessageBox(LoadText(IDS_OUT_OF_MEMORY) + r.memoryText.c_str());
    return -1;
  }
  if (r.result < 0 && !r.Failed()) return -1;  // the archive does not open: no message
  if (r.Failed()) {
    if (r.code == "083")
      AfxMessageBox(IDS_NEED_UNLHA_EXTRACT);
    else
      AfxMessageBox(r.Title().c_str());
    return -1;
  }
  // The folder of the last member written becomes the current directory.
  SetCurrentFolder(last.empty() ? CString(root.c_str()) : CString((root + "\\" + last).c_str()));
  return 0;
}

int CDvkDoc::CreateArchive(int kind, int argc, const char* const* argv, CString archiveName, int quiet,
                           ArchivePacking packing) {
  WaitCursor wait;
  std::vector<std::string> args;
  int n = argc == 0 ? 2 : argc;
  for (int i = 0; i < n; ++i) args.push_back(argv && argv[i] ? argv[i] : "");
  std::vector<std::string> items;
  std::string name = arc::ArchiveNameFor(kind, argc, args, archiveName.Str(), m_bArcTmpRoot != 0, &items);
  if (kind != 1 && kind != 2) {
    if (!quiet) AfxMessageBox(IDS_NEED_UNLHA);
    return -1;
  }
  if (name.compare(0, 11, "C:\\ARCHTMP\\") == 0) fw::MakeDir("C:\\ARCHTMP");
  std::vector<arc::WalkEntry> entries = arc::CollectEntries(items, name);
  // Nothing collected: no archive is written.
  if (entries.empty()) return -1;
  m_nConvStatus = 0;
  arc::ArcOutcome r;
  try {
    r = arc::WriteZip(m_arcState, name, entries, nullptr,
                      packing == ArchivePacking::kQuick ? arc::kQuickZipChain : arc::DeflateWindow::kMaxChain);
  } catch (const std::bad_alloc&) {
    AfxMessageBox(LoadText(IDS_OUT_OF_MEMORY) + " 028");
    return -1;
  }
  if (r.Failed()) {
    AfxMessageBox(r.Title().c_str());
    return -1;
  }
  return 0;
}

int CDvkDoc::ZipFilesWithZip32(const char* zipName, const char* files, int useOwn) {
  auto own = [&] {
    const char* av[2] = {zipName, files};
    return CreateArchive(1, 0, av, "", 0);
  };
  if (useOwn) return own();
  HMODULE h = LoadProgramLibrary(m_strProgramDir, "ZIP32.DLL");
  if (!h) return own();
  auto init = reinterpret_cast<ZpInitFn>(reinterpret_cast<void*>(GetProcAddress(h, "ZpInit")));
  auto setOptions = reinterpret_cast<ZpSetOptionsFn>(reinterpret_cast<void*>(GetProcAddress(h, "ZpSetOptions")));
  auto archive = reinterpret_cast<ZpArchiveFn>(reinterpret_cast<void*>(GetProcAddress(h, "ZpArchive")));
  if (!init || !setOptions || !archive) {
    // A library without one of its entries is no library.
    FreeLibrary(h);
    return own();
  }
  ZIPUSERFUNCTIONS fns{Zip32Print, Zip32Comment, Zip32Password, Zip32Service};
  if (!init(&fns)) {
    FreeLibrary(h);
    return 1;
  }
  size_t len = std::strlen(files);
  void* block = std::malloc(2 * sizeof(char*) + len + 1);
  if (!block) {
    FreeLibrary(h);
    return 1;
  }
  char** fnv = static_cast<char**>(block);
  char* copy = reinterpret_cast<char*>(fnv + 2);
  std::memcpy(copy, files, len + 1);
  fnv[0] = copy;
  fnv[1] = nullptr;
  ZCL command{1, zipName, fnv};
  ZPOPT options{};
  options.Date = "";
  options.szRootDir = "";
  options.szTempDir = "";
  options.fSystem = 1;
  options.fVerbose = 1;
  options.fRecurse = 1;
  options.fLevel = '9';
  int result;
  if (!setOptions(&options))
    result = 2;
  else
    result = archive(command) != 0 ? 3 : 0;
  std::free(block);
  FreeLibrary(h);
  return result;
}

int CDvkDoc::PackTempArchive(int mode) {
  CString archive, items, folder;
  const CString tmp = m_strProgramDir + "\\TMP";
  if (mode == 2 || mode == 4) {
    CString base = BaseNameOf(m_strCurFile);
    archive = tmp + (mode == 2 ? "\\Dorvik1.bmz" : "\\DorvikTMP.zip");
    items = base + (mode == 2 ? ".bmp" : ".rtf");
    folder = tmp;
    fw::MakeDir(tmp);
    SetCurrentFolder(folder);
  } else if (mode == 5) {
    folder = tmp + "\\ARCHTMP";
    archive = folder + "\\temp.zip";
    items = "*.*";
    fw::MakeDir(tmp);
    fw::MakeDir(folder);
    SetCurrentFolder(folder);
  } else if (mode == 0 || mode == 1 || mode == 3 || mode == 10) {
    bool tmpRoot = m_bArcTmpRoot && (mode == 0 || mode == 1 || mode == 10);
    if (tmpRoot && !SetCurrentFolder("C:\\ARCHTMP\\")) {
      fw::MakeDir("C:\\ARCHTMP");
      SetCurrentFolder("C:\\ARCHTMP\\");
    }
    CString path = ActivePath();
    CFileStatus st;
    if (!CFile::GetStatus(path, st)) path.Empty();
    bool isFolder = !path.IsEmpty() && (st.m_attribute & CFile::directory);
    CString name;
    if (isFolder) {
      while (path.GetLength() > 3 && (path.Right(1) == "\\" || path.Right(1) == "/")) path = path.Left(path.GetLength() - 1);
      folder = path;
      items = "*.*";
      name = FileNameOf(path);
      archive = path;
    } else {
      name = FileNameOf(path);
      if (name.IsEmpty()) return 0;
      folder = CString(fw::FolderOfPath(path.Str()).c_str());
      items = name;
      archive = folder + "\\" + name;
    }
    if (tmpRoot) archive = "C:\\ARCHTMP\\" + name;
    if (mode == 1 || mode == 3) {
      if (archive.GetLength() >= 4) archive = archive.Left(archive.GetLength() - 4);
      archive += mode == 1 ? ".bmz" : ".rtz";
    } else {
      archive += ".zip";
    }
    SetCurrentFolder(folder);
  } else {
    return 0;
  }
  if (m_bFtpConnected == 1 && GetFtpDriveNo(archive) != 0) {
    AfxMessageBox(IDS_FTP_NOT_POSSIBLE);
    return 0;
  }
  std::string a = archive.Str(), it = items.Str();
  int result = ZipFilesWithZip32(a.c_str(), it.c_str(), 0);
  if (result == 0 && m_bKeepFileDate == 1) {
    CFileStatus st;
    if (CFile::GetStatus(archive, st)) {
      st.m_mtime = CTime(m_tOpenedFileTime);
      st.m_atime = CTime();
      st.m_ctime = CTime();
      try {
        CFile::SetStatus(archive, st);
      } catch (const CFileException&) {
      }
    }
  }
  if (mode == 4 && result == 0) {
    std::wstring from = Wide(archive), to = Wide(m_strCurFile);
    bool copied = CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
    bool refused = false;
    if (!copied) {
      if (AfxMessageBox(fw::FormatText(IDS_READONLY_MAKE_WRITABLE, m_strCurFile), MB_YESNO) == IDYES) {
        SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
        copied = CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
        // The second copy failing too is a failure, not a success.
        if (!copied) AfxMessageBox(fw::FormatText(IDS_WRITE_PROTECTED, m_strCurFile));
      } else {
        refused = true;
      }
    }
    std::wstring source = Wide(tmp + "\\" + items);
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(from.c_str());
    SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(source.c_str());
    if (refused || !copied) return 0;
  }
  if (result == 0) {
    if (mode == 0 || mode == 3) {
      ActivePath() = archive;
      m_nUpdateCode = app::UpdateCode::kAfterMouse;
    }
    if (mode != 10) UpdateAllViews(nullptr, 0, nullptr);
    return 1;
  }
  AfxMessageBox(IDS_ZIP_PACK_ERROR);
  return 0;
}
