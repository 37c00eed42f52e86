// The walk and the placing of a listing over an in-memory folder of random
// names (any bytes, 0-300 long), sizes and times, with random filters: no
// crash or overrun, the counts agree with the table, and every record holds
// at most 255 bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"
#include "filelist/flistcore/listbuild.h"
#include "filelist/flistcore/walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  fileops::MemoryFolderHost host;
  host.AddFolder("C:\\root");
  std::string filt[3];
  size_t i = 8;
  for (int k = 0; k < 3; ++k) {
    while (i < size && data[i] != 0 && filt[k].size() < 20) filt[k] += static_cast<char>(data[i++]);
    if (i < size) ++i;
  }
  std::string cur;
  int made = 0;
  for (; i < size && made < 300; ++i) {
    if (data[i] == 0 || cur.size() >= 300) {
      // Names holding a separator would name another folder: keep them as
      // they are but under a sub-folder when "\" occurs.
      std::string name = cur.empty() ? "x" : cur;
      for (char& c : name)
        if (c == '\\' || c == '/') c = '_';
      if (name == "." || name == "..") name += "_";
      const uint64_t sz = static_cast<uint64_t>(cur.size()) << (i % 36);
      const int64_t t = static_cast<int64_t>(i) * 86400 * 97 - 86400;
      if (i % 7 == 0) host.AddFolder("C:\\root\\" + name, (i % 14 == 0) ? fileops::kAttrReparse : 0, t);
      else host.AddFile("C:\\root\\" + name, sz, t);
      if (i % 11 == 0) host.AddFile("C:\\root\\" + name + "\\in" + std::to_string(i), 1, t);
      cur.clear();
      ++made;
      continue;
    }
    cur += static_cast<char>(data[i]);
  }
  flist::WalkState walk;
  flist::WalkRequest r = walk.Request(&host);
  r.showProgress = 1;
  r.walkSubfolders = data[0] & 1;
  r.listFolder = "C:\\root";
  r.displayMode = data[1];
  r.fhold = 10 + data[2] * 4;
  r.checkEscape = [&] { return data[3] == 0x55 ? 1 : 0; };
  flist::ListFilter f[3] = {flist::ParseListFilter(filt[0]), flist::ParseListFilter(filt[1]),
                            flist::ParseListFilter(filt[2])};
  r.conditions = flist::ConditionsFromFilters(f);
  if (!host.SetCurrentDir("C:\\root")) __builtin_trap();
  const int rc = flist::WalkFolder(r);
  if (rc != 0 && rc != -1) __builtin_trap();
  if (walk.count < 2 || walk.count > r.fhold || walk.depth != 0) __builtin_trap();
  flist::EntryTable t;
  if (!t.AllocateEntryBuffers(5 + data[4] * 2)) return 0;
  flist::PlaceRequest pr;
  pr.order.sortMode = data[5] % 11;
  pr.order.displayMode = data[6];
  pr.order.buildWork = data[7] % 7;
  pr.fhold = r.fhold;
  pr.sourceFiles = walk.files;
  pr.sourceBytes = walk.bytes;
  pr.filtersSet = f[0].set || f[1].set || f[2].set;
  pr.filterDescription = flist::DescribeFilters(filt[0], filt[1], filt[2]);
  const flist::PlaceResult res = flist::PlaceListing(walk.work, static_cast<size_t>(walk.count), pr, &t);
  if (t.m_nEntryCount > t.m_nCapacity) __builtin_trap();
  if (res.placedFiles > res.countedFiles && !pr.filtersSet) __builtin_trap();
  for (int e = 0; e <= t.m_nEntryCount; ++e) {
    if (std::strlen(t.m_pNameRecs + static_cast<size_t>(e) * 256) > 255) __builtin_trap();
    if (std::strlen(t.m_pTextRecs2 + static_cast<size_t>(e) * 256) > 255) __builtin_trap();
  }
  return 0;
}
