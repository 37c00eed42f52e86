// CString: the program's byte string. Text is Shift-JIS (code page 932);
// positions and lengths are byte counts. Searches, trimming and case changes
// work on whole characters, so the trail byte of a double-byte character is
// never taken for an ASCII character (0x5C in "表" is no backslash, 0x41 in
// "ア" no 'A'). Start positions passed in are taken as character boundaries.
//
// Bad arguments (negative counts, positions past the end) give the empty or
// clamped result. Embedded NUL bytes are kept wherever a length is explicit
// (CString(p, n), Mid, +=, Format of "%c" with 0); `const char*` arguments end
// at their first NUL.
#pragma once

#include <cstdarg>
#include <string>

#include "fw/types.h"

#if defined(__clang__)
#define FW_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#elif defined(__GNUC__)
#define FW_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define FW_PRINTF(fmt, args)
#endif

class CString {
 public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const char* text);                    // nullptr gives ""
  CString(const unsigned char* text);
  CString(const char* text, int length);        // exactly `length` bytes
  CString(char ch, int repeat = 1);             // repeat <= 0 gives ""
  explicit CString(std::string bytes) : m_s(std::move(bytes)) {}

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* text);
  CString& operator=(char ch);

  int GetLength() const { return static_cast<int>(m_s.size()); }
  BOOL IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }

  // Outside 0..length-1: GetAt gives 0 and SetAt does nothing.
  char GetAt(int index) const;
  void SetAt(int index, char ch);
  char operator[](int index) const { return GetAt(index); }

  operator const char*() const { return m_s.c_str(); }
  const char* GetString() const { return m_s.c_str(); }
  const std::string& Str() const { return m_s; }

  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;

  // Byte position of the match, or -1. A negative start counts as 0.
  int Find(char ch, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(const char* charSet) const;  // charSet: characters, may be double-byte

  // Return the number of replacements / removals.
  int Replace(char oldCh, char newCh);
  int Replace(const char* oldText, const char* newText);
  int Remove(char ch);

  // Return the new length. The index is clamped into 0..length.
  int Insert(int index, char ch);
  int Insert(int index, const char* text);
  int Delete(int index, int count = 1);

  // Without arguments: ASCII white space (space, tab, CR, LF, VT, FF); the
  // double-byte blank 0x81 0x40 is a character and stays. With a set: any
  // character of the set, double-byte ones included.
  void TrimLeft();
  void TrimLeft(char ch);
  void TrimLeft(const char* charSet);
  void TrimRight();
  void TrimRight(char ch);
  void TrimRight(const char* charSet);

  // ASCII letters only; double-byte characters are left whole.
  void MakeUpper();
  void MakeLower();

  // printf formatting of any length. Pass CStrings to "%s" as (LPCTSTR)s or
  // s.GetString(). An invalid format leaves the string empty.
  void Format(const char* format, ...) FW_PRINTF(2, 3);
  void Format(UINT formatId, ...);  // format from the string table
  void FormatV(const char* format, va_list args);

  CString& operator+=(const CString& text);
  CString& operator+=(const char* text);
  CString& operator+=(char ch);

  // Byte comparison (unsigned), <0, 0 or >0. CompareNoCase folds ASCII
  // letters of single-byte characters only.
  int Compare(const char* text) const;
  int CompareNoCase(const char* text) const;

  // Direct buffer access: GetBuffer gives room for at least minLength bytes
  // plus a NUL; ReleaseBuffer(-1) takes the length up to the first NUL.
  char* GetBuffer(int minLength);
  char* GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);

  // Loads string `id` of the string table (fw/strtable.h); FALSE and an
  // empty string when there is none. (Both spellings, as windows.h renames
  // LoadString in code that includes it.)
  BOOL LoadString(UINT id) { return LoadFromTable(id); }
#if defined(_WIN32) && !defined(LoadString)
  BOOL LoadStringA(UINT id) { return LoadFromTable(id); }
#endif
  BOOL LoadFromTable(UINT id);

  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

 private:
  static void FormatInto(std::string& out, const char* format, va_list args);

  std::string m_s;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator>(const CString& a, const CString& b) { return b < a; }
inline bool operator<=(const CString& a, const CString& b) { return !(b < a); }
inline bool operator>=(const CString& a, const CString& b) { return !(a < b); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
inline bool operator<=(const char* a, const CString& b) { return b.Compare(a) >= 0; }
inline bool operator>=(const char* a, const CString& b) { return b.Compare(a) <= 0; }
