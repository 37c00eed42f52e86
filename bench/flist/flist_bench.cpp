// The whole work of one listing as the pane does it, without the window:
// enter the folder, walk it (names, sizes, times, attributes), order by
// name (mode 5, folders first) and place into a table of "fhold" entries.
// Prints the files counted, so a run can be checked against `ls -f | wc -l`.
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

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "-make") == 0) {
    const int n = std::atoi(argv[2]);
    fw::MakeDir(argv[3]);
    for (int i = 0; i < n; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "\\file%07d.dat", i);
      CFile f((std::string(argv[3]) + name).c_str(), CFile::modeCreate | CFile::modeWrite);
    }
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_flist DIR | bench_flist -make N DIR\n");
    return 2;
  }
  const int fhold = 200000;
  fileops::LocalFolderHost host;
  if (fileops::ChangeDirectory(host, argv[1], 0, 0) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", argv[1]);
    return 1;
  }
  flist::WalkState walk;
  flist::WalkRequest r = walk.Request(&host);
  r.listFolder = argv[1];
  r.fhold = fhold;
  if (flist::WalkFolder(r) != 0) return 1;
  // The pane's table: the default "flist" capacity.
  flist::EntryTable t;
  if (!t.AllocateEntryBuffers(flist::kStartCapacity)) return 1;
  flist::PlaceRequest pr;
  pr.order.sortMode = 5;
  pr.fhold = fhold;
  pr.sourceFiles = walk.files;
  pr.sourceBytes = walk.bytes;
  const flist::PlaceResult res = flist::PlaceListing(walk.work, static_cast<std::size_t>(walk.count), pr, &t);
  std::printf("%d\n", res.countedFiles);
  return 0;
}
