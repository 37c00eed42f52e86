// The servers of the internet tests (tests/support/inet/servers.sh, started as
// the CTest fixture "inet"): their ports, logs and FTP homes, seen from a
// Windows test program under Wine. Each test logs in under a user name of
// its own, so its home folder (and its lines of the log) are its own.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

// The fixture's folder ("Z:/.../inet"), "" when the fixture is not set up.
inline std::string InetDir() {
  const char* d = std::getenv("TABRYE_INET_DIR");
  return d ? d : "";
}

// Whole files by a Shift-JIS path (the A functions: names in code page 932).
inline bool ReadBytesA(const std::string& path, std::string* bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) bytes->append(buf, n);
  CloseHandle(h);
  return true;
}

inline std::string ReadBytesA(const std::string& path) {
  std::string b;
  ReadBytesA(path, &b);
  return b;
}

inline bool WriteBytesA(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
  CloseHandle(h);
  return ok;
}

inline bool ExistsA(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool IsFolderA(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A file's last-write time in seconds since 1970 (UTC); -1 when unreadable.
inline long long TimeOfA(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a = {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return -1;
  const ULONGLONG t = (static_cast<ULONGLONG>(a.ftLastWriteTime.dwHighDateTime) << 32) | a.ftLastWriteTime.dwLowDateTime;
  return static_cast<long long>(t / 10000000ULL) - 11644473600LL;
}

// Sets a file's last-write time (seconds since 1970, UTC); false on failure.
inline bool SetTimeA(const std::string& path, long long t) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const ULONGLONG ft = (static_cast<ULONGLONG>(t) + 11644473600ULL) * 10000000ULL;
  FILETIME f{static_cast<DWORD>(ft), static_cast<DWORD>(ft >> 32)};
  const bool ok = SetFileTime(h, nullptr, nullptr, &f) != 0;
  CloseHandle(h);
  return ok;
}

// Port of server "ftp", "ftp932" or "http" (0 when unknown).
inline int ServerPort(const char* server) {
  return std::atoi(ReadBytesA(InetDir() + "/" + server + ".port").c_str());
}

inline std::string ServerLog(const char* server) { return ReadBytesA(InetDir() + "/" + server + ".log"); }

// How often `text` stands in a server's log.
inline int CountInLog(const char* server, const std::string& text) {
  const std::string log = ServerLog(server);
  int n = 0;
  for (std::size_t p = log.find(text); p != std::string::npos; p = log.find(text, p + text.size())) ++n;
  return n;
}

// Waits (up to `ms`) until `text` stands in the log `count` times.
inline bool WaitForLog(const char* server, const std::string& text, int count = 1, int ms = 5000) {
  for (int waited = 0; waited <= ms; waited += 50) {
    if (CountInLog(server, text) >= count) return true;
    Sleep(50);
  }
  return false;
}

// The home folder of `user` on FTP server "ftp" or "ftp932", made with the
// given sub-folders ("pub", "pub\\d").
inline std::string FtpHome(const char* server, const std::string& user, const std::vector<std::string>& folders) {
  const std::string home = InetDir() + "\\" + server + "\\" + user;
  CreateDirectoryA(home.c_str(), nullptr);
  for (const std::string& f : folders) CreateDirectoryA((home + "\\" + f).c_str(), nullptr);
  return home;
}

// Bytes that differ from run to run of no test (a fixed pattern).
inline std::string PatternBytes(std::size_t n, unsigned seed = 1) {
  std::string s(n, '\0');
  unsigned x = seed * 2654435761u + 12345u;
  for (std::size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(x >> 16);
  }
  return s;
}

}  // namespace testsupport

// Skips a test when the servers' fixture is not set up.
#define REQUIRE_INET_SERVERS()                                                   \
  do {                                                                           \
    if (::testsupport::InetDir().empty() || ::testsupport::ServerPort("ftp") == 0) \
      GTEST_SKIP() << "internet test servers not running (CTest fixture inet)";  \
  } while (0)
