// The archive entries against outside tools, whole process against whole
// process on the same files: the own ZIP extraction (UnzipOwn) against
// "unzip -qo", and the own writer (CollectEntries + WriteZip) against
// "zip -qr -6". The tree: about 200 MB of text, random bytes and runs in 40
// files, made once in the scratch folder given. Outputs are checked: our
// extraction equals unzip's byte for byte, and our archive passes unzip -t.
//   bench_entries [-runs N] SCRATCH        the measurement
//   bench_entries -unzip ZIP DEST          (ours, one extraction)
//   bench_entries -zip ZIP DIR             (ours, one archive of DIR)
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "archive/extract_target.h"
#include "archive/zip_extract.h"
#include "archive/zip_writer.h"
#include "bench/bench_util.h"
#include "fw/path.h"

namespace {

void MakeTree(const std::string& dir) {
  fw::MakeDir(dir.c_str());
  std::mt19937 rng(7);
  const char* words[] = {"archive ", "member ", "folder ", "data ", "Tabrye ", "\r\n", "12345 ", "zip "};
  for (int i = 0; i < 40; ++i) {
    std::string s;
    size_t n = 5 * 1000 * 1000;
    int kind = i % 4;
    while (s.size() < n) {
      if (kind == 0 || kind == 3) {
        s += words[rng() % 8];
      } else if (kind == 1) {
        s += static_cast<char>(rng());
      } else {
        s.append(1 + rng() % 4000, static_cast<char>('a' + rng() % 26));
      }
    }
    s.resize(n);
    bench::WriteFile(dir + "/f" + std::to_string(i) + ".bin", s);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "-unzip") {
    fw::MakeDir(argv[3]);
    arc::DiskTarget t(argv[3]);
    arc::ArcState st;
    return arc::UnzipOwn(st, argv[2], 0, 0, nullptr, false, t).result == 0 ? 0 : 1;
  }
  if (argc == 4 && std::string(argv[1]) == "-zip") {
    arc::ArcState st;
    return arc::WriteZip(st, argv[2], arc::CollectEntries({argv[3]}, argv[2])).result == 0 ? 0 : 1;
  }
  int next = 1;
  int runs = bench::TakeRuns(argc, argv, 3, &next);
  if (next >= argc) {
    std::fprintf(stderr, "usage: bench_entries [-runs N] SCRATCH\n");
    return 2;
  }
  std::string dir = argv[next];
  // Absolute: the commands below change folders before they run it.
  std::string self = fw::FullPath(argv[0]);
  fw::MakeDir(dir.c_str());
  if (bench::ReadFile(dir + "/tree/f0.bin").empty()) MakeTree(dir + "/tree");
  int rc = 0;
  bench::TimeCommand("cd '" + dir + "' && rm -f ref.zip && zip -qr -6 ref.zip tree", &rc);
  bench::Paired ex = bench::RunPaired(
      runs,
      [&](bool* ok) {
        int r = 0;
        bench::TimeCommand("rm -rf '" + dir + "/ours'", &r);
        double s = bench::TimeCommand("'" + self + "' -unzip '" + dir + "/ref.zip' '" + dir + "/ours'", &r);
        *ok = r == 0;
        return s;
      },
      [&](bool* ok) {
        int r = 0;
        bench::TimeCommand("rm -rf '" + dir + "/theirs'", &r);
        double s = bench::TimeCommand("unzip -qo '" + dir + "/ref.zip' -d '" + dir + "/theirs'", &r);
        *ok = r == 0;
        return s;
      });
  int diff = 0;
  bench::TimeCommand("diff -r '" + dir + "/ours' '" + dir + "/theirs' >/dev/null", &diff);
  ex.checked = ex.checked && diff == 0;
  bench::PrintRow("entries", "extract 200 MB zip", "unzip -qo", ex, "<= 1.5");
  bench::Paired wr = bench::RunPaired(
      runs,
      [&](bool* ok) {
        int r = 0;
        double s = bench::TimeCommand("cd '" + dir + "' && rm -f ours.zip && '" + self + "' -zip ours.zip tree", &r);
        int t = 0;
        bench::TimeCommand("unzip -tq '" + dir + "/ours.zip' >/dev/null", &t);
        *ok = r == 0 && t == 0;
        return s;
      },
      [&](bool* ok) {
        int r = 0;
        double s = bench::TimeCommand("cd '" + dir + "' && rm -f theirs.zip && zip -qr -6 theirs.zip tree", &r);
        *ok = r == 0;
        return s;
      });
  bench::PrintRow("entries", "create zip of 200 MB", "zip -qr -6", wr, "<= 1.5");
  return 0;
}
