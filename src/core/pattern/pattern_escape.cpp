// Escapes of pattern texts and the find dialog's wildcard bytes.
#include <cstring>

#include "core/pattern/pattern.h"
#include "core/pattern/pattern_internal.h"
#include "core/pattern/pattern_sjis.h"

namespace pat {
namespace detail {

const ByteClasses g_byteClasses;

// Characters whose backslash escape makes them literal; the placeholder of
// entry i is kFirstPlaceholder + i.
static const char kEscapedLiterals[] = {'%', '&', '*', '|', ':', '/', '$', '#'};
static_assert(sizeof(kEscapedLiterals) == kPlaceholderCount, "one placeholder per literal");

char PlaceholderFor(char literal) {
  for (int i = 0; i < kPlaceholderCount; ++i)
    if (kEscapedLiterals[i] == literal) return static_cast<char>(kFirstPlaceholder + i);
  return 0;
}

char LiteralOfPlaceholder(char c) {
  int i = static_cast<unsigned char>(c) - kFirstPlaceholder;
  return (i >= 0 && i < kPlaceholderCount) ? kEscapedLiterals[i] : 0;
}

static bool IsAsciiPunct(unsigned char c) {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace detail

using namespace detail;

namespace {

struct ErrorText {
  int code;
  const char* text;
};
const ErrorText kErrorTexts[] = {
    {kErrOutputFull, "pattern output limit reached"},
    {kErrBadArgument, "pattern call with positions or lengths out of range"},
    {kErrTooLarge, "replaced text too large"},
    {kErrNoMemory, "no memory for the replaced text"},
};

}  // namespace

const char* PatternErrorText(int code) {
  for (const ErrorText& e : kErrorTexts)
    if (e.code == code) return e.text;
  return code >= 0 ? "" : "pattern error";
}

int ExpandEscapeSequences(std::string& t, int mode) {
  const bool patternMode = mode == kEscapeRename || mode == kEscapeSearch;
  const size_t n = t.size();
  size_t r = 0, w = 0;  // every escape shrinks or keeps its length: w <= r
  while (r < n) {
    unsigned char c = static_cast<unsigned char>(t[r]);
    if (IsLead(c) && r + 1 < n && IsTrail(static_cast<unsigned char>(t[r + 1]))) {
      t[w++] = t[r++];
      t[w++] = t[r++];
      continue;
    }
    if (c != '\\' || r + 1 >= n) {
      t[w++] = t[r++];
      continue;
    }
    char e = t[r + 1];
    switch (e) {
      case 't':
        t[w++] = '\t';
        r += 2;
        continue;
      case 'n':
        if (mode == kEscapeMessage) t[w++] = '\r';
        t[w++] = '\n';
        r += 2;
        continue;
      case 'r':
        t[w++] = '\r';
        r += 2;
        if (r + 1 < n && t[r] == '\\' && t[r + 1] == 'n') {
          t[w++] = '\n';
          r += 2;
        }
        continue;
      case '\\':
        t[w++] = '\\';
        r += 2;
        continue;
      case 'x': {
        int hi = r + 2 < n ? HexValue(t[r + 2]) : -1;
        int lo = r + 3 < n ? HexValue(t[r + 3]) : -1;
        if (hi < 0 || lo < 0) break;
        int v = hi * 16 + lo;
        if (v == 0) {  // a NUL byte would end C texts: "\x00" stays as written
          for (int k = 0; k < 4; ++k) t[w++] = t[r++];
          continue;
        }
        char byte = static_cast<char>(v);
        char ph = patternMode ? PlaceholderFor(byte) : 0;
        t[w++] = ph ? ph : byte;
        r += 4;
        continue;
      }
      default:
        break;
    }
    if (patternMode) {
      char ph = PlaceholderFor(e);
      if (!ph && e == '<') ph = kCellStart;
      if (!ph && e == '>') ph = kCellEnd;
      if (!ph && IsAsciiPunct(static_cast<unsigned char>(e))) ph = e;
      if (ph) {
        t[w++] = ph;
        r += 2;
        continue;
      }
    }
    t[w++] = t[r++];  // not an escape: the backslash stays
  }
  t.resize(w);
  return static_cast<int>(w);
}

std::string EscapePatternLiteral(std::string_view text) {
  static const char kSpecial[] = "\\%&*|:/$#()";
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsLead(c) && i + 1 < text.size() && IsTrail(static_cast<unsigned char>(text[i + 1]))) {
      out += text[i];
      out += text[++i];
      continue;
    }
    if (c != 0 && std::strchr(kSpecial, c)) out += '\\';
    out += static_cast<char>(c);
  }
  return out;
}

std::string FindTextToDialog(std::string_view stored) {
  std::string out;
  out.reserve(stored.size() + 8);
  for (size_t i = 0; i < stored.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(stored[i]);
    if (IsLead(c) && i + 1 < stored.size() && IsTrail(static_cast<unsigned char>(stored[i + 1]))) {
      out += stored[i];
      out += stored[++i];
      continue;
    }
    if (c == kOneChar) {
      out += '%';
    } else if (c == kAnyRun) {
      out += '&';
    } else {
      if (c == '%' || c == '&' || c == '\\') out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string DialogToFindText(std::string_view typed) {
  std::string out;
  out.reserve(typed.size());
  for (size_t i = 0; i < typed.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(typed[i]);
    if (IsLead(c) && i + 1 < typed.size() && IsTrail(static_cast<unsigned char>(typed[i + 1]))) {
      out += typed[i];
      out += typed[++i];
      continue;
    }
    if (c == '\\' && i + 1 < typed.size() &&
        (typed[i + 1] == '%' || typed[i + 1] == '&' || typed[i + 1] == '\\')) {
      out += typed[++i];
    } else if (c == '%') {
      out += kOneChar;
    } else if (c == '&') {
      out += kAnyRun;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace pat
