#include "filelist/flistcore/listbuild.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "fw/path.h"

namespace flist {

namespace {

void ClearEntry(EntryTable* t, int i) {
  const std::size_t o = static_cast<std::size_t>(i) * kRecordBytes;
  t->m_pNameRecs[o] = 0;
  t->m_pTextRecs2[o] = 0;
  t->m_pTextRecs3[o] = 0;
  t->m_pEntryVal1[i] = 0xFFFFFFFFu;
  t->m_pEntryVal3[i] = 0xFFFFFFFFu;
  t->m_pSizeHigh[i] = 0;
}

}  // namespace

std::int32_t SummarySizeValue(std::uint64_t bytes) {
  const std::uint64_t kb = bytes / 1024 + (bytes % 1024 ? 1 : 0);
  std::uint64_t m = kb / 1024;
  const std::uint64_t k = kb % 1024;
  const std::uint64_t maxM = (0x7FFFFFFFull - 10 - 1023) / 10000;
  if (m > maxM) m = maxM;
  return -static_cast<std::int32_t>(10 + 10000 * m + k);
}

PlaceResult PlaceListing(const std::vector<WorkEntry>& work, std::size_t n, const PlaceRequest& req, EntryTable* t) {
  PlaceResult res;
  if (n > work.size()) n = work.size();
  const int cap = t->m_nCapacity;
  const int count = static_cast<int>(std::min<std::size_t>(n, static_cast<std::size_t>(cap)));
  t->m_nEntryCount = count;
  // 21. Every record up to the capacity starts blank.
  for (int i = 0; i < cap; ++i) ClearEntry(t, i);
  const std::size_t ordered = std::min<std::size_t>(n, static_cast<std::size_t>(std::max(req.fhold, 0)));
  const Placing p = PlaceEntries(work, ordered, req.order);
  const int limit = count - 1;  // view entries 0..count-2 are placed
  int v = 0;
  // ".." first.
  if (v < limit) {
    StoreNameRecord(t->m_pNameRecs, 0, "..");
    t->m_pEntryVal1[0] = 0xFFFFFFFFu;
    t->m_pEntryVal3[0] = work.size() > 1 ? work[1].time : 0;
    ++v;
  }
  const auto placeFolders = [&] {
    for (std::uint32_t pos : p.folders) {
      if (v >= limit) break;
      const WorkEntry& e = work[pos];
      StoreNameRecord(t->m_pNameRecs, v, e.name);
      const bool dotted = e.name.empty() || e.name[0] == '.';
      t->m_pEntryVal1[v] = static_cast<std::uint32_t>(dotted ? kSizeNone : kSizeFolder);
      t->m_pSizeHigh[v] = 0;
      t->m_pEntryVal3[v] = req.order.networkList ? 0xFFFFFFFFu : e.time;
      ++v;
    }
  };
  const auto placeFiles = [&] {
    for (std::uint32_t pos : p.files) {
      if (v >= limit) break;
      const WorkEntry& e = work[pos];
      StoreNameRecord(t->m_pNameRecs, v, e.name);
      StoreNameRecord(t->m_pTextRecs2, v, e.folder);
      StoreNameRecord(t->m_pTextRecs3, v, e.ext);
      t->m_pEntryVal2[v] = e.attributes;
      t->m_pEntryVal1[v] = static_cast<std::uint32_t>(e.size);
      t->m_pSizeHigh[v] = e.sizeHigh;
      t->m_pEntryVal3[v] = e.time;
      if (e.sizeHigh & kSizeHighFile) {
        ++res.placedFiles;
        res.placedBytes += e.WholeSize();
      }
      ++v;
    }
  };
  if (p.foldersAfterFiles) {
    placeFiles();
    placeFolders();
  } else {
    placeFolders();
    placeFiles();
  }
  // 25-26. Counts and the summary entry.
  res.countedFiles = req.filtersSet ? res.placedFiles : req.sourceFiles;
  res.countedBytes = req.filtersSet ? res.placedBytes : req.sourceBytes;
  char buf[48];
  if (res.placedFiles < res.countedFiles)
    std::snprintf(buf, sizeof buf, "%3d/%3d", res.placedFiles, res.countedFiles);
  else
    std::snprintf(buf, sizeof buf, "%3d", res.countedFiles);
  res.countText = buf;
  const int s = count;
  if (s >= 0) {
    ClearEntry(t, s);
    t->m_pEntryVal1[s] = static_cast<std::uint32_t>(SummarySizeValue(res.countedBytes));
    t->m_pEntryVal2[s] = 0;
    StoreNameRecord(t->m_pTextRecs3, s, res.countText);
    StoreNameRecord(t->m_pNameRecs, s, req.filtersSet ? req.filterDescription : std::string());
  }
  return res;
}

bool AsciiNameEquals(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

int CursorByName(const EntryTable& t, const std::string& name, const NameEquals& eq) {
  int found = 0;
  for (int i = 1; i < t.m_nEntryCount; ++i)
    if (eq(GetNameRecord(t.m_pNameRecs, i), name)) found = i;
  return found;
}

void HeaderTexts(unsigned m, HeaderText out[5]) {
  out[0] = HeaderText{m == 5 ? 108 : m == 6 ? 109 : 105, "", ""};
  out[4] = HeaderText{m == 9 ? 360 : m == 10 ? 359 : 358, "", ""};
  out[2] = m == 7 ? HeaderText{200, "", ""} : m == 8 ? HeaderText{201, "", ""} : HeaderText{154, "", " e"};
  out[3] = HeaderText{m == 1 ? 110 : m == 2 ? 111 : 106, "", ""};
  out[1] = m == 3 ? HeaderText{0, " new", ""} : m == 4 ? HeaderText{0, " old", ""} : HeaderText{107, "", ""};
}

std::string LastComponent(const std::string& path) {
  const int s = fw::LastPathSeparator(path.c_str(), static_cast<int>(path.size()));
  return s < 0 ? path : path.substr(static_cast<std::size_t>(s) + 1);
}

std::string ListTitle(const std::string& curDir, const std::string& prevDir, const std::string& activePath) {
  std::string t = curDir.size() > prevDir.size() ? curDir : prevDir;
  const int slash = fw::LastPathSeparator(t.c_str(), static_cast<int>(t.size()));
  const std::size_t dot = t.rfind('.');
  const bool noDot = dot == std::string::npos;
  if ((slash >= 0 && noDot) || (!noDot && slash >= 0 && static_cast<int>(dot) < slash)) t = activePath;
  return t;
}

int ScrollMaxFor(int entryCount, int capacity) {
  int m = entryCount;
  if (m > capacity) m = capacity;
  if (m < 10) m = 10;
  return m;
}

FolderChoice FolderFromPath(const std::string& curDir, const std::string& startPath, const std::string& prevDir,
                            const std::string& cursorName, int relist, int relist2, int buildCount, int listHold) {
  FolderChoice c{curDir, cursorName, false};
  std::string s = startPath;
  if (relist == 1 && s.size() > 2 && s.compare(0, 2, "\\\\") == 0) s = s.substr(2);
  if (curDir == s && listHold == 0) {
    c.cursorName = "..";
    c.cursorChanged = true;
    return c;
  }
  const int slash = fw::LastPathSeparator(startPath.c_str(), static_cast<int>(startPath.size()));
  if ((relist2 == 0 || buildCount == 1) && slash >= 1 && slash <= 255) {
    c.curDir = startPath.substr(0, static_cast<std::size_t>(slash));
  } else if (relist == 1) {
    c.cursorName = LastComponent(prevDir);
    c.cursorChanged = true;
  }
  return c;
}

}  // namespace flist

namespace flist {

bool KeepsExitFolder(const std::string& dir, const std::string ftp[3]) {
  if (dir.size() < 2) return false;
  if (dir.compare(0, 2, "NW") == 0) return false;
  for (int i = 0; i < 3; ++i)
    if (ftp[i].size() >= 24 && ftp[i].compare(0, 2, dir, 0, 2) == 0) return false;
  if (dir.compare(0, 2, "\\\\") == 0) return true;
  const char c = dir[0];
  return dir[1] == ':' && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

}  // namespace flist
