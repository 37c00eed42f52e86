// One file of a copy or move: the placing of the file (the copy routine of
// core/fileops with its temporary, progress and Esc polls for network
// destinations), and the questions after a file was not placed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/fileops/filecopy.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistview.h"
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

CString Formatted(unsigned id, const CString& a) {
  CString s;
  s.Format(LoadText(id).GetString(), a.GetString());
  return s;
}

// The older-file question's time form, and its text for a time that could
// not be read.
const char kQuestionTime[] = "\n %m/%d '%y %H:%M\n\n";
const char kTimeUnknown[] = "\n 日時不明\n\n";
// Times that differ by less than this count as not newer.
constexpr std::int64_t kNewerSlackSeconds = 3;

bool IsConflict(std::uint32_t e) { return e == fileops::kErrFileExists || e == fileops::kErrAccessDenied; }

bool GoesOn(std::int32_t stop) { return stop == flist::kCopyGoOn || stop == flist::kCopyNewerOnly; }

}  // namespace

bool CFlistView::PollCopyAbort() {
  bool stop = app::g_pFrameHost && app::g_pFrameHost->CheckEscapeAbort() != 0;
  if (!stop) {
    MSG m;
    if (::PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && m.wParam == VK_ESCAPE)
      stop = CopyMessage(LoadText(IDS_ABORT_QUERY), CString(), MB_YESNO) == IDYES;
  }
  if (stop) m_copy.m_bCopyAbort = 1;
  return stop;
}

int CFlistView::CopyOneFile(const CString& src, const CString& dst, int failIfExists) {
  m_nCopyError = fileops::kErrNone;
  // 1. Esc before anything is copied: nothing is placed.
  if (PollCopyAbort()) return 0;
  app::DocHost* doc = GetDocument();
  // 2. The stored forms of enciphered names.
  CString from = src, to = dst;
  if (doc) {
    const CString a = doc->TranslateEncryptedFileName(src, 0);
    const CString b = doc->TranslateEncryptedFileName(dst, 0);
    if (!a.IsEmpty()) from = a;
    if (!b.IsEmpty()) to = b;
  }
  // 3. What goes where.
  ShowStatus(LoadText(IDS_TRANSFERRING) + "  " + src + " --> " + dst);
  // 4. An FTP side is not copied here.
  if (doc && doc->SystemFields().m_bFtpConnected == 1 &&
      (doc->GetFtpDriveNo(from) != 0 || doc->GetFtpDriveNo(to) != 0)) {
    m_nCopyError = ERROR_NOT_SUPPORTED;
    ::SetLastError(m_nCopyError);
    return 0;
  }
  // A name the system refuses (or a device) is never opened.
  if (fileops::IsRefusedName(fileops::GetPathLastName(to))) {
    m_nCopyError = fileops::kErrInvalidName;
    ::SetLastError(m_nCopyError);
    return 0;
  }
  // 5-6. The copy routine; a network destination shows progress and polls Esc.
  fileops::CopyFileOptions options;
  options.failIfExists = failIfExists != 0;
  const bool network = to.GetLength() >= 2 && to[0] == '\\' && to[1] == '\\';
  fileops::CopyFileResult r;
  if (network) {
    const CString last = fileops::GetPathLastName(src);
    options.stop = [this] { return PollCopyAbort(); };
    options.progress = [this, last](std::uint64_t done, std::uint64_t total) {
      CString text;
      text.Format(" %d KB / %d KB  (Push ESC to Stop)   %s", static_cast<int>(done / 1024),
                  static_cast<int>(total / 1024), last.GetString());
      ShowStatus(text);
    };
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    r = fileops::PlaceFileCopy(from, to, options);
    ::SetCursor(old);
  } else {
    r = fileops::PlaceFileCopy(from, to, options);
  }
  if (r.placed) {
    ShowStatus(CString());
    return 1;
  }
  if (r.stopped) m_copy.m_bCopyAbort = 1;
  m_nCopyError = r.error;
  ::SetLastError(m_nCopyError);
  return 0;
}

bool CFlistView::RemoveMovedSource(const CString& src) {
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  if (host && fileops::RemoveFile(*host, src, static_cast<int>(m_bAskNone), static_cast<int>(m_bFtpList), 0) == 0)
    return true;
  CopyMessage(LoadText(IDS_CANNOT_DELETE_SOURCE), LoadText(IDS_MOVE_FILE_TITLE), MB_OK);
  return false;
}

