// FTP sites of the document: the connection of a pseudo-drive's entry, the
// mapping of its paths to server paths, and the scratch copy of a server
// file. The decisions are those of core/docsvc/ftppath.h; here they act on
// the framework's internet classes.
#include <windows.h>

#include "core/docsvc/ftppath.h"
#include "app/dvkdoc.h"
#include "app/mainfrm.h"
#include "fw/fwtext.h"
#include "host/frame_host.h"
#include "res/resource.h"

void (*CDvkDoc::s_pfnTransferPiece)() = nullptr;

namespace {

constexpr UINT kPieceBytes = 4096;

bool IsLoginRefusal(DWORD error) {
  return error == ERROR_INTERNET_LOGIN_FAILURE || error == ERROR_INTERNET_INCORRECT_PASSWORD ||
         error == ERROR_INTERNET_INCORRECT_USER_NAME;
}

// Removes a scratch file (read-only or not); true when none stands there.
bool RemoveScratchFile(const CString& path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path);
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}

// Status pane 0 shows a text while it lives, then what it showed before.
class StatusText {
 public:
  explicit StatusText(UINT id) {
    if (!g_pStatusBar || !g_pStatusBar->m_hWnd) return;
    m_saved = g_pStatusBar->GetPaneText(0);
    g_pStatusBar->SetPaneText(0, fw::LoadText(id));
    m_shown = true;
  }
  ~StatusText() {
    if (m_shown && g_pStatusBar && g_pStatusBar->m_hWnd) g_pStatusBar->SetPaneText(0, m_saved);
  }
  StatusText(const StatusText&) = delete;
  StatusText& operator=(const StatusText&) = delete;

 private:
  CString m_saved;
  bool m_shown = false;
};

}  // namespace

ULONGLONG CDvkDoc::ListedLength(CFtpConnection& ftp, const CString& name) {
  CFtpFileFind find(&ftp);
  if (!find.FindFile(name)) return kNoLength;
  find.FindNextFile();
  // A name holding "*" or "?" lists as a pattern: only the file itself counts.
  const std::string& n = name.Str();
  const std::size_t slash = n.rfind('/');
  const bool same = find.GetFileName().Str() == (slash == std::string::npos ? n : n.substr(slash + 1));
  const ULONGLONG length = !same || find.IsDirectory() ? kNoLength : find.GetLength();
  find.Close();
  return length;
}

