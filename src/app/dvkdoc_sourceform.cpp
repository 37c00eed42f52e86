// The compressed and enciphered source forms: SaveEncryptedSource in its
// modes, the work files of decoded sources and their removal. What a mode
// does is decided in core/docsvc/sourceform; the envelope is
// core/crypto/envelope; the one-member ZIPs go through the archive code
// (src/archive). Here: files, folders, keys and messages.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/dvkdoc.h"
#include "archive/arc_state.h"
#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "core/crypto/envelope.h"
#include "core/docopen/savename.h"
#include "core/docsvc/keycode_store.h"
#include "core/docsvc/pathpart.h"
#include "core/docsvc/sourceform.h"
#include "fw/codepage.h"
#include "fw/msgbox.h"
#include "fw/path.h"
#include "fw/uihooks.h"
#include "res/resource.h"
#include "view/dvkview.h"

namespace {

std::wstring Wide(const CString& path) {
  std::u16string w = fw::ToWidePath(path);
  return std::wstring(w.begin(), w.end());
}

bool FileExists(const CString& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFile(const CString& path) {
  if (path.IsEmpty()) return;
  const std::wstring w = Wide(path);
  SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(w.c_str());
}

// Removes a folder and everything below it (no links are followed: a
// reparse point is removed as the entry it is).
void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = dir + L"\\" + name;
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(full);
      } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(full.c_str());
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

// The files below a folder (full wide paths); stops counting past `limit`.
void ListFiles(const std::wstring& dir, std::vector<std::wstring>* files, size_t limit) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring full = dir + L"\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) ListFiles(full, files, limit);
    } else {
      files->push_back(full);
    }
  } while (files->size() <= limit && FindNextFileW(h, &fd));
  FindClose(h);
}

// The current directory, put back when the scope ends (the archive writer
// collects its item from the current directory).
class KeepCurrentDir {
 public:
  KeepCurrentDir() {
    wchar_t buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, buf);
    if (n > 0 && n < MAX_PATH * 4) dir_.assign(buf, n);
  }
  ~KeepCurrentDir() {
    if (!dir_.empty()) SetCurrentDirectoryW(dir_.c_str());
  }

 private:
  std::wstring dir_;
};

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

}  // namespace

namespace {

// A message of the conversions: through the active view's ReportMessage
// (which honours "nodisp"), else a box.
void ShowSourceMessage(CDvkDoc* doc, const CString& text) {
  if (CDvkView* v = doc->GetActiveTextView()) {
    v->ReportMessage(2, text);
    return;
  }
  AfxMessageBox(text, MB_OK);
}

// A fresh name below "\TMP\" for a scratch file or folder of this copy.
CString ScratchName(CDvkDoc* doc, unsigned* counter, const char* ext) {
  doc->ScratchFolder(0);
  for (;;) {
    const CString name = docsvc::SourceWorkFileName(doc->m_strProgramDir, doc->m_nInstanceNo, ++*counter, ext);
    if (GetFileAttributesW(Wide(name).c_str()) == INVALID_FILE_ATTRIBUTES) return name;
  }
}

}  // namespace