int CFlistView::ResolveCopyConflict(const CString& src, const CString& dst, std::uint32_t error, int isMove,
                                    int count) {
  app::DocHost* doc = GetDocument();
  flist::CopyState& st = m_copy;
  // 1. Only an FTP source has an entry time.
  if (!doc || doc->GetFtpDriveNo(src) == 0) st.m_tmFtpEntry = CTime(0);
  // 2. The time flag: 1 the source is newer (or less than 3 seconds
  // older), 2 the same second, 0 older or unreadable.
  int flag = 0;
  CFileStatus srcStatus, dstStatus;
  const bool haveSrc = CFile::GetStatus(src, srcStatus) != FALSE;
  const bool haveDst = CFile::GetStatus(dst, dstStatus) != FALSE;
  const std::int64_t ftpTime = st.m_tmFtpEntry.GetTime();
  const bool srcTimeKnown = haveSrc || ftpTime != 0;
  const std::int64_t srcTime = ftpTime != 0 ? ftpTime : srcStatus.m_mtime.GetTime();
  if (srcTimeKnown && haveDst) {
    const std::int64_t dstTime = dstStatus.m_mtime.GetTime();
    if (srcTime + kNewerSlackSeconds > dstTime) flag = 1;
    if (srcTime == dstTime) flag = 2;
  }
  // 3. Quiet update mode: a newer source is copied, anything else left.
  const CString title = LoadText(isMove ? IDS_MOVE_FILE_TITLE : IDS_COPY_FILE_TITLE);
  const bool quiet = !isMove && doc && doc->SettingsFields().m_bUpdateCopy == 1;
  const CString cannot = Formatted(IDS_CANNOT_COPY_MOVE_TO, dst);
  auto report = [&](const CString& text) {
    if (CopyMessage(text, title, MB_OKCANCEL) == IDCANCEL) st.m_nCopyStop = flist::kCopyStopped;
  };
  if (quiet && IsConflict(error)) {
    if (flag != 1) return 0;
  } else {
    // 4. The overwrite-all question, once per command.
    if (st.m_nOverwriteAll == flist::kOverwriteNotAsked && count > 1 && IsConflict(error)) {
      switch (CopyMessage(LoadText(IDS_OVERWRITE_ALL_QUERY), title, MB_YESNOCANCEL)) {
        case IDYES:
          st.m_nOverwriteAll = flist::kOverwriteAll;
          break;
        case IDNO:
          st.m_nOverwriteAll = flist::kOverwriteAskEach;
          break;
        default:
          st.m_nCopyStop = flist::kCopyStopped;
          break;
      }
    }
    // 5. The question for this file, or the report of a failure.
    if (st.m_nOverwriteAll != flist::kOverwriteAll) {
      if (GoesOn(st.m_nCopyStop) && IsConflict(error)) {
        const int a = CopyMessage(Formatted(IDS_REWRITE_QUERY, dst), title, MB_YESNOCANCEL);
        if (a == IDNO) return 0;
        if (a != IDYES) {
          st.m_nCopyStop = flist::kCopyStopped;
          return 0;
        }
      } else {
        if (st.m_nCopyStop != flist::kCopyStopped) report(cannot);
        return 0;
      }
    } else if (!(GoesOn(st.m_nCopyStop) && error == fileops::kErrFileExists)) {
      if (st.m_nCopyStop != flist::kCopyStopped) report(cannot);
      return 0;
    }
  }
  // 6. The older-file question.
  if (GoesOn(st.m_nCopyStop) && flag == 0) {
    CString text = dst;
    text += haveDst ? dstStatus.m_mtime.Format(kQuestionTime) : CString(kTimeUnknown);
    text += src;
    text += srcTimeKnown ? CTime(srcTime).Format(kQuestionTime) : CString(kTimeUnknown);
    text += LoadText(IDS_REPLACE_WITH_OLDER);
    const int a = CopyMessage(text, title, MB_YESNOCANCEL);
    if (a == IDNO) {
      st.m_nCopyStop = flist::kCopyNewerOnly;
      return 0;
    }
    if (a != IDYES) {
      st.m_nCopyStop = flist::kCopyStopped;
      return 0;
    }
  }
  // 7. The copy over the destination.
  if (!(st.m_nCopyStop == flist::kCopyGoOn || (st.m_nCopyStop == flist::kCopyNewerOnly && flag == 1))) return 0;
  bool placed = CopyOneFile(src, dst, 0) != 0;
  if (!placed && st.m_bCopyAbort != 0) return 0;
  if (!placed) {
    std::uint32_t e = m_nCopyError;
    CString text;
    if (e == fileops::kErrDiskFull) {
      text = LoadText(IDS_COPY_SPACE_OVER);
    } else if (e == fileops::kErrAccessDenied) {
      text = Formatted(IDS_WRITE_PROTECTED, dst);
    } else {
      placed = CopyOneFile(src, dst, 0) != 0;
      if (!placed) {
        if (st.m_bCopyAbort != 0) return 0;
        e = m_nCopyError;
        if (e == fileops::kErrNone) return 0;
        CString code;
        code.Format(" (%d)", static_cast<int>(e));
        text = cannot + code;
      }
    }
    if (!placed) {
      if (quiet) ++st.m_nProtectedSkipped;
      else report(text);
      return 0;
    }
  }
  // A moved file's source goes only after its copy is complete.
  if (isMove) return RemoveMovedSource(src) ? 1 : 0;
  return 2;
}
