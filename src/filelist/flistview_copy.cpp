// The file list's copy and move commands: the marked entries of the active
// pane into the folder of the other pane, with their questions, and the
// walk of a folder tree. The placing of one file and the conflict questions
// are in flistview_copyfile.cpp.
#include <windows.h>

#include <string>
#include <vector>

#include "core/fileops/filecopy.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistview.h"
#include "fw/filefind.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

// Timer 10 (flistview_timer.cpp) and its delay after a tree copy handed to
// the system's copier.
constexpr UINT_PTR kTimerTreeCopy = 10;
constexpr UINT kTreeCopyDelayMs = 700;
// The entry value that marks a folder.
constexpr std::uint32_t kFolderMarker = 0xFFFFFFFEu;

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

CString Formatted(unsigned id, const CString& a) {
  CString s;
  s.Format(LoadText(id).GetString(), a.GetString());
  return s;
}

// The line the copy questions get in a copy keeping folder dates.
const char kCtrlLine[] = "\r\n (+CTRL : hold date/time of folders)";
const char kMovedDirect[] = "[moved] : ";
const char kMovedByCopy[] = "<moved> : ";

// The wait cursor for a scope.
struct WaitCursor {
  HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
  ~WaitCursor() { ::SetCursor(old); }
};

// A folder of less than 3 characters (a drive) is entered with its "\".
std::string EnterForm(const CString& folder) {
  std::string s = folder.Str();
  if (s.size() < 3) s += "\\";
  return s;
}

}  // namespace

int CFlistView::CopyMessage(const CString& text, const CString& title, UINT type) {
  return fw::ShowMessageBox(m_hWnd, text, title, type);
}

CString CFlistView::CopySourceFolder() const {
  const app::DocHost* doc = GetDocument();
  if (!doc) return CString();
  const app::DocPathFields& p = doc->PathFields();
  return p.m_nActiveSide == 1 ? p.m_strListDir1 : p.m_nActiveSide == 2 ? p.m_strListDir2 : CString();
}

CString CFlistView::CopyTargetFolder() const {
  const app::DocHost* doc = GetDocument();
  if (!doc) return CString();
  const app::DocPathFields& p = doc->PathFields();
  return p.m_nActiveSide == 1 ? p.m_strListDir2 : p.m_nActiveSide == 2 ? p.m_strListDir1 : CString();
}

CString CFlistView::CopySourcePath(int index, const CString& folder) const {
  CString base = folder;
  if (m_nListFlag == 1) {
    const std::string sub = flist::GetNameRecord(m_table.m_pTextRecs2, index);
    if (!sub.empty()) base = fileops::JoinEntryPath(folder, sub);
  }
  return fileops::JoinEntryPath(base, flist::GetNameRecord(m_table.m_pNameRecs, index));
}

CString CFlistView::CopyTargetPath(int index, const CString& folder) const {
  return fileops::JoinEntryPath(folder, flist::GetNameRecord(m_table.m_pNameRecs, index));
}

