#include "app/fileops_doc_host.h"

#include <cstdio>
#include <ctime>

#include "app/dvkdoc.h"
#include "fw/datetime.h"
#include "fw/msgbox.h"
#include "host/frame_host.h"
#include "res/resource.h"

namespace app {

// The texts the primitives name are the string table's.
static_assert(static_cast<unsigned>(fileops::Text::kFolderOpenFailed) == IDS_FOLDER_OPEN_FAILED);
static_assert(static_cast<unsigned>(fileops::Text::kDeleteOne) == IDS_DELETE_ONE_QUERY);
static_assert(static_cast<unsigned>(fileops::Text::kCannotDelete) == IDS_CANNOT_DELETE);
static_assert(static_cast<unsigned>(fileops::Text::kDeleteFolderQuery) == IDS_DELETE_FOLDER_QUERY);
static_assert(static_cast<unsigned>(fileops::Text::kDeleteAllFilesQuery) == IDS_DELETE_ALL_FILES_QUERY);
static_assert(static_cast<unsigned>(fileops::Text::kDeleteWithoutBackup) == IDS_DELETE_WITHOUT_BACKUP);
static_assert(fileops::kAnswerOk == IDOK && fileops::kAnswerCancel == IDCANCEL && fileops::kAnswerYes == IDYES &&
              fileops::kAnswerNo == IDNO);

static_assert(static_cast<unsigned>(fileops::Text::kEmptyFtpFolder) == IDS_EMPTY_FOLDER);

// --- the FTP site --------------------------------------------------------------

bool DocFtpSite::Connected() {
  return m_doc.m_bFtpConnected == 1 && m_doc.FtpConnection() && m_doc.FtpConnection()->IsOpen();
}

int DocFtpSite::Connect(const CString& path) { return m_doc.GetFtpDriveNo2(path); }

void DocFtpSite::Close() { m_doc.CloseInternetSession(); }

int DocFtpSite::DriveNo(const CString& path) { return m_doc.GetFtpDriveNo(path); }

CString DocFtpSite::Map(const CString& path, int mode, bool* refused) {
  const CString text = m_doc.MapFtpDrivePath(path, mode);
  *refused = m_doc.m_bFtpCwdRefused != 0;
  return text;
}

bool DocFtpSite::List(const std::function<bool(const fileops::FolderEntry&)>& each) {
  if (!m_doc.FtpConnection()) return false;
  CFtpFileFind& find = m_doc.FtpFileFind();
  if (!find.FindFile(nullptr, INTERNET_FLAG_RELOAD)) return false;
  fileops::FolderEntry e;
  for (BOOL more = TRUE; more;) {
    more = find.FindNextFile();
    e.name = find.GetFileName().Str();
    const bool folder = find.IsDirectory() != FALSE;
    e.attributes = folder ? fileops::kAttrFolder : fileops::kAttrArchive;
    e.size = folder ? 0 : find.GetLength();
    CTime t;
    e.mtime = find.GetLastWriteTime(t) ? t.GetTime() : 0;
    if (!each(e)) break;
  }
  // The search ends before anything else uses the connection.
  find.Close();
  return true;
}

bool DocFtpSite::Note(bool ok) {
  m_lastError = 0;
  if (!ok) m_lastError = m_doc.FtpConnection() ? m_doc.FtpConnection()->GetLastErrorCode() : ERROR_INTERNET_DISCONNECTED;
  return ok;
}

bool DocFtpSite::Lookup(const CString& name, fileops::FolderEntry* entry) {
  if (!m_doc.FtpConnection()) return Note(false);
  CFtpFileFind find(m_doc.FtpConnection());
  if (!find.FindFile(name, INTERNET_FLAG_RELOAD)) return Note(false);
  // A name holding "*" or "?" lists as a pattern: only the name itself counts.
  bool found = false;
  for (BOOL more = TRUE; more && !found;) {
    more = find.FindNextFile();
    if (find.GetFileName().Str() != name.Str()) continue;
    found = true;
    entry->name = name.Str();
    const bool folder = find.IsDirectory() != FALSE;
    entry->attributes = folder ? fileops::kAttrFolder : fileops::kAttrArchive;
    entry->size = folder ? 0 : find.GetLength();
    CTime t;
    entry->mtime = find.GetLastWriteTime(t) ? t.GetTime() : 0;
  }
  find.Close();
  m_lastError = 0;
  return found;
}

bool DocFtpSite::ReadServerFile(const CString& name,
                                const std::function<bool(const char* data, std::uint32_t count)>& sink) {
  if (!m_doc.FtpConnection()) return Note(false);
  std::unique_ptr<CInternetFile> file = m_doc.FtpConnection()->OpenFile(name);
  if (!file) return Note(false);
  char chunk[8192];
  bool ok = true;
  for (;;) {
    UINT got = 0;
    if (!file->Read(chunk, sizeof chunk, &got)) {
      m_lastError = file->GetLastErrorCode();
      ok = false;
      break;
    }
    if (got == 0) break;
    if (!sink(chunk, got)) {
      ok = false;
      break;
    }
  }
  file->Close();
  if (ok) m_lastError = 0;
  return ok;
}

bool DocFtpSite::WriteServerFile(const CString& name,
                                 const std::function<int(char* buffer, std::uint32_t capacity)>& source) {
  if (!m_doc.FtpConnection()) return Note(false);
  std::unique_ptr<CInternetFile> file =
      m_doc.FtpConnection()->OpenFile(name, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY);
  if (!file) return Note(false);
  char chunk[8192];
  bool ok = true;
  for (;;) {
    const int n = source(chunk, sizeof chunk);
    if (n == 0) break;
    // A stop or a local read error: closing the data connection now breaks
    // the transfer off; the caller removes what the server got.
    if (n < 0 || n > static_cast<int>(sizeof chunk)) {
      ok = false;
      break;
    }
    if (!file->Write(chunk, static_cast<UINT>(n))) {
      m_lastError = file->GetLastErrorCode();
      ok = false;
      break;
    }
  }
  file->Close();
  if (ok) m_lastError = 0;
  return ok;
}

CString DocFtpSite::ScratchCopy(const CString& path) { return m_doc.WriteTempFile(path); }

bool DocFtpSite::SetServerFileTime(const CString& name, std::int64_t seconds) {
  if (!m_doc.FtpConnection() || seconds <= 0) return false;
  const std::tm f = fw::UtcFields(seconds);
  char command[400];
  std::snprintf(command, sizeof command, "MFMT %04d%02d%02d%02d%02d%02d %s", f.tm_year + 1900, f.tm_mon + 1, f.tm_mday,
                f.tm_hour, f.tm_min, f.tm_sec, name.GetString());
  return Note(m_doc.FtpConnection()->Command(command) != FALSE);
}

bool DocFtpSite::RemoveServerFolder(const CString& serverPath) {
  return m_doc.FtpConnection() && m_doc.FtpConnection()->RemoveDirectory(serverPath);
}

bool DocFtpSite::RemoveServerFile(const CString& name) { return m_doc.FtpConnection() && m_doc.FtpConnection()->Remove(name); }

bool DocFtpSite::MakeServerFolder(const CString& name) {
  return m_doc.FtpConnection() && m_doc.FtpConnection()->CreateDirectory(name);
}

bool DocFtpSite::RenameOnServer(const CString& from, const CString& to) {
  return Note(m_doc.FtpConnection() && m_doc.FtpConnection()->Rename(from, to));
}

bool DocFtpSite::PutServerFile(const CString& local, const CString& name) {
  return Note(m_doc.FtpConnection() && m_doc.FtpConnection()->PutFile(local, name, FTP_TRANSFER_TYPE_BINARY));
}

bool DocFtpSite::SetServerFolder(const CString& serverPath) {
  return m_doc.FtpConnection() && m_doc.FtpConnection()->SetCurrentDirectory(serverPath);
}

// --- the host ------------------------------------------------------------------

DocFileOpsHost::DocFileOpsHost(CDvkDoc& doc) : m_doc(doc) { fileops::g_pDocFileOps = this; }

DocFileOpsHost::~DocFileOpsHost() {
  if (fileops::g_pDocFileOps == this) fileops::g_pDocFileOps = nullptr;
}

std::int32_t& DocFileOpsHost::TreeDepth() { return m_doc.m_nTreeDepth; }
std::int32_t& DocFileOpsHost::TreeFiles() { return m_doc.m_nTreeFiles; }
std::uint64_t& DocFileOpsHost::TreeBytes() { return m_doc.m_nTreeBytes; }

bool DocFileOpsHost::EscapeConfirmed() { return g_pFrameHost && g_pFrameHost->CheckEscapeAbort() != 0; }

void DocFileOpsHost::SetTitle(fileops::Text text) {
  CString title;
  title.LoadString(static_cast<unsigned>(text));
  if (g_pFrameHost && g_pFrameHost->FrameWnd() && g_pFrameHost->FrameWnd()->m_hWnd)
    g_pFrameHost->FrameWnd()->SetWindowText(title);
}

int DocFileOpsHost::Ask(fileops::Text text, const CString& path, fileops::Buttons buttons) {
  CString format;
  format.LoadString(static_cast<unsigned>(text));
  CString message;
  message.Format(format.GetString(), path.GetString());
  unsigned type = MB_OK;
  switch (buttons) {
    case fileops::Buttons::kOk: type = MB_OK; break;
    case fileops::Buttons::kOkCancel: type = MB_OKCANCEL; break;
    case fileops::Buttons::kYesNoCancel: type = MB_YESNOCANCEL; break;
    case fileops::Buttons::kYesNoDefaultNo: type = MB_YESNO | MB_DEFBUTTON2; break;
  }
  return AfxMessageBox(message, type);
}

CString DocFileOpsHost::KeyCode() { return m_doc.m_strEncryptKeyCode; }

CString DocFileOpsHost::StoredName(const CString& path) { return m_doc.TranslateEncryptedFileName(path, 0); }

CString DocFileOpsHost::ProgramDir() { return m_doc.m_strProgramDir; }

}  // namespace app
