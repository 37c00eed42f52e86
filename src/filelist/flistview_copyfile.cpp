// One file of a copy or move: the placing of the file (the copy routine of
// core/fileops with its temporary, progress and Esc polls for network
// destinations), and the questions after a file was not placed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/fileops/filecopy.h"
#include "core/fileops/ftpcopy.h"
#include "core/fileops/fileprims.h"
#include "filelist/flistcore/ftprecord.h"
#include "filelist/flistview.h"
#include "fw/file.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace {

// A copy with an FTP side while the site's connection is gone.
constexpr std::uint32_t kErrFtpClosed = ERROR_NOT_CONNECTED;

CString LoadText(unsigned id) {
  CString s;
  s.LoadString(id);
  return s;
}

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
  // 4. A side on the FTP site.
  const bool srcFtp = IsFtpCopyPath(from), dstFtp = IsFtpCopyPath(to);
  if (srcFtp || dstFtp) return CopyFtpFile(from, to, srcFtp, dstFtp, failIfExists);
  // A name the system refuses (or a device) is never opened.
  if (fileops::IsRefusedName(fileops::GetPathLastName(to))) {
    m_nCopyError = fileops::kErrInvalidName;
    ::SetLastError(m_nCopyError);
    return 0;
  }
  // 5-6. The copy routine; a network destination shows progress and polls Esc.
  const bool network = to.GetLength() >= 2 && to[0] == '\\' && to[1] == '\\';
  fileops::CopyFileOptions options = network ? CopyProgressOptions(src) : fileops::CopyFileOptions();
  options.failIfExists = failIfExists != 0;
  fileops::CopyFileResult r;
  if (network) {
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    r = fileops::PlaceFileCopy(from, to, options);
    ::SetCursor(old);
  } else {
    r = fileops::PlaceFileCopy(from, to, options);
  }
  return CopyOutcome(r);
}

int CFlistView::CopyOutcome(const fileops::CopyFileResult& r) {
  if (r.placed) {
    ++m_nFilesPlaced;
    ShowStatus(CString());
    return 1;
  }
  if (r.stopped) m_copy.m_bCopyAbort = 1;
  m_nCopyError = r.stopped ? fileops::kErrNone : r.error;
  ::SetLastError(m_nCopyError);
  return 0;
}

bool CFlistView::FtpSiteOddFlag(const CString& path) const {
  const app::DocHost* doc = GetDocument();
  const int entry = doc ? doc->GetFtpDriveNo(path) : 0;
  if (entry <= 0) return false;
  const CString text = doc->SystemFields().FtpEntry(entry - 1);
  return text.GetLength() > 3 && ((text.GetAt(3) - '0') & 1) != 0;
}

bool CFlistView::IsFtpCopyPath(const CString& path) const {
  const app::DocHost* doc = GetDocument();
  return doc && doc->SystemFields().m_bFtpConnected == 1 && doc->GetFtpDriveNo(path) != 0;
}

fileops::CopyFileOptions CFlistView::CopyProgressOptions(const CString& src) {
  fileops::CopyFileOptions options;
  const CString last = fileops::GetPathLastName(src);
  options.stop = [this] { return PollCopyAbort(); };
  options.progress = [this, last](std::uint64_t done, std::uint64_t total) {
    CString text;
    text.Format(" %d KB / %d KB  (Push ESC to Stop)   %s", static_cast<int>(done / 1024),
                static_cast<int>(total / 1024), last.GetString());
    ShowStatus(text);
  };
  return options;
}

