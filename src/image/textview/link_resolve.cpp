#include "image/textview/link_resolve.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>

#include "fw/cstring.h"

namespace image::textview {
namespace {

// History entries of in-text positions carry the position plus this offset.
constexpr std::int64_t kTextPositionOffset = 1000000;
constexpr char kTextPositionPrefix[] = "adrs://";

// Minimum title length before any browser name is looked for, then the
// names a browser's title holds and the length each needs.
constexpr int kMinBrowserTitle = 13;
struct BrowserName {
  const char* name;
  int minLength;
};
constexpr BrowserName kBrowserNames[] = {
    {"Edge", 19},
    {"Internet Explorer", 22},
    {"Google Chrome", 18},
};

// Escapes decoded in the address a redirecting address carries, in order.
struct Escape {
  const char* coded;
  const char* plain;
};
constexpr Escape kRedirectEscapes[] = {
    {"%2F", "/"},
    {"%3F", "?"},
    {"%3D", "="},
    {"%26", "&"},
};
constexpr char kRedirectKey[] = "Redirect=";
constexpr int kRedirectMinWord = 11;  // longer than 10 bytes

// "http://" found this far into a word cuts off what comes before it.
constexpr int kHttpCutFirst = 1;
constexpr int kHttpCutLast = 14;

// Position from which the base's separators count as part of its path.
constexpr int kAddressPathFrom = 8;

// Media lists are shown by the program's own views.
constexpr const char* kViewShownTypes[] = {".m3u", ".asx"};

bool StartsWith(const CString& s, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return s.Str().size() >= n && s.Str().compare(0, n, prefix) == 0;
}

bool StartsWith(const std::string& s, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  return s.size() >= n && s.compare(0, n, prefix) == 0;
}

// True when the last character (not a trail byte) is `ch`.
bool EndsWithChar(const CString& s, char ch) {
  return !s.IsEmpty() && s.ReverseFind(ch) == s.GetLength() - 1;
}

const std::string& SidePath(const LinkContext& ctx) { return ctx.activeSide == 1 ? ctx.path1 : ctx.path2; }

// Link mode 99: the newest visited address that is not an in-text position
// (the oldest entry when all are), reduced to its folder with a closing "/".
CString AddressBase(const CString& word, const LinkContext& ctx, ResolvedLink& out) {
  CString base;
  if (ctx.history.empty()) {
    out.firstHistoryEntry = "%0" + SidePath(ctx);
    out.changeDirToC = true;
    base = word;
  } else {
    std::size_t i = ctx.history.size() - 1;
    while (i > 0 && StartsWith(ctx.history[i], kTextPositionPrefix)) --i;
    base = CString(ctx.history[i]);
  }
  const int slash = base.ReverseFind('/');
  if (slash > 7 && slash < base.ReverseFind('.')) base = base.Left(slash);
  if (!EndsWithChar(base, '/')) base += '/';
  return base;
}

// Otherwise: the folder of the shown file; a shown rich text resolves
// against the active side's path instead.
CString FolderBase(const LinkContext& ctx) {
  CString base(ctx.viewPath);
  if (base.GetLength() >= 4 && base.Right(4) == ".rtf") {
    base = CString(SidePath(ctx));
    const int dot = base.ReverseFind('.');
    if (dot < 0 || dot < base.ReverseFind('\\')) base += '\\';
  }
  if (EndsWithChar(base, '\\')) base = base.Left(base.GetLength() - 1);
  const int cut = base.ReverseFind('\\');
  if (cut > 1) base = base.Left(cut);
  if (!base.IsEmpty() && !EndsWithChar(base, '\\')) base += '\\';
  return base;
}

struct Resolver {
  Resolver(const LinkContext& c, const std::string& w) : ctx(c), word(w) {}

  const LinkContext& ctx;
  CString word;
  CString base;
  bool baseIsAddress = false;
  int type = kLinkUnresolved;

  char Separator() const { return baseIsAddress ? '/' : '\\'; }

  // A page shown from the scratch folder resolves against the address it
  // came from.
  bool TakeScratchBase() {
    if (base != CString(ctx.programDir + "\\TMP\\")) return false;
    if (!ctx.history.empty()) base = CString(ctx.history.back());
    type = kLinkAddress;
    return true;
  }

  void ParentRelative() {
    base = base.Left(base.GetLength() - 1);
    const char sep = Separator();
    while (StartsWith(word, "../") || StartsWith(word, "..\\")) {
      word = word.Mid(3);
      const int cut = base.ReverseFind(sep);
      if (cut <= 1) break;
      if (cut >= kAddressPathFrom || (!StartsWith(base, "http") && cut >= 2)) base = base.Left(cut);
    }
    word = base + sep + word;
  }

