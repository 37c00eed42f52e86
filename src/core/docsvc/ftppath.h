// FTP pseudo-drives: which site entry a path is on, how to connect to it,
// the server path of a local-looking path ("X:\pub\a.txt") and the name of
// the scratch copy of a server file. The document acts on these decisions
// through its connection (app/dvkdoc_ftp.cpp); here they are plain text, so
// that a fake connection can test them.
//
// Entries are those of ParseFtpEntry (core/docsvc/pathpart.h):
//   letter ":~" flag digit + description "~/" address ";BASE=" folder ";USER=" user ";PWRD=" password
// The address may end in ":port" (default 21). Paths are Shift-JIS: a trail
// byte 0x5C is never taken for a "\".
#pragma once

#include "fw/cstring.h"

namespace docsvc {

constexpr int kFtpEntryCount = 3;
constexpr int kFtpEntryMinLength = 24;  // shorter entries do not count
constexpr int kFtpDefaultPort = 21;

// 1-3 when the path's first two characters are those of entry 1-3 and that
// entry is at least 24 characters long; else 0.
int FtpEntryOfPath(const CString* entries, const CString& path);

// True for an entry a site can be listed from: at least 24 characters and an
// address with a host. The entries dialog writes an empty row as a 24-character
// entry with no address; such a row is no site to connect to.
bool IsFtpSiteEntry(const CString& entry);

// The host and port of an entry's address: "host", "host:port" or either
// followed by "/..." (ignored). False when the host is empty or the port is
// not a number 1-65535.
bool SplitFtpAddress(const CString& address, CString* host, int* port);

// Passive mode from the entry's flag digit (position 3): "0"-"3" passive
// when above "1"; any other character (an empty description) passive.
bool FtpEntryPassive(const CString& entry);

// What connecting the site of a path takes.
struct FtpConnectPlan {
  int result = -1;  // -1 no entry or no host; 0 already connected to that entry; 1 connect
  int entry = 0;    // 1-3
  CString host;     // address as the entry holds it (":port" included)
  CString user;
  CString password;
  bool passive = true;
};
// `connectedEntry` (0: none) and `connectedText` are the entry the open
// connection serves and that entry's text when it was connected: a changed
// entry or another entry means a new connection.
FtpConnectPlan PlanFtpConnect(const CString* entries, const CString& path, int connectedEntry,
                              const CString& connectedText);

// "/" + base ("\" -> "/") + "/" + the path after its first two characters
// ("\" -> "/", a leading "/" dropped), runs of "/" made one and a trailing
// "/" dropped (the root stays "/").
CString FtpServerPath(const CString& base, const CString& path);

// The connection as the mapping uses it.
class FtpFolderPort {
 public:
  // Makes sure the connection serves entry 1-3 (connecting or switching to
  // its site); false when there is no connection to it.
  virtual bool UseEntry(int entry) = 0;
  // Changes the server's current folder; false when the server refuses.
  virtual bool SetCurrentFolder(const CString& serverPath) = 0;

 protected:
  ~FtpFolderPort() = default;
};

struct FtpMapResult {
  CString text;          // what the mode returns
  bool refused = false;  // the folder was refused (or there was no site): "/" is current
};

// Maps a pseudo-drive path and moves the connection's current folder:
//   mode 1: to the whole server path, which is returned;
//   mode 2: to its folder part (up to the last "/"); the last part is returned;
//   other:  to the folder part when the last component holds a ".", else to
//           the whole path; the whole path is returned.
// A refused folder makes "/" current, sets `refused`, and in mode 2 returns
// "" so that no file operation acts on a name in "/". A path on no entry, or
// on a site that cannot be connected, touches no connection, is `refused`
// and returns "".
FtpMapResult MapFtpDrivePath(const CString* entries, const CString& path, int mode, FtpFolderPort& port);

// The scratch file name of a server file: "Dorvik_" + the path's last
// component with ":", "\", "/" and ".." removed, the characters Windows
// refuses in names (< > " | ? * and control bytes) made "_", trailing dots
// and blanks dropped, and cut to 200 bytes (whole characters); "" when no
// name is left.
CString FtpScratchName(const CString& path);

// Longest name of a server entry the file list keeps (its records hold 255
// bytes; a cut name would address another file or none).
constexpr int kFtpNameMaxBytes = 255;

// True for a server entry's name that the list shows and the walks act on:
// at least one byte and at most 255, not made only of dots, no "/" and no "\"
// of its own (a trail byte 0x5C of a double-byte character is part of it),
// no control bytes, and no lead byte standing alone at the end. Any other
// name would make "folder\name" a path outside the folder (or another file).
bool IsSafeFtpName(const std::string& name);

}  // namespace docsvc
