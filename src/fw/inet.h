// The internet classes over WinINet: a session, its FTP connections, the
// search of an FTP folder and the file read from an FTP server or an HTTP
// address. Windows only.
//
// Nothing throws: a call that fails returns false or null and keeps the
// system's error code and the server's last reply (GetLastErrorCode,
// GetLastResponse). Names are Shift-JIS bytes, sent as the ANSI code page
// gives them.
//
// An FTP connection carries one search or one open file at a time (the
// protocol has one data channel): while a CFtpFileFind or a file opened with
// OpenFile is open, every other command of the connection is refused with
// ERROR_FTP_TRANSFER_IN_PROGRESS, here, not left to the system. Nothing read
// or listed goes into the system's URL cache.
//
//   CInternetSession session;
//   std::unique_ptr<CFtpConnection> ftp = session.GetFtpConnection("host", "u", "p", 21, TRUE);
//   CFtpFileFind find(ftp.get());
//   BOOL more = find.FindFile("*");
//   while (more) { more = find.FindNextFile(); ... find.GetFileName() ... }
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <vector>

#include "fw/cstring.h"
#include "fw/datetime.h"
#include "fw/types.h"

class CFtpConnection;
class CInternetFile;
class CInternetSession;

// What every internet object remembers of its last failure.
class CInternetObject {
 public:
  // The system's error code of the last failed call (0 after a success).
  DWORD GetLastErrorCode() const { return m_dwError; }
  // The server's last reply text at that failure ("" when there was none).
  const CString& GetLastResponse() const { return m_strResponse; }

 protected:
  CInternetObject() = default;
  ~CInternetObject() = default;
  // Keeps GetLastError() and the thread's last server reply; returns false.
  bool NoteFailure();
  // Keeps `error` (a refusal of the class itself); returns false.
  bool NoteRefusal(DWORD error);
  void NoteSuccess() { m_dwError = 0; }

 private:
  DWORD m_dwError = 0;
  CString m_strResponse;
};

class CInternetSession : public CInternetObject {
 public:
  // Opens a session with the user's internet settings (accessType
  // INTERNET_OPEN_TYPE_PRECONFIG) or another access type.
  explicit CInternetSession(const char* agent = nullptr, DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG);
  ~CInternetSession();
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;

  bool IsOpen() const { return m_hSession != nullptr; }
  // Connects and logs in; null on failure (ERROR_INTERNET_LOGIN_FAILURE for
  // a refused login, other codes for a host not reached).
  std::unique_ptr<CFtpConnection> GetFtpConnection(const char* server, const char* user, const char* password,
                                                   INTERNET_PORT port = INTERNET_DEFAULT_FTP_PORT,
                                                   BOOL passive = FALSE);
  // Opens an "http://", "https://" or "ftp://" address for reading, never
  // from the cache; null on failure. An HTTP answer of any status is a file:
  // read its status with QueryInfoStatusCode.
  std::unique_ptr<CInternetFile> OpenURL(const char* url,
                                         DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                                       INTERNET_FLAG_PRAGMA_NOCACHE);
  // Closes every connection and file of the session, then the session.
  void Close();

 private:
  friend class CFtpConnection;
  friend class CInternetFile;
  void Attach(CFtpConnection* c) { m_connections.push_back(c); }
  void Detach(CFtpConnection* c);
  void Attach(CInternetFile* f) { m_files.push_back(f); }
  void Detach(CInternetFile* f);

  HINTERNET m_hSession = nullptr;
  std::vector<CFtpConnection*> m_connections;
  std::vector<CInternetFile*> m_files;
};

// Something that holds an FTP connection's data channel: a search or a file.
class CFtpChannelUser {
 public:
  // The connection goes away: release the handle.
  virtual void ReleaseChannel() = 0;

 protected:
  ~CFtpChannelUser() = default;
};

class CFtpConnection : public CInternetObject {
 public:
  ~CFtpConnection();
  CFtpConnection(const CFtpConnection&) = delete;
  CFtpConnection& operator=(const CFtpConnection&) = delete;

