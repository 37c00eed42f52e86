#include "core/docsvc/address.h"

#include "core/docsvc/ftppath.h"

namespace docsvc {

namespace {

bool StartsNoCase(const CString& text, const char* prefix, int len) {
  return text.GetLength() >= len && text.Left(len).CompareNoCase(prefix) == 0;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Byte-wise search for a character that is never a trail byte.
int FindByte(const CString& text, const char* set) {
  const std::size_t at = text.Str().find_first_of(set);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

// "host[:port]/path#fragment" -> host and request path.
AddressPlan WebPlan(AddressKind kind, const CString& rest) {
  AddressPlan p;
  CString r = rest;
  const int hash = FindByte(r, "#");
  if (hash >= 0) r = r.Left(hash);
  const int slash = FindByte(r, "/?");
  p.host = slash < 0 ? r : r.Left(slash);
  p.path = slash < 0 ? CString("/") : r.Mid(slash);
  if (p.path.GetAt(0) == '?') p.path = "/" + p.path;
  if (p.host.IsEmpty() || p.host.FindOneOf(" \t\r\n") >= 0) return AddressPlan();
  p.kind = kind;
  return p;
}

// "[user[:password]@]host[:port]/path"
AddressPlan FtpUrlPlan(const CString& rest) {
  AddressPlan p;
  const int slash = FindByte(rest, "/");
  if (slash < 0) return p;
  CString authority = rest.Left(slash);
  p.path = DecodePercent(rest.Mid(slash));
  const int at = authority.ReverseFind('@');
  if (at >= 0) {
    const CString userInfo = authority.Left(at);
    authority = authority.Mid(at + 1);
    const int colon = userInfo.Find(':');
    p.user = DecodePercent(colon < 0 ? userInfo : userInfo.Left(colon));
    if (colon >= 0) p.password = DecodePercent(userInfo.Mid(colon + 1));
  }
  if (!SplitFtpAddress(authority, &p.host, &p.port)) return AddressPlan();
  // The last component names the file fetched.
  const std::size_t last = p.path.Str().rfind('/');
  if (last + 1 >= p.path.Str().size()) return AddressPlan();
  p.kind = AddressKind::kFtpUrl;
  return p;
}

}  // namespace

CString DecodePercent(const CString& text) {
  std::string out;
  const std::string& s = text.Str();
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return CString(std::move(out));
}

CString FileUrlToPath(const CString& url) {
  CString rest = url.Mid(StartsNoCase(url, "file://", 7) ? 7 : 0);
  std::string s = DecodePercent(rest).Str();
  // "/" is never a trail byte of a double-byte character.
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (s.size() >= 3 && s[0] == '\\' && isLetter(s[1]) && (s[2] == ':' || s[2] == '|')) s.erase(0, 1);
  if (s.size() >= 2 && isLetter(s[0]) && s[1] == '|') s[1] = ':';
  return CString(std::move(s));
}

AddressPlan ClassifyAddress(const CString& address, const CString* ftpEntries) {
  if (StartsNoCase(address, "http://", 7)) return WebPlan(AddressKind::kHttp, address.Mid(7));
  if (StartsNoCase(address, "https://", 8)) return WebPlan(AddressKind::kHttps, address.Mid(8));
  if (StartsNoCase(address, "ftp://", 6)) return FtpUrlPlan(address.Mid(6));
  AddressPlan p;
  if (StartsNoCase(address, "file://", 7)) {
    p.path = FileUrlToPath(address);
    p.kind = p.path.IsEmpty() ? AddressKind::kInvalid : AddressKind::kLocal;
    return p;
  }
  const char c0 = address.GetAt(0), c1 = address.GetAt(1);
  if (c0 == '%' && c1 >= '0' && c1 <= '2') {
    p.kind = AddressKind::kSide;
    p.side = c1 - '0';
    p.path = address.Mid(2);
    return p;
  }
  if (FtpEntryOfPath(ftpEntries, address) != 0) {
    p.kind = AddressKind::kFtpDrive;
    p.path = address;
    return p;
  }
  p.path = address;
  p.kind = address.IsEmpty() ? AddressKind::kInvalid : AddressKind::kLocal;
  return p;
}

}  // namespace docsvc
