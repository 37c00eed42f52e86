#include "archive/arc_walk.h"

#include <cctype>

#include "archive/arc_path.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

namespace arc {
namespace {

bool HasWildcard(const std::string& s) {
  int cut = fw::LastPathSeparator(s.c_str(), static_cast<int>(s.size()));
  return s.find_first_of("*?", static_cast<size_t>(cut + 1)) != std::string::npos;
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x == '/') x = '\\';
    if (y == '/') y = '\\';
#ifdef _WIN32
    x = static_cast<char>(std::tolower(static_cast<unsigned char>(x)));
    y = static_cast<char>(std::tolower(static_cast<unsigned char>(y)));
#endif
    if (x != y) return false;
  }
  return true;
}

void Walk(const std::string& name, const std::string& path, int depth, const WalkOptions& opt,
          std::vector<WalkEntry>& out) {
  FileStatRecord st = FillFileStat(path);
  if (st.size == -1) return;
  if (st.size != -2) {
    if (!opt.exclude.empty() && SamePath(fw::FullPath(path), opt.exclude)) return;
    out.push_back(WalkEntry{name, path, false, st});
    return;
  }
  std::string form = PathForm(name);
  std::string pathForm = PathForm(path);
  if (!opt.recurse && depth > 0) return;
  std::vector<FolderItem> items = ListFolder(path);
  if (items.empty()) {
    // The folder's own name as received, with '/' appended.
    std::string own = name;
    if (own.empty() || !(own.back() == '/' && !LeadByteMask(own).back())) own += '/';
    out.push_back(WalkEntry{own, path, true, st});
    return;
  }
  if (depth >= opt.maxDepth) return;
  for (const FolderItem& it : items) {
    if ((it.attr & 0x410) == 0x410) continue;  // a linked folder: never descended into
    Walk(form + it.name, pathForm + it.name, depth + 1, opt, out);
  }
}

}  // namespace

FileStatRecord FillFileStat(const std::string& path) {
  FileStatRecord r;
  CFileStatus st;
  if (path.empty() || !CFile::GetStatus(path.c_str(), st)) return r;
  r.attr = st.m_attribute;
  if (st.m_attribute & CFile::directory) {
    r.size = -2;
  } else {
    r.size = static_cast<int64_t>(st.m_size);
  }
  r.time = LocalDateTime(static_cast<std::time_t>(st.m_mtime.GetTime()));
  return r;
}

bool MakeFolders(const std::string& path) {
  std::string p = path;
  while (!p.empty() && (p.back() == '\\' || p.back() == '/')) {
    std::vector<char> mask = LeadByteMask(p);
    if (mask.back()) break;
    p.pop_back();
  }
  if (p.empty()) return false;
  if (FillFileStat(p).size == -2) return true;
  std::string parent = fw::FolderOfPath(p);
  if (!parent.empty() && parent != p && FillFileStat(parent).size != -2 && !MakeFolders(parent)) return false;
  fw::MakeDir(p.c_str());
  return FillFileStat(p).size == -2;
}

std::vector<FolderItem> ListFolder(const std::string& folder) {
  std::vector<FolderItem> out;
  std::string f = folder;
  if (f.empty()) return out;
  if (!((f.back() == '/' || f.back() == '\\') && !LeadByteMask(f).back())) f += '\\';
  CFileFind ff;
  BOOL more = ff.FindFile((f + "*").c_str());
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    out.push_back(FolderItem{ff.GetFileName().Str(), static_cast<int>(ff.GetAttributes())});
  }
  ff.Close();
  return out;
}

void WalkItem(const std::string& item, const WalkOptions& opt, std::vector<WalkEntry>& out) {
  if (!HasWildcard(item)) {
    Walk(item, item, 0, opt, out);
    return;
  }
  int cut = fw::LastPathSeparator(item.c_str(), static_cast<int>(item.size()));
  std::string prefix = item.substr(0, static_cast<size_t>(cut + 1));
  CFileFind ff;
  BOOL more = ff.FindFile(item.c_str());
  std::vector<FolderItem> items;
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    items.push_back(FolderItem{ff.GetFileName().Str(), static_cast<int>(ff.GetAttributes())});
  }
  ff.Close();
  for (const FolderItem& it : items) {
    if ((it.attr & 0x410) == 0x410) continue;
    Walk(prefix + it.name, prefix + it.name, 0, opt, out);
  }
}

}  // namespace arc