  bool IsOpen() const { return m_hConnect != nullptr; }
  // Server file -> local file.
  BOOL GetFile(const char* remote, const char* local, BOOL failIfExists = TRUE,
               DWORD attributes = FILE_ATTRIBUTE_NORMAL, DWORD flags = FTP_TRANSFER_TYPE_BINARY);
  // Local file -> server file.
  BOOL PutFile(const char* local, const char* remote, DWORD flags = FTP_TRANSFER_TYPE_BINARY);
  // A server file opened for reading (GENERIC_READ) or writing
  // (GENERIC_WRITE); null on failure. The connection is busy until the file
  // is closed (or destroyed).
  std::unique_ptr<CInternetFile> OpenFile(const char* name, DWORD access = GENERIC_READ,
                                          DWORD flags = FTP_TRANSFER_TYPE_BINARY);
  BOOL Remove(const char* name);
  BOOL Rename(const char* oldName, const char* newName);
  BOOL CreateDirectory(const char* name);
  BOOL RemoveDirectory(const char* name);
  // Sends one command that opens no data channel ("MFMT ..."); TRUE when
  // the server's reply is a success.
  BOOL Command(const char* command);
  BOOL SetCurrentDirectory(const char* name);
  BOOL GetCurrentDirectory(CString& folder);
  // Ends an open search or file first, then the connection.
  void Close();
  // True while a search or a file holds the data channel.
  bool IsBusy() const { return m_pChannelUser != nullptr; }

 private:
  friend class CInternetSession;
  friend class CFtpFileFind;
  friend class CInternetFile;
  CFtpConnection(CInternetSession* session, HINTERNET connect);
  // False (ERROR_FTP_TRANSFER_IN_PROGRESS noted) while the channel is held.
  bool Ready();
  bool Claim(CFtpChannelUser* user);
  void Release(CFtpChannelUser* user);
  void SessionGone();

  CInternetSession* m_pSession;
  HINTERNET m_hConnect;
  CFtpChannelUser* m_pChannelUser = nullptr;
};

// A file read (or written) through the internet: an FTP file of a
// connection or the answer to an address.
class CInternetFile : public CInternetObject, private CFtpChannelUser {
 public:
  ~CInternetFile();
  CInternetFile(const CInternetFile&) = delete;
  CInternetFile& operator=(const CInternetFile&) = delete;

  // Reads up to `count` bytes: true with *got > 0 for data, true with
  // *got == 0 at the end, false on a failure (never taken for the end).
  // (Under Wine a data connection cut short also reads as the end: compare
  // with the length the listing or the answer gave.)
  bool Read(void* buffer, UINT count, UINT* got);
  // Writes all `count` bytes (a file opened for writing).
  bool Write(const void* buffer, UINT count);
  // The HTTP status of an answer (200, 404, ...); FALSE for an FTP file.
  BOOL QueryInfoStatusCode(DWORD& status);
  // The length an HTTP answer announces (Content-Length); FALSE when it
  // announces none, and for an FTP file.
  BOOL QueryInfoContentLength(ULONGLONG& length);
  void Close();
  bool IsOpen() const { return m_hFile != nullptr; }

 private:
  friend class CInternetSession;
  friend class CFtpConnection;
  CInternetFile(HINTERNET file, CFtpConnection* connection, CInternetSession* session);
  void ReleaseChannel() override;
  void SessionGone();

  HINTERNET m_hFile;
  CFtpConnection* m_pConnection;
  CInternetSession* m_pSession;
  bool m_bFtp;  // a file of an FTP connection (not an address's answer)
};

class CFtpFileFind : public CInternetObject, private CFtpChannelUser {
 public:
  explicit CFtpFileFind(CFtpConnection* connection);
  ~CFtpFileFind();
  CFtpFileFind(const CFtpFileFind&) = delete;
  CFtpFileFind& operator=(const CFtpFileFind&) = delete;

  // Starts a search of the current folder (`name` null: every entry; else a
  // name or pattern). `flags` INTERNET_FLAG_RELOAD reads the server's list,
  // never a cached one. TRUE when there is at least one entry: then
  // FindNextFile gives the first. FALSE while another search or file holds
  // the connection.
  BOOL FindFile(const char* name = nullptr, DWORD flags = INTERNET_FLAG_RELOAD);
  // Steps to the next entry; FALSE when the entry stepped to is the last.
  // (windows.h makes this FindNextFileA, at the call as well.)
  BOOL FindNextFile() { return StepNext(); }
  void Close();

  CString GetFileName() const;
  BOOL IsDirectory() const;
  BOOL IsDots() const;
  ULONGLONG GetLength() const;
  BOOL GetLastWriteTime(CTime& time) const;

 private:
  BOOL StepNext();
  void ReleaseChannel() override;

  CFtpConnection* m_pConnection;
  HINTERNET m_hFind = nullptr;
  WIN32_FIND_DATAA m_current = {};
  WIN32_FIND_DATAA m_next = {};
  bool m_haveNext = false;
  bool m_haveCurrent = false;
};
