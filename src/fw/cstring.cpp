#include "fw/cstring.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fw/sjis.h"
#include "fw/strtable.h"

namespace {

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Length of the character at pos of s (1 or 2, a lone lead byte at the end is 1).
int CharLen(const std::string& s, std::size_t pos) {
  if (pos + 1 < s.size() && fw::IsSjisLeadByte(static_cast<unsigned char>(s[pos]))) return 2;
  return 1;
}

int CharLen(const char* s, std::size_t len, std::size_t pos) {
  if (pos + 1 < len && fw::IsSjisLeadByte(static_cast<unsigned char>(s[pos]))) return 2;
  return 1;
}

bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// True when the character s[pos..pos+n) is one of the characters of set.
bool InCharSet(const char* set, const char* ch, int n) {
  if (set == nullptr) return false;
  std::size_t len = std::strlen(set);
  for (std::size_t i = 0; i < len;) {
    int m = CharLen(set, len, i);
    if (m == n && std::memcmp(set + i, ch, static_cast<std::size_t>(n)) == 0) return true;
    i += static_cast<std::size_t>(m);
  }
  return false;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Copy with ASCII letters of single-byte characters lowered.
std::string FoldCase(const char* s, std::size_t len) {
  std::string out(s, len);
  for (std::size_t i = 0; i < len;) {
    int n = CharLen(s, len, i);
    if (n == 1) out[i] = LowerAscii(out[i]);
    i += static_cast<std::size_t>(n);
  }
  return out;
}

int CompareBytes(const std::string& a, const char* b, std::size_t blen) {
  std::size_t n = a.size() < blen ? a.size() : blen;
  int c = n == 0 ? 0 : std::memcmp(a.data(), b, n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == blen) return 0;
  return a.size() < blen ? -1 : 1;
}

}  // namespace

CString::CString(const char* text) {
  if (text != nullptr) m_s.assign(text);
}

CString::CString(const unsigned char* text) : CString(reinterpret_cast<const char*>(text)) {}

CString::CString(const char* text, int length) {
  if (text != nullptr && length > 0) m_s.assign(text, static_cast<std::size_t>(length));
}

CString::CString(char ch, int repeat) {
  if (repeat > 0) m_s.assign(static_cast<std::size_t>(repeat), ch);
}

CString& CString::operator=(const char* text) {
  if (text == nullptr) {
    m_s.clear();
  } else {
    m_s.assign(text);  // assign copes with text pointing into m_s
  }
  return *this;
}

CString& CString::operator=(char ch) {
  m_s.assign(1, ch);
  return *this;
}

char CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return 0;
  return m_s[static_cast<std::size_t>(index)];
}

void CString::SetAt(int index, char ch) {
  if (index < 0 || index >= GetLength()) return;
  m_s[static_cast<std::size_t>(index)] = ch;
}