  void RootRelative() {
    if (!TakeScratchBase()) {
      const int cut = base.Find(Separator(), kAddressPathFrom);
      if (cut >= 0) base = base.Left(cut);
    }
    word = StartsWith(base, "\\\\") ? "\\" + word : base + word;
  }

  void Plain() {
    const int dot = word.Find('.');
    const int slash = word.Find('/');
    if (dot - slash > 1) {
      word = base + word;
    } else if (word.Find('/', 1) < 0) {
      type = kLinkSearch;
    } else {
      TakeScratchBase();
      word = base + word;
    }
  }

  void ByPrefix() {
    if (StartsWith(word, "http") || StartsWith(word, "ftp:")) {
      type = kLinkAddress;
    } else if (StartsWith(word, "www.")) {
      word = "http://" + word;
      type = kLinkAddress;
    } else if (StartsWith(word, "file:")) {
      type = kLinkAddress;
      if (baseIsAddress) {
        word = word.Mid(7);
        type = kLinkPath;
      }
    } else if (word.GetAt(1) == ':' && (word.GetAt(2) == '/' || word.GetAt(2) == '\\')) {
      baseIsAddress = false;
    } else if (StartsWith(word, "../") || StartsWith(word, "..\\")) {
      ParentRelative();
    } else if (StartsWith(word, "./") || StartsWith(word, ".\\")) {
      word = base + word.Mid(2);
    } else if (StartsWith(word, "/") || StartsWith(word, "\\")) {
      RootRelative();
    } else {
      Plain();
    }
  }

  void Finish() {
    if (type != kLinkUnresolved) return;
    if (StartsWith(word, "http")) {
      type = kLinkAddress;
    } else if (!baseIsAddress) {
      word.Replace('\\', '/');
      word = "file://" + word;
      type = kLinkFile;
    } else {
      type = kLinkRelative;
    }
  }
};

}  // namespace

ResolvedLink ResolveLinkWord(const std::string& word, const LinkContext& ctx) {
  ResolvedLink out;
  out.searchText = word;
  Resolver r(ctx, word);
  r.word.Replace("https", "http");

  if (ctx.linkMode == 99) {
    r.base = AddressBase(r.word, ctx, out);
    r.baseIsAddress = true;
  } else {
    r.base = FolderBase(ctx);
    r.baseIsAddress = false;
  }

  if (r.word.GetLength() >= kRedirectMinWord) {
    const int at = r.word.Find(kRedirectKey, 1);
    if (at >= 1) {
      r.word = r.word.Mid(at + static_cast<int>(std::strlen(kRedirectKey)));
      for (const Escape& e : kRedirectEscapes) r.word.Replace(e.coded, e.plain);
    }
  }

  r.type = kLinkUnresolved;
  if (r.word.GetLength() >= 2 && r.word.GetAt(0) == '%') {
    r.word = r.word.Mid(1);
    r.type = kLinkFolder;
  }

  const int http = r.word.Find("http://");
  if (http >= kHttpCutFirst && http <= kHttpCutLast) r.word = r.word.Mid(http);

  if (r.word.GetLength() >= 2 && r.word.GetAt(0) == '#') {
    if (!out.searchText.empty()) {
      out.searchText.front() = '<';
      out.searchText.back() = '>';
    }
    r.type = kLinkSearch;
  } else if (r.word.GetLength() < 4) {
    r.type = kLinkSearch;
  } else {
    r.ByPrefix();
    r.Finish();
  }

  out.word = r.word.Str();
  out.linkType = r.type;
  out.base = r.base.Str();
  out.baseIsAddress = r.baseIsAddress;
  return out;
}

std::string TextPositionEntry(std::int64_t pos) {
  const std::int64_t limit = std::numeric_limits<std::int64_t>::max() - kTextPositionOffset;
  const std::int64_t value = pos > limit ? std::numeric_limits<std::int64_t>::max() : pos + kTextPositionOffset;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%6" PRId64, kTextPositionPrefix, value);
  return buf;
}

bool ShowAddressInViews(const std::string& word, int linkMode, char mark) {
  if (mark == '*') return false;
  if (linkMode != 0 || mark == '#') return true;
  const CString w(word);
  for (const char* ext : kViewShownTypes) {
    if (w.Find(ext, 1) >= 1) return true;
  }
  return false;
}

bool IsBrowserTitle(const std::string& title) {
  if (title.size() < static_cast<std::size_t>(kMinBrowserTitle)) return false;
  const CString t(title);
  for (const BrowserName& b : kBrowserNames) {
    if (t.GetLength() >= b.minLength && t.Find(b.name) >= 0) return true;
  }
  return false;
}

}  // namespace image::textview
