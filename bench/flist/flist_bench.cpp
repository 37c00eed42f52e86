// The whole work of one listing as the pane does it, without the window:
// enter the folder, walk it (names, sizes, times, attributes), order by
// name (mode 5, folders first) and place into the pane's table. Prints the
// files counted, so a run can be checked against `ls -f | wc -l`.
//
//   bench_flist DIR                        one listing, prints the count
//   bench_flist -make N DIR                writes N empty files into DIR
//   bench_flist -dump MODE DISPLAY CAP [SUB] DIR  one listing in sort mode
//       MODE, display mode DISPLAY, a table of CAP entries, sub-folders
//       walked when SUB is 1; prints every entry
//   bench_flist [-runs N] [-wine "CMD"] [DIR]
//       paired runs (natively): this program on DIR (or CMD with DIR's
//       Windows path, e.g. "scripts/wine-run .../bench_flist.exe") against
//       `sh -c 'ls -f DIR | wc -l'`, counts checked every run; then
//       `ls -l DIR | wc -l` and the peak memory. Without DIR the folder is
//       /tmp/tabrye_flist_bench, made with 100,000 files when missing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/fileops/folderhost.h"
#include "filelist/flistcore/listbuild.h"
#include "filelist/flistcore/walk.h"
#include "fw/file.h"
#include "fw/path.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

#include "../bench_util.h"
#endif

namespace {

int MakeFolder(int n, const char* dir) {
  fw::MakeDir(dir);
  for (int i = 0; i < n; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "\\file%07d.dat", i);
    CFile f((std::string(dir) + name).c_str(), CFile::modeCreate | CFile::modeWrite);
  }
  return 0;
}

// One listing; prints the count, or with `dump` every entry of the table
// (to compare two builds' tables).
int ListOnce(const char* dir, unsigned sortMode = 5, unsigned displayMode = 0, int capacity = flist::kStartCapacity,
             bool dump = false, int subfolders = 0) {
  const int fhold = 200000;
  fileops::LocalFolderHost host;
  if (fileops::ChangeDirectory(host, dir, 0, 0) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", dir);
    return 1;
  }
  flist::WalkState walk;
  flist::WalkRequest r = walk.Request(&host);
  r.listFolder = dir;
  r.fhold = fhold;
  r.walkSubfolders = subfolders;
  r.displayMode = displayMode;
  if (flist::WalkFolder(r) != 0) return 1;
  // The pane's table: the default "flist" capacity.
  flist::EntryTable t;
  if (!t.AllocateEntryBuffers(capacity)) return 1;
  flist::PlaceRequest pr;
  pr.order.sortMode = sortMode;
  pr.order.buildWork = sortMode < 7 ? static_cast<int>(sortMode) : 5;
  pr.order.displayMode = displayMode;
  pr.fhold = fhold;
  pr.sourceFiles = walk.files;
  pr.sourceBytes = walk.bytes;
  const flist::PlaceResult res = flist::PlaceListing(walk.work, static_cast<std::size_t>(walk.count), pr, &t);
  std::printf("%d\n", res.countedFiles);
  for (int i = 0; dump && i <= t.m_nEntryCount; ++i)
    std::printf("%d|%s|%s|%s|%08x|%08x|%08x|%08x\n", i, flist::GetNameRecord(t.m_pNameRecs, i).c_str(),
                flist::GetNameRecord(t.m_pTextRecs2, i).c_str(), flist::GetNameRecord(t.m_pTextRecs3, i).c_str(),
                t.m_pEntryVal1[i], t.m_pEntryVal2[i], t.m_pEntryVal3[i], t.m_pSizeHigh[i]);
  return 0;
}

#ifndef _WIN32
int Paired(int runs, const std::string& wine, std::string dir, const char* self) {
  if (dir.empty()) {
    dir = "/tmp/tabrye_flist_bench";
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) {
      std::fprintf(stderr, "making %s (100,000 files)\n", dir.c_str());
      MakeFolder(100000, dir.c_str());
    }
  }
  std::string windowsPath = "Z:" + dir;
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  const std::string oursCmd =
      wine.empty() ? "'" + std::string(self) + "' '" + dir + "'" : wine + " '" + windowsPath + "'";
  std::string ours, theirs;
  bench::Paired p = bench::RunPaired(
      runs, [&](bool* ok) { return bench::RunCapture(oursCmd, &ours, ok); },
      [&](bool* ok) {
        const double s = bench::RunCapture("sh -c 'ls -f \"" + dir + "\" | wc -l'", &theirs, ok);
        // ls -f lists "." and ".." too.
        *ok = *ok && std::atol(ours.c_str()) + 2 == std::atol(theirs.c_str()) && std::atol(ours.c_str()) > 0;
        if (!*ok) std::fprintf(stderr, "counts: ours %s, ls -f %s", ours.c_str(), theirs.c_str());
        return s;
      });
  std::vector<double> lsl;
  for (int i = 0; i < runs; ++i) {
    bool ok = true;
    lsl.push_back(bench::RunCapture("sh -c 'ls -l \"" + dir + "\" | wc -l'", &theirs, &ok));
  }
  bench::PrintRow("flist",
                  "list " + std::to_string(std::atol(ours.c_str())) + " files, name order" +
                      (wine.empty() ? "" : ", Windows program under Wine") + " (whole process)",
                  "ls -f | wc -l", p, wine.empty() ? "<= 5" : "<= 12");
  std::printf("ls -l | wc -l: median %.4f s over %d runs\n", bench::Median(lsl), runs);
  struct rusage ru;
  if (getrusage(RUSAGE_CHILDREN, &ru) == 0)
    std::printf("peak resident size of a child (ours the largest): %.1f MB\n", ru.ru_maxrss / 1024.0);
  return p.checked ? 0 : 1;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "-make") == 0) return MakeFolder(std::atoi(argv[2]), argv[3]);
  if (argc == 2 && argv[1][0] != '-') return ListOnce(argv[1]);
  if ((argc == 6 || argc == 7) && std::strcmp(argv[1], "-dump") == 0)
    return ListOnce(argv[argc - 1], static_cast<unsigned>(std::atoi(argv[2])),
                    static_cast<unsigned>(std::atoi(argv[3])), std::atoi(argv[4]), true,
                    argc == 7 ? std::atoi(argv[5]) : 0);
#ifndef _WIN32
  int arg = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &arg);
  std::string wine;
  if (argc > arg + 1 && std::strcmp(argv[arg], "-wine") == 0) {
    wine = argv[arg + 1];
    arg += 2;
  }
  if (argc <= arg + 1) return Paired(runs, wine, argc > arg ? argv[arg] : "", argv[0]);
#else
  if (argc == 1) {
    std::printf("bench_flist.exe: paired runs are started from the native bench_flist with -wine\n");
    return 0;
  }
#endif
  std::fprintf(stderr, "usage: bench_flist DIR | bench_flist -make N DIR | bench_flist [-runs N] [-wine CMD] [DIR]\n");
  return 2;
}