CString CString::Left(int count) const {
  return CString(m_s.substr(0, static_cast<std::size_t>(Clamp(count, 0, GetLength()))));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  int len = GetLength();
  first = Clamp(first, 0, len);
  count = Clamp(count, 0, len - first);
  return CString(m_s.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Right(int count) const {
  int len = GetLength();
  count = Clamp(count, 0, len);
  return CString(m_s.substr(static_cast<std::size_t>(len - count)));
}

int CString::Find(char ch, int start) const {
  std::size_t i = static_cast<std::size_t>(start < 0 ? 0 : start);
  for (; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (n == 1 && m_s[i] == ch) return static_cast<int>(i);
    i += static_cast<std::size_t>(n);
  }
  return -1;
}

int CString::Find(const char* sub, int start) const {
  if (sub == nullptr) return -1;
  if (start < 0) start = 0;
  if (start > GetLength()) return -1;
  std::size_t sublen = std::strlen(sub);
  if (sublen == 0) return start;
  for (std::size_t i = static_cast<std::size_t>(start); i + sublen <= m_s.size();) {
    if (std::memcmp(m_s.data() + i, sub, sublen) == 0) return static_cast<int>(i);
    i += static_cast<std::size_t>(CharLen(m_s, i));
  }
  return -1;
}

int CString::ReverseFind(char ch) const {
  int found = -1;
  for (std::size_t i = 0; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (n == 1 && m_s[i] == ch) found = static_cast<int>(i);
    i += static_cast<std::size_t>(n);
  }
  return found;
}

int CString::FindOneOf(const char* charSet) const {
  for (std::size_t i = 0; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (InCharSet(charSet, m_s.data() + i, n)) return static_cast<int>(i);
    i += static_cast<std::size_t>(n);
  }
  return -1;
}

int CString::Replace(char oldCh, char newCh) {
  int count = 0;
  for (std::size_t i = 0; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (n == 1 && m_s[i] == oldCh) {
      m_s[i] = newCh;
      ++count;
    }
    i += static_cast<std::size_t>(n);
  }
  return count;
}

int CString::Replace(const char* oldText, const char* newText) {
  if (oldText == nullptr || *oldText == '\0') return 0;
  std::size_t oldLen = std::strlen(oldText);
  // Nothing to replace when the bytes occur nowhere (the usual case).
  if (m_s.find(oldText, 0, oldLen) == std::string::npos) return 0;
  std::string repl = newText != nullptr ? newText : "";  // may point into m_s
  std::string out;
  int count = 0;
  for (std::size_t i = 0; i < m_s.size();) {
    if (i + oldLen <= m_s.size() && std::memcmp(m_s.data() + i, oldText, oldLen) == 0) {
      out += repl;
      i += oldLen;
      ++count;
    } else {
      int n = CharLen(m_s, i);
      out.append(m_s, i, static_cast<std::size_t>(n));
      i += static_cast<std::size_t>(n);
    }
  }
  if (count > 0) m_s.swap(out);
  return count;
}

int CString::Remove(char ch) {
  std::string out;
  out.reserve(m_s.size());
  int count = 0;
  for (std::size_t i = 0; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (n == 1 && m_s[i] == ch) {
      ++count;
    } else {
      out.append(m_s, i, static_cast<std::size_t>(n));
    }
    i += static_cast<std::size_t>(n);
  }
  m_s.swap(out);
  return count;
}

int CString::Insert(int index, char ch) {
  m_s.insert(static_cast<std::size_t>(Clamp(index, 0, GetLength())), 1, ch);
  return GetLength();
}

int CString::Insert(int index, const char* text) {
  if (text != nullptr) {
    std::string t(text);  // text may point into m_s
    m_s.insert(static_cast<std::size_t>(Clamp(index, 0, GetLength())), t);
  }
  return GetLength();
}

int CString::Delete(int index, int count) {
  int len = GetLength();
  index = Clamp(index, 0, len);
  count = Clamp(count, 0, len - index);
  m_s.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
  return GetLength();
}

namespace {

// Trims leading / trailing characters for which keep(ptr, n) is false.
template <class Pred>
void TrimLeftIf(std::string& s, Pred trim) {
  std::size_t i = 0;
  while (i < s.size()) {
    int n = CharLen(s, i);
    if (!trim(s.data() + i, n)) break;
    i += static_cast<std::size_t>(n);
  }
  s.erase(0, i);
}

template <class Pred>
void TrimRightIf(std::string& s, Pred trim) {
  // Scan forward, so characters are seen whole; remember where the run of
  // trimmable characters at the end begins.
  std::size_t keepEnd = 0;
  for (std::size_t i = 0; i < s.size();) {
    int n = CharLen(s, i);
    i += static_cast<std::size_t>(n);
    if (!trim(s.data() + i - n, n)) keepEnd = i;
  }
  s.resize(keepEnd);
}

}  // namespace

void CString::TrimLeft() {
  TrimLeftIf(m_s, [](const char* p, int n) { return n == 1 && IsAsciiSpace(*p); });
}
void CString::TrimLeft(char ch) {
  TrimLeftIf(m_s, [ch](const char* p, int n) { return n == 1 && *p == ch; });
}
void CString::TrimLeft(const char* charSet) {
  TrimLeftIf(m_s, [charSet](const char* p, int n) { return InCharSet(charSet, p, n); });
}
void CString::TrimRight() {
  TrimRightIf(m_s, [](const char* p, int n) { return n == 1 && IsAsciiSpace(*p); });
}
void CString::TrimRight(char ch) {
  TrimRightIf(m_s, [ch](const char* p, int n) { return n == 1 && *p == ch; });
}
void CString::TrimRight(const char* charSet) {
  TrimRightIf(m_s, [charSet](const char* p, int n) { return InCharSet(charSet, p, n); });
}

void CString::MakeUpper() {
  for (std::size_t i = 0; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (n == 1) m_s[i] = UpperAscii(m_s[i]);
    i += static_cast<std::size_t>(n);
  }
}

void CString::MakeLower() {
  for (std::size_t i = 0; i < m_s.size();) {
    int n = CharLen(m_s, i);
    if (n == 1) m_s[i] = LowerAscii(m_s[i]);
    i += static_cast<std::size_t>(n);
  }
}

// Formats into a new string first: the arguments may point into this one.
void CString::FormatV(const char* format, va_list args) {
  std::string result;
  FormatInto(result, format, args);
  m_s.swap(result);
}

void CString::FormatInto(std::string& out, const char* format, va_list args) {
  if (format == nullptr) return;
  char small[256];
  va_list probe;
  va_copy(probe, args);
  int need = std::vsnprintf(small, sizeof small, format, probe);
  va_end(probe);
  if (need < 0) return;
  if (static_cast<std::size_t>(need) < sizeof small) {
    out.assign(small, static_cast<std::size_t>(need));
    return;
  }
  std::vector<char> buf(static_cast<std::size_t>(need) + 1);
  va_list again;
  va_copy(again, args);
  int got = std::vsnprintf(buf.data(), buf.size(), format, again);
  va_end(again);
  if (got < 0) return;
  if (got > need) got = need;  // the arguments cannot change; guard anyway
  out.assign(buf.data(), static_cast<std::size_t>(got));
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::Format(UINT formatId, ...) {
  CString format;
  if (!format.LoadFromTable(formatId)) {
    m_s.clear();
    return;
  }
  va_list args;
  va_start(args, formatId);
  FormatV(format.GetString(), args);
  va_end(args);
}

CString& CString::operator+=(const CString& text) {
  m_s += text.m_s;
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text != nullptr) m_s.append(std::string(text));  // text may point into m_s
  return *this;
}

CString& CString::operator+=(char ch) {
  m_s += ch;
  return *this;
}

int CString::Compare(const char* text) const {
  if (text == nullptr) text = "";
  return CompareBytes(m_s, text, std::strlen(text));
}

int CString::CompareNoCase(const char* text) const {
  if (text == nullptr) text = "";
  std::size_t len = std::strlen(text);
  std::string b = FoldCase(text, len);
  return CompareBytes(FoldCase(m_s.data(), m_s.size()), b.data(), b.size());
}

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_s.resize(static_cast<std::size_t>(minLength));
  return &m_s[0];
}

char* CString::GetBufferSetLength(int length) {
  m_s.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
  return &m_s[0];
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    const void* nul = std::memchr(m_s.data(), 0, m_s.size());
    if (nul != nullptr) m_s.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - m_s.data()));
  } else if (newLength < GetLength()) {
    m_s.resize(static_cast<std::size_t>(newLength));
  }
}

BOOL CString::LoadFromTable(UINT id) {
  std::string text;
  if (!fw::LookupString(id, text)) {
    m_s.clear();
    return FALSE;
  }
  m_s.swap(text);
  return TRUE;
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const CString& a, const char* b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const char* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const CString& a, char b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(char a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