bool CDvkDoc::SaveInternetFile(CInternetFile& file, const CString& local, ULONGLONG expected) {
  HANDLE out = CreateFileA(local, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  char buf[kPieceBytes];
  bool ok = true;
  ULONGLONG total = 0;
  for (;;) {
    UINT got = 0;
    // A failed read is no end of the file: the copy is incomplete.
    if (!file.Read(buf, kPieceBytes, &got)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    DWORD written = 0;
    if (!WriteFile(out, buf, got, &written, nullptr) || written != got) {
      ok = false;
      break;
    }
    total += got;
    if (s_pfnTransferPiece) s_pfnTransferPiece();
  }
  if (expected != kNoLength && total < expected) ok = false;
  if (!CloseHandle(out)) ok = false;
  if (!ok) RemoveScratchFile(local);
  return ok;
}

int CDvkDoc::OpenInternetSession(CString host, CString user, CString password, BOOL passive) {
  CloseInternetSession();
  CString name;
  int port = docsvc::kFtpDefaultPort;
  if (!docsvc::SplitFtpAddress(host, &name, &port)) return -1;
  m_pInetSession = std::make_unique<CInternetSession>();
  if (!m_pInetSession->IsOpen()) {
    CloseInternetSession();
    return -1;
  }
  m_pFtpConnection =
      m_pInetSession->GetFtpConnection(name, user.IsEmpty() ? nullptr : user.GetString(),
                                       user.IsEmpty() ? nullptr : password.GetString(),
                                       static_cast<INTERNET_PORT>(port), passive);
  if (!m_pFtpConnection) {
    const DWORD error = m_pInetSession->GetLastErrorCode();
    CloseInternetSession();
    return IsLoginRefusal(error) ? -2 : -1;
  }
  m_bFtpConnected = 1;
  return 0;
}

void CDvkDoc::CloseInternetSession() {
  if (m_pFtpFind) m_pFtpFind->Close();
  m_pFtpFind.reset();
  m_pFtpConnection.reset();
  if (m_pInetSession) m_pInetSession->Close();
  m_pInetSession.reset();
  m_nFtpEntryServed = 0;
  m_strFtpEntryServed.Empty();
  m_bFtpConnected = 0;
}

CFtpFileFind& CDvkDoc::FtpFileFind() {
  if (!m_pFtpFind) m_pFtpFind = std::make_unique<CFtpFileFind>(m_pFtpConnection.get());
  return *m_pFtpFind;
}

int CDvkDoc::GetFtpDriveNo2(CString path) {
  const bool live = m_bFtpConnected == 1 && m_pFtpConnection && m_pFtpConnection->IsOpen();
  const docsvc::FtpConnectPlan plan = docsvc::PlanFtpConnect(
      &FtpEntry(0), path, live ? m_nFtpEntryServed : 0, live ? m_strFtpEntryServed : CString());
  if (plan.result <= 0) return plan.result;
  const int r = OpenInternetSession(plan.host, plan.user, plan.password, plan.passive ? TRUE : FALSE);
  if (r == 0) {
    m_nFtpEntryServed = plan.entry;
    m_strFtpEntryServed = FtpEntry(plan.entry - 1);
  }
  return r;
}

CString CDvkDoc::MapFtpDrivePath(CString path, int mode) {
  class Port : public docsvc::FtpFolderPort {
   public:
    explicit Port(CDvkDoc& doc) : m_doc(doc) {}
    bool UseEntry(int entry) override { return m_doc.GetFtpDriveNo2(m_doc.FtpEntry(entry - 1).Left(2)) == 0; }
    bool SetCurrentFolder(const CString& serverPath) override {
      return m_doc.m_pFtpConnection && m_doc.m_pFtpConnection->SetCurrentDirectory(serverPath);
    }

   private:
    CDvkDoc& m_doc;
  } port(*this);
  const docsvc::FtpMapResult r = docsvc::MapFtpDrivePath(&FtpEntry(0), path, mode, port);
  m_bFtpCwdRefused = r.refused ? 1 : 0;
  return r.text;
}

CString CDvkDoc::WriteTempFile(CString ftpPath) {
  const CString scratch = docsvc::FtpScratchName(ftpPath);
  if (scratch.IsEmpty()) return CString();
  if (GetFtpDriveNo2(ftpPath) != 0) return CString();
  const CString name = MapFtpDrivePath(ftpPath, 2);
  if (name.IsEmpty() || !m_pFtpConnection) return CString();
  const CString local = ScratchFolder(0) + scratch;
  if (!RemoveScratchFile(local)) return CString();
  StatusText status(IDS_FTP_TRANSFERRING);
  const ULONGLONG expected = ListedLength(*m_pFtpConnection, name);
  std::unique_ptr<CInternetFile> file = m_pFtpConnection->OpenFile(name);
  if (!file) return CString();
  const bool ok = SaveInternetFile(*file, local, expected);
  file->Close();
  return ok ? local : CString();
}

CString CDvkDoc::FetchFtpFile(const CString& host, int port, const CString& user, const CString& password,
                              const CString& path) {
  const CString scratch = docsvc::FtpScratchName(path);
  if (scratch.IsEmpty()) return CString();
  const CString local = ScratchFolder(0) + scratch;
  if (!RemoveScratchFile(local)) return CString();
  CInternetSession session;
  std::unique_ptr<CFtpConnection> ftp =
      session.GetFtpConnection(host, user.IsEmpty() ? nullptr : user.GetString(),
                               user.IsEmpty() ? nullptr : password.GetString(), static_cast<INTERNET_PORT>(port), TRUE);
  if (!ftp) return CString();
  StatusText status(IDS_FTP_TRANSFERRING);
  const ULONGLONG expected = ListedLength(*ftp, path);
  std::unique_ptr<CInternetFile> file = ftp->OpenFile(path);
  if (!file) return CString();
  return SaveInternetFile(*file, local, expected) ? local : CString();
}

bool CDvkDoc::RemovePage() { return RemoveScratchFile(ScratchFolder(0) + "Dorviktmp.htm"); }

int CDvkDoc::FetchPage(bool secure, const CString& host, const CString& path) {
  // A page that cannot be fetched must not leave the last one standing.
  if (!RemovePage()) return 1;
  CInternetSession session;
  if (!session.IsOpen()) return 2;
  const CString url = CString(secure ? "https://" : "http://") + host + path;
  std::unique_ptr<CInternetFile> file = session.OpenURL(url);
  if (!file) return 3;
  DWORD status = 0;
  if (!file->QueryInfoStatusCode(status) || status >= 400) return 4;
  ULONGLONG expected = kNoLength;
  if (!file->QueryInfoContentLength(expected)) expected = kNoLength;
  StatusText text(IDS_FTP_TRANSFERRING);
  return SaveInternetFile(*file, ScratchFolder(0) + "Dorviktmp.htm", expected) ? 0 : 5;
}

int CDvkDoc::DownloadHttp(CString host, CString path, CString text1, CString text2, int kind) {
  // Every caller passes two empty texts; the kind changes nothing.
  (void)text1;
  (void)text2;
  (void)kind;
  return FetchPage(false, host, path);
}
