// The CSV-to-XLSX export of a 1,000,000-cell table (100,000 rows of 10
// columns: integers, quoted grouped numbers, decimals, Japanese text and a
// formula column) against openpyxl's write-only workbook writing the same
// cells.
//
// Ours: the whole run in this process, from the indexed table in memory to
// the delivered .xlsx file (scratch tree, parts, zipping and the copy).
// Theirs: bench/export/xlsx_openpyxl.py times, inside its own process, the
// rows appended to a write-only workbook from a Python list and its save.
// The pairs alternate; the ratio is cells per second, ours over theirs.
// Afterwards openpyxl reads sheet 1 of both files, which must agree.
//
// With -formatted the table carries format codes: the title row serves as
// the format row (a width, borders, a grouped number format, fills and
// alignments per column after a '^' in each name) and every tenth data row
// has row codes after a '^' in its first field (borders, a height, a red
// bold font on yellow). openpyxl writes the same cells as WriteOnlyCells
// with the equivalent named styles.
//
// usage: bench_xlsx_export [-runs N] [-formatted] [ROWS]
//        (default 5 runs, 100,000 rows)
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "archive/arc_state.h"
#include "archive/zip_writer.h"
#include "bench/bench_util.h"
#include "csv/csv_table.h"
#include "export/xlsx/xlsx_export.h"
#include "fw/path.h"