bool CFlistView::IsFolderEntry(int index) const {
  return (m_table.m_pEntryVal1 && m_table.m_pEntryVal1[index] == kFolderMarker) ||
         (m_table.m_pEntryVal2 && (m_table.m_pEntryVal2[index] & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

std::vector<int> CFlistView::MarkedCopyEntries() const {
  std::vector<int> out;
  if (!m_table.m_pMarks || !m_table.m_pNameRecs) return out;
  const int n = m_table.m_nEntryCount < m_table.m_nCapacity ? m_table.m_nEntryCount : m_table.m_nCapacity;
  for (int i = 0; i < n; ++i) {
    if (m_table.m_pMarks[i] != 1) continue;
    if (fileops::IsDotEntry(flist::GetNameRecord(m_table.m_pNameRecs, i))) continue;
    out.push_back(i);
  }
  return out;
}

// --- the copy command -------------------------------------------------------------

void CFlistView::OnCopyMarked() {
  // 1. Guards.
  if (m_state.m_nCurEntry == -1 || m_nListSource == 1 || !m_table.m_pNameRecs) return;
  app::DocHost* doc = GetDocument();
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  if (!doc || !host) return;
  const CString srcFolder = CopySourceFolder();
  const CString dstFolder = CopyTargetFolder();
  if (srcFolder.IsEmpty() || dstFolder.IsEmpty()) return;
  // 2. Ctrl held: folders go to the system's tree copier, keeping dates.
  const int mode = m_bCtrlDown == 1 ? 2 : 0;
  m_bCtrlDown = 0;
  m_strCursorName = flist::GetNameRecord(m_table.m_pNameRecs, m_state.m_nCurEntry).c_str();
  // 3. The source folder becomes current.
  fileops::ChangeDirectory(host->Folders(), EnterForm(srcFolder), static_cast<int>(m_bFtpList), m_nListSource);
  // 4. Title and a fresh state.
  const CString title = LoadText(IDS_COPY_FILE_TITLE);
  m_copy.StartCopy();
  // 5-6. The count and the question for several entries.
  const std::vector<int> marked = MarkedCopyEntries();
  const int count = static_cast<int>(marked.size());
  const app::DocSettingsFields& settings = doc->SettingsFields();
  if (count > 1) {
    CString question;
    question.Format(LoadText(IDS_COPY_MARKED_QUERY).GetString(), count, dstFolder.GetString());
    if (settings.m_bUpdateCopy == 1) {
      question += "\r\n\r\n(" + LoadText(ID_LIST_UPDATE_COPY) + ")";
      m_copy.m_nProtectedSkipped = 0;
    }
    if (mode == 2) question += kCtrlLine;
    if (m_copy.m_bQuietCopy == 0 && CopyMessage(question, title, MB_OKCANCEL) != IDOK) return;
  }
  // 7. The entries in index order.
  for (int i : marked) {
    const CString src = CopySourcePath(i, srcFolder);
    CString dst = CopyTargetPath(i, dstFolder);
    if (count == 1 && m_copy.m_bQuietCopy == 0) {
      CString info;
      info.Format(LoadText(IDS_COPY_ONE_INFO).GetString(), src.GetString(), dst.GetString());
      if (mode == 2) info += kCtrlLine;
      if (CopyMessage(info, title, MB_OKCANCEL) != IDOK) continue;
    }
    if (IsFolderEntry(i)) {
      // A folder never goes into itself or below itself (the walk would
      // read its own output).
      if (fileops::IsSameOrInsideFolder(src, dst)) {
        CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, dst), LoadText(IDS_COPY_FOLDER_TITLE), MB_OK);
        continue;
      }
      if (settings.m_bUtf8Names == 1) dst = Utf8PathToSjis(dst);
      fileops::MakeFolder(*host, dst, 1);
      int r;
      {
        WaitCursor wait;
        r = CopyFolder(src, dst, mode);
      }
      if (r == -1) CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, dst), LoadText(IDS_COPY_FOLDER_TITLE), MB_OK);
    } else {
      // The time the list shows of an entry with an FTP side (minutes).
      m_copy.m_tmFtpEntry = 0;
      if (IsFtpCopyPath(src) || IsFtpCopyPath(dst)) {
        std::int64_t t = 0;
        if (m_table.m_pEntryVal3 && flist::ParseListTimeText(flist::FormatDateText(m_table.m_pEntryVal3[i], 0), &t))
          m_copy.m_tmFtpEntry = t;
      }
      if (settings.m_bUtf8Names == 1) dst = Utf8PathToSjis(dst);
      const std::uint32_t placedBefore = m_nFilesPlaced;
      if (!RefusedTarget(dst) && !SameTarget(src, dst, IDS_COPY_FILE_TITLE) && !CopyOneFile(src, dst, 1) &&
          m_copy.m_bCopyAbort == 0)
        ResolveCopyConflict(src, dst, m_nCopyError, 0, count);
      // The time is written only to a file this copy placed.
      if (m_copy.m_tmFtpEntry != 0 && m_nFilesPlaced != placedBefore) SetPlacedFileTime(dst, m_copy.m_tmFtpEntry);
      m_copy.m_tmFtpEntry = 0;
    }
    if (flist::CopyStopped(m_copy)) break;
  }
  // 8. What an update copy could not write.
  if (count > 0 && settings.m_bUpdateCopy == 1 && m_copy.m_nProtectedSkipped > 0) {
    CString text;
    text.Format(LoadText(IDS_UPDATE_COPY_DONE).GetString(), static_cast<int>(m_copy.m_nProtectedSkipped));
    CopyMessage(text, title, MB_OK);
  }
  // 9. The tree copier still runs: timer 10 shows its work later.
  if (mode == 2) {
    SetTimer(kTimerTreeCopy, kTreeCopyDelayMs);
    return;
  }
  ShowStatus(CString());
  if (m_copy.m_bQuietCopy == 0) ReloadList();
}

// --- the move command -------------------------------------------------------------

