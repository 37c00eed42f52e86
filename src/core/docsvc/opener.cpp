#include "core/docsvc/opener.h"

#include <cctype>
#include <cstring>

#include "core/docsvc/pathpart.h"
#include "fw/sjis.h"

namespace docsvc {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// True when `text` holds `word` (lower case ASCII) at `at`, in any case.
bool HasWordAt(const std::string& text, std::size_t at, const char* word) {
  const std::size_t n = std::strlen(word);
  if (at + n > text.size()) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (Lower(text[at + i]) != word[i]) return false;
  return true;
}

const char* const kProgramExtensions[] = {".exe", ".com", ".bat", ".cmd"};

// Length of the unquoted program at the start of `s` (see SplitCommand).
std::size_t UnquotedProgramLength(const std::string& s) {
  // '.' and the ASCII letters after it are never the trail byte of a
  // double-byte character, so a byte-wise look-up cannot match inside one.
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '.') continue;
    for (const char* ext : kProgramExtensions) {
      if (!HasWordAt(s, i, ext)) continue;
      const std::size_t end = i + 4;
      if (end == s.size() || s[end] == ' ' || s[end] == '\t') return end;
    }
  }
  const std::size_t blank = s.find_first_of(" \t");
  return blank == std::string::npos ? s.size() : blank;
}

std::string TrimLeftBlanks(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b);
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// A letter counts as a placeholder only when no name goes on after it, so
// "%SystemRoot%" or "%Data%" stays as written.
bool IsLetterPlaceholder(const std::string& a, std::size_t at, const char* letters) {
  if (a[at] == '\0' || !std::strchr(letters, a[at])) return false;
  return at + 1 >= a.size() || !IsNameChar(a[at + 1]);
}

bool IsDocumentPlaceholder(const std::string& a, std::size_t at) {
  return a[at] == '1' || IsLetterPlaceholder(a, at, "LlVvDd");
}

bool IsDroppedPlaceholder(const std::string& a, std::size_t at) {
  return (a[at] != '\0' && std::strchr("*023456789~", a[at]) != nullptr) || IsLetterPlaceholder(a, at, "IiSsHhWwUu");
}

}  // namespace

CommandParts SplitCommand(const CString& command) {
  const std::string s = TrimLeftBlanks(command.Str());
  CommandParts out;
  if (s.empty()) return out;
  std::size_t rest = 0;
  if (s[0] == '"') {
    const std::size_t close = s.find('"', 1);
    if (close == std::string::npos) {
      out.program = CString(s.substr(1));
      return out;
    }
    out.program = CString(s.substr(1, close - 1));
    rest = close + 1;
  } else {
    const std::size_t n = UnquotedProgramLength(s);
    out.program = CString(s.substr(0, n));
    rest = n;
  }
  out.arguments = CString(TrimLeftBlanks(s.substr(rest)));
  return out;
}

CString QuoteArgument(const CString& text) {
  if (!text.IsEmpty() && text.GetAt(0) == '"') return text;
  return CString("\"") + text + "\"";
}

CString PutDocumentIntoArguments(const CString& arguments, const CString& document) {
  const std::string& a = arguments.Str();
  std::string out;
  bool quoted = false;
  bool placed = false;
  // '%' and '"' are never trail bytes of Shift-JIS, so a byte-wise scan is
  // safe; double-byte characters are copied whole anyway.
  for (std::size_t i = 0; i < a.size();) {
    const char c = a[i];
    if (c == '"') quoted = !quoted;
    if (c == '%' && i + 1 < a.size()) {
      const char k = a[i + 1];
      if (IsDocumentPlaceholder(a, i + 1)) {
        out += quoted ? document.Str() : QuoteArgument(document).Str();
        placed = true;
        i += 2;
        continue;
      }
      if (IsDroppedPlaceholder(a, i + 1)) {
        i += 2;
        continue;
      }
      if (k == '%') {
        out += '%';
        i += 2;
        continue;
      }
    }
    const int n = fw::SjisCharLength(a.data(), static_cast<int>(a.size()), static_cast<int>(i));
    out.append(a, i, static_cast<std::size_t>(n));
    i += static_cast<std::size_t>(n);
  }
  if (!placed) {
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    if (!out.empty()) out += ' ';
    out += QuoteArgument(document).Str();
  }
  return CString(out);
}

bool IsProgramFile(const CString& path) {
  const CString ext = GetPathPart(path, 5);
  if (ext.GetLength() != 3) return false;
  const std::string dotted = "." + ext.Str();
  for (const char* p : kProgramExtensions)
    if (HasWordAt(dotted, 0, p)) return true;
  return false;
}

const char* LaunchVerb(unsigned fshell) { return fshell == 1 ? "runas" : "open"; }

LaunchFailure ShellFailure(long long instance, unsigned long lastError) {
  if (instance > 32) return LaunchFailure::kNone;
  if (lastError == 1223) return LaunchFailure::kCancelled;       // ERROR_CANCELLED
  if (lastError == 1155) return LaunchFailure::kNoAssociation;   // ERROR_NO_ASSOCIATION
  switch (instance) {
    case 0:
    case 8:
      return LaunchFailure::kNoResources;
    case 2:
      return LaunchFailure::kNoFile;
    case 3:
      return LaunchFailure::kPathNotFound;
    case 5:
      return LaunchFailure::kAccessDenied;
    case 11:
      return LaunchFailure::kBadFormat;
    case 27:
    case 31:
      return LaunchFailure::kNoAssociation;
    default:
      return LaunchFailure::kOther;
  }
}

CString CleanLaunchPath(const CString& path) {
  CString p = path;
  p.TrimLeft(" \t");
  p.TrimRight(" \t");
  const int n = p.GetLength();
  if (n >= 2 && p.GetAt(0) == '"' && p.GetAt(n - 1) == '"') p = p.Mid(1, n - 2);
  return p;
}

LaunchPlan PlanLaunch(const CString& path, unsigned fshell, PathKind kind,
                      const std::function<CString(const CString& extension)>& opener) {
  LaunchPlan plan;
  const CString p = CleanLaunchPath(path);
  if (p.IsEmpty() || kind == PathKind::kMissing) {
    plan.failure = LaunchFailure::kNoFile;
    return plan;
  }
  plan.file = p;
  plan.folder = LastBackslash(p) >= 0 ? GetPathPart(p, 3) : CString();
  // A bare root keeps its "\" ("C:\x" has the folder "C:\", not the drive's
  // remembered folder "C:").
  if (plan.folder.GetLength() == 2 && plan.folder.GetAt(1) == ':') plan.folder += "\\";
  if (kind == PathKind::kFolder || fshell != 1) return plan;
  plan.runas = 1;
  if (IsProgramFile(p)) return plan;
  const CString command = opener ? opener(GetPathPart(p, 5)) : CString();
  const CommandParts parts = SplitCommand(command);
  if (parts.program.IsEmpty()) {
    plan.failure = LaunchFailure::kNoAssociation;
    return plan;
  }
  plan.file = parts.program;
  plan.parameters = PutDocumentIntoArguments(parts.arguments, p);
  return plan;
}

}  // namespace docsvc
