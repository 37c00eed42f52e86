// A tree copy as the copy command makes it, without the window: the folder
// walk, a folder made for each folder, every file placed through the copy
// routine (temporary, time, attributes, rename). Measured as whole processes
// against `cp -r` of the same tree; `diff -r` checks every copy.
//
//   bench_filecopy -copy SRC DST     copies the tree SRC into the new DST
//   bench_filecopy -make DIR         generates the tree: 2,000 files of
//                                    10 KB in 20 folders, three of 100 MB
//   bench_filecopy [-runs N] [-big MB] [-wine "CMD"]
//       (natively) generates /tmp/tabrye_copy_bench/src when missing, then
//       N paired runs (3 by default) of this program's -copy (or CMD, given
//       the Windows paths) against `cp -r`; prints the median ratio.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/fileops/filecopy.h"
#include "fw/file.h"
#include "fw/filefind.h"
#include "fw/path.h"

#ifndef _WIN32
#include "../bench_util.h"
#endif

namespace {

long g_files = 0, g_failed = 0;

void CopyTree(const CString& src, const CString& dst) {
  fw::MakeDir(dst);
  std::vector<std::pair<CString, bool>> entries;
  CFileFind ff;
  BOOL more = ff.FindFile(src + "\\*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    entries.emplace_back(ff.GetFileName(), ff.IsDirectory() != FALSE);
  }
  ff.Close();
  for (const auto& [name, folder] : entries) {
    const CString s = src + "\\" + name, d = dst + "\\" + name;
    if (folder) {
      CopyTree(s, d);
      continue;
    }
    fileops::CopyFileOptions o;
    o.failIfExists = true;
    const fileops::CopyFileResult r = fileops::PlaceFileCopy(s, d, o);
    if (r.placed) ++g_files;
    else {
      ++g_failed;
      std::fprintf(stderr, "%s: %u\n", d.GetString(), r.error);
    }
  }
}

void WriteFilled(const std::string& path, std::size_t bytes, unsigned seed) {
  CFile f(path.c_str(), CFile::modeCreate | CFile::modeWrite);
  std::string piece(1 << 20, '\0');
  for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>((i * 2654435761u + seed) >> 13);
  for (std::size_t done = 0; done < bytes;) {
    const std::size_t n = bytes - done < piece.size() ? bytes - done : piece.size();
    f.Write(piece.data(), static_cast<UINT>(n));
    done += n;
  }
}

void MakeTree(const std::string& dir, std::size_t bigMb) {
  fw::MakeDir(dir.c_str());
  for (int d = 0; d < 20; ++d) {
    char sub[64];
    std::snprintf(sub, sizeof sub, "\\dir%02d", d);
    fw::MakeDir((dir + sub).c_str());
    for (int i = 0; i < 100; ++i) {
      char name[64];
      std::snprintf(name, sizeof name, "\\file%03d.dat", i);
      WriteFilled(dir + sub + name, 10 * 1024, static_cast<unsigned>(d * 100 + i));
    }
  }
  for (int b = 0; b < 3; ++b) WriteFilled(dir + "\\big" + std::to_string(b) + ".bin", bigMb << 20, 77u + b);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "-copy") == 0) {
    CopyTree(argv[2], argv[3]);
    std::printf("%ld files copied, %ld failed\n", g_files, g_failed);
    return g_failed == 0 ? 0 : 1;
  }
  if (argc == 3 && std::strcmp(argv[1], "-make") == 0) {
    MakeTree(argv[2], 100);
    return 0;
  }
#ifdef _WIN32
  std::fprintf(stderr, "usage: bench_filecopy -copy SRC DST | -make DIR\n");
  return 2;
#else
  int runs = 3;
  std::size_t bigMb = 100;
  std::string wine;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "-runs") == 0) runs = std::atoi(argv[i + 1]);
    else if (std::strcmp(argv[i], "-big") == 0) bigMb = static_cast<std::size_t>(std::atol(argv[i + 1]));
    else if (std::strcmp(argv[i], "-wine") == 0) wine = argv[i + 1];
  }
  const std::string root = "/tmp/tabrye_copy_bench";
  const std::string src = root + "/src";
  struct stat st;
  if (::stat(src.c_str(), &st) != 0) {
    fw::MakeDir(root.c_str());
    MakeTree(src, bigMb);
  }
  const std::string self = wine.empty() ? std::string(argv[0]) : wine;
  const std::string srcArg = wine.empty() ? src : "Z:" + src;
  std::vector<double> ratios;
  for (int r = 0; r < runs; ++r) {
    std::system(("rm -rf " + root + "/a " + root + "/b").c_str());
    const std::string dstArg = wine.empty() ? root + "/a" : "Z:" + root + "/a";
    double ours = 0, theirs = 0;
    // The two take turns going first. The dirty pages of the one before are
    // written out (untimed) before each starts, and each side's time ends
    // when its own copy is on the disk ("sync" timed with it): otherwise the
    // page cache's write-back decides the figures more than the copy does.
    for (int k = 0; k < 2; ++k) {
      if (std::system("sync") != 0) return 1;
      const auto t0 = bench::Clock::now();
      if ((k == 0) == (r % 2 == 0)) {
        if (std::system((self + " -copy " + srcArg + " " + dstArg + " >/dev/null && sync").c_str()) != 0) return 1;
        ours = bench::Seconds(t0);
      } else {
        if (std::system(("cp -r " + src + " " + root + "/b && sync").c_str()) != 0) return 1;
        theirs = bench::Seconds(t0);
      }
    }
    if (std::system(("diff -r " + src + " " + root + "/a >/dev/null").c_str()) != 0) {
      std::fprintf(stderr, "the copy differs from its source\n");
      return 1;
    }
    std::printf("run %d: engine %.3f s, cp -r %.3f s, ratio %.2f\n", r + 1, ours, theirs, ours / theirs);
    ratios.push_back(ours / theirs);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("median ratio %.2f\n", ratios[ratios.size() / 2]);
  std::system(("rm -rf " + root + "/a " + root + "/b").c_str());
  return 0;
#endif
}
