#include "fw/inet.h"

#include <algorithm>

#include "fw/filetime_win.h"

namespace {

// FTP transfers and listings never go through the system's URL cache: it
// would keep a copy of every file read, and Wine's cache code fails (and
// holds the cache's lock) on many files of one name.
constexpr DWORD kNoCache = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
// How long a connection, a command or a transfer waits for the server.
constexpr DWORD kNetworkTimeoutMs = 30000;

}  // namespace

// --- failures ----------------------------------------------------------------

bool CInternetObject::NoteFailure() {
  m_dwError = ::GetLastError();
  if (m_dwError == 0) m_dwError = ERROR_INTERNET_INTERNAL_ERROR;
  // One call with room to spare: some implementations copy the given length
  // and count up to the NUL without a first call for the size.
  char buf[1025] = {};
  DWORD code = 0;
  DWORD len = sizeof buf - 1;
  m_strResponse.Empty();
  if (InternetGetLastResponseInfoA(&code, buf, &len)) {
    buf[sizeof buf - 1] = '\0';
    m_strResponse = CString(buf);
  }
  m_strResponse.TrimRight("\r\n");
  return false;
}

bool CInternetObject::NoteRefusal(DWORD error) {
  m_dwError = error;
  m_strResponse.Empty();
  return false;
}

// --- session -------------------------------------------------------------------

CInternetSession::CInternetSession(const char* agent, DWORD accessType) {
  m_hSession = InternetOpenA(agent ? agent : "Tabrye", accessType, nullptr, nullptr, 0);
  if (!m_hSession) {
    NoteFailure();
    return;
  }
  // A server that stops answering fails the call after a while instead of
  // holding the program (the system's own default may wait for ever).
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                       INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
    DWORD ms = kNetworkTimeoutMs;
    InternetSetOptionA(m_hSession, option, &ms, sizeof ms);
  }
}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close() {
  // Copies: closing detaches them from the lists.
  const std::vector<CInternetFile*> files = m_files;
  for (CInternetFile* f : files) f->SessionGone();
  const std::vector<CFtpConnection*> connections = m_connections;
  for (CFtpConnection* c : connections) c->SessionGone();
  m_files.clear();
  m_connections.clear();
  if (m_hSession) {
    InternetCloseHandle(m_hSession);
    m_hSession = nullptr;
  }
}

void CInternetSession::Detach(CFtpConnection* c) {
  m_connections.erase(std::remove(m_connections.begin(), m_connections.end(), c), m_connections.end());
}

