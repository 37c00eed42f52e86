#include "core/docsvc/pathpart.h"

#include "fw/sjis.h"

namespace {

// Position of the last "." of the file name that starts at nameStart, when it
// is not the name's first character; else -1. "." is never a trail byte.
int ExtensionDot(const CString& path, int nameStart) {
  int dot = path.ReverseFind('.');
  if (dot <= nameStart) return -1;
  return dot;
}

}  // namespace

int LastBackslash(const CString& path) {
  const char* p = path.GetString();
  const int len = path.GetLength();
  int last = -1;
  for (int i = 0; i < len;) {
    if (p[i] == '\\') last = i;
    i += fw::SjisCharLength(p, len, i);
  }
  return last;
}

CString GetPathPart(const CString& path, int mode) {
  const int sep = LastBackslash(path);
  const int nameStart = sep + 1;
  const CString name = path.Mid(nameStart);
  const int dot = ExtensionDot(path, nameStart);
  switch (mode) {
    case 1:
      return name;
    case 2:
      return dot < 0 ? name : path.Mid(nameStart, dot - nameStart);
    case 3:
      return sep >= 1 ? path.Left(sep) : path;
    case 4: {
      if (dot < 0) return name;
      const char m = path.GetAt(dot + 1);
      if (m != '+' && m != '-' && m != '=') return name;
      CString out = name;
      out.Delete(dot + 1 - nameStart, 1);
      return out;
    }
    case 5:
      return dot < 0 ? CString() : path.Mid(dot + 1);
    case 6:
      return dot < 0 ? path : path.Left(dot);
    default:
      return name;
  }
}

CString ChangeDirTarget(const CString& path, int mode, bool pathIsFile) {
  CString dir = path;
  if (mode == 1 && pathIsFile) dir = GetPathPart(path, 3);
  const int len = dir.GetLength();
  if (len == 2 && dir.GetAt(1) == ':') return dir + "\\";
  // Drop one trailing "\" unless it is the root's ("X:\" or "\").
  if (len > 1 && LastBackslash(dir) == len - 1 && !(len == 3 && dir.GetAt(1) == ':'))
    dir = dir.Left(len - 1);
  return dir;
}

namespace {

const char* const kFtpMarkers[] = {";BASE=", ";USER=", ";PWRD="};

// Start of the first marker at or after `from`, or the entry's length.
int NextMarker(const CString& entry, int from) {
  int end = entry.GetLength();
  for (const char* m : kFtpMarkers) {
    int p = entry.Find(m, from);
    if (p >= 0 && p < end) end = p;
  }
  return end;
}

}  // namespace

CString ParseFtpEntry(const CString& entry, int part) {
  if (part >= 1 && part <= 3) {
    const char* marker = part == 1 ? ";USER=" : part == 2 ? ";PWRD=" : ";BASE=";
    int p = entry.Find(marker);
    if (p < 0) return CString();
    p += 6;
    return entry.Mid(p, NextMarker(entry, p) - p);
  }
  if (part != 0) return CString();
  int start = 0;
  if (entry.GetLength() >= 3 && entry.GetAt(1) == ':' && entry.GetAt(2) == '~') {
    int close = entry.Find('~', 3);  // end of the description
    start = close < 0 ? entry.GetLength() : close + 1;
    if (entry.GetAt(start) == '/') ++start;
  }
  CString addr = entry.Mid(start, NextMarker(entry, start) - start);
  if (addr.Left(4) == "ftp:" || addr.Left(4) == "FTP:") {
    addr = addr.Mid(4);
    addr.TrimLeft('/');
  }
  return addr;
}
