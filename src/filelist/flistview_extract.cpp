// The double-click on a ZIP or LZH archive: the archive is extracted beside
// itself, as it is (it is never renamed, and nothing but the targets is
// written or removed). A ZIP that holds one member puts that member beside
// the archive, under a name the user may number; any other archive goes
// whole into the "_DIR" folder. Targets are written through the safe writer,
// so an old file is either replaced exactly or left as it was.
#include <windows.h>

#include <string>
#include <vector>

#include "archive/arc_names.h"
#include "core/safewrite/safewrite.h"
#include "filelist/flistcore/entryopen.h"
#include "filelist/flistview.h"
#include "fw/codepage.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

bool PathExists(const CString& path) {
  CFileStatus st;
  return CFile::GetStatus(path, st) != FALSE;
}

// Reads a whole file; false when it does not open or read.
bool ReadWhole(const CString& path, std::vector<unsigned char>* out) {
  try {
    CFile f(path, CFile::modeRead | CFile::shareDenyWrite);
    const ULONGLONG len = f.GetLength();
    if (len > 0x7FFFFFFFull) return false;
    out->assign(static_cast<std::size_t>(len), 0);
    return len == 0 || f.Read(out->data(), static_cast<UINT>(len)) == len;
  } catch (const CFileException&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The member's local time on the written file.
void SetMemberTime(const CString& path, const flist::MemberTime& t) {
  SYSTEMTIME local = {};
  local.wYear = static_cast<WORD>(t.year);
  local.wMonth = static_cast<WORD>(t.month);
  local.wDay = static_cast<WORD>(t.day);
  local.wHour = static_cast<WORD>(t.hour);
  local.wMinute = static_cast<WORD>(t.minute);
  local.wSecond = static_cast<WORD>(t.second);
  SYSTEMTIME utc;
  FILETIME ft;
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !::SystemTimeToFileTime(&utc, &ft)) return;
  const std::u16string w = fw::Cp932ToUtf16(std::string(path.GetString()));
  HANDLE h = ::CreateFileW(reinterpret_cast<const wchar_t*>(w.c_str()), FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  ::SetFileTime(h, nullptr, &ft, &ft);
  ::CloseHandle(h);
}

}  // namespace

int CFlistView::ChooseMemberTarget(CString* target) {
  const CString base = *target;
  for (int n = 1; n <= 9; ++n) {
    if (n > 1) *target = flist::NumberedTarget(std::string(base.GetString()), n).c_str();
    if (!PathExists(*target)) return 0;
    CString q;
    q.Format(LoadText(IDS_OVERWRITE_QUERY).GetString(), target->GetString());
    if (AfxMessageBox(q, MB_YESNO) == IDYES) return 0;
  }
  return -1;  // the ninth No
}

int CFlistView::ExtractSingleMember(const CString& archive, const flist::ZipHeadPlan& plan, const CString& target) {
  app::DocHost* doc = GetDocument();
  // The library writes the member under its stored path below the scratch
  // folder: a name that would climb out of it is decoded by the own codec.
  std::string rel;
  const std::string sjis = arc::MemberNameToSjis(plan.rawName, plan.utf8Name, doc->SettingsFields().m_bUtf8Names != 0);
  const bool useLibrary =
      doc->SystemFields().m_pfnUnZip != nullptr && arc::SafeMemberPath(sjis, &rel) == arc::NameCheck::kOk;
  std::vector<unsigned char> bytes;
  if (!useLibrary) {
    // In memory through the own codec: the buffer holds the whole archive
    // and the output room, whichever is larger.
    std::vector<unsigned char> buffer;
    try {
      buffer.assign(plan.bufferBytes, 0);
    } catch (const std::bad_alloc&) {
      AfxMessageBox(LoadText(IDS_OUT_OF_MEMORY) + " 070");
      return -1;
    }
    try {
      CFile f(archive, CFile::modeRead | CFile::shareDenyWrite);
      if (f.Read(buffer.data(), static_cast<UINT>(plan.readBytes)) != plan.readBytes) return -1;
    } catch (const CFileException&) {
      return -1;
    }
    // The member is decoded into memory, so its stored name plays no part:
    // a neutral name lets a member whose name climbs ("../../x") be decoded
    // too; the file name it is written under was made safe beforehand.
    const std::size_t nameEnd = 30 + plan.rawName.size();
    if (nameEnd <= plan.readBytes)
      for (std::size_t i = 30; i < nameEnd; ++i) buffer[i] = '_';
    // Mode 0: the own codec, whether or not the library is bound.
    const int r = doc->UnzipArchive(0, archive, CString(), static_cast<int>(plan.readBytes),
                                    static_cast<int>(plan.outRoom), buffer.data());
    if (r < 0) return -1;
    const std::size_t len = static_cast<std::size_t>(r) + 1;
    if (len > buffer.size()) return -1;
    bytes.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(len));
  } else {
    // Through the library into the scratch folder, then read back.
    const CString scratch = doc->ScratchFolder(0);
    if (doc->UnzipArchive(3, archive, scratch, 0, 0, nullptr) < 0) return -1;
    const CString extracted = scratch + rel.c_str();
    const bool read = ReadWhole(extracted, &bytes);
    ::DeleteFileW(reinterpret_cast<const wchar_t*>(fw::Cp932ToUtf16(std::string(extracted.GetString())).c_str()));
    if (!read) return -1;
  }
  const viewcore::SaveResult saved = viewcore::SafeWriteFile(target, bytes.data(), bytes.size(), viewcore::SafeWriteOptions());
  if (!saved.ok) {
    AfxMessageBox(saved.message);
    return -1;
  }
  SetMemberTime(target, flist::MemberTimeFromDos(plan.dosTime, plan.dosDate));
  return 0;
}