void CInternetSession::Detach(CInternetFile* f) {
  m_files.erase(std::remove(m_files.begin(), m_files.end(), f), m_files.end());
}

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(const char* server, const char* user,
                                                                   const char* password, INTERNET_PORT port,
                                                                   BOOL passive) {
  if (!m_hSession) {
    NoteRefusal(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HINTERNET h = InternetConnectA(m_hSession, server, port, user, password, INTERNET_SERVICE_FTP,
                                 passive ? INTERNET_FLAG_PASSIVE : 0, 0);
  if (!h) {
    NoteFailure();
    return nullptr;
  }
  NoteSuccess();
  std::unique_ptr<CFtpConnection> c(new CFtpConnection(this, h));
  Attach(c.get());
  return c;
}

std::unique_ptr<CInternetFile> CInternetSession::OpenURL(const char* url, DWORD flags) {
  if (!m_hSession) {
    NoteRefusal(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  HINTERNET h = InternetOpenUrlA(m_hSession, url, nullptr, 0, flags, 0);
  if (!h) {
    NoteFailure();
    return nullptr;
  }
  NoteSuccess();
  std::unique_ptr<CInternetFile> f(new CInternetFile(h, nullptr, this));
  Attach(f.get());
  return f;
}

// --- FTP connection --------------------------------------------------------------

CFtpConnection::CFtpConnection(CInternetSession* session, HINTERNET connect)
    : m_pSession(session), m_hConnect(connect) {}

CFtpConnection::~CFtpConnection() {
  Close();
  if (m_pSession) m_pSession->Detach(this);
}

void CFtpConnection::Close() {
  if (m_pChannelUser) {
    CFtpChannelUser* user = m_pChannelUser;
    m_pChannelUser = nullptr;
    user->ReleaseChannel();
  }
  if (m_hConnect) {
    InternetCloseHandle(m_hConnect);
    m_hConnect = nullptr;
  }
}

void CFtpConnection::SessionGone() {
  Close();
  m_pSession = nullptr;
}

bool CFtpConnection::Ready() {
  if (!m_hConnect) return NoteRefusal(ERROR_INVALID_HANDLE);
  if (m_pChannelUser) return NoteRefusal(ERROR_FTP_TRANSFER_IN_PROGRESS);
  return true;
}

bool CFtpConnection::Claim(CFtpChannelUser* user) {
  if (!Ready()) return false;
  m_pChannelUser = user;
  return true;
}

void CFtpConnection::Release(CFtpChannelUser* user) {
  if (m_pChannelUser == user) m_pChannelUser = nullptr;
}

BOOL CFtpConnection::GetFile(const char* remote, const char* local, BOOL failIfExists, DWORD attributes,
                             DWORD flags) {
  if (!Ready()) return FALSE;
  if (!FtpGetFileA(m_hConnect, remote, local, failIfExists, attributes, flags | kNoCache, 0)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::PutFile(const char* local, const char* remote, DWORD flags) {
  if (!Ready()) return FALSE;
  if (!FtpPutFileA(m_hConnect, local, remote, flags, 0)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

std::unique_ptr<CInternetFile> CFtpConnection::OpenFile(const char* name, DWORD access, DWORD flags) {
  if (!Ready()) return nullptr;
  HINTERNET h = FtpOpenFileA(m_hConnect, name, access, flags | kNoCache, 0);
  if (!h) {
    NoteFailure();
    return nullptr;
  }
  NoteSuccess();
  std::unique_ptr<CInternetFile> f(new CInternetFile(h, this, nullptr));
  m_pChannelUser = f.get();
  return f;
}

BOOL CFtpConnection::Remove(const char* name) {
  if (!Ready()) return FALSE;
  if (!FtpDeleteFileA(m_hConnect, name)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::Rename(const char* oldName, const char* newName) {
  if (!Ready()) return FALSE;
  if (!FtpRenameFileA(m_hConnect, oldName, newName)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::Command(const char* command) {
  if (!Ready()) return FALSE;
  if (!FtpCommandA(m_hConnect, FALSE, FTP_TRANSFER_TYPE_BINARY, command, 0, nullptr)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::CreateDirectory(const char* name) {
  if (!Ready()) return FALSE;
  if (!FtpCreateDirectoryA(m_hConnect, name)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::RemoveDirectory(const char* name) {
  if (!Ready()) return FALSE;
  if (!FtpRemoveDirectoryA(m_hConnect, name)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::SetCurrentDirectory(const char* name) {
  if (!Ready()) return FALSE;
  if (!FtpSetCurrentDirectoryA(m_hConnect, name)) return NoteFailure();
  NoteSuccess();
  return TRUE;
}

BOOL CFtpConnection::GetCurrentDirectory(CString& folder) {
  if (!Ready()) return FALSE;
  char buf[2048] = {};
  DWORD len = sizeof buf;
  if (!FtpGetCurrentDirectoryA(m_hConnect, buf, &len)) return NoteFailure();
  buf[sizeof buf - 1] = '\0';
  folder = buf;
  NoteSuccess();
  return TRUE;
}

// --- files -----------------------------------------------------------------------

CInternetFile::CInternetFile(HINTERNET file, CFtpConnection* connection, CInternetSession* session)
    : m_hFile(file), m_pConnection(connection), m_pSession(session), m_bFtp(connection != nullptr) {}

CInternetFile::~CInternetFile() { Close(); }

void CInternetFile::Close() {
  if (m_hFile) {
    // Wine keeps a cache copy of every FTP file read, whatever the flags,
    // and leaves the copy of a transfer cut short behind (many of one name
    // make its cache code fail): the copy goes with the file.
    char url[2048] = {}, data[MAX_PATH + 1] = {};
    DWORD urlLen = sizeof url - 1, dataLen = sizeof data - 1;
    const bool haveData = m_bFtp && InternetQueryOptionA(m_hFile, INTERNET_OPTION_DATAFILE_NAME, data, &dataLen);
    const bool haveUrl = haveData && InternetQueryOptionA(m_hFile, INTERNET_OPTION_URL, url, &urlLen);
    InternetCloseHandle(m_hFile);
    m_hFile = nullptr;
    if (haveUrl) DeleteUrlCacheEntryA(url);
    if (haveData && data[0]) DeleteFileA(data);
  }
  if (m_pConnection) {
    m_pConnection->Release(this);
    m_pConnection = nullptr;
  }
  if (m_pSession) {
    m_pSession->Detach(this);
    m_pSession = nullptr;
  }
}

void CInternetFile::ReleaseChannel() {
  // The connection is closing: it has already forgotten this file.
  m_pConnection = nullptr;
  Close();
}

void CInternetFile::SessionGone() {
  m_pSession = nullptr;
  Close();
}

bool CInternetFile::Read(void* buffer, UINT count, UINT* got) {
  *got = 0;
  if (!m_hFile) return NoteRefusal(ERROR_INVALID_HANDLE);
  DWORD n = 0;
  if (!InternetReadFile(m_hFile, buffer, count, &n)) return NoteFailure();
  if (n > count) return NoteRefusal(ERROR_INTERNET_INTERNAL_ERROR);
  *got = n;
  NoteSuccess();
  return true;
}

bool CInternetFile::Write(const void* buffer, UINT count) {
  if (!m_hFile) return NoteRefusal(ERROR_INVALID_HANDLE);
  const char* p = static_cast<const char*>(buffer);
  while (count > 0) {
    DWORD n = 0;
    if (!InternetWriteFile(m_hFile, p, count, &n)) return NoteFailure();
    if (n == 0 || n > count) return NoteRefusal(ERROR_INTERNET_INTERNAL_ERROR);
    p += n;
    count -= n;
  }
  NoteSuccess();
  return true;
}

BOOL CInternetFile::QueryInfoStatusCode(DWORD& status) {
  status = 0;
  if (!m_hFile || m_bFtp) return NoteRefusal(ERROR_INVALID_HANDLE);
  DWORD value = 0;
  DWORD len = sizeof value;
  if (!HttpQueryInfoA(m_hFile, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &len, nullptr))
    return NoteFailure();
  status = value;
  NoteSuccess();
  return TRUE;
}

BOOL CInternetFile::QueryInfoContentLength(ULONGLONG& length) {
  length = 0;
  if (!m_hFile || m_bFtp) return NoteRefusal(ERROR_INVALID_HANDLE);
  char buf[32] = {};
  DWORD len = sizeof buf - 1;
  if (!HttpQueryInfoA(m_hFile, HTTP_QUERY_CONTENT_LENGTH, buf, &len, nullptr)) return NoteFailure();
  ULONGLONG v = 0;
  int digits = 0;
  for (const char* p = buf; *p; ++p) {
    if (*p < '0' || *p > '9' || ++digits > 19) return NoteRefusal(ERROR_HTTP_INVALID_HEADER);
    v = v * 10 + static_cast<ULONGLONG>(*p - '0');
  }
  if (digits == 0) return NoteRefusal(ERROR_HTTP_INVALID_HEADER);
  length = v;
  NoteSuccess();
  return TRUE;
}

// --- search ------------------------------------------------------------------------

CFtpFileFind::CFtpFileFind(CFtpConnection* connection) : m_pConnection(connection) {}

CFtpFileFind::~CFtpFileFind() { Close(); }

void CFtpFileFind::Close() {
  if (m_hFind) {
    InternetCloseHandle(m_hFind);
    m_hFind = nullptr;
  }
  if (m_pConnection) m_pConnection->Release(this);
  m_haveNext = false;
}

void CFtpFileFind::ReleaseChannel() {
  if (m_hFind) {
    InternetCloseHandle(m_hFind);
    m_hFind = nullptr;
  }
  m_haveNext = false;
  m_haveCurrent = false;
  m_pConnection = nullptr;
}

BOOL CFtpFileFind::FindFile(const char* name, DWORD flags) {
  Close();
  m_haveCurrent = false;
  if (!m_pConnection) return NoteRefusal(ERROR_INVALID_HANDLE);
  if (!m_pConnection->Claim(this)) return NoteRefusal(m_pConnection->GetLastErrorCode());
  m_next = {};
  m_hFind = FtpFindFirstFileA(m_pConnection->m_hConnect, name, &m_next, flags | kNoCache, 0);
  if (!m_hFind) {
    NoteFailure();
    m_pConnection->Release(this);
    return FALSE;
  }
  NoteSuccess();
  m_haveNext = true;
  return TRUE;
}

BOOL CFtpFileFind::StepNext() {
  if (!m_haveNext) return FALSE;
  m_current = m_next;
  m_haveCurrent = true;
  m_next = {};
  m_haveNext = m_hFind && InternetFindNextFileA(m_hFind, &m_next);
  if (!m_haveNext) {
    // The listing is read to its end: the data channel is free again.
    if (m_hFind) {
      InternetCloseHandle(m_hFind);
      m_hFind = nullptr;
    }
    if (m_pConnection) m_pConnection->Release(this);
  }
  return m_haveNext ? TRUE : FALSE;
}

CString CFtpFileFind::GetFileName() const {
  if (!m_haveCurrent) return CString();
  char name[MAX_PATH + 1] = {};
  std::copy(m_current.cFileName, m_current.cFileName + MAX_PATH, name);
  return CString(name);
}

BOOL CFtpFileFind::IsDirectory() const {
  return m_haveCurrent && (m_current.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BOOL CFtpFileFind::IsDots() const {
  if (!m_haveCurrent || !IsDirectory()) return FALSE;
  const char* n = m_current.cFileName;
  return (n[0] == '.' && n[1] == '\0') || (n[0] == '.' && n[1] == '.' && n[2] == '\0');
}

ULONGLONG CFtpFileFind::GetLength() const {
  if (!m_haveCurrent) return 0;
  return (static_cast<ULONGLONG>(m_current.nFileSizeHigh) << 32) | m_current.nFileSizeLow;
}

BOOL CFtpFileFind::GetLastWriteTime(CTime& time) const {
  if (!m_haveCurrent) return FALSE;
  time = CTime(fw::FileTimeToUnix(m_current.ftLastWriteTime));
  return TRUE;
}
