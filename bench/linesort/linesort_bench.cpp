// The row sort of a numeric column over a generated CP932 table (1,000,000
// rows by default, five columns, no quoted commas), against GNU sort with
// one thread on the same key: `LC_ALL=C sort --parallel=1 -s -t, -k3,3n` of
// the data rows, writing its output to a file.
//
// Two rows, each a ratio to the whole GNU sort process of the same pair:
// - our sort alone, in this process: the numbers-or-text decision and
//   SortLines from the loaded working buffer to the sorted one (the table is
//   loaded again, untimed, before each run);
// - our whole path as a process (-apply): the one-pass open with its index,
//   the decision, the sort, the comma form written to a file.
// The outputs (title + GNU sort's rows, and ours) are compared every run.
// It also states the peak resident size of each process and the bytes a row
// that the sort allocates.
//
//   bench_linesort [-runs N] [rows]
//   bench_linesort -apply in out
//
// The files (/tmp/tabrye_linesort_bench_<rows>*.csv) are written once and kept.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "../bench_util.h"
#include "csv/csv_linesort.h"
#include "csv/csv_table.h"

namespace {

constexpr int kKey = 3;

bool Load(csv::Table& t, const std::string& file) {
  return t.LoadSjisFileBytes(file.data(), file.size(), 1000) || t.LoadFileText(file.data(), file.size(), 1000);
}

std::int64_t SortColumn(csv::Table& t) {
  csv::LineSortRequest r;
  r.numeric = csv::SortKeysNumeric(t, kKey - 1, 0, false);
  r.key = kKey;
  return r.numeric ? csv::SortLines(t, r, nullptr) : -2;
}

int Apply(const std::string& in, const std::string& out) {
  std::string file = bench::ReadFile(in);
  auto table = std::make_unique<csv::Table>();
  if (!Load(*table, file)) return 1;
  std::string().swap(file);  // the file's bytes are in the table now
  if (SortColumn(*table) <= 0) return 1;
  return bench::WriteFile(out, table->FileText(csv::CommaFormKind::kComma)) ? 0 : 1;
}

constexpr std::uint64_t kPow10[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// id, a Shift-JIS name (second bytes 0x5C among them), an amount (integers
// and decimals of up to 8 places, negatives, up to 15 digits), a code, a
// Shift-JIS note.
std::string MakeFile(long rows, bool title) {
  static const char* const names[6] = {"\x83\x5C\x83\x74\x83\x67", "\x95\x5C\x8e\xa6", "\x83\x5E\x83\x4E",
                                       "kobe", "\x8f\x5C\x95\x5C", "\x83\x5C"};
  std::string s = title ? "id,name,amount,code,note\r\n" : "";
  s.reserve(static_cast<std::size_t>(rows) * 56);
  std::uint64_t x = 20261208;
  char buf[160];
  for (long r = 0; r < rows; ++r) {
    x = x * 6364136223846793005ull + 1442695040888963407ull;
    const unsigned digits = static_cast<unsigned>((x >> 20) % 15) + 1;
    std::uint64_t whole = (x >> 8) % 1000000000000000ull;
    for (unsigned d = 15; d > digits; --d) whole /= 10;
    char amount[48];
    const char* sign = (x >> 61) == 0 ? "-" : "";
    const unsigned places = static_cast<unsigned>((x >> 40) % 9);  // 0: an integer
    if (places == 0)
      std::snprintf(amount, sizeof amount, "%s%llu", sign, static_cast<unsigned long long>(whole));
    else
      std::snprintf(amount, sizeof amount, "%s%llu.%0*llu", sign, static_cast<unsigned long long>(whole),
                    static_cast<int>(places), static_cast<unsigned long long>((x >> 24) % kPow10[places]));
    std::snprintf(buf, sizeof buf, "%ld,%s,%s,C%02u,%s\r\n", r + 1, names[(x >> 33) % 6], amount,
                  static_cast<unsigned>((x >> 45) % 50), names[(x >> 50) % 6]);
    s += buf;
  }
  return s;
}

// Runs a shell command; its seconds are returned, its peak resident size
// (kB) goes to *rss.
double TimeProcess(const std::string& cmd, bool* ok, long* rss) {
  const auto t0 = bench::Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", ("exec " + cmd).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  *ok = pid > 0 && wait4(pid, &status, 0, &ru) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  *rss = std::max(*rss, ru.ru_maxrss);
  return bench::Seconds(t0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "-apply") return Apply(argv[2], argv[3]);
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const long rows = next < argc ? std::atol(argv[next]) : 1000000;
  const std::string base = "/tmp/tabrye_linesort_bench_" + std::to_string(rows);
  const std::string path = base + ".csv", data = base + "_rows.csv";
  if (!bench::EnsureFile(path, [rows] { return MakeFile(rows, true); })) return 1;
  if (!bench::EnsureFile(data, [rows] { return MakeFile(rows, false); })) return 1;
  const std::string title = "id,name,amount,code,note\r\n";
  const std::string gnuOut = base + "_gnu.out", ourOut = base + "_ours.out";
  const std::string gnu = "env LC_ALL=C sort --parallel=1 -s -t, -k3,3n -o '" + gnuOut + "' '" + data + "'";
  const std::string ours = std::string("'") + argv[0] + "' -apply '" + path + "' '" + ourOut + "'";
  long gnuRss = 0, ourRss = 0;
  auto runGnu = [&](bool* ok) {
    const double s = TimeProcess(gnu, ok, &gnuRss);
    *ok = *ok && title + bench::ReadFile(gnuOut) == bench::ReadFile(ourOut);
    return s;
  };

  // Our whole path as a process.
  const bench::Paired whole = bench::RunPaired(
      runs, [&](bool* ok) { return TimeProcess(ours, ok, &ourRss); }, runGnu);

  // The sort alone: decision + SortLines on a freshly loaded table.
  const std::string file = bench::ReadFile(path);
  const std::string expected = bench::ReadFile(ourOut);
  double perRow = 0;
  const bench::Paired alone = bench::RunPaired(
      runs,
      [&](bool* ok) {
        auto t = std::make_unique<csv::Table>();
        *ok = Load(*t, file);
        struct rusage r0 {};
        getrusage(RUSAGE_SELF, &r0);
        const auto t0 = bench::Clock::now();
        *ok = *ok && SortColumn(*t) > 0;
        const double s = bench::Seconds(t0);
        *ok = *ok && t->FileText(csv::CommaFormKind::kComma) == expected;
        perRow = static_cast<double>(t->m_nTextLen) / static_cast<double>(rows);
        return s;
      },
      [&](bool* ok) {
        long unused = 0;
        const double s = TimeProcess(gnu, ok, &unused);
        *ok = *ok && title + bench::ReadFile(gnuOut) == expected;
        return s;
      });

  const std::string n = std::to_string(rows);
  bench::PrintRow("linesort", "decision + SortLines, column 3 numeric, " + n + " rows (in process)",
                  "GNU sort --parallel=1 -s -t, -k3,3n", alone, "<= 0.5");
  bench::PrintRow("linesort", "open + sort + comma form, " + n + " rows (process)",
                  "GNU sort --parallel=1 -s -t, -k3,3n", whole, "<= 1.0");
  std::printf("peak resident size: ours %.1f MB, GNU sort %.1f MB (file %.1f MB)\n", ourRss / 1024.0,
              gnuRss / 1024.0, static_cast<double>(file.size()) / 1048576.0);
  std::printf("sort allocation a row: 16 B record + 4 B row start + %.1f B new text (the row itself)\n", perRow);
  return 0;
}
