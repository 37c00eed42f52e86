// CString entries of the pattern engine, as the document and view members
// call them (the engine itself works on std::string).
#pragma once

#include <utility>

#include "fw/cstring.h"
#include "core/pattern/pattern.h"

namespace pat {

inline int ExpandEscapeSequences(CString& text, int mode) {
  std::string s = text.Str();
  int n = ExpandEscapeSequences(s, mode);
  text = CString(std::move(s));
  return n;
}

inline unsigned TranslateSearchPattern(const CString& rule, CString* search, CString* replacement,
                                       char anyRun) {
  std::string s, r;
  unsigned flags = TranslateSearchPattern(rule.Str(), &s, &r, anyRun);
  if (search) *search = CString(std::move(s));
  if (replacement) *replacement = CString(std::move(r));
  return flags;
}

inline int FindCharOutsideBrackets(const CString& text, char ch, int start) {
  return FindCharOutsideBrackets(std::string_view(text.Str()), ch, start);
}

inline int ReverseFindUnescaped(const CString& text, char separator) {
  return ReverseFindUnescaped(std::string_view(text.Str()), separator);
}

// Plain C texts would fit both forms above; they go to the byte-string form.
inline int FindCharOutsideBrackets(const char* text, char ch, int start) {
  return FindCharOutsideBrackets(std::string_view(text ? text : ""), ch, start);
}
inline int ReverseFindUnescaped(const char* text, char separator) {
  return ReverseFindUnescaped(std::string_view(text ? text : ""), separator);
}

// Splits `command` in place: the pattern part stays in it.
inline bool SplitSearchPattern(CString* command, SearchAddress* address) {
  std::string pattern;
  bool found = SplitSearchPattern(command->Str(), address, &pattern);
  *command = CString(std::move(pattern));
  return found;
}

}  // namespace pat
