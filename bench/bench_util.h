// Small helpers shared by the benchmark programs: a clock, seconds between
// two readings, generated text, whole files in and out, a timed shell
// command, paired runs of ours against a yardstick with the median ratio, and
// the table row that bench/run-all collects.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32  // the benchmarks of the window are Windows programs, run under Wine
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}
inline double Seconds(Clock::time_point from) { return Seconds(from, Clock::now()); }

// `line` repeated until the text has at least `bytes` bytes.
inline std::string RepeatLine(const std::string& line, std::size_t bytes) {
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() < bytes) s += line;
  return s;
}

inline bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The whole file, or "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::string s;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return s;
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}

#ifndef _WIN32
// A whole file mapped read-only (no copy: the pages of the page cache are
// read where they lie). Empty when the file cannot be mapped.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
      void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (p != MAP_FAILED) {
        data_ = static_cast<const char*>(p);
        size_ = static_cast<std::size_t>(st.st_size);
      }
    }
    close(fd);
  }
  ~MappedFile() {
    if (data_) munmap(const_cast<char*>(data_), size_);
  }
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  const char* data() const { return data_ ? data_ : ""; }
  std::size_t size() const { return size_; }

 private:
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};
#endif

// Runs a shell command; its exit status goes to *rc, its seconds are returned.
inline double TimeCommand(const std::string& cmd, int* rc) {
  auto t0 = Clock::now();
  *rc = std::system(cmd.c_str());
  return Seconds(t0);
}

// The machine's load averages (1, 5, 15 minutes) as /proc/loadavg gives them.
inline std::string LoadAverage() {
  std::string s = ReadFile("/proc/loadavg");
  std::size_t cut = 0;
  for (int fields = 0; cut < s.size() && fields < 3; ++cut)
    if (s[cut] == ' ') ++fields;
  return s.empty() ? "unknown" : s.substr(0, cut ? cut - 1 : s.size());
}

// A command's whole process: its standard output is read into *out (so both
// sides of a comparison pay for their output alike), the seconds returned.
// *ok is false when the command fails.
inline double RunCapture(const std::string& cmd, std::string* out, bool* ok) {
  out->clear();
  auto t0 = Clock::now();
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) {
    *ok = false;
    return 0;
  }
  char buf[1 << 16];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out->append(buf, n);
  *ok = pclose(p) == 0;
  return Seconds(t0);
}

// Code page 932 text as UTF-8 through iconv (for output checks, outside the
// timed runs); `scratch` is a file it may write. "" on failure.
inline std::string Cp932ToUtf8(const std::string& cp932, const std::string& scratch) {
  if (!WriteFile(scratch, cp932)) return std::string();
  std::string out;
  bool ok = false;
  RunCapture("iconv -f CP932 -t UTF-8 " + scratch, &out, &ok);
  return ok ? out : std::string();
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// One measurement: ours and the yardstick run alternately (pairs,
// so both see the same machine load), each run returns its seconds and
// checks its output; the ratio is the median of the pairs' ratios.
struct Paired {
  double ours = 0, theirs = 0, ratio = 0;
  bool checked = true;  // every output of every run was as expected
  int runs = 0;
};

inline Paired RunPaired(int runs, const std::function<double(bool*)>& ours,
                        const std::function<double(bool*)>& theirs) {
  Paired p;
  std::vector<double> a, b, r;
  for (int i = 0; i < runs; ++i) {
    bool okA = true, okB = true;
    double x = ours(&okA);
    double y = theirs(&okB);
    p.checked = p.checked && okA && okB;
    a.push_back(x);
    b.push_back(y);
    r.push_back(y > 0 ? x / y : 0);
  }
  p.ours = Median(a);
  p.theirs = Median(b);
  p.ratio = Median(r);
  p.runs = runs;
  return p;
}

// Two shell commands run as pairs; `same` judges the two outputs of each
// pair (ours first).
inline Paired RunCommandsPaired(int runs, const std::string& ours, const std::string& theirs,
                                const std::function<bool(const std::string&, const std::string&)>& same) {
  std::string a, b;
  return RunPaired(
      runs, [&](bool* ok) { return RunCapture(ours, &a, ok); },
      [&](bool* ok) {
        const double s = RunCapture(theirs, &b, ok);
        *ok = *ok && same(a, b);
        return s;
      });
}

// The generated input at `path`, written by `make` when it is not there yet
// (kept between runs). False when it cannot be written.
inline bool EnsureFile(const std::string& path, const std::function<std::string()>& make) {
  return !ReadFile(path).empty() || WriteFile(path, make());
}

// "-runs N" as the first two arguments: N (at least 1), else defaultRuns;
// *next is the index of the first argument after them.
inline int TakeRuns(int argc, char** argv, int defaultRuns, int* next) {
  *next = 1;
  if (argc > 2 && std::string(argv[1]) == "-runs") {
    *next = 3;
    return std::max(1, std::atoi(argv[2]));
  }
  return defaultRuns;
}

// "NAME VALUE" anywhere among the arguments: VALUE, and both taken out of
// argv (*argc lowered by 2, argv still ends with its null); "" when NAME is
// not there or has no value. The benchmarks of the window take "-wine CMD"
// so: CMD starts their side, the Windows build, under Wine.
inline std::string TakeNamedArg(int* argc, char** argv, const std::string& name) {
  for (int i = 1; i + 1 < *argc; ++i) {
    if (name != argv[i]) continue;
    std::string value = argv[i + 1];
    for (int k = i; k + 2 <= *argc; ++k) argv[k] = argv[k + 2];
    *argc -= 2;
    return value;
  }
  return std::string();
}

// The frame every generated-file benchmark shares: "-runs N" and a row count
// (default 1,000,000) from the arguments, the file /tmp/tabrye_<name>_bench_
// <rows>.csv written by `make` when missing, and the command line of this
// program's own "-apply FILE" side. False when the file cannot be written.
struct FileBench {
  int runs = 5;
  long rows = 1000000;
  std::string path;
  std::string ours;
};
inline bool PrepareFileBench(int argc, char** argv, const std::string& name,
                             const std::function<std::string(long)>& make, FileBench* b) {
  int next = 1;
  b->runs = TakeRuns(argc, argv, 5, &next);
  b->rows = next < argc ? std::atol(argv[next]) : 1000000;
  b->path = "/tmp/tabrye_" + name + "_bench_" + std::to_string(b->rows) + ".csv";
  const long rows = b->rows;
  if (!EnsureFile(b->path, [&] { return make(rows); })) return false;
  b->ours = std::string("'") + argv[0] + "' -apply '" + b->path + "'";
  return true;
}

// One row of the benchmark table: a line that bench/run-all collects
// ("ROW|bench|work|yardstick|ours s|theirs s|ratio|goal|outputs|load").
inline void PrintRow(const std::string& benchName, const std::string& work, const std::string& yardstick,
                     const Paired& p, const std::string& goal) {
  std::printf("ROW|%s|%s|%s|%.4f|%.4f|%.2f|%s|%s|%s\n", benchName.c_str(), work.c_str(), yardstick.c_str(), p.ours,
              p.theirs, p.ratio, goal.c_str(), p.checked ? "equal" : "DIFFER", LoadAverage().c_str());
  std::fflush(stdout);
}

}  // namespace bench
