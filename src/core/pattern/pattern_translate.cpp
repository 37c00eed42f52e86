// TranslateSearchPattern: user rule (after ExpandEscapeSequences) to the
// internal search and replacement texts and the flags.
#include "core/pattern/pattern.h"
#include "core/pattern/pattern_internal.h"
#include "core/pattern/pattern_sjis.h"

namespace pat {

using namespace detail;

namespace {

struct Prefix {
  const char* text;
  unsigned flag;
};
// Prefixes at the start of the search text, each taken once, in any order.
const Prefix kPrefixes[] = {
    {"0:", 0},
    {"1:", kFlagWholeText},
    {"nc:", kFlagIgnoreCase},
};
constexpr int kPrefixCount = sizeof(kPrefixes) / sizeof(kPrefixes[0]);

bool StartsWith(std::string_view s, const char* p) {
  std::string_view ps(p);
  return s.size() >= ps.size() && s.compare(0, ps.size(), ps) == 0;
}

// A byte of a $N function name: ASCII letters, digits, '_', half-width kana
// and double-byte characters.
bool IsNameByte(unsigned char c) {
  return IsAsciiWordChar(c) || (c >= 0xA1 && c <= 0xDF) || IsLead(c);
}

void TranslateSearch(std::string_view s, char anyRun, std::string* out, unsigned* flags) {
  out->clear();
  out->reserve(s.size());
  const size_t n = s.size();
  bool startAnchor = false, endAnchor = false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLead(c) && i + 1 < n && IsTrail(static_cast<unsigned char>(s[i + 1]))) {
      *out += s[i];
      *out += s[++i];
      continue;
    }
    if (c == '|' && i == 0) {
      *out += kAnchorStart;
      startAnchor = true;
    } else if (c == '|' && i + 1 == n) {
      *out += kAnchorEnd;
      endAnchor = true;
    } else if (c == '%') {
      *out += kOneChar;
    } else if (anyRun != 0 && c == static_cast<unsigned char>(anyRun)) {
      *out += kAnyRun;
    } else if (char lit = LiteralOfPlaceholder(static_cast<char>(c))) {
      *out += lit;
    } else {
      *out += static_cast<char>(c);
    }
  }
  if (startAnchor && endAnchor) *flags |= kFlagWholeText;
}

void TranslateReplacement(std::string_view r, std::string* out) {
  out->clear();
  if (r == "NULL") return;
  out->reserve(r.size());
  const size_t n = r.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(r[i]);
    if (IsLead(c) && i + 1 < n && IsTrail(static_cast<unsigned char>(r[i + 1]))) {
      *out += r[i];
      *out += r[++i];
      continue;
    }
    if (c == '$' && i + 1 < n && r[i + 1] == 'P') {
      *out += kMatchedText;
      ++i;
      continue;
    }
    if (c == '$' && i + 1 < n && r[i + 1] == 'N') {
      size_t j = i + 2;
      while (j < n && IsNameByte(static_cast<unsigned char>(r[j]))) {
        if (IsLead(static_cast<unsigned char>(r[j])) && j + 1 < n &&
            IsTrail(static_cast<unsigned char>(r[j + 1])))
          ++j;
        ++j;
      }
      if (j > i + 2) {
        *out += kFunctionMark;
        out->append(r.substr(i + 2, j - (i + 2)));
        *out += kFunctionMark;
        i = j - 1;
        continue;
      }
    }
    if (char lit = LiteralOfPlaceholder(static_cast<char>(c))) {
      *out += lit;
    } else if (c == static_cast<unsigned char>(kCellStart)) {
      *out += '<';
    } else if (c == static_cast<unsigned char>(kCellEnd)) {
      *out += '>';
    } else {
      *out += static_cast<char>(c);
    }
  }
}

}  // namespace

unsigned TranslateSearchPattern(std::string_view rule, std::string* search,
                                std::string* replacement, char anyRun) {
  unsigned flags = 0;
  size_t sep = rule.find(kRuleSep);
  std::string_view s = rule.substr(0, sep);
  std::string_view r;
  if (sep != std::string_view::npos) {
    flags |= kFlagHasReplacement;
    r = rule.substr(sep + 1);
  }
  if (!s.empty() && s[0] == ':') s.remove_prefix(1);
  bool taken[kPrefixCount] = {};
  for (bool again = true; again;) {
    again = false;
    for (int k = 0; k < kPrefixCount; ++k) {
      if (!taken[k] && StartsWith(s, kPrefixes[k].text)) {
        taken[k] = again = true;
        flags |= kPrefixes[k].flag;
        s.remove_prefix(std::string_view(kPrefixes[k].text).size());
      }
    }
  }
  if (anyRun == '%' || anyRun == '|') anyRun = 0;  // '%' and '|' keep their own meaning
  std::string tmp;
  TranslateSearch(s, anyRun, search ? search : &tmp, &flags);
  TranslateReplacement(r, replacement ? replacement : &tmp);
  return flags;
}

}  // namespace pat
