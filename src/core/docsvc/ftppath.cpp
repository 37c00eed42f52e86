#include "core/docsvc/ftppath.h"

#include "core/docsvc/pathpart.h"
#include "fw/sjis.h"

namespace docsvc {

namespace {

// Length of the character at s[i]: 2 for a lead byte with a valid trail byte
// (0x40-0x7E, 0x80-0xFC) after it, else 1. "/", ":" and "." are never trail
// bytes, so a stray lead byte never hides a separator.
int CharLen(const std::string& s, int i) {
  const unsigned char c = static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
  if (!fw::IsSjisLeadByte(c) || static_cast<std::size_t>(i) + 1 >= s.size()) return 1;
  const unsigned char t = static_cast<unsigned char>(s[static_cast<std::size_t>(i) + 1]);
  return t >= 0x40 && t <= 0xFC && t != 0x7F ? 2 : 1;
}

// Every single-byte "\" of a Shift-JIS text made "/".
CString SlashForm(const CString& text) {
  std::string s = text.Str();
  const int len = static_cast<int>(s.size());
  for (int i = 0; i < len;) {
    const int n = CharLen(s, i);
    if (n == 1 && s[static_cast<std::size_t>(i)] == '\\') s[static_cast<std::size_t>(i)] = '/';
    i += n;
  }
  return CString(std::move(s));
}

// Start of the last component: after the last "/" or single-byte "\".
int LastComponentStart(const std::string& s) {
  const int len = static_cast<int>(s.size());
  int start = 0;
  for (int i = 0; i < len;) {
    const int n = CharLen(s, i);
    const char c = s[static_cast<std::size_t>(i)];
    if (n == 1 && (c == '\\' || c == '/')) start = i + 1;
    i += n;
  }
  return start;
}

}  // namespace

int FtpEntryOfPath(const CString* entries, const CString& path) {
  if (path.GetLength() < 2) return 0;
  for (int i = 0; i < kFtpEntryCount; ++i) {
    if (entries[i].GetLength() >= kFtpEntryMinLength && entries[i].Left(2) == path.Left(2)) return i + 1;
  }
  return 0;
}

bool IsFtpSiteEntry(const CString& entry) {
  if (entry.GetLength() < kFtpEntryMinLength) return false;
  CString host;
  int port = 0;
  return SplitFtpAddress(ParseFtpEntry(entry, 0), &host, &port);
}

bool SplitFtpAddress(const CString& address, CString* host, int* port) {
  CString a = address;
  // "/" and ":" are never trail bytes: found byte-wise.
  const std::size_t slash = a.Str().find('/');
  if (slash != std::string::npos) a = a.Left(static_cast<int>(slash));
  *port = kFtpDefaultPort;
  const int colon = static_cast<int>(a.Str().rfind(':'));
  if (colon >= 0) {
    const CString digits = a.Mid(colon + 1);
    if (digits.IsEmpty() || digits.GetLength() > 5) return false;
    long value = 0;
    for (int i = 0; i < digits.GetLength(); ++i) {
      const char c = digits.GetAt(i);
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    *port = static_cast<int>(value);
    a = a.Left(colon);
  }
  a.TrimLeft();
  a.TrimRight();
  *host = a;
  return !a.IsEmpty();
}

bool FtpEntryPassive(const CString& entry) {
  const char c = entry.GetAt(3);
  if (c >= '0' && c <= '3') return c > '1';
  return true;
}

FtpConnectPlan PlanFtpConnect(const CString* entries, const CString& path, int connectedEntry,
                              const CString& connectedText) {
  FtpConnectPlan plan;
  const int e = FtpEntryOfPath(entries, path);
  if (e == 0) return plan;
  const CString& entry = entries[e - 1];
  const CString host = ParseFtpEntry(entry, 0);
  if (host.IsEmpty()) return plan;
  plan.entry = e;
  if (connectedEntry == e && connectedText == entry) {
    plan.result = 0;
    return plan;
  }
  plan.result = 1;
  plan.host = host;
  plan.user = ParseFtpEntry(entry, 1);
  plan.password = ParseFtpEntry(entry, 2);
  plan.passive = FtpEntryPassive(entry);
  return plan;
}

CString FtpServerPath(const CString& base, const CString& path) {
  CString rest = SlashForm(path.Mid(2));
  if (rest.GetAt(0) == '/') rest = rest.Mid(1);
  const std::string joined = "/" + SlashForm(base).Str() + "/" + rest.Str();
  std::string out;
  out.reserve(joined.size());
  // "/" is never a trail byte: a byte-wise pass is safe.
  for (char c : joined) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return CString(std::move(out));
}

FtpMapResult MapFtpDrivePath(const CString* entries, const CString& path, int mode, FtpFolderPort& port) {
  FtpMapResult r;
  const int e = FtpEntryOfPath(entries, path);
  if (e == 0 || !port.UseEntry(e)) {
    r.refused = true;
    return r;
  }
  const CString full = FtpServerPath(ParseFtpEntry(entries[e - 1], 3), path);
  // "/" is found byte-wise: it is never part of a character.
  const int last = static_cast<int>(full.Str().rfind('/'));
  const CString folder = last <= 0 ? CString("/") : full.Left(last);
  const CString name = full.Mid(last + 1);
  CString target;
  if (mode == 1) {
    target = full;
    r.text = full;
  } else if (mode == 2) {
    target = folder;
    r.text = name;
  } else {
    target = name.Str().find('.') != std::string::npos ? folder : full;
    r.text = full;
  }
  if (!port.SetCurrentFolder(target)) {
    port.SetCurrentFolder(CString("/"));
    r.refused = true;
    if (mode == 2) r.text.Empty();
  }
  return r;
}

CString FtpScratchName(const CString& path) {
  const std::string& s = path.Str();
  std::string name = s.substr(static_cast<std::size_t>(LastComponentStart(s)));
  // ":" and "." are never trail bytes: remove them byte-wise, ".." until
  // none is left (".:." would otherwise leave one).
  std::string t;
  for (char c : name) {
    if (c != ':') t += c;
  }
  for (std::size_t p; (p = t.find("..")) != std::string::npos;) t.erase(p, 2);
  // The characters Windows refuses in names become "_" (whole characters:
  // "|" may be a trail byte), and so does a "\" that the removals above
  // left standing alone.
  std::string out;
  const int len = static_cast<int>(t.size());
  for (int i = 0; i < len;) {
    const int n = CharLen(t, i);
    const unsigned char c = static_cast<unsigned char>(t[static_cast<std::size_t>(i)]);
    if (out.size() + static_cast<std::size_t>(n) > 200) break;
    if (n == 1 && (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*' ||
                   c == '\\' || c == '/')) {
      out += '_';
    } else {
      out.append(t, static_cast<std::size_t>(i), static_cast<std::size_t>(n));
    }
    i += n;
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  if (out.empty()) return CString();
  return CString("Dorvik_" + out);
}

bool IsSafeFtpName(const std::string& name) {
  const int len = static_cast<int>(name.size());
  if (len == 0 || len > kFtpNameMaxBytes) return false;
  bool onlyDots = true;
  for (int i = 0; i < len;) {
    const int n = CharLen(name, i);
    const unsigned char c = static_cast<unsigned char>(name[static_cast<std::size_t>(i)]);
    if (n == 1) {
      if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
      if (fw::IsSjisLeadByte(c) && i + 1 == len) return false;
    }
    if (c != '.') onlyDots = false;
    i += n;
  }
  return !onlyDots;
}

}  // namespace docsvc