void CFlistView::OnMoveMarked() {
  // 1. Guards, folders and title.
  if (m_state.m_nCurEntry == -1 || m_nListSource == 1 || !m_table.m_pNameRecs) return;
  app::DocHost* doc = GetDocument();
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  if (!doc || !host) return;
  m_strCursorName = flist::GetNameRecord(m_table.m_pNameRecs, m_state.m_nCurEntry).c_str();
  const CString srcFolder = CopySourceFolder();
  const CString dstFolder = CopyTargetFolder();
  if (srcFolder.IsEmpty() || dstFolder.IsEmpty()) return;
  const CString title = LoadText(IDS_MOVE_FILE_TITLE);
  // 2. No move with an FTP side.
  if (doc->SystemFields().m_bFtpConnected == 1 &&
      (doc->GetFtpDriveNo(srcFolder) != 0 || doc->GetFtpDriveNo(dstFolder) != 0)) {
    CopyMessage(LoadText(IDS_FTP_NO_MOVE), title, MB_OK);
    return;
  }
  // 3. The source folder current, the count, the stop word cleared (an
  // overwrite-all answer of an earlier copy still holds).
  fileops::ChangeDirectory(host->Folders(), EnterForm(srcFolder), static_cast<int>(m_bFtpList), m_nListSource);
  const std::vector<int> marked = MarkedCopyEntries();
  const int count = static_cast<int>(marked.size());
  m_copy.StartMove();
  // 4. The question for several entries.
  if (count > 1) {
    CString question;
    question.Format(LoadText(IDS_MOVE_MARKED_QUERY).GetString(), count, dstFolder.GetString());
    if (CopyMessage(question, title, MB_OKCANCEL) != IDOK) return;
  }
  // 5. The entries in index order.
  {
    WaitCursor wait;
    for (int i : marked) {
      const std::string name = flist::GetNameRecord(m_table.m_pNameRecs, i);
      CString src = CopySourcePath(i, srcFolder);
      CString dst = CopyTargetPath(i, dstFolder);
      if (count == 1) {
        CString info;
        info.Format(LoadText(IDS_MOVE_ONE_INFO).GetString(), src.GetString(), dst.GetString());
        if (CopyMessage(info, title, MB_OKCANCEL) != IDOK) continue;
      }
      const CString srcStored = doc->TranslateEncryptedFileName(src, 0);
      const CString dstStored = doc->TranslateEncryptedFileName(dst, 0);
      if (!srcStored.IsEmpty()) src = srcStored;
      if (!dstStored.IsEmpty()) dst = dstStored;
      const char* moved = nullptr;
      if (IsFolderEntry(i)) {
        const CString folderTitle = LoadText(IDS_MOVE_FOLDER_TITLE);
        if (fileops::SameFileOrFolder(src, dst) || fileops::IsSameOrInsideFolder(src, dst)) {
          CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, fileops::SameFileOrFolder(src, dst) ? src : dst),
                      folderTitle, MB_OK);
          continue;
        }
        if (::MoveFileA(src, dst)) {
          moved = kMovedDirect;
        } else {
          fileops::MakeFolder(*host, dst, 1);
          const int r = CopyFolder(src, dst, 1);
          if (r == -1) CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, dst), folderTitle, MB_OK);
          else if (m_copy.m_bCopyAbort == 0 && fileops::RemoveFolder(*host, src, static_cast<int>(m_bFtpList)) == 0)
            moved = kMovedByCopy;
        }
      } else {
        const int r = MoveOneFile(src, dst, count);
        if (r == 1) moved = kMovedDirect;
        else if (r == 2) moved = kMovedByCopy;
      }
      if (moved) flist::StoreNameRecord(m_table.m_pNameRecs, i, std::string(moved) + name);
      if (m_copy.m_nCopyStop == flist::kCopyStopAll || m_copy.m_bCopyAbort != 0) break;
    }
  }
  // 6. The lines show what went; the list is not reloaded (this pane is the
  // sender of the update, which the builder of every other view carries out).
  DrawEntryLines(1);
  doc->UpdateFields().m_nUpdateCode = app::UpdateCode::kMoved;
  doc->AsDocument()->UpdateAllViews(this, 0, nullptr);
}

// --- one entry and a folder tree ----------------------------------------------------

bool CFlistView::RefusedTarget(const CString& dst) {
  // A server takes names the system refuses.
  if (IsFtpCopyPath(dst)) return false;
  if (!fileops::IsRefusedName(fileops::GetPathLastName(dst))) return false;
  return ReportRefusedName(dst);
}

bool CFlistView::ReportRefusedName(const CString& dst) {
  CString text = Formatted(IDS_CANNOT_COPY_MOVE_TO, dst);
  CString code;
  code.Format(" (%d)", static_cast<int>(fileops::kErrInvalidName));
  if (CopyMessage(text + code, CString(), MB_OKCANCEL) == IDCANCEL) m_copy.m_nCopyStop = flist::kCopyStopAll;
  return true;
}

bool CFlistView::SameTarget(const CString& src, const CString& dst, unsigned titleId) {
  if (!fileops::SameFileOrFolder(src, dst)) return false;
  CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, dst), LoadText(titleId), MB_OK);
  return true;
}