void CFlistView::OpenArchiveEntry(int index, bool lzh, bool marked) {
  app::DocHost* doc = GetDocument();
  app::DocPathFields& paths = doc->PathFields();
  CString& sidePath = paths.m_nActiveSide == 1 ? paths.m_strPath1 : paths.m_strPath2;
  // 1. The archive: the entry itself (its plain name), or under the RTZX
  // edit the side's file as ".zip".
  CString archive;
  if (m_bForceZip) {
    archive = doc->TranslateEncryptedFileName(sidePath, 0);
    const int dot = archive.ReverseFind('.');
    const int slash = archive.ReverseFind('\\');
    if (dot > slash) archive = archive.Left(dot);
    archive += ".zip";
  } else {
    archive = doc->TranslateEncryptedFileName(EntryPath(index), 0);
  }
  // 2.
  if (doc->SystemFields().m_bFtpConnected && m_bFtpList) {
    AfxMessageBox(IDS_FTP_NO_EXTRACT);
    return;
  }
  // The side's path moves to what was extracted: the shown text goes with
  // it, so the edits of the shown text are asked about first.
  if (!ConfirmReplaceDocument()) return;
  // 3.
  app::DocWindowFields& win = doc->WindowFields();
  if (win.m_nLayoutMode == 2 || win.m_nLayoutMode == 12) {
    ++win.m_nLayoutMode;
    if (app::g_pFrameHost) app::g_pFrameHost->OnListDisplay();
    ShowEntry(index, 0, 0);
  }
  // 4-5. The folder beside the archive (the archive keeps its name).
  CString folder = doc->SettingsFields().m_bArcTmpRoot ? CString("C:\\ARCHTMP\\")
                                                        : CString(flist::ArchiveFolderFor(archive.GetString()).c_str());
  if (marked && !m_bForceZip && !doc->ListFields().m_strExtractTarget.IsEmpty())
    folder = doc->ListFields().m_strExtractTarget;
  // 6.
  HCURSOR oldCursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  CString shown = folder;
  int result = -1;
  if (lzh) {
    // 7. The folder to show is the current directory afterwards, read whole.
    result = doc->ArchiveLzh(archive, folder, 0);
    if (result >= 0) {
      const DWORD need = ::GetCurrentDirectoryW(0, nullptr);
      std::vector<wchar_t> cur(need + 1, 0);
      if (need && ::GetCurrentDirectoryW(need + 1, cur.data())) {
        std::u16string w(reinterpret_cast<const char16_t*>(cur.data()));
        shown = CString(fw::Utf16ToCp932(w).c_str());
        if (shown.IsEmpty() || shown[shown.GetLength() - 1] != '\\') shown += "\\";
      }
    }
  } else {
    // 8. One member beside the archive, or the whole archive into the folder.
    unsigned char head[flist::kZipHeadBytes] = {};
    std::size_t headLen = 0;
    ULONGLONG archiveLen = 0;
    bool opened = false;
    try {
      CFile f(archive, CFile::modeRead | CFile::shareDenyWrite);
      archiveLen = f.GetLength();
      headLen = f.Read(head, sizeof head);
      opened = true;
    } catch (const CFileException&) {
    }
    flist::ZipHeadPlan plan;
    std::string memberName;
    if (opened) {
      plan = flist::PlanZipHead(head, headLen, archiveLen);
      if (plan.single)
        memberName = flist::SingleMemberFileName(plan.rawName, plan.utf8Name, doc->SettingsFields().m_bUtf8Names != 0);
    }
    if (!opened) {
      result = -1;
    } else if (plan.single && !memberName.empty()) {
      const int slash = archive.ReverseFind('\\');
      CString target = (slash >= 0 ? archive.Left(slash + 1) : CString()) + memberName.c_str();
      if (ChooseMemberTarget(&target) < 0) {
        ::SetCursor(oldCursor);
        return;
      }
      result = ExtractSingleMember(archive, plan, target);
      shown = target;
    } else {
      result = doc->UnzipArchive(3, archive, folder, 0, 0, nullptr);
      if (result == -9) AfxMessageBox(LoadText(IDS_OUT_OF_MEMORY) + " 071");
    }
  }
  // 10.
  ::SetCursor(oldCursor);
  if (result < 0) return;
  sidePath = shown;
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kAfterMouse;
  ClearMarks(0);
  m_state.m_nCurEntry = 0;
  m_nListSource = 0;
  if (doc->AsDocument()) doc->AsDocument()->UpdateAllViews(nullptr);
}