// Extracts the one file member of the ZIP `zip` into `out` (replacing it),
// through a private scratch folder: every check of the archive code applies
// (names, "..", sizes, CRCs), and exactly one file must come out. Its bytes
// get the program's name `out`, never the member's. False after the
// message.
static bool ExtractOneMember(CDvkDoc* doc, unsigned* counter, const CString& zip, const CString& out) {
  const CString scratch = ScratchName(doc, counter, "d");
  const std::wstring wScratch = Wide(scratch);
  if (!CreateDirectoryW(wScratch.c_str(), nullptr)) {
    ShowSourceMessage(doc, LoadText(IDS_SOURCE_WRITE_FAILED) + "\nfile = " + out);
    return false;
  }
  bool ok = false;
  {
    arc::ArcState st;
    arc::ArcOutcome r;
    try {
      arc::DiskTarget disk(fw::FullPath(scratch.Str()));
      r = arc::UnzipOwn(st, zip.Str(), 0, 0, nullptr, doc->m_bUtf8Names != 0, disk);
    } catch (...) {
      r.result = -9;
    }
    std::vector<std::wstring> files;
    if (r.result == 0 && !r.Failed()) ListFiles(wScratch, &files, 1);
    if (files.size() == 1) {
      const std::wstring wOut = Wide(out);
      SetFileAttributesW(wOut.c_str(), FILE_ATTRIBUTE_NORMAL);
      ok = MoveFileExW(files[0].c_str(), wOut.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
      if (!ok) {
        RemoveTree(wScratch);
        ShowSourceMessage(doc, LoadText(IDS_SOURCE_WRITE_FAILED) + "\nfile = " + out);
        return false;
      }
    } else {
      CString text = LoadText(IDS_SOURCE_NOT_ONE_MEMBER);
      if (r.Failed()) text += CString("\n") + r.Title().c_str();
      ShowSourceMessage(doc, text + "\nfile = " + zip);
    }
  }
  RemoveTree(wScratch);
  return ok;
}

int CDvkDoc::RenameSourceTemp(CString path) { return SaveEncryptedSource(docsvc::kSourceDecode, path, ""); }

int CDvkDoc::SaveEncryptedSource(int mode, CString path, CString extra) {
  const bool decode = mode == docsvc::kSourceDecode || mode == docsvc::kSourceDecodeMacro;
  const CString cannotOpen = LoadText(IDS_CANNOT_OPEN_FILE) + "\nfile = " + path;

  if (decode) {
    const docsvc::SourceDecodePlan plan = docsvc::PlanSourceDecode(mode, path);
    if (plan.how == docsvc::SourceDecode::kNotMarked) {
      m_strCurFile = path;
      return -1;
    }
    if (!FileExists(path)) {
      ShowSourceMessage(this, cannotOpen);
      return -2;
    }
    const CString work = extra.IsEmpty() ? ScratchName(this, &m_nSourceWorkCounter, plan.plainExt) : extra;
    bool ok = false;
    if (plan.how == docsvc::SourceDecode::kZip) {
      ok = ExtractOneMember(this, &m_nSourceWorkCounter, path, work);
    } else {
      crypto::FileEnvelopeInput in;
      if (!in.Open(path)) {
        ShowSourceMessage(this, cannotOpen);
        return -2;
      }
      crypto::EnvelopeHeader h;
      crypto::EnvelopeStatus s = crypto::ReadEnvelopeHeader(in, &h);
      if (s == crypto::EnvelopeStatus::kOk && !(h.flags & crypto::kEnvelopeFlagProgramKey) &&
          !docsvc::IsUsableSourceKey(m_strEncryptKeyCode)) {
        ShowSourceMessage(this, LoadText(IDS_NO_KEY_CODE));
        return -2;
      }
      const bool zipped = s == crypto::EnvelopeStatus::kOk && (h.flags & crypto::kEnvelopeFlagZip);
      const CString target = zipped ? ScratchName(this, &m_nSourceWorkCounter, "zip") : work;
      if (s == crypto::EnvelopeStatus::kOk) {
        crypto::FileEnvelopeOutput out;
        if (!out.Open(target)) {
          s = crypto::EnvelopeStatus::kWriteError;
        } else {
          if (h.flags & crypto::kEnvelopeFlagProgramKey)
            s = crypto::OpenEnvelope(in, out, docsvc::ProgramKey(), docsvc::kProgramKeyBytes);
          else
            s = crypto::OpenEnvelope(in, out, m_strEncryptKeyCode.GetString(),
                                     static_cast<size_t>(m_strEncryptKeyCode.GetLength()));
          if (!out.Close() && s == crypto::EnvelopeStatus::kOk) s = crypto::EnvelopeStatus::kWriteError;
        }
      }
      if (s != crypto::EnvelopeStatus::kOk) {
        RemoveFile(target);
        const bool writeFailed = s == crypto::EnvelopeStatus::kWriteError;
        ShowSourceMessage(this, (writeFailed ? LoadText(IDS_SOURCE_WRITE_FAILED) : LoadText(IDS_SOURCE_WRONG_KEY)) +
                                    "\nfile = " + path);
        return -2;
      }
      ok = true;
      if (zipped) {
        ok = ExtractOneMember(this, &m_nSourceWorkCounter, target, work);
        RemoveFile(target);
      }
    }
    if (!ok) {
      RemoveFile(work);
      return -2;
    }
    m_aSourceWorkFiles.push_back(work);
    m_strCurFile = work;
    return 0;
  }

  // Encoding: the form is written under a scratch name in the target folder
  // and renamed over the target only when complete.
  const docsvc::SourceEncodePlan plan = docsvc::PlanSourceEncode(mode, path, extra);
  if (!plan.ok()) {
    ShowSourceMessage(this, LoadText(IDS_SOURCE_REFUSED) + "\nfile = " + path);
    return -2;
  }
  if (!FileExists(path)) {
    ShowSourceMessage(this, cannotOpen);
    return -2;
  }
  if (plan.envelope && !plan.programKey && !docsvc::IsUsableSourceKey(m_strEncryptKeyCode)) {
    ShowSourceMessage(this, LoadText(IDS_NO_KEY_CODE));
    return -2;
  }
  const CString writeFailed = LoadText(IDS_SOURCE_WRITE_FAILED) + "\nfile = " + plan.output;
  CString outFolder = GetPathPart(plan.output, 3);
  if (outFolder == plan.output) outFolder = ".";
  CString partial;
  partial.Format("%s\\~DVK%d_%u.tmp", outFolder.GetString(), m_nInstanceNo, ++m_nSourceWorkCounter);
  std::vector<CString> scratch;  // removed whatever happens
  struct Cleanup {
    std::vector<CString>& files;
    ~Cleanup() {
      for (const CString& f : files) {
        DWORD a = GetFileAttributesW(Wide(f).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) continue;
        if (a & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(Wide(f));
        else
          RemoveFile(f);
      }
    }
  } cleanup{scratch};
  scratch.push_back(partial);

  CString payload = path;
  if (plan.zip) {
    // The member is the plain name of the form: for a work file of another
    // name, a copy under that name in a private folder is packed.
    const CString member = mode == docsvc::kSourceRtz ? GetPathPart(plan.output, 2) + ".rtf"
                                                     : GetPathPart(plan.output, 4);
    CString folder = GetPathPart(path, 3);
    if (folder == path) folder = ".";
    if (GetPathPart(path, 1) != member) {
      folder = ScratchName(this, &m_nSourceWorkCounter, "d");
      scratch.push_back(folder);
      if (!CreateDirectoryW(Wide(folder).c_str(), nullptr) ||
          !CopyFileW(Wide(path).c_str(), Wide(folder + "\\" + member).c_str(), FALSE)) {
        ShowSourceMessage(this, writeFailed);
        return -2;
      }
    }
    const CString zip = plan.envelope ? ScratchName(this, &m_nSourceWorkCounter, "zip") : partial;
    if (plan.envelope) scratch.push_back(zip);
    KeepCurrentDir keep;
    if (!SetCurrentDirectoryW(Wide(folder).c_str())) {
      ShowSourceMessage(this, writeFailed);
      return -2;
    }
    const std::string zipName = fw::FullPath(zip.Str());
    const std::string item = member.Str();
    const char* argv[2] = {zipName.c_str(), item.c_str()};
    if (CreateArchive(2, 0, argv, "", 1) != 0) {
      ShowSourceMessage(this, writeFailed);
      return -2;
    }
    payload = zip;
  }
  if (plan.envelope) {
    std::uint8_t salt[crypto::kEnvelopeSaltSize];
    crypto::FileEnvelopeInput in;
    crypto::FileEnvelopeOutput out;
    if (!fw::hooks::SecureRandomBytes(salt, sizeof salt) || !in.Open(payload) || !out.Open(partial)) {
      ShowSourceMessage(this, writeFailed);
      return -2;
    }
    std::uint8_t flags = plan.zip ? crypto::kEnvelopeFlagZip : 0;
    crypto::EnvelopeStatus s;
    if (plan.programKey) {
      flags |= crypto::kEnvelopeFlagProgramKey;
      s = crypto::SealEnvelope(in, out, docsvc::ProgramKey(), docsvc::kProgramKeyBytes, flags, plan.iterations, salt);
    } else {
      s = crypto::SealEnvelope(in, out, m_strEncryptKeyCode.GetString(),
                               static_cast<size_t>(m_strEncryptKeyCode.GetLength()), flags, plan.iterations, salt);
    }
    if (!out.Close() || s != crypto::EnvelopeStatus::kOk) {
      ShowSourceMessage(this, writeFailed);
      return -2;
    }
  }
  const std::wstring wOut = Wide(plan.output);
  SetFileAttributesW(wOut.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!MoveFileExW(Wide(partial).c_str(), wOut.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ShowSourceMessage(this, writeFailed);
    return -2;
  }
  return 0;
}

int CDvkDoc::DecodeSourceForOpen(const CString& path, CString* readPath, CString* curFile) {
  CString ext = GetPathPart(path, 5);
  ext.MakeLower();
  if (ext == "rtzx") {
    // The archive with its pictures: "\TMP\RTZX\" emptied, the archive
    // unpacked there, its rich text shown.
    if (!FileExists(path)) {
      ShowSourceMessage(this, LoadText(IDS_CANNOT_OPEN_FILE) + "\nfile = " + path);
      return -1;
    }
    const CString dir = ScratchFolder(0) + "RTZX";
    RemoveTree(Wide(dir));
    CreateDirectoryW(Wide(dir).c_str(), nullptr);
    arc::ArcState st;
    arc::ArcOutcome r;
    try {
      arc::DiskTarget disk(fw::FullPath(dir.Str()));
      r = arc::UnzipOwn(st, path.Str(), 0, 0, nullptr, m_bUtf8Names != 0, disk);
    } catch (...) {
      r.result = -9;
    }
    CString rtf;
    if (r.result == 0 && !r.Failed()) {
      WIN32_FIND_DATAW fd;
      HANDLE h = FindFirstFileW(Wide(dir + "\\*.rtf").c_str(), &fd);
      if (h != INVALID_HANDLE_VALUE) {
        do {
          if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
          std::u16string n(fd.cFileName, fd.cFileName + wcslen(fd.cFileName));
          rtf = dir + "\\" + CString(fw::Utf16ToCp932(n).c_str());
          break;
        } while (FindNextFileW(h, &fd));
        FindClose(h);
      }
    }
    if (rtf.IsEmpty()) {
      CString text = LoadText(IDS_SOURCE_NOT_ONE_MEMBER);
      if (r.Failed()) text += CString("\n") + r.Title().c_str();
      ShowSourceMessage(this, text + "\nfile = " + path);
      return -1;
    }
    *readPath = rtf;
    *curFile = path;
    return 1;
  }
  const docsvc::SourceDecodePlan plan = docsvc::PlanSourceDecode(docsvc::kSourceDecode, path);
  if (plan.how == docsvc::SourceDecode::kNotMarked) return 0;
  const CString saved = m_strCurFile;
  if (ext == "rtz" || ext == "bmz") {
    // The packed rich text and picture: "\TMP\<base>.rtf" (".bmp"), the
    // document's file stays the packed one, which the save packs back.
    const CString work = ScratchFolder(0) + plan.plainName;
    if (SaveEncryptedSource(docsvc::kSourceDecode, path, work) < 0) {
      m_strCurFile = saved;
      return -1;
    }
    m_strCurFile = saved;
    *readPath = work;
    *curFile = path;
    return 1;
  }
  if (SaveEncryptedSource(docsvc::kSourceDecode, path, "") < 0) {
    m_strCurFile = saved;
    return -1;
  }
  *readPath = m_strCurFile;
  *curFile = m_strCurFile;
  m_strCurFile = saved;
  return 1;
}

void CDvkDoc::RemoveSourceWorkFiles(const CString& keep) {
  std::vector<CString> kept;
  for (const CString& f : m_aSourceWorkFiles) {
    if (!keep.IsEmpty() && docopen::SamePath(f.Str(), keep.Str()))
      kept.push_back(f);
    else
      RemoveFile(f);
  }
  m_aSourceWorkFiles.swap(kept);
}

void CDvkDoc::SourceOpened(const CString& marked, const CString& work, const CString& keep) {
  RemoveSourceWorkFiles(keep);
  m_strSourceMarkedPath = marked;
  m_strSourceWorkFile = work;
}

CString CDvkDoc::SourceSaveWorkPath(const CString& path) {
  const docsvc::SourceDecodePlan plan = docsvc::PlanSourceDecode(docsvc::kSourceDecode, path);
  if (plan.how == docsvc::SourceDecode::kNotMarked) return CString();
  CString ext = GetPathPart(path, 5);
  ext.MakeLower();
  if (ext == "rtz" || ext == "bmz") {
    const CString work = ScratchFolder(0) + plan.plainName;
    m_aSourceWorkFiles.push_back(work);
    return work;
  }
  // The document's own work file when it is this form's, else a new one.
  if (!m_strSourceWorkFile.IsEmpty() && docopen::SamePath(path.Str(), m_strSourceMarkedPath.Str()) &&
      GetPathPart(m_strSourceWorkFile, 5).CompareNoCase(plan.plainExt) == 0)
    return m_strSourceWorkFile;
  const CString work = ScratchName(this, &m_nSourceWorkCounter, plan.plainExt);
  m_aSourceWorkFiles.push_back(work);
  return work;
}