int CFlistView::MoveOneFile(const CString& src, const CString& dst, int count) {
  if (RefusedTarget(dst) || SameTarget(src, dst, IDS_MOVE_FILE_TITLE)) return 0;
  if (::MoveFileA(src, dst)) return 1;
  std::uint32_t error = ::GetLastError();
  // The move of a name that is taken reports "already exists"; the
  // questions read it as the copy's "file exists".
  if (error == ERROR_ALREADY_EXISTS) error = fileops::kErrFileExists;
  // Another volume: the file is copied, and its source removed only once
  // the copy is complete.
  if (error == ERROR_NOT_SAME_DEVICE) {
    if (CopyOneFile(src, dst, 1)) return RemoveMovedSource(src) ? 2 : 0;
    if (m_copy.m_bCopyAbort != 0) return 0;
    error = m_nCopyError;
  }
  return ResolveCopyConflict(src, dst, error, 1, count) == 1 ? 2 : 0;
}

void CFlistView::CopyOrMoveEntry(const CString& src, const CString& dst, int isMove, int isFolder) {
  // 1. A Cancel stopped the whole command.
  if (m_copy.m_nCopyStop == flist::kCopyStopAll) return;
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  if (!host) return;
  if (isFolder) {
    // 2. A folder: made, then its tree; never into itself.
    const unsigned folderTitle = isMove ? IDS_MOVE_FOLDER_TITLE : IDS_COPY_FOLDER_TITLE;
    if (RefusedTarget(dst)) return;
    if (fileops::IsSameOrInsideFolder(src, dst)) {
      CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, dst), LoadText(folderTitle), MB_OK);
      return;
    }
    fileops::MakeFolder(*host, dst, 1);
    const int r = CopyFolder(src, dst, isMove ? 1 : 0);
    if (r == -1) {
      CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, dst), LoadText(folderTitle), MB_OK);
      return;
    }
    if (isMove && m_copy.m_bCopyAbort == 0 && m_copy.m_nCopyStop != flist::kCopyStopAll)
      fileops::RemoveFolder(*host, src, static_cast<int>(m_bFtpList));
    return;
  }
  if (isMove) {
    // 4. A file moved by the system, else copied and its source removed.
    MoveOneFile(src, dst, 2);
    return;
  }
  // 3. A file copied; a name that is taken goes to the questions.
  if (RefusedTarget(dst) || SameTarget(src, dst, IDS_COPY_FILE_TITLE)) return;
  if (CopyOneFile(src, dst, 1)) return;
  if (m_copy.m_bCopyAbort != 0) return;
  ResolveCopyConflict(src, dst, m_nCopyError, 0, 2);
}

int CFlistView::CopyFolder(const CString& src, const CString& dst, int mode) {
  app::DocHost* doc = GetDocument();
  m_copy.m_bCopyAbort = 0;
  // A folder of the FTP site: its own walk (which never moves in mode 2).
  if (IsFtpCopyPath(src)) return CopyFtpFolder(src, dst, mode);
  // Mode 2: the system's tree copier, hidden and not waited for. It knows
  // nothing of the FTP site: a tree onto the site is walked as a copy.
  if (mode == 2 && IsFtpCopyPath(dst)) mode = 0;
  if (mode == 2) {
    if (doc) doc->ShellOpen("robocopy.exe", fileops::RobocopyParameters(src, dst), CString(), 0, 1);
    ShowStatus(LoadText(IDS_TRANSFERRING) + "  " + src + " --> " + dst);
    return 0;
  }
  // Modes 0 and 1: the entries are read first, then copied or moved (a
  // move takes them out of the folder being read).
  struct Child {
    std::string name;
    DWORD attributes;
  };
  std::vector<Child> children;
  {
    CFileFind ff;
    BOOL more = ff.FindFile(fileops::JoinEntryPath(src, "*.*"));
    if (!more) {
      SetFrameTitle(LoadText(IDS_FOLDER_OPEN_FAILED));
      return -1;
    }
    const int limit = m_table.m_nCapacity > 0 ? m_table.m_nCapacity : 1;
    while (more && static_cast<int>(children.size()) < limit) {
      more = ff.FindNextFile();
      if (ff.IsDots()) continue;
      children.push_back({ff.GetFileName().Str(), ff.GetAttributes()});
    }
  }
  for (const Child& c : children) {
    const CString childSrc = fileops::JoinEntryPath(src, c.name);
    const CString childDst = fileops::JoinEntryPath(dst, c.name);
    const bool folder = (c.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder && (c.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      // A folder link is not followed: it could lead back into the tree.
      if (CopyMessage(Formatted(IDS_CANNOT_COPY_MOVE_TO, childDst), CString(), MB_OKCANCEL) == IDCANCEL)
        m_copy.m_nCopyStop = flist::kCopyStopAll;
    } else {
      CopyOrMoveEntry(childSrc, childDst, mode == 1 ? 1 : 0, folder ? 1 : 0);
    }
    if (m_copy.m_bCopyAbort != 0 || m_copy.m_nCopyStop == flist::kCopyStopAll) break;
  }
  return 0;
}