namespace {

constexpr int kColumns = 10;

// Words in Shift-JIS (the table) and UTF-8 (the yardstick's list).
struct Word {
  const char* sjis;
  const char* utf8;
};
const Word kWords[] = {
    {"\x94\x84\x8F\xE3", "\xE5\xA3\xB2\xE4\xB8\x8A"},                                   // 売上
    {"\x8D\xDD\x8C\xC9", "\xE5\x9C\xA8\xE5\xBA\xAB"},                                   // 在庫
    {"\x83\x5C\x83\x74\x83\x67", "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88"},               // ソフト
    {"\x95\x5C\x87\x40", "\xE8\xA1\xA8\xE2\x91\xA0"},                                   // 表①
};

std::string Grouped(long v) {
  std::string d = std::to_string(v), out;
  for (std::size_t i = 0; i < d.size(); ++i) {
    if (i > 0 && (d.size() - i) % 3 == 0) out += ',';
    out += d[i];
  }
  return out;
}

// The table in the working form (fields split by 0x06, quotes kept) and the
// same cells for the yardstick (UTF-8, tab-separated, grouped numbers plain).
// The codes of each column's name in the formatted table, and the codes of
// every tenth row (xlsx_openpyxl.py holds the same styles).
const char* const kColumnCodes[kColumns] = {"w10", "2_i", "c%b", "f2", "L%y", "L", "_2", "i", "f1", "C%g"};
const char kRowCodes[] = "12h24%RyB";

void MakeTable(long rows, bool formatted, std::string* csv, std::string* cells) {
  csv->reserve(static_cast<std::size_t>(rows) * 110);
  cells->reserve(static_cast<std::size_t>(rows) * 110);
  for (int c = 1; c <= kColumns; ++c) {
    *csv += "col" + std::to_string(c);
    if (formatted) *csv += std::string("^") + kColumnCodes[c - 1];
    *csv += c < kColumns ? "\x06" : "\r\n";
    *cells += "col" + std::to_string(c) + (c < kColumns ? "\t" : "\n");
  }
  for (long i = 1; i < rows; ++i) {
    const long r = i + 1;  // the row's number in the sheet
    const Word& w1 = kWords[i % 4];
    const Word& w2 = kWords[(i + 1) % 4];
    const std::string a = std::to_string((i * 7) % 100003), b = std::to_string((i * 13) % 1000);
    const std::string g = Grouped(i * 37 + 1000);
    char d[32], e[32];
    std::snprintf(d, sizeof d, "%ld.%02ld", i % 10000, i % 97);
    std::snprintf(e, sizeof e, "%ld.5", i % 1000);
    const std::string n = std::to_string(i), f = "=A" + std::to_string(r) + "+B" + std::to_string(r);
    const std::string codes = formatted && i % 10 == 0 ? std::string("^") + kRowCodes : std::string();
    *csv += a + codes + "\x06" + b + "\x06\"" + g + "\"\x06" + d + "\x06" + w1.sjis + n + "\x06item" + n + "\x06" + f +
            "\x06" + n + "\x06" + e + "\x06" + w2.sjis + "\r\n";
    *cells += a + "\t" + b + "\t" + g + "\t" + d + "\t" + w1.utf8 + n + "\titem" + n + "\t" + f + "\t" + n + "\t" +
              e + "\t" + w2.utf8 + "\n";
  }
}

// What the view gives the run: messages counted, the archive call done with
// the program's own ZIP writer in the scratch folder (the quick packing the
// view asks for), Yes to every question.
struct BenchHost : xlsx::XlsxRunHost {
  int messages = 0;
  double zipSeconds = 0;  // the archive call's share of the run
  int ReportMessage(int, const CString& text) override {
    std::fprintf(stderr, "report: %s\n", text.GetString());
    ++messages;
    return 1;
  }
  void ShowMessage(const CString& text) override {
    std::fprintf(stderr, "message: %s\n", text.GetString());
    ++messages;
  }
  CString CannotOpenText(const CString& path) override { return "cannot open " + path; }
  int CreateArchive(const CString& folder, const std::vector<CString>& entries, const CString& name) override {
    char old[4096];
    if (getcwd(old, sizeof old) == nullptr || chdir(fw::ToPosixPath(folder).c_str()) != 0) return -1;
    std::vector<std::string> argv;
    for (const CString& e : entries) argv.push_back(e.GetString());
    std::vector<std::string> items;
    const std::string zip =
        arc::ArchiveNameFor(1, static_cast<int>(argv.size()), argv, name.GetString(), false, &items);
    const auto t0 = bench::Clock::now();
    std::vector<arc::WalkEntry> found = arc::CollectEntries(items, zip);
    arc::ArcState st;
    const int rc = found.empty() || arc::WriteZip(st, zip, found, nullptr, arc::kQuickZipChain).Failed() ? -1 : 0;
    zipSeconds += bench::Seconds(t0);
    if (chdir(old) != 0) return -1;
    return rc;
  }
  bool AskMakeWritable(const CString&) override { return true; }
  void ShowWriteProtected(const CString&) override { ++messages; }
};

// A program path ("\" separators) for a POSIX one.
CString ProgramPath(std::string p) {
  for (char& c : p)
    if (c == '/') c = '\\';
  return CString(p.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  int next = 1;
  const int runs = bench::TakeRuns(argc, argv, 5, &next);
  const bool formatted = next < argc && std::string(argv[next]) == "-formatted";
  if (formatted) ++next;
  const long rows = next < argc ? std::atol(argv[next]) : 100000;
  const long cellCount = rows * kColumns;
  const std::string dir = "/tmp/tabrye_xlsx_export_bench";
  std::system(("mkdir -p '" + dir + "/prog'").c_str());
  const std::string cellsPath = dir + "/cells.tsv", ours = dir + "/ours.xlsx", theirs = dir + "/theirs.xlsx";
  const std::string script = TABRYE_SOURCE_ROOT "/bench/export/xlsx_openpyxl.py";

  std::string csv, cells;
  MakeTable(rows, formatted, &csv, &cells);
  if (!bench::WriteFile(cellsPath, cells)) {
    std::fprintf(stderr, "cannot write %s\n", cellsPath.c_str());
    return 1;
  }
  csv::Table table;  // indexed as the view's table is
  if (!table.Assign(csv.data(), csv.size(), 100)) {
    std::fprintf(stderr, "out of memory\n");
    return 1;
  }
  std::printf("table: %ld rows x %d columns = %ld cells, %zu bytes\n", rows, kColumns, cellCount, csv.size());

  xlsx::XlsxRunInput in;
  in.table = &table;
  in.programDir = ProgramPath(dir + "/prog");
  in.target = ProgramPath(ours);

  std::vector<double> a, b, ratios;
  bool ok = true;
  for (int i = 0; i < runs; ++i) {
    std::remove(ours.c_str());
    BenchHost host;
    xlsx::XlsxRun run;
    const auto t0 = bench::Clock::now();
    const int rc = xlsx::XlsxWritePackageRun(run, in, host);
    const double x = bench::Seconds(t0);
    if (rc != 0 || host.messages != 0) {
      std::fprintf(stderr, "our run failed (%d)\n", rc);
      ok = false;
    }
    std::remove(theirs.c_str());
    std::string out;
    bool yOk = true;
    bench::RunCapture("/usr/bin/python3 '" + script + (formatted ? "' writefmt '" : "' write '") + cellsPath + "' '" +
                          theirs + "'",
                      &out, &yOk);
    const double y = std::atof(out.c_str());
    if (!yOk || y <= 0) {
      std::fprintf(stderr, "openpyxl failed: %s\n", out.c_str());
      ok = false;
    }
    a.push_back(x);
    b.push_back(y);
    ratios.push_back(x > 0 ? y / x : 0);
    std::printf("pair %d: ours %.3f s (%.0f cells/s; zipping %.3f s), openpyxl %.3f s (%.0f cells/s), ratio %.2f\n",
                i + 1, x, cellCount / x, host.zipSeconds, y, y > 0 ? cellCount / y : 0, ratios.back());
    std::fflush(stdout);
  }

  std::string same;
  bool cOk = true;
  bench::RunCapture("/usr/bin/python3 '" + script + "' compare '" + ours + "' '" + theirs + "' 2>&1", &same, &cOk);
  const bool equal = cOk && same.compare(0, 6, "equal ") == 0;
  std::printf("outputs: %s", same.c_str());

  const double ratio = bench::Median(ratios);
  std::printf("median: ours %.3f s, openpyxl %.3f s; median paired ratio (cells/s ours over openpyxl) %.2f "
              "(goal at least 5): %s\n",
              bench::Median(a), bench::Median(b), ratio, ratio >= 5 ? "met" : "NOT met");
  std::printf("load average: %s\n", bench::LoadAverage().c_str());
  std::printf("ROW|xlsx_export|%ld cells%s CSV table to .xlsx|openpyxl write-only|%.4f|%.4f|%.2f|>= 5x|%s|%s\n",
              cellCount, formatted ? " formatted" : "", bench::Median(a), bench::Median(b), ratio, ok && equal ? "equal" : "DIFFER",
              bench::LoadAverage().c_str());
  return ok && equal ? 0 : 1;
}
