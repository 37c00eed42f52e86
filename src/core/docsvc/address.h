// The kinds of address the document opens (CDvkDoc::OpenAddress): web pages,
// FTP files by address, "file://" addresses, paths on FTP pseudo-drives,
// paths for a side of the file list ("%0", "%1", "%2"), and local paths.
// Only the text is read here; whether a local path is a file or a folder is
// the caller's question.
#pragma once

#include "fw/cstring.h"

namespace docsvc {

enum class AddressKind {
  kHttp,      // "http://host[:port]/path": host, path
  kHttps,     // "https://...": host, path
  kFtpUrl,    // "ftp://[user[:password]@]host[:port]/.../file": host, port, user, password, path
  kFtpDrive,  // a path on an FTP pseudo-drive: path
  kSide,      // "%0", "%1", "%2" + path: side (0 the active one), path
  kLocal,     // a local path, "file://" ones converted: path
  kInvalid,   // an address of a known scheme that cannot be used
};

struct AddressPlan {
  AddressKind kind = AddressKind::kInvalid;
  CString host;      // web: host with ":port" as written; ftp: host alone
  int port = 0;      // ftp: 21 unless given
  CString path;      // web: request path ("/" at least, no "#..."); ftp: server path, "%xx" decoded
  CString user;      // ftp: "" for an anonymous login
  CString password;
  int side = 0;      // kSide: 0, 1 or 2
};

// `ftpEntries`: the three FTP site entries (for pseudo-drive paths).
AddressPlan ClassifyAddress(const CString& address, const CString* ftpEntries);

// "%xx" (two hexadecimal digits) becomes its byte; anything else stays.
CString DecodePercent(const CString& text);

// The local path of a "file://" address: "%xx" decoded, "/" -> "\", a "/"
// before a drive letter dropped.
CString FileUrlToPath(const CString& url);

}  // namespace docsvc