int CFlistView::CopyFtpFile(const CString& from, const CString& to, bool srcFtp, bool dstFtp, int failIfExists) {
  m_ftpTarget = fileops::FtpTargetInfo();
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  fileops::FtpSite* site = host ? host->Ftp() : nullptr;
  if (!site || !site->Connected()) return CopyOutcome(fileops::CopyFileResult{false, false, kErrFtpClosed});
  fileops::CopyFileResult r;
  if (srcFtp && dstFtp) {
    // Site to site through the scratch file of the program folder.
    r = fileops::CopyFtpToFtp(*site, from, to, host->ProgramDir() + fileops::kFtpTransitScratch, failIfExists != 0,
                              &m_ftpTarget);
  } else if (srcFtp) {
    // A name the server gives that the system refuses is never opened.
    if (fileops::IsRefusedName(fileops::GetPathLastName(to)))
      return CopyOutcome(fileops::CopyFileResult{false, false, fileops::kErrInvalidName});
    fileops::CopyFileOptions options = CopyProgressOptions(from);
    options.failIfExists = failIfExists != 0;
    r = fileops::DownloadFtpFile(*site, from, to, options);
    // A broken transfer with overwrite allowed: once more through the
    // site's own scratch copy. Only a complete copy counts as placed.
    if (!r.placed && !r.stopped && failIfExists == 0 && r.error == fileops::kErrNetBroken) {
      const CString scratch = site->ScratchCopy(from);
      if (!scratch.IsEmpty()) {
        fileops::CopyFileOptions plain;
        r = fileops::PlaceFileCopy(scratch, to, plain);
      }
    }
  } else {
    // The server file gets the local file's time, as the site's list shows
    // it (a site that reports local time as GMT keeps it 9 hours later).
    std::int64_t serverTime = 0;
    CFileStatus st;
    if (CFile::GetStatus(from, st)) {
      serverTime = st.m_mtime.GetTime();
      if (serverTime != 0 && FtpSiteOddFlag(to)) serverTime += flist::kFtpNineHours;
    }
    r = fileops::UploadFtpFile(*site, from, to, failIfExists != 0, &m_ftpTarget, serverTime, CopyProgressOptions(from));
  }
  return CopyOutcome(r);
}

bool CFlistView::RemoveMovedSource(const CString& src) {
  fileops::FileOpsHost* host = fileops::g_pDocFileOps;
  if (host && fileops::RemoveFile(*host, src, static_cast<int>(m_bAskNone), static_cast<int>(m_bFtpList), 0) == 0)
    return true;
  CopyMessage(LoadText(IDS_CANNOT_DELETE_SOURCE), LoadText(IDS_MOVE_FILE_TITLE), MB_OK);
  return false;
}

namespace {

// The pane's side of the conflict plan: its message boxes, the copy over
// the destination and the removal of a moved file's source.
class PaneConflictActions : public flist::ConflictActions {
 public:
  PaneConflictActions(CFlistView& pane, const CString& src, const CString& dst)
      : m_pane(pane), m_src(src), m_dst(dst) {}
  int Ask(const flist::ConflictStep& q) override {
    UINT type = MB_OK;
    if (q.buttons == flist::CopyButtons::kOkCancel) type = MB_OKCANCEL;
    else if (q.buttons == flist::CopyButtons::kYesNoCancel) type = MB_YESNOCANCEL;
    return fw::ShowMessageBox(m_pane.m_hWnd, q.message.c_str(), LoadText(static_cast<unsigned>(q.caption)), type);
  }
  bool Copy(std::uint32_t* error) override {
    if (m_pane.CopyOneFile(m_src, m_dst, 0)) return true;
    *error = m_pane.m_nCopyError;
    return false;
  }
  // The plan shows string 183 itself when this fails.
  bool RemoveSource() override {
    fileops::FileOpsHost* host = fileops::g_pDocFileOps;
    return host && fileops::RemoveFile(*host, m_src, static_cast<int>(m_pane.m_bAskNone),
                                       static_cast<int>(m_pane.m_bFtpList), 0) == 0;
  }

 private:
  CFlistView& m_pane;
  CString m_src, m_dst;
};

}  // namespace

int CFlistView::ResolveCopyConflict(const CString& src, const CString& dst, std::uint32_t error, int isMove,
                                    int count) {
  app::DocHost* doc = GetDocument();
  flist::ConflictInput in;
  in.source = src.Str();
  in.destination = dst.Str();
  in.error = error;
  in.isMove = isMove;
  in.count = count;
  in.sourceOnFtp = doc && doc->GetFtpDriveNo(src) != 0;
  in.updateCopy = doc ? static_cast<int>(doc->SettingsFields().m_bUpdateCopy) : 0;
  CFileStatus status;
  if (!in.sourceOnFtp && CFile::GetStatus(src, status)) {
    in.sourceTimeKnown = true;
    in.sourceTime = status.m_mtime.GetTime();
  }
  if (IsFtpCopyPath(dst)) {
    // The server's time as the lookup before the upload read it.
    if (m_ftpTarget.listed && m_ftpTarget.mtime != 0) {
      in.destinationTimeKnown = true;
      in.destinationTime = m_ftpTarget.mtime;
    }
  } else if (CFile::GetStatus(dst, status)) {
    in.destinationTimeKnown = true;
    in.destinationTime = status.m_mtime.GetTime();
  }
  PaneConflictActions actions(*this, src, dst);
  return flist::ResolveCopyConflict(
      in, m_copy, [](flist::CopyText id) { return LoadText(static_cast<unsigned>(id)).Str(); }, actions);
}
