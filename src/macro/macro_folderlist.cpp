#include "macro/macro_folderlist.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "fw/datetime.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace macro {

namespace {

constexpr char kSep = 0x06;
constexpr DWORD kReparsePoint = 0x400;
// Sub-folders deeper than this are not entered (a guard against folders
// that contain themselves through links).
constexpr int kMaxListDepth = 64;

struct Listing {
  char* out;
  int limit;
  int* pos;
  int mode;
  bool full = false;

  // Writes `row` when it and the two closing NUL bytes fit below the limit.
  bool Put(const std::string& row) {
    const long long room = static_cast<long long>(limit) - *pos;
    if (full || room < static_cast<long long>(row.size()) + 2) {
      full = true;
      return false;
    }
    std::memcpy(out + *pos, row.data(), row.size());
    *pos += static_cast<int>(row.size());
    return true;
  }
};

bool IsDots(const CString& name) { return name == CString(".") || name == CString(".."); }

std::string Extension(const std::string& name) {
  if (name.size() <= 1) return std::string();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string DateText(const CFileFind& ff) {
  CTime t;
  if (!ff.GetLastWriteTime(t)) return std::string();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%4d%02d%02d%02d%02d%02d", t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(),
                t.GetMinute(), t.GetSecond());
  return buf;
}

// True when `path` names an existing folder.
bool FolderExists(const std::string& path) {
  CFileFind ff;
  if (!ff.FindFile(path.c_str())) return false;
  ff.FindNextFile();
  return ff.IsDirectory() != FALSE;
}

// One folder: `path` is where it is, `shown` the argument the rows carry.
int ListOne(Listing& l, const std::string& path, const CString& shown, int depth) {
  CFileFind ff;
  const std::string pattern = path + (path.empty() || path.back() == '\\' || path.back() == '/' ? "" : "\\") + "*.*";
  if (!ff.FindFile(pattern.c_str())) return FolderExists(path) ? -1 : -2;
  if (*l.pos == 0) {
    std::string header = std::string("name") + kSep + "ext" + kSep + "vol" + kSep + "date";
    if (l.mode > 1) header += std::string(1, kSep) + "dir";
    if (!l.Put(header)) return 0;
  }
  int count = 0;
  bool more = TRUE;
  while (more && !l.full) {
    more = ff.FindNextFile();
    const CString name = ff.GetFileName();
    if (IsDots(name)) continue;
    const bool folder = ff.IsDirectory() != FALSE;
    if (!folder || l.mode == 0 || l.mode == 2) {
      std::string row = "\r\n";
      row += name.Str();
      row += kSep;
      row += Extension(name.Str());
      row += kSep;
      row += folder ? std::string("+") : std::to_string(static_cast<unsigned long long>(ff.GetLength()));
      row += kSep;
      row += DateText(ff);
      if (l.mode > 1) {
        row += kSep;
        row += shown.Str();
      }
      if (!l.Put(row)) break;
      ++count;
    }
    if (l.mode > 1 && folder && !(ff.GetAttributes() & kReparsePoint) && depth < kMaxListDepth) {
      const std::string sub = pattern.substr(0, pattern.size() - 3) + name.Str();
      const int n = ListOne(l, sub, shown + "\\" + name, depth + 1);
      if (n > 0) count += n;
    }
  }
  return count;
}

}  // namespace

int ListFolderForMacro(const CString& folder, char* out, int* limit, int* pos, int mode) {
  if (out == nullptr || limit == nullptr || pos == nullptr || *pos < 0) return -2;
  const std::string path = fw::FullPath(folder.IsEmpty() ? std::string(".") : folder.Str());
  Listing l{out, *limit, pos, mode};
  const int count = ListOne(l, path, folder, 0);
  // The closing NUL bytes, where they fit (a row is written only with room
  // for them).
  if (count >= 0 && static_cast<long long>(*limit) - *pos >= 2) {
    out[*pos] = '\0';
    out[*pos + 1] = '\0';
  }
  return count;
}

}  // namespace macro
